#include "app/dispatch.h"

#include <string>

#include "app/app.h"
#include "app/commands.h"
#include "app/dialogs/gauge.h"
#include "app/export_commands.h"
#include "app/plot_command.h"
#include "app/print_command.h"
#include "app/dxf_commands.h"
#include "app/font_commands.h"
#include "app/mesh_commands.h"
#include "app/dialogs/layers.h"
#include "app/dialogs/material.h"
#include "app/dialogs/presets.h"
#include "app/dialogs/print_setup.h"
#include "app/dialogs/render_settings.h"
#include "app/dialogs/settings.h"
#include "app/dialogs/symbols.h"
#include "app/point_input.h"
#include "model/projection.h"
#include "app/tools/booleans.h"
#include "app/tools/circles.h"
#include "app/tools/dimensions.h"
#include "app/tools/edits.h"
#include "app/tools/gauge.h"
#include "app/tools/hidden_lines.h"
#include "app/tools/lines.h"
#include "app/tools/openings.h"
#include "app/tools/patterns.h"
#include "app/tools/render.h"
#include "app/tools/rooms.h"
#include "app/tools/symbols.h"
#include "app/tools/texts.h"
#include "app/tools/building_units.h"
#include "app/tools/three_d.h"
#include "app/tools/walls.h"
#include "base/messages.h"
#include "files/drawing_file.h"
#include "files/settings_file.h"

namespace korav {

namespace {

// ---- "p_" ----

void p_nop(App&) {}
void p_file_new(App& app) { file_new(app); }
void p_file_quit(App& app) { file_quit(app); }

void p_file_load(App& app) {
  LoadStatus st = load_drawing(app.drawing, *app.ui, std::nullopt);
  if (st == LoadStatus::kCancelled) return;
  drawing_replaced(app);
  view_show_all(app);
}

void p_file_save(App& app) {
  save_drawing(app.drawing, *app.ui);
  update_title(app);
}

void undo_buttons(App& app) {
  app.ui->set_undo_buttons(app.drawing.undo.undo_enabled(), app.drawing.undo.redo_enabled());
}

void p_undo(App& app) {
  app.drawing.undo.undo(app.drawing.store);
  undo_buttons(app);
  drawing_replaced(app);
}

void p_redo(App& app) {
  app.drawing.undo.redo(app.drawing.store);
  undo_buttons(app);
  drawing_replaced(app);
}

// Removes every element drawn with the guide pen, as one undo step.
void p_glminus(App& app) {
  Drawing& d = app.drawing;
  bool any = false;
  for (Element& e : d.store.list) {
    e.selected = e.pen == kGuidePen ? 1 : 0;
    any = any || e.selected;
  }
  if (!any) return;
  d.undo.record(d.store, kUndoSnapshot);
  d.store.purge();
  undo_buttons(app);
  drawing_replaced(app);
}

void p_file_info(App& app) { show_project_info(app); }

// The menu's "Print Setup": the dialog of the paper, the scale and the printer.
void p_file_printsetup(App& app) {
  print_setup_opened(app);
  show_dialog(app, "printsetup");
}

template <int Index>
void p_path(App& app) {
  settings_choose_path(app, Index);
}

void p_layerstate_delete(App& app) { layer_set_delete(app); }
void p_layerstate_save(App& app) { layer_set_save(app); }
void p_layerfunc_up(App& app) { layer_up(app); }
void p_layerfunc_down(App& app) { layer_down(app); }
void p_layerfunc_delete(App& app) { layer_delete(app); }

constexpr DispatchEntry kP[] = {
    {"p_nop", p_nop},
    {"p_file_new", p_file_new},
    {"p_file_quit", p_file_quit},
    {"p_file_load", p_file_load},
    {"p_file_save", p_file_save},
    {"p_file_info", p_file_info},
    {"p_path_draw", p_path<0>},
    {"p_path_special", p_path<1>},
    {"p_path_sym", p_path<2>},
    {"p_path_dxf", p_path<3>},
    {"p_path_dia", p_path<4>},
    {"p_path_export", p_path<5>},
    {"p_undo", p_undo},
    {"p_redo", p_redo},
    {"p_glminus", p_glminus},
    {"p_tools_remdup", remove_duplicates_command},
    {"p_file_import_truetype", font_import_command},
    {"p_file_export_dxf", export_dxf_command},
    {"p_file_import_dxf", import_dxf_command},
    {"p_file_export_font", font_from_drawing_command},
    {"p_file_export_svg", export_svg_command},
    {"p_file_export_eps", export_eps_command},
    {"p_file_export_pdf", export_pdf_command},
    {"p_file_export_pov", export_pov_command},
    {"p_pov_out", choose_pov_output},
    {"p_ray_out", choose_radiance_output},
    {"p_file_export_gts", export_gts_command},
    {"p_file_export_3ds", export_3ds_command},
    {"p_file_export_lwo", export_lwo_command},
    {"p_file_import_gts", import_gts_command},
    {"p_file_import_3ds", import_3ds_command},
    {"p_file_import_dgm", import_dgm_command},
    {"p_file_print", print_command},
    {"p_file_printsetup", p_file_printsetup},
    {"p_file_plot", plot_command},
    {"p_layerstate_delete", p_layerstate_delete},
    {"p_layerstate_save", p_layerstate_save},
    {"p_layerfunc_up", p_layerfunc_up},
    {"p_layerfunc_down", p_layerfunc_down},
    {"p_layerfunc_delete", p_layerfunc_delete},
    {"p_symbol_cut", tool_symbol_cut},
    {"p_symbol_copy", tool_symbol_copy},
    {"p_symbol_paste", tool_symbol_paste},
};

// ---- "b_" ----

constexpr DispatchEntry kB[] = {
    {"b_gauge", tool_gauge},
    {"b_line_line", tool_line_line},
    {"b_line_x", tool_line_x},
    {"b_line_y", tool_line_y},
    {"b_line_a", tool_line_a},
    {"b_line_parallel", tool_line_parallel},
    {"b_line_pparallel", tool_line_pparallel},
    {"b_line_orthogonal", tool_line_orthogonal},
    {"b_line_frame", tool_line_frame},
    {"b_line_oframe", tool_line_oframe},
    {"b_line_polygon", tool_line_polygon},
    {"b_line_join", tool_line_join},
    {"b_line_join_line", tool_line_join_line},
    {"b_line_join_arc", tool_line_join_arc},
    {"b_line_attach", tool_line_attach},
    {"b_line_extend", tool_line_extend},
    {"b_line_erase", tool_line_erase},
    {"b_line_dpart", tool_line_dpart},
    {"b_line_cut", tool_line_cut},
    {"b_circle_circle", tool_circle_circle},
    {"b_circle_3point", tool_circle_3point},
    {"b_circle_arc", tool_circle_arc},
    {"b_circle_arc3point", tool_circle_arc3point},
    {"b_circle_ellipse", tool_circle_ellipse},
    {"b_circle_ellipsefame", tool_circle_ellipse_frame},
    {"b_circle_parallel", tool_circle_parallel},
    {"b_circle_pparallel", tool_circle_pparallel},
    {"b_circle_erase", tool_circle_erase},
    {"b_circle_dpart", tool_circle_dpart},
    {"b_circle_extend", tool_line_extend},
    {"b_circle_spline", tool_circle_spline},
    {"b_circle_splinedissolve", tool_circle_spline_dissolve},
    {"b_edit_move", tool_edit_move},
    {"b_edit_copy", tool_edit_copy},
    {"b_edit_mcopy", tool_edit_mcopy},
    {"b_edit_series", tool_edit_series},
    {"b_edit_pseries", tool_edit_pseries},
    {"b_edit_rotate", tool_edit_rotate},
    {"b_edit_mirror", tool_edit_mirror},
    {"b_edit_stretch", tool_edit_stretch},
    {"b_edit_stretch_text", tool_edit_stretch_text},
    {"b_edit_alter_all", tool_edit_alter_all},
    {"b_edit_alter_pen", tool_edit_alter_pen},
    {"b_edit_alter_line", tool_edit_alter_line},
    {"b_edit_delete", tool_edit_delete},
    {"b_dim_x", tool_dim_x},
    {"b_dim_y", tool_dim_y},
    {"b_dim_dim", tool_dim_dim},
    {"b_dim_auto", tool_dim_auto},
    {"b_dim_plus", tool_dim_plus},
    {"b_dim_minus", tool_dim_minus},
    {"b_dim_height", tool_dim_height},
    {"b_dim_alter_value", tool_dim_alter_value},
    {"b_dim_original", tool_dim_original},
    {"b_dim_alter_move", tool_dim_alter_move},
    {"b_dim_alter_size", tool_dim_alter_size},
    {"b_dim_alter_style", tool_dim_alter_style},
    {"b_dim_r", tool_dim_r},
    {"b_dim_d", tool_dim_d},
    {"b_dim_a", tool_dim_a},
    {"b_dim_h", tool_dim_h},
    {"b_room_poly", tool_room_poly},
    {"b_room_range", tool_room_range},
    {"b_room_add_poly", tool_room_add_poly},
    {"b_room_add_range", tool_room_add_range},
    {"b_room_position", tool_room_position},
    {"b_room_alter_description", tool_room_alter_description},
    {"b_room_alter_number", tool_room_alter_number},
    {"b_room_alter_factor", tool_room_alter_factor},
    {"b_room_alter_height", tool_room_alter_height},
    {"b_room_alter_inscription", tool_room_alter_inscription},
    {"b_text_text", tool_text_text},
    {"b_text_x", tool_text_x},
    {"b_text_y", tool_text_y},
    {"b_text_alter_content", tool_text_alter_content},
    {"b_text_alter_format", tool_text_alter_format},
    {"b_text_alter_size", tool_text_alter_size},
    {"b_text_alter_style", tool_text_alter_style},
    {"b_pattern_poly", tool_pattern_poly},
    {"b_pattern_range", tool_pattern_range},
    {"b_pattern_add_poly", tool_pattern_add_poly},
    {"b_pattern_add_range", tool_pattern_add_range},
    {"b_pattern_alter_origin", tool_pattern_alter_origin},
    {"b_pattern_alter_angle", tool_pattern_alter_angle},
    {"b_pattern_alter_space", tool_pattern_alter_space},
    {"b_pattern_alter_pattern", tool_pattern_alter_pattern},
    {"b_pattern_alter_pattern_a", tool_pattern_alter_pattern_a},
    {"b_pattern_alter_pattern_b", tool_pattern_alter_pattern_b},
    {"b_pattern_dissolve", tool_pattern_dissolve},
    {"b_symbol_save", tool_symbol_save},
    {"b_symbol_copy", tool_symbol_copy},
    {"b_symbol_cut", tool_symbol_cut},
    {"b_symbol_load", tool_symbol_load},
    {"b_symbol_paste", tool_symbol_paste},
    {"b_symbol_remove", tool_symbol_remove},
    {"b_symbol_library_new", tool_symbol_library_new},
    {"b_symbol_library_remove", tool_symbol_library_remove},
    {"b_wall_axis", tool_wall_axis},
    {"b_wall_side", tool_wall_side},
    {"b_wall_angle", tool_wall_angle},
    {"b_wall_wall", tool_wall_wall},
    {"b_wall_connect", tool_wall_connect},
    {"b_wall_connect_all", tool_wall_connect_all},
    {"b_wall_separate", tool_wall_separate},
    {"b_wall_separate_all", tool_wall_separate_all},
    {"b_wall_join", tool_wall_join},
    {"b_wall_attach", tool_wall_attach},
    {"b_wall_extend", tool_wall_extend},
    {"b_wall_erase", tool_wall_erase},
    {"b_wall_alter_height", tool_wall_alter_height},
    {"b_opening_opening", tool_opening_opening},
    {"b_opening_door", tool_opening_door},
    {"b_opening_window", tool_opening_window},
    {"b_opening_alter_opening", tool_opening_alter_opening},
    {"b_opening_alter_door", tool_opening_alter_door},
    {"b_opening_alter_window", tool_opening_alter_window},
    {"b_opening_alter_height", tool_opening_alter_height},
    {"b_opening_dissolve", tool_opening_dissolve},
    {"b_opening_remove", tool_opening_remove},
    {"b_3d_line", tool_3d_line},
    {"b_3d_cuboid", tool_3d_cuboid},
    {"b_3d_polygon", tool_3d_polygon},
    {"b_3d_prism", tool_3d_prism},
    {"b_3d_tube", tool_3d_tube},
    {"b_3d_cone", tool_3d_cone},
    {"b_3d_cutcone", tool_3d_cutcone},
    {"b_3d_sphere", tool_3d_sphere},
    {"b_3d_light", tool_3d_light},
    {"b_3d_light_alter", tool_3d_light_alter},
    {"b_3d_camera", tool_3d_camera},
    {"b_3d_camera_change", tool_3d_camera_change},
    {"b_3d_material", tool_3d_material},
    {"b_unit_gablewall", tool_unit_gablewall},
    {"b_unit_ceiling", tool_unit_ceiling},
    {"b_unit_beam", tool_unit_beam},
    {"b_unit_pillar", tool_unit_pillar},
    {"b_unit_rpillar", tool_unit_rpillar},
    {"b_unit_stairway", tool_unit_stairway},
    {"b_unit_profile", tool_unit_profile},
    {"b_3d_pov", tool_3d_pov},
    {"b_3d_ray", tool_3d_ray},
    {"b_3d_raz", tool_3d_raz},
    {"b_3d_union", tool_3d_union},
    {"b_3d_difference", tool_3d_difference},
    {"b_3d_intersection", tool_3d_intersection},
    {"b_3d_hlr", tool_3d_hlr},
};

// ---- "f_": view functions with their own requests ----

void rubber_rectangle(App& app, const PointRequest& r, double x, double y) {
  Screen& s = app.screen();
  const View& v = s.view();
  xor_rectangle(s, world_to_pixel_x(v, r.x[0]), world_to_pixel_y(v, r.y[0]), world_to_pixel_x(v, x),
                world_to_pixel_y(v, y));
}

void rubber_line(App& app, const PointRequest& r, double x, double y) {
  xor_line_world(app.screen(), r.x[0], r.y[0], x, y);
}

void rubber_view_frame(App& app, const PointRequest&, double x, double y) {
  const View& v = app.view();
  const double hw = (v.xmax - v.xmin) / 2, hh = (v.ymax - v.ymin) / 2;
  Screen& s = app.screen();
  xor_rectangle(s, world_to_pixel_x(v, x - hw), world_to_pixel_y(v, y - hh),
                world_to_pixel_x(v, x + hw), world_to_pixel_y(v, y + hh));
}

void f_zoom(App& app) {
  PointRequest r;
  r.add_step(kStepPick, "1st Corner point:");
  r.add_step(kStepPick2, "2nd Corner point:", rubber_rectangle);
  if (point_input(app, r) != kInputDone) return;
  if (zoom_window(app.view(), app.screen().aspect, r.x[0], r.y[0], r.x[1], r.y[1]))
    view_changed(app);
}

void f_pan(App& app) {
  PointRequest r;
  r.add_step(kStepPick, "From:");
  r.add_step(kStepPick2, "To:", rubber_line);
  if (point_input(app, r) != kInputDone) return;
  pan_view(app.view(), r.x[0], r.y[0], r.x[1], r.y[1]);
  view_changed(app);
}

void f_mamid(App& app) {
  PointRequest r;
  r.add_step(kStepPickCounted, "Center:", rubber_view_frame);
  if (point_input(app, r) != kInputDone) return;
  centre_view(app.view(), app.screen().aspect, r.x[0], r.y[0]);
  view_changed(app);
}

constexpr DispatchEntry kF[] = {
    {"f_zoom", f_zoom},
    {"f_pan", f_pan},
    {"f_mamid", f_mamid},
};

// ---- "s_" ----

void s_maplus(App& app) { view_scale_plus(app); }
void s_maminus(App& app) { view_scale_minus(app); }
void s_back(App& app) {
  if (restore_view(app.view(), app.screen().remembered, app.screen().aspect)) view_changed(app);
}
void s_alles(App& app) { view_show_all(app); }
void s_komplett(App& app) {
  reset_view(app.view(), app.screen().aspect);
  view_changed(app);
}

// The plan view and the nine 3D views, each shown whole.
template <int N>
void s_view(App& app) {
  app.drawing.settings.view_number = N;
  app.display.renderer.view_number = N;
  view_show_all(app);
}

constexpr DispatchEntry kS[] = {
    {"s_maplus", s_maplus}, {"s_maminus", s_maminus}, {"s_back", s_back},
    {"s_alles", s_alles},   {"s_komplett", s_komplett}, {"s_view_0", s_view<0>},
    {"s_view_1", s_view<1>}, {"s_view_2", s_view<2>},   {"s_view_3", s_view<3>},
    {"s_view_4", s_view<4>}, {"s_view_5", s_view<5>},   {"s_view_6", s_view<6>},
    {"s_view_7", s_view<7>}, {"s_view_8", s_view<8>},   {"s_view_9", s_view<9>},
    {"s_3d_render_mat", render_material_preview},
};

// ---- "z_" ----

void z_pap(App& app) { redraw(app); }
void z_def(App& app) { remember_view(app.screen().remembered, app.view()); }
void z_space(App& app) { view_centre_on_pointer(app); }
void z_scrollup(App& app) { view_scale_minus(app); }
void z_scrolldown(App& app) { view_scale_plus(app); }
// An installed program's user saves settings below the user's configuration directory and
// loads them from there (the chooser can still go to the shipped ones).
void z_save_settings(App& app) {
  const std::string root = user_settings_root(app);
  if (root != app.program_dir) make_directories(root + std::string(kSettingsDirectory));
  save_settings(app.drawing, *app.ui, root);
}
void z_load_settings(App& app) {
  if (!load_settings(app.drawing, *app.ui, user_settings_root(app))) return;
  settings_revert_pen(app);
  settings_revert_line(app);
  app.screen().steps = &scale_steps_for_unit(static_cast<int>(app.drawing.settings.figure_input));
  app.ui->backup_timer_changed();
  drawing_replaced(app);
}
template <PresetKind K>
void z_save_preset(App& app) {
  preset_save(app, K);
}
template <PresetKind K>
void z_trash_preset(App& app) {
  preset_trash(app, K);
}

void z_pen_apply(App& app) { settings_apply_pen(app); }
void z_pen_revert(App& app) { settings_revert_pen(app); }
void z_line_apply(App& app) { settings_apply_line(app); }
void z_line_revert(App& app) { settings_revert_line(app); }
void z_scale_inc(App& app) { drawing_scale_step(app, true); }
void z_scale_dec(App& app) { drawing_scale_step(app, false); }
void z_prscale_inc(App& app) { print_scale_step(app, true); }
void z_prscale_dec(App& app) { print_scale_step(app, false); }
void z_plscale_inc(App& app) { plot_scale_step(app, true); }
void z_plscale_dec(App& app) { plot_scale_step(app, false); }

void z_mb3(App& app) { show_element_info(app); }
void z_info_update(App& app) { show_project_info(app); }

void z_help_about(App& app) { show_dialog(app, kDialogAbout); }
void z_help_guide(App& app) { open_help_page(app, "index.html"); }
void z_help_tutorial(App& app) { open_help_page(app, "tut.html"); }
void z_help_readme(App& app) { open_help_page(app, "readme.html"); }
void z_help_shortcut(App& app) { open_help_page(app, "8.html"); }

constexpr DispatchEntry kZ[] = {
    {"z_plot", z_pap},
    {"z_pap", z_pap},
    {"z_def", z_def},
    {"z_space", z_space},
    {"z_scrollup", z_scrollup},
    {"z_scrolldown", z_scrolldown},
    {"z_mb3", z_mb3},
    {"z_pen_apply", z_pen_apply},
    {"z_pen_revert", z_pen_revert},
    {"z_line_apply", z_line_apply},
    {"z_line_revert", z_line_revert},
    {"z_scale_inc", z_scale_inc},
    {"z_scale_dec", z_scale_dec},
    {"z_prscale_inc", z_prscale_inc},
    {"z_prscale_dec", z_prscale_dec},
    {"z_plscale_inc", z_plscale_inc},
    {"z_plscale_dec", z_plscale_dec},
    {"z_info_update", z_info_update},
    {"z_save_settings", z_save_settings},
    {"z_load_settings", z_load_settings},
    {"z_help_about", z_help_about},
    {"z_help_guide", z_help_guide},
    {"z_help_tutorial", z_help_tutorial},
    {"z_help_readme", z_help_readme},
    {"z_help_shortcut", z_help_shortcut},
    {"z_save_text", z_save_preset<PresetKind::kText>},
    {"z_save_room", z_save_preset<PresetKind::kRoom>},
    {"z_save_pattern", z_save_preset<PresetKind::kPattern>},
    {"z_save_wall", z_save_preset<PresetKind::kWall>},
    {"z_save_door", z_save_preset<PresetKind::kDoor>},
    {"z_save_window", z_save_preset<PresetKind::kWindow>},
    {"z_save_opening", z_save_preset<PresetKind::kOpening>},
    {"z_save_light", z_save_preset<PresetKind::kLight>},
    {"z_save_dim", z_save_preset<PresetKind::kDim>},
    {"z_trash_text", z_trash_preset<PresetKind::kText>},
    {"z_trash_room", z_trash_preset<PresetKind::kRoom>},
    {"z_trash_pattern", z_trash_preset<PresetKind::kPattern>},
    {"z_trash_wall", z_trash_preset<PresetKind::kWall>},
    {"z_trash_door", z_trash_preset<PresetKind::kDoor>},
    {"z_trash_window", z_trash_preset<PresetKind::kWindow>},
    {"z_trash_opening", z_trash_preset<PresetKind::kOpening>},
    {"z_trash_light", z_trash_preset<PresetKind::kLight>},
    {"z_trash_dim", z_trash_preset<PresetKind::kDim>},
    {"z_c_symbol_paste", tool_symbol_list_paste},
    {"z_save_mat", material_save},
};

Action find_action(std::span<const DispatchEntry> table, std::string_view name) {
  for (const DispatchEntry& e : table)
    if (e.name == name) return e.action;
  return nullptr;
}

bool run(std::span<const DispatchEntry> table, App& app, std::string_view name) {
  Action action = find_action(table, name);
  if (!action) return false;
  action(app);
  return true;
}

bool has_prefix(std::string_view name) { return name.size() >= 2 && name[1] == '_'; }

// The dialogs this program has built so far.
constexpr std::string_view kAvailableDialogs[] = {
    kDialogLayers,
    kDialogLayerEntry,
    kDialogGauge,
    kDialogAbout,
    "error",
    "snap",
    "filter",
    "text",
    "room",
    "pattern",
    "wall",
    "door",
    "window",
    "opening",
    "light",
    "dim",
    kDialogElementInfo,
    kDialogProjectInfo,
    "settings",
    "scale",
    "aspect",
    "symbol",
    "textsize",
    "font",
    "dxf_out",
    "dxf_in",
    "printsetup",
    "plotsetup",
    "printscale",
    "pov",
    "ray",
    "mat",
    "colorsel",
    "hlr",
};

}  // namespace

std::span<const DispatchEntry> dispatch_table(char prefix) {
  switch (prefix) {
    case 'p': return kP;
    case 'b': return kB;
    case 'f': return kF;
    case 's': return kS;
    case 'z': return kZ;
    default: return {};
  }
}

bool dispatch_p(App& app, std::string_view name) { return run(kP, app, name); }
bool dispatch_b(App& app, std::string_view name) { return run(kB, app, name); }
bool dispatch_f(App& app, std::string_view name) { return run(kF, app, name); }
bool dispatch_s(App& app, std::string_view name) {
  const bool ran = run(kS, app, name);
  release_view_button(app);
  return ran;
}
bool dispatch_z(App& app, std::string_view name) { return run(kZ, app, name); }

bool dispatch(App& app, std::string_view name) {
  if (!has_prefix(name)) return false;
  switch (name[0]) {
    case 'p': return dispatch_p(app, name);
    case 'b': return dispatch_b(app, name);
    case 'f': return dispatch_f(app, name);
    case 's': return dispatch_s(app, name);
    case 'z': return dispatch_z(app, name);
    default: return false;
  }
}

bool command_available(std::string_view name) {
  if (!has_prefix(name)) return false;
  if (find_action(dispatch_table(name[0]), name)) return true;
  if (const DialogNames* d = dialog_for_open(name)) return dialog_available(d->key);
  if (const DialogNames* d = dialog_for_close(name)) return dialog_available(d->key);
  return point_input_takes(name);
}

void command_not_available(App& app, std::string_view name) {
  app.ui->message_box(kMsgNotAvailable);
  // Only a toggle button changes by being pressed; the pressed-button memory never held it.
  if (name.starts_with("b_") || name.starts_with("f_")) app.ui->set_button_active(name, false);
}

bool dialog_available(std::string_view key) {
  for (std::string_view k : kAvailableDialogs)
    if (k == key) return true;
  return false;
}

void show_dialog(App& app, std::string_view key) {
  if (!dialog_available(key)) return;
  app.set_dialog_open(key, true);
  app.ui->show_dialog(key);
}

void hide_dialog(App& app, std::string_view key) {
  if (!app.dialog_open(key)) return;
  app.set_dialog_open(key, false);
  app.ui->hide_dialog(key);
}

bool dispatch_dialog(App& app, std::string_view name) {
  if (const DialogNames* d = dialog_for_open(name)) {
    if (d->key == kDialogLayers) {
      open_layer_dialog(app);
    } else {
      // The library may have changed on disk since the symbol list was last shown; so may the
      // system's printers.
      if (d->key == kDialogSymbol) refresh_symbol_list(app);
      if (d->key == "printsetup" || d->key == "plotsetup" || d->key == "printscale")
        print_setup_opened(app);
      // The colour selection edits the colour of the dialog that opened it.
      if (d->key == "colorsel") bind_colour_selection(app, name);
      if (d->key == "mat") refresh_material_names(app);
      show_dialog(app, d->key);
    }
    return true;
  }
  if (const DialogNames* d = dialog_for_close(name)) {
    if (d->key == kDialogLayerEntry) {
      app.layer_dialog.rename_layer = app.layer_dialog.rename_list = -1;
      layers_changed(app);
    }
    hide_dialog(app, d->key);
    return true;
  }
  return false;
}

void release_tool_button(App& app) {
  if (app.pressed.tool.empty()) return;
  std::string old = std::move(app.pressed.tool);
  app.pressed.tool.clear();
  app.ui->set_button_active(old, false);
}

void release_view_button(App& app) {
  if (app.pressed.view_function.empty()) return;
  std::string old = std::move(app.pressed.view_function);
  app.pressed.view_function.clear();
  app.ui->set_button_active(old, false);
}

void sync_buttons(App& app, std::string_view name) {
  if (!has_prefix(name)) return;
  auto press = [&](std::string& remembered) {
    if (remembered != name) {
      if (!remembered.empty()) app.ui->set_button_active(remembered, false);
      remembered = std::string(name);
    }
    app.ui->set_button_active(name, true);  // the same button pressed again stays pressed
  };
  switch (name[0]) {
    case 'b': press(app.pressed.tool); break;
    case 'f': press(app.pressed.view_function); break;
    case 'p': release_tool_button(app); break;
    case 's': release_view_button(app); break;
    default: break;
  }
}

void view_changed(App& app) {
  app.ui->set_scale_text(scale_text(app.view().scale));
  redraw(app);
  refresh_coordinates(app);
}

void view_scale_plus(App& app) {
  if (scale_plus(app.view(), *app.screen().steps, app.screen().aspect)) view_changed(app);
}

void view_scale_minus(App& app) {
  if (scale_minus(app.view(), *app.screen().steps, app.screen().aspect)) view_changed(app);
}

void view_show_all(App& app) {
  const int view = app.view_number();
  if (view == kPlanView) {
    show_all(app.view(), app.screen().aspect, app.drawing, view);
  } else {
    show_all(app.view(), app.screen().aspect, app.drawing, view,
             [projector = Projector{view, app.drawing.camera}](double x, double y, double z,
                                                               double& u, double& v) {
               ViewPoint p = projector(x, y, z);
               u = p.u;
               v = p.v;
               return !behind_eye(p);
             });
  }
  view_changed(app);
}

void view_centre_on_pointer(App& app) {
  centre_view(app.view(), app.screen().aspect, app.pointer.x, app.pointer.y);
  view_changed(app);
}

void open_help_page(App& app, std::string_view page) {
  app.ui->open_help(data_path(app, "doc/" + std::string(page)));
}

}  // namespace korav
