#include "files/settings_file.h"

#include <cmath>
#include <cstdio>

#include "files/drawing_file.h"
#include "files/safe_write.h"

namespace korav {

namespace {

// Body lengths of the settings chunks.
constexpr std::uint32_t kLenPsnp = 40, kLenPpen = 113, kLenPlin = 138, kLenPpo2 = 392,
                        kLenPpr3 = 324, kLenPhp3 = 1200, kLenPdxf = 16, kLenPflt = 12,
                        kLenPtee = 16, kLenPviw = 20, kLenProd = 88, kLenPmsc = 32, kLenPms2 = 12,
                        kLenPdi2 = 8, kLenPcol = 72, kLenPlop = 1536, kLenPasr = 16, kLenPbak = 8;

template <std::size_t N>
bool put_u32s(Writer& w, const std::array<std::uint32_t, N>& a) {
  for (auto v : a)
    if (!w.u32(v)) return false;
  return true;
}
template <std::size_t N>
bool put_f64s(Writer& w, const std::array<double, N>& a) {
  for (auto v : a)
    if (!w.f64(v)) return false;
  return true;
}
template <std::size_t N>
bool get_u32s(Reader& r, std::array<std::uint32_t, N>& a) {
  for (auto& v : a)
    if (!r.u32(v)) return false;
  return true;
}
template <std::size_t N>
bool get_f64s(Reader& r, std::array<double, N>& a) {
  for (auto& v : a)
    if (!r.f64(v)) return false;
  return true;
}
bool put_rgb(Writer& w, const Rgb& c) { return w.f64(c.red) && w.f64(c.green) && w.f64(c.blue); }
bool get_rgb(Reader& r, Rgb& c) { return r.f64(c.red) && r.f64(c.green) && r.f64(c.blue); }

// The option groups, one function per layout, shared by the writer and the reader. The older
// chunks (PPOV, PPRI, PPR2, PHPG) hold the leading fields of the same groups: a reader takes
// every whole field its chunk has room for and leaves the rest of the options as they were.

bool put_pov(Writer& w, const PovOptions& o) {
  return put_u32s(w, o.flags) && w.name(o.name) && w.name(o.path) && put_f64s(w, o.values) &&
         w.u32(o.last);
}
bool get_pov(Reader& r, PovOptions& o) {
  return get_u32s(r, o.flags) && r.name(o.name) && r.name(o.path) && get_f64s(r, o.values) &&
         r.u32(o.last);
}

bool put_print(Writer& w, const PrintOptions& o) {
  return w.f64(o.paper_width) && w.f64(o.paper_height) && w.f64(o.margin_top) &&
         w.f64(o.margin_left) && w.f64(o.margin_right) && w.f64(o.margin_bottom) &&
         w.f64(o.scale) && w.u32(o.colour) && w.u32(o.landscape) && w.name(o.command) &&
         w.name(o.printer) && w.u32(o.reserved);
}
bool get_print(Reader& r, PrintOptions& o) {
  return r.f64(o.paper_width) && r.f64(o.paper_height) && r.f64(o.margin_top) &&
         r.f64(o.margin_left) && r.f64(o.margin_right) && r.f64(o.margin_bottom) &&
         r.f64(o.scale) && r.u32(o.colour) && r.u32(o.landscape) && r.name(o.command) &&
         r.name(o.printer) && r.u32(o.reserved);
}

bool put_plot(Writer& w, const PlotOptions& o) {
  return w.u32(o.type) && w.u32(o.origin) && w.u32(o.landscape) && w.f64(o.paper_width) &&
         w.f64(o.paper_height) && w.f64(o.resolution) && w.f64(o.scale) && w.name(o.start) &&
         w.name(o.end) && w.name(o.printer) && w.name(o.spare) && w.name(o.command) &&
         w.u32(o.reserved);
}
bool get_plot(Reader& r, PlotOptions& o) {
  return r.u32(o.type) && r.u32(o.origin) && r.u32(o.landscape) && r.f64(o.paper_width) &&
         r.f64(o.paper_height) && r.f64(o.resolution) && r.f64(o.scale) && r.name(o.start) &&
         r.name(o.end) && r.name(o.printer) && r.name(o.spare) && r.name(o.command) &&
         r.u32(o.reserved);
}

// Values the print and plot setups cannot work with (a paper of no size, a scale or resolution
// of zero, as older files and the shipped settings hold them; anything not finite; a choice
// beyond its list) take the defaults; the rest is kept.
bool usable_size(double v) { return std::isfinite(v) && v > 0 && v < 1e6; }
double usable_margin(double v) { return std::isfinite(v) && v > 0 && v < 1e6 ? v : 0; }
void keep_usable(PrintOptions& o) {
  const PrintOptions def;
  if (!usable_size(o.paper_width)) o.paper_width = def.paper_width;
  if (!usable_size(o.paper_height)) o.paper_height = def.paper_height;
  for (double* m : {&o.margin_top, &o.margin_left, &o.margin_right, &o.margin_bottom})
    *m = usable_margin(*m);
  if (!usable_size(o.scale)) o.scale = def.scale;
  o.colour = o.colour > 1 ? 1 : o.colour;
  o.landscape = o.landscape > 1 ? 1 : o.landscape;
  if (o.printer.view().empty()) o.printer.set("Default");
}
void keep_usable(PlotOptions& o) {
  const PlotOptions def;
  if (o.type > 2) o.type = def.type;
  o.origin = o.origin > 1 ? 1 : o.origin;
  o.landscape = o.landscape > 1 ? 1 : o.landscape;
  if (!usable_size(o.paper_width)) o.paper_width = def.paper_width;
  if (!usable_size(o.paper_height)) o.paper_height = def.paper_height;
  if (!usable_size(o.resolution)) o.resolution = def.resolution;
  if (!usable_size(o.scale)) o.scale = def.scale;
  if (o.printer.view().empty()) o.printer.set("Default");
}

bool put_pen(Writer& w, int i, const Pen& p) {
  return w.key("PPEN", kLenPpen) && w.u8(static_cast<std::uint8_t>(i)) && w.name(p.name) &&
         w.f64(p.thickness) && w.f64(p.red) && w.f64(p.green) && w.f64(p.blue);
}

bool put_line_type(Writer& w, int i, const LineType& t) {
  return w.key("PLIN", kLenPlin) && w.u8(static_cast<std::uint8_t>(i)) && w.name(t.name) &&
         w.f64(t.pattern_length) && w.u8(t.sections) && w.f64(t.line[0]) && w.f64(t.space[0]) &&
         w.f64(t.line[1]) && w.f64(t.space[1]) && w.f64(t.line[2]) && w.f64(t.space[2]);
}

void ignored(const ChunkKey& key, const char* why) {
  std::printf("ignored *%.4s*: %s\n", key.data(), why);
}

bool valid_layer(std::uint32_t n) { return n < static_cast<std::uint32_t>(kLayerCount); }

}  // namespace

bool write_settings(Writer& w, const Drawing& d) {
  const Settings& s = d.settings;
  bool ok = w.key("PSNP", kLenPsnp) && w.u32(s.snap.size) && put_u32s(w, s.snap.on);
  for (int i = 0; ok && i < kPenCount; ++i) ok = put_pen(w, i, s.pens[i]);
  for (int i = 0; ok && i < kLineTypeCount; ++i) ok = put_line_type(w, i, s.line_types[i]);
  ok = ok && w.key("PPO2", kLenPpo2) && put_pov(w, s.pov);
  ok = ok && w.key("PPR3", kLenPpr3) && put_print(w, s.print);
  ok = ok && w.key("PHP3", kLenPhp3) && put_plot(w, s.plot);
  ok = ok && w.key("PDXF", kLenPdxf) && put_u32s(w, s.dxf);
  ok = ok && w.key("PFLT", kLenPflt) && put_u32s(w, s.filter);
  ok = ok && w.key("PTEE", kLenPtee) && put_u32s(w, s.text_editor);
  ok = ok && w.key("PVIW", kLenPviw) && w.u32(s.view.exact_thickness) && w.u32(s.view.all_black) &&
       w.u32(s.view.patterns) && w.u32(s.view.guide_points) && w.u32(s.view.room_borders);
  ok = ok && w.key("PROD", kLenProd) && w.u32(s.room_text.area_unit) &&
       w.name(s.room_text.area_text) && w.u32(s.room_text.volume_unit) &&
       w.name(s.room_text.volume_text);
  ok = ok && w.key("PMSC", kLenPmsc) && w.f64(s.drawing_scale) &&
       w.u32(static_cast<std::uint32_t>(d.current_layer)) && w.u32(s.view_number) &&
       w.u32(s.angle_input) && w.u32(s.figure_input) && w.u32(s.link_to_elements) &&
       w.u32(s.move_figures);
  ok = ok && w.key("PMS2", kLenPms2) && w.u32(s.preview_snap) && w.u32(s.size_unit) &&
       w.u32(s.paper_unit);
  ok = ok && w.key("PDI2", kLenPdi2) && w.u32(s.accuracy) && w.u32(s.accuracy_arch);
  ok = ok && w.key("PCOL", kLenPcol) && put_rgb(w, s.colours.background) &&
       put_rgb(w, s.colours.active) && put_rgb(w, s.colours.guide);
  return ok;
}

bool write_settings_file_chunks(Writer& w, const Settings& s) {
  bool ok = w.key("PLOP", kLenPlop);
  for (const auto& p : s.paths) ok = ok && w.name(p);
  return ok && w.key("PASR", kLenPasr) && w.f64(s.aspect_x) && w.f64(s.aspect_y) &&
         w.key("PBAK", kLenPbak) && w.u32(s.backup_on) && w.u32(s.backup_minutes);
}

bool write_settings_file(Writer& w, const Drawing& d) {
  return write_header(w) && write_settings(w, d) && write_settings_file_chunks(w, d.settings);
}

ChunkOutcome read_settings_chunk(Reader& r, const ChunkKey& key, std::uint32_t length, Drawing& d,
                                 ChunkReadState& state) {
  (void)length;  // the reader's limit holds the chunk's end
  Settings& s = d.settings;
  const std::string_view k = key_view(key);

  if (k == "PSNP") {
    SnapSettings t;
    if (!r.u32(t.size) || !get_u32s(r, t.on)) return ChunkOutcome::kUnknown;
    s.snap = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PPEN") {
    std::uint8_t i;
    Pen p;
    if (!(r.u8(i) && r.name(p.name) && r.f64(p.thickness) && r.f64(p.red) && r.f64(p.green) &&
          r.f64(p.blue)))
      return ChunkOutcome::kUnknown;
    if (i >= kPenCount) {
      ignored(key, "pen number out of range");
      return ChunkOutcome::kIgnored;
    }
    s.pens[i] = p;
    return ChunkOutcome::kRead;
  }
  if (k == "PLIN") {
    std::uint8_t i;
    LineType t;
    if (!(r.u8(i) && r.name(t.name) && r.f64(t.pattern_length) && r.u8(t.sections) &&
          r.f64(t.line[0]) && r.f64(t.space[0]) && r.f64(t.line[1]) && r.f64(t.space[1]) &&
          r.f64(t.line[2]) && r.f64(t.space[2])))
      return ChunkOutcome::kUnknown;
    if (i >= kLineTypeCount) {
      ignored(key, "line type number out of range");
      return ChunkOutcome::kIgnored;
    }
    s.line_types[i] = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PPO2" || k == "PPOV") {
    PovOptions t = s.pov;
    bool whole = get_pov(r, t);
    if (!whole && k == "PPO2") return ChunkOutcome::kUnknown;
    s.pov = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PPR3" || k == "PPR2" || k == "PPRI") {
    PrintOptions t = s.print;
    bool whole = get_print(r, t);
    if (!whole && k == "PPR3") return ChunkOutcome::kUnknown;
    keep_usable(t);
    s.print = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PHP3" || k == "PHPG") {
    PlotOptions t = s.plot;
    bool whole = get_plot(r, t);
    if (!whole && k == "PHP3") return ChunkOutcome::kUnknown;
    keep_usable(t);
    s.plot = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PDXF") {
    auto t = s.dxf;
    if (!get_u32s(r, t)) return ChunkOutcome::kUnknown;
    s.dxf = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PFLT") {
    auto t = s.filter;
    if (!get_u32s(r, t)) return ChunkOutcome::kUnknown;
    s.filter = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PTEE") {
    auto t = s.text_editor;
    if (!get_u32s(r, t)) return ChunkOutcome::kUnknown;
    s.text_editor = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PVIW") {
    ViewSwitches t;
    if (!(r.u32(t.exact_thickness) && r.u32(t.all_black) && r.u32(t.patterns) &&
          r.u32(t.guide_points) && r.u32(t.room_borders)))
      return ChunkOutcome::kUnknown;
    s.view = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PROD") {
    RoomTextOptions t;
    if (!(r.u32(t.area_unit) && r.name(t.area_text) && r.u32(t.volume_unit) &&
          r.name(t.volume_text)))
      return ChunkOutcome::kUnknown;
    s.room_text = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PMSC") {
    double scale;
    std::uint32_t layer, view, angle, figure, link, move;
    if (!(r.f64(scale) && r.u32(layer) && r.u32(view) && r.u32(angle) && r.u32(figure) &&
          r.u32(link) && r.u32(move)))
      return ChunkOutcome::kUnknown;
    // A scale the view cannot divide by, or a layer outside the table, keeps the current value.
    if (std::isfinite(scale) && scale > 0) s.drawing_scale = scale;
    else ignored(key, "drawing scale out of range, kept");
    if (valid_layer(layer)) d.current_layer = static_cast<int>(layer);
    else ignored(key, "current layer out of range, kept");
    s.view_number = view;
    s.angle_input = angle;
    s.figure_input = figure;
    s.link_to_elements = link;
    s.move_figures = move;
    return ChunkOutcome::kRead;
  }
  if (k == "PMS2") {
    std::uint32_t a, b, c;
    if (!(r.u32(a) && r.u32(b) && r.u32(c))) return ChunkOutcome::kUnknown;
    s.preview_snap = a;
    s.size_unit = b;
    s.paper_unit = c;
    return ChunkOutcome::kRead;
  }
  if (k == "PDI2") {
    std::uint32_t a, b;
    if (!(r.u32(a) && r.u32(b))) return ChunkOutcome::kUnknown;
    s.accuracy = a;
    s.accuracy_arch = b;
    return ChunkOutcome::kRead;
  }
  if (k == "PDIP") {
    std::uint32_t a;
    if (!r.u32(a)) return ChunkOutcome::kUnknown;
    s.accuracy = a;
    return ChunkOutcome::kRead;
  }
  if (k == "PCOL") {
    DisplayColours t;
    if (!(get_rgb(r, t.background) && get_rgb(r, t.active) && get_rgb(r, t.guide)))
      return ChunkOutcome::kUnknown;
    s.colours = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PLOP") {
    auto t = s.paths;
    for (auto& p : t)
      if (!r.name(p)) return ChunkOutcome::kUnknown;
    s.paths = t;
    return ChunkOutcome::kRead;
  }
  if (k == "PASR") {
    double x, y;
    if (!(r.f64(x) && r.f64(y))) return ChunkOutcome::kUnknown;
    s.aspect_x = x;
    s.aspect_y = y;
    return ChunkOutcome::kRead;
  }
  if (k == "PBAK") {
    std::uint32_t on, minutes;
    if (!(r.u32(on) && r.u32(minutes))) return ChunkOutcome::kUnknown;
    s.backup_on = on;
    s.backup_minutes = minutes;
    return ChunkOutcome::kRead;
  }

  // Layers.
  if (k == "LAY3" || k == "LAYR") {
    std::uint32_t n = 0;
    FixedName<80> name;
    std::uint8_t st = 0;
    double value = 0;
    bool ok;
    if (k == "LAY3") {
      ok = r.u32(n) && r.name(name) && r.u8(st) && r.f64(value);
    } else {
      std::uint32_t wide = 0;
      ok = r.u32(n) && r.name(name) && r.u32(wide) && r.f64(value);
      st = static_cast<std::uint8_t>(wide & 0xFF);
    }
    if (!ok) return ChunkOutcome::kUnknown;
    if (k == "LAYR") {
      state.old_layer_numbers = true;
      if (n <= 99)
        n = static_cast<std::uint32_t>(ChunkReadState::convert_old_layer(static_cast<int>(n)));
    }
    if (!valid_layer(n)) {
      ignored(key, "layer number out of range");
      return ChunkOutcome::kIgnored;
    }
    Layer& l = d.layers.layer[n];
    l.name = name;
    l.state = st;
    l.value = value;
    return ChunkOutcome::kRead;
  }
  if (k == "LAYG") {
    auto t = d.layers.list_names;
    for (auto& n : t)
      if (!r.name(n)) return ChunkOutcome::kUnknown;
    d.layers.list_names = t;
    return ChunkOutcome::kRead;
  }
  if (k == "LAS3") {
    LayerSet set;
    if (!(r.name(set.name) && r.bytes(set.states.data(), set.states.size()) && r.u32(set.layer)))
      return ChunkOutcome::kUnknown;
    merge_layer_set(d, set);
    return ChunkOutcome::kRead;
  }
  return ChunkOutcome::kUnknown;
}

// ---------------------------------------------------------------------------------------------
// Commands

namespace {

std::string join(const std::string& dir, std::string_view rel) {
  if (dir.empty()) return std::string(rel);
  std::string p = dir;
  if (p.back() != '/') p += '/';
  p += rel;
  return p;
}

}  // namespace

bool load_settings_from(Drawing& d, Ui& ui, const std::string& path,
                        std::string_view open_failure) {
  FileReader file(path);
  if (!file.is_open()) {
    ui.error_box(open_failure);
    return false;
  }
  if (read_header(file.reader()) == 0) {
    ui.error_box(kMsgNotNative);
    return false;
  }
  ReadResult res = read_chunks(file.reader(), d, 0);
  if (res.damaged) {
    report_damage(ui, res);
    return false;
  }
  return true;
}

bool load_default_settings(Drawing& d, Ui& ui, const std::string& program_dir) {
  return load_settings_from(d, ui, join(program_dir, kDefaultSettingsFile), kMsgCannotOpenSettings);
}

bool load_settings(Drawing& d, Ui& ui, const std::string& program_dir) {
  auto path = ui.choose_file("Load Settings...", join(program_dir, kSettingsDirectory), false);
  if (!path) return false;
  return load_settings_from(d, ui, *path, kMsgCannotOpenSettings);
}

bool save_settings_to(const Drawing& d, Ui& ui, const std::string& path) {
  WriteStatus st = write_file_safely(path, [&](Writer& w) { return write_settings_file(w, d); });
  if (st == WriteStatus::kCannotOpen) ui.error_box(kMsgCannotOpen);
  if (st == WriteStatus::kCannotWrite) ui.error_box(kMsgCannotWrite);
  return st == WriteStatus::kOk;
}

bool save_settings(Drawing& d, Ui& ui, const std::string& program_dir) {
  auto path = ui.choose_file("Save Settings...", join(program_dir, kSettingsDirectory), true);
  if (!path) return false;
  return save_settings_to(d, ui, *path);
}

}  // namespace korav
