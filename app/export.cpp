// --export: load a drawing and write it in another format, with no window.
#include <cstdio>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "base/messages.h"
#include "base/ui.h"
#include "files/drawing_file.h"
#include "render/png_export.h"
#include "model/drawing.h"

namespace korav {

namespace {

// The user interface of a run without a window: boxes become lines, questions are answered
// "close", and no file chooser is offered.
class ExportUi : public Ui {
 public:
  void error_box(std::string_view text) override {
    std::fprintf(stderr, "korav: %s\n", one_line(translate(text)).c_str());
  }
  void message_box(std::string_view text) override {
    std::fprintf(stderr, "korav: %s\n", one_line(translate(text)).c_str());
  }
  int question(std::string_view, std::span<const std::string_view>) override { return 0; }
  std::optional<std::string> choose_file(std::string_view, std::string_view, bool) override {
    return std::nullopt;
  }
  void set_title(std::string_view) override {}
  void set_prompt(std::string_view) override {}
  std::string wait_command() override { return "p_nop"; }

 private:
  static std::string one_line(std::string_view s) {
    std::string out(s);
    for (char& c : out)
      if (c == '\n' || c == '|') c = ' ';
    return out;
  }
};

// krv: load and save again. Exit status 1 when the input cannot be read or the output not
// written; a damaged input is still written as far as it could be read, and counts as failed.
int export_krv(const CommandLine& cl, Ui& ui) {
  Drawing d;
  LoadStatus st = load_drawing(d, ui, cl.drawing);
  if (st != LoadStatus::kLoaded && st != LoadStatus::kDamaged) return 1;
  if (!save_drawing_to(d, ui, cl.export_out)) return 1;
  return st == LoadStatus::kLoaded ? 0 : 1;
}

// png: the plan view fitted to all elements, as the screen draws it.
int export_png_file(const CommandLine& cl, Ui& ui) {
  Drawing d;
  LoadStatus st = load_drawing(d, ui, cl.drawing);
  if (st != LoadStatus::kLoaded && st != LoadStatus::kDamaged) return 1;
  std::string error;
  if (!export_png(d, cl.export_out, cl.width > 0 ? cl.width : kPngDefaultWidth,
                  cl.height > 0 ? cl.height : kPngDefaultHeight, error)) {
    std::fprintf(stderr, "korav: %s\n", error.c_str());
    return 1;
  }
  return st == LoadStatus::kLoaded ? 0 : 1;
}

}  // namespace

std::vector<std::string> export_formats() { return {"krv", "png"}; }

int run_export(const CommandLine& cl) {
  ExportUi ui;
  if (cl.export_format == "krv") return export_krv(cl, ui);
  if (cl.export_format == "png") return export_png_file(cl, ui);
  std::fprintf(stderr, "korav: unknown export format %s\n", cl.export_format.c_str());
  return 2;
}

}  // namespace korav
