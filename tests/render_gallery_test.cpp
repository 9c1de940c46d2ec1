// Representative drawings written as PNGs into build/render_gallery/, each compared with its
// reference in tests/reference/render/ (see tests/reference_image.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "arch/openings.h"
#include "arch/walls.h"
#include "draft/dimensions.h"
#include "files/stroke_font.h"
#include "model/drawing.h"
#include "model/element_points.h"
#include "model/font_table.h"
#include "render/openings.h"
#include "render/png_export.h"
#include "tests/png_test_support.h"
#include "tests/reference_image.h"

namespace korav {
namespace {

constexpr double kPi = 3.141592653589793;

std::filesystem::path gallery_dir() {
  const auto dir = std::filesystem::path(KORAV_BINARY).parent_path() / "render_gallery";
  std::filesystem::create_directories(dir);
  return dir;
}

struct Hole {
  double at, width;  // along the wall from its start
  int kind, subtype, side;
  double stop_width = 0, stop_depth = 0;
};

// A wall on the axis from (x, y) in direction `angle`, its outline cut at the openings as
// inserting them cuts it (gaps, reveals, rebates of a stop). The outer face is the right-hand one.
Wall* add_wall(Drawing& d, double x, double y, double angle, double length, double thickness,
               const std::vector<Hole>& holes, int pen = 4) {
  const double ux = std::cos(angle), uy = std::sin(angle);
  const double h = thickness / 2;
  auto P = [&](double s, double q) { return Point2{x + s * ux - q * uy, y + s * uy + q * ux, 0}; };
  auto P3 = [&](double s, double q, double z) {
    const Point2 p = P(s, q);
    return Point3{p.x, p.y, z, 0};
  };
  Wall w = make_element<Wall>(0, pen, 0);
  const double c[4][2] = {{0, -h}, {length, -h}, {length, h}, {0, h}};
  for (int i = 0; i < 8; ++i) w.corner[i] = P3(c[i % 4][0], c[i % 4][1], i < 4 ? 0 : 2.5);
  std::vector<OutlineLine> lines;
  auto add = [&](double s1, double q1, double s2, double q2) {
    lines.push_back({P(s1, q1), P(s2, q2)});
  };
  double outer = 0, inner = 0;
  std::vector<Opening> openings;
  for (const Hole& o : holes) {
    const double a = o.at, b = o.at + o.width, sw = o.stop_width, sd = o.stop_depth;
    add(outer, -h, a, -h);
    add(inner, h, a - sw, h);
    outer = b;
    inner = b + sw;
    if (sw == 0 && sd == 0) {
      add(a, -h, a, h);
      add(b, -h, b, h);
    } else {
      add(a, -h, a, -h + sd);
      add(a, -h + sd, a - sw, -h + sd);
      add(a - sw, -h + sd, a - sw, h);
      add(b, -h, b, -h + sd);
      add(b, -h + sd, b + sw, -h + sd);
      add(b + sw, -h + sd, b + sw, h);
    }
    Opening op;
    const double oc[4][2] = {{a, -h}, {b, -h}, {b, h}, {a, h}};
    for (int i = 0; i < 8; ++i) op.corner[i] = P3(oc[i % 4][0], oc[i % 4][1], i < 4 ? 0.9 : 2.1);
    op.kind = static_cast<std::uint8_t>(o.kind);
    op.subtype = static_cast<std::uint8_t>(o.subtype);
    op.leaf_side = static_cast<std::uint8_t>(o.side);
    op.stop_width = sw;
    op.stop_depth = sd;
    openings.push_back(op);
  }
  add(outer, -h, length, -h);
  add(length, -h, length, h);
  add(length, h, inner, h);
  add(0, h, 0, -h);
  return create_wall(d.store, w, lines, openings);
}

void write(const Drawing& d, const std::string& name, int w, int h, int min_drawn,
           FontTable* fonts = nullptr) {
  const auto path = gallery_dir() / name;
  std::string error;
  ASSERT_TRUE(export_png(d, path.string(), w, h, error, fonts)) << error;
  Png png;
  ASSERT_TRUE(read_png(path.string(), png));
  EXPECT_EQ(std::tuple(png.width, png.height), std::tuple(w, h));
  EXPECT_GE(png.drawn(), min_drawn) << path << ": " << png.drawn() << " pixels drawn";
  testing::expect_matches_reference(path, "render", name);
}

Drawing walls_drawing() {
  Drawing d;
  d.settings.drawing_scale = 50;
  // Doors 1 to 3 with every leaf side.
  std::vector<Hole> doors;
  for (int sub = 1; sub <= 3; ++sub)
    for (int side = 0; side < 4; ++side)
      doors.push_back({0.8 + ((sub - 1) * 4 + side) * 2.0, 1.0, 2, sub, side, sub == 2 ? 0.05 : 0,
                       sub == 2 ? 0.06 : 0});
  add_wall(d, 0, 0, 0, 24.6, 0.3, doors);
  // Framed doors 4 to 6 (door 5 wide enough for its side light), two leaf sides each.
  std::vector<Hole> framed;
  double at = 0.8;
  for (int sub = 4; sub <= 6; ++sub)
    for (int side : {0, 3}) {
      const double width = sub == 5 ? 2.0 : 1.2;
      framed.push_back({at, width, 2, sub, side, 0.05, 0.06});
      at += width + 1.0;
    }
  add_wall(d, 0, -5, 0, at + 0.4, 0.3, framed);
  // Windows 1 to 6, and plain openings 1 to 6.
  std::vector<Hole> windows, plain;
  for (int sub = 1; sub <= 6; ++sub) {
    windows.push_back({0.8 + (sub - 1) * 2.6, 1.6, 3, sub, 0, 0.05, 0.06});
    plain.push_back(
        {0.8 + (sub - 1) * 2.6, 1.6, 1, sub, 0, sub % 2 ? 0 : 0.05, sub % 2 ? 0 : 0.06});
  }
  add_wall(d, 0, -9, 0, 16.4, 0.3, windows);
  add_wall(d, 0, -13, 0, 16.4, 0.3, plain);
  // A wall at an angle with a door and a window, built from the other end.
  add_wall(d, 22, -14, 3 * kPi / 4, 6, 0.24,
           {{1, 1, 2, 1, 0, 0, 0}, {3, 1.4, 3, 3, 0, 0.05, 0.06}});
  return d;
}

TEST(RenderGallery, WallsWithEveryOpeningDoorAndWindow) {
  Drawing d = walls_drawing();
  ASSERT_EQ(d.store.size(), 5u);
  write(d, "walls.png", 1600, 1200, 8000);
  // At 1:200 pen 4 (0.5 mm) is 0.1 m wide: about six pixels here.
  d.settings.view.exact_thickness = 1;
  d.settings.drawing_scale = 200;
  write(d, "walls_exact_thickness.png", 1600, 1200, 30000);
}

TEST(RenderGallery, LineTypesAndPens) {
  Drawing d;
  d.settings.drawing_scale = 100;
  for (int lt = 0; lt < 6; ++lt) {
    create_line(d.store, 0, 0, lt, 0, -lt * 1.0, 20, -lt * 1.0);         // long: dashed
    create_line(d.store, 0, 1, lt, 21, -lt * 1.0, 21.3, -lt * 1.0);      // shorter than a pattern
    create_line(d.store, 0, 2, lt, 23, -lt * 1.0, 30, -lt * 1.0 - 0.8);  // slanted
  }
  for (int pen = 0; pen < 8; ++pen)
    create_line(d.store, 0, pen, 0, pen * 1.2, -7, pen * 1.2 + 0.8, -10);
  create_line(d.store, 0, kGuidePen, 0, 0, -11, 30, -11);
  // Another layer shown as background: faded pens.
  d.layers.layer[2].state = 1;
  for (int pen = 0; pen < 8; ++pen)
    create_line(d.store, 2, pen, 2, 11 + pen * 1.2, -7, 11 + pen * 1.2 + 0.8, -10);
  // A selected line and marked points.
  Line* sel = create_line(d.store, 0, 0, 0, 22, -7, 30, -10);
  sel->selected = 1;
  Line* marked = create_line(d.store, 0, 3, 0, 22, -10, 30, -7);
  marked->start.mark = marked->end.mark = 1;
  write(d, "lines.png", 1200, 500, 5000);
  d.settings.view.exact_thickness = 1;
  write(d, "lines_exact_thickness.png", 1200, 500, 6000);
}

TEST(RenderGallery, ArcsEllipsesAndSplines) {
  Drawing d;
  d.settings.drawing_scale = 50;
  auto circle = [&](double x, double y, double a, double b, double sweep, double start, double rot,
                    int pen = 0, int lt = 0) {
    Circle c = make_element<Circle>(0, pen, lt);
    c.centre = {x, y};
    std::tie(c.radius1, c.radius2, c.sweep, c.start_angle, c.axis_angle) =
        std::tuple(a, b, sweep, start, rot);
    return create(d.store, c);
  };
  circle(0, 0, 3, 3, 2 * kPi, 0, 0);
  circle(0, 0, 2, 2, 2 * kPi, 0, 0, 3, 1);     // dashed
  circle(0, 0, 0.02, 0.02, 2 * kPi, 0, 0, 2);  // tiny
  circle(8, 0, 3, 1.5, 2 * kPi, 0, 0.5, 2);    // rotated ellipse
  circle(8, 0, 2, 1, kPi, 0.3, 0.5, 1, 3);     // elliptic arc
  circle(16, 0, 3, 3, kPi / 2, 0, 0, 0);
  circle(16, 0, 2.5, 2.5, 1e-3, 1, 0, 3);  // a very small sweep: one chord
  circle(16, 0, 2, 2, 3 * kPi / 2, kPi / 2, 0, 2, 5);
  Circle* marked = circle(24, 0, 2.5, 2.5, 2 * kPi, 0, 0, 3);
  marked->centre.mark = 1;
  const Point2 splines[2][4] = {{{-3, -6}, {0, -2}, {6, -10}, {10, -6}},
                                {{12, -6}, {24, -2}, {14, -10}, {26, -6}}};
  for (int k = 0; k < 2; ++k) {
    Spline s = make_element<Spline>(0, 3, k == 0 ? 0 : 2);
    std::copy(splines[k], splines[k] + 4, s.p);
    create(d.store, s);
  }
  write(d, "curves.png", 1400, 700, 3000);
}

// An L of walls dimensioned by automatic chains in centimetres and in feet and inches, with
// every mark style, an overridden and a moved figure, a radius, an angle and height marks.
TEST(RenderGallery, DimensionedWalls) {
  Drawing d;
  d.settings.drawing_scale = 100;
  d.settings.accuracy = 1;
  add_wall(d, 0, 0, 0, 8, 0.365, {{1.01, 1.26, 3, 1, 0, 0.05, 0.06}, {4.5, 1.01, 2, 1, 0}});
  add_wall(d, 7.8175, 0.1825, kPi / 2, 5, 0.365, {{2, 1.51, 3, 2, 0, 0.05, 0.06}});
  DimPreset preset;
  struct Chain {
    int style, mark;
    double y;
  } chains[] = {{0, 0, -1.2}, {2, 1, -2.4}, {9, 2, -3.6}};
  for (const Chain& c : chains) {
    preset.unit_style = c.style;
    preset.mark_style = c.mark;
    // Feet and inches are long figures: a proportional font, a little smaller.
    preset.font = c.style == 9 ? "SimpelProp" : "Simpel";
    preset.figure_height = c.style == 9 ? 1.8 : 2.5;
    std::vector<DimPoint> pts = wall_crossings(d, {0, c.y}, 0, {-1, 0}, {9, 0});
    normalise_chain(pts, 0);
    ASSERT_EQ(pts.size(), 6u);
    create_dimension(d.store, new_dimension_fields(d, preset, kDimChain, 0), pts);
  }
  // Along the second wall: x = 9.5, with an override and a moved figure.
  preset.font = "Simpel";
  preset.figure_height = 2.5;
  preset.unit_style = 0;
  preset.mark_style = 0;
  std::vector<DimPoint> up = wall_crossings(d, {9.5, 0}, kPi / 2, {7.8, -1}, {7.8, 6});
  normalise_chain(up, kPi / 2);
  ASSERT_GE(up.size(), 4u);
  up[2].override_value = 1.5;
  up[3].extra[2] = -0.6;
  create_dimension(d.store, new_dimension_fields(d, preset, kDimChain, kPi / 2), up);
  // A round column with its radius, an angle and height marks.
  Circle col = make_element<Circle>(0, 0, 0);
  col.centre = {3, 3};
  col.radius1 = col.radius2 = 0.6;
  col.sweep = 2 * kPi;
  create(d.store, col);
  create_dimension(d.store, new_dimension_fields(d, preset, kDimRadius, 0),
                   circle_dimension_points(col, {4.2, 4.2}));
  std::vector<DimPoint> angle(3);
  angle[0].foot = angle[0].measured = {0.5, 2, 0};
  angle[1].foot = angle[1].measured = {2, 2, 0};
  angle[2].foot = angle[2].measured = {1.5, 3.2, 0};
  create_dimension(d.store, new_dimension_fields(d, preset, kDimAngle, 0), angle);
  std::vector<DimPoint> heights = {height_point(d.settings, {-1.5, 0}, {0, 0}),
                                   height_point(d.settings, {-1.5, 0}, {0, 2.51}),
                                   height_point(d.settings, {-1.5, 0}, {0, -0.75})};
  create_dimension(d.store, new_dimension_fields(d, preset, kDimHeights, 0), heights);

  FontTable table;
  install_font_loader(table, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
  write(d, "dimensions.png", 1600, 1200, 15001, &table);
}

// An L and a T of connected walls built by the tools' own functions, with a door swinging into
// the room and two windows: the joints show no line across them.
TEST(RenderGallery, WallJoints) {
  Drawing d;
  d.settings.drawing_scale = 50;
  WallPreset outer;
  outer.thickness = 0.365;
  outer.pen = 4;
  WallPreset inner = outer;
  inner.thickness = 0.24;
  korav::add_wall(d, outer, axis_footprint({0, 0}, {8, 0}, 0.365));
  korav::add_wall(d, outer, axis_footprint({7.8175, 0.1825}, {7.8175, 5}, 0.365));
  korav::add_wall(d, inner, axis_footprint({4, 0.1825}, {4, 4}, 0.24));
  ASSERT_EQ(connect_all_walls(d), 3);

  auto wall_at = [&](PlanVec p) -> Wall* {
    for (Element& e : d.store.list)
      if (Wall* w = as<Wall>(&e)) {
        const Footprint f = footprint(*w);
        const double t = parameter_on(p, f[0], f[1]), s = parameter_on(p, f[1], f[2]);
        if (t > 0 && t < 1 && s > 0 && s < 1) return w;
      }
    return nullptr;
  };
  struct Place {
    PlanVec in, from, to, outside;
    int kind;
    OpeningPreset preset;
  };
  OpeningPreset window;
  window.subtype = 4;
  const Place places[] = {
      {{1.5, 0}, {1, 0}, {2.01, 0}, {1.5, -2}, kOpeningDoor, kDoorDefaults},
      {{5.5, 0}, {5, 0}, {6.76, 0}, {5.5, -2}, kOpeningWindow, window},
      {{7.8, 2.5}, {7.8, 2}, {7.8, 3.51}, {10, 2.5}, kOpeningWindow, window},
  };
  for (const Place& p : places) {
    Wall* w = wall_at(p.in);
    ASSERT_NE(w, nullptr);
    std::optional<Opening> o = place_opening(*w, p.from, p.to, p.outside, p.preset, p.kind);
    ASSERT_TRUE(o);
    o->leaf_side = static_cast<std::uint8_t>(leaf_side_at(*o, {1.1, 0.8}));  // into the room
    OpeningFit why = OpeningFit::kFits;
    ASSERT_NE(insert_opening(d, *w, *o, &why), nullptr) << static_cast<int>(why);
  }
  write(d, "wall_joints.png", 1400, 1000, 5000);
}

}  // namespace
}  // namespace korav
