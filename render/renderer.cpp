#include "render/renderer.h"

#include "model/drawing.h"
#include "model/element_points.h"
#include "render/hatch.h"
#include "render/openings.h"
#include "render/screen_output.h"

namespace korav {

namespace {

// The points whose marks show in the plan: the element's own places; not a wall's corners and
// openings (its outline lines show them), nor a pattern's origin and spacing. Dimension points
// show their marks in pairs (draw_dimension).
bool mark_shown(const ConstPointRef& p) {
  if (p.separator || p.unused) return false;
  switch (p.role) {
    case PointRole::kEnd:
    case PointRole::kCentre:
    case PointRole::kInsertion:
    case PointRole::kControl:
    case PointRole::kGable:
    case PointRole::kOutlineEnd:
    case PointRole::kOutline: return true;
    default: return false;
  }
}

// A cross at every marked point of the element that shows its mark.
template <class T>
void draw_marks(Renderer& r, const T& e) {
  for_each_point(e, [&](const ConstPointRef& p) {
    if (*p.mark == 1 && mark_shown(p)) draw_point_mark(r, *p.x, *p.y, r.marks_visible);
  });
}

void line_op(Renderer& r, int pen, int lt, double x1, double y1, double x2, double y2) {
  if (r.driver.line) r.driver.line(r, pen, lt, x1, y1, x2, y2);
}

void draw_wall(Renderer& r, const Wall& w) {
  if (!tail_intact(w)) return;
  for (const OutlineLine& l : wall_lines(w))
    line_op(r, w.pen, w.line_type, l.start.x, l.start.y, l.end.x, l.end.y);
  draw_marks(r, w);
  for (const Opening& o : wall_openings(w)) draw_opening(r, o);
}

void draw_pattern(Renderer& r, const Pattern& p) {
  if (!tail_intact(p)) return;  // the hatch and fill routines take the outline by its count
  switch (p.kind) {
    case 0:
      if (r.hatch) r.hatch(r, p, 0);
      break;
    case 1:
      if (r.hatch) {
        r.hatch(r, p, 0);
        r.hatch(r, p, 1);
      }
      break;
    case 2:
      if (r.hatch) r.hatch(r, p, 2);
      break;
    case 3:
      if (r.driver.fill) r.driver.fill(r, p);
      break;
    default: break;
  }
  draw_marks(r, p);
}

void draw_text(Renderer& r, const Text& t) {
  const std::string_view text = text_of(t);
  if (r.driver.text && t.size > sizeof(Text)) {
    TextRun run;
    run.pen = t.pen;
    run.line_type = t.line_type;
    run.x = t.pos.x;
    run.y = t.pos.y;
    run.angle = t.angle;
    run.height = t.height;
    run.width_factor = t.width_factor;
    run.spacing = t.spacing;
    run.line_spacing = t.line_spacing;
    run.font = t.font.view();
    run.text = text;
    run.align = t.align;
    run.fitted_width = t.fitted_width;
    r.driver.text(r, run);
  }
  draw_marks(r, t);
}

void draw_dimension(Renderer& r, const Dimension& d) {
  if (!tail_intact(d)) return;  // the dimension operation takes the points by their count
  if (r.driver.dimension) r.driver.dimension(r, d);
  for (const DimPoint& p : dimension_points(d)) {
    if (p.foot.mark == 1 || p.measured.mark == 1) {
      draw_point_mark(r, p.measured.x, p.measured.y, r.marks_visible);
      draw_point_mark(r, p.foot.x, p.foot.y, r.marks_visible);
    }
  }
}

// To the projection drawer, which takes the tails by their counts: a damaged record goes
// nowhere. Kept out of line, so that the plan kinds' path through draw_element stays short.
[[gnu::noinline]] void project(Renderer& r, const Element& e) {
  if (r.project && tail_intact(e)) r.project(r, e, e.pen, e.line_type, r.marks_visible);
}

}  // namespace

Display::Display() { install_screen_driver(renderer, screen); }

ColourClass colour_class(int current_layer, const Element& e, int mode) {
  if (mode == kDrawErase) return ColourClass::kErase;
  if (e.selected != 0 || mode == kDrawHighlight) return ColourClass::kHighlight;
  if (mode == kDrawForceNormal) return ColourClass::kForceNormal;
  return e.layer == current_layer ? ColourClass::kNormal : ColourClass::kOtherLayer;
}

int colour_index(ColourClass c, int pen) {
  if (c == ColourClass::kErase) return kColourBackground;
  if (c == ColourClass::kHighlight) return kColourHighlight;
  if (pen == kGuidePen) return kColourGuide;
  if (pen < 0 || pen >= kPenCount) pen = 0;  // damaged pen numbers draw with the first pen
  return (c == ColourClass::kOtherLayer ? kColourFadedPen : kColourPen) + pen;
}

void draw_point_mark(Renderer& r, double x, double y, bool visible) {
  if (r.driver.vector_output || !r.driver.line || !r.screen) return;
  const View& v = r.screen->view();
  const ColourClass saved = r.colour;
  r.colour = visible ? ColourClass::kNormal : ColourClass::kErase;
  r.driver.line(r, kGuidePen, 0, x - 2 * v.units_x, y, x + 2 * v.units_x, y);
  r.driver.line(r, kGuidePen, 0, x, y - 2 * v.units_y, x, y + 2 * v.units_y);
  r.colour = saved;
}

void draw_guide_cross(Renderer& r, double x, double y) {
  if (r.driver.vector_output || !r.driver.line || !r.screen) return;
  const View& v = r.screen->view();
  r.driver.line(r, kGuidePen, 0, x - v.units_x, y, x + v.units_x, y);
  r.driver.line(r, kGuidePen, 0, x, y - v.units_y, x, y + v.units_y);
}

void draw_element(Renderer& r, const Drawing& d, const Element& e, int mode) {
  if (!layer_visible(d.layers, d.current_layer, e.layer)) return;
  r.drawing = &d;
  r.colour = colour_class(d.current_layer, e, mode);
  r.marks_visible = mode != kDrawErase;
  if (r.view_number != 0) {
    project(r, e);
    return;
  }
  switch (e.type) {
    case kLine: {
      const auto& l = static_cast<const Line&>(e);
      line_op(r, l.pen, l.line_type, l.start.x, l.start.y, l.end.x, l.end.y);
      draw_marks(r, l);
      break;
    }
    case kCircle: {
      const auto& c = static_cast<const Circle&>(e);
      if (r.driver.arc)
        r.driver.arc(r, c.pen, c.line_type, c.centre.x, c.centre.y, c.radius1, c.radius2, c.sweep,
                     c.start_angle, c.axis_angle);
      draw_marks(r, c);
      break;
    }
    case kSpline: {
      const auto& s = static_cast<const Spline&>(e);
      if (r.driver.spline) r.driver.spline(r, s.pen, s.line_type, s.p[0], s.p[1], s.p[2], s.p[3]);
      draw_marks(r, s);
      break;
    }
    case kWall: draw_wall(r, static_cast<const Wall&>(e)); break;
    case kText: draw_text(r, static_cast<const Text&>(e)); break;
    case kDimension: draw_dimension(r, static_cast<const Dimension&>(e)); break;
    case kPattern: draw_pattern(r, static_cast<const Pattern&>(e)); break;
    case kRoom:
      // In the plan view a room is its outline and inscription; the 3D views draw it through
      // the projection drawer with the rest.
      if (!tail_intact(e)) break;
      if (r.driver.room) r.driver.room(r, static_cast<const Room&>(e));
      draw_marks(r, static_cast<const Room&>(e));
      break;
    case kLine3D:
    case kObject3D:
    case kCamera:
    case kLight: project(r, e); break;
    default: break;
  }
}

void redraw(Renderer& r, Screen& s, const Drawing& d) {
  apply_settings(s, d.settings);
  clear_surface(s);
  const View& v = s.view();
  SpatialIndex* index =
      r.view_number == 0 && v.units_x > 0 && v.units_y > 0 ? d.indexed() : nullptr;
  // What lies off the screen is not visited; a point mark reaches two pixels.
  const double mx = 3 * v.units_x, my = 3 * v.units_y;
  const Box view_box{v.xmin - mx, v.ymin - my, v.xmax + mx, v.ymax + my};
  if (index && !index->drawn_within(view_box)) {
    for (const Element* e : index->query_drawn(view_box)) draw_element(r, d, *e, kDrawNormal);
  } else {
    for (const Element& e : d.store.list) draw_element(r, d, e, kDrawNormal);
  }
  present(s);
}

void install_screen_driver(Renderer& r, Screen& s) {
  r.driver = screen_driver(s);
  r.screen = &s;
  r.hatch = hatch_pattern;
}

}  // namespace korav
