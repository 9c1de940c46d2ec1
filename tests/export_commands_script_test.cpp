// The export commands end to end through the script host (questions, file chooser, the file,
// the marks cleared, cancels, unwritable files), and the command line's --export.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "exchange/pdf_export.h"
#include "files/drawing_file.h"
#include "files/stroke_font.h"
#include "tests/export_test_support.h"
#include "tests/files_test_support.h"
#include "tests/shell_test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using shell_test::ScriptRun;

// A line on the current layer and one on a background layer, a text; the fonts of the tree.
void plan(App& app) {
  install_font_loader(app.fonts, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
  Drawing& d = app.drawing;
  create_line(d.store, 0, 0, 0, 0, 0, 4, 0);
  d.layers.layer[1].state = 1;
  create_line(d.store, 1, 1, 0, 0, 2, 4, 2);
  create_text(d.store, export_test::text_fields(0, 3, "Simpel", 5), "Plan");
}

bool none_selected(const App& app) {
  for (const Element& e : app.drawing.store.list)
    if (e.selected) return false;
  return true;
}

TEST(ExportCommandScripts, EachExportAsksWhatThenWhereAndWrites) {
  struct Case {
    const char* command;
    const char* format;
    const char* extra;  // the text question's answer line, "" for none
    const char* starts;
    const char* holds;
  } cases[] = {
      {"p_file_export_svg", "SVG", "", "<?xml version=\"1.0\"", "<line "},
      {"p_file_export_eps", "EPS", "answer Export graphics(WYSIWYG)\n", "%!PS-Adobe-3.0 EPSF-2.0",
       " l s"},
      {"p_file_export_eps", "EPS", "answer Export text(For later editing)\n",
       "%!PS-Adobe-3.0 EPSF-2.0", "(Plan) show"},
      {"p_file_export_pdf", "PDF", "answer Export graphics(WYSIWYG)\n", "%PDF-1.3", " l\nS\n"},
      {"p_file_export_pdf", "PDF", "answer Export text(For later editing)\n", "%PDF-1.3",
       "(Plan) Tj"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.command) + " " + c.extra);
    files_test::TempDir out;
    const std::string path = out.file("plan.out");
    ScriptRun run(
        std::string(c.command) + "\nanswer All objects\n" + c.extra + "file " + path + "\n", plan);
    EXPECT_EQ(run.status, 0);
    const auto questions = run.lines("question");
    ASSERT_FALSE(questions.empty());
    EXPECT_EQ(questions[0], std::string("Export ") + c.format +
                                ": [All objects|All visible objects|Select objects|Cancel] -> "
                                "All objects");
    if (*c.extra) {
      ASSERT_EQ(questions.size(), 2u);
      EXPECT_TRUE(questions[1].starts_with(
          "Text export: [Export graphics(WYSIWYG)|Export text(For later editing)|Cancel] -> "));
    }
    EXPECT_EQ(run.lines("file"),
              std::vector<std::string>{std::string("Export ") + c.format + "... -> " + path});
    const std::string doc = export_test::read_file(path);
    EXPECT_TRUE(doc.starts_with(c.starts)) << doc.substr(0, 80);
    // What the page holds: a PDF's in its compressed stream.
    const std::string page = doc.starts_with("%PDF") ? pdf_content(doc) : doc;
    EXPECT_NE(page.find(c.holds), std::string::npos);
    EXPECT_TRUE(none_selected(*run.app));
    EXPECT_TRUE(run.lines("error").empty());
  }
}

TEST(ExportCommandScripts, CancellingAnyStepWritesNothing) {
  const std::string scripts[] = {
      "p_file_export_svg\nanswer Cancel\n",
      "p_file_export_svg\nanswer close\n",
      "p_file_export_svg\nanswer All objects\nfile cancel\n",
      "p_file_export_eps\nanswer All objects\nanswer Cancel\n",
      "p_file_export_pdf\nanswer All visible objects\nanswer Cancel\n",
      "p_file_export_pdf\nanswer Select objects\nkey Escape\n",
  };
  for (const std::string& s : scripts) {
    SCOPED_TRACE(s);
    ScriptRun run(s, plan);
    EXPECT_EQ(run.status, 0);
    for (const std::string& f : run.lines("file")) EXPECT_TRUE(f.ends_with("-> cancel")) << f;
    EXPECT_TRUE(none_selected(*run.app));
    EXPECT_TRUE(run.lines("error").empty());
  }
}

TEST(ExportCommandScripts, TheScopeDecidesWhatIsWritten) {
  struct Case {
    const char* answer;
    const char* selection;  // lines of the selection dialogue
    std::size_t lines;      // SVG lines written
  } cases[] = {
      {"All objects", "", 2},
      {"All visible objects", "", 2},
      {"Select objects", "click 2 0.01\ns_deffi_ok\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    files_test::TempDir out;
    const std::string path = out.file("a.svg");
    ScriptRun run(std::string("set Toolbar/Snap off\np_file_export_svg\nanswer ") + c.answer +
                      "\n" + c.selection + "file " + path + "\n",
                  [](App& app) {
                    Drawing& d = app.drawing;
                    create_line(d.store, 0, 0, 0, 0, 0, 4, 0);
                    d.layers.layer[1].state = 1;
                    create_line(d.store, 1, 1, 0, 0, 2, 4, 2);
                  });
    EXPECT_EQ(run.status, 0);
    const std::string doc = export_test::read_file(path);
    std::size_t n = 0;
    for (std::size_t at = doc.find("<line "); at != std::string::npos;
         at = doc.find("<line ", at + 1))
      ++n;
    EXPECT_EQ(n, c.lines);
    EXPECT_TRUE(none_selected(*run.app));
  }
}

TEST(ExportCommandScripts, AFileThatCannotBeOpenedSaysSo) {
  files_test::TempDir out;
  ScriptRun run("p_file_export_pdf\nanswer All objects\nanswer Export graphics(WYSIWYG)\nfile " +
                    out.file("no/such/dir/a.pdf") + "\n",
                plan);
  EXPECT_EQ(run.lines("error"), std::vector<std::string>{"Cannot open file"});
  EXPECT_FALSE(fs::exists(out.file("no/such/dir/a.pdf")));
  EXPECT_TRUE(none_selected(*run.app));
}

// A data directory of its own for the program: the catalogue (a copy, so that nothing is appended
// to the project's) and the fonts of the tree.
struct ProgramData {
  shell_test::DataDir data;
  std::vector<std::string> env = {"KORAV_DATA_DIR=" + data.path()};
  ProgramData() {
    fs::create_directories(data.file("dat"));
    fs::create_directory_symlink(std::string(KORAV_SOURCE_DIR) + "/dat/fonts",
                                 data.file("dat/fonts"));
  }
  export_test::Run run(const std::string& format, const std::string& in, const std::string& out,
                       const std::string& where) const {
    return export_test::run_program({KORAV_BINARY, "--export", format, in, out}, where, env);
  }
};

// --export FORMAT DRAWING OUT for each vector format: the program loads the drawing and writes
// every element; a target that cannot be opened fails with a message and status 1.
TEST(ExportCommandLine, EveryVectorFormat) {
  files_test::TempDir dir;
  Drawing d;
  export_test::make_gallery(d);
  FakeUi ui;
  const std::string in = dir.file("gallery.krv");
  ASSERT_TRUE(save_drawing_to(d, ui, in));
  const ProgramData program;
  struct Case {
    const char* format;
    const char* starts;
  } cases[] = {{"svg", "<?xml"},
               {"eps", "%!PS-Adobe-3.0 EPSF-2.0\n"},
               {"ps", "%!PS-Adobe-3.0\n"},
               {"pdf", "%PDF-1.3\n"},
               {"hpgl", "IN;IP0,0,8400,11880;\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const std::string out = dir.file(std::string("gallery.") + c.format);
    const auto r = program.run(c.format, in, out, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string doc = export_test::read_file(out);
    EXPECT_TRUE(doc.starts_with(c.starts));
    EXPECT_GT(doc.size(), 2000u);
    const auto bad = program.run(c.format, in, dir.file("missing/x"), dir.path());
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("Cannot open file"), std::string::npos) << bad.err;
  }
  // The printed page has the print setup's paper.
  EXPECT_NE(export_test::read_file(dir.file("gallery.ps")).find("%%BoundingBox: 0 0 595 842"),
            std::string::npos);
}

// A DXF file as the drawing of --export: imported with the default options, then written;
// a DXF without entities fails with the import's message.
TEST(ExportCommandLine, ConvertsDxfFiles) {
  files_test::TempDir dir;
  const std::string in = dir.file("Plan File.DXF");
  export_test::write_file(in,
                          "0\nSECTION\n2\nENTITIES\n"
                          "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n4\n21\n3\n"
                          "0\nCIRCLE\n8\n0\n10\n2\n20\n2\n40\n1.5\n"
                          "0\nENDSEC\n0\nEOF\n");
  const ProgramData program;
  for (const char* format : {"pdf", "svg", "krv"}) {
    SCOPED_TRACE(format);
    const auto r = program.run(format, in, dir.file(std::string("plan.") + format), dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
  }
  Drawing back;
  FakeUi ui;
  ASSERT_EQ(load_drawing(back, ui, dir.file("plan.krv")), LoadStatus::kLoaded);
  std::vector<int> types;
  for (const Element& e : back.store.list) types.push_back(e.type);
  EXPECT_EQ(types, (std::vector<int>{kLine, kCircle}));
  const std::string empty = dir.file("empty.dxf");
  export_test::write_file(empty, "0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nEOF\n");
  const auto bad = program.run("pdf", empty, dir.file("e.pdf"), dir.path());
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("ENTITIES section is missing"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace korav
