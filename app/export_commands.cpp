#include "app/export_commands.h"

#include <optional>
#include <string>

#include "app/app.h"
#include "base/messages.h"
#include "base/text_format.h"
#include "exchange/pdf_export.h"
#include "exchange/postscript.h"
#include "exchange/svg_export.h"
#include "files/settings_file.h"

namespace korav {

namespace {

enum class TextExport { kCancelled, kGraphics, kText };

TextExport ask_text_export(App& app) {
  const std::string_view buttons[] = {"Export graphics(WYSIWYG)", "Export text(For later editing)",
                                      "Cancel"};
  switch (app.ui->question("Text export:", buttons)) {
    case 1: return TextExport::kGraphics;
    case 2: return TextExport::kText;
    default: return TextExport::kCancelled;
  }
}

enum class Format { kSvg, kEps, kPdf };

void export_command(App& app, Format f) {
  const std::string_view name = f == Format::kSvg ? "SVG" : f == Format::kEps ? "EPS" : "PDF";
  if (!ask_export_scope(app, name)) return end_export(app);
  TextExport texts = TextExport::kGraphics;
  if (f != Format::kSvg) {
    texts = ask_text_export(app);
    if (texts == TextExport::kCancelled) return end_export(app);
  }
  const std::string_view title =
      f == Format::kSvg ? "Export SVG..." : f == Format::kEps ? "Export EPS..." : "Export PDF...";
  const std::optional<std::string> path = choose_export_file(app, title);
  if (!path) return end_export(app);
  const bool as_text = texts == TextExport::kText;
  WriteStatus st = WriteStatus::kOk;
  switch (f) {
    case Format::kSvg: st = export_svg(app.drawing, &app.fonts, *path); break;
    case Format::kEps: st = export_eps(app.drawing, &app.fonts, as_text, *path); break;
    case Format::kPdf: st = export_pdf(app.drawing, &app.fonts, as_text, *path); break;
  }
  report_write_status(app, st);
  end_export(app);
}

}  // namespace

std::optional<std::string> choose_export_file(App& app, std::string_view title, bool save) {
  const std::string_view path = app.drawing.settings.paths[5].view();
  const std::string start =
      path.empty() ? drawing_directory(app) : settings_path_directory(app, path, "");
  return app.ui->choose_file(title, start, save);
}

void report_write_status(App& app, WriteStatus st) {
  if (st == WriteStatus::kCannotOpen) app.ui->error_box(kMsgCannotOpen);
  else if (st == WriteStatus::kCannotWrite) app.ui->error_box(kMsgCannotWrite);
}

void end_export(App& app) {
  app.drawing.deselect_all();
  redraw(app);
}

namespace {

constexpr std::string_view kScopeButtons[] = {"All objects", "All visible objects",
                                              "Select objects", "Cancel"};

// Marks the elements of the answer to the scope question.
bool mark_scope(App& app, int answer) {
  Drawing& d = app.drawing;
  switch (answer) {
    case 1:
      for (Element& e : d.store.list) e.selected = 1;
      return true;
    case 2:
      for (Element& e : d.store.list) e.selected = element_accessible(d, true, e) ? 1 : 0;
      return true;
    case 3:
      if (select_elements(app, 0) == 1) return true;
      d.deselect_all();
      return false;
    default: return false;
  }
}

}  // namespace

bool ask_export_scope(App& app, std::string_view format) {
  const std::string text = fill_format(translate("Export %s:"), {std::string(format)});
  return mark_scope(app, app.ui->question_filled(text, kScopeButtons));
}

bool ask_scope(App& app, std::string_view question) {
  return mark_scope(app, app.ui->question(question, kScopeButtons));
}

void export_svg_command(App& app) { export_command(app, Format::kSvg); }
void export_eps_command(App& app) { export_command(app, Format::kEps); }
void export_pdf_command(App& app) { export_command(app, Format::kPdf); }

}  // namespace korav
