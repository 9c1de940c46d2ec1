#include "app/dialog_vars.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

#include "app/app.h"
#include "app/dialogs/layers.h"
#include "app/dialogs/material.h"
#include "app/dialogs/presets.h"
#include "app/dialogs/print_setup.h"
#include "app/dialogs/render_settings.h"
#include "app/dialogs/symbols.h"
#include "app/dialogs/text_size.h"
#include "app/dxf_commands.h"
#include "app/tools/hidden_lines.h"
#include "app/dispatch.h"
#include "base/text_format.h"
#include "model/units.h"

namespace korav {

namespace {

bool equal_nocase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool parse_int(std::string_view s, long long& v) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size();
}

double read_number(const VarRef& ref) {
  if (auto p = std::get_if<std::int32_t*>(&ref)) return **p;
  if (auto p = std::get_if<std::uint32_t*>(&ref)) return **p;
  if (auto p = std::get_if<bool*>(&ref)) return **p ? 1 : 0;
  if (auto p = std::get_if<double*>(&ref)) return **p;
  return 0;
}

void write_number(const VarRef& ref, double v) {
  if (auto p = std::get_if<std::int32_t*>(&ref)) **p = static_cast<std::int32_t>(v);
  else if (auto p = std::get_if<std::uint32_t*>(&ref))
    **p = v < 0 ? 0 : static_cast<std::uint32_t>(v);
  else if (auto p = std::get_if<bool*>(&ref)) **p = v != 0;
  else if (auto p = std::get_if<double*>(&ref)) **p = v;
}

std::string read_text(const VarRef& ref) {
  if (auto p = std::get_if<std::string*>(&ref)) return **p;
  if (auto p = std::get_if<CharField>(&ref)) return std::string(p->data, strnlen(p->data, p->size));
  return {};
}

void write_text(const VarRef& ref, std::string_view v, std::size_t max_length) {
  if (v.size() > max_length) v = v.substr(0, max_length);
  if (auto p = std::get_if<std::string*>(&ref)) {
    **p = std::string(v);
  } else if (auto p = std::get_if<CharField>(&ref)) {
    if (!p->size) return;
    std::size_t n = std::min(v.size(), p->size - 1);
    std::memcpy(p->data, v.data(), n);
    std::memset(p->data + n, 0, p->size - n);
  }
}

bool is_text_kind(VarKind k) { return k == VarKind::kEntry || k == VarKind::kCombo; }
bool is_unit_kind(VarKind k) {
  return k == VarKind::kLength || k == VarKind::kPaper || k == VarKind::kAngle ||
         k == VarKind::kNumber || k == VarKind::kSize;
}

ParsedValue parse_unit(VarKind k, std::string_view text, const Settings& s) {
  switch (k) {
    case VarKind::kLength: return parse_length(text, s);
    case VarKind::kPaper: return parse_paper_size(text, s);
    case VarKind::kAngle: return parse_angle(text, s);
    case VarKind::kSize: return parse_size(text, s);
    default: return parse_number(text);
  }
}

std::string format_unit(VarKind k, double v, const Settings& s) {
  switch (k) {
    case VarKind::kLength: return format_length(v, s);
    case VarKind::kPaper: return format_paper_size(v, s);
    case VarKind::kAngle: return format_angle(v, s);
    case VarKind::kSize: return format_size(v, s);
    default: return format_plain_number(v);
  }
}

std::string plain(double v) {
  if (v == std::floor(v) && std::fabs(v) < 1e15) return format_fixed(v, 0);
  std::string s = format_fixed(v, 6);
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

}  // namespace

DialogVar& DialogVars::add(DialogVar v) {
  for (DialogVar& o : vars_)
    if (o.name == v.name) return o = std::move(v);
  vars_.push_back(std::move(v));
  return vars_.back();
}

void DialogVars::remove(std::string_view name) {
  std::erase_if(vars_, [&](const DialogVar& v) { return v.name == name; });
}

void DialogVars::set_items(std::string_view name, std::vector<std::string> items) {
  for (DialogVar& v : vars_)
    if (v.name == name) v.items = std::move(items);
}

const DialogVar* DialogVars::find(std::string_view name) const {
  for (const DialogVar& v : vars_)
    if (v.name == name) return &v;
  return nullptr;
}

DialogVars::Result DialogVars::set(App& app, std::string_view name, std::string_view value,
                                   std::string& error) {
  const DialogVar* found = find(name);
  if (!found) {
    error = "no dialog variable named \"" + std::string(name) + "\"";
    return Result::kError;
  }
  const DialogVar v = *found;  // the change handler may re-register variables
  const Settings& settings = app.drawing.settings;
  switch (v.kind) {
    case VarKind::kCheck:
    case VarKind::kToggle: {
      bool on;
      if (equal_nocase(value, "on") || value == "1") on = true;
      else if (equal_nocase(value, "off") || value == "0") on = false;
      else {
        error = "\"" + std::string(name) + "\" takes on or off";
        return Result::kError;
      }
      write_number(v.ref, on ? 1 : 0);
      break;
    }
    case VarKind::kRadio:
    case VarKind::kOption: {
      long long index = -1;
      for (std::size_t i = 0; i < v.items.size() && index < 0; ++i)
        if (equal_nocase(v.items[i], value)) index = static_cast<long long>(i);
      if (index < 0 && (!parse_int(value, index) || index < 0 ||
                        index >= static_cast<long long>(v.items.size()))) {
        error = "\"" + std::string(value) + "\" is not one of the items of \"" + std::string(name) +
                "\"";
        return Result::kError;
      }
      write_number(v.ref, static_cast<double>(index));
      break;
    }
    case VarKind::kSpinInt:
    case VarKind::kSpinDouble:
    case VarKind::kSlider: {
      ParsedValue p = parse_number(value);
      if (!p.ok()) {
        error = "\"" + std::string(name) + "\": " + std::string(p.error);
        return Result::kError;
      }
      double x = v.kind == VarKind::kSpinInt ? std::round(p.value) : p.value;
      if (v.upper > v.lower) x = std::clamp(x, v.lower, v.upper);  // as the widget limits it
      write_number(v.ref, x);
      break;
    }
    case VarKind::kEntry:
    case VarKind::kCombo: write_text(v.ref, value, v.max_length); break;
    default: {  // unit entries
      ParsedValue p = parse_unit(v.kind, value, settings);
      if (!p.ok()) {
        error = "\"" + std::string(name) + "\": " + std::string(p.error);
        return Result::kError;
      }
      const bool in_range = v.range == VarRange::kPositive      ? p.value > 0
                            : v.range == VarRange::kNonNegative ? p.value >= 0
                                                                : true;
      if (!in_range || !std::isfinite(p.value)) {
        error = "\"" + std::string(name) + "\": " + std::string(kMsgOutOfRange);
        return Result::kError;
      }
      write_number(v.ref, p.value);
      break;
    }
  }

  // Change handling: the preview group, then the variable's own reaction.
  if (v.group == "main") redraw(app);
  else if (v.group == "layerentry") layers_changed(app);
  else if (!v.group.empty() && v.group != "mat") app.ui->refresh_dialog(v.group);
  if (v.changed) v.changed(app);
  if (v.kind == VarKind::kRadio && !suppress_toggle) {
    app.command = "z_toggle";
    return Result::kLeave;
  }
  return Result::kDone;
}

std::string DialogVars::value_text(const App& app, std::string_view name) const {
  const DialogVar* v = find(name);
  if (!v) return {};
  switch (v->kind) {
    case VarKind::kCheck:
    case VarKind::kToggle: return read_number(v->ref) != 0 ? "on" : "off";
    case VarKind::kRadio:
    case VarKind::kOption: {
      int i = index(name);
      return i >= 0 && i < static_cast<int>(v->items.size()) ? v->items[i] : std::to_string(i);
    }
    case VarKind::kSpinInt:
    case VarKind::kSpinDouble:
    case VarKind::kSlider: return plain(read_number(v->ref));
    default:
      if (is_text_kind(v->kind)) return read_text(v->ref);
      if (is_unit_kind(v->kind))
        return format_unit(v->kind, read_number(v->ref), app.drawing.settings);
      return {};
  }
}

int DialogVars::index(std::string_view name) const {
  const DialogVar* v = find(name);
  return v ? static_cast<int>(read_number(v->ref)) : -1;
}

bool DialogVars::flag(std::string_view name) const {
  const DialogVar* v = find(name);
  return v && read_number(v->ref) != 0;
}

double DialogVars::number(std::string_view name) const {
  const DialogVar* v = find(name);
  return v ? read_number(v->ref) : 0;
}

void register_shell_variables(App& app) {
  DialogVars& vars = app.vars;
  Settings& s = app.drawing.settings;
  auto toggle = [&](std::string name, VarRef ref, std::string group) {
    DialogVar v;
    v.name = std::move(name);
    v.kind = VarKind::kToggle;
    v.ref = ref;
    v.group = std::move(group);
    vars.add(std::move(v));
  };
  toggle("Toolbar/Show guide points", &s.view.guide_points, "main");
  toggle("Toolbar/Show all colored black", &s.view.all_black, "main");
  toggle("Toolbar/Show exact line thickness", &s.view.exact_thickness, "main");
  toggle("Toolbar/Snap", &app.snap_on, "");
  toggle("Toolbar/Preview snap-to points", &s.preview_snap, "");
  toggle("Toolbar/Activate guide color", &app.drawing.guide_mode, "");
  toggle("Rotate/Copy elements", &app.rotate_copy, "");
  toggle("Room palette/Add the area instead of substraction", &app.room_add, "");
  toggle("Mirror/Copy elements", &app.mirror_copy, "");

  // The Layers dialog. Its rows are clicked rather than typed into; for scripts the clicks are
  // variables holding a layer (or list) number, and the set entry and the "Name:" entry are
  // text variables.
  LayerDialog& ld = app.layer_dialog;
  auto action = [&](std::string name, std::int32_t* target, double upper, void (*act)(App&, int)) {
    DialogVar v;
    v.name = std::move(name);
    v.kind = VarKind::kSpinInt;
    v.ref = target;
    v.lower = 0;
    v.upper = upper;
    v.changed = [target, act](App& a) { act(a, *target); };
    vars.add(std::move(v));
  };
  action("Layers/Ac.", &ld.clicked_layer, kLayerCount - 1, [](App& a, int layer) {
    a.drawing.layers.displayed_list = layer / kLayersPerList;
    layer_make_current(a, layer % kLayersPerList);
  });
  action("Layers/Bk.", &ld.clicked_layer, kLayerCount - 1, [](App& a, int layer) {
    a.drawing.layers.displayed_list = layer / kLayersPerList;
    layer_toggle_state(a, layer % kLayersPerList);
  });
  action("Layers/Name", &ld.clicked_layer, kLayerCount - 1, [](App& a, int layer) {
    a.drawing.layers.displayed_list = layer / kLayersPerList;
    layer_begin_rename(a, layer % kLayersPerList);
  });
  action("Layers/Lists", &ld.clicked_list, kLayerListCount - 1, layer_show_list);
  action("Layers/List name", &ld.clicked_list, kLayerListCount - 1, layer_list_begin_rename);

  DialogVar set_entry;
  set_entry.name = "Layers/Set";
  set_entry.kind = VarKind::kCombo;
  set_entry.ref = &ld.set_entry;
  set_entry.changed = [](App& a) { layer_set_choose(a, a.layer_dialog.set_entry); };
  vars.add(std::move(set_entry));

  DialogVar rename;
  rename.name = "Name:/Name:";
  rename.kind = VarKind::kEntry;
  rename.ref = &ld.rename_text;
  rename.max_length = 79;
  rename.changed = [](App& a) { layer_rename(a, a.layer_dialog.rename_text); };
  vars.add(std::move(rename));
  register_snap_variables(app);
  register_selection_variables(app);
  register_preset_variables(app);
  register_symbol_variables(app);
  register_settings_variables(app);
  register_print_setup_variables(app);
  register_text_size_variables(app);
  register_dxf_variables(app);
  register_material_variables(app);
  register_render_variables(app);
  register_hlr_variables(app);
}

}  // namespace korav
