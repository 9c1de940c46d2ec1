// The mesh exchange formats: GTS, 3D Studio (through lib3ds in the child process), LightWave
// objects and terrain grids, checked against the GTS tools and assimp; the boolean operations.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/boolean_ops.h"
#include "exchange/gts.h"
#include "exchange/lightwave.h"
#include "exchange/mesh_triangles.h"
#include "exchange/terrain.h"
#include "exchange/three_ds.h"
#include "tests/export_test_support.h"
#include "tests/files_test_support.h"
#include "tests/shell_test_support.h"
#include "three_d/mesh.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using export_test::have_program;
using files_test::TempDir;
using shell_test::read_text;
using shell_test::write_text;

TriangleMesh cuboid(double x1, double y1, double z1, double x2, double y2, double z2) {
  TriangleMesh t;
  append_triangles(cuboid_mesh(x1, y1, x2, y2, z1, z2), t);
  return t;
}

// A program run with exactly these arguments (no shell), its standard input `input`.
export_test::Run run(const std::vector<std::string>& argv, const std::string& input = "/dev/null") {
  TempDir dir;
  return export_test::run_program(argv, dir.path(), {}, input);
}

// The number after `key` in assimp's report ("Vertices:", "Faces:"), -1 when missing.
long assimp_count(const std::string& report, const std::string& key) {
  const std::size_t at = report.find("\n" + key);
  if (at == std::string::npos) return -1;
  return std::atol(report.c_str() + at + key.size() + 1);
}

// A file name no command line could carry unquoted.
const std::string kAwkward = "it's a \"mesh\"; echo broken $(x) & name";

// An unsigned number of `n` bytes at `at`, big-endian unless `little`.
template <class B>
std::uint32_t uint_at(const B& b, std::size_t at, int n, bool little = false) {
  std::uint32_t v = 0;
  for (int i = 0; i < n; ++i)
    v = v << 8 | static_cast<unsigned char>(b[at + (little ? n - 1 - i : i)]);
  return v;
}

// ---- GTS ----

TEST(GtsExport, OneTriangleListsItsEdgesBackwardsWithFifteenDecimals) {
  TriangleMesh t;
  t.vertices = {{0, 0, 0, 0}, {1.5, 0, 0, 0}, {0, -2.25, 1.0 / 3, 0}};
  t.triangles = {{0, 1, 2}};
  EXPECT_EQ(gts_text(t),
            "3 3 1 GtsSurface GtsFace GtsEdge GtsVertex\n"
            "0.000000000000000 0.000000000000000 0.000000000000000\n"
            "1.500000000000000 0.000000000000000 0.000000000000000\n"
            "0.000000000000000 -2.250000000000000 0.333333333333333\n"
            "3 2\n2 1\n1 3\n1 2 3\n");
  // A second triangle on the edge (1, 2) finds it whichever way round.
  t.vertices.push_back({1, 1, 0, 0});
  t.triangles.push_back({1, 0, 3});
  const std::string two = gts_text(t);
  EXPECT_EQ(two.substr(0, two.find('\n')), "4 5 2 GtsSurface GtsFace GtsEdge GtsVertex");
  const GtsImport back = read_gts(two);
  EXPECT_EQ(back.degenerate, 0);
  EXPECT_EQ(back.mesh.triangles.size(), 2u);
}

TEST(GtsImport, ACubeOfEighteenEdgesRoundTripsWithPointsTrianglesAndOrientation) {
  const TriangleMesh cube = cuboid(0, 0, 0, 2, 1, 3);
  const std::string text = gts_text(cube);
  EXPECT_EQ(text.substr(0, text.find('\n')), "8 18 12 GtsSurface GtsFace GtsEdge GtsVertex");
  for (bool reversed : {false, true}) {
    const GtsImport r = read_gts(text, reversed);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.mesh.vertices.size(), 8u);
    EXPECT_EQ(r.mesh.triangles.size(), 12u);
    EXPECT_EQ(open_edge_count(r.mesh), 0u);
    EXPECT_NEAR(signed_volume(r.mesh), (reversed ? -1 : 1) * signed_volume(cube), 1e-9);
    EXPECT_EQ(r.duplicates + r.degenerate + r.unused, 0);
  }
}

TEST(GtsImport, DuplicatePointsDegenerateTrianglesAndUnusedPointsAreRemovedAndCounted) {
  const struct {
    const char* file;
    const char* stats;
  } cases[] = {
      // Vertex 4 repeats vertex 2; the second triangle uses it.
      {"5 6 2 GtsSurface GtsFace GtsEdge GtsVertex\n0 0 0\n1 0 0\n0 1 0\n1 0 0\n1 1 0\n"
       "1 2\n2 3\n3 1\n4 5\n5 3\n3 4\n1 2 3\n4 5 6\n",
       "read: 5 points, 6 edges, 2 triangles\n"
       "removed: 1 duplicate points, 0 degenerate triangles, 0 unused points\n"
       "created: 4 points, 2 triangles\n"},
      // Triangle 2 collapses (corners 1, 2 and 4, where 4 repeats 1); point 5 is used by none;
      // triangle 3 names edges that do not meet.
      {"# a comment line\n5 6 3 GtsSurface GtsFace GtsEdge GtsVertex\n"
       "0 0 0\n1 0 0\n0 1 0\n0 0 0\n7 7 7\n1 2\n2 3\n3 1\n2 4\n4 1\n3 5\n1 2 3\n1 4 5\n4 6 2\n",
       "read: 5 points, 6 edges, 3 triangles\n"
       "removed: 1 duplicate points, 2 degenerate triangles, 1 unused points\n"
       "created: 3 points, 1 triangles\n"},
  };
  for (const auto& c : cases) {
    const GtsImport r = read_gts(c.file);
    ASSERT_TRUE(r.ok) << c.file;
    EXPECT_EQ(r.stats, std::string("STATS: ### translate_gts_korav ###\n") + c.stats);
  }
}

TEST(GtsImport, DamagedFilesGiveTheirMessage) {
  EXPECT_EQ(read_gts("").error, kMsgGtsEmpty);
  EXPECT_EQ(read_gts(" \n\n# only a comment\n").error, kMsgGtsEmpty);
  const char* const damaged[] = {
      "GtsSurface\n",
      "2147483648 0 0 GtsSurface\n0 0 0\n",
      "2147483647 2147483647 2147483647 GtsSurface GtsFace GtsEdge GtsVertex\n0 0 0\n",
      "-1 0 0 GtsSurface\n",
      "3 3 1 GtsSurface\n0 0 0\n1 0 0\n0 1 0\n1 2\n2 3\n3 1\n1 2 4\n",  // edge 4 of 3
      "3 3 1 GtsSurface\n0 0 0\n1 0 0\n0 1 0\n1 2\n2 0\n3 1\n1 2 3\n",  // vertex 0
      "3 3 1 GtsSurface\n0 0 0\n1 0 0\n0 1 0\n1 2\n2 9\n3 1\n1 2 3\n",  // vertex 9 of 3
      "3 3 1 GtsSurface\n0 0 0\n1 nan 0\n0 1 0\n1 2\n2 3\n3 1\n1 2 3\n",
      "3 3 1 GtsSurface\n0 0 0\n1 x 0\n0 1 0\n1 2\n2 3\n3 1\n1 2 3\n",
  };
  for (const char* d : damaged) {
    const GtsImport r = read_gts(d);
    EXPECT_FALSE(r.ok) << d;
    EXPECT_EQ(r.error, kMsgGtsFailed) << d;
  }
  // Every cut of a good file short of its end.
  const std::string good = gts_text(cuboid(0, 0, 0, 1, 1, 1));
  for (std::size_t n = 1; n + 2 < good.size(); n += 7)
    EXPECT_FALSE(read_gts(good.substr(0, n)).ok) << n;
  TempDir dir;
  EXPECT_EQ(read_gts_file(dir.file("missing.gts")).error, kMsgGtsFailed);
  EXPECT_EQ(read_gts_file(dir.path()).error, kMsgGtsFailed);
}

TEST(GtsConsumers, TheGtsToolsAcceptTheExport) {
  if (!have_program("gtscheck") || !have_program("gts2stl"))
    GTEST_SKIP() << "libgts-bin is not installed";
  TempDir dir;
  const std::string path = dir.file(kAwkward + ".gts");
  // A cuboid (faces clockwise seen from outside) and a prism (counter-clockwise).
  TriangleMesh both = cuboid(0, 0, 0, 2, 1, 3);
  const Point2 tri[] = {{5, 0, 0}, {7, 0, 0}, {6, 2, 0}};
  append_triangles(prism_mesh(normalise_polygon(tri), 0, 1), both);
  ASSERT_EQ(write_gts(both, path), WriteStatus::kOk);
  EXPECT_EQ(run({"gtscheck"}, path).status, 0);
  const export_test::Run stl = run({"gts2stl"}, path);
  EXPECT_EQ(stl.status, 0);
  std::size_t facets = 0;
  for (std::size_t at = 0; (at = stl.out.find("facet normal", at)) != std::string::npos; ++at)
    ++facets;
  EXPECT_EQ(facets, both.triangles.size());
  // Two overlapping bodies in one surface cut each other: gtscheck finds it, so it read them.
  TriangleMesh cutting = cuboid(0, 0, 0, 2, 2, 2);
  append_triangles(cuboid_mesh(1, 0.5, 3, 2.5, 0.5, 2.5), cutting);
  ASSERT_EQ(write_gts(cutting, path), WriteStatus::kOk);
  EXPECT_EQ(run({"gtscheck"}, path).status, 3);
}

// ---- 3D Studio ----

// The point and face counts of every mesh in a .3ds file, walked independently of lib3ds:
// MAIN 4d4d > EDIT 3d3d > OBJECT 4000 (name) > TRIMESH 4100 > POINTS 4110 / FACES 4120.
struct MeshCounts {
  std::vector<long> points, faces;
};
void walk_3ds(const std::string& b, std::size_t at, std::size_t end, MeshCounts& c) {
  for (std::size_t len = 0; at + 6 <= end; at += len) {
    const unsigned id = uint_at(b, at, 2, true);
    len = uint_at(b, at + 2, 4, true);
    if (len < 6 || at + len > end) return;
    if (id == 0x4d4d || id == 0x3d3d || id == 0x4100) walk_3ds(b, at + 6, at + len, c);
    if (id == 0x4000) {
      const std::size_t name_end = b.find('\0', at + 6);
      if (name_end < at + len) walk_3ds(b, name_end + 1, at + len, c);
    }
    if (id == 0x4110) c.points.push_back(uint_at(b, at + 6, 2, true));
    if (id == 0x4120) c.faces.push_back(uint_at(b, at + 6, 2, true));
  }
}
MeshCounts counts_3ds(const std::string& path) {
  MeshCounts c;
  const std::string bytes = read_text(path);
  walk_3ds(bytes, 0, bytes.size(), c);
  return c;
}
MeshCounts counts_of(const ThreeDsImport& r) {
  MeshCounts c;
  for (const ThreeDsObject& o : r.objects) {
    c.points.push_back(static_cast<long>(o.mesh.vertices.size()));
    c.faces.push_back(static_cast<long>(o.mesh.triangles.size()));
  }
  return c;
}

TEST(ThreeDsExport, AssimpReadsTheCubeWithItsCountsAndOurReaderToo) {
  TempDir dir;
  const std::string path = dir.file(kAwkward + ".3ds");
  std::vector<ThreeDsExportObject> objects(2);
  objects[0].mesh = cuboid(0, 0, 0, 2, 1, 3);
  objects[0].material = "Brick";
  objects[0].values.red = 0.5;
  objects[0].values.transparency = 0.25;
  const Point2 tri[] = {{5, 0, 0}, {7, 0, 0}, {6, 2, 0}};
  append_triangles(prism_mesh(normalise_polygon(tri), 0, 1), objects[1].mesh);
  objects[1].material = "Default";
  std::string log;
  ASSERT_EQ(write_3ds(objects, path, log), WriteStatus::kOk);
  EXPECT_EQ(log, "");
  const MeshCounts counts = counts_3ds(path);
  EXPECT_EQ(counts.points, (std::vector<long>{8, 6}));
  EXPECT_EQ(counts.faces, (std::vector<long>{12, 8}));

  const ThreeDsImport r = read_3ds_file(path);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.objects.size(), 2u);
  EXPECT_EQ(r.objects[0].name, "KORAV_ob3_1");
  EXPECT_EQ(r.objects[1].name, "KORAV_ob3_2");
  EXPECT_EQ(counts_of(r).points, counts.points);
  EXPECT_EQ(counts_of(r).faces, counts.faces);
  ASSERT_GE(r.objects[0].material, 0);
  const ThreeDsMaterial& brick = r.materials[static_cast<std::size_t>(r.objects[0].material)];
  EXPECT_EQ(brick.name, "Brick");
  EXPECT_NEAR(brick.values.red, 0.5, 1.0 / 255);  // colours are kept in bytes
  EXPECT_NEAR(brick.values.transparency, 0.25, 1e-6);
  EXPECT_NEAR(signed_volume(r.objects[0].mesh), signed_volume(objects[0].mesh), 1e-4);

  if (!have_program("assimp")) GTEST_SKIP() << "assimp-utils is not installed";
  const export_test::Run info = run({"assimp", "info", path});
  ASSERT_EQ(info.status, 0) << info.out;
  EXPECT_EQ(assimp_count(info.out, "Meshes:"), 2);
  EXPECT_EQ(assimp_count(info.out, "Faces:"), 20);
  EXPECT_EQ(assimp_count(info.out, "Vertices:"), 14);
}

TEST(ThreeDsExport, AnObjectBeyondOneMeshContinuesInTheNext) {
  // A terrain of 300 x 300 points: 90000 points, 178802 triangles.
  std::string grid;
  for (int i = 0; i < 300; ++i)
    for (int j = 0; j < 300; ++j)
      grid += std::to_string(i) + ".0 " + std::to_string(j) + ".0 " + std::to_string((i * j) % 7) + ".5\n";
  const TerrainImport t = read_terrain(grid);
  ASSERT_TRUE(t.ok);
  std::vector<ThreeDsExportObject> objects(1);
  append_triangles(t.mesh, objects[0].mesh);
  objects[0].material = "Ground";
  TempDir dir;
  std::string log;
  ASSERT_EQ(write_3ds(objects, dir.file("big.3ds"), log), WriteStatus::kOk);
  const ThreeDsImport r = read_3ds_file(dir.file("big.3ds"));
  ASSERT_TRUE(r.ok);
  ASSERT_GE(r.objects.size(), 3u);
  std::size_t triangles = 0;
  double volume = 0;
  for (const ThreeDsObject& o : r.objects) {
    EXPECT_LE(o.mesh.vertices.size(), k3dsMaxPerMesh);
    EXPECT_LE(o.mesh.triangles.size(), k3dsMaxPerMesh);
    triangles += o.mesh.triangles.size();
    volume += signed_volume(o.mesh);
  }
  EXPECT_EQ(triangles, objects[0].mesh.triangles.size());
  EXPECT_NEAR(volume, signed_volume(objects[0].mesh), 1e-3 * std::fabs(volume) + 1e-6);
}

TEST(ThreeDsImport, AFileWrittenByAssimpImportsWithItsCounts) {
  if (!have_program("assimp")) GTEST_SKIP() << "assimp-utils is not installed";
  TempDir dir;
  const std::string obj = dir.file("two boxes.obj");
  // A cube of quads and a tetrahedron of triangles, with a material each.
  write_text(dir.file("two boxes.mtl"),
             "newmtl Red\nKd 0.9 0.1 0.1\nd 1\nnewmtl Glass\nKd 0.2 0.3 0.4\nd 0.5\n");
  write_text(obj,
             "mtllib two boxes.mtl\n"
             "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
             "v 3 0 0\nv 4 0 0\nv 3 1 0\nv 3 0 1\n"
             "o cube\nusemtl Red\n"
             "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n"
             "o tetra\nusemtl Glass\n"
             "f 9 11 10\nf 9 10 12\nf 10 11 12\nf 11 9 12\n");
  const std::string path = dir.file(kAwkward + ".3ds");
  ASSERT_EQ(run({"assimp", "export", obj, path}).status, 0);
  const MeshCounts counts = counts_3ds(path);
  ASSERT_FALSE(counts.faces.empty());

  const ThreeDsImport r = read_3ds_file(path);
  ASSERT_TRUE(r.ok);
  const MeshCounts read = counts_of(r);
  EXPECT_EQ(read.points, counts.points);
  EXPECT_EQ(read.faces, counts.faces);
  EXPECT_EQ(std::accumulate(read.faces.begin(), read.faces.end(), 0L), 16);
  EXPECT_TRUE(std::any_of(r.objects.begin(), r.objects.end(), [&](const ThreeDsObject& o) {
    return o.material >= 0 && r.materials[static_cast<std::size_t>(o.material)].values.red > 0.85;
  })) << "the red material came along";
}

TEST(ThreeDsImport, DamagedFilesCannotHurtTheProgram) {
  TempDir dir;
  std::vector<ThreeDsExportObject> objects(1);
  objects[0].mesh = cuboid(0, 0, 0, 1, 1, 1);
  objects[0].material = "M";
  std::string log;
  ASSERT_EQ(write_3ds(objects, dir.file("good.3ds"), log), WriteStatus::kOk);
  const std::string good = read_text(dir.file("good.3ds"));
  // Cut short everywhere, counts and sizes overwritten with large values, random bytes.
  std::vector<std::string> damaged;
  for (std::size_t n = 0; n < good.size(); n += 11) damaged.push_back(good.substr(0, n));
  for (std::size_t at = 0; at + 4 < good.size(); at += 5)
    damaged.push_back(good.substr(0, at) + "\xff\xff\x7f" + good.substr(at + 3));
  std::string noise = "MM";
  for (int i = 0; i < 4000; ++i) noise += static_cast<char>((i * 7919 + 13) & 0xff);
  damaged.push_back(noise);
  for (std::size_t k = 0; k < damaged.size(); ++k) {
    const std::string path = dir.file("bad" + std::to_string(k) + ".3ds");
    write_text(path, damaged[k]);
    const ThreeDsImport r = read_3ds_file(path);
    if (!r.ok) continue;
    for (const ThreeDsObject& o : r.objects)
      for (const Triangle& t : o.mesh.triangles)
        for (std::uint32_t c : t) ASSERT_LT(c, o.mesh.vertices.size()) << k;
  }
  // Not a file at all: refused at once, without waiting for a writer.
  EXPECT_FALSE(read_3ds_file(dir.path()).ok);
  const std::string fifo = dir.file("fifo.3ds");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(read_3ds_file(fifo).ok);
  EXPECT_FALSE(read_3ds_file(dir.file("missing.3ds")).ok);
}

TEST(ThreeDsImport, AFileThatCrashesTheLibraryOnlyFailsToLoad) {
  // Found by the fuzz target: lib3ds itself faults on these (in its mesh reader).
  const std::string seeds = std::string(KORAV_SOURCE_DIR) + "/tests/fuzz/seeds/three_ds_reader/";
  int tried = 0;
  for (const auto& e : fs::directory_iterator(seeds)) {
    if (e.path().filename().string().rfind("lib3ds-fault-", 0) != 0) continue;
    TempDir dir;
    write_text(dir.file("x.3ds"), read_text(e.path().string()).substr(1));  // the mode byte
    EXPECT_FALSE(read_3ds_file(dir.file("x.3ds")).ok) << e.path();
    ++tried;
  }
  EXPECT_GT(tried, 0);
}

TEST(ThreeDsImport, TheChildStreamIsCheckedBeforeUse) {
  ThreeDsImport in;
  in.ok = true;
  in.materials.push_back({"Red", MaterialValues{}});
  ThreeDsObject o;
  o.name = "box";
  o.material = 0;
  o.mesh = cuboid(0, 0, 0, 1, 1, 1);
  in.objects.push_back(o);
  const std::string bytes = encode_3ds_stream(in);
  ThreeDsImport out;
  ASSERT_TRUE(decode_3ds_stream(bytes, out));
  ASSERT_EQ(out.objects.size(), 1u);
  EXPECT_EQ(out.objects[0].name, "box");
  EXPECT_EQ(out.objects[0].mesh.triangles.size(), 12u);
  // A face naming a point beyond its mesh is dropped.
  in.objects[0].mesh.triangles[3] = {0, 1, 8};
  ASSERT_TRUE(decode_3ds_stream(encode_3ds_stream(in), out));
  EXPECT_EQ(out.objects[0].mesh.triangles.size(), 11u);
  // Anything cut short or with a bad material number is no stream.
  for (std::size_t n = 0; n < bytes.size(); n += 3) EXPECT_FALSE(decode_3ds_stream(bytes.substr(0, n), out));
  in.objects[0].material = 5;
  EXPECT_FALSE(decode_3ds_stream(encode_3ds_stream(in), out));
  EXPECT_EQ(material_name_for_3ds("../../etc/passwd"), "3ds_.._.._etc_passwd");
  EXPECT_EQ(material_file_name(".hidden"), "_hidden");
}

TEST(MaterialFiles, WrittenValuesReadBack) {
  MaterialValues v;
  v.red = 0.25, v.green = 0.5, v.blue = 1, v.transparency = 0.125, v.highlight = 0.75;
  const std::string text = material_file_text(v);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 19);
  EXPECT_EQ(text.rfind("0.250000\n0.500000\n1.000000\n0.125000\n", 0), 0u);
  MaterialValues back;
  ASSERT_TRUE(parse_material_values(text, back));
  EXPECT_DOUBLE_EQ(back.red, 0.25);
  EXPECT_DOUBLE_EQ(back.blue, 1);
  EXPECT_DOUBLE_EQ(back.transparency, 0.125);
  EXPECT_DOUBLE_EQ(back.highlight, 0.75);
  EXPECT_FALSE(parse_material_values("0.5\nred\n", back));
  EXPECT_DOUBLE_EQ(back.red, 0.25);  // untouched
}

// ---- LightWave ----

float bef(const std::string& b, std::size_t at) {
  const std::uint32_t u = uint_at(b, at, 4);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

TEST(LightWaveExport, TheFormHoldsPointsSurfacesPolygonsAndSurfaceChunks) {
  std::vector<LwobObject> objects(2);
  objects[0].mesh = cuboid_mesh(1, 2, 3, 4, 0, 5);
  objects[0].material = "Brick";
  objects[0].values.red = 1;
  objects[0].values.green = 0;
  objects[0].values.blue = 0.5;
  objects[0].values.transparency = 0.5;
  objects[1].mesh = cuboid_mesh(10, 10, 11, 11, 0, 1);
  objects[1].material = "Glass";
  const std::vector<std::uint8_t> raw = lwob_bytes(objects, Point3{1, 2, 0, 0});
  const std::string b(raw.begin(), raw.end());
  ASSERT_GE(b.size(), 12u);
  EXPECT_EQ(b.substr(0, 4) + b.substr(8, 4), "FORMLWOB");
  EXPECT_EQ(uint_at(b, 4, 4), b.size() - 8);
  std::vector<std::string> ids, body;
  for (const files_test::ChunkView& c : files_test::chunks_of({raw.begin() + 12, raw.end()})) {
    EXPECT_EQ(c.body.size() % 2, 0u) << c.key;
    ids.push_back(c.key);
    body.emplace_back(c.body.begin(), c.body.end());
  }
  ASSERT_EQ(ids, (std::vector<std::string>{"PNTS", "SRFS", "POLS", "SURF", "SURF"}));
  // 16 points, the first (1, 2, 0) at the origin; LightWave's y is the height, so vertex 6
  // (3, 4, 5) is at (3 - 1, 5, 4 - 2).
  ASSERT_EQ(body[0].size(), 16u * 12);
  const float sixth[] = {2, 5, 2};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(bef(body[0], 4 * k), 0.0f);
    EXPECT_EQ(bef(body[0], 6 * 12 + 4 * k), sixth[k]);
  }
  EXPECT_EQ(body[1], std::string("Brick\0Glass\0", 12));
  // 12 quads: count, four points, surface number.
  ASSERT_EQ(body[2].size(), 12u * 12);
  for (int p = 0; p < 12; ++p) {
    EXPECT_EQ(uint_at(body[2], p * 12, 2), 4u);
    EXPECT_EQ(uint_at(body[2], p * 12 + 10, 2), p < 6 ? 1u : 2u);
    for (int k = 0; k < 4; ++k) EXPECT_LT(uint_at(body[2], p * 12 + 2 + k * 2, 2), 16u);
  }
  EXPECT_EQ(uint_at(body[2], 6 * 12 + 2, 2), 8u);  // the second object's points follow
  // SURF "Brick": name, then COLR (1, 0, 0.5), TRAN 50 %, SPEC, DIFF.
  const std::string& surf = body[3];
  ASSERT_GE(surf.size(), 36u);
  EXPECT_EQ(surf.substr(0, 24), std::string("Brick\0COLR\0\4\xff\0\x80\0TRAN\0\2\0\x80", 24));
  EXPECT_EQ(surf.substr(24, 4) + surf.substr(32, 4), "SPECDIFF");
}

TEST(LightWaveExport, AssimpReadsIt) {
  if (!have_program("assimp")) GTEST_SKIP() << "assimp-utils is not installed";
  std::vector<LwobObject> objects(1);
  objects[0].mesh = cuboid_mesh(0, 0, 1, 1, 0, 1);
  objects[0].material = "Default";
  TempDir dir;
  const std::string path = dir.file(kAwkward + ".lwo");
  ASSERT_EQ(write_lwob(objects, Point3{}, path), WriteStatus::kOk);
  const export_test::Run info = run({"assimp", "info", path});
  // assimp before 5.3 builds no scene from any LWOB file (its issue 1196), whatever it holds.
  if (info.status != 0 && info.out.find("Unable to build a valid node graph") != std::string::npos)
    GTEST_SKIP() << "this assimp cannot read LWOB files at all";
  ASSERT_EQ(info.status, 0) << info.out;
  EXPECT_EQ(assimp_count(info.out, "Meshes:"), 1);
  EXPECT_EQ(assimp_count(info.out, "Faces:"), 12);  // the quads as triangles
  EXPECT_GE(assimp_count(info.out, "Vertices:"), 8);
}

TEST(LightWaveExport, TooManyPointsAreRefusedAndLargeFacesCut) {
  std::vector<LwobObject> objects(1);
  Mesh& m = objects[0].mesh;
  for (int i = 0; i < 70000; ++i) m.add_vertex(i, 0, 0);
  m.add_face({0, 1, 2});
  EXPECT_TRUE(lwob_bytes(objects, Point3{}).empty());
  TempDir dir;
  EXPECT_EQ(write_lwob(objects, Point3{}, dir.file("x.lwo")), WriteStatus::kCannotWrite);
  EXPECT_FALSE(fs::exists(dir.file("x.lwo")));
  // A flat polygon of 1200 points becomes triangles.
  m.clear();
  std::vector<std::uint32_t> ring;
  for (int i = 0; i < 1200; ++i) {
    const double a = 2 * 3.141592653589793 * i / 1200;
    ring.push_back(m.add_vertex(std::cos(a), std::sin(a), 0));
  }
  m.add_face(ring);
  const std::vector<std::uint8_t> raw = lwob_bytes(objects, Point3{});
  const std::string b(raw.begin(), raw.end());
  const std::size_t pols = b.find("POLS");
  ASSERT_NE(pols, std::string::npos);
  EXPECT_EQ(uint_at(b, pols + 4, 4), 1198u * 10);
}

// ---- terrain ----

TEST(TerrainImport, AGridBecomesTrianglesFacingUpWithItsReport) {
  std::vector<std::string> lines;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j)
      lines.push_back(std::to_string(10 + 2 * i) + ".00 " + std::to_string(5 + j) + ".00 " +
                      std::to_string(i + j) + ".25\n");
  std::string text, backwards;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    text += lines[k];
    backwards += lines[lines.size() - 1 - k];
  }
  const TerrainImport t = read_terrain(text + "\nthis line is after the end\n");
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.num, 12);
  EXPECT_EQ(t.xnum, 3);
  EXPECT_EQ(t.ynum, 4);
  EXPECT_EQ(t.mesh.face_sizes.size(), 12u);
  for (const char* s : {"\nDGM import:\nnum:  12\nxnum: 3\nynum: 4\n",
                        "divx: 10.00000000 -> 14.00000000\n", "divy: 5.00000000 -> 8.00000000\n",
                        "divz: 0.25000000 -> 5.25000000\n", "grid: 2.00000000 -> 1.00000000\n"})
    EXPECT_NE(t.report.find(s), std::string::npos) << s;
  // Every triangle turns counter-clockwise seen from above, also when the grid is read backwards.
  for (const std::string& s : {text, backwards}) {
    const TerrainImport g = read_terrain(s);
    ASSERT_TRUE(g.ok);
    for (std::size_t f = 0; f < g.mesh.face_sizes.size(); ++f) {
      const Point3& a = g.mesh.vertices[g.mesh.indices[f * 3]];
      const Point3& b = g.mesh.vertices[g.mesh.indices[f * 3 + 1]];
      const Point3& c = g.mesh.vertices[g.mesh.indices[f * 3 + 2]];
      EXPECT_GT((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x), 0);
    }
  }
}

TEST(TerrainImport, WhatIsNoGridIsRefused) {
  const struct {
    const char* text;
    std::string_view error;
  } cases[] = {
      {"", kMsgTerrainFailed},
      {"1.0 2.0 x.5\n", kMsgTerrainFailed},
      {"0.0 0.0 1.0\n0.0 1.0 2.0\n", kMsgTerrainNotAGrid},  // one column
      {"0.0 0.0 1.0\n0.0 1.0 2.0\n1.0 0.0 3.0\n", kMsgTerrainNotAGrid},
      {"0.0 0.0 1.0\n0.0 1.0 2.0\n0.0 2.0 2.0\n1.0 0.0 3.0\n2.0 0.0 3.0\n2.0 1.0 3.0\n",
       kMsgTerrainNotAGrid},  // columns of different lengths
  };
  for (const auto& c : cases) EXPECT_EQ(read_terrain(c.text).error, c.error) << c.text;
  TempDir dir;
  EXPECT_EQ(read_terrain_file(dir.path()).error, kMsgTerrainFailed);
}

// ---- booleans ----

// The tests run beside the program, where the build puts the helper.
std::string helper() { return find_boolean_program(KORAV_BINARY); }

TEST(BooleanOperations, TwoOverlappingCuboidsGiveClosedBodiesOfTheRightVolume) {
  const std::string program = helper();
  ASSERT_FALSE(program.empty());
  // Overlapping in all three directions without a shared plane.
  const TriangleMesh a = cuboid(0, 0, 0, 2, 2, 2);
  const TriangleMesh b = cuboid(1, 0.5, 0.5, 3, 2.5, 2.5);
  TempDir dir;
  const std::string root = dir.file(kAwkward);
  ASSERT_TRUE(fs::create_directory(root));
  const struct {
    BooleanOp op;
    double volume;
  } cases[] = {{BooleanOp::kUnion, 8 + 8 - 2.25},
               {BooleanOp::kDifference, 8 - 2.25},
               {BooleanOp::kIntersection, 2.25}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.op));
    const BooleanResult r = boolean_meshes(a, b, c.op, program, root);
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_EQ(open_edge_count(r.mesh), 0u);
    EXPECT_NEAR(signed_volume(r.mesh) / 6, c.volume, 1e-9);
    for (const char* s : {"merge3d: removed ", "clean3d: removed ", "repair3d: inserted "})
      EXPECT_NE(r.log.find(s), std::string::npos) << s;
  }
  EXPECT_TRUE(fs::is_empty(root)) << "the private directory went with its files";
}

TEST(BooleanOperations, FailuresSaySoAndLeaveNothingBehind) {
  TempDir dir;
  const TriangleMesh a = cuboid(0, 0, 0, 2, 2, 2);
  const TriangleMesh b = cuboid(1, 0.5, 0.5, 3, 2.5, 2.5);
  const BooleanResult r = boolean_meshes(a, b, BooleanOp::kUnion, "", dir.path());
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.log.find("***ERROR*** Boolean operation failed\n"), std::string::npos);
  EXPECT_FALSE(boolean_meshes(a, b, BooleanOp::kUnion, dir.file("no such program"), dir.path()).ok);
  // A program that leaves no results.
  EXPECT_FALSE(boolean_meshes(a, b, BooleanOp::kUnion, "/bin/true", dir.path()).ok);
  // An operand with a hole: the helper refuses it.
  TriangleMesh open = a;
  open.triangles.pop_back();
  EXPECT_FALSE(boolean_meshes(open, b, BooleanOp::kUnion, helper(), dir.path()).ok);
  // Two bodies apart: a difference has no part of the second inside the first.
  EXPECT_FALSE(
      boolean_meshes(a, cuboid(5, 5, 5, 6, 6, 6), BooleanOp::kDifference, helper(), dir.path()).ok);
  EXPECT_FALSE(boolean_meshes(a, b, BooleanOp::kUnion, helper(), dir.file("missing dir")).ok);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(BooleanOperations, TheHelperGetsItsArgumentsExactly) {
  // A stand-in helper that writes its arguments, one a line, into the directory it was given.
  TempDir dir;
  const std::string script = dir.file("echo-args");
  write_text(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$4/args\"\n"
                     "pwd > \"$4/cwd\"\n");
  ASSERT_EQ(chmod(script.c_str(), 0700), 0);
  const std::string odd = dir.file(kAwkward);
  ASSERT_TRUE(fs::create_directory(odd));
  EXPECT_EQ(run_and_wait({script, "inter", "a b", "it's \"x\"; y", odd}, odd), 0);
  EXPECT_EQ(read_text(odd + "/args"), "inter\na b\nit's \"x\"; y\n" + odd + "\n");
  EXPECT_EQ(read_text(odd + "/cwd"), fs::canonical(odd).string() + "\n");
  EXPECT_EQ(run_and_wait({dir.file("missing")}, ""), -1);
}

TEST(MeshRepair, PointsOnOpenEdgesSplitThemUntilTheSurfaceCloses) {
  // A unit square facing up cut at the midpoint 4 of edge (0, 1); facing down, the plain two
  // triangles that do not know the midpoint.
  TriangleMesh t;
  t.vertices = {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 0, 0}, {0.5, 0, 0, 0}};
  t.triangles = {{0, 4, 3}, {4, 1, 2}, {4, 2, 3}, {0, 2, 1}, {0, 3, 2}};
  EXPECT_EQ(open_edge_count(t), 3u);  // (0, 4), (4, 1) and (0, 1)
  EXPECT_EQ(repair_open_edges(t, 1e-9), 1);
  EXPECT_EQ(open_edge_count(t), 0u);
  EXPECT_EQ(t.triangles.size(), 6u);
}

}  // namespace
}  // namespace korav
