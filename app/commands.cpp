#include "app/commands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace korav {

namespace {

using B = ButtonKind;

constexpr MenuEntry kMenu[] = {
    {"Project", "", "Info", "p_file_info", 0},
    {"Project", "", "separator", "", 0},
    {"Project", "", "Load", "p_file_load", 'l'},
    {"Project", "", "Save", "p_file_save", 's'},
    {"Project", "", "separator", "", 0},
    {"Project", "", "Scale", "z_d_scale", 0},
    {"Project", "", "Settings", "z_d_settings", ','},
    {"Project", "", "separator", "", 0},
    {"Project", "Import", "3DS", "p_file_import_3ds", 0},
    {"Project", "Import", "GTS", "p_file_import_gts", 0},
    {"Project", "Import", "DXF", "z_d_dxf_in", 0},
    {"Project", "Export", "DXF", "z_d_dxf_out", 0},
    {"Project", "Export", "EPS", "p_file_export_eps", 0},
    {"Project", "Export", "SVG", "p_file_export_svg", 0},
    {"Project", "Export", "PDF", "p_file_export_pdf", 0},
    {"Project", "Export", "LWO", "p_file_export_lwo", 0},
    {"Project", "Export", "POV", "p_file_export_pov", 0},
    {"Project", "Export", "3DS", "p_file_export_3ds", 0},
    {"Project", "Export", "GTS", "p_file_export_gts", 0},
    {"Project", "Tools", "Remove Duplicates", "p_tools_remdup", 0},
    {"Project", "", "separator", "", 0},
    {"Project", "", "Print Setup", "p_file_printsetup", 0},
    {"Project", "", "Print Scale", "z_d_printscale", 0},
    {"Project", "", "Print", "p_file_print", 'p'},
    {"Project", "", "separator", "", 0},
    {"Project", "", "New", "p_file_new", 'n'},
    {"Project", "", "Quit", "p_file_quit", 'q'},
    {"Clip", "", "Cut", "p_symbol_cut", 'x'},
    {"Clip", "", "Copy", "p_symbol_copy", 'c'},
    {"Clip", "", "Paste", "p_symbol_paste", 'v'},
    {"Help", "", "Guide", "z_help_guide", 0},
    {"Help", "", "Tutorial", "z_help_tutorial", 0},
    {"Help", "", "Readme", "z_help_readme", 0},
    {"Help", "", "Shortcuts", "z_help_shortcut", 0},
    {"Help", "", "separator", "", 0},
    {"Help", "", "About", "z_help_about", 0},
};

constexpr ToolbarEntry kToolbar[] = {
    {0, B::kBoundToggle, "G", "", "Show guide points", "hlp.xpm", "Toolbar/Show guide points"},
    {0, B::kBoundToggle, "B", "", "Show all colored black", "abk.xpm",
     "Toolbar/Show all colored black"},
    {0, B::kBoundToggle, "T", "", "Show exact line thickness", "fat.xpm",
     "Toolbar/Show exact line thickness"},
    {0, B::kToggle, "Gauge", "b_gauge", "Measure the distance between two points", "", ""},
    {0, B::kPush, " + ", "s_maplus", "Increase the current scale", "", ""},
    {0, B::kToggle, " 1:1 ", "f_mamid", "Scale of the visible area", "", ""},
    {0, B::kPush, " - ", "s_maminus", "Decrease the current scale", "", ""},
    {0, B::kPush, "All", "s_alles", "Show all elements in visible area", "showall.xpm", ""},
    {0, B::kToggle, "Pan", "f_pan", "Move the visible area", "pan.xpm", ""},
    {0, B::kPush, "Refresh", "z_pap", "Refresh the screen", "pap.xpm", ""},
    {0, B::kToggle, "Zoom", "f_zoom", "Enlarge a certain area of the screen by drawing a rectangle",
     "", ""},
    {0, B::kLabel, " X: 0.00000 ", "", "", "", ""},
    {0, B::kLabel, " Y: 0.00000 ", "", "", "", ""},
    {0, B::kPush, "Layers", "z_d_layer", "Open the Layers dialog", "layer.xpm", ""},
    {0, B::kPush, "I", "z_snap_i", "Snap-to a point of intersection", "snap1.xpm", ""},
    {0, B::kPush, "M", "z_snap_m", "Snap-to a middle point", "snap2.xpm", ""},
    {0, B::kPush, "D", "z_snap_d", "Snap-to a deviding point", "snap3.xpm", ""},
    {0, B::kPush, "T", "z_snap_t", "Snap-to a tangent point", "snap4.xpm", ""},
    {1, B::kBoundToggle, "Snap", "", "Activate snap-to", "", "Toolbar/Snap"},
    {1, B::kPush, " ? ", "z_d_snap", "Open the snap-to dialog", "", ""},
    {1, B::kBoundToggle, "Preview", "", "Preview snap-to points", "adsnap.xpm",
     "Toolbar/Preview snap-to points"},
    {1, B::kPush, "Undo", "p_undo", "Undo", "undo.xpm", ""},
    {1, B::kPush, "Redo", "p_redo", "Redo", "redo.xpm", ""},
    {1, B::kBoundToggle, "+GL", "", "Activate guide color", "", "Toolbar/Activate guide color"},
    {1, B::kPush, "-GL", "p_glminus", "Remove all elements in guide color", "", ""},
};

constexpr PalettePage kPages[] = {
    {"line", "Line", 'l'},       {"circle", "Circle", 'c'},   {"wall", "Wall", 'w'},
    {"opening", "Opening", 'o'}, {"dim", "Dim", 'd'},         {"text", "Text", 't'},
    {"room", "Room", 'r'},       {"pattern", "Pattern", 'p'}, {"3d", "3D", 'h'},
    {"unit", "Unit", 'b'},       {"edit", "Edit", 'e'},       {"symbol", "Symbol", 's'},
};
static_assert(std::size(kPages) == kPalettePageCount);

enum Page {
  kLine,
  kCircle,
  kWall,
  kOpening,
  kDim,
  kText,
  kRoom,
  kPattern,
  k3d,
  kUnit,
  kEdit,
  kSymbol
};

constexpr PaletteEntry T(int page, std::string_view label, std::string_view command,
                         std::string_view tip = "", std::string_view heading = "",
                         std::string_view preset = "", std::string_view picture = "") {
  return {page, B::kToggle, label, command, tip, picture, heading, preset, ""};
}
constexpr PaletteEntry Del(int page) { return T(page, "Delete", "b_edit_delete"); }
constexpr PaletteEntry V(std::string_view key, std::string_view command, std::string_view tip) {
  return {k3d, B::kPush, key, command, tip, "", "View", "", ""};
}

constexpr PaletteEntry kPalette[] = {
    T(kLine, "Line", "b_line_line"),
    T(kLine, "-X", "b_line_x", "Horizontal lines"),
    T(kLine, "-Y", "b_line_y", "Vertical lines"),
    T(kLine, "-A", "b_line_a", "Lines at a given angle"),
    T(kLine, "Parallel", "b_line_parallel"),
    T(kLine, "-Point", "b_line_pparallel"),
    T(kLine, "Orthogonal", "b_line_orthogonal"),
    T(kLine, "Frame", "b_line_frame"),
    T(kLine, "-Distance", "b_line_oframe"),
    T(kLine, "N-Polygon", "b_line_polygon"),
    T(kLine, "Join", "b_line_join"),
    T(kLine, "-Line", "b_line_join_line"),
    T(kLine, "-Arc", "b_line_join_arc"),
    T(kLine, "Attach", "b_line_attach"),
    T(kLine, "Extend", "b_line_extend"),
    T(kLine, "Erase", "b_line_erase"),
    T(kLine, "Delete part", "b_line_dpart"),
    T(kLine, "Cut with", "b_line_cut"),
    Del(kLine),

    T(kCircle, "Circle", "b_circle_circle"),
    T(kCircle, "-3 Point", "b_circle_3point"),
    T(kCircle, "Arc", "b_circle_arc"),
    T(kCircle, "-3 Point", "b_circle_arc3point"),
    T(kCircle, "Ellipse", "b_circle_ellipse"),
    T(kCircle, "-Frame", "b_circle_ellipsefame"),
    T(kCircle, "Parallel", "b_circle_parallel"),
    T(kCircle, "-Point", "b_circle_pparallel"),
    T(kCircle, "Extend", "b_circle_extend"),
    T(kCircle, "Erase", "b_circle_erase"),
    T(kCircle, "Delete part", "b_circle_dpart"),
    T(kCircle, "Spline", "b_circle_spline"),
    T(kCircle, "-Dissolve", "b_circle_splinedissolve"),
    Del(kCircle),

    T(kWall, "Wall", "b_wall_wall", "", "", "wall"),
    T(kWall, "-Axis", "b_wall_axis"),
    T(kWall, "-Side", "b_wall_side"),
    T(kWall, "-Angle", "b_wall_angle"),
    T(kWall, "Connect", "b_wall_connect"),
    T(kWall, "-All", "b_wall_connect_all"),
    T(kWall, "Separate", "b_wall_separate"),
    T(kWall, "-All", "b_wall_separate_all"),
    T(kWall, "Join", "b_wall_join"),
    T(kWall, "Attach", "b_wall_attach"),
    T(kWall, "Extend", "b_wall_extend"),
    T(kWall, "Erase", "b_wall_erase"),
    T(kWall, "Alter height", "b_wall_alter_height"),
    T(kWall, "3D", "b_wall_attach_3D", "Attach Wall", "", "", "3d_aw.xpm"),
    Del(kWall),

    T(kOpening, "Opening", "b_opening_opening", "", "", "opening"),
    T(kOpening, "Door", "b_opening_door", "", "", "door"),
    T(kOpening, "Window", "b_opening_window", "", "", "window"),
    T(kOpening, "-Opening", "b_opening_alter_opening", "", "Alter"),
    T(kOpening, "-Door", "b_opening_alter_door", "", "Alter"),
    T(kOpening, "-Window", "b_opening_alter_window", "", "Alter"),
    T(kOpening, "-Height", "b_opening_alter_height", "", "Alter"),
    T(kOpening, "Dissolve", "b_opening_dissolve"),
    T(kOpening, "Remove", "b_opening_remove"),
    Del(kOpening),

    T(kDim, "Dim", "b_dim_dim", "", "", "dim"),
    T(kDim, "-0 degree", "b_dim_x"),
    T(kDim, "-90 degrees", "b_dim_y"),
    T(kDim, "Auto", "b_dim_auto"),
    T(kDim, "+ Point", "b_dim_plus"),
    T(kDim, "- Point", "b_dim_minus"),
    T(kDim, "+ Height", "b_dim_height"),
    T(kDim, "Radius", "b_dim_r"),
    T(kDim, "Diameter", "b_dim_d"),
    T(kDim, "Angle", "b_dim_a"),
    T(kDim, "Heights", "b_dim_h"),
    T(kDim, "-Value", "b_dim_alter_value", "", "Alter"),
    T(kDim, "-Move", "b_dim_alter_move", "", "Alter"),
    T(kDim, "-Size", "b_dim_alter_size", "", "Alter"),
    T(kDim, "-Style", "b_dim_alter_style", "", "Alter"),
    T(kDim, "Original", "b_dim_original"),
    Del(kDim),

    T(kText, "Text", "b_text_text", "", "", "text"),
    T(kText, "-0 degree", "b_text_x"),
    T(kText, "-90 degrees", "b_text_y"),
    {kText, B::kPush, "Textsize", "z_d_textsize", "Size and format of new texts", "", "", "", ""},
    T(kText, "-Content", "b_text_alter_content", "", "Alter"),
    T(kText, "-Format", "b_text_alter_format", "", "Alter"),
    T(kText, "-Size", "b_text_alter_size", "", "Alter"),
    T(kText, "-Style", "b_text_alter_style", "", "Alter"),
    Del(kText),

    T(kRoom, "Polygon", "b_room_poly", "", "Input", "room"),
    T(kRoom, "Area", "b_room_range", "", "Input"),
    T(kRoom, "Polygon", "b_room_add_poly", "Add the area instead of substraction", "Add"),
    T(kRoom, "Area", "b_room_add_range", "Add the area instead of substraction", "Add"),
    {kRoom, B::kBoundToggle, " + ", "", "Add the area instead of substraction", "", "Add", "",
     "Room palette/Add the area instead of substraction"},
    T(kRoom, "-Description", "b_room_alter_description", "", "Alter"),
    T(kRoom, "-Number", "b_room_alter_number", "", "Alter"),
    T(kRoom, "-Factor", "b_room_alter_factor", "", "Alter"),
    T(kRoom, "-Height", "b_room_alter_height", "", "Alter"),
    T(kRoom, "-Inscription", "b_room_alter_inscription", "", "Alter"),
    T(kRoom, "Position", "b_room_position"),
    Del(kRoom),

    T(kPattern, "Polygon", "b_pattern_poly", "", "Input", "pattern"),
    T(kPattern, "Area", "b_pattern_range", "", "Input"),
    T(kPattern, "Polygon", "b_pattern_add_poly", "Add the area instead of substraction", "Add"),
    T(kPattern, "Area", "b_pattern_add_range", "Add the area instead of substraction", "Add"),
    T(kPattern, "-Pattern", "b_pattern_alter_pattern_b", "", "Alter"),
    T(kPattern, "-S", "b_pattern_alter_pattern", "Alter single patterns", "Alter"),
    T(kPattern, "-A", "b_pattern_alter_pattern_a", "Alter all patterns with the same color",
      "Alter"),
    T(kPattern, "-Angle", "b_pattern_alter_angle", "", "Alter"),
    T(kPattern, "-Space", "b_pattern_alter_space", "", "Alter"),
    T(kPattern, "-Origin", "b_pattern_alter_origin", "", "Alter"),
    T(kPattern, "Dissolve", "b_pattern_dissolve"),
    Del(kPattern),

    // The views as the keys of a numeric keypad (Ctrl + keypad digit).
    V("7", "s_view_7", "Back left view"),
    V("8", "s_view_8", "Back view"),
    V("9", "s_view_9", "Back right view"),
    V("4", "s_view_4", "Left view"),
    V("5", "s_view_5", "Camera view"),
    V("6", "s_view_6", "Right view"),
    V("1", "s_view_1", "Front left view"),
    V("2", "s_view_2", "Front view"),
    V("3", "s_view_3", "Front right view"),
    V("0", "s_view_0", "Plan view"),
    T(k3d, "Camera", "b_3d_camera"),
    T(k3d, "-Select", "b_3d_camera_change", "Change the camera setup"),
    T(k3d, "Light", "b_3d_light", "", "", "light"),
    T(k3d, "-Alter", "b_3d_light_alter"),
    T(k3d, "Cuboid", "b_3d_cuboid", "", "", "", "3d_cu.xpm"),
    T(k3d, "Sphere", "b_3d_sphere", "", "", "", "3d_sp.xpm"),
    T(k3d, "Polygon", "b_3d_polygon", "", "", "", "3d_po.xpm"),
    T(k3d, "Prism", "b_3d_prism", "", "", "", "3d_pr.xpm"),
    T(k3d, "Tube", "b_3d_tube", "", "", "", "3d_zy.xpm"),
    T(k3d, "Cone", "b_3d_cone", "", "", "", "3d_ke.xpm"),
    T(k3d, "Truncated cone", "b_3d_cutcone", "", "", "", "3d_ks.xpm"),
    T(k3d, "3D Line", "b_3d_line", "", "", "", "3d_li.xpm"),
    T(k3d, "Union", "b_3d_union", "Boolean union", "", "", "3d_add.xpm"),
    T(k3d, "Difference", "b_3d_difference", "Boolean difference", "", "", "3d_sub.xpm"),
    T(k3d, "Intersection", "b_3d_intersection", "Boolean intersection", "", "", "3d_and.xpm"),
    T(k3d, "-Alter", "b_3d_material", "", "Material", "mat"),
    // The render dialogs, whose buttons start the renderers.
    {k3d, B::kPush, "Hidden lines", "z_d_hlr", "Hidden line rendering", "", "Render", "", ""},
    Del(k3d),

    T(kUnit, "Gable Wall", "b_unit_gablewall"),
    T(kUnit, "Ceiling", "b_unit_ceiling"),
    T(kUnit, "Beam", "b_unit_beam"),
    T(kUnit, "Pillar", "b_unit_pillar"),
    T(kUnit, "Round Pillar", "b_unit_rpillar"),
    T(kUnit, "Stairway", "b_unit_stairway"),
    T(kUnit, "Profile", "b_unit_profile"),
    Del(kUnit),

    T(kEdit, "Move", "b_edit_move"),
    T(kEdit, "Copy", "b_edit_copy"),
    T(kEdit, "-Multi", "b_edit_mcopy"),
    T(kEdit, "Series", "b_edit_series"),
    T(kEdit, "-Polar", "b_edit_pseries"),
    T(kEdit, "Rotate", "b_edit_rotate"),
    {kEdit, B::kBoundToggle, " + ", "", "Copy elements", "", "", "", "Rotate/Copy elements"},
    T(kEdit, "Mirror", "b_edit_mirror"),
    {kEdit, B::kBoundToggle, " + ", "", "Copy elements", "", "", "", "Mirror/Copy elements"},
    T(kEdit, "Stretch", "b_edit_stretch"),
    T(kEdit, "-Text", "b_edit_stretch_text", "Stretch without modifying textsize"),
    T(kEdit, "Alter", "b_edit_alter_all", "Alter pen and line"),
    T(kEdit, "-Pen", "b_edit_alter_pen"),
    T(kEdit, "-Line", "b_edit_alter_line"),
    Del(kEdit),

    T(kSymbol, "Load", "b_symbol_load"),
    T(kSymbol, "Save", "b_symbol_save"),
    T(kSymbol, "Remove", "b_symbol_remove"),
    T(kSymbol, "Create", "b_symbol_group", "", "Group"),
    T(kSymbol, "Ungroup", "b_symbol_ungroup", "", "Group"),
    T(kSymbol, "Cut", "b_symbol_cut", "", "Clipboard"),
    T(kSymbol, "Copy", "b_symbol_copy", "", "Clipboard"),
    T(kSymbol, "Paste", "b_symbol_paste", "", "Clipboard"),
    Del(kSymbol),
};

constexpr PresetFamily kPresets[] = {
    {"wall", "wall"},       {"room", "room"},     {"text", "text"}, {"dimension", "dim"},
    {"opening", "opening"}, {"window", "window"}, {"door", "door"}, {"material", "mat"},
    {"pattern", "pattern"}, {"light", "light"},
};

// The tools that no palette button issues, or that sit elsewhere.
constexpr ToolName kOtherTools[] = {
    {"b_gauge", "Gauge"},
    {"b_cam_up", ""},
    {"b_cam_down", ""},
    {"b_cam_left", ""},
    {"b_cam_right", ""},
    {"b_3d_pov", ""},
    {"b_3d_ray", ""},
    {"b_3d_raz", ""},
    {"b_3d_hlr", ""},
    {"b_3d_wire", ""},
    {"b_3d_gl", ""},
    {"b_symbol_library_new", ""},
    {"b_symbol_library_remove", ""},
};

constexpr std::string_view kOtherCommands[] = {
    // project
    "p_nop",
    "p_file_new",
    "p_file_quit",
    "p_file_info",
    "p_file_load",
    "p_file_save",
    "p_file_import_3ds",
    "p_file_export_3ds",
    "p_file_import_gts",
    "p_file_export_gts",
    "p_file_import_dxf",
    "p_file_export_dxf",
    "p_file_export_eps",
    "p_file_export_svg",
    "p_file_export_pdf",
    "p_file_export_lwo",
    "p_file_export_pov",
    "p_file_print",
    "p_file_printsetup",
    "p_file_plot",
    "p_file_import_dgm",
    "p_file_import_truetype",
    "p_file_export_font",
    "p_tools_remdup",
    "p_symbol_cut",
    "p_symbol_copy",
    "p_symbol_paste",
    "p_undo",
    "p_redo",
    "p_glminus",
    "p_layerstate_delete",
    "p_layerstate_save",
    "p_layerfunc_up",
    "p_layerfunc_down",
    "p_layerfunc_delete",
    "p_path_draw",
    "p_path_sym",
    "p_path_dxf",
    "p_path_export",
    "p_path_dia",
    "p_path_special",
    "p_pov_out",
    "p_ray_out",
    // the material dialog's preview
    "s_3d_render_mat",
    // view
    "f_zoom",
    "f_pan",
    "f_mamid",
    "s_maplus",
    "s_maminus",
    "s_back",
    "s_alles",
    "s_komplett",
    "s_view_0",
    "s_view_1",
    "s_view_2",
    "s_view_3",
    "s_view_4",
    "s_view_5",
    "s_view_6",
    "s_view_7",
    "s_view_8",
    "s_view_9",
    "s_deffi_ok",
    "s_deffi_cancel",
    "s_deffi_all",
    "s_deffi_last",
    // interface events
    "z_plot",
    "z_pap",
    "z_def",
    "z_space",
    "z_mb1",
    "z_mb3",
    "z_scrollup",
    "z_scrolldown",
    "z_save_settings",
    "z_load_settings",
    "z_help_about",
    "z_help_guide",
    "z_help_tutorial",
    "z_help_readme",
    "z_help_shortcut",
    "z_abs",
    "z_enter",
    "z_eini",
    "z_cx",
    "z_cy",
    "z_cz",
    "z_cup",
    "z_cdown",
    "z_cleft",
    "z_cright",
    "z_toggle",
    "z_snap_i",
    "z_snap_m",
    "z_snap_d",
    "z_snap_t",
    "z_info_update",
    // the settings dialog's pen and line pages, the drawing scale's steps
    "z_pen_apply",
    "z_pen_revert",
    "z_line_apply",
    "z_line_revert",
    "z_scale_inc",
    "z_scale_dec",
    // the print and plot setups' scale steps
    "z_prscale_inc",
    "z_prscale_dec",
    "z_plscale_inc",
    "z_plscale_dec",
    // the preset dialogs' "Save" and trash can
    "z_save_text",
    "z_trash_text",
    "z_save_room",
    "z_trash_room",
    "z_save_pattern",
    "z_trash_pattern",
    "z_save_wall",
    "z_trash_wall",
    "z_save_door",
    "z_trash_door",
    "z_save_window",
    "z_trash_window",
    "z_save_opening",
    "z_trash_opening",
    "z_save_light",
    "z_trash_light",
    "z_save_dim",
    "z_trash_dim",
    "z_save_mat",
};

using SV = std::string_view;
constexpr SV kOpenLayer[] = {"z_d_layer"}, kCloseLayer[] = {"z_c_layer"};
constexpr SV kCloseLayerEntry[] = {"z_c_layerentry"};
constexpr SV kOpenSnap[] = {"z_d_snap"}, kCloseSnap[] = {"z_c_snap"};
constexpr SV kOpenFilter[] = {"z_d_filter"}, kCloseFilter[] = {"z_c_filter"};
constexpr SV kOpenScale[] = {"z_d_scale"}, kCloseScale[] = {"z_c_scale"};
constexpr SV kOpenPrintScale[] = {"z_d_printscale"}, kClosePrintScale[] = {"z_c_printscale"};
constexpr SV kOpenAspect[] = {"z_d_aspect"}, kCloseAspect[] = {"z_c_aspect"};
constexpr SV kOpenSettings[] = {"z_d_settings"}, kCloseSettings[] = {"z_c_settings"};
constexpr SV kOpenFont[] = {"z_d_font"}, kCloseFont[] = {"z_c_font"};
constexpr SV kOpenPrintSetup[] = {"z_d_printsetup"}, kClosePrintSetup[] = {"z_c_printsetup"};
constexpr SV kOpenPlotSetup[] = {"z_d_plotsetup"}, kClosePlotSetup[] = {"z_c_plotsetup"};
constexpr SV kOpenDxfIn[] = {"z_d_dxf_in"}, kCloseDxfIn[] = {"z_c_dxf_in"};
constexpr SV kOpenDxfOut[] = {"z_d_dxf_out"}, kCloseDxfOut[] = {"z_c_dxf_out"};
constexpr SV kOpenPov[] = {"z_d_pov"}, kClosePov[] = {"z_c_pov"};
constexpr SV kOpenRay[] = {"z_d_ray"}, kCloseRay[] = {"z_c_ray"};
constexpr SV kOpenHlr[] = {"z_d_hlr"}, kCloseHlr[] = {"z_c_hlr"};
constexpr SV kOpenCamera[] = {"z_d_camera"}, kCloseCamera[] = {"z_c_camera"};
constexpr SV kOpenLight[] = {"z_d_light"}, kCloseLight[] = {"z_c_light"};
constexpr SV kOpenMat[] = {"z_d_mat"}, kCloseMat[] = {"z_c_mat"};
constexpr SV kOpenWall[] = {"z_d_wall"}, kCloseWall[] = {"z_c_wall"};
constexpr SV kOpenRoom[] = {"z_d_room"}, kCloseRoom[] = {"z_c_room"};
constexpr SV kOpenText[] = {"z_d_text"}, kCloseText[] = {"z_c_text"};
constexpr SV kOpenDim[] = {"z_d_dim"}, kCloseDim[] = {"z_c_dim"};
constexpr SV kOpenPattern[] = {"z_d_pattern"}, kClosePattern[] = {"z_c_pattern"};
constexpr SV kOpenOpening[] = {"z_d_opening"}, kCloseOpening[] = {"z_c_opening"};
constexpr SV kOpenWindow[] = {"z_d_window"}, kCloseWindow[] = {"z_c_window"};
constexpr SV kOpenDoor[] = {"z_d_door"}, kCloseDoor[] = {"z_c_door"};
constexpr SV kOpenTextSize[] = {"z_d_textsize"}, kCloseTextSize[] = {"z_c_textsize"};
constexpr SV kOpenOpeningSize[] = {"z_d_openingsize"}, kCloseOpeningSize[] = {"z_c_openingsize"};
constexpr SV kOpenDoorSize[] = {"z_d_doorsize"}, kCloseDoorSize[] = {"z_c_doorsize"};
constexpr SV kOpenWindowSize[] = {"z_d_windowsize"}, kCloseWindowSize[] = {"z_c_windowsize"};
constexpr SV kOpenProfileSize[] = {"z_d_profilesize"}, kCloseProfileSize[] = {"z_c_profilesize"};
constexpr SV kOpenSymbol[] = {"z_d_symbol"}, kCloseSymbol[] = {"z_c_symbol", "z_c_symbol_paste"};
constexpr SV kOpenColour[] = {"z_d_colorsel_pattern", "z_d_colorsel_povbg"};
constexpr SV kCloseColour[] = {"z_c_colorsel"};
constexpr SV kCloseInfo[] = {"z_c_info"}, kCloseOinfo[] = {"z_c_oinfo"};
constexpr SV kCloseError[] = {"z_c_error"}, kCloseAbout[] = {"z_c_about"};
constexpr SV kCloseGauge[] = {"z_c_gauge"};
constexpr SV kCloseTextEdit[] = {"z_c_textedit_cancel", "z_c_textedit_apply"};

const DialogNames kDialogs[] = {
    {"layer", "Layers", kOpenLayer, kCloseLayer},
    {"layerentry", "Name:", {}, kCloseLayerEntry},
    {"snap", "Snap", kOpenSnap, kCloseSnap},
    {"filter", "Filter", kOpenFilter, kCloseFilter},
    {"scale", "Drawing Scale:", kOpenScale, kCloseScale},
    {"printscale", "Print scale", kOpenPrintScale, kClosePrintScale},
    {"aspect", "Aspect ratio", kOpenAspect, kCloseAspect},
    {"settings", "Settings", kOpenSettings, kCloseSettings},
    {"font", "Font setting", kOpenFont, kCloseFont},
    {"printsetup", "Print Setup", kOpenPrintSetup, kClosePrintSetup},
    {"plotsetup", "Plot Setup", kOpenPlotSetup, kClosePlotSetup},
    {"dxf_in", "Import DXF...", kOpenDxfIn, kCloseDxfIn},
    {"dxf_out", "Export DXF...", kOpenDxfOut, kCloseDxfOut},
    {"pov", "Render settings", kOpenPov, kClosePov},
    {"ray", "Radiance settings", kOpenRay, kCloseRay},
    {"hlr", "HLR options:", kOpenHlr, kCloseHlr},
    {"camera", "Camera", kOpenCamera, kCloseCamera},
    {"light", "Light", kOpenLight, kCloseLight},
    {"mat", "Material", kOpenMat, kCloseMat},
    {"wall", "Wall", kOpenWall, kCloseWall},
    {"room", "Room", kOpenRoom, kCloseRoom},
    {"text", "Text", kOpenText, kCloseText},
    {"dim", "Dim", kOpenDim, kCloseDim},
    {"pattern", "Pattern", kOpenPattern, kClosePattern},
    {"opening", "Opening", kOpenOpening, kCloseOpening},
    {"window", "Window", kOpenWindow, kCloseWindow},
    {"door", "Door", kOpenDoor, kCloseDoor},
    {"textsize", "Textsize", kOpenTextSize, kCloseTextSize},
    {"openingsize", "Opening width", kOpenOpeningSize, kCloseOpeningSize},
    {"doorsize", "Door width", kOpenDoorSize, kCloseDoorSize},
    {"windowsize", "Window width", kOpenWindowSize, kCloseWindowSize},
    {"profilesize", "Profile size", kOpenProfileSize, kCloseProfileSize},
    {"symbol", "Symbol", kOpenSymbol, kCloseSymbol},
    {"colorsel", "Color selection", kOpenColour, kCloseColour},
    {"info", "Project information:", {}, kCloseInfo},
    {"oinfo", "Element information:", {}, kCloseOinfo},
    {"error", "Error", {}, kCloseError},
    {"about", "About", {}, kCloseAbout},
    {"gauge", "Gauge", {}, kCloseGauge},
    {"textedit", "Text editor", {}, kCloseTextEdit},
};

bool contains(std::span<const std::string_view> names, std::string_view n) {
  return std::find(names.begin(), names.end(), n) != names.end();
}

}  // namespace

std::span<const MenuEntry> menu_entries() { return kMenu; }
std::span<const ToolbarEntry> toolbar_entries() { return kToolbar; }
std::span<const PalettePage> palette_pages() { return kPages; }
std::span<const PaletteEntry> palette_entries() { return kPalette; }
std::span<const PresetFamily> preset_families() { return kPresets; }
std::span<const DialogNames> dialog_names() { return kDialogs; }

int palette_page_index(std::string_view name) {
  for (int i = 0; i < kPalettePageCount; ++i)
    if (kPages[i].name == name) return i;
  return -1;
}

int palette_page_for_key(char key) {
  char k = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
  for (int i = 0; i < kPalettePageCount; ++i)
    if (kPages[i].key == k) return i;
  return -1;
}

std::span<const ToolName> tool_names() {
  static const auto names = [] {
    std::vector<ToolName> out;
    out.push_back(kOtherTools[0]);  // b_gauge first, as the command table has it
    for (const PaletteEntry& p : kPalette) {
      if (!p.command.starts_with("b_")) continue;
      bool seen = false;
      for (const ToolName& t : out) seen = seen || t.command == p.command;
      if (!seen) out.push_back({p.command, p.label});
    }
    for (std::size_t i = 1; i < std::size(kOtherTools); ++i) out.push_back(kOtherTools[i]);
    return out;
  }();
  return names;
}

bool is_known_command(std::string_view name) {
  if (name.size() < 3 || name[1] != '_') return false;
  switch (name[0]) {
    case 'b':
      for (const ToolName& t : tool_names())
        if (t.command == name) return true;
      return false;
    case 'z':
      if (dialog_for_open(name) || dialog_for_close(name)) return true;
      [[fallthrough]];
    case 'p':
    case 'f':
    case 's': return contains(kOtherCommands, name);
    default: return false;
  }
}

const DialogNames* dialog_for_open(std::string_view name) {
  if (!name.starts_with("z_d_")) return nullptr;
  for (const DialogNames& d : kDialogs)
    if (contains(d.open, name)) return &d;
  return nullptr;
}

const DialogNames* dialog_for_close(std::string_view name) {
  if (!name.starts_with("z_c_")) return nullptr;
  for (const DialogNames& d : kDialogs)
    if (contains(d.close, name)) return &d;
  return nullptr;
}

}  // namespace korav
