// The print and plot setups through the script host: printers and their commands, refused
// values, the scale, setups saved with the drawing, and printing through a host's print dialog.
#include <gtest/gtest.h>

#include <cairo.h>

#include <string>

#include "app/dispatch.h"
#include "exchange/print_command.h"
#include "exchange/printed_page.h"
#include "files/drawing_file.h"
#include "tests/export_test_support.h"
#include "tests/fake_ui.h"
#include "tests/files_test_support.h"
#include "tests/shell_test_support.h"

namespace korav {
namespace {

using shell_test::ScriptRun;

// The system's printers for a run: a printer capability file of the test's own.
std::function<void(App&)> printers(const files_test::TempDir& dir, const std::string& text) {
  const std::string path = dir.file("printcap");
  export_test::write_file(path, text);
  return [path](App& app) { app.printcap = path; };
}

TEST(PrintSetupScripts, ThePrinterChoicesAndTheirCommands) {
  files_test::TempDir dir;
  const std::string lp = default_print_command();
  const std::string named = lp == "lp" ? "lp -d lab" : "lpr -Plab";
  ScriptRun run("p_file_printsetup\n"
                "set Print Setup/Printer lab\n"
                "z_c_printsetup\n",
                printers(dir, "lab|Laboratory:rm=host:\noffice:rm=host:\n"));
  ASSERT_EQ(run.status, 0);
  App& app = *run.app;
  const DialogVar* printer = app.vars.find("Print Setup/Printer");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->items, (std::vector<std::string>{"Default", "Custom", "lab", "office"}));
  EXPECT_EQ(app.vars.value_text(app, "Print Setup/Printer command"), named);
  EXPECT_EQ(print_command_of(app), named);
  EXPECT_FALSE(app.dialog_open("printsetup"));

  ScriptRun custom("set Print Setup/Printer command lpr -Pdesk -#2\n"
                   "set Print Setup/Printer Default\n");
  App& c = *custom.app;
  EXPECT_EQ(c.vars.value_text(c, "Print Setup/Printer command"), lp);
  EXPECT_EQ(print_command_of(c), lp);
  // The typed command is kept for "Custom".
  std::string error;
  EXPECT_EQ(c.vars.set(c, "Print Setup/Printer", "Custom", error), DialogVars::Result::kDone);
  EXPECT_EQ(print_command_of(c), "lpr -Pdesk -#2");
  // Nothing typed as the printer: the default printer.
  EXPECT_EQ(c.vars.set(c, "Print Setup/Printer", "", error), DialogVars::Result::kDone);
  EXPECT_EQ(c.drawing.settings.print.printer.view(), "Default");
  // The plot setup has a printer of its own.
  EXPECT_EQ(c.vars.set(c, "Plot Setup/Printer", "office", error), DialogVars::Result::kDone);
  EXPECT_EQ(plot_command_of(c), lp == "lp" ? "lp -d office" : "lpr -Poffice");
  EXPECT_EQ(print_command_of(c), lp);
}

TEST(PrintSetupScripts, SizesAndScalesThatCannotBeUsedAreRefused) {
  for (const char* line :
       {"set Print Setup/Width: 0\n", "set Print Setup/Height: -2\n",
        "set Print Setup/Print scale 0\n", "set Plot Setup/Resolution [cm] 0\n",
        "set Plot Setup/Plot scale -100\n", "set Print Setup/Left: -1\n",
        "set Print scale/Scale nonsense\n"}) {
    SCOPED_TRACE(line);
    ScriptRun run(line);
    EXPECT_EQ(run.status, 1);
    const Settings& s = run.app->drawing.settings;
    EXPECT_DOUBLE_EQ(s.print.paper_width, 21.0);
    EXPECT_DOUBLE_EQ(s.print.paper_height, 29.7);
    EXPECT_DOUBLE_EQ(s.print.scale, 100);
    EXPECT_DOUBLE_EQ(s.print.margin_left, 0);
    EXPECT_DOUBLE_EQ(s.plot.resolution, 0.0025);
    EXPECT_DOUBLE_EQ(s.plot.scale, 100);
  }
  ScriptRun margin("set Print Setup/Left: 0\n");  // no margin is a margin
  EXPECT_EQ(margin.status, 0);
}

TEST(PrintSetupScripts, ThePrintScaleStepsAndItsOwnDialog) {
  ScriptRun run("z_d_printscale\nset Print scale/Scale 250\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.app->dialog_open("printscale"));
  EXPECT_DOUBLE_EQ(run.app->drawing.settings.print.scale, 250);
  EXPECT_EQ(run.app->vars.value_text(*run.app, "Print Setup/Print scale"), "250.00");
  ScriptRun up("z_prscale_inc\n"), down("z_prscale_dec\n");
  EXPECT_GT(up.app->drawing.settings.print.scale, 100);
  EXPECT_LT(down.app->drawing.settings.print.scale, 100);
  EXPECT_DOUBLE_EQ(up.app->drawing.settings.plot.scale, 100);  // the plot scale is its own
}

TEST(PrintSetupScripts, TheSetupsTravelWithTheDrawing) {
  files_test::TempDir dir;
  const std::string path = dir.file("plan.krv");
  ScriptRun run("set Print Setup/Width: 42\n"
                "set Print Setup/Bottom: 1.5\n"
                "set Print Setup/Orientation Landscape\n"
                "set Print Setup/Printer type B/W\n"
                "set Print Setup/Printer command lpr -Pa3\n"
                "set Plot Setup/Plotter type HPGL/2 mono\n"
                "set Plot Setup/Origin Center\n"
                "set Plot Setup/Start: PS4;\n"
                "p_file_save\nfile " +
                path + "\n");
  ASSERT_EQ(run.status, 0);
  Drawing d;
  FakeUi ui;
  ASSERT_EQ(load_drawing(d, ui, path), LoadStatus::kLoaded);
  const Settings& s = d.settings;
  EXPECT_DOUBLE_EQ(s.print.paper_width, 42);
  EXPECT_DOUBLE_EQ(s.print.margin_bottom, 1.5);
  EXPECT_EQ(s.print.landscape, 1u);
  EXPECT_EQ(s.print.colour, 0u);
  EXPECT_EQ(s.print.printer.view(), "Custom");
  EXPECT_EQ(s.print.command.view(), "lpr -Pa3");
  EXPECT_EQ(s.plot.type, 1u);
  EXPECT_EQ(s.plot.origin, 1u);
  EXPECT_EQ(s.plot.start.view(), "PS4;");
  // Loaded into the program, the dialogs show it.
  ScriptRun again("p_file_load\nfile " + path + "\n");
  EXPECT_EQ(again.app->vars.value_text(*again.app, "Print Setup/Printer command"), "lpr -Pa3");
  EXPECT_EQ(again.app->vars.value_text(*again.app, "Plot Setup/Plotter type"), "HPGL/2 mono");
}

TEST(PrintSetupScripts, ThePrintedPageHasTheSetupsPaperOrientationScaleAndColours) {
  files_test::TempDir out;
  const std::string path = out.file("page.ps");
  ScriptRun run("set Toolbar/Snap off\n"
                "set Print Setup/Orientation Landscape\n"
                "set Print Setup/Print scale 200\n"
                "set Print Setup/Printer type B/W\n"
                "p_file_print\nclick 0 0\nclick 0 0\nanswer To File\nfile " +
                    path + "\n",
                [](App& app) { create_line(app.drawing.store, 0, 1, 0, 0, 0, 1, 0); });
  ASSERT_EQ(run.status, 0);
  const std::string doc = export_test::read_file(path);
  EXPECT_NE(doc.find("%%BoundingBox: 0 0 595 842\n"), std::string::npos);
  // Landscape at 1:200: the frame is 59.4 x 42 m, the drawing turned onto the upright paper;
  // the line along the frame's bottom runs up the paper's right edge.
  EXPECT_NE(doc.find("sp2 lt1 595.28 0.00 m 595.28 14.17 l s\n"), std::string::npos) << doc;
  // B/W: every pen black, the yellow pen 2 as well.
  EXPECT_NE(doc.find("/sp2 {"), std::string::npos);
  EXPECT_NE(doc.find(" setlinewidth 0.0 0.0 0.0 rgb} bdef\n/sp3"), std::string::npos);
}

// A host with a print dialog of its own: it records what it was asked and draws the page on a
// picture of a paper of its choice, which it says it printed on.
class PrintingHost : public ScriptHost {
 public:
  using ScriptHost::ScriptHost;
  PagePrinter::Paper asked, printed_on;
  std::string asked_printer;
  std::uint32_t pixel = 0;  // where the test looks
  int calls = 0;
  HostPrint print_page(PagePrinter& page, std::string&) override {
    ++calls;
    asked = page.paper();
    asked_printer = page.printer();
    cairo_surface_t* s = cairo_image_surface_create(
        CAIRO_FORMAT_RGB24, static_cast<int>(printed_on.width), static_cast<int>(printed_on.height));
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    page.draw(cr, printed_on);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    // The line from (0, 5) to (10, 5) at 1:100: 5 m above the paper's bottom edge.
    const int y = static_cast<int>(printed_on.height - 5 * 72 / 2.54), x = 100;
    pixel = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                   y * cairo_image_surface_get_stride(s))[x] &
            0xFFFFFF;
    cairo_surface_destroy(s);
    page.printed_on(printed_on);
    return HostPrint::kPrinted;
  }
};

TEST(PrintSetupScripts, ToPrinterGoesThroughTheHostsPrintDialogUnlessThePrinterIsCustom) {
  shell_test::CatalogueGuard guard;
  shell_test::DataDir data;
  load_catalogue(data.path());
  std::istringstream in(
      "set Toolbar/Snap off\nset Print Setup/Printer office\nset Print Setup/Top: 1\n"
      "p_file_print\nclick 0 0\nclick 0 0\nanswer To Printer\n");
  App app;
  PrintingHost host(app, in, "test", nullptr);
  app.ui = &host;
  host.printed_on = {841.9, 595.3, 10, 20, 30, 40, true};  // A4 on its side
  CommandLine cl;
  cl.start_dir = data.path();
  const int status = host.run(cl, data.path(), [](App& a) {
    a.drawing.settings.pens[0].thickness = 2;
    create_line(a.drawing.store, 0, 0, 0, 0, 5, 10, 5);
  });
  EXPECT_EQ(status, 0);
  ASSERT_EQ(host.calls, 1);
  EXPECT_EQ(host.asked_printer, "office");
  EXPECT_NEAR(host.asked.width, 595.28, 0.01);
  EXPECT_NEAR(host.asked.height, 841.89, 0.01);
  EXPECT_NEAR(host.asked.margin_top, 28.35, 0.01);
  EXPECT_FALSE(host.asked.landscape);
  EXPECT_EQ(host.pixel, 0x000000u);  // pen 0: black
  // The paper printed on became the print setup's, upright.
  const PrintOptions& o = app.drawing.settings.print;
  EXPECT_NEAR(o.paper_width, 21.0, 0.01);
  EXPECT_NEAR(o.paper_height, 29.7, 0.01);
  EXPECT_EQ(o.landscape, 1u);
  EXPECT_NEAR(o.margin_left, 10 / kPointsPerCm, 1e-6);  // the turned paper's top
  EXPECT_NEAR(o.margin_bottom, 20 / kPointsPerCm, 1e-6);
  // No print.ps was written.
  EXPECT_TRUE(app.private_dir.path().empty());
  for (const Element& e : app.drawing.store.list) EXPECT_EQ(e.selected, 0);
}

}  // namespace
}  // namespace korav
