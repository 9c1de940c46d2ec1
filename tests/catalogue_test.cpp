// The message catalogue: loading, translation, the append protocol for missing texts, the
// language file, and the project's own catalogue covering every text the program shows.
#include "base/catalogue.h"
#include "base/text_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <tuple>

#include "app/commands.h"
#include "base/messages.h"
#include "shell_test_support.h"

namespace korav {
namespace {

using shell_test::read_text;
using shell_test::TempDir;
using shell_test::write_text;

// Two languages; the German texts in ISO-8859-1.
const std::string kTwo =
    "2\nC\nenglish\nde_DE\ngerman\n3\n"
    "#1\nLoad\nLaden\n"
    "#2\nTwo|lines\nZwei|Zeilen\n"
    "#3\nSize\nGr\xf6\xdf"
    "e\n";

struct Fixture : ::testing::Test {
  TempDir dir;
  Catalogue c;
  std::string nls() const { return dir.file("krv.nls"); }
  std::string lang() const { return dir.file("language"); }
  void SetUp() override { c.set_diagnostics(nullptr); }
};

using CatalogueLoad = Fixture;

TEST_F(CatalogueLoad, EnglishByDefaultAndTheChosenLanguageByFile) {
  write_text(nls(), kTwo);
  ASSERT_TRUE(c.load(nls(), {lang()}));
  EXPECT_EQ(c.chosen_language(), "english");
  EXPECT_EQ(c.translate("Load"), "Load");
  write_text(lang(), "german\r\n");
  ASSERT_TRUE(c.load(nls(), {lang()}));
  EXPECT_EQ(c.current_language(), 1);
  EXPECT_EQ(c.translate("Load"), "Laden");
  EXPECT_EQ(c.translate("Size"),
            "Gr\xc3\xb6\xc3\x9f"
            "e");                                        // read as Latin-1, kept as UTF-8
  EXPECT_EQ(c.translate("Two\nlines"), "Zwei\nZeilen");  // "|" is a line break
}

TEST_F(CatalogueLoad, UnknownLanguageGivesTheFirstPair) {
  write_text(nls(), kTwo);
  write_text(lang(), "klingon\n");
  ASSERT_TRUE(c.load(nls(), {dir.file("missing"), lang()}));
  EXPECT_EQ(c.current_language(), 0);
  EXPECT_EQ(c.translate("Load"), "Load");
}

TEST_F(CatalogueLoad, LineEndsOfEveryKind) {
  std::string mixed = kTwo;
  for (std::size_t i = 0; i < mixed.size(); ++i)
    if (mixed[i] == '\n' && i % 3 == 0) mixed[i] = '\r';
  std::string crlf;
  for (char ch : kTwo) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  for (const std::string& text : {mixed, crlf}) {
    write_text(nls(), text);
    write_text(lang(), "german");
    ASSERT_TRUE(c.load(nls(), {lang()}));
    EXPECT_EQ(c.entry_count(), 3);
    EXPECT_EQ(c.translate("Load"), "Laden");
  }
}

TEST_F(CatalogueLoad, OverlongLinesAreCutWithoutShiftingTheRecords) {
  std::string longkey(300, 'k');
  write_text(nls(), "1\nC\nenglish\n2\n#\n" + longkey + "\n#\nAfter\n");
  ASSERT_TRUE(c.load(nls(), {}));
  EXPECT_EQ(c.entry_count(), 2);
  EXPECT_EQ(c.translate("After"), "After");
  EXPECT_EQ(c.added_count(), 0);  // "After" was found, not appended
}

TEST_F(CatalogueLoad, MissingOrDamagedFilesLeaveItInactive) {
  EXPECT_FALSE(c.load(nls(), {}));
  EXPECT_FALSE(c.active());
  EXPECT_EQ(c.translate("Load"), "Load");
  EXPECT_FALSE(shell_test::fs::exists(nls()));  // an inactive catalogue appends nothing
  write_text(nls(), "two\n");
  EXPECT_FALSE(c.load(nls(), {}));
  write_text(nls(), "3\nC\nenglish\n");  // ends inside the language list
  EXPECT_FALSE(c.load(nls(), {}));
  EXPECT_EQ(read_text(nls()), "3\nC\nenglish\n");  // nothing appended to a damaged file
  // More entries announced than present: the complete ones are used.
  write_text(nls(), "1\nC\nenglish\n9\n#\nOne\n#\n");
  ASSERT_TRUE(c.load(nls(), {}));
  EXPECT_EQ(c.entry_count(), 1);
}

using CatalogueAppend = Fixture;

TEST_F(CatalogueAppend, MissingTextIsAppendedOnce) {
  write_text(nls(), kTwo);
  ASSERT_TRUE(c.load(nls(), {}));
  std::FILE* diag = std::tmpfile();
  c.set_diagnostics(diag);
  EXPECT_EQ(c.translate("New text"), "New text");
  EXPECT_EQ(c.translate("New text"), "New text");
  EXPECT_EQ(c.added_count(), 1);
  EXPECT_EQ(read_text(nls()), kTwo + "\nNew text\n*New text\n");
  std::rewind(diag);
  char buf[256] = {};
  std::string log;
  while (std::fgets(buf, sizeof buf, diag)) log += buf;
  std::fclose(diag);
  EXPECT_EQ(log,
            "nls entry *New text* added ... num = 4\n"
            "nls entry *New text* _NOT_ added ... num = 4\n");
}

TEST_F(CatalogueAppend, ThreeLanguagesAndLineBreaks) {
  write_text(nls(), "3\nC\nenglish\nde\ngerman\nfr\nfrench\n0\n");
  ASSERT_TRUE(c.load(nls(), {}));
  c.translate("First\nSecond");
  EXPECT_EQ(read_text(nls()),
            "3\nC\nenglish\nde\ngerman\nfr\nfrench\n0\n"
            "\nFirst|Second\n*First|Second\n*First|Second\n");
  // A text appended in an earlier run is found in the file and not appended again.
  ASSERT_TRUE(c.load(nls(), {}));
  c.translate("First\nSecond");
  EXPECT_EQ(c.added_count(), 0);
}

TEST_F(CatalogueAppend, LanguageIsWrittenOnlyWhenChanged) {
  write_text(nls(), kTwo);
  ASSERT_TRUE(c.load(nls(), {lang()}));
  EXPECT_TRUE(c.save_language(lang()));
  EXPECT_FALSE(shell_test::fs::exists(lang()));
  ASSERT_TRUE(c.load(nls(), {lang()}));
  c.set_current_language(1);
  EXPECT_TRUE(c.save_language(lang()));
  EXPECT_EQ(read_text(lang()), "german\n");
  EXPECT_FALSE(c.active());              // freed at exit
  ASSERT_TRUE(c.load(nls(), {lang()}));  // the next start uses it
  EXPECT_EQ(c.translate("Load"), "Laden");
}

TEST(CatalogueText, LineSplittingAndConversions) {
  auto lines = catalogue_lines("a\r\nb\rc\n\nd");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(std::tuple(lines[1], lines[3], lines[4]), std::tuple("b", "", "d"));
  EXPECT_EQ(swap_line_breaks("a|b\nc"), "a\nb|c");
  EXPECT_EQ(utf8_to_latin1("Gr\xc3\xb6\xc3\x9f"
                           "e \xe2\x82\xac"),
            "Gr\xf6\xdf"
            "e ?");
}

// ---- The project's catalogue ----

// Every text of the menus, tool bars and palette, and every prompt and message shown so far.
std::vector<std::string> shown_texts() {
  std::vector<std::string> t;
  for (const MenuEntry& m : menu_entries()) {
    t.emplace_back(m.menu);
    if (!m.submenu.empty()) t.emplace_back(m.submenu);
    if (m.label != "separator") t.emplace_back(m.label);
  }
  for (const ToolbarEntry& e : toolbar_entries()) {
    // Picture buttons, the scale button and the coordinate labels show no text of their own.
    if (e.kind != ButtonKind::kLabel && e.picture.empty() && e.command != kScaleButtonCommand)
      t.emplace_back(e.label);
    if (!e.tip.empty()) t.emplace_back(e.tip);
  }
  for (const PalettePage& p : palette_pages()) t.emplace_back(p.label);
  for (const PaletteEntry& e : palette_entries()) {
    t.emplace_back(e.label);
    if (!e.tip.empty()) t.emplace_back(e.tip);
    if (!e.heading.empty()) t.emplace_back(e.heading);
  }
  // Prompts.
  t.insert(t.end(), {"Select function:", "1st Point:", "2nd Point:", "Move/Confirm:",
                     "1st Corner point:", "2nd Corner point:", "From:", "To:", "Center:",
                     "Abs. X/Y/Z:", "Move to %s :", "Point:"});
  // Questions, buttons and titles.
  t.insert(t.end(), {"Drawing is altered and not saved!\nReally delete all?",
                     "Drawing is altered and not saved!\nReally quit without saving?", "Yes", "No",
                     "Cancel", "Quit", "Save", "Delete", "Close", "Option request", "Error",
                     "Message", "KORAV  File: %s  Layer: %s  Scale: 1:%.0f"});
  // The layer dialog and the gauge.
  t.insert(t.end(),
           {"This layer is containing drawing elements.", "Please enter a name for the layer set.",
            "Layer", "List", "Layers", "No.", "Ac.", "Bk.", "Name", "Use", "Lists", "Active/Back",
            "Name:", "Gauge", "X-Distance", "Y-Distance", "Z-Distance", "Length", "Angle"});
  // Values and files.
  t.insert(t.end(), {"No TEMP path found... using own temp dir!", "No value entered",
                     "Not a number", "Number out of range", "Cannot open file",
                     "Cannot open Backup File", "Load Drawing...", "Save Drawing..."});
  // The 3D exchange and the solids' operations.
  t.insert(t.end(), {"Export GTS...", "Export 3DS...", "Export LWOB...", "Import GTS...",
                     "Import 3DS...", "Import DGM...", "GTS file is empty",
                     "Loading .gts file failed", "Loading .3ds file failed",
                     "Loading terrain file failed", "The points do not form a regular grid",
                     "Too many points for a LightWave object (at most 65535)",
                     "Boolean operation failed", "1st 3D Element:", "2nd 3D Element:",
                     "Keep intersection element?", "Keep original elements?"});
  return t;
}

TEST(ProjectCatalogue, HoldsEnglishAndGermanForEveryShownText) {
  TempDir dir;
  const std::string src = KORAV_SOURCE_DIR;
  write_text(dir.file("language"), "german\n");
  Catalogue c;
  c.set_diagnostics(nullptr);
  // A copy, so that a missing text is appended there and not to the project's file.
  write_text(dir.file("krv.nls"), read_text(src + "/nls/krv.nls"));
  ASSERT_TRUE(c.load(dir.file("krv.nls"), {dir.file("language")}));
  ASSERT_EQ(c.languages().size(), 2u);
  EXPECT_EQ(c.languages()[0].name, "english");
  EXPECT_EQ(c.languages()[1].name, "german");
  for (const std::string& s : shown_texts()) {
    c.translate(s);
    EXPECT_EQ(c.added_count(), 0) << "missing from nls/krv.nls: " << s;
    if (c.added_count()) break;
  }
}

TEST(ProjectCatalogue, GermanSwitchesMenusAndPrompts) {
  shell_test::ScriptRun run("b_gauge\nkey Escape\n", {}, "german");
  auto p = run.lines("prompt");
  ASSERT_GE(p.size(), 2u);
  EXPECT_EQ(p[0], "Funktion w\xc3\xa4hlen:");
  EXPECT_EQ(p[1], "1. Punkt:");
  EXPECT_EQ(run.lines("title").front().substr(0, 13), "KORAV  Datei:");
  // Every menu label changes, apart from "Info" and the names of file formats.
  load_catalogue(run.data.path());
  const std::set<std::string_view> same = {"Info", "3DS", "GTS", "DXF",    "EPS",   "SVG",
                                           "PDF",  "LWO", "POV", "Import", "Export"};
  for (const MenuEntry& m : menu_entries()) {
    for (std::string_view label : {m.menu, m.submenu, m.label}) {
      if (label.empty() || label == "separator" || same.contains(label)) continue;
      EXPECT_NE(translate(label), label);
    }
  }
  EXPECT_EQ(translate("Load"), "Laden");
  EXPECT_EQ(translate("Quit"), "Beenden");
}

}  // namespace
}  // namespace korav
