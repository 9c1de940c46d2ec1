#include "app/dialogs/info.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "app/app.h"
#include "app/dispatch.h"
#include "app/pick.h"
#include "base/messages.h"
#include "draft/crossings.h"
#include "model/units.h"

namespace korav {

namespace {

// A hatch value and its pen or line type: "%.3f  [%d]".
std::string hatch_value(double v, int index) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%.3f  [%d]", v, index);
  return buf;
}

std::string colour(double r, double g, double b) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%f %f %f", r, g, b);
  return buf;
}

std::string shadow(int on, double intensity) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d (%.2f)", on, intensity);
  return buf;
}

std::string decimal(int v) { return std::to_string(v); }

std::string_view dimension_kind_name(int kind) {
  switch (kind) {
    case 1: return "Dimension - Radius";
    case 2: return "Dimension - Diameter";
    case 3: return "Dimension - Height";
    case 4: return "Dimension - Angle";
    default: return "Dimension chain";
  }
}

}  // namespace

std::string_view element_kind_name(const Element& e) {
  switch (e.type) {
    case kLine: return "Line";
    case kCircle: {
      const auto& c = static_cast<const Circle&>(e);
      if (!is_true_circle(c)) return "Ellipse";
      return is_closed_curve(c) ? "Circle" : "Arc";
    }
    case kText: return "Text";
    case kDimension: return dimension_kind_name(static_cast<const Dimension&>(e).kind);
    case kWall: return "Wall";
    case kPattern: return static_cast<const Pattern&>(e).kind == 3 ? "Filling" : "Pattern";
    case kSpline: return "Spline";
    case kLine3D: return "3D Line";
    case kObject3D: return "3D Object";
    case kCamera: return "Camera";
    case kRoom: return "Room";
    case kLight: return static_cast<const Light&>(e).spot ? "Spotlight" : "Pointlight";
    default: return "Unknown";
  }
}

InfoRows element_info(const Element& e, const Settings& s) {
  InfoRows rows;
  rows.push_back({"Element type:", std::string(element_kind_name(e))});
  rows.push_back({"Layer:", decimal(e.layer)});
  rows.push_back({"Pen:", decimal(e.pen)});
  rows.push_back({"Line:", decimal(e.line_type)});
  auto length = [&](std::string label, double v) { rows.push_back({label, format_length(v, s)}); };
  auto angle = [&](std::string label, double v) { rows.push_back({label, format_angle(v, s)}); };
  auto text = [&](std::string label, std::string_view v) {
    rows.push_back({label, std::string(v)});
  };
  switch (e.type) {
    case kLine: {
      const auto& l = static_cast<const Line&>(e);
      length("Length:", std::hypot(l.end.x - l.start.x, l.end.y - l.start.y));
      angle("Angle:", std::atan2(l.end.y - l.start.y, l.end.x - l.start.x));
      break;
    }
    case kCircle: {
      const auto& c = static_cast<const Circle&>(e);
      if (!is_true_circle(c)) {
        length("Radius 1:", c.radius1);
        length("Radius 2:", c.radius2);
        angle("Angle:", c.axis_angle);
      } else if (is_closed_curve(c)) {
        length("Radius:", c.radius1);
      } else {
        length("Radius:", c.radius1);
        angle("Start angle:", c.start_angle);
        angle("Angle:", c.sweep);
        length("Length:", std::fabs(c.sweep) * c.radius1);
      }
      break;
    }
    case kText: {
      const auto& t = static_cast<const Text&>(e);
      rows.push_back({"Size:", format_paper_size(t.height, s)});
      angle("Angle:", t.angle);
      text("Font:", t.font.view());
      break;
    }
    case kDimension: {
      const auto& d = static_cast<const Dimension&>(e);
      rows.push_back({"Size:", format_paper_size(d.figure_height, s)});
      angle("Angle:", d.direction);
      text("Font:", d.font.view());
      break;
    }
    case kWall: {
      const auto& w = static_cast<const Wall&>(e);
      length("Length:", std::hypot(w.corner[1].x - w.corner[0].x, w.corner[1].y - w.corner[0].y));
      length("Base:", w.corner[0].z);
      length("Height:", w.corner[4].z - w.corner[0].z);
      angle("Angle:", std::atan2(w.corner[1].y - w.corner[0].y, w.corner[1].x - w.corner[0].x));
      text("Material:", w.material.view());
      break;
    }
    case kPattern: {
      const auto& p = static_cast<const Pattern&>(e);
      if (p.kind == 3) {
        text("Color:", colour(p.red, p.green, p.blue));
        break;
      }
      text("Spacing 1:", hatch_value(p.spacing1, p.pen));
      text("Angle 1:", hatch_value(p.angle1 * 180 / std::numbers::pi, p.line_type));
      if (p.kind == 1) {
        text("Spacing 2:", hatch_value(p.spacing2, p.pen2));
        text("Angle 2:", hatch_value(p.angle2 * 180 / std::numbers::pi, p.line_type2));
      }
      break;
    }
    case kRoom: {
      const auto& r = static_cast<const Room&>(e);
      length("Base:", r.base);
      length("Height:", r.top - r.base);
      break;
    }
    case kLine3D: {
      const auto& l = static_cast<const Line3D&>(e);
      length("Base:", std::min(l.start.z, l.end.z));
      length("Height:", std::fabs(l.end.z - l.start.z));
      break;
    }
    case kObject3D: {
      const auto& o = static_cast<const Object3D&>(e);
      double low = 0, high = 0;
      const Point3* v = o.vertices();
      for (std::uint32_t i = 0; i < o.vertex_count; ++i) {
        if (i == 0 || v[i].z < low) low = v[i].z;
        if (i == 0 || v[i].z > high) high = v[i].z;
      }
      length("Base:", low);
      length("Height:", high - low);
      text("Material:", o.material.view());
      text("Vertices:", decimal(static_cast<int>(o.vertex_count)));
      text("Faces:", decimal(static_cast<int>(o.face_count)));
      text("Indices:", decimal(static_cast<int>(o.index_count)));
      break;
    }
    case kLight: {
      const auto& l = static_cast<const Light&>(e);
      text("Size:", format_plain_number(l.size));
      text("Shadow:", shadow(l.shadow, l.shadow_intensity));
      text("Color:", colour(l.red, l.green, l.blue));
      if (l.spot) text("Angle:", format_plain_number(l.spot_angle));
      break;
    }
    case kCamera: {
      const auto& c = static_cast<const Camera&>(e);
      text("Angle:", format_plain_number(c.lens_angle));
      length("Height:", c.eye.z);
      break;
    }
    default: break;  // splines show the common rows only
  }
  return rows;
}

InfoRows project_info(const ElementStore& store) {
  struct Kind {
    const char* label;
    int type;
  };
  static constexpr std::array<Kind, 11> kKinds{{{"Lines:", kLine},
                                                {"Circles:", kCircle},
                                                {"Texts:", kText},
                                                {"Dimensions:", kDimension},
                                                {"Walls:", kWall},
                                                {"Splines:", kSpline},
                                                {"Patterns:", kPattern},
                                                {"3D Lines:", kLine3D},
                                                {"3D Objects:", kObject3D},
                                                {"Rooms:", kRoom},
                                                {"Lights:", kLight}}};
  std::array<int, kElementTypeCount + 1> count{};
  for (const Element& e : store.list)
    if (e.type <= kElementTypeCount) ++count[e.type];
  InfoRows rows;
  for (const Kind& k : kKinds) rows.push_back({k.label, decimal(count[k.type])});
  return rows;
}

void show_element_info(App& app) {
  const Element* e =
      pick_element(app.drawing, pick_context(app), app.pointer.x, app.pointer.y, kPickAny);
  if (!e) return;
  app.element_info = element_info(*e, app.drawing.settings);
  app.element_info[0].value = std::string(translate(app.element_info[0].value));  // the kind
  if (app.dialog_open(kDialogElementInfo)) app.ui->refresh_dialog(kDialogElementInfo);
  show_dialog(app, kDialogElementInfo);
}

void show_project_info(App& app) {
  app.project_info = project_info(app.drawing.store);
  if (app.dialog_open(kDialogProjectInfo)) app.ui->refresh_dialog(kDialogProjectInfo);
  show_dialog(app, kDialogProjectInfo);
}

}  // namespace korav
