// The spatial index only narrows the searches: on random drawings of every kind, every search
// and the plan redraw give what the walk of the whole store gives, also through edits and undo.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "app/filter.h"
#include "app/pick.h"
#include "app/selection.h"
#include "app/snap.h"
#include "arch/walls.h"
#include "draft/circles.h"
#include "draft/line_tools.h"
#include "files/stroke_font.h"
#include "model/drawing.h"
#include "model/spatial_index.h"
#include "render/renderer.h"
#include "render/text_drawing.h"

namespace korav {
namespace {

constexpr double kTwoPi = 6.283185307179586;

struct Fonts {
  FontTable table;
  Fonts() { install_font_loader(table, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/"); }
};

FontTable* fonts() {
  static Fonts f;
  return &f.table;
}

PickContext pick_context_for(double upp) {
  PickContext c;
  c.units_per_pixel = upp;
  FontTable* f = fonts();
  c.text_extent_tag = f;
  c.text_width = [f](const Text& t, double scale) {
    return text_width(*f, scale, t.height, t.width_factor, t.spacing, t.font.view(), text_of(t),
                      t.align, t.fitted_width);
  };
  return c;
}

// A drawing of every kind over about 100 m x 100 m: mostly short elements, some long ones,
// a few far away, on the current, a shown and a hidden layer, and a few damaged records.
struct Maker {
  std::mt19937 rng;
  explicit Maker(unsigned seed) : rng(seed) {}
  double u(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); }
  int i(int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); }

  Point2 p2(double x, double y) { return {x, y, 0}; }

  void add(Drawing& d) {
    const int layer = i(0, 9) < 7 ? 0 : i(1, 2);
    const double x = u(0, 100), y = u(0, 100);
    const double len = i(0, 20) == 0 ? u(20, 150) : u(0.05, 4);
    const double a = u(0, kTwoPi);
    const double ex = x + len * std::cos(a), ey = y + len * std::sin(a);
    ElementStore& s = d.store;
    switch (i(0, 19)) {
      case 0:
      case 1: {
        Circle c = make_element<Circle>(layer, 1, 0);
        c.centre = p2(x, y);
        c.radius1 = len / 2;
        c.radius2 = i(0, 2) == 0 ? len / 4 : len / 2;
        c.sweep = i(0, 1) ? kTwoPi : u(0.3, 5);
        c.start_angle = u(0, kTwoPi);
        c.axis_angle = c.radius1 == c.radius2 ? 0 : u(0, 3);
        create(s, c);
        break;
      }
      case 2: {
        Text t = make_element<Text>(layer, 2, 0);
        t.pos = p2(x, y);
        t.font.set("Simpel");
        t.height = u(1, 8);
        t.width_factor = 1;
        t.line_spacing = 1.5;
        t.angle = i(0, 1) ? 0 : a;
        t.align = static_cast<std::uint8_t>(i(0, 3));
        t.fitted_width = t.align == 3 ? u(0.5, 5) : 0;
        create_text(s, t, i(0, 3) ? "Kitchen 12" : "Bath\nWC 3");
        break;
      }
      case 3: {
        Dimension m = make_element<Dimension>(layer, 0, 0);
        m.font.set("Simpel");
        m.kind = static_cast<std::uint8_t>(i(0, 1) ? 0 : i(3, 4));
        DimPoint p[3];
        p[0].foot = p2(x, y);
        p[1].foot = p2(ex, ey);
        p[2].foot = p2(x + len * std::cos(a + 1.2), y + len * std::sin(a + 1.2));
        for (auto& q : p) q.measured = q.foot;
        create_dimension(s, m, p);
        break;
      }
      case 4: {
        Wall w = make_element<Wall>(layer, 4, 0);
        const double t = 0.3, nx = -std::sin(a) * t, ny = std::cos(a) * t;
        const Point2 c[4] = {p2(x, y), p2(ex, ey), p2(ex + nx, ey + ny), p2(x + nx, y + ny)};
        for (int k = 0; k < 8; ++k) w.corner[k] = {c[k % 4].x, c[k % 4].y, k < 4 ? 0.0 : 2.5, 0};
        if (i(0, 3) == 0) {
          w.gable = 1;
          w.gable_point[0] = {(x + ex) / 2, (y + ey) / 2, 4, 0};
          w.gable_point[1] = {(x + ex) / 2 + nx, (y + ey) / 2 + ny, 4, 0};
        }
        OutlineLine o[4];
        for (int k = 0; k < 4; ++k)
          o[k] = {{c[k].x, c[k].y, 0}, {c[(k + 1) % 4].x, c[(k + 1) % 4].y, 0}};
        std::vector<Opening> openings;
        if (i(0, 1) && len > 1) {
          Opening op;
          op.kind = 2;
          const double f1 = 0.3 + std::min(0.9, len - 0.6);
          const double along[4] = {0.3, f1, f1, 0.3}, across[4] = {0, 0, 1, 1};
          for (int k = 0; k < 4; ++k)
            op.corner[k] = {x + along[k] * std::cos(a) + across[k] * nx,
                            y + along[k] * std::sin(a) + across[k] * ny, 0, 0};
          op.height = 2;
          openings.push_back(op);
        }
        create_wall(s, w, o, openings);
        break;
      }
      case 5:
      case 6: {
        const Point2 pts[6] = {p2(x, y),
                               p2(ex, ey),
                               p2(ex - len * std::sin(a), ey + len * std::cos(a)),
                               p2(x - len * std::sin(a), y + len * std::cos(a)),
                               p2(999, 999),
                               p2(x + 0.1, y + 0.1)};
        if (i(0, 1)) {
          Pattern p = make_element<Pattern>(layer, 0, 0);
          p.kind = static_cast<std::uint8_t>(i(0, 3));
          p.origin = p2(x, y);
          p.offset = p2(0.5, 0.5);
          p.angle1 = 0.7;
          p.spacing1 = 0.3;
          p.angle2 = 2;
          p.spacing2 = 0.4;
          create_pattern(s, p, std::span<const Point2>(pts, 5));
        } else {
          Room r = make_element<Room>(layer, 0, 0);
          r.pos = p2(x + u(-1, 1), y + u(-1, 1));
          r.font.set("Simpel");
          r.height = 3;
          r.width_factor = 1;
          create_room(s, r, std::span<const Point2>(pts, 5));
        }
        break;
      }
      case 7: {
        Spline sp = make_element<Spline>(layer, 0, 0);
        sp.p[0] = p2(x, y);
        sp.p[1] = p2(x + u(-3, 3), y + u(-3, 3));
        sp.p[2] = p2(ex + u(-3, 3), ey + u(-3, 3));
        sp.p[3] = p2(ex, ey);
        create(s, sp);
        break;
      }
      case 8: {
        if (i(0, 1)) {
          Line3D l = make_element<Line3D>(layer, 0, 0);
          l.start = {x, y, 0, 0};
          l.end = {ex, ey, 3, 0};
          create(s, l);
        } else {
          Object3D o = make_element<Object3D>(layer, 0, 0);
          const std::uint32_t sizes[4] = {3, 3, 3, 3};
          const Point3 v[4] = {{x, y, 0, 0}, {ex, ey, 0, 0}, {x, ey, 0, 0}, {x, y, 2, 0}};
          const std::uint32_t idx[12] = {0, 1, 2, 0, 3, 1, 1, 3, 2, 2, 3, 0};
          create_object3d(s, o, sizes, v, idx);
        }
        break;
      }
      case 9: {
        if (i(0, 1)) {
          Light l = make_element<Light>(layer, 0, 0);
          l.pos = {x, y, 2, 0};
          l.target = {ex, ey, 0, 0};
          create(s, l);
        } else {
          Camera c = make_element<Camera>(layer, 0, 0);
          c.eye = {x, y, 1.6, 0};
          c.target = {ex, ey, 1.6, 0};
          c.lens_angle = 50;
          create(s, c);
        }
        break;
      }
      default: create_line(s, layer, i(0, 7), i(0, 9) == 0 ? 1 : 0, x, y, ex, ey); break;
    }
  }

  void fill(Drawing& d, int n) {
    for (int k = 0; k < n; ++k) add(d);
    // Far away, huge, degenerate and damaged records.
    create_line(d.store, 0, 0, 0, 1e5, 1e5, 1e5 + 1, 1e5);
    create_line(d.store, 0, 0, 0, -500, 50, 600, 50.5);
    create_line(d.store, 0, 0, 0, 30, 30, 30, 30);
    create_line(d.store, 0, 0, 0, NAN, 3, 4, 5);
    Circle c = make_element<Circle>(0, 0, 0);
    c.centre = p2(50, 50);
    c.radius1 = c.radius2 = INFINITY;
    c.sweep = kTwoPi;
    create(d.store, c);
  }

  // A click: mostly near a point of some element, so that searches find things.
  Vec2 click(const Drawing& d, double spread) {
    if (i(0, 3) == 0 || d.store.size() == 0) return {u(-5, 105), u(-5, 105)};
    int k = i(0, static_cast<int>(d.store.size()) - 1);
    const Element* e = d.store.head();
    while (k-- > 0) e = e->next;
    Vec2 at{u(0, 100), u(0, 100)};
    for_each_point(*e, [&](const ConstPointRef& p) {
      if (!p.separator && std::isfinite(*p.x) && std::isfinite(*p.y) && i(0, 1)) at = {*p.x, *p.y};
    });
    return {at.x + u(-spread, spread), at.y + u(-spread, spread)};
  }
};

void prepare(Drawing& d) {
  d.layers.layer[1].state = 1;  // shown
  d.layers.layer[2].state = 0;  // hidden
  FontTable* f = fonts();
  d.index.set_text_extent([f](const Text& t, double s) { return text_extent(*f, s, t); }, f);
}

bool same(const SnapHit& a, const SnapHit& b) {
  return a.code == b.code && a.found == b.found && a.x == b.x && a.y == b.y && a.z == b.z;
}

template <class F>
auto both(Drawing& d, F&& f) {
  d.index.enabled = true;
  auto with = f();
  d.index.enabled = false;
  auto without = f();
  d.index.enabled = true;
  return std::pair{with, without};
}

std::vector<std::uint8_t> flags_of(const Drawing& d) {
  std::vector<std::uint8_t> v;
  for (const Element& e : d.store.list) {
    v.push_back(e.selected);
    for_each_point(e, [&](const ConstPointRef& p) { v.push_back(*p.mark); });
  }
  return v;
}

void clear_flags(Drawing& d) {
  for (Element& e : d.store.list) {
    e.selected = 0;
    clear_point_marks(e);
  }
}

// Snap, pick, range and point selection at random clicks, with and without the index.
void expect_searches_agree(Drawing& d, Maker& m, int clicks) {
  const int kinds[] = {kPickAny,   kPickAnyVisible, kPickLines,   kPickCircles,
                       kPickTexts, kPickDimensions, kPickWalls,   kPickPatterns,
                       kPickRooms, kPickLights,     kPickCameras, kPickObjects};
  for (int k = 0; k < clicks; ++k) {
    const double upp = std::pow(10.0, m.u(-2.5, 0.5));
    const Vec2 c = m.click(d, 20 * upp);
    SnapQuery q;
    q.x = c.x;
    q.y = c.y;
    q.units_x = q.units_y = upp;
    if (m.i(0, 3) == 0)
      for (auto& on : q.settings.on) on = static_cast<std::uint32_t>(m.i(0, 1));
    auto [sa, sb] = both(d, [&] { return find_snap(d, q, {}); });
    ASSERT_TRUE(same(sa, sb)) << "snap at " << c.x << " " << c.y << " upp " << upp;

    PickContext pc = pick_context_for(upp);
    pc.visible_layers = m.i(0, 1) == 1;
    const int kind = kinds[m.i(0, static_cast<int>(std::size(kinds)) - 1)];
    auto [pa, pb] = both(d, [&] { return pick_element(d, pc, c.x, c.y, kind); });
    ASSERT_EQ(pa, pb) << "pick at " << c.x << " " << c.y << " kind " << kind;

    if (k % 4 == 0) {
      const double w = m.u(0.01, 30), h = m.u(0.01, 30);
      SelectionSettings ss;
      ss.layers = m.i(0, 1);
      ss.mode = m.i(0, 2);
      Filter f;
      const bool points = m.i(0, 1) == 1;
      auto select = [&] {
        clear_flags(d);
        const int n = points ? select_points(d, ss, f, 0, c.x - w, c.y - h, c.x + w, c.y + h, {})
                             : select_range(d, ss, f, 0, c.x - w, c.y - h, c.x + w, c.y + h, {});
        return std::pair{n, flags_of(d)};
      };
      auto [ra, rb] = both(d, select);
      ASSERT_EQ(ra.first, rb.first) << (points ? "points" : "range");
      ASSERT_EQ(ra.second, rb.second) << (points ? "points" : "range");
      clear_flags(d);
    }
  }
}

TEST(SpatialIndex, SearchesGiveWhatTheWalkGivesOnRandomDrawings) {
  for (unsigned seed : {1u, 2u, 3u}) {
    Drawing d;
    prepare(d);
    Maker m(seed);
    m.fill(d, 4000);
    expect_searches_agree(d, m, 400);
  }
}

TEST(SpatialIndex, CoincidentEmptyAndSingleDrawings) {
  Drawing d;
  prepare(d);
  Maker m(9);
  expect_searches_agree(d, m, 20);  // empty
  for (int k = 0; k < 300; ++k) create_line(d.store, 0, 0, 0, 5, 5, 5, 5);
  create_line(d.store, 0, 0, 0, 5, 5, 6, 5);
  expect_searches_agree(d, m, 50);
  SnapQuery q;
  q.x = q.y = 5.01;
  EXPECT_EQ(find_snap(d, q, {}).found, kFoundPoint);
}

// Two copies of one drawing, one with the index and one without, edited alike.
struct Twins {
  Drawing a, b;
  explicit Twins(unsigned seed, int n) {
    prepare(a);
    prepare(b);
    b.index.enabled = false;
    Maker ma(seed), mb(seed);
    ma.fill(a, n);
    mb.fill(b, n);
  }
  static std::vector<double> coordinates(const Element& e) {
    std::vector<double> v;
    for_each_point(e, [&](const ConstPointRef& p) { v.push_back(*p.x), v.push_back(*p.y); });
    return v;
  }
  static Element* nth(Drawing& d, int k) {
    Element* e = d.store.head();
    while (e && k-- > 0) e = e->next;
    return e;
  }
  // Kinds, headers, every point and the curves' shapes (padding bytes differ between copies).
  void expect_same_records() const {
    ASSERT_EQ(a.store.size(), b.store.size());
    const Element* x = a.store.head();
    const Element* y = b.store.head();
    for (; x && y; x = x->next, y = y->next) {
      ASSERT_EQ(x->type, y->type);
      ASSERT_EQ(x->size, y->size);
      ASSERT_EQ(x->layer, y->layer);
      ASSERT_EQ(x->selected, y->selected);
      const std::vector<double> px = coordinates(*x), py = coordinates(*y);
      ASSERT_EQ(px.size(), py.size());
      for (std::size_t i = 0; i < px.size(); ++i)
        ASSERT_TRUE(px[i] == py[i] || (std::isnan(px[i]) && std::isnan(py[i])));
      if (const Circle* c = as<Circle>(x)) {
        const Circle* o = as<Circle>(y);
        ASSERT_EQ(c->sweep, o->sweep);
        ASSERT_EQ(c->start_angle, o->start_angle);
      }
    }
  }
};

TEST(SpatialIndex, StaysExactThroughToolsEditsUndoAndRedo) {
  Twins t(5, 2500);
  Maker m(11);
  Maker adds_a(12), adds_b(12);
  t.a.indexed();
  const std::size_t builds_before = t.a.index.builds();
  int crossings_used = 0;
  for (int step = 0; step < 150; ++step) {
    const int op = m.i(0, 24) == 24 ? 7 : m.i(0, 9);
    const int k = t.a.store.size() ? m.i(0, static_cast<int>(t.a.store.size()) - 1) : 0;
    const Vec2 pick = m.click(t.a, 0.5);
    const Vec2 move{m.u(-3, 3), m.u(-3, 3)};
    // One operation, the same choices on either twin; returns what the operation returned.
    auto apply = [&](Drawing& d, Maker& adds) -> int {
      Element* e = Twins::nth(d, k);
      if (!e && op <= 4) return -2;
      auto purge_selected = [&d] {
        d.undo.record(d.store, kUndoSnapshot);
        d.store.purge();
        return 0;
      };
      switch (op) {
        case 0:  // the line tools' crossing searches
          if (Line* l = as<Line>(e))
            return extend_line(d, *l, pick) + 2 * delete_line_part(d, *l, pick);
          return -1;
        case 1:  // the curve tools'
          if (Circle* c = as<Circle>(e))
            return extend_arc(d, *c, pick) + 2 * delete_arc_part(d, *c, pick);
          return -1;
        case 2:  // the wall tools'
          if (Wall* w = as<Wall>(e)) return extend_wall(d, *w, {pick.x, pick.y});
          return -1;
        case 3: {  // moved in place after a snapshot, as the edit tools do
          d.deselect_all();
          for (Element* x = e; x && x != Twins::nth(d, k + 30); x = x->next) x->selected = 1;
          d.undo.record(d.store, kUndoSnapshot);
          for (Element& x : d.store.list)
            if (x.selected)
              for_each_point(x, [&](const PointRef& p) {
                *p.x += move.x;
                *p.y += move.y;
              });
          d.deselect_all();
          return 0;
        }
        case 4:  // deleted
          d.deselect_all();
          e->selected = 1;
          return purge_selected();
        case 7: {  // a fifth of the drawing deleted at once
          d.deselect_all();
          int n = 0;
          for (Element& x : d.store.list) x.selected = n++ % 5 == 0;
          return purge_selected();
        }
        case 5: d.undo.undo(d.store); return 0;
        case 6: d.undo.redo(d.store); return 0;
        default: {  // drawn: added at the end
          for (int n = 0; n < 3; ++n) adds.add(d);
          d.undo.record(d.store, kUndoMarkLast, 3);
          return 0;
        }
      }
    };
    const int ra = apply(t.a, adds_a);
    const int rb = apply(t.b, adds_b);
    SCOPED_TRACE("step " + std::to_string(step) + " op " + std::to_string(op));
    ASSERT_EQ(ra, rb);
    crossings_used += op <= 2 && ra > 0;
    ASSERT_NO_FATAL_FAILURE(t.expect_same_records());
    if (step % 10 == 0) {
      Maker clicks(100 + static_cast<unsigned>(step));
      expect_searches_agree(t.a, clicks, 40);
    }
  }
  EXPECT_GT(crossings_used, 5);
  // Added, changed and removed records are taken on without building the index again.
  EXPECT_EQ(t.a.index.builds(), builds_before);
  EXPECT_GT(t.a.index.bins(), 1u);  // the bulk deletes made the grid anew
}

TEST(SpatialIndex, AddedRecordsAreFoundBeforeTheNextBuild) {
  Drawing d;
  prepare(d);
  for (int k = 0; k < 1000; ++k) create_line(d.store, 0, 0, 0, k, 0, k + 0.5, 0);
  SnapQuery q;
  q.x = 2000.01;
  q.y = 0;
  EXPECT_EQ(find_snap(d, q, {}).code, kSnapClick);
  const std::size_t builds = d.index.builds();
  create_line(d.store, 0, 0, 0, 2000, 0, 2001, 0);
  SnapHit h = find_snap(d, q, {});
  EXPECT_EQ(h.found, kFoundPoint);
  EXPECT_EQ(h.x, 2000);
  EXPECT_EQ(d.index.builds(), builds);
  // Changed in place and announced: found where it is now, not where it was.
  static_cast<Line*>(d.store.tail())->start.x = 3000;
  static_cast<Line*>(d.store.tail())->end.x = 3001;
  d.store.touch();
  EXPECT_EQ(find_snap(d, q, {}).code, kSnapClick);
  q.x = 3000.01;
  EXPECT_EQ(find_snap(d, q, {}).x, 3000);
  // ... by walking the store once, not by building the index again.
  EXPECT_EQ(d.index.builds(), builds);
  // A record and its copy put back by undo: the copy is found, the freed record is not asked.
  d.deselect_all();
  d.store.tail()->selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
  d.store.purge();
  EXPECT_EQ(find_snap(d, q, {}).code, kSnapClick);
  d.undo.undo(d.store);
  EXPECT_EQ(find_snap(d, q, {}).x, 3000);
}

// With exact line thickness and without, before and after a record is moved far off the drawing.
TEST(SpatialIndex, RedrawOfAPartOfThePlanIsPixelForPixelTheSame) {
  Drawing d;
  prepare(d);
  Maker m(21);
  m.fill(d, 3000);
  Display one, two;
  for (Display* disp : {&one, &two}) {
    disp->renderer.fonts = fonts();
    ASSERT_TRUE(configure_surface(disp->screen, kMainSurface, 300, 200, d.settings).configured);
  }
  for (int round = 0; round < 4; ++round) {
    d.settings.view.exact_thickness = round % 2;
    if (round == 2) {
      for (Element& e : d.store.list)
        if (auto* l = as<Line>(&e)) {
          l->end = {5000, 5000};
          break;
        }
      d.store.touch();
    }
    Maker views(22);
    for (int k = 0; k < 12; ++k) {
      const double scale = std::pow(10.0, views.u(1.5, 4));
      const double x = views.u(0, 100), y = views.u(0, 100);
      for (Display* disp : {&one, &two}) {
        disp->screen.view().scale = scale;
        centre_view(disp->screen.view(), disp->screen.aspect, x, y);
      }
      d.index.enabled = true;
      redraw(one.renderer, one.screen, d);
      d.index.enabled = false;
      redraw(two.renderer, two.screen, d);
      d.index.enabled = true;
      int differ = 0, drawn = 0;
      const std::uint32_t background = pixel_at(two.screen.cur(), 0, 0);
      for (int py = 0; py < 200; ++py)
        for (int px = 0; px < 300; ++px) {
          const std::uint32_t p = pixel_at(two.screen.cur(), px, py);
          differ += pixel_at(one.screen.cur(), px, py) != p;
          drawn += p != background;
        }
      EXPECT_EQ(differ, 0) << "round " << round << ", view 1:" << scale << " at " << x << " " << y;
      EXPECT_GT(drawn, 0);
    }
  }
}

}  // namespace
}  // namespace korav
