// Helpers of the tool script tests: a script run through the script host on a fresh program,
// the drawing saved at its end and read back from the file, as a user's batch job would.
#pragma once

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app.h"
#include "app/script_host.h"
#include "base/catalogue.h"
#include "files/drawing_file.h"
#include "model/element_points.h"
#include "tests/files_test_support.h"
#include "tests/shell_test_support.h"

namespace korav::tool_script {

// Script lines: a number as the script reads it, a click at a world position.
inline std::string num(double v) { return std::to_string(v); }
inline std::string click(double x, double y) { return "click " + num(x) + " " + num(y) + "\n"; }
// A point and its confirmation at the same place.
inline std::string twice(double x, double y) { return click(x, y) + click(x, y); }

// The lowest and highest z of a 3D object's vertices.
inline double zmin(const Object3D& o) {
  double z = 1e300;
  for (const Point3& p : mesh_vertices(o)) z = std::min(z, p.z);
  return z;
}
inline double zmax(const Object3D& o) {
  double z = -1e300;
  for (const Point3& p : mesh_vertices(o)) z = std::max(z, p.z);
  return z;
}

// Base elements are drawn with snapping off, so that their points are exactly the clicks.
inline const std::string kSnapOff = "set Toolbar/Snap off\n";

struct Result {
  int status = -1;
  std::vector<std::string> transcript;
  Drawing saved;  // the drawing as read back from the saved file
  bool loaded = false;

  std::size_t count(int type) const {
    std::size_t n = 0;
    for (const Element& e : saved.store.list) n += e.type == type;
    return n;
  }
  template <class T>
  std::vector<const T*> all() const {
    std::vector<const T*> out;
    for (const Element& e : saved.store.list)
      if (const T* t = as<T>(&e)) out.push_back(t);
    return out;
  }
  std::size_t shown(const std::string& line) const {
    std::size_t n = 0;
    for (const std::string& l : transcript) n += l == line;
    return n;
  }
};

// The transcript, for the message of a failed run.
inline std::string shown(const Result& r) {
  std::string out;
  for (const std::string& l : r.transcript) out += l + "\n";
  return out;
}

// Runs the script on a new program in an empty data directory (no catalogue: nothing is
// appended to the project's), then Escape, a save and the read back. `setup` runs between
// start-up and the script (a 3D view, the copy switches).
inline Result run(const std::string& script, const std::function<void(App&)>& setup = {}) {
  files_test::TempDir dir;
  const std::string path = dir.file("out.krv");
  Result r;
  {
    App app;
    std::istringstream in(script + "\np_nop\np_nop\np_file_save\nfile " + path + "\n");
    ScriptHost host(app, in, "test", nullptr);
    r.status = host.run(CommandLine{}, dir.path(), [&](App& a) {
      if (setup) setup(a);
    });
    r.transcript = host.transcript();
  }
  FakeUi ui;
  r.loaded = load_drawing(r.saved, ui, path) == LoadStatus::kLoaded;
  return r;
}

// Every text has its English and German lines in the project's catalogue (nls/krv.nls).
inline void expect_in_catalogue(std::initializer_list<const char*> texts) {
  files_test::TempDir dir;
  shell_test::write_text(dir.file("language"), "german\n");
  shell_test::write_text(dir.file("krv.nls"),
                         shell_test::read_text(std::string(KORAV_SOURCE_DIR) + "/nls/krv.nls"));
  Catalogue c;
  c.set_diagnostics(nullptr);
  ASSERT_TRUE(c.load(dir.file("krv.nls"), {dir.file("language")}));
  for (const char* s : texts) {
    EXPECT_NE(c.translate(s), s);
    EXPECT_EQ(c.added_count(), 0) << "missing from nls/krv.nls: " << s;
  }
}

}  // namespace korav::tool_script
