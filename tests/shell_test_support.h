// Helpers of the shell tests: a data directory of their own (so that nothing is appended to the
// project's catalogue), and scripts run in-process through the script host.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "base/catalogue.h"
#include "app/script_host.h"

namespace korav::shell_test {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "korav-shell-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void write_text(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A copy of the program's data directory: the catalogue, the default settings, an empty
// drawing directory. `language` is written to its language file when not empty.
class DataDir {
 public:
  explicit DataDir(const std::string& language = "") {
    fs::create_directories(dir_.path() + "/nls");
    fs::create_directories(dir_.path() + "/dat/prefs");
    fs::create_directories(dir_.path() + "/dat/draw");
    const std::string src = KORAV_SOURCE_DIR;
    fs::copy_file(src + "/nls/krv.nls", dir_.path() + "/nls/krv.nls");
    if (fs::exists(src + "/dat/prefs/default.prefs"))
      fs::copy_file(src + "/dat/prefs/default.prefs", dir_.path() + "/dat/prefs/default.prefs");
    if (!language.empty()) write_text(dir_.path() + "/language", language + "\n");
  }
  std::string path() const { return dir_.path() + "/"; }
  std::string file(const std::string& name) const { return dir_.path() + "/" + name; }

 private:
  TempDir dir_;
};

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
