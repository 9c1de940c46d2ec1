// Printing through GTK's print dialog: one page, drawn by the page itself on the cairo context
// GTK gives, whose origin is the paper's corner (the whole paper, not only its printable area)
// and whose unit is the point. The dialog starts with the page's paper, orientation, margins
// and printer; the paper the user chose there is the one drawn on.
//
// In a replay the dialog cannot be answered by a script line: a file chooser titled "Print" is
// shown instead, answered by a "file" line, and the page is exported as PDF to that file, the
// way the print dialog's "Print to File" does.
#include <string>

#include "app/app.h"
#include "app/gtk/gtk_host.h"
#include "base/messages.h"

namespace korav {

namespace {

struct PrintRun {
  PagePrinter* page = nullptr;
  PagePrinter::Paper paper;  // the paper drawn on
  bool drawn = false;
};

// The paper a page setup describes, as it lies, in points.
PagePrinter::Paper paper_of(GtkPageSetup* setup) {
  PagePrinter::Paper p;
  p.width = gtk_page_setup_get_paper_width(setup, GTK_UNIT_POINTS);
  p.height = gtk_page_setup_get_paper_height(setup, GTK_UNIT_POINTS);
  p.margin_top = gtk_page_setup_get_top_margin(setup, GTK_UNIT_POINTS);
  p.margin_left = gtk_page_setup_get_left_margin(setup, GTK_UNIT_POINTS);
  p.margin_right = gtk_page_setup_get_right_margin(setup, GTK_UNIT_POINTS);
  p.margin_bottom = gtk_page_setup_get_bottom_margin(setup, GTK_UNIT_POINTS);
  const GtkPageOrientation o = gtk_page_setup_get_orientation(setup);
  p.landscape = o == GTK_PAGE_ORIENTATION_LANDSCAPE || o == GTK_PAGE_ORIENTATION_REVERSE_LANDSCAPE;
  return p;
}

void draw_page(GtkPrintOperation*, GtkPrintContext* context, gint, gpointer data) {
  auto* run = static_cast<PrintRun*>(data);
  run->paper = paper_of(gtk_print_context_get_page_setup(context));
  run->page->draw(gtk_print_context_get_cairo_context(context), run->paper);
  run->drawn = true;
}

// The page setup the dialog starts with.
GtkPageSetup* page_setup_for(const PagePrinter::Paper& p) {
  GtkPageSetup* setup = gtk_page_setup_new();
  const double upright_width = p.landscape ? p.height : p.width;
  const double upright_height = p.landscape ? p.width : p.height;
  if (upright_width > 0 && upright_height > 0) {
    GtkPaperSize* size = gtk_paper_size_new_custom("korav", "Korav", upright_width,
                                                   upright_height, GTK_UNIT_POINTS);
    gtk_page_setup_set_paper_size(setup, size);
    gtk_paper_size_free(size);
  }
  gtk_page_setup_set_orientation(
      setup, p.landscape ? GTK_PAGE_ORIENTATION_LANDSCAPE : GTK_PAGE_ORIENTATION_PORTRAIT);
  gtk_page_setup_set_top_margin(setup, p.margin_top, GTK_UNIT_POINTS);
  gtk_page_setup_set_left_margin(setup, p.margin_left, GTK_UNIT_POINTS);
  gtk_page_setup_set_right_margin(setup, p.margin_right, GTK_UNIT_POINTS);
  gtk_page_setup_set_bottom_margin(setup, p.margin_bottom, GTK_UNIT_POINTS);
  return setup;
}

}  // namespace

HostPrint GtkHost::print_page(PagePrinter& page, std::string& message) {
  std::string export_path;
  if (replay_) {
    const std::optional<std::string> chosen = choose_file("Print", drawing_directory(app_), true);
    if (!chosen) return HostPrint::kCancelled;
    export_path = *chosen;
  }

  GtkPrintOperation* op = gtk_print_operation_new();
  gtk_print_operation_set_n_pages(op, 1);
  gtk_print_operation_set_use_full_page(op, TRUE);
  gtk_print_operation_set_unit(op, GTK_UNIT_POINTS);
  gtk_print_operation_set_job_name(op, "KORAV");
  GtkPageSetup* setup = page_setup_for(page.paper());
  gtk_print_operation_set_default_page_setup(op, setup);
  g_object_unref(setup);
  GtkPrintSettings* settings = gtk_print_settings_new();
  if (const std::string printer = page.printer(); !printer.empty())
    gtk_print_settings_set_printer(settings, printer.c_str());
  gtk_print_operation_set_print_settings(op, settings);
  g_object_unref(settings);

  PrintRun run;
  run.page = &page;
  g_signal_connect(op, "draw-page", G_CALLBACK(draw_page), &run);
  GtkPrintOperationAction action = GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG;
  if (!export_path.empty()) {
    gtk_print_operation_set_export_filename(op, export_path.c_str());
    action = GTK_PRINT_OPERATION_ACTION_EXPORT;
  }
  GError* error = nullptr;
  const GtkPrintOperationResult result =
      gtk_print_operation_run(op, action, window_ ? GTK_WINDOW(window_) : nullptr, &error);
  HostPrint outcome = HostPrint::kPrinted;
  if (result == GTK_PRINT_OPERATION_RESULT_ERROR) {
    message = std::string(translate("Could not create device context.")) +
              (error && error->message ? std::string("\n") + error->message : std::string());
    outcome = HostPrint::kFailed;
  } else if (result == GTK_PRINT_OPERATION_RESULT_CANCEL || !run.drawn) {
    outcome = HostPrint::kCancelled;
  }
  if (error) g_error_free(error);
  g_object_unref(op);
  if (outcome == HostPrint::kPrinted) page.printed_on(run.paper);
  return outcome;
}

}  // namespace korav
