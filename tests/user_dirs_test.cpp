// The per-user files of an installed program: XDG directories, what counts as installed, and the
// user's language, settings, presets and materials kept out of the shipped tree.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "app/dialogs/presets.h"
#include "base/user_dirs.h"
#include "files/preset_file.h"
#include "files/settings_file.h"
#include "shell_test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using shell_test::CatalogueGuard;
using shell_test::read_text;
using shell_test::TempDir;
using shell_test::write_text;

// Sets environment variables for one test and puts the old values back.
class EnvGuard {
 public:
  void set(const char* name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~EnvGuard() {
    for (auto& [name, value] : saved_)
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(UserDirs, XdgDirectoriesFollowTheBaseDirectoryRules) {
  struct Case {
    const char* xdg;
    const char* home;
    std::string expected;
  } cases[] = {
      {"/x/config", "/home/u", "/x/config/korav/"},
      {"/x/config/", "/home/u", "/x/config/korav/"},
      {"relative/config", "/home/u", "/home/u/.config/korav/"},  // relative values are ignored
      {"", "/home/u", "/home/u/.config/korav/"},
      {nullptr, "/home/u/", "/home/u/.config/korav/"},
      {nullptr, nullptr, ""},
      {nullptr, "not/absolute", ""},
  };
  for (const Case& c : cases) {
    EnvGuard env;
    env.set("XDG_CONFIG_HOME", c.xdg);
    env.set("HOME", c.home);
    EXPECT_EQ(xdg_directory("XDG_CONFIG_HOME", ".config"), c.expected)
        << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
  }
}

TEST(UserDirs, OnlyAnInstalledDataDirectoryHasUserDirectories) {
  TempDir t;
  fs::create_directories(t.file("build/dat"));
  fs::create_directories(t.file("usr/share/korav/nls"));
  fs::create_directories(t.file("locked"));
  EnvGuard env;
  env.set("XDG_CONFIG_HOME", t.file("cfg").c_str());
  env.set("XDG_DATA_HOME", t.file("share").c_str());
  EXPECT_FALSE(data_dir_is_installed(t.file("build")));
  EXPECT_FALSE(user_dirs_for(t.file("build/")).active());
  EXPECT_TRUE(data_dir_is_installed(t.file("usr/share/korav")));
  const UserDirs u = user_dirs_for(t.file("usr/share/korav/"));
  EXPECT_EQ(u.config, t.file("cfg/korav/"));
  EXPECT_EQ(u.data, t.file("share/korav/"));
  EXPECT_FALSE(data_dir_is_installed(""));
  // A directory the process may not write counts as installed (root may write anything).
  chmod(t.file("locked").c_str(), 0555);
  if (geteuid() != 0) {
    EXPECT_TRUE(data_dir_is_installed(t.file("locked")));
  }
  chmod(t.file("locked").c_str(), 0755);
  // Without a home there is nowhere to put the user's files.
  env.set("XDG_CONFIG_HOME", nullptr);
  env.set("HOME", nullptr);
  EXPECT_FALSE(user_dirs_for(t.file("usr/share/korav/")).active());
}

TEST(UserDirs, MakeDirectoriesMakesTheMissingParents) {
  TempDir t;
  EXPECT_TRUE(make_directories(t.file("a/b/c/")));
  EXPECT_TRUE(fs::is_directory(t.file("a/b/c")));
  EXPECT_TRUE(make_directories(t.file("a/b")));  // already there
  write_text(t.file("file"), "x");
  EXPECT_FALSE(make_directories(t.file("file/sub")));  // a file in the way
  EXPECT_FALSE(make_directories(""));
}

// Every file below `dir` with its contents, to see that nothing was written there.
std::map<std::string, std::string> tree_of(const std::string& dir) {
  std::map<std::string, std::string> out;
  for (auto& e : fs::recursive_directory_iterator(dir))
    out[e.path().string()] = e.is_regular_file() ? read_text(e.path().string()) : "<dir>";
  return out;
}

// A data directory, installed (".../share/korav/") or a developer's, with a shipped wall preset
// "Shipped", and the user's XDG directories in the same temporary tree.
struct Installation {
  CatalogueGuard guard;
  TempDir root;
  EnvGuard env;
  std::string data, config, user_data;

  explicit Installation(bool installed) {
    data = root.file(installed ? "usr/share/korav/" : "build/");
    fs::create_directories(data + "nls");
    fs::create_directories(data + "dat/prefs");
    fs::create_directories(data + "dat/dia/wall");
    const std::string src = KORAV_SOURCE_DIR;
    fs::copy_file(src + "/nls/krv.nls", data + "nls/krv.nls");
    fs::copy_file(src + "/dat/prefs/default.prefs", data + "dat/prefs/default.prefs");
    Presets p;
    p.wall.thickness = 0.115;
    EXPECT_EQ(save_preset(data + "dat/dia/", PresetKind::kWall, "Shipped", p), WriteStatus::kOk);
    config = root.file("config/korav/");
    user_data = root.file("data/korav/");
    env.set("XDG_CONFIG_HOME", root.file("config").c_str());
    env.set("XDG_DATA_HOME", root.file("data").c_str());
  }
};

// A script run of the program on that data directory, as the program starts.
struct ProgramRun {
  std::unique_ptr<App> app;
  std::istringstream in;
  std::unique_ptr<ScriptHost> host;
  int status = -1;
  ProgramRun(const Installation& inst, const std::string& script) : in(script) {
    catalogue().reset();
    catalogue().set_diagnostics(nullptr);
    load_catalogue(inst.data);
    app = std::make_unique<App>();
    host = std::make_unique<ScriptHost>(*app, in, "test", nullptr);
    app->ui = host.get();
    CommandLine cl;
    cl.start_dir = inst.root.path();
    status = host->run(cl, inst.data, {});
  }
};

TEST(UserDirs, AnInstalledProgramKeepsTheUsersFilesOutOfItsTree) {
  Installation inst(true);
  const auto before = tree_of(inst.data);
  ProgramRun saved(inst,
                   "set Wall/Name Mine\nset Wall/Thickness 0.42\nz_save_wall\n"
                   "set Settings/Language german\n");
  ASSERT_EQ(saved.status, 0);
  EXPECT_EQ(saved.app->user.data, inst.user_data);
  EXPECT_TRUE(fs::exists(inst.user_data + "dat/dia/wall/Mine"));
  EXPECT_EQ(read_text(inst.config + "language"), "german\n");
  // The next start reads the user's language; an unknown text is not appended to the catalogue.
  load_catalogue(inst.data);
  EXPECT_EQ(catalogue().chosen_language(), "german");
  EXPECT_EQ(catalogue().translate("A text that no catalogue holds"),
            "A text that no catalogue holds");
  EXPECT_EQ(tree_of(inst.data), before);

  // The next run lists the user's and the shipped presets and reads the user's by name.
  ProgramRun next(inst, "set Wall/Name Mine\n");
  ASSERT_EQ(next.status, 0);
  const auto* names = next.app->vars.find(preset_variable(PresetKind::kWall, "Name"));
  ASSERT_TRUE(names);
  EXPECT_EQ(names->items, (std::vector<std::string>{"Mine", "Shipped"}));
  EXPECT_EQ(next.app->presets.wall.thickness, 0.42);

  // A user's preset of a shipped name comes first; the trash can deletes only the user's.
  Presets own;
  own.wall.thickness = 0.3;
  ASSERT_EQ(save_preset(inst.user_data + "dat/dia/", PresetKind::kWall, "Shipped", own),
            WriteStatus::kOk);
  ProgramRun chosen(inst, "set Wall/Name Shipped\n");
  EXPECT_EQ(chosen.app->presets.wall.thickness, 0.3);
  ProgramRun trashed(inst, "set Wall/Name Shipped\nz_trash_wall\nset Wall/Name Shipped\n");
  EXPECT_FALSE(fs::exists(inst.user_data + "dat/dia/wall/Shipped"));
  EXPECT_EQ(trashed.app->presets.wall.thickness, 0.115);
  EXPECT_EQ(tree_of(inst.data), before);
}

TEST(UserDirs, TheUsersDefaultSettingsComeBeforeTheShippedOnes) {
  Installation inst(true);
  FakeUi ui;
  Drawing d;
  ASSERT_TRUE(load_default_settings(d, ui, inst.data));
  const std::uint32_t shipped = d.settings.figure_input;
  d.settings.figure_input = shipped == 2 ? 1 : 2;
  ASSERT_TRUE(make_directories(inst.config + std::string(kSettingsDirectory)));
  ASSERT_TRUE(save_settings_to(d, ui, inst.config + std::string(kDefaultSettingsFile)));
  ProgramRun run(inst, "");
  EXPECT_EQ(run.app->drawing.settings.figure_input, d.settings.figure_input);
  fs::remove(inst.config + std::string(kDefaultSettingsFile));
  ProgramRun plain(inst, "");
  EXPECT_EQ(plain.app->drawing.settings.figure_input, shipped);
}

TEST(UserDirs, AnInstalledProgramSavesTheUsersMaterialsBelowTheUsersDataDirectory) {
  Installation inst(true);
  fs::create_directories(inst.data + "dat/mat");
  fs::copy_file(std::string(KORAV_SOURCE_DIR) + "/dat/mat/Brick", inst.data + "dat/mat/Brick");
  const auto before = tree_of(inst.data);
  ProgramRun saved(inst, "z_d_mat\nset Material/Name Mine\nset Material/Red 0.42\nz_save_mat\n");
  ASSERT_EQ(saved.status, 0);
  EXPECT_TRUE(fs::exists(inst.user_data + "dat/mat/Mine"));
  EXPECT_EQ(tree_of(inst.data), before);
  // The next run lists both and reads the user's by name.
  ProgramRun next(inst, "set Material/Name Mine\n");
  ASSERT_EQ(next.status, 0);
  EXPECT_DOUBLE_EQ(next.app->material_values.red, 0.42);
  ASSERT_TRUE(next.app->vars.find("Material/Name"));
  EXPECT_EQ(next.app->vars.find("Material/Name")->items,
            (std::vector<std::string>{"Brick", "Mine"}));
}

TEST(UserDirs, AWritableDataDirectoryOfOnesOwnKeepsEverything) {
  Installation inst(false);
  ProgramRun saved(inst,
                   "set Wall/Name Mine\nset Wall/Thickness 0.42\nz_save_wall\n"
                   "set Settings/Language german\n");
  ASSERT_EQ(saved.status, 0);
  EXPECT_FALSE(saved.app->user.active());
  EXPECT_TRUE(fs::exists(inst.data + "dat/dia/wall/Mine"));
  EXPECT_EQ(read_text(inst.data + "language"), "german\n");
  EXPECT_FALSE(fs::exists(inst.root.file("config")));
  EXPECT_FALSE(fs::exists(inst.root.file("data")));
}

}  // namespace
}  // namespace korav
