// The pattern and symbol tools end to end through the script host, the drawing saved and read
// back; the symbol scripts work in a library directory of their own (with the clipboard file).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "model/element_points.h"
#include "tests/files_test_support.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using tool_script::click;
using tool_script::kSnapOff;
using tool_script::Result;
using tool_script::shown;
using tool_script::twice;

constexpr double kDeg = std::numbers::pi / 180;

std::string line(double x1, double y1, double x2, double y2) {
  return "b_line_line\n" + click(x1, y1) + twice(x2, y2) + "p_nop\n";
}
// A rectangle pattern from two corners.
std::string range(double x1, double y1, double x2, double y2) {
  return "b_pattern_range\n" + click(x1, y1) + twice(x2, y2) + "p_nop\n";
}
const std::string kPresetOneLine =
    "set Pattern/Type 1 Line\nset Pattern/Spacing 1 1\n"
    "set Pattern/Angle 1 0\nset Pattern/Spacing 2 0\n"
    "set Pattern/Angle 2 0\n";
const std::string kSquare = kSnapOff + kPresetOneLine + range(0, 0, 10, 10);
// Picks the square: a pattern is picked inside its outline.
const std::string kPickSquare = click(9.5, 5);
std::string dissolve(const char* answer) {
  return "b_pattern_dissolve\n" + kPickSquare + "answer " + answer + "\np_nop\n";
}
const std::string kAddHole = "b_pattern_add_range\n" + kPickSquare + click(2, 2) + twice(4, 4);

struct Case {
  const char* what;
  std::string script;
  std::function<void(const Result&)> check;
};

// A check of the drawing's only pattern.
std::function<void(const Result&)> on_pattern(std::function<void(const Pattern&)> check) {
  return [check](const Result& r) {
    auto all = r.all<Pattern>();
    ASSERT_EQ(all.size(), 1u);
    check(*all[0]);
  };
}

void expect_pattern_kept(const Result& r) {
  EXPECT_EQ(r.count(kPattern), 1u);
  EXPECT_EQ(r.count(kLine), 0u);
}

TEST(PatternToolScripts, EveryToolThroughTheScriptHost) {
  const Case cases[] = {
      {"a range gives the four corners and a separator, origin at the world origin", kSquare,
       on_pattern([](const Pattern& p) {
         const auto outline = outline_points(p);
         ASSERT_EQ(outline.size(), 5u);
         std::set<std::pair<double, double>> corners;
         for (std::size_t i = 0; i < 4; ++i) corners.insert({outline[i].x, outline[i].y});
         EXPECT_EQ(corners,
                   (std::set<std::pair<double, double>>{{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
         EXPECT_TRUE(is_separator(outline[4]));
         EXPECT_EQ(std::pair(p.origin.x, p.origin.y), std::pair(0.0, 0.0));
         EXPECT_EQ(p.spacing1, 1);
       })},
      // The ten lines of the square, shifted off the corners by 1e-5, become Line elements.
      {"dissolved square gives ten lines", kSquare + dissolve("Yes"),
       [](const Result& r) {
         EXPECT_EQ(r.count(kPattern), 0u);
         auto lines = r.all<Line>();
         ASSERT_EQ(lines.size(), 10u);
         std::set<long> rows;
         for (const Line* l : lines) {
           EXPECT_NEAR(l->start.y, l->end.y, 1e-9);
           EXPECT_NEAR(std::fabs(l->end.x - l->start.x), 10, 1e-6);
           EXPECT_NEAR(l->start.y - std::floor(l->start.y), 1e-5, 1e-9);
           rows.insert(std::lround(std::floor(l->start.y)));
         }
         EXPECT_EQ(rows.size(), 10u);
         EXPECT_EQ(*rows.begin(), 0);
         EXPECT_EQ(*rows.rbegin(), 9);
       }},
      {"dissolving cancelled keeps the pattern", kSquare + dissolve("Cancel"),
       [](const Result& r) {
         expect_pattern_kept(r);
         EXPECT_EQ(r.shown("question: Really dissolve the pattern into single lines? [Yes|Cancel]"
                           " -> Cancel"),
                   1u);
       }},
      {"dissolving undone in one step", kSquare + dissolve("Yes") + "p_undo\n",
       expect_pattern_kept},
      {"a polygon with an added rectangle is hatched only in the ring",
       kSnapOff + kPresetOneLine + "b_pattern_poly\n" + twice(0, 0) + twice(10, 0) + twice(10, 10) +
           twice(0, 10) + twice(0, 0) + "p_nop\n" + kAddHole + "p_nop\n" + dissolve("Yes"),
       [](const Result& r) {
         auto lines = r.all<Line>();
         EXPECT_EQ(lines.size(), 12u);  // rows 2 and 3 are cut in two by the hole
         for (const Line* l : lines) {
           const double x1 = std::min(l->start.x, l->end.x), x2 = std::max(l->start.x, l->end.x);
           if (l->start.y > 2 && l->start.y < 4) {
             EXPECT_TRUE(x2 <= 2 + 1e-6 || x1 >= 4 - 1e-6) << l->start.y;
           }
         }
       }},
      {"an added rectangle undone leaves the first outline", kSquare + kAddHole + "p_nop\np_undo\n",
       on_pattern([](const Pattern& p) { EXPECT_EQ(outline_points(p).size(), 5u); })},
      {"angle: the second keeps its difference",
       kSnapOff + kPresetOneLine + "set Pattern/Angle 2 10\n" + range(0, 0, 10, 10) +
           "b_pattern_alter_angle\n" + kPickSquare + "type 30\np_nop\n",
       on_pattern([](const Pattern& p) {
         EXPECT_NEAR(p.angle1, 30 * kDeg, 1e-9);
         EXPECT_NEAR(p.angle2, 40 * kDeg, 1e-9);
       })},
      {"spacing: the second keeps its ratio, the offset follows",
       kSnapOff +
           "set Pattern/Type 2 Lines\nset Pattern/Spacing 1 1\nset Pattern/Spacing 2 2\n"
           "set Pattern/Angle 1 0\nset Pattern/Angle 2 90\n" +
           range(0, 0, 10, 10) + "b_pattern_alter_space\n" + kPickSquare + "type 0.5\np_nop\n",
       on_pattern([](const Pattern& p) {
         EXPECT_NEAR(p.spacing1, 0.5, 1e-12);
         EXPECT_NEAR(p.spacing2, 1.0, 1e-12);
         // origin + (−sin 90° × 1 / 2, cos 90° × 1 / 2)
         EXPECT_NEAR(p.offset.x, -0.5, 1e-12);
         EXPECT_NEAR(p.offset.y, 0, 1e-12);
       })},
      {"origin: different angles put the offset on the origin",
       kSnapOff + kPresetOneLine + "set Pattern/Angle 2 90\n" + range(0, 0, 10, 10) +
           "b_pattern_alter_origin\n" + kPickSquare + twice(3, 4) + "p_nop\n",
       on_pattern([](const Pattern& p) {
         EXPECT_EQ(std::pair(p.origin.x, p.origin.y), std::pair(3.0, 4.0));
         EXPECT_EQ(std::pair(p.offset.x, p.offset.y), std::pair(3.0, 4.0));
       })},
      {"the current preset goes to a picked pattern, its origin stays",
       kSquare + "b_pattern_alter_origin\n" + kPickSquare + twice(1, 1) +
           "p_nop\nset Pattern/Type Points\nset Pattern/Spacing 1 0.25\n"
           "b_pattern_alter_pattern\n" +
           kPickSquare + "p_nop\n",
       on_pattern([](const Pattern& p) {
         EXPECT_EQ(p.kind, 2);
         EXPECT_EQ(p.spacing1, 0.25);
         EXPECT_EQ(std::pair(p.origin.x, p.origin.y), std::pair(1.0, 1.0));
       })},
      {"the current preset goes to every selected pattern",
       kSquare + range(20, 0, 30, 10) +
           "set Pattern/Spacing 1 3\nb_pattern_alter_pattern_b\ns_deffi_all\ns_deffi_ok\np_nop\n",
       [](const Result& r) {
         auto all = r.all<Pattern>();
         ASSERT_EQ(all.size(), 2u);
         for (const Pattern* p : all) EXPECT_EQ(p->spacing1, 3);
       }},
      // Two fillings of one colour and one of another: only the same colour takes the preset.
      {"fillings of the picked colour take the preset",
       kSnapOff + "set Pattern/Type Filling\nset Pattern/Red 0.5\n" + range(0, 0, 10, 10) +
           range(20, 0, 30, 10) + "set Pattern/Red 0.25\n" + range(40, 0, 50, 10) +
           "set Pattern/Type 1 Line\nb_pattern_alter_pattern_a\n" + kPickSquare + "p_nop\n",
       [](const Result& r) {
         auto all = r.all<Pattern>();
         ASSERT_EQ(all.size(), 3u);
         int lines = 0;
         for (const Pattern* p : all) {
           lines += p->kind == 0;
           if (p->kind == 3) {
             EXPECT_EQ(p->red, 0.25);
           }
         }
         EXPECT_EQ(lines, 2);
       }},
      {"a filling is never dissolved",
       kSnapOff + "set Pattern/Type Filling\n" + range(0, 0, 10, 10) + "b_pattern_dissolve\n" +
           kPickSquare + "p_nop\n",
       expect_pattern_kept},
      {"spacing 0 dissolves into nothing",
       kSnapOff + kPresetOneLine + "set Pattern/Spacing 1 0\n" + range(0, 0, 10, 10) +
           dissolve("Yes"),
       [](const Result& r) { EXPECT_EQ(r.count(kLine), 0u); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = tool_script::run(c.script);
    ASSERT_EQ(r.status, 0) << shown(r);
    ASSERT_TRUE(r.loaded);
    c.check(r);
  }
}

// An outline of 497 corners and its separator (498 points) refuses an added rectangle (5).
TEST(PatternToolScripts, TheOutlineLimitRefusesAnAddedRectangle) {
  std::string script = kSnapOff + kPresetOneLine + "b_pattern_poly\n";
  // The first corner stands apart, so that no later corner closes the polygon early.
  script += twice(-5, 1);
  for (int i = 0; i < 248; ++i) script += twice(i * 0.1, 0);
  for (int i = 247; i >= 0; --i) script += twice(i * 0.1, 2);
  script += twice(-5, 1) + "p_nop\nb_pattern_add_range\n" + click(3, 1) + click(1, 0.5) +
            twice(2, 1.5) + "p_nop\n";
  const Result r = tool_script::run(script);
  ASSERT_EQ(r.status, 1) << shown(r);  // an error box makes the run a failed one
  auto all = r.all<Pattern>();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(outline_points(*all[0]).size(), 498u);
  EXPECT_EQ(r.shown("error: To many points in polygon!"), 1u);
}

// ---- Symbols ----

struct Library {
  files_test::TempDir dir;
  std::string root() const { return dir.path() + "/sym"; }
  std::string file(const std::string& name) const { return root() + "/" + name; }
  Library() { fs::create_directories(root()); }
  // The symbol path and the clipboard's temporary directory of the program under test.
  std::function<void(App&)> setup() const {
    return [this](App& a) {
      a.drawing.settings.paths[2].set(root() + "/");
      a.temp_dir = dir.path();
    };
  }
};

struct Seg {
  double x1, y1, x2, y2;
};

// The line from (x1, y1) to (x2, y2), in either direction.
const Line* find_line(const Result& r, const Seg& s) {
  auto at = [](const Point2& p, double x, double y) { return std::hypot(p.x - x, p.y - y) < 1e-9; };
  for (const Line* l : r.all<Line>())
    if ((at(l->start, s.x1, s.y1) && at(l->end, s.x2, s.y2)) ||
        (at(l->start, s.x2, s.y2) && at(l->end, s.x1, s.y1)))
      return l;
  return nullptr;
}

// Picks the line (5,5)-(6,5) into the selection.
const std::string kPickLine = click(5.5, 5.01) + "s_deffi_ok\n";
// The line (5,5)-(6,5) copied with the origin (5, 5).
const std::string kCopied =
    kSnapOff + line(5, 5, 6, 5) + "b_symbol_copy\n" + kPickLine + twice(5, 5) + "p_nop\n";
std::string paste(double x, double y, int angle) {
  return "b_symbol_paste\n" + twice(x, y) + "type " + std::to_string(angle) + "\np_nop\n";
}

struct SymbolCase {
  const char* what;
  std::function<std::string(const Library&)> script;
  std::function<void(const Result&, const Library&)> check;
  int status = 0;  // 1 when an error box is shown
};

TEST(SymbolToolScripts, SaveInsertClipboardAndLibrary) {
  // The line (0,0)-(1,0) saved as "one.sym" with its origin at (0, 0).
  auto saved = [](const Library& lib) {
    return kSnapOff + line(0, 0, 1, 0) + "b_symbol_save\n" + click(0.5, 0.01) + "s_deffi_ok\n" +
           twice(0, 0) + "file " + lib.file("one.sym") + "\np_nop\n";
  };
  auto loaded = [saved](const Library& lib) {
    return saved(lib) + "b_symbol_load\nfile " + lib.file("one.sym") + "\n";
  };
  const SymbolCase cases[] = {
      {"copy at (5, 5) and paste at (0, 0) with angle 0",
       [](const Library&) { return kCopied + paste(0, 0, 0); },
       [](const Result& r, const Library&) {
         ASSERT_EQ(r.count(kLine), 2u);
         EXPECT_NE(find_line(r, {5, 5, 6, 5}), nullptr);
         const Line* pasted = find_line(r, {0, 0, 1, 0});
         ASSERT_NE(pasted, nullptr);
         EXPECT_EQ(pasted->layer, 0);
         EXPECT_EQ(pasted->group, 0);  // ungrouped in the clipboard, ungrouped pasted
       }},
      {"cancelling the origin or the angle of a paste leaves the drawing as it was",
       [](const Library&) {
         return kCopied + "p_symbol_paste\nkey Escape\np_nop\nb_symbol_paste\n" + twice(1, 1) +
                "key Escape\np_nop\n";
       },
       [](const Result& r, const Library&) {
         ASSERT_EQ(r.count(kLine), 1u);
         EXPECT_NE(find_line(r, {5, 5, 6, 5}), nullptr);
       }},
      {"cut takes the selection away, the paste turns it",
       [](const Library&) {
         return kSnapOff + line(5, 5, 6, 5) + "b_symbol_cut\n" + kPickLine + twice(5, 5) +
                "p_nop\n" + paste(0, 0, 90);
       },
       [](const Result& r, const Library&) {
         ASSERT_EQ(r.count(kLine), 1u);
         EXPECT_NE(find_line(r, {0, 0, 0, 1}), nullptr);
       }},
      {"an origin not given saves nothing and says so",
       [](const Library&) {
         return kCopied + "b_symbol_save\n" + kPickLine + "key Escape\np_nop\n";
       },
       [](const Result& r, const Library& lib) {
         EXPECT_EQ(
             r.shown("message: Could not save the symbol because the origin point is missing!"),
             1u);
         EXPECT_TRUE(fs::is_empty(lib.root()));
       }},
      {"saving with nothing selected asks for no file",
       [](const Library&) { return kCopied + "b_symbol_save\ns_deffi_ok\np_nop\n"; },
       [](const Result& r, const Library& lib) {
         for (const std::string& l : r.transcript)
           EXPECT_EQ(l.find("file: Save Symbol"), std::string::npos) << l;
         EXPECT_TRUE(fs::is_empty(lib.root()));
       }},
      {"a symbol loaded at a direction point is turned and becomes one group",
       [loaded](const Library& lib) { return loaded(lib) + twice(5, 5) + twice(5, 8) + "p_nop\n"; },
       [](const Result& r, const Library& lib) {
         EXPECT_TRUE(fs::exists(lib.file("one.sym")));
         const Line* loaded = find_line(r, {5, 5, 5, 6});
         ASSERT_NE(loaded, nullptr);
         EXPECT_NE(loaded->group, 0);
         EXPECT_EQ(loaded->group, find_line(r, {0, 0, 1, 0})->group + 1);
       }},
      // The loaded symbol is one group; copied and pasted twice, each paste gets its own.
      {"pasting one group twice gives two new group numbers",
       [loaded](const Library& lib) {
         return loaded(lib) + twice(10, 0) + "type 0\np_nop\nb_symbol_copy\n" + click(10.5, 0.01) +
                "s_deffi_ok\n" + twice(10, 0) + "p_nop\n" + paste(20, 0, 0) + paste(30, 0, 0);
       },
       [](const Result& r, const Library&) {
         std::set<int> groups;
         for (double x : {10.0, 20.0, 30.0}) {
           const Line* l = find_line(r, {x, 0, x + 1, 0});
           ASSERT_NE(l, nullptr) << x;
           EXPECT_NE(l->group, 0);
           groups.insert(l->group);
         }
         EXPECT_EQ(groups.size(), 3u);
       }},
      {"a name outside the symbol path is refused",
       [](const Library& lib) {
         return kCopied + "b_symbol_save\n" + kPickLine + twice(5, 5) + "file " +
                lib.dir.file("outside.sym") + "\np_nop\nb_symbol_load\nfile " +
                lib.file("../../x.sym") + "\np_nop\n";
       },
       [](const Result& r, const Library& lib) {
         EXPECT_EQ(r.shown("error: The name lies outside the symbol path!"), 2u);
         EXPECT_FALSE(fs::exists(lib.dir.file("outside.sym")));
         EXPECT_EQ(r.count(kLine), 1u);
       },
       1},
      {"library directories: created, refused while not empty, removed",
       [](const Library& lib) {
         auto on = [&](const char* command, const char* name) {
           return std::string(command) + "file " + lib.file(name) + "\np_nop\n";
         };
         return kCopied + on("b_symbol_library_new\n", "sub") + "b_symbol_save\n" + kPickLine +
                twice(5, 5) + on("", "sub/a.sym") + on("b_symbol_library_remove\n", "sub") +
                on("b_symbol_library_new\n", "gone") + on("b_symbol_library_remove\n", "gone") +
                on("b_symbol_remove\n", "sub/a.sym");
       },
       [](const Result& r, const Library& lib) {
         EXPECT_EQ(r.shown("error: Directory is not empty!"), 1u);
         EXPECT_TRUE(fs::is_directory(lib.file("sub")));
         EXPECT_FALSE(fs::exists(lib.file("sub/a.sym")));
         EXPECT_FALSE(fs::exists(lib.file("gone")));
       },
       1},
      {"the symbol list pastes the chosen symbol at its angle",
       [saved](const Library& lib) {
         return saved(lib) +
                "z_d_symbol\nset Symbol/List one.sym\nset Symbol/Angle 90\n"
                "z_c_symbol_paste\n" +
                twice(3, 3) + "p_nop\n";
       },
       [](const Result& r, const Library&) {
         const Line* l = find_line(r, {3, 3, 3, 4});
         ASSERT_NE(l, nullptr);
         EXPECT_NE(l->group, 0);
       }},
  };
  for (const SymbolCase& c : cases) {
    SCOPED_TRACE(c.what);
    Library lib;
    const Result r = tool_script::run(c.script(lib), lib.setup());
    ASSERT_EQ(r.status, c.status) << shown(r);
    ASSERT_TRUE(r.loaded);
    c.check(r, lib);
  }
}

// Removing a library directory that is a link out of the library removes nothing there.
TEST(SymbolToolScripts, RemovingALinkedDirectoryNeverReachesOutside) {
  Library lib;
  const std::string outside = lib.dir.file("outside");
  fs::create_directories(outside);
  std::ofstream(outside + "/keep.sym") << "x";
  fs::create_directory_symlink(outside, lib.file("link"));
  const Result r = tool_script::run("b_symbol_library_remove\nfile " + lib.file("link") +
                                        "\np_nop\nb_symbol_remove\nfile " +
                                        lib.file("link/keep.sym") + "\np_nop\n",
                                    lib.setup());
  ASSERT_EQ(r.status, 1) << shown(r);
  EXPECT_TRUE(fs::exists(outside + "/keep.sym"));
  EXPECT_TRUE(fs::is_symlink(lib.file("link")));
  EXPECT_EQ(r.shown("error: Cannot remove"), 1u);
  EXPECT_EQ(r.shown("error: The name lies outside the symbol path!"), 1u);
}

TEST(PatternSymbolScripts, TextsAreInTheCatalogue) {
  tool_script::expect_in_catalogue(
      {"Select Pattern:", "Polygon point:", "Origin:", "Angle:", "Space:", "Angle/Direction Point:",
       "1st Corner point:", "Move/2nd Corner point:", "Move/Confirm:", "Directory is not empty!",
       "Cannot create directory", "Cannot remove", "Save Symbol...", "Load Symbol...",
       "Remove Symbol...", "Create Directory...", "Delete Directory...", "Show patterns"});
  tool_script::expect_in_catalogue(
      {"To many points in polygon!", "Really dissolve the pattern into single lines?",
       "Could not save the symbol because the origin point is missing!",
       "The name lies outside the symbol path!"});
}

}  // namespace
}  // namespace korav
