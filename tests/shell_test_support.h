// Helpers of the shell tests: a data directory of their own (so that nothing is appended to the
// project's catalogue), and scripts run in-process through the script host.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/script_host.h"
#include "base/catalogue.h"
#include "tests/files_test_support.h"

namespace korav::shell_test {

namespace fs = std::filesystem;

using files_test::TempDir;

inline void write_text(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The catalogue's counted records only: records appended by earlier runs (texts the catalogue
// did not know) are left behind, so they cannot hide a text that is still missing.
inline void copy_catalogue(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary);
  std::string l;
  auto copy_line = [&] {
    if (!std::getline(in, l)) return false;
    out << l << "\n";
    return true;
  };
  copy_line();
  const int languages = std::atoi(l.c_str());
  for (int i = 0; i < 2 * languages; ++i) copy_line();
  copy_line();
  const int entries = std::atoi(l.c_str());
  for (int e = 0; e < entries * (languages + 1); ++e)
    if (!copy_line()) break;
}

// A data directory of the program's own: the catalogue (the program appends unknown texts to
// it), the default settings, an empty drawing directory. `language` is written to its language
// file when not empty. For the window: the catalogue's counted records only, and the pictures.
class DataDir {
 public:
  explicit DataDir(const std::string& language = "", bool window = false) {
    fs::create_directories(dir_.path() + "/nls");
    fs::create_directories(dir_.path() + "/dat/prefs");
    fs::create_directories(dir_.path() + "/dat/draw");
    const std::string src = KORAV_SOURCE_DIR;
    if (window) {
      copy_catalogue(src + "/nls/krv.nls", dir_.path() + "/nls/krv.nls");
      fs::create_directory_symlink(src + "/graphics", dir_.path() + "/graphics");
    } else {
      fs::copy_file(src + "/nls/krv.nls", dir_.path() + "/nls/krv.nls");
      if (fs::exists(src + "/dat/prefs/default.prefs"))
        fs::copy_file(src + "/dat/prefs/default.prefs", dir_.path() + "/dat/prefs/default.prefs");
    }
    if (!language.empty()) write_text(dir_.path() + "/language", language + "\n");
  }
  std::string path() const { return dir_.path() + "/"; }
  std::string file(const std::string& name) const { return dir_.path() + "/" + name; }

 private:
  TempDir dir_;
};

struct KoravRun {
  int status = -1;
  std::string out, err;
};

// Runs the korav program with `args` (shell words) in `cwd`, with `data` as its data directory,
// after the shell words in `before` (e.g. a ulimit); under a virtual X server when `window`.
inline KoravRun run_korav(const std::string& data, const std::string& args,
                          const std::string& cwd = ".", bool window = false,
                          const std::string& before = "") {
  TempDir io;
  const std::string out = io.file("stdout"), err = io.file("stderr");
  const std::string cmd =
      "cd '" + cwd + "' && " + before + " KORAV_DATA_DIR='" + data + "' " +
      (window ? "timeout 120 xvfb-run -a -s '-screen 0 1600x1200x24' " : "timeout 120 ") + "'" +
      KORAV_BINARY + "' >'" + out + "' 2>'" + err + "' " + args;
  KoravRun r;
  // Two virtual X servers started at the same moment (tests run in parallel) may pick the
  // same display; xvfb-run then fails before korav runs, and a second try gets another one.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int st = std::system(cmd.c_str());
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = read_text(out);
    r.err = read_text(err);
    if (!window || r.err.find("xvfb-run: error") == std::string::npos) break;
  }
  return r;
}

// Resets the program's catalogue before and after, so that no other test sees a language.
struct CatalogueGuard {
  CatalogueGuard() {
    catalogue().reset();
    catalogue().set_diagnostics(nullptr);
  }
  ~CatalogueGuard() {
    catalogue().reset();
    catalogue().set_diagnostics(stdout);
  }
};

// A script run in-process: start-up with its own data directory, the command loop until the
// script ends, the exit.
struct ScriptRun {
  CatalogueGuard guard;
  DataDir data;
  std::unique_ptr<App> app;
  std::istringstream in;
  std::unique_ptr<ScriptHost> host;
  int status = -1;

  explicit ScriptRun(const std::string& script, std::function<void(App&)> after_start = {},
                     const std::string& language = "")
      : data(language), in(script) {
    load_catalogue(data.path());  // before the App, as the program does
    app = std::make_unique<App>();
    host = std::make_unique<ScriptHost>(*app, in, "test", nullptr);
    app->ui = host.get();
    CommandLine cl;
    cl.start_dir = data.path();
    status = host->run(cl, data.path(), after_start);
  }

  const std::vector<std::string>& transcript() const { return host->transcript(); }
  // The transcript lines starting with `kind` ("prompt", "question", ...).
  std::vector<std::string> lines(const std::string& kind) const {
    std::vector<std::string> out;
    for (const std::string& l : transcript())
      if (l.rfind(kind + ": ", 0) == 0) out.push_back(l.substr(kind.size() + 2));
    return out;
  }
};

// For tests that call point_input or a tool directly: an App started like the program whose
// script host reads the given lines when the code waits.
struct Bench {
  CatalogueGuard guard;
  DataDir data;
  std::unique_ptr<App> app;
  std::istringstream in;
  std::unique_ptr<ScriptHost> host;

  explicit Bench(const std::string& script) : in(script) {
    load_catalogue(data.path());
    app = std::make_unique<App>();
    host = std::make_unique<ScriptHost>(*app, in, "test", nullptr);
    app->ui = host.get();
    CommandLine cl;
    cl.start_dir = data.path();
    start_up_in(*app, cl, data.path());
    canvas_resized(*app, 1000, 700);
  }
};

}  // namespace korav::shell_test
