// The program's options as they travel in the settings chunks of every drawing and settings
// file. Options that belong to tools not built yet are kept field for field so that files
// round-trip byte for byte.
#pragma once

#include <array>
#include <cstdint>

#include "model/element.h"
#include "model/pens.h"

namespace korav {

struct SnapSettings {      // PSNP: snap size and the nine snap point switches
  std::uint32_t size = 7;  // pixels
  std::array<std::uint32_t, 9> on{1, 1, 1, 1, 1, 1, 1, 1, 1};
};

struct PovOptions {  // PPO2
  std::array<std::uint32_t, 7> flags{};
  FixedName<80> name;
  FixedName<256> path;
  std::array<double, 3> values{};
  std::uint32_t last = 0;
};

// The print setup ("Print Setup"): the paper, its margins and the print scale of the printed
// page, and the printer the page goes to.
struct PrintOptions {  // PPR3
  double paper_width = 21.0;   // cm
  double paper_height = 29.7;  // cm
  double margin_top = 0, margin_left = 0, margin_right = 0, margin_bottom = 0;  // cm
  double scale = 100;          // "Print scale", the denominator
  std::uint32_t colour = 1;    // "Printer type": 0 "B/W", 1 "Color"
  std::uint32_t landscape = 0; // "Orientation": 0 "Portrait", 1 "Landscape"
  FixedName<128> command;      // "Printer command" (typed for "Custom")
  FixedName<128> printer;      // "Printer": "Default", "Custom" or a printer's name
  std::uint32_t reserved = 0;
};

// The plot setup ("Plot Setup"): the plotter's language, paper and scale, and the plotter the
// file goes to.
struct PlotOptions {  // PHP3
  std::uint32_t type = 0;       // "Plotter type": 0 "HPGL", 1 "HPGL/2 mono", 2 "HPGL/2 color"
  std::uint32_t origin = 0;     // "Origin": 0 "Bottom left", 1 "Center"
  std::uint32_t landscape = 0;  // "Orientation": 0 "Portrait", 1 "Landscape"
  double paper_width = 21.0;    // cm
  double paper_height = 29.7;   // cm
  double resolution = 0.0025;   // "Resolution [cm]": centimetres a plotter unit
  double scale = 100;           // "Plot scale", the denominator
  FixedName<256> start;         // "Start:" sequence, written before the drawing
  FixedName<256> end;           // "End:" sequence, written after it
  FixedName<256> printer;       // "Printer": "Default", "Custom" or a printer's name
  FixedName<256> spare;
  FixedName<128> command;       // "Plotter command" (typed for "Custom")
  std::uint32_t reserved = 0;
};

struct ViewSwitches {                 // PVIW
  std::uint32_t exact_thickness = 0;  // "Show exact line thickness"
  std::uint32_t all_black = 0;        // "Show all colored black"
  std::uint32_t patterns = 1;         // "Show patterns"
  std::uint32_t guide_points = 1;     // "Show guide points"
  std::uint32_t room_borders = 1;     // "Show room borders"
};

struct RoomTextOptions {  // PROD
  std::uint32_t area_unit = 0;
  FixedName<40> area_text;
  std::uint32_t volume_unit = 0;
  FixedName<40> volume_text;
};

struct Settings {
  SnapSettings snap;
  PenTable pens = default_pens();
  LineTypeTable line_types = default_line_types();
  PovOptions pov;
  PrintOptions print;
  PlotOptions plot;
  std::array<std::uint32_t, 4> dxf{};          // PDXF
  std::array<std::uint32_t, 3> filter{};       // PFLT: line type, pen, filter by
  std::array<std::uint32_t, 4> text_editor{};  // PTEE
  ViewSwitches view;
  RoomTextOptions room_text;
  // PMSC (the current layer lives in the drawing)
  double drawing_scale = 100;
  std::uint32_t view_number = 0;
  std::uint32_t angle_input = 1;
  std::uint32_t figure_input = 0;
  std::uint32_t link_to_elements = 1;
  std::uint32_t move_figures = 1;
  // PMS2
  std::uint32_t preview_snap = 1;
  std::uint32_t size_unit = 0;   // "Pen/Line/Text size"
  std::uint32_t paper_unit = 0;  // "Paper size"
  // PDI2
  std::uint32_t accuracy = 4;
  std::uint32_t accuracy_arch = 2;
  DisplayColours colours;
  // Settings files only: PLOP, PASR, PBAK
  std::array<FixedName<256>, 6> paths{};  // drawing, -, symbol, DXF, dialog, export
  double aspect_x = 10, aspect_y = 10;
  std::uint32_t backup_on = 1;
  std::uint32_t backup_minutes = 5;

  Settings();
};

inline Settings::Settings() {
  room_text.area_text.set("QM");
  room_text.volume_text.set("CBM");
  paths[0].set("./dat/draw/");
  paths[2].set("./dat/sym/");
  paths[4].set("./dat/dia/");
  print.printer.set("Default");
  plot.printer.set("Default");
}

}  // namespace korav
