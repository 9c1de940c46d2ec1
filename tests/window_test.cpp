// The window host: its pictures, and the real window driven by --replay under a virtual X
// server (skipped when xvfb-run is not installed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "app/commands.h"
#include "app/dialogs/layers.h"
#include "app/gtk/xpm_reader.h"
#include "shell_test_support.h"
#include "tests/export_test_support.h"
#include "tests/png_test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;

const std::string kSource = KORAV_SOURCE_DIR;
constexpr auto npos = std::string::npos;

// The pixel at byte offset i of a picture as 0xRRGGBBAA.
std::uint32_t rgba_at(const XpmPicture& p, std::size_t i) {
  const std::uint8_t* q = &p.rgba[i];
  return (std::uint32_t(q[0]) << 24) | (std::uint32_t(q[1]) << 16) | (std::uint32_t(q[2]) << 8) |
         q[3];
}

// ---- XPM pictures ----

TEST(WindowPictures, ParsesColoursTransparencyAndMultiCharacterPixels) {
  const char* text =
      "/* XPM */\n"
      "static char *p[] = {\n"
      "\"3 2 3 2\",\n"
      "\"..\tc None\",\n"
      "\"#a c #FF0000\",\n"
      "\"b1 s mask c #00f\",\n"
      "\"..#ab1\",\n"
      "\"b1b1..\"};\n";
  XpmPicture p;
  std::string error;
  ASSERT_TRUE(parse_xpm(text, p, error)) << error;
  ASSERT_EQ(p.width, 3);
  ASSERT_EQ(p.height, 2);
  auto px = [&](int x, int y) { return rgba_at(p, static_cast<std::size_t>((y * 3 + x) * 4)); };
  EXPECT_EQ(px(0, 0), 0u);  // None is fully transparent
  EXPECT_EQ(px(1, 0), 0xFF0000FFu);
  EXPECT_EQ(px(2, 0), 0x0000FFFFu);  // "#00f": short hex form, after a symbolic key
  EXPECT_EQ(px(0, 1), 0x0000FFFFu);
  EXPECT_EQ(px(2, 1), 0u);
}

TEST(WindowPictures, RejectsBrokenFilesWithAReason) {
  struct Case {
    const char* text;
    const char* reason;
  };
  const Case cases[] = {
      {"nothing quoted here", "no picture data"},
      {"\"2 2 1\"", "bad picture header"},
      {"\"0 2 1 1\" \". c None\"", "bad picture header"},
      {"\"99999 2 1 1\" \". c None\"", "bad picture header"},
      {"\"2 2 1 1\" \". c None\" \"..\"", "cut short"},
      {"\"2 1 1 1\" \". c #12345\" \"..\"", "unknown colour"},
      {"\"2 1 1 1\" \". c\" \"..\"", "unknown colour"},
      {"\"2 1 1 1\" \". c None\" \".\"", "too short"},
      {"\"2 1 1 1\" \". c None\" \".x\"", "unknown pixel"},
      {"\"2 1 1 1\" \". c None\" \"..", "cut short"},  // unterminated string
  };
  XpmPicture p;
  std::string error;
  for (const Case& c : cases) {
    error.clear();
    EXPECT_FALSE(parse_xpm(c.text, p, error)) << c.text;
    EXPECT_NE(error.find(c.reason), npos) << c.text << " -> " << error;
  }
  EXPECT_FALSE(read_xpm_file(kSource + "/graphics/no-such-picture.xpm", p, error));
  EXPECT_NE(error.find("cannot open"), npos);
}

// Every picture the window names must be there and readable, and be a real picture: more
// than one colour, some pixels opaque.
void expect_picture(std::string_view file) {
  XpmPicture p;
  std::string error;
  ASSERT_TRUE(read_xpm_file(kSource + "/graphics/" + std::string(file), p, error)) << error;
  EXPECT_GE(p.width, 8) << file;
  EXPECT_LE(p.width, 48) << file;
  std::set<std::uint32_t> colours;
  int opaque = 0;
  for (std::size_t i = 0; i < p.rgba.size(); i += 4) {
    colours.insert(rgba_at(p, i));
    if (p.rgba[i + 3]) ++opaque;
  }
  EXPECT_GE(colours.size(), 2u) << file;
  EXPECT_GT(opaque, p.width) << file;
}

TEST(WindowPictures, EveryPictureTheWindowNamesExistsAndNoneIsOrphaned) {
  std::set<std::string> named;
  for (const ToolbarEntry& e : toolbar_entries())
    if (!e.picture.empty()) named.emplace(e.picture);
  for (const PaletteEntry& e : palette_entries())
    if (!e.picture.empty()) named.emplace(e.picture);
  for (std::string_view f : {kMarkerCurrent, kMarkerShown, kMarkerHidden, kMarkerUsed, kMarkerList})
    named.emplace(f);
  // The Layers dialog's buttons.
  for (const char* f : {"trashcan.xpm", "uparrow.xpm", "downarrow.xpm"}) named.emplace(f);
  for (const std::string& f : named) expect_picture(f);

  std::set<std::string> shipped;
  for (const auto& entry : fs::directory_iterator(kSource + "/graphics"))
    if (entry.path().extension() == ".xpm") shipped.insert(entry.path().filename().string());
  EXPECT_EQ(named, shipped);
}

// ---- The real window under a virtual X server ----

using shell_test::KoravRun;
using shell_test::read_text;

// A data directory for the window: the catalogue's counted records, the shipped pictures.
struct DataDir : shell_test::DataDir {
  explicit DataDir(const std::string& language = "") : shell_test::DataDir(language, true) {}
};

// Runs korav with `args` in the data directory, under xvfb-run when `window`.
KoravRun run_korav(const DataDir& data, const std::string& args, bool window) {
  return shell_test::run_korav(data.path(), args, data.path(), window);
}

// Writes `script` to s.txt and replays it in the window, with `more` arguments.
KoravRun replay(const DataDir& data, const std::string& script, const std::string& more = "") {
  shell_test::write_text(data.file("s.txt"), script);
  return run_korav(data, "--replay s.txt" + more, true);
}

// False also in a build without the window, where these tests have nothing to run.
bool have_xvfb() {
  return KORAV_WITH_GUI && std::system("command -v xvfb-run >/dev/null 2>&1") == 0;
}

// The transcript lines of an output (diagnostics such as locale messages left out).
std::vector<std::string> transcript(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string l;
  while (std::getline(in, l))
    for (const char* kind : {"prompt: ", "title: ", "message: ", "error: ", "question: ", "file: "})
      if (l.rfind(kind, 0) == 0) lines.push_back(l);
  return lines;
}

// The longest run of equal dark pixels in a row of the image.
int longest_dark_run(const Png& png) {
  int best = 0;
  for (int y = 0; y < png.height; ++y) {
    int run = 0;
    for (int x = 0; x < png.width; ++x) {
      std::uint32_t c = png.at(x, y);
      bool dark = ((c >> 16) & 0xFF) < 80 && ((c >> 8) & 0xFF) < 80 && (c & 0xFF) < 80;
      bool same = x > 0 && c == png.at(x - 1, y);
      run = dark ? (same ? run + 1 : 1) : 0;
      best = std::max(best, run);
    }
  }
  return best;
}

// Point input through the real window: typed coordinates, coordinate keys, "z_enter", a
// foreign command ending a waiting tool, Escape, the wheel inside a tool and a question box.
// The window must behave exactly as the script host: the same transcript, the same drawing.
const char* kPointInputScript =
    "b_line_line\nkey a\n"
    "key Escape\n"  // the open value entry takes every key: nothing ends the tool
    "key x\ntype 1;2\nclick 4 2\nkey Right\ntype 2\nclick 6 2\nclick 6 5\nz_enter\n"
    "wheel up\nwheel down\nclick 6 9\nclick 6 9\n"
    "b_gauge\nclick 0 0\nclick 3 4\nclick 3 4\nkey Escape\n"
    "b_line_line\nclick 0 0\nb_gauge\nkey Escape\n"
    "p_file_save\nfile plan.krv\np_file_new\ns_alles\n";

// Runs `script` through the script host and through the real window, each in its own data
// directory, and expects the same transcript and the same saved drawing ("plan.krv").
void expect_same_as_script_host(const std::string& script) {
  DataDir script_dir, window_dir;
  shell_test::write_text(script_dir.file("s.txt"), script);
  shell_test::write_text(window_dir.file("s.txt"), script);
  KoravRun s = run_korav(script_dir, "--script s.txt", false);
  KoravRun w = run_korav(window_dir, "--replay s.txt", true);
  ASSERT_EQ(s.status, 0) << s.err;
  ASSERT_EQ(w.status, 0) << w.err;
  std::vector<std::string> ts = transcript(s.out), tw = transcript(w.out);
  ASSERT_GT(ts.size(), 10u) << s.out;
  // The titles name the data directory, which differs between the two runs.
  for (std::vector<std::string>* t : {&ts, &tw})
    for (std::string& l : *t)
      for (const DataDir* d : {&script_dir, &window_dir})
        if (auto p = l.find(d->path()); p != npos)
          l.replace(p, d->path().size(), "DIR");
  EXPECT_EQ(ts, tw);
  const std::string saved_s = read_text(script_dir.file("plan.krv"));
  EXPECT_FALSE(saved_s.empty());
  EXPECT_EQ(saved_s, read_text(window_dir.file("plan.krv")));  // the same elements, byte for byte
}

TEST(WindowReplay, PointInputRunsExactlyAsInTheScriptHost) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  expect_same_as_script_host(kPointInputScript);
}

// Keys go through real key events and the window's keyboard handler; dialogs and view
// functions run inside a waiting tool.
TEST(WindowReplay, KeysDialogsAndViewFunctionsRunExactlyAsInTheScriptHost) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  expect_same_as_script_host(
      "key asterisk\n"      // the Layers dialog
      "set Layers/Ac. 5\n"  // layer 5 becomes the current layer
      "key l\n"             // palette page "line", ends nothing
      "b_line_line\nclick 0 0\n"
      "key KP_Add\nkey minus\n"  // a view step inside the tool keeps its points
      "key M\n"                   // remember the view
      "f_zoom\nclick -5 -5\nclick 5 5\n"  // a view function with its own request
      "key shift+r\n"  // back to the remembered view ("R")
      "click 2 3\n"
      "key Up\ntype 1\n"  // coordinate key in the plan view: "Y+"
      "click 2 4\n"
      "key KP_6\n"   // scroll one step
      "key Tab\n"    // as Return: repeats the previous point
      "key slash\n"  // the gauge ends the line tool
      "click 1 1\nclick 4 5\nkey Return\nkey Escape\n"
      "set Layers/Bk. 7\n"
      "p_layerfunc_up\n"  // layer 5 moves to 4 with its elements
      "p_file_save\nfile plan.krv\nz_c_layer\n");
}

TEST(WindowReplay, QuittingEndsTheRunAndStillWritesTheScreenshot) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  DataDir data;
  KoravRun r = replay(data,
                      "b_line_line\nclick 0 0\nclick 1 1\nclick 1 1\n"
                      "p_file_quit\nanswer Cancel\n"  // the drawing is altered: ask, and stay
                      "p_file_quit\nanswer Quit\n"
                      "b_line_line\n",  // never runs
                      " --screenshot shot.png");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("[Quit|Cancel|Save] -> Cancel"), npos) << r.out;
  EXPECT_NE(r.out.find("[Quit|Cancel|Save] -> Quit"), npos) << r.out;
  // After "Quit" no tool started: the last prompt is the command loop's.
  std::vector<std::string> t = transcript(r.out);
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.back().rfind("question: ", 0), 0u) << r.out;
  Png png;
  EXPECT_TRUE(read_png(data.file("shot.png"), png));
}

TEST(WindowReplay, ScreenshotShowsTheWholeWindowWithTheDrawing) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  DataDir data;
  KoravRun r = replay(data,
                      "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\np_nop\ns_alles\nz_d_layer\n"
                      "move 500 500\n",
                      " --size 700x450 --screenshot shot.png");
  ASSERT_EQ(r.status, 0) << r.err;
  Png png;
  ASSERT_TRUE(read_png(data.file("shot.png"), png));
  // Canvas, palette beside it, tool bars above, prompt line below.
  EXPECT_GT(png.width, 700 + 150);
  EXPECT_GT(png.height, 450 + 60);
  std::set<std::uint32_t> colours(png.px.begin(), png.px.end());
  EXPECT_GT(colours.size(), 30u);  // pictures, text, canvas: not a blank window
  // "Show all" spreads the 10 m line over ten elevenths of the canvas width (the pointer is off
  // the canvas, so its cross neither covers the line nor adds one).
  const int run = longest_dark_run(png);
  EXPECT_GT(run, 560);
  EXPECT_LT(run, 700);
}

TEST(WindowReplay, ScriptErrorsEndTheRunWithStatusOneAndNameTheLine) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  struct Case {
    const char* script;
    const char* message;
  };
  const Case cases[] = {
      {"b_gauge\nbogus line\nclick 1 1\n", "line 2"},
      {"type 12\n", "no value entry is open"},
      {"# comment\n\nkey NoSuchKey\n", "line 3"},
      {"answer Yes\n", "no question box is open"},
      {"file x.krv\n", "no file chooser is open"},
      {"set No/Such 1\n", "line 1"},
      {"b_line_line\nclick 0 0\nclick 1 1\nclick 1 1\np_file_new\nclick 2 2\n",
       "the next line is not an answer"},
      {"p_file_load\nanswer Yes\n", "the next line is not a file line"},
  };
  for (const Case& c : cases) {
    DataDir data;
    KoravRun r = replay(data, c.script);
    EXPECT_EQ(r.status, 1) << c.script;
    EXPECT_NE(r.err.find(c.message), npos) << c.script << "\n" << r.err;
  }
  // An unanswered question is closed, as cancelled, and the drawing stays.
  DataDir data;
  KoravRun r = replay(data, "b_line_line\nclick 0 0\nclick 1 1\nclick 1 1\np_file_new\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Really delete all? [Yes|Cancel] -> close"), npos) << r.out;
}

TEST(WindowReplay, MissingScriptAndUnwritableScreenshotAreReported) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  DataDir data;
  KoravRun missing = run_korav(data, "--replay no-such-script.txt", true);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no-such-script.txt"), npos) << missing.err;

  KoravRun shot = replay(data, "s_alles\n", " --screenshot no-such-dir/shot.png");
  EXPECT_EQ(shot.status, 1);
  EXPECT_NE(shot.err.find("no-such-dir/shot.png"), npos) << shot.err;
}

TEST(WindowReplay, TheLanguageFileSwitchesPromptsAndMenus) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  const std::string german_prompt = "Funktion w\xc3\xa4hlen:";  // as the catalogue test reads it
  DataDir english, german("german");
  // Every window the program has so far: main window, about box, Layers and its "Name:"
  // entry, Snap, Gauge, the question box, the file chooser.
  const char* script =
      "z_d_layer\nset Layers/Name 2\nz_c_layerentry\nz_d_snap\np_file_load\nfile cancel\n"
      "b_gauge\nclick 0 0\nclick 1 1\nclick 1 1\n"
      "b_line_line\nclick 0 0\nclick 1 1\nclick 1 1\n"
      "p_file_new\nanswer 2\ns_alles\n";
  KoravRun e = replay(english, script, " --size 600x400 --screenshot shot.png");
  KoravRun g = replay(german, script, " --size 600x400 --screenshot shot.png");
  ASSERT_EQ(e.status, 0) << e.err;
  ASSERT_EQ(g.status, 0) << g.err;
  EXPECT_NE(e.out.find("prompt: Select function:"), npos) << e.out;
  EXPECT_NE(g.out.find("prompt: " + german_prompt), npos) << g.out;
  // The menu bar row differs: its labels are German.
  Png pe, pg;
  ASSERT_TRUE(read_png(english.file("shot.png"), pe));
  ASSERT_TRUE(read_png(german.file("shot.png"), pg));
  ASSERT_GT(std::min(pe.height, pg.height), 20);
  int differing = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < std::min(200, std::min(pe.width, pg.width)); ++x)
      if (pe.at(x, y) != pg.at(x, y)) ++differing;
  EXPECT_GT(differing, 50);
  // Every text the window showed was known to the catalogue: nothing was appended.
  for (const KoravRun* r : {&e, &g}) {
    std::istringstream lines(r->out);
    std::string l, missing;
    while (std::getline(lines, l))
      if (l.rfind("nls entry *", 0) == 0) missing += l + "\n";
    EXPECT_EQ(missing, "");
  }
}

// "To Printer" in the window prints through GTK's print operation; the replay answers its
// dialog with a file line, and the page is exported as PDF: the print setup's paper, the
// drawing where the frame put it, nothing in the margin.
TEST(WindowReplay, PrintsThroughGtksPrintOperation) {
  if (!have_xvfb()) GTEST_SKIP() << "xvfb-run is not installed";
  if (!export_test::have_program("qpdf") || !export_test::have_program("pdftoppm"))
    GTEST_SKIP() << "qpdf or pdftoppm is not installed";
  DataDir data;
  const std::string pdf = data.file("page.pdf");
  // A line from (1, 5) to (10, 5) m and a circle, with a pen 2 mm wide; at 1:100 a metre is
  // 28.35 points. The left margin of 2 cm (2 m) hides the line's first metre.
  KoravRun r = replay(data,
                      "set Toolbar/Snap off\n"
                      "set Settings/Pen No. 0\nset Settings/Thickness 2\nz_pen_apply\n"
                      "b_line_line\nclick 1 5\nclick 10 5\nclick 10 5\nkey Escape\n"
                      "b_circle_circle\nclick 5 15\nclick 5 15\nclick 7 15\nclick 7 15\nkey Escape\n"
                      "set Print Setup/Left: 2\n"
                      "p_file_print\nclick 0 0\nclick 0 0\nanswer To Printer\nfile " +
                          pdf + "\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("question: Output method: [To Printer|To File|Cancel] -> To Printer"), npos)
      << r.out;
  EXPECT_NE(r.out.find("file: Print -> " + pdf), npos) << r.out;
  const auto check = export_test::run_program({"qpdf", "--check", pdf}, data.path());
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  const auto render = export_test::run_program(
      {"pdftoppm", "-r", "72", "-png", "-singlefile", pdf, data.file("page")}, data.path());
  ASSERT_EQ(render.status, 0) << render.err;
  Png png;
  ASSERT_TRUE(read_png(data.file("page.png"), png));
  EXPECT_NEAR(png.width, 595, 1);  // A4 upright, the print setup's: 595.28 x 841.89 points
  EXPECT_NEAR(png.height, 842, 1);
  const double k = 72 / 2.54;
  auto dark = [&](double x, double y) {
    const std::uint32_t c = png.at(static_cast<int>(x * k), static_cast<int>(841.89 - y * k));
    return ((c >> 16) & 0xFF) < 128 && ((c >> 8) & 0xFF) < 128 && (c & 0xFF) < 128;
  };
  EXPECT_TRUE(dark(5, 5));    // the line
  EXPECT_TRUE(dark(9.5, 5));
  EXPECT_FALSE(dark(1.5, 5));  // in the margin
  EXPECT_FALSE(dark(5, 6));
  const export_test::Ink ink = export_test::ink_of(png, 0xFFFFFF);
  EXPECT_NEAR(ink.x0, 2 * k, 2);  // the margin's edge
  EXPECT_NEAR(ink.x1, 10 * k, 4);        // the line's end
  EXPECT_NEAR(ink.y0, 841.89 - 17 * k, 4);  // the circle's top
}

}  // namespace
}  // namespace korav
