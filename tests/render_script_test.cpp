// The render and scene export commands through the script host, with POV-Ray and Radiance stood
// in for by recording programs on the PATH; the material and render dialogs; `korav --export pov`.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/process.h"
#include "exchange/radiance_export.h"
#include "tests/files_test_support.h"
#include "tests/render_test_support.h"
#include "tests/shell_test_support.h"
#include "tests/tool_script_support.h"
#include "three_d/material.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using files_test::TempDir;
using shell_test::read_text;
using shell_test::ScriptRun;
using shell_test::write_text;

// PATH holding only the stand-ins (or the stand-ins first), restored at the end.
class StandIns {
 public:
  explicit StandIns(bool keep_path = false) : old_(std::getenv("PATH") ? std::getenv("PATH") : "") {
    fs::create_directories(dir_.file("bin"));
    const std::string path = dir_.file("bin") + (keep_path ? ":" + old_ : std::string());
    setenv("PATH", path.c_str(), 1);
  }
  ~StandIns() { setenv("PATH", old_.c_str(), 1); }
  // A program that logs its working directory and NUL-separated arguments, then runs `body`.
  void add(const std::string& name, const std::string& body = "") {
    const std::string path = dir_.file("bin/" + name);
    const std::string log = dir_.file(name + ".log");
    write_text(path, "#!/bin/sh\n{ pwd; printf '%s\\0' \"$@\"; echo; } >> '" + log + "'\n" + body);
    fs::permissions(path, fs::perms::owner_all);
  }
  struct Call {
    std::string where;
    std::vector<std::string> args;
  };
  std::vector<Call> calls(const std::string& name) const {
    const std::string text = read_text(dir_.file(name + ".log"));
    std::vector<Call> out;
    std::size_t from = 0;
    while (from < text.size()) {
      Call c;
      const std::size_t nl = text.find('\n', from);
      c.where = text.substr(from, nl - from);
      const std::size_t end = text.find('\n', nl + 1);
      for (std::size_t a = nl + 1; a < end;) {
        const std::size_t nul = text.find('\0', a);
        c.args.push_back(text.substr(a, nul - a));
        a = nul + 1;
      }
      out.push_back(std::move(c));
      from = end + 1;
    }
    return out;
  }
  std::string file(const std::string& name) const { return dir_.file(name); }

 private:
  TempDir dir_;
  std::string old_;
};

bool wait_for(const std::string& path) {
  for (int i = 0; i < 1000; ++i) {
    if (fs::exists(path) && fs::file_size(path) > 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::string without_slash(std::string p) {
  if (!p.empty() && p.back() == '/') p.pop_back();
  return p;
}

// A drawing to render: a cuboid and a light on the current layer, an active camera.
void some_solids(App& app) {
  render_test::add_marked(app.drawing, cuboid_mesh(0, 0, 2, 1, 0, 1), "Default")->selected = 0;
  render_test::add_light(app.drawing, {1, -3, 4}, 1, 0.5, 10)->selected = 0;
  render_test::add_active_camera(app.drawing, {-4, -6, 3}, {1, 0.5, 0.5});
}

// The program's temporary directory below a name with blanks, quotes and a ';'.
struct AwkwardTemp {
  TempDir dir;
  std::string path = dir.file("temp it's \"here\"; ls") + "/";
  AwkwardTemp() { fs::create_directories(path); }
  // Set-up of a run there, with some_solids() in the drawing.
  auto with_solids() const {
    return [this](App& app) {
      app.temp_dir = path;
      some_solids(app);
    };
  }
};

std::string transcript_of(const ScriptRun& run) {
  std::string out;
  for (const std::string& l : run.transcript()) out += l + "\n";
  return out;
}

TEST(PovRender, PovrayIsStartedInThePrivateDirectoryWithTheOptionsAndTheScene) {
  StandIns fake;
  fake.add("povray");
  AwkwardTemp temp;
  const std::string picture = temp.dir.file("my picture; it's new.png");
  ScriptRun run("set Render settings/Resolution 1024x768\n"
                "set Render settings/Save Image on\n"
                "set Render settings/Image file " + picture + "\n"
                "b_3d_pov\nanswer Perspective\nanswer Use default material\n",
                temp.with_solids());
  ASSERT_EQ(run.status, 0) << transcript_of(run);
  EXPECT_EQ(run.lines("question"),
            (std::vector<std::string>{
                "Camera type: [Perspective|Orthographic|Cancel] -> Perspective",
                "Material  > Default <  not found! [Cancel|Use default material] -> Use default "
                "material"}));
  const std::string dir = run.app->private_dir.path();
  ASSERT_EQ(dir.rfind(temp.path + "korav-", 0), 0u) << dir;
  ASSERT_TRUE(wait_for(fake.file("povray.log")));
  const auto calls = fake.calls("povray");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].where, without_slash(dir));
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"povray.ini", "+Ikorav.pov"}));
  const std::string ini = read_text(dir + "povray.ini");
  EXPECT_EQ(ini, "+P +D0 +X100 -V +SP32 +EP4 +W1024 +H768 +FN8 +Q9 \nOutput_File_Name=\"" +
                     picture + "\"\n");
  const std::string scene = read_text(dir + "korav.pov");
  EXPECT_EQ(render_test::count_of(scene, "mesh2"), 1u);
  EXPECT_EQ(render_test::count_of(scene, "light_source"), 2u);
  EXPECT_EQ(read_text(dir + "koravp.pov"), "test");
  for (const Element& e : run.app->drawing.store.list) EXPECT_EQ(e.selected, 0);
  // The renderer may still be reading: the directory stays.
  EXPECT_TRUE(run.app->private_dir.kept());
}

TEST(PovRender, CancelsAndRefusalsStartNothing) {
  StandIns fake;
  fake.add("povray");
  AwkwardTemp temp;
  {
    ScriptRun run("b_3d_pov\nanswer Cancel\nb_3d_pov\nanswer Perspective\nanswer Cancel\n",
                  temp.with_solids());
    EXPECT_EQ(run.status, 0) << transcript_of(run);
    EXPECT_EQ(run.lines("question").size(), 3u);
  }
  {
    // A picture to save without a name, and one POV-Ray cannot be given.
    ScriptRun run("set Render settings/Save Image on\nb_3d_pov\nanswer Perspective\n"
                  "set Render settings/Image file /tmp/a\"b;c.png\nb_3d_pov\nanswer Orthographic\n",
                  temp.with_solids());
    EXPECT_EQ(run.status, 1) << transcript_of(run);  // an error box fails a script
    EXPECT_EQ(run.lines("error"), (std::vector<std::string>{
                                      "Choose the file for the picture first.",
                                      "POV-Ray cannot be given this file name:|/tmp/a\"b;c.png"}));
  }
  EXPECT_FALSE(fs::exists(fake.file("povray.log")));
}

TEST(PovRender, WithoutPovrayTheUserIsToldSo) {
  StandIns fake;  // nothing on the PATH
  AwkwardTemp temp;
  ScriptRun run("b_3d_pov\nanswer Perspective\n", [&](App& app) { app.temp_dir = temp.path; });
  EXPECT_EQ(run.status, 0);
  ASSERT_EQ(run.lines("message").size(), 1u);
  EXPECT_EQ(run.lines("message")[0].rfind("POV-Ray is not installed", 0), 0u);
}

TEST(PovRender, AnUnwritableTemporaryDirectorySaysWhichFile) {
  StandIns fake;
  fake.add("povray");
  ScriptRun run("b_3d_pov\nanswer Perspective\n",
                [&](App& app) { app.temp_dir = "/proc/no-such-place/"; });
  EXPECT_EQ(run.lines("error"),
            std::vector<std::string>{"Error on writing temporary korav.pov file!"});
  EXPECT_FALSE(fs::exists(fake.file("povray.log")));
}

TEST(PovRender, TheMaterialPreviewRendersASphereOfTheCurrentMaterial) {
  StandIns fake;
  fake.add("povray");
  AwkwardTemp temp;
  ScriptRun run("z_d_mat\nset Material/Red 0.25\ns_3d_render_mat\n",
                [&](App& app) { app.temp_dir = temp.path; });
  ASSERT_EQ(run.status, 0) << transcript_of(run);
  ASSERT_TRUE(wait_for(fake.file("povray.log")));
  const auto calls = fake.calls("povray");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args.at(0), "+Ikoravp.pov");
  const std::string scene = read_text(run.app->private_dir.path() + "koravp.pov");
  EXPECT_NE(scene.find("pigment { color rgbt <0.250000,"), std::string::npos) << scene;
  EXPECT_NE(scene.find("sphere {"), std::string::npos);
}

// Saves what `script` draws as in.krv in `work`, then runs `korav --export pov in.krv out.pov`.
shell_test::KoravRun export_drawn(const std::string& script, const TempDir& work,
                                  const shell_test::DataDir& data) {
  ScriptRun make(script + "p_nop\np_file_save\nfile " + work.file("in.krv") + "\n");
  EXPECT_EQ(make.status, 0) << transcript_of(make);
  return shell_test::run_korav(data.path(), "--export pov in.krv out.pov", work.path());
}
const std::string kCuboid = "b_3d_cuboid\nclick 0 0\nclick 2 1\nclick 2 1\ntype 1\ntype 0\n";

TEST(PovExport, TheCommandLineExportWritesASceneThatPovrayRenders) {
  TempDir work;
  shell_test::DataDir data;
  fs::create_directories(data.file("dat/mat"));
  fs::copy_file(std::string(KORAV_SOURCE_DIR) + "/dat/mat/Default", data.file("dat/mat/Default"));
  const shell_test::KoravRun r = export_drawn(
      kCuboid + "p_nop\nb_3d_light\nclick 1 -3\nclick 1 -3\ntype 4\np_nop\n"
                "b_3d_camera\nclick -4 -6\nclick -4 -6\nclick 1 0.5\nclick 1 0.5\ntype 1.6\n",
      work, data);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string scene = read_text(work.file("out.pov"));
  EXPECT_EQ(render_test::count_of(scene, "mesh2"), 1u);
  EXPECT_NE(scene.find("light_source"), std::string::npos);
  EXPECT_NE(scene.find("#declare Default ="), std::string::npos);
  if (find_program("povray").empty()) GTEST_SKIP() << "povray is not installed";
  EXPECT_EQ(render_test::render_with_povray(work.path(), "out.pov", "out.png"), 0);
  EXPECT_EQ(read_text(work.file("out.png")).substr(1, 3), "PNG");
}

TEST(PovExport, TheCommandLineExportUsesTheDefaultForAMissingMaterialAndSaysSo) {
  TempDir work;
  shell_test::DataDir data;
  const shell_test::KoravRun r =
      export_drawn("z_d_mat\nset Material/Name Marble\n" + kCuboid, work, data);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Material  > Marble <  not found! Use default material"), std::string::npos)
      << r.err;
  EXPECT_NE(read_text(work.file("out.pov")).find("#declare Marble ="), std::string::npos);
}

TEST(RadianceRender, TheScriptsRunInThePrivateDirectoryThroughShWithTheirExactArguments) {
  StandIns fake(true);  // the real shell's tools stay reachable
  fake.add("gensky", "echo '# the sky of' \"$@\"\n");
  fake.add("oconv", "cat korav.rad\n");
  fake.add("rad", "echo picture > korav_a.pic\n");
  fake.add("ra_ppm", "cat \"$1\"\n");
  fake.add("xdg-open");
  // sh itself is stood in for: it records its arguments and hands them to the real shell.
  const std::string real_sh = find_program("sh");
  ASSERT_FALSE(real_sh.empty());
  fake.add("sh", "exec '" + real_sh + "' \"$@\"\n");
  AwkwardTemp temp;
  const std::string picture = temp.dir.file("picture; it's \"done\".pic");
  ScriptRun run("set Radiance settings/Sky and Sun Sunny with sun\n"
                "set Radiance settings/Time 15\n"
                "set Radiance settings/Save Image on\n"
                "set Radiance settings/Image file " + picture + "\n"
                "b_3d_ray\nanswer Perspective\nanswer Use default material\n",
                temp.with_solids());
  ASSERT_EQ(run.status, 0) << transcript_of(run);
  const std::string dir = run.app->private_dir.path();
  ASSERT_TRUE(wait_for(picture)) << transcript_of(run);
  EXPECT_EQ(read_text(picture), "picture\n");

  const auto gensky = fake.calls("gensky");
  ASSERT_EQ(gensky.size(), 1u);
  EXPECT_EQ(gensky[0].args, (std::vector<std::string>{"7", "1", "15:00", "-a", "48", "+s"}));
  EXPECT_EQ(gensky[0].where, without_slash(dir));
  const auto sh = fake.calls("sh");
  ASSERT_EQ(sh.size(), 2u);
  EXPECT_EQ(sh[0].args, std::vector<std::string>{dir + "radscript.sh"});
  EXPECT_EQ(sh[1].args, (std::vector<std::string>{dir + "radscript.sh", picture}));
  ASSERT_EQ(fake.calls("oconv").size(), 1u);
  EXPECT_EQ(fake.calls("oconv")[0].where, without_slash(dir));
  // The octree holds what oconv read: the scene with gensky's sky in it.
  const std::string octree = read_text(dir + "korav.oct");
  EXPECT_EQ(octree.rfind("#Radiance file written by Korav\n\n# the sky of 7 1 15:00 -a 48 +s\n", 0),
            0u)
      << octree;
  EXPECT_NE(octree.find("Default polygon poly.5\n"), std::string::npos);
  EXPECT_NE(read_text(dir + "korav.rif").find("RESOLUTION= 640 480 0\n"), std::string::npos);
  ASSERT_TRUE(wait_for(fake.file("xdg-open.log")));
  EXPECT_EQ(fake.calls("xdg-open")[0].args, std::vector<std::string>{"korav_a.ppm"});
}

TEST(RadianceRender, WithoutRadianceTheFilesAreWrittenAndTheUserIsToldSo) {
  StandIns fake;  // nothing on the PATH
  AwkwardTemp temp;
  ScriptRun run("b_3d_ray\nanswer Linear\nanswer Use default material\n", temp.with_solids());
  ASSERT_EQ(run.status, 0) << transcript_of(run);
  const std::string dir = run.app->private_dir.path();
  EXPECT_EQ(run.lines("message"),
            std::vector<std::string>{"Radiance is not installed: oconv rad sh not found on the "
                                     "PATH.|The scene files are written to " + dir + "."});
  EXPECT_NE(read_text(dir + "korav.rad").find(" polygon poly.0\n"), std::string::npos);
  EXPECT_NE(read_text(dir + "korav.rif").find("view= a -vtl -vp -4.00 -6.00 3.00"),
            std::string::npos);
  EXPECT_EQ(read_text(dir + "radscript.sh"), radiance_octree_script(dir, RadianceBuild::kStandard));
  for (const Element& e : run.app->drawing.store.list) EXPECT_NE(e.layer, kTempLayer);
}

TEST(RadianceRender, TheFilesOfTheLastRenderAreRemovedAndOnlyThose) {
  StandIns fake;
  AwkwardTemp temp;
  ScriptRun run("b_3d_ray\nanswer Cancel\n", [&](App& app) {
    app.temp_dir = temp.path;
    const std::string dir = app.private_dir.get(app.temp_dir);
    write_text(dir + "korav_a.ppm", "old picture");
    write_text(dir + "korav.oct", "old octree");
    write_text(dir + "korav.pov", "the POV-Ray scene");
  });
  const std::string dir = run.app->private_dir.path();
  EXPECT_FALSE(fs::exists(dir + "korav_a.ppm"));
  EXPECT_FALSE(fs::exists(dir + "korav.oct"));
  EXPECT_EQ(read_text(dir + "korav.pov"), "the POV-Ray scene");
}

TEST(MaterialDialog, SavesChoosesAndReloadsMaterials) {
  ScriptRun run("z_d_mat\nset Material/Name Marble\nset Material/Red 0.3\n"
                "set Material/Texture Image\nset Material/Image file marble.png\n"
                "set Material/Mapping Cylinder\nz_save_mat\n"
                "set Material/Name Other\nset Material/Red 0.9\n"
                "set Material/Name Marble\n"
                "set Material/Name a/b\nz_save_mat\n");
  ASSERT_EQ(run.status, 1) << transcript_of(run);  // the error box at the end
  const std::string file = read_text(run.data.file("dat/mat/Marble"));
  EXPECT_EQ(file.substr(0, 9), "0.300000\n");
  Material m;
  ASSERT_EQ(parse_material(file, m).status, MaterialRead::kRead);
  EXPECT_EQ(m.image, "marble.png");
  EXPECT_EQ(m.mapping, kMapCylinder);
  EXPECT_EQ(m.texture, 1);
  // Choosing Marble again read its file: the red of "Other" (never saved) is gone.
  EXPECT_DOUBLE_EQ(run.app->material_values.red, 0.3);
  EXPECT_EQ(run.lines("error"), std::vector<std::string>{"Invalid material name"});
  EXPECT_FALSE(fs::exists(run.data.file("dat/mat/a")));
}

TEST(MaterialDialog, ADamagedMaterialIsReadUpToItsDamageAndNamedWhenRendering) {
  StandIns fake;
  fake.add("povray");
  AwkwardTemp temp;
  ScriptRun run("z_d_mat\nset Material/Name Broken\nb_3d_pov\nanswer Perspective\n",
                [&](App& app) {
                  fs::create_directories(app.program_dir + "dat/mat");
                  write_text(app.program_dir + "dat/mat/Broken", "0.1\n0.2\n0.3\nlots\n");
                  app.temp_dir = temp.path;
                  render_test::add_marked(app.drawing, cuboid_mesh(0, 0, 1, 1, 0, 1), "Broken")
                      ->selected = 0;
                });
  ASSERT_EQ(run.status, 1) << transcript_of(run);  // the error box
  EXPECT_DOUBLE_EQ(run.app->material_values.blue, 0.3);
  EXPECT_DOUBLE_EQ(run.app->material_values.transparency, Material{}.transparency);
  EXPECT_EQ(run.lines("error"),
            std::vector<std::string>{"The material file Broken is damaged in line 4."});
  ASSERT_TRUE(wait_for(fake.file("povray.log")));
  const std::string scene = read_text(run.app->private_dir.path() + "korav.pov");
  EXPECT_NE(scene.find("pigment { color rgbt <0.100000,0.200000,0.300000,0.000000> }"),
            std::string::npos);
}

TEST(PovExport, TheSceneGoesToTheChosenFileAndAMissingTextureIsAskedAbout) {
  TempDir out;
  const std::string path = out.file("scene with blanks.pov");
  ScriptRun run("z_d_mat\nset Material/Name Tiles\nset Material/Texture Image\n"
                "set Material/Image file tiles.png\nz_save_mat\n"
                "p_file_export_pov\nanswer Orthographic\nanswer All objects\nfile " + path +
                    "\nanswer Use material without texture\n",
                [&](App& app) {
                  render_test::add_marked(app.drawing, cuboid_mesh(0, 0, 1, 1, 0, 1), "Tiles")
                      ->selected = 0;
                  render_test::add_active_camera(app.drawing, {-4, -6, 3}, {1, 0.5, 0.5});
                });
  ASSERT_EQ(run.status, 0) << transcript_of(run);
  const auto q = run.lines("question");
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(q[2], "Image  > tiles.png <  not found! [Cancel|Use material without texture] -> Use "
                  "material without texture");
  EXPECT_EQ(run.lines("file"), std::vector<std::string>{"Export POV... -> " + path});
  const std::string scene = read_text(path);
  EXPECT_EQ(scene.find("image_map"), std::string::npos);
  EXPECT_NE(scene.find(" orthographic\n"), std::string::npos);
  EXPECT_EQ(render_test::count_of(scene, "mesh2"), 1u);
  for (const Element& e : run.app->drawing.store.list) EXPECT_EQ(e.selected, 0);
}

TEST(RenderDialogs, TheColourSelectionEditsTheColourOfTheDialogThatOpenedIt) {
  ScriptRun run("z_d_pov\nz_d_colorsel_povbg\nset Color selection/Red 0.1\nz_c_colorsel\n"
                "z_d_colorsel_pattern\nset Color selection/Green 0.2\nz_c_colorsel\n"
                "z_d_colorsel_povbg\nset Color selection/Blue 0.3\n"
                "set Render settings/Sky on\nset Render settings/Ambient light 20\n"
                "p_pov_out\nfile /pictures/house.png\n"
                "z_d_ray\nset Radiance settings/Scene Exterior\nset Radiance settings/Latitude 100\n"
                "p_ray_out\nfile cancel\n");
  ASSERT_EQ(run.status, 0) << transcript_of(run);
  const App& app = *run.app;
  EXPECT_DOUBLE_EQ(app.pov.bg_red, 0.1);
  EXPECT_DOUBLE_EQ(app.pov.bg_green, PovSettings{}.bg_green);
  EXPECT_DOUBLE_EQ(app.pov.bg_blue, 0.3);
  EXPECT_DOUBLE_EQ(app.presets.pattern.green, 0.2);
  EXPECT_EQ(app.pov.sky, 1);
  EXPECT_EQ(app.pov.ambient, 10);  // as far as the spin button goes
  EXPECT_EQ(app.pov.output, "/pictures/house.png");
  EXPECT_EQ(app.pov.save_image, 1);
  EXPECT_EQ(app.radiance.scene, 1);
  EXPECT_DOUBLE_EQ(app.radiance.latitude, 90);
  EXPECT_EQ(app.radiance.save_image, 0);
}

TEST(RenderDialogs, TheirTextsAreInTheCatalogue) {
  tool_script::expect_in_catalogue(
      {"Render settings", "Radiance settings", "Color selection", "Camera type:", "Perspective",
       "Orthographic", "Viewtype:", "Linear", "Export POV...", "Material  > %s <  not found!",
       "Use default material", "Image  > %s <  not found!", "Use material without texture",
       "Error on writing temporary korav.pov file!", "Error on writing temporary koravp.pov file!",
       "Error on writing temporary povray.ini file!",
       "ExecuteWinProgram - Could not run external command:\n%s.",
       "Choose the file for the picture first.", "POV-Ray cannot be given this file name:\n%s",
       "Invalid material name", "The material file %s is damaged in line %d.", "Transparency",
       "Reflection", "Ambience", "Highlight", "Refraction", "Metallic", "Texture", "Image",
       "Image file", "Repeat", "Size X", "Size Y", "Offset X", "Offset Y", "Mapping",
       "Render preview", "Save Image", "Select file", "Resolution", "Quality", "Antialias",
       "Sky", "Clouds", "Ambient light", "Background color", "Render", "Detail", "Variability",
       "Indirect light", "Shadows", "Scene", "Interior", "Exterior", "Sky and Sun", "Latitude",
       "Time", "Output file...", "Low", "Medium", "High", "Front", "Ground", "Side", "Cylinder",
       "Sunny with sun", "Cloudy", "Uniform", "None", "Radiosity low", "Radiosity high",
       "TGA compressed", "PNG 8 bit"});
}

}  // namespace
}  // namespace korav
