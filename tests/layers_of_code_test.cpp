// The folders are layers: base <- model <- files, render, draft, arch, three_d, exchange <- app
// <- app/gtk. A file may include its own folder and the folders below it, never one above or
// beside it, and only app/gtk may include GTK. This walks every source and header of the tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What each folder may include besides itself.
const std::map<std::string, std::set<std::string>>& allowed() {
  static const std::set<std::string> middle_below = {"base", "model"};
  static const std::map<std::string, std::set<std::string>> table = {
      {"base", {}},
      {"model", {"base"}},
      {"files", middle_below},
      {"render", middle_below},
      {"draft", middle_below},
      {"arch", {"base", "model", "draft"}},
      {"three_d", {"base", "model", "draft", "render"}},
      {"exchange", {"base", "model", "files", "render", "draft", "arch", "three_d"}},
      {"app", {"base", "model", "files", "render", "draft", "arch", "three_d", "exchange"}},
      {"app/gtk",
       {"base", "model", "files", "render", "draft", "arch", "three_d", "exchange", "app"}},
  };
  return table;
}

// The layer of a path relative to the source root: its top folder, app/gtk counted apart
// (app/tools and app/dialogs are app).
std::string layer_of(const std::string& rel) {
  if (rel.rfind("app/gtk/", 0) == 0) return "app/gtk";
  return rel.substr(0, rel.find('/'));
}

struct Include {
  std::string file;
  int line;
  std::string target;
};

std::vector<Include> project_includes(const fs::path& root) {
  std::vector<Include> out;
  for (const auto& [folder, _] : allowed()) {
    if (folder == "app/gtk" || !fs::is_directory(root / folder)) continue;
    for (const auto& e : fs::recursive_directory_iterator(root / folder)) {
      const auto ext = e.path().extension();
      if (!e.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
      std::ifstream in(e.path());
      std::string text;
      int n = 0;
      while (std::getline(in, text)) {
        ++n;
        auto p = text.find_first_not_of(" \t");
        if (p == std::string::npos || text.compare(p, 8, "#include") != 0) continue;
        auto q = text.find_first_of("\"<", p + 8);
        if (q == std::string::npos) continue;
        auto r = text.find_first_of("\">", q + 1);
        if (r == std::string::npos) continue;
        out.push_back({fs::relative(e.path(), root).string(), n, text.substr(q + 1, r - q - 1)});
      }
    }
  }
  return out;
}

TEST(LayersOfCode, NoFolderIncludesOneAboveOrBesideIt) {
  const fs::path root = KORAV_SOURCE_DIR;
  const auto includes = project_includes(root);
  ASSERT_GT(includes.size(), 100u);  // the walk really saw the tree
  for (const auto& inc : includes) {
    const std::string from = layer_of(inc.file);
    const bool gtk = inc.target.rfind("gtk/", 0) == 0 || inc.target.rfind("gdk/", 0) == 0 ||
                     inc.target.rfind("glib", 0) == 0;
    if (gtk) {
      EXPECT_EQ(from, "app/gtk") << inc.file << ":" << inc.line << " includes " << inc.target;
      continue;
    }
    auto slash = inc.target.find('/');
    if (slash == std::string::npos) continue;  // a system header
    const std::string to = layer_of(inc.target);
    if (!allowed().count(to) || to == from) continue;
    EXPECT_TRUE(allowed().at(from).count(to)) << inc.file << ":" << inc.line << " (" << from
                                              << ") includes " << inc.target << " (" << to << ")";
  }
}

}  // namespace
