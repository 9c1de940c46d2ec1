// The mesh commands end to end through the script host: the exports ask which objects (and for
// LightWave the origin) and where, the imports add objects as one undo step, 3D Studio
// materials become material files, damaged files only say so; the boolean tools pick two
// solids and leave one closed result; and korav --export gts, 3ds and lwo.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "exchange/gts.h"
#include "exchange/mesh_triangles.h"
#include "exchange/three_ds.h"
#include "files/drawing_file.h"
#include "tests/fake_ui.h"
#include "tests/files_test_support.h"
#include "tests/shell_test_support.h"
#include "three_d/mesh.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using files_test::TempDir;
using shell_test::read_text;
using shell_test::ScriptRun;
using shell_test::write_text;

std::vector<const Object3D*> objects(const App& app) {
  std::vector<const Object3D*> out;
  for (const Element& e : app.drawing.store.list)
    if (const auto* o = as<Object3D>(&e)) out.push_back(o);
  return out;
}

// Two cuboids overlapping in every direction: (0, 0, 0)-(2, 2, 2) and (1, .5, .5)-(3, 2.5, 2.5).
void two_cuboids(App& app) {
  store_mesh(app.drawing.store, cuboid_mesh(0, 0, 2, 2, 0, 2), 0, 1, 0, "Stone");
  store_mesh(app.drawing.store, cuboid_mesh(1, 0.5, 3, 2.5, 0.5, 2.5), 0, 1, 0, "Glass");
}

// The script lines that run `command` and answer its file chooser with `path`.
std::string with_file(const std::string& command, const std::string& path) {
  return command + "\nfile " + path + "\n";
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

double volume(const Object3D& o) {
  TriangleMesh t;
  append_triangles(o, t);
  return signed_volume(t) / 6;
}

bool closed(const Object3D& o) {
  TriangleMesh t;
  append_triangles(o, t);
  return open_edge_count(t) == 0;
}

TEST(MeshCommandScripts, GtsExportAsksWhatAndWhereAndTheImportReadsItBack) {
  TempDir dir;
  const std::string path = dir.file("solids one; two.gts");
  ScriptRun out("p_file_export_gts\nanswer All objects\nfile " + path + "\n", two_cuboids);
  ASSERT_EQ(out.status, 0);
  EXPECT_EQ(out.lines("question"),
            std::vector<std::string>{"Export GTS: [All objects|All visible objects|Select "
                                     "objects|Cancel] -> All objects"});
  EXPECT_EQ(out.lines("file"), std::vector<std::string>{"Export GTS... -> " + path});
  const std::string text = read_text(path);
  EXPECT_EQ(text.substr(0, text.find('\n')), "16 36 24 GtsSurface GtsFace GtsEdge GtsVertex");
  for (const Element& e : out.app->drawing.store.list) EXPECT_FALSE(e.selected);

  // Cancelled at the question or the chooser: nothing is written.
  fs::remove(path);
  ScriptRun cancel("p_file_export_gts\nanswer Cancel\np_file_export_gts\nanswer All objects\n"
                   "file cancel\n",
                   two_cuboids);
  EXPECT_EQ(cancel.status, 0);
  EXPECT_FALSE(fs::exists(path));

  // Imported again: one object "Default" of both bodies' 24 triangles, one undo step.
  write_text(path, text);
  ScriptRun in(with_file("p_file_import_gts", path));
  ASSERT_EQ(in.status, 0);
  EXPECT_EQ(in.lines("file"), std::vector<std::string>{"Import GTS... -> " + path});
  auto got = objects(*in.app);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]->material.view(), "Default");
  EXPECT_EQ(got[0]->vertex_count, 16u);
  EXPECT_EQ(got[0]->face_count, 24u);
  EXPECT_NEAR(std::fabs(volume(*got[0])), 16, 1e-9);
  ScriptRun undone(with_file("p_file_import_gts", path) + "p_undo\n");
  EXPECT_TRUE(objects(*undone.app).empty());
}

TEST(MeshCommandScripts, DamagedImportsSayWhyAndAddNothing) {
  TempDir dir;
  write_text(dir.file("empty.gts"), "");
  write_text(dir.file("bad.gts"), "3 3 1 GtsSurface\n0 0 0\n");
  write_text(dir.file("bad.3ds"), std::string("MM\x16\x00\x00\x00garbage garbage", 22));
  write_text(dir.file("short.3ds"), "MM\x10");
  write_text(dir.file("bad.dgm"), "0.0 0.0 1.0\n0.0 1.0 2.0\n1.0 0.0 3.0\n");
  std::string script;
  for (const char* f : {"empty.gts", "bad.gts", "bad.3ds", "short.3ds", "bad.dgm", "missing.3ds"}) {
    const std::string name = f;
    script += with_file("p_file_import_" + name.substr(name.size() - 3), dir.file(name));
  }
  ScriptRun run(script);
  EXPECT_EQ(run.status, 1);  // the error boxes
  EXPECT_EQ(run.lines("error"),
            (std::vector<std::string>{"GTS file is empty", "Loading .gts file failed",
                                      "Loading .3ds file failed", "Loading .3ds file failed",
                                      "The points do not form a regular grid",
                                      "Loading .3ds file failed"}));
  EXPECT_EQ(run.app->drawing.store.size(), 0u);
  EXPECT_FALSE(run.app->drawing.undo.undo_enabled());
}

TEST(MeshCommandScripts, ThreeDsImportMakesObjectsAndMaterialFiles) {
  TempDir dir;
  const std::string path = dir.file("two parts.3ds");
  std::vector<ThreeDsExportObject> parts(2);
  append_triangles(cuboid_mesh(0, 0, 1, 1, 0, 1), parts[0].mesh);
  parts[0].material = "Brick/../red";
  parts[0].values.red = 0.5;
  parts[0].values.green = 0.25;
  parts[0].values.blue = 0;
  append_triangles(cuboid_mesh(3, 0, 4, 1, 0, 1), parts[1].mesh);
  parts[1].material = "Brick/../red";
  std::string log;
  ASSERT_EQ(write_3ds(parts, path, log), WriteStatus::kOk);
  ScriptRun run(with_file("p_file_import_3ds", path));
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.lines("file"), std::vector<std::string>{"Import 3DS... -> " + path});
  auto got = objects(*run.app);
  ASSERT_EQ(got.size(), 2u);
  for (const Object3D* o : got) {
    EXPECT_EQ(o->material.view(), "3ds_Brick_.._red");
    EXPECT_EQ(o->vertex_count, 8u);
    EXPECT_EQ(o->face_count, 12u);
  }
  // The material file lies in the material folder, not where the name's ".." points.
  const std::string mat = run.data.path() + "dat/dia/mat/3ds_Brick_.._red";
  ASSERT_TRUE(fs::exists(mat));
  MaterialValues v;
  ASSERT_TRUE(read_material_values(mat, v));
  EXPECT_NEAR(v.red, 0.5, 1.0 / 255);  // 3D Studio keeps colours in bytes
  EXPECT_NEAR(v.green, 0.25, 1.0 / 255);
  EXPECT_EQ(v.blue, 0);
  // One undo step takes both away.
  ScriptRun undone(with_file("p_file_import_3ds", path) + "p_undo\n");
  EXPECT_TRUE(objects(*undone.app).empty());
}

TEST(MeshCommandScripts, TerrainImportMakesOneSurface) {
  TempDir dir;
  std::string grid;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 5; ++j)
      grid += std::to_string(i) + ".0 " + std::to_string(j) + ".0 " + std::to_string(i * j) + ".0\n";
  write_text(dir.file("ground.dgm"), grid);
  ScriptRun run(with_file("p_file_import_dgm", dir.file("ground.dgm")));
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.lines("file"),
            std::vector<std::string>{"Import DGM... -> " + dir.file("ground.dgm")});
  auto got = objects(*run.app);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]->vertex_count, 20u);
  EXPECT_EQ(got[0]->face_count, 24u);
  EXPECT_EQ(got[0]->material.view(), "Default");
}

TEST(MeshCommandScripts, LightWaveExportTakesThePickedOrigin) {
  TempDir dir;
  const std::string path = dir.file("box.lwo");
  ScriptRun run("set Toolbar/Snap off\np_file_export_lwo\nanswer All objects\nclick 1 0.5\n"
                "click 1 0.5\nfile " + path + "\n",
                [](App& app) { store_mesh(app.drawing.store, cuboid_mesh(2, 3, 4, 5, 1, 2), 0, 1, 0, "Default"); });
  ASSERT_EQ(run.status, 0);
  EXPECT_TRUE(contains(run.lines("prompt"), "Point:"));
  EXPECT_TRUE(contains(run.lines("prompt"), "Move/Confirm:"));
  EXPECT_EQ(run.lines("file"), std::vector<std::string>{"Export LWOB... -> " + path});
  const std::string b = read_text(path);
  ASSERT_GT(b.size(), 32u);
  ASSERT_EQ(b.substr(12, 4), "PNTS");
  auto f = [&](std::size_t at) {  // a big-endian float
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) u = u << 8 | static_cast<unsigned char>(b[at + i]);
    float v;
    std::memcpy(&v, &u, 4);
    return v;
  };
  // The first point (2, 3, 1) relative to (1, 0.5, 0), height as LightWave's y.
  EXPECT_FLOAT_EQ(f(20), 1);
  EXPECT_FLOAT_EQ(f(24), 1);
  EXPECT_FLOAT_EQ(f(28), 2.5);
}

TEST(MeshCommandScripts, UnionDifferenceAndIntersectionOfTwoCuboids) {
  // Picked on their plan outlines: the first at its left edge, the second at its right edge.
  auto script = [](const std::string& op, const std::string& after) {
    return "b_3d_" + op + "\nclick 0 1\nclick 3 1.5\n" + after;
  };
  struct Case {
    const char* op;
    const char* answer;
    const char* question;        // nullptr: not asked
    std::size_t objects;         // the result is the last of them
    double volume;               // of the result
    const char* first_material;  // of the first object; nullptr: not checked
  };
  const Case cases[] = {
      {"union", "", nullptr, 1, 13.75, "Default"},
      {"difference", "answer No\n", "Keep intersection element? [Yes|No] -> No", 1, 5.75,
       nullptr},
      {"difference", "answer Yes\n", "Keep intersection element? [Yes|No] -> Yes", 2, 5.75,
       "Glass"},  // the second stays
      {"intersection", "answer Yes\n", "Keep original elements? [Yes|No] -> Yes", 3, 2.25,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.op) + " " + c.answer);
    ScriptRun run(script(c.op, c.answer), two_cuboids);
    ASSERT_EQ(run.status, 0);
    EXPECT_TRUE(contains(run.lines("prompt"), "1st 3D Element:"));
    EXPECT_TRUE(contains(run.lines("prompt"), "2nd 3D Element:"));
    EXPECT_TRUE(run.lines("error").empty());
    if (c.question) {
      EXPECT_EQ(run.lines("question"), std::vector<std::string>{c.question});
    }
    auto got = objects(*run.app);
    ASSERT_EQ(got.size(), c.objects);
    EXPECT_TRUE(closed(*got.back()));
    EXPECT_NEAR(volume(*got.back()), c.volume, 1e-9);
    if (c.first_material) {
      EXPECT_EQ(got[0]->material.view(), c.first_material);
    }
  }
  {
    ScriptRun run(script("union", "p_undo\n"), two_cuboids);
    auto got = objects(*run.app);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0]->material.view(), "Stone");
  }
  // Closing the box changes nothing.
  EXPECT_EQ(objects(*ScriptRun(script("intersection", "answer close\n"), two_cuboids).app).size(),
            2u);
  {
    // A helper that cannot be run: the message, and the drawing as it was.
    ScriptRun run(script("union", ""), [](App& app) {
      two_cuboids(app);
      app.bso_program = "/nonexistent/korav-bso";
    });
    EXPECT_EQ(run.lines("error"), std::vector<std::string>{"Boolean operation failed"});
    EXPECT_EQ(objects(*run.app).size(), 2u);
  }
}

TEST(MeshCommandScripts, AWallTakesPartAsItsBody) {
  // A wall 4 m long and 0.25 m thick of the preset's height, and a cuboid through it.
  // Picked in the middle of an edge: the wall on its long side, the cuboid on its right side.
  ScriptRun run("set Toolbar/Snap off\nb_wall_wall\nclick 0 2\nclick 4 2.25\nclick 4 2.25\n"
                "key Escape\nb_3d_difference\nclick 0.2 2.25\nclick 2.5 1.5\nanswer No\n",
                [](App& app) {
                  store_mesh(app.drawing.store, cuboid_mesh(1.5, 1, 2.5, 3, 0.5, 1.5), 0, 1, 0,
                             "Default");
                });
  ASSERT_EQ(run.status, 0);
  auto got = objects(*run.app);
  std::size_t walls = 0;
  for (const Element& e : run.app->drawing.store.list) walls += e.type == kWall;
  ASSERT_EQ(got.size(), 1u) << run.lines("error").size();
  EXPECT_EQ(walls, 0u);
  EXPECT_TRUE(closed(*got[0]));
  EXPECT_GT(volume(*got[0]), 0);
}

TEST(MeshCommandScripts, ExportFromTheCommandLine) {
  shell_test::DataDir data;
  TempDir dir;
  Drawing d;
  store_mesh(d.store, cuboid_mesh(0, 0, 2, 1, 0, 3), 0, 1, 0, "Default");
  FakeUi ui;
  const std::string krv = dir.file("box.krv");
  ASSERT_TRUE(save_drawing_to(d, ui, krv));
  for (const char* f : {"gts", "3ds", "lwo"}) {
    SCOPED_TRACE(f);
    const std::string out = dir.file(std::string("box.") + f);
    const auto r = shell_test::run_korav(data.path(), std::string("--export ") + f + " '" + krv +
                                                          "' '" + out + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(fs::exists(out));
  }
  EXPECT_EQ(read_text(dir.file("box.gts")).substr(0, 8), "8 18 12 ");
  const ThreeDsImport t = read_3ds_file(dir.file("box.3ds"));
  ASSERT_TRUE(t.ok);
  ASSERT_EQ(t.objects.size(), 1u);
  EXPECT_EQ(t.objects[0].mesh.triangles.size(), 12u);
  EXPECT_EQ(read_text(dir.file("box.lwo")).substr(8, 4), "LWOB");
  const auto bad = shell_test::run_korav(data.path(), "--export obj '" + krv + "' x.obj");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("gts, 3ds, lwo"), std::string::npos);
}

}  // namespace
}  // namespace korav
