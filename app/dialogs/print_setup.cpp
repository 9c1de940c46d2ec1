#include "app/dialogs/print_setup.h"

#include <algorithm>
#include <utility>

#include "app/app.h"
#include "exchange/print_command.h"
#include "exchange/printcap.h"
#include "render/view.h"

namespace korav {

namespace {

constexpr std::string_view kPrintTitle = "Print Setup";
constexpr std::string_view kPlotTitle = "Plot Setup";
constexpr std::string_view kScaleTitle = "Print scale";
constexpr std::string_view kPrintKey = "printsetup";
constexpr std::string_view kPlotKey = "plotsetup";
constexpr std::string_view kScaleKey = "printscale";

void refresh_all(App& app) {
  if (!app.ui) return;
  app.ui->refresh_dialog(kPrintKey);
  app.ui->refresh_dialog(kPlotKey);
  app.ui->refresh_dialog(kScaleKey);
}

// The printer choices with the printers the setups name, so that a name the list does not
// hold (a drawing from another machine, a name typed) shows as it is.
void offer_printers(App& app) {
  std::vector<std::string> items = app.print_setup.printers;
  if (items.empty()) items = printer_choices("");
  for (std::string_view named :
       {app.drawing.settings.print.printer.view(), app.drawing.settings.plot.printer.view()})
    if (!named.empty() && std::find(items.begin(), items.end(), named) == items.end())
      items.emplace_back(named);
  app.vars.set_items(std::string(kPrintTitle) + "/Printer", items);
  app.vars.set_items(std::string(kPlotTitle) + "/Printer", std::move(items));
}

struct SetupVars {
  App& app;
  std::string_view title;

  DialogVar& add(std::string_view label, VarKind k, VarRef ref) {
    DialogVar v;
    v.name = std::string(title) + "/" + std::string(label);
    v.kind = k;
    v.ref = ref;
    return app.vars.add(std::move(v));
  }
  DialogVar& option(std::string_view label, std::uint32_t* ref, std::vector<std::string> items) {
    DialogVar& v = add(label, VarKind::kOption, ref);
    v.items = std::move(items);
    return v;
  }
  DialogVar& number(std::string_view label, double* ref, VarRange range) {
    DialogVar& v = add(label, VarKind::kNumber, ref);
    v.range = range;
    return v;
  }
  void button(std::string_view label, std::string_view command) {
    app.vars.add_button({std::string(title), std::string(label), std::string(command), "", ""});
  }
};

// A printer chosen (or typed): an empty name is the default printer; the command shown
// follows.
template <bool Plot>
void printer_chosen(App& app) {
  Settings& s = app.drawing.settings;
  if (Plot ? s.plot.printer.view().empty() : s.print.printer.view().empty()) {
    if (Plot) s.plot.printer.set(kDefaultPrinter);
    else s.print.printer.set(kDefaultPrinter);
  }
  print_setup_changed(app);
}

// Typing a command makes it the custom printer's.
template <bool Plot>
void command_typed(App& app) {
  Settings& s = app.drawing.settings;
  const std::string& typed = Plot ? app.print_setup.plot_command : app.print_setup.print_command;
  if (Plot) {
    s.plot.command.set(typed);
    s.plot.printer.set(kCustomPrinter);
  } else {
    s.print.command.set(typed);
    s.print.printer.set(kCustomPrinter);
  }
  print_setup_changed(app);
}

void add_print_setup(App& app) {
  PrintOptions& o = app.drawing.settings.print;
  SetupVars v{app, kPrintTitle};
  v.add("Printer", VarKind::kCombo, char_field(o.printer)).changed = printer_chosen<false>;
  v.option("Printer type", &o.colour, {"B/W", "Color"});
  DialogVar& command = v.add("Printer command", VarKind::kEntry, &app.print_setup.print_command);
  command.max_length = 127;
  command.changed = command_typed<false>;
  v.number("Width:", &o.paper_width, VarRange::kPositive);
  v.number("Height:", &o.paper_height, VarRange::kPositive);
  v.number("Top:", &o.margin_top, VarRange::kNonNegative);
  v.number("Left:", &o.margin_left, VarRange::kNonNegative);
  v.number("Right:", &o.margin_right, VarRange::kNonNegative);
  v.number("Bottom:", &o.margin_bottom, VarRange::kNonNegative);
  v.option("Orientation", &o.landscape, {"Portrait", "Landscape"});
  v.number("Print scale", &o.scale, VarRange::kPositive).changed = refresh_all;
  v.button("dec", "z_prscale_dec");
  v.button("inc", "z_prscale_inc");
  v.button("Plot Setup", "z_d_plotsetup");

  // "Print scale": the same scale on its own.
  SetupVars scale{app, kScaleTitle};
  scale.number("Scale", &o.scale, VarRange::kPositive).changed = refresh_all;
  scale.button("dec", "z_prscale_dec");
  scale.button("inc", "z_prscale_inc");
}

void add_plot_setup(App& app) {
  PlotOptions& o = app.drawing.settings.plot;
  SetupVars v{app, kPlotTitle};
  v.option("Plotter type", &o.type, {"HPGL", "HPGL/2 mono", "HPGL/2 color"});
  v.add("Printer", VarKind::kCombo, char_field(o.printer)).changed = printer_chosen<true>;
  DialogVar& command = v.add("Plotter command", VarKind::kEntry, &app.print_setup.plot_command);
  command.max_length = 127;
  command.changed = command_typed<true>;
  v.number("Width:", &o.paper_width, VarRange::kPositive);
  v.number("Height:", &o.paper_height, VarRange::kPositive);
  v.add("Start:", VarKind::kEntry, char_field(o.start)).max_length = 255;
  v.add("End:", VarKind::kEntry, char_field(o.end)).max_length = 255;
  v.option("Origin", &o.origin, {"Bottom left", "Center"});
  v.number("Resolution [cm]", &o.resolution, VarRange::kPositive);
  v.option("Orientation", &o.landscape, {"Portrait", "Landscape"});
  v.number("Plot scale", &o.scale, VarRange::kPositive);
  v.button("dec", "z_plscale_dec");
  v.button("inc", "z_plscale_inc");
  v.button("Plot", "p_file_plot");
}

}  // namespace

void register_print_setup_variables(App& app) {
  add_print_setup(app);
  add_plot_setup(app);
  offer_printers(app);
  print_setup_changed(app);
}

void print_setup_opened(App& app) {
  app.print_setup.printers = printer_choices_of_file(app.printcap);
  offer_printers(app);
  print_setup_changed(app);
}

void print_setup_changed(App& app) {
  const Settings& s = app.drawing.settings;
  app.print_setup.print_command = print_command_of(app);
  app.print_setup.plot_command = plot_command_of(app);
  // A printer named by a loaded drawing joins the choices.
  if (const DialogVar* printer = app.vars.find(std::string(kPrintTitle) + "/Printer")) {
    for (std::string_view named : {s.print.printer.view(), s.plot.printer.view()})
      if (std::find(printer->items.begin(), printer->items.end(), named) ==
          printer->items.end()) {
        offer_printers(app);
        break;
      }
  }
  refresh_all(app);
}

std::string print_command_of(const App& app) {
  const PrintOptions& o = app.drawing.settings.print;
  return printer_command(o.printer.view(), o.command.view(), default_print_command());
}

std::string plot_command_of(const App& app) {
  const PlotOptions& o = app.drawing.settings.plot;
  return printer_command(o.printer.view(), o.command.view(), default_print_command());
}

void print_scale_step(App& app, bool up) {
  double& s = app.drawing.settings.print.scale;
  if (!(s > 0)) s = 100;
  s = up ? drawing_scale_inc(s, *app.screen().steps) : drawing_scale_dec(s, *app.screen().steps);
  refresh_all(app);
}

void plot_scale_step(App& app, bool up) {
  double& s = app.drawing.settings.plot.scale;
  if (!(s > 0)) s = 100;
  s = up ? drawing_scale_inc(s, *app.screen().steps) : drawing_scale_dec(s, *app.screen().steps);
  refresh_all(app);
}

}  // namespace korav
