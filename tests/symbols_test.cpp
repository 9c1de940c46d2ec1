// Symbol files and the clipboard: what is written and read back, placing with groups, a
// cancelled insert, and the library's path checks and directory commands.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "draft/symbol_placing.h"
#include "files/symbols.h"
#include "model/element_points.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

using files_test::TempDir;

std::vector<std::uint8_t> symbol_bytes(const Drawing& d, double ox, double oy) {
  std::vector<std::uint8_t> out;
  {
    Writer w(out);
    EXPECT_TRUE(write_symbol(w, d, ox, oy, 0));
    EXPECT_TRUE(w.flush());
  }
  return out;
}

SymbolRead insert(const std::vector<std::uint8_t>& bytes, Drawing& d) {
  Reader r(bytes);
  return read_symbol(r, d);
}

TEST(SymbolFile, SelectedElementsMovedByTheOriginAndTheOriginalsUntouched) {
  Drawing d;
  Line* l = create_line(d.store, 0, 1, 0, 5.1, 5.3, 6.7, 5.9);
  create_line(d.store, 0, 1, 0, 0, 0, 1, 1);  // not selected: not written
  const Point2 outline[] = {{5, 5, 0}, {6, 5, 0}, {6, 6, 0}, {kSeparator, kSeparator, 0}};
  Pattern f = make_element<Pattern>(0, 0, 0);
  f.origin = {5, 5, 0};
  Pattern* p = create_pattern(d.store, f, outline);
  l->selected = p->selected = 1;
  const Line before = *l;
  const std::vector<std::uint8_t> bytes = symbol_bytes(d, 5, 5);
  // Not a bit of the drawing moved (no move there and back).
  EXPECT_EQ(std::tuple(l->start.x, l->start.y, l->end.x, l->end.y),
            std::tuple(before.start.x, before.start.y, before.end.x, before.end.y));

  Drawing target;
  target.settings.drawing_scale = 50;
  const SymbolRead got = insert(bytes, target);
  ASSERT_EQ(got.status, SymbolRead::Status::kRead);
  ASSERT_EQ(got.elements, 2u);
  const auto* line = as<Line>(target.store.head());
  ASSERT_NE(line, nullptr);
  EXPECT_NEAR(line->start.x, 0.1, 1e-12);
  EXPECT_NEAR(line->end.y, 0.9, 1e-12);  // moved by the origin (5, 5)
  EXPECT_EQ(std::tuple(line->layer, line->selected), std::tuple(kPlacingLayer, 1));
  const auto* pat = as<Pattern>(line->next);
  ASSERT_NE(pat, nullptr);
  EXPECT_TRUE(is_separator(pat->points()[3]));
  EXPECT_EQ(std::tuple(pat->origin.x, pat->points()[1].x), std::tuple(0.0, 1.0));
  EXPECT_EQ(target.settings.drawing_scale, 50);  // nothing of the drawing but elements
}

TEST(SymbolFile, AWholeDrawingInsertsOnlyItsElements) {
  Drawing source;
  source.settings.drawing_scale = 20;
  source.layers.layer[3].name.set("Walls");
  create_line(source.store, 3, 0, 0, 0, 0, 1, 0);
  std::vector<std::uint8_t> bytes;
  {
    Writer w(bytes);
    ASSERT_TRUE(write_drawing(w, source));
    ASSERT_TRUE(w.flush());
  }
  Drawing d;
  const std::string layer_name(d.layers.layer[3].name.view());
  EXPECT_EQ(insert(bytes, d).elements, 1u);
  EXPECT_EQ(std::tuple(d.settings.drawing_scale, d.layers.layer[3].name.view()),
            std::tuple(100, layer_name));

  const std::vector<std::uint8_t> junk = {'A', 'B', 'C', 'D', 0, 0};
  EXPECT_EQ(insert(junk, d).status, SymbolRead::Status::kNotNative);
  EXPECT_EQ(d.store.size(), 1u);
  TempDir dir;
  EXPECT_EQ(read_symbol_file(dir.file("missing"), d).status, SymbolRead::Status::kCannotOpen);
}

// A line copied with the origin at its start, pasted at (0, 0) on the current layer.
TEST(SymbolPlacing, CopyAndPasteAtTheOrigin) {
  Drawing d;
  Line* l = create_line(d.store, 0, 2, 0, 5, 5, 6, 5);
  l->selected = 1;
  const std::vector<std::uint8_t> clip = symbol_bytes(d, 5, 5);
  d.deselect_all();
  d.current_layer = 4;
  const SymbolRead got = insert(clip, d);
  place_symbol(d, got.elements, 0, {0, 0, 0}, SymbolGroups::kRenumber, kPlacingLayer);
  ASSERT_EQ(d.store.size(), 2u);
  const auto* pasted = as<Line>(d.store.tail());
  EXPECT_EQ(std::tuple(pasted->start.x, pasted->start.y, pasted->end.x, pasted->end.y),
            std::tuple(0.0, 0.0, 1.0, 0.0));
  EXPECT_EQ(std::tuple(pasted->layer, pasted->selected, pasted->pen), std::tuple(4, 0, 2));
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.size(), 1u);  // one undo step takes the paste away
}

TEST(SymbolPlacing, GroupsOfPastesAndLoads) {
  Drawing d;
  for (int i = 0; i < 3; ++i) {
    Line* l = create_line(d.store, 0, 0, 0, i, 0, i, 1);
    l->group = static_cast<std::uint16_t>(i < 2 ? 3 : 0);  // two in group 3, one ungrouped
    l->selected = 1;
  }
  const std::vector<std::uint8_t> clip = symbol_bytes(d, 0, 0);
  d.deselect_all();
  struct Case {
    SymbolGroups rule;
    std::vector<int> want;  // groups of the three inserted lines
  };
  // Paste: the group gets the next free number each time, group 0 stays 0; load: one group.
  for (const Case& c :
       {Case{SymbolGroups::kRenumber, {4, 4, 0}}, Case{SymbolGroups::kRenumber, {5, 5, 0}},
        Case{SymbolGroups::kOneGroup, {6, 6, 6}}}) {
    const SymbolRead got = insert(clip, d);
    place_symbol(d, got.elements, std::numbers::pi / 2, {10, 0, 0}, c.rule, kPlacingLayer);
    std::vector<int> groups;
    const Element* e = d.store.tail()->prev->prev;
    for (; e; e = e->next) groups.push_back(e->group);
    EXPECT_EQ(groups, c.want);
  }
  // Turned a quarter about (0, 0), then moved to (10, 0): (1, 1) became (9, 1).
  const auto* last = as<Line>(d.store.tail());
  EXPECT_NEAR(last->end.x, 9, 1e-12);
  EXPECT_NEAR(last->end.y, 2, 1e-12);
  EXPECT_EQ(last_group_number(d.store, kPlacingLayer), 6u);
}

TEST(SymbolPlacing, ACancelledInsertLeavesTheDrawingAsItWas) {
  Drawing d;
  Line* l = create_line(d.store, 0, 0, 0, 5, 5, 6, 5);
  l->selected = 1;
  const std::vector<std::uint8_t> clip = symbol_bytes(d, 5, 5);
  d.deselect_all();
  d.store.modified = false;
  const int levels = d.undo.level_count();
  EXPECT_EQ(insert(clip, d).elements, 1u);
  drop_symbol(d);
  EXPECT_EQ(std::tuple(d.store.size(), d.store.head(), d.store.modified, d.undo.level_count()),
            std::tuple(1u, l, false, levels));
}

// ---- The library ----

struct Library : ::testing::Test {
  TempDir dir;
  std::string root = dir.file("sym");
  std::string outside = dir.file("elsewhere");
  void SetUp() override {
    std::filesystem::create_directories(root + "/furniture");
    std::filesystem::create_directories(outside);
    std::ofstream(outside + "/keep.sym") << "x";
    std::ofstream(root + "/furniture/chair.sym") << "x";
    std::ofstream(root + "/north.sym") << "x";
    std::filesystem::create_directory_symlink(outside, root + "/link");
  }
};

TEST_F(Library, NamesThatLeaveTheSymbolPath) {
  struct Case {
    std::string path;
    bool inside;
  };
  for (const Case& c :
       {Case{root + "/north.sym", true}, Case{root + "/new/chair.sym", true},
        Case{root + "/furniture/../north.sym", true}, Case{root + "/../elsewhere/keep.sym", false},
        Case{root + "/link/keep.sym", false}, Case{outside, false},
        Case{dir.file("symbols/x"), false}, Case{"/etc/passwd", false}}) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(inside_symbol_path(root, c.path), c.inside);
  }
  EXPECT_TRUE(inside_symbol_path(root, root + "/"));
  EXPECT_FALSE(inside_symbol_path(root, root + "/", true));
}

TEST_F(Library, DirectoriesAndFiles) {
  EXPECT_EQ(create_library_directory(root, root + "/trees"), LibraryStatus::kDone);
  EXPECT_EQ(create_library_directory(root, root + "/../escape"), LibraryStatus::kOutside);
  EXPECT_FALSE(std::filesystem::exists(dir.file("escape")));
  EXPECT_EQ(create_library_directory(root, root + "/link/inner"), LibraryStatus::kOutside);

  const std::vector<LibraryEntry> want = {
      {"furniture", true}, {"link", true}, {"trees", true}, {"north.sym", false}};
  EXPECT_EQ(list_library(root), want);

  EXPECT_EQ(remove_library_directory(root, root + "/furniture"), LibraryStatus::kNotEmpty);
  EXPECT_EQ(remove_library_directory(root, root + "/trees"), LibraryStatus::kDone);
  EXPECT_EQ(remove_library_directory(root, root), LibraryStatus::kOutside);
  // A link is never followed: neither it nor what it points to goes.
  EXPECT_EQ(remove_library_directory(root, root + "/link"), LibraryStatus::kFailed);
  EXPECT_EQ(remove_library_directory(root, root + "/link/"), LibraryStatus::kFailed);
  EXPECT_TRUE(std::filesystem::exists(outside + "/keep.sym"));

  EXPECT_EQ(remove_symbol_file(root, root + "/link/keep.sym"), LibraryStatus::kOutside);
  EXPECT_EQ(remove_symbol_file(root, root + "/furniture/chair.sym"), LibraryStatus::kDone);
  EXPECT_EQ(remove_symbol_file(root, root + "/furniture/chair.sym"), LibraryStatus::kFailed);
  EXPECT_EQ(remove_library_directory(root, root + "/furniture"), LibraryStatus::kDone);
  EXPECT_TRUE(std::filesystem::exists(outside + "/keep.sym"));
  EXPECT_EQ(library_message(LibraryStatus::kNotEmpty), kMsgDirectoryNotEmpty);
}

// Every symbol of dat/sym (from scripts/make_symbols.py) reads whole, near its origin.
TEST(ShippedLibrary, EverySymbolLoads) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(KORAV_SOURCE_DIR) / "dat" / "sym";
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    const std::string name = fs::relative(e.path(), root).string();
    names.push_back(name);
    SCOPED_TRACE(name);
    Drawing d;
    const SymbolRead got = read_symbol_file(e.path().string(), d);
    ASSERT_EQ(got.status, SymbolRead::Status::kRead);
    EXPECT_FALSE(got.details.damaged);
    EXPECT_EQ(got.details.refused, 0u);
    EXPECT_GT(got.elements, 0u);
    EXPECT_EQ(got.elements, d.store.size());
    EXPECT_TRUE(inside_symbol_path(root.string(), e.path().string(), true));
    for (const Element& el : d.store.list)
      for_each_point(el, [&](const ConstPointRef& p) {
        if (!p.is_place()) return;
        EXPECT_TRUE(std::isfinite(*p.x) && std::isfinite(*p.y));
        EXPECT_LT(std::hypot(*p.x, *p.y), 25.0);
      });
  }
  // The families the library is meant to carry.
  for (const char* want : {"north_arrow.sym", "title_block.sym"})
    EXPECT_NE(std::find(names.begin(), names.end(), want), names.end()) << want;
  std::vector<LibraryEntry> top = list_library(root.string());
  for (const char* dir : {"furniture", "sanitary", "trees"}) {
    EXPECT_NE(std::find(top.begin(), top.end(), LibraryEntry{dir, true}), top.end()) << dir;
    EXPECT_GE(list_library((root / dir).string()).size(), 3u) << dir;
  }
}

}  // namespace
}  // namespace korav
