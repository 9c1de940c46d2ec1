#include "files/drawing_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <tuple>

#include "app/command_line.h"
#include "files_test_support.h"

namespace korav {
namespace {

using files_test::Bytes;
using files_test::chunk;
using files_test::chunks_of;
using files_test::ChunkView;
using files_test::current_header;
using files_test::from_bytes;
using files_test::old_chunk;
using files_test::old_header;
using files_test::read_all;
using files_test::TempDir;
using files_test::write_all;
using Buf = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------------------------
// A drawing with every kind of element, tails, groups, layers and layer sets.

void fill_sample(Drawing& d) {
  ElementStore& s = d.store;
  create_line(s, 3, 1, 2, 1.5, -2.25, 1e6, 7)->group = 4;

  Circle c = make_element<Circle>(0, 2, 0);
  c.centre = {5, 6, 0};
  std::tie(c.radius1, c.radius2, c.sweep, c.start_angle, c.axis_angle) =
      std::tuple(2, 1, 1.25, 0.5, -0.75);
  create(s, c);

  Text t = make_element<Text>(12, 3, 1);
  t.pos = {1, 2, 0};
  t.font.set("SimpelProp");
  std::tie(t.align, t.angle, t.height, t.width_factor, t.spacing, t.line_spacing, t.fitted_width) =
      std::tuple(3, 0.1, 3.5, 0.9, 0.2, 1.6, 12.5);
  create_text(s, t,
              "Wohnen \xE4 K\xFC"
              "che")
      ->group = 4;

  Dimension m = make_element<Dimension>(150, 0, 0);
  m.font.set("Rund");
  std::tie(m.unit_style, m.mark_style, m.direction, m.figure_height, m.spacing[0], m.spacing[1],
           m.spacing[2], m.display[0], m.display[1], m.extension, m.kind) =
      std::tuple(2, 1, 0.3, 2.5, 1, 2, 3, 1, 0, 0.25, 3);
  std::vector<DimPoint> dp(3);
  for (int i = 0; i < 3; ++i)
    dp[i] = {{i * 1.0, 0.5, 0}, {i * 1.0, 2.5, 1}, i * 1.0,
             i == 1 ? 7.5 : 0,  0.01 * i,          {1.0, -i * 1.0, i * 2.0}};
  create_dimension(s, m, dp);

  Wall w = make_element<Wall>(999, 5, 0);
  for (int i = 0; i < 8; ++i) w.corner[i] = {i * 1.0, i * 2.0, i < 4 ? 0.0 : 2.75, 0};
  w.material.set("Ziegel");
  w.gable = 1;
  w.gable_point[0] = {1, 2, 3, 0};
  w.gable_point[1] = {4, 5, 6, 0};
  std::vector<OutlineLine> lines(4);
  for (int i = 0; i < 4; ++i) lines[i] = {{i * 1.0, 0, 0}, {i * 1.0, 1, 0}};
  std::vector<Opening> openings(2);
  for (int k = 0; k < 2; ++k) {
    Opening& o = openings[k];
    for (int i = 0; i < 8; ++i) o.corner[i] = {k + i * 0.1, i * 0.2, i * 0.3, 0};
    std::tie(o.kind, o.subtype, o.leaf_side, o.base, o.height, o.stop_width, o.stop_depth) =
        std::tuple(k + 2, 4, 1, 0.9, 1.2, 0.05, 0.07);
  }
  create_wall(s, w, lines, openings)->group = 9;

  Pattern p = make_element<Pattern>(1, 1, 101);
  p.origin = {1, 1, 0};
  p.offset = {0.1, 0.2, 0};
  std::tie(p.pen2, p.line_type2, p.angle1, p.spacing1, p.angle2, p.spacing2, p.red, p.green, p.blue,
           p.kind) = std::tuple(4, 2, 0.785, 0.1, -0.785, 0.2, 0.25, 0.5, 0.75, 3);
  std::vector<Point2> outline = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {999, 999, 0},
                                 {2, 2, 0}, {3, 2, 0}, {3, 3, 0}, {999, 999, 0}};
  create_pattern(s, p, outline);

  Spline sp = make_element<Spline>(0, 0, 4);
  for (int i = 0; i < 4; ++i) sp.p[i] = {i * 1.5, -i * 0.5, 0};
  create(s, sp);

  Line3D l3 = make_element<Line3D>(2, 6, 0);
  l3.start = {1, 2, 3, 0};
  l3.end = {-4, -5, -6, 0};
  create(s, l3);

  Object3D o = make_element<Object3D>(0, 0, 0);
  o.material.set("Glas");
  o.option = 1;
  std::vector<std::uint32_t> faces = {3, 4};
  std::vector<Point3> verts = {
      {0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  std::vector<std::uint32_t> idx = {0, 1, 4, 0, 1, 2, 3};
  create_object3d(s, o, faces, verts, idx);

  Camera cam = make_element<Camera>(0, 0, 0);
  cam.eye = {10, 10, 1.7, 0};
  cam.target = {0, 0, 1, 0};
  std::tie(cam.lens_angle, cam.active) = std::tuple(45, 1);
  create(s, cam);

  Room r = make_element<Room>(7, 1, 0);
  r.pos = {2, 2, 0};
  r.font.set("Simpel");
  r.description.set("Bad");
  r.number.set("1.07");
  std::tie(r.angle, r.height, r.width_factor, r.spacing, r.line_spacing, r.factor, r.base, r.top) =
      std::tuple(0.2, 3, 1, 0.1, 1.5, 0.97, 0, 2.6);
  // Any byte of the switches is kept as it is.
  std::tie(r.show_area, r.show_volume, r.show_description, r.show_number) = std::tuple(1, 0, 2, 3);
  std::vector<Point2> room_outline = {{0, 0, 0}, {4, 0, 0}, {4, 3, 0}, {0, 3, 0}, {999, 999, 0}};
  create_room(s, r, room_outline);

  Light li = make_element<Light>(0, 0, 0);
  li.pos = {1, 2, 3, 0};
  li.target = {4, 5, 6, 0};
  std::tie(li.spot, li.red, li.green, li.blue, li.size, li.spot_angle, li.shadow_intensity,
           li.shadow) = std::tuple(1, 1, 0.9, 0.8, 0.5, 30, 0.3, 0);
  create(s, li);

  d.layers.layer[7].name.set("Sanit\xE4r");
  d.layers.layer[7].state = 1;
  d.layers.layer[7].value = 2.5;
  d.layers.layer[40].name.set("Leer aber benannt");  // empty, but not a default name
  d.layers.layer[3].state = 1;
  d.layers.list_names[2].set("Obergeschoss");
  d.current_layer = 7;
  save_layer_set(d, "Default");
  d.layers.layer[3].state = 0;
  save_layer_set(d, "Plan");
  d.settings.drawing_scale = 50;
  d.settings.pens[2].red = 0.125;
}

Buf to_bytes(const Drawing& d) {
  Buf out;
  {
    Writer w(out);
    EXPECT_TRUE(write_drawing(w, d));
    EXPECT_TRUE(w.flush());
  }
  return out;
}

// A line chunk's body, and an old TEXT body ("Hi" in font 3, aligned 2).
Bytes line_body(unsigned layer = 0) { return Bytes{}.head(layer, 0, 0, 0).f64s({0, 0, 1, 1}); }
Bytes old_text_hi(unsigned layer) {
  Bytes t;
  t.head(layer, 0, 2, 0).f64s({1, 2}).u8s({3, 2}).f64s({0.5, 3.5, 1, 0, 1.5, 0});
  return t.raw("Hi").u8(0);
}

std::vector<const Element*> elements(const Drawing& d) {
  std::vector<const Element*> v;
  for (const Element& e : d.store.list) v.push_back(&e);
  return v;
}

auto xy(const Point2& p) { return std::tuple(p.x, p.y); }
auto xyz(const Point3& p) { return std::tuple(p.x, p.y, p.z); }

// The fields `f` picks from two records (or two tails of n items) are equal.
template <class T, class F>
void same(const T& x, const T& y, F f) {
  EXPECT_EQ(f(x), f(y));
}
template <class T, class F>
void same_items(const T* x, const T* y, std::uint32_t n, F f) {
  for (std::uint32_t i = 0; i < n; ++i) EXPECT_EQ(f(x[i]), f(y[i])) << "item " << i;
}

// Every stored field of two elements.
void expect_same(const Element& a, const Element& b) {
  SCOPED_TRACE(std::string(element_key(a.type)));
  ASSERT_EQ(a.type, b.type);
  same(a, b,
       [](const Element& e) { return std::tuple(e.layer, e.group, e.pen, e.line_type, e.size); });
  switch (a.type) {
    case kLine:
      same(*as<Line>(&a), *as<Line>(&b),
           [](const Line& l) { return std::tuple(xy(l.start), xy(l.end)); });
      break;
    case kCircle:
      same(*as<Circle>(&a), *as<Circle>(&b), [](const Circle& c) {
        return std::tuple(xy(c.centre), c.radius1, c.radius2, c.sweep, c.start_angle, c.axis_angle);
      });
      break;
    case kText:
      same(*as<Text>(&a), *as<Text>(&b), [](const Text& t) {
        return std::tuple(xy(t.pos), t.font.view(), t.align, t.angle, t.height, t.width_factor,
                          t.spacing, t.line_spacing, t.fitted_width, std::string(t.text()));
      });
      break;
    case kDimension: {
      const Dimension &m = *as<Dimension>(&a), &n = *as<Dimension>(&b);
      same(m, n, [](const Dimension& d) {
        return std::tuple(d.font.view(), d.unit_style, d.mark_style, d.direction, d.figure_height,
                          d.spacing[0], d.spacing[1], d.spacing[2], d.display[0], d.display[1],
                          d.extension, d.kind, d.count);
      });
      if (m.count == n.count)
        same_items(m.points(), n.points(), m.count, [](const DimPoint& p) {
          return std::tuple(xy(p.foot), xy(p.measured), p.distance, p.override_value,
                            p.height_figure, p.extra[0], p.extra[1], p.extra[2]);
        });
      break;
    }
    case kWall: {
      const Wall &v = *as<Wall>(&a), &w = *as<Wall>(&b);
      same_items(v.corner, w.corner, 8, xyz);
      same(v, w, [](const Wall& e) {
        return std::tuple(e.material.view(), e.gable, xyz(e.gable_point[0]), xyz(e.gable_point[1]),
                          e.line_count, e.opening_count);
      });
      if (v.line_count != w.line_count || v.opening_count != w.opening_count) break;
      same_items(v.lines(), w.lines(), v.line_count,
                 [](const OutlineLine& l) { return std::tuple(xy(l.start), xy(l.end)); });
      same_items(v.openings(), w.openings(), v.opening_count, [](const Opening& o) {
        return std::tuple(xyz(o.corner[0]), xyz(o.corner[1]), xyz(o.corner[2]), xyz(o.corner[3]),
                          xyz(o.corner[4]), xyz(o.corner[5]), xyz(o.corner[6]), xyz(o.corner[7]),
                          o.kind, o.subtype, o.leaf_side, o.base, o.height, o.stop_width,
                          o.stop_depth);
      });
      break;
    }
    case kPattern: {
      const Pattern &p = *as<Pattern>(&a), &q = *as<Pattern>(&b);
      same(p, q, [](const Pattern& e) {
        return std::tuple(e.pen2, e.line_type2, xy(e.origin), xy(e.offset), e.angle1, e.spacing1,
                          e.angle2, e.spacing2, e.red, e.green, e.blue, e.kind, e.count);
      });
      if (p.count == q.count) same_items(p.points(), q.points(), p.count, xy);
      break;
    }
    case kSpline: same_items(as<Spline>(&a)->p, as<Spline>(&b)->p, 4, xy); break;
    case kLine3D:
      same(*as<Line3D>(&a), *as<Line3D>(&b),
           [](const Line3D& l) { return std::tuple(xyz(l.start), xyz(l.end)); });
      break;
    case kObject3D: {
      const Object3D &o = *as<Object3D>(&a), &p = *as<Object3D>(&b);
      same(o, p, [](const Object3D& e) {
        return std::tuple(e.material.view(), e.option, e.face_count, e.vertex_count, e.index_count);
      });
      if (o.face_count != p.face_count || o.vertex_count != p.vertex_count ||
          o.index_count != p.index_count)
        break;
      auto id = [](std::uint32_t v) { return v; };
      same_items(o.face_sizes(), p.face_sizes(), o.face_count, id);
      same_items(o.vertices(), p.vertices(), o.vertex_count, xyz);
      same_items(o.indices(), p.indices(), o.index_count, id);
      break;
    }
    case kCamera:
      same(*as<Camera>(&a), *as<Camera>(&b), [](const Camera& c) {
        return std::tuple(xyz(c.eye), xyz(c.target), c.lens_angle, c.active);
      });
      break;
    case kRoom: {
      const Room &r = *as<Room>(&a), &s = *as<Room>(&b);
      same(r, s, [](const Room& e) {
        return std::tuple(xy(e.pos), e.font.view(), e.angle, e.height, e.width_factor, e.spacing,
                          e.line_spacing, e.description.view(), e.number.view(), e.factor, e.base,
                          e.top, e.show_area, e.show_volume, e.show_description, e.show_number,
                          e.count);
      });
      if (r.count == s.count) same_items(r.points(), s.points(), r.count, xy);
      break;
    }
    case kLight:
      same(*as<Light>(&a), *as<Light>(&b), [](const Light& l) {
        return std::tuple(xyz(l.pos), xyz(l.target), l.spot, l.red, l.green, l.blue, l.size,
                          l.spot_angle, l.shadow_intensity, l.shadow);
      });
      break;
    default: FAIL() << "unexpected kind";
  }
}

// ---------------------------------------------------------------------------------------------

TEST(DrawingFile, SaveAndLoadKeepEveryFieldAndTheBytes) {
  Drawing d;
  fill_sample(d);
  Buf first = to_bytes(d);

  Drawing back;
  ReadResult res = from_bytes(first, back);
  EXPECT_FALSE(res.damaged);
  EXPECT_EQ(res.elements, d.store.size());
  auto a = elements(d), b = elements(back);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) expect_same(*a[i], *b[i]);
  for (const Element* e : b) {
    EXPECT_EQ(e->selected, 0);
    EXPECT_FALSE(has_marked_point(*e));
  }
  const Layers& l = back.layers;
  EXPECT_EQ(std::tuple(l.layer[7].name.view(), l.layer[7].state, l.layer[7].value,
                       l.layer[40].name.view(), l.list_names[2].view()),
            std::tuple("Sanit\xE4r", 1, 2.5, "Leer aber benannt", "Obergeschoss"));
  ASSERT_EQ(l.sets.size(), 2u);
  EXPECT_EQ(std::tuple(l.sets[1].name.view(), l.sets[0].states[3], l.sets[1].states[3]),
            std::tuple("Plan", 1, 0));
  EXPECT_EQ(std::tuple(back.current_layer, back.settings.drawing_scale, back.settings.pens[2].red),
            std::tuple(7, 50, 0.125));

  EXPECT_EQ(to_bytes(back), first);
}

TEST(DrawingFile, LayoutOrderAndExactChunkLengths) {
  Drawing d;
  fill_sample(d);
  auto chunks = chunks_of(to_bytes(d));
  std::vector<std::string> keys;
  for (auto& c : chunks) keys.push_back(c.key);

  std::vector<std::string> expected = {"KRVW", "PSNP"};
  for (int i = 0; i < 8; ++i) expected.push_back("PPEN");
  for (int i = 0; i < 8; ++i) expected.push_back("PLIN");
  for (const char* k : {"PPO2", "PPR3", "PHP3", "PDXF", "PFLT", "PTEE", "PVIW", "PROD", "PMSC",
                        "PMS2", "PDI2", "PCOL"})
    expected.push_back(k);
  // Layers with elements or a name of their own, ascending: 0 1 2 3 7 12 40 150 999.
  for (int i = 0; i < 9; ++i) expected.push_back("LAY3");
  expected.push_back("LAYG");
  expected.push_back("LAS3");
  expected.push_back("LAS3");
  for (const char* k : {"LINE", "CIRC", "TEX2", "DIM3", "WALL", "PAT2", "SPLI", "LIN3", "OBJ3",
                        "OCAM", "ROO2", "LIG2"})
    expected.push_back(k);
  EXPECT_EQ(keys, expected);

  // The header, and the body lengths by key (from the file format's table).
  EXPECT_EQ(chunks[0].body, (Buf{0, 0, 1, 0x2C}));
  std::map<std::string, std::size_t> length;
  for (auto& c : chunks) length[c.key] = c.body.size();
  const std::pair<const char*, std::size_t> want[] = {
      {"LAY3", 93},           {"LAYG", 800},
      {"LAS3", 1084},         {"LINE", 38},
      {"LIN3", 54},           {"CIRC", 62},
      {"TEX2", 93 + 14},  // "Wohnen ä Küche" in ISO-8859-1
      {"DIM3", 84 + 80 * 3},  {"WALL", 295 + 32 * 4 + 227 * 2},
      {"PAT2", 101 + 16 * 8}, {"ROO2", 283 + 16 * 5},
      {"SPLI", 70},           {"OBJ3", 55 + 4 * (2 + 6 * 5 + 7)},
      {"OCAM", 66},           {"LIG2", 104}};
  for (auto [key, n] : want) EXPECT_EQ(length[key], n) << key;

  // LAY3 of layer 7: number, name at full width, state, value.
  auto lay7 = std::find_if(chunks.begin(), chunks.end(),
                           [](const ChunkView& c) { return c.key == "LAY3" && c.body[3] == 7; });
  ASSERT_NE(lay7, chunks.end());
  EXPECT_EQ(lay7->body[4], 'S');
  EXPECT_EQ(lay7->body[84], 1);
}

TEST(DrawingFile, DefaultNamedEmptyLayersAreNotWritten) {
  Drawing d;
  auto lay3_numbers = [&] {
    std::vector<int> n;
    for (auto& c : chunks_of(to_bytes(d)))
      if (c.key == "LAY3") n.push_back(c.body[2] * 256 + c.body[3]);
    return n;
  };
  EXPECT_TRUE(lay3_numbers().empty());
  create_line(d.store, 5, 0, 0, 0, 0, 1, 1);
  d.layers.layer[8].name.set("Ebene 8");      // old default: still not written
  d.layers.layer[9].name.set("Layer walls");  // a name of its own that starts like a default
  d.layers.layer[11].name.set("Layer 12");    // a default name of another layer (moved)
  d.layers.layer[12].name.set("");            // a deleted layer's cleared name
  EXPECT_EQ(lay3_numbers(), (std::vector<int>{5, 9, 11, 12}));
}

TEST(DrawingFile, LineChunkFromBytes) {
  Bytes f = current_header();
  Bytes body;
  chunk(f, "LINE", body.head(2, 3, 4, 5).f64s({1, 2, 3, 4}));
  Drawing d;
  ReadResult res = from_bytes(f.b, d);
  EXPECT_FALSE(res.damaged);
  ASSERT_EQ(d.store.size(), 1u);
  auto* l = as<Line>(d.store.head());
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(std::tuple(l->layer, l->group, l->pen, l->line_type, l->start.x, l->end.y),
            std::tuple(2, 3, 4, 5, 1, 4));
}

TEST(DrawingFile, SelectionValueAndGroupsComeWithTheElements) {
  Drawing d;
  fill_sample(d);
  Buf bytes;
  {
    Writer w(bytes);
    d.deselect_all();
    d.store.head()->selected = 1;
    d.store.tail()->selected = 1;
    ASSERT_TRUE(write_selected(w, d, 1));
  }
  auto chunks = chunks_of(bytes);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(std::tuple(chunks[0].key, chunks[1].key, chunks[2].key),
            std::tuple("KRVW", "LINE", "LIG2"));

  Drawing into;
  create_line(into.store, 0, 0, 0, 0, 0, 1, 1);
  into.store.element_counter = 0;
  ReadResult res = from_bytes(bytes, into, 1);
  EXPECT_EQ(res.elements, 2u);
  EXPECT_EQ(into.store.element_counter, 2u);
  auto v = elements(into);
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(std::tuple(v[0]->selected, v[1]->selected, v[2]->selected, v[1]->group),
            std::tuple(0, 1, 1, 4));
}

TEST(DrawingFile, SaveWritesSelectedElementsButNotTemporaryOnes) {
  Drawing d;
  for (int i = 0; i < 3; ++i) create_line(d.store, 0, 0, 0, i, 0, i, 1);
  d.store.head()->next->selected = 1;  // a tool holds a selection
  create_line(d.store, kTempLayer, 0, 0, 0, 0, 1, 1);
  create_line(d.store, kPlacingLayer, 0, 0, 0, 0, 1, 1)->selected = 1;
  Drawing back;
  from_bytes(to_bytes(d), back);
  ASSERT_EQ(back.store.size(), 3u);
  double x = 0;
  for (const Element& e : back.store.list) {
    EXPECT_EQ(static_cast<const Line&>(e).start.x, x++);
    EXPECT_EQ(e.layer, 0);
  }
}

TEST(DrawingFile, OldFileWithOldKeys) {
  Bytes f = old_header();
  old_chunk(f, "TEXT", old_text_hi(1));
  std::string long_text(200, 'w');
  Bytes text2, dim, pat1, pat2, pat3, room, ligh;
  text2.head(1, 0, 2, 0).f64s({0, 0}).u8s({99, 0}).f64s({0, 0, 0, 0, 0, 0}).raw(long_text).u8(0);
  old_chunk(f, "TEXT", text2);
  dim.head(0, 0, 0, 0).u8s({6, 1, 2}).f64s({0.5, 2.5, 1, 2, 3}).u8s({1, 1}).f64(0.2).u32(1);
  old_chunk(f, "DIMC", dim.f64s({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  // Patterns: two families; line type "points"; one family.
  pat1.head(0, 0, 1, 7).u8s({2, 3}).f64s({1, 1, 0, 0, 0.5, 0.1, 1.5, 0.2}).u32(2);
  old_chunk(f, "PATT", pat1.f64s({0, 0, 999, 999}));
  pat2.head(0, 0, 1, kLineTypePoints).u8s({2, 3}).f64s({1, 1, 0, 0, 0.5, 0.1, 1.5, 0});
  old_chunk(f, "PATT", pat2.u32(0));
  pat3.head(0, 0, 1, 0).u8s({2, 3}).f64s({1, 1, 0, 0, 0.5, 0.1, 1.5, 0});
  old_chunk(f, "PATT", pat3.u32(0));
  room.head(0, 0, 0, 0).f64s({2, 3}).u8(11).f64s({0.1, 3, 1, 0, 1.5}).name("Kind", 128);
  room.name("2.01", 40).f64s({1, 0, 2.5}).u8s({1, 1, 0, 1}).u32(1).f64s({7, 8});
  old_chunk(f, "ROOM", room);
  old_chunk(f, "LIGT", Bytes{}.head(0, 0, 0, 0).f64s({1, 2, 3}).u8(1));
  ligh.head(0, 0, 0, 0).f64s({1, 2, 3, 4, 5, 6}).u8s({0, 0}).f64s({0.1, 0.2, 0.3, 0.4, 0.5});
  old_chunk(f, "LIGH", ligh);

  Drawing d;
  ReadResult res = from_bytes(f.b, d);
  EXPECT_FALSE(res.damaged);
  auto v = elements(d);
  ASSERT_EQ(v.size(), 9u);

  auto* t = as<Text>(v[0]);
  ASSERT_NE(t, nullptr);
  // "Hi" is shorter than the old "length - 84" would allow.
  EXPECT_EQ(
      std::tuple(t->font.view(), std::string(t->text()), t->align, t->height, t->line_spacing),
      std::tuple("SimpelProp", "Hi", 2, 3.5, 1.5));
  auto* t2 = as<Text>(v[1]);
  EXPECT_EQ(t2->font.view(), "");                 // no font of that number
  EXPECT_EQ(std::string(t2->text()), long_text);  // whole, not cut by 12 bytes

  auto* m = as<Dimension>(v[2]);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(std::tuple(m->font.view(), m->kind, m->extension), std::tuple("Filled_1", 0, 0.2));
  ASSERT_EQ(m->count, 1u);
  EXPECT_EQ(std::tuple(m->points()[0].measured.y, m->points()[0].extra[2]), std::tuple(4, 10));

  auto* p = as<Pattern>(v[3]);
  EXPECT_EQ(p->kind, 1);  // two families: second spacing non-zero
  EXPECT_EQ(std::tuple(p->red, p->pen2, p->count), std::tuple(0, 2, 2u));
  EXPECT_EQ(as<Pattern>(v[4])->kind, 2);  // line type 100: points
  EXPECT_EQ(as<Pattern>(v[5])->kind, 0);

  auto* r = as<Room>(v[6]);
  EXPECT_EQ(
      std::tuple(r->font.view(), r->description.view(), r->top, r->show_number, r->points()[0].y),
      std::tuple("Filled_6", "Kind", 2.5, 1, 8));

  auto* lt = as<Light>(v[7]);
  EXPECT_EQ(std::tuple(lt->spot, lt->shadow, lt->size, lt->shadow_intensity, lt->red, lt->target.x),
            std::tuple(1, 1, 0, 1.0, 1, 0));
  auto* lh = as<Light>(v[8]);
  EXPECT_EQ(std::tuple(lh->target.z, lh->spot_angle, lh->shadow_intensity),
            std::tuple(6, 0.5, 1.0));

  // Saved again, the old keys become the current ones.
  Buf again = to_bytes(d);
  Drawing back;
  from_bytes(again, back);
  auto w = elements(back);
  ASSERT_EQ(w.size(), v.size());
  for (std::size_t i = 0; i < v.size(); ++i) expect_same(*v[i], *w[i]);
}

TEST(DrawingFile, OldLayerNumbersAreConvertedFromTheFirstLayr) {
  Bytes f = old_header();
  old_chunk(f, "LINE", line_body(23));
  old_chunk(f, "LAYR", Bytes{}.u32(45).name("Dach", 80).u32(0x101).f64(1.5));
  old_chunk(f, "LINE", line_body(23));
  old_chunk(f, "LINE", line_body(5));
  old_chunk(f, "LINE", line_body(100));
  Drawing d;
  from_bytes(f.b, d);
  auto v = elements(d);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0]->layer, 23);  // before the first LAYR
  EXPECT_EQ(std::tuple(v[1]->layer, v[2]->layer, v[3]->layer, d.layers.layer[405].name.view()),
            std::tuple(203, 5, 100, "Dach"));
  // The state is the low byte of the old one.
  EXPECT_EQ(std::tuple(d.layers.layer[405].state, d.layers.layer[405].value), std::tuple(1, 1.5));

  // The conversion is off again for the next load.
  Bytes g = current_header();
  chunk(g, "LINE", line_body(23));
  Drawing e;
  from_bytes(g.b, e);
  EXPECT_EQ(e.store.head()->layer, 23);
}

TEST(DrawingFile, UnknownKeysAreSkippedAndReported) {
  Bytes f = current_header();
  chunk(f, "ABCD", Bytes{}.u32(1).u32(2).u32(3));
  chunk(f, "LINE", line_body());
  // A known element with a longer body than its fields (a later version): the rest is skipped.
  chunk(f, "SPLI", Bytes{}.head(0, 0, 0, 0).f64s({1, 2, 3, 4, 5, 6, 7, 8}).u32(0xFFFFFFFF));
  chunk(f, "LINE", line_body());
  Drawing d;
  testing::internal::CaptureStdout();
  ReadResult res = from_bytes(f.b, d);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("unknown key *ABCD* size:12\n"), std::string::npos) << out;
  EXPECT_FALSE(res.damaged);
  EXPECT_EQ(d.store.size(), 3u);
  EXPECT_EQ(as<Spline>(d.store.head()->next)->p[3].y, 8);
}

TEST(DrawingFile, ACutFileLoadsEveryElementBeforeTheDamage) {
  Drawing d;
  for (int i = 0; i < 5; ++i) create_line(d.store, 0, 0, 0, i, 0, i, 1);
  Buf bytes = to_bytes(d);
  for (std::size_t cut : {bytes.size() - 1, bytes.size() - 38, bytes.size() - 46 + 3}) {
    Buf part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
    Drawing back;
    ReadResult res = from_bytes(part, back);
    EXPECT_TRUE(res.damaged) << cut;
    EXPECT_EQ(back.store.size(), 4u) << cut;
    EXPECT_EQ(res.damage_offset, bytes.size() - 46);
  }
}

// Counts that cannot fit their chunk are damage: nothing is created from them and nothing is
// read or allocated past the chunk.
TEST(DrawingFile, CountsThatDoNotFitTheirChunkAreDamage) {
  auto load = [](Bytes body, const char* key) {
    Bytes f = current_header();
    chunk(f, "LINE", line_body());
    chunk(f, key, body);
    chunk(f, "LINE", line_body());
    Drawing d;
    ReadResult res = from_bytes(f.b, d);
    EXPECT_TRUE(res.damaged) << key;
    EXPECT_EQ(d.store.size(), 1u) << key;
  };
  Bytes dim;
  dim.head(0, 0, 0, 0).name("", 21).u8s({0, 0}).f64s({0, 0, 0, 0, 0}).u8s({0, 0}).f64(0);
  dim.u32(1000000000).u8(0).f64s({1, 2});
  load(dim, "DIM3");
  Bytes wall;
  wall.head(0, 0, 0, 0);
  for (int i = 0; i < 24; ++i) wall.f64(0);
  wall.u32(4).u32(0x7FFFFFFF).name("", 40).u8(0);
  for (int i = 0; i < 6; ++i) wall.f64(0);
  load(wall, "WALL");
  Bytes obj;
  obj.head(0, 0, 0, 0).name("", 40).u32(3).u32(1).u8(0).u32(0xFFFFFFFF);
  for (int i = 0; i < 9; ++i) obj.f64(0);
  load(obj, "OBJ3");
  Bytes pat;
  pat.head(0, 0, 0, 0).u8(0).u8(0);
  for (int i = 0; i < 8; ++i) pat.f64(0);
  pat.u32(0xFFFFFFFF).u8(0).f64s({0, 0, 0});
  load(pat, "PAT2");
  // A text chunk shorter than its fields.
  load(Bytes{}.head(0, 0, 0, 0).f64s({0, 0}), "TEX2");
  // A line chunk whose length claims less than its fields.
  load(Bytes{}.head(0, 0, 0, 0).f64s({0, 0, 0}), "LINE");
}

TEST(DrawingFile, ElementsTheStoreRefusesAreSkipped) {
  Bytes f = current_header();
  Bytes obj;  // an index outside the mesh
  obj.head(0, 0, 0, 0).name("", 40).u32(1).u32(1).u8(0).u32(3).f64s({0, 0, 0}).u32(0).u32(0).u32(5);
  chunk(f, "OBJ3", obj);
  Bytes pat;  // more outline points than a pattern may have
  pat.head(0, 0, 0, 0).u8(0).u8(0);
  for (int i = 0; i < 8; ++i) pat.f64(0);
  pat.u32(kMaxOutlinePoints + 1).u8(0).f64s({0, 0, 0});
  for (int i = 0; i < kMaxOutlinePoints + 1; ++i) pat.f64(i).f64(0);
  chunk(f, "PAT2", pat);
  chunk(f, "LINE", line_body());
  Drawing d;
  testing::internal::CaptureStdout();
  ReadResult res = from_bytes(f.b, d);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_FALSE(res.damaged);
  EXPECT_EQ(res.refused, 2u);
  EXPECT_EQ(d.store.size(), 1u);
  EXPECT_NE(out.find("*OBJ3*"), std::string::npos);
}

TEST(DrawingFile, LongTextsAndManyDimensionPointsLoad) {
  Drawing d;
  Text t = make_element<Text>(0, 0, 0);
  std::string text(100000, 'a');
  create_text(d.store, t, text);
  std::vector<DimPoint> pts(1000);
  for (std::size_t i = 0; i < pts.size(); ++i) pts[i].distance = static_cast<double>(i);
  create_dimension(d.store, make_element<Dimension>(0, 0, 0), pts);
  Drawing back;
  from_bytes(to_bytes(d), back);
  ASSERT_EQ(back.store.size(), 2u);
  EXPECT_EQ(std::string(as<Text>(back.store.head())->text()), text);
  auto* m = as<Dimension>(back.store.tail());
  ASSERT_EQ(m->count, 1000u);
  EXPECT_EQ(m->points()[999].distance, 999);
}

TEST(DrawingFile, AnActiveCameraDeactivatesTheOthers) {
  Drawing d;
  Camera c = make_element<Camera>(0, 0, 0);
  c.active = 1;
  create(d.store, c);  // already in the drawing
  Bytes f = current_header();
  for (std::uint32_t active : {1u, 0u, 2u, 1u, 0u}) {
    Bytes body;
    body.head(0, 0, 0, 0);
    for (int i = 0; i < 7; ++i) body.f64(i);
    chunk(f, "OCAM", body.u32(active));
  }
  ReadResult res = from_bytes(f.b, d, 1);
  std::vector<std::uint32_t> act;
  for (const Element& e : d.store.list) act.push_back(as<Camera>(&e)->active);
  EXPECT_EQ(act, (std::vector<std::uint32_t>{0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(res.active_camera, as<Camera>(d.store.tail()->prev));
}

TEST(DrawingFile, NameRules) {
  EXPECT_EQ(drawing_file_name("plan"), "plan.krv");
  EXPECT_EQ(drawing_file_name("PLAN.KRV"), "PLAN.KRV");
  EXPECT_EQ(drawing_file_name("a.krv.old"), "a.krv.old");
  EXPECT_EQ(backup_file_name("plan.krv"), "plan.krv.bak");
}

// ---------------------------------------------------------------------------------------------
// Commands

TEST(DrawingFileCommand, LoadAndSaveThroughTheUser) {
  TempDir dir;
  Drawing d;
  fill_sample(d);
  FakeUi ui;
  ui.files.push_back(dir.file("plan"));
  ASSERT_TRUE(save_drawing(d, ui));
  EXPECT_EQ(ui.chooser_titles.back(), "Save Drawing...");
  EXPECT_EQ(d.file_name, dir.file("plan.krv"));
  EXPECT_FALSE(d.store.modified);

  ui.files.push_back(dir.file("COPY.KRV"));
  ASSERT_TRUE(save_drawing(d, ui));
  EXPECT_EQ(read_all(dir.file("COPY.KRV")), read_all(dir.file("plan.krv")));

  Drawing back;
  back.store.modified = true;
  ui.answers.push_back(2);  // "Cancel": the altered drawing stays
  EXPECT_EQ(load_drawing(back, ui, std::nullopt), LoadStatus::kCancelled);
  EXPECT_EQ(ui.questions.back(), "Drawing is altered and not saved!\nReally delete all?");
  ui.answers.push_back(1);
  ui.files.push_back(dir.file("plan.krv"));
  ASSERT_EQ(load_drawing(back, ui, std::nullopt), LoadStatus::kLoaded);
  EXPECT_EQ(ui.chooser_titles.back(), "Load Drawing...");
  EXPECT_EQ(std::tuple(back.store.size(), back.store.modified, back.undo.level_count(),
                       back.file_name, ui.errors.empty()),
            std::tuple(d.store.size(), false, 0, dir.file("plan.krv"), true));
}

TEST(DrawingFileCommand, ARefusedFileBecomesNoFileName) {
  TempDir dir;
  write_all(dir.file("notes.txt"), {'h', 'e', 'l', 'l', 'o', '!', '!', '!', 0, 0, 0, 0});
  Drawing d;
  d.file_name = dir.file("old.krv");
  create_line(d.store, 0, 0, 0, 0, 0, 1, 1);
  d.store.modified = false;
  FakeUi ui;
  EXPECT_EQ(load_drawing(d, ui, dir.file("notes.txt")), LoadStatus::kFailed);
  EXPECT_EQ(ui.errors, std::vector<std::string>{"This is not a Korav file!"});
  EXPECT_EQ(d.store.size(), 0u);
  EXPECT_NE(d.file_name, dir.file("notes.txt"));
  EXPECT_NE(d.file_name, dir.file("old.krv"));

  d.file_name = dir.file("old.krv");
  EXPECT_EQ(load_drawing(d, ui, dir.file("missing.krv")), LoadStatus::kFailed);
  EXPECT_EQ(ui.errors.back(), "Cannot open file");
  EXPECT_NE(d.file_name, dir.file("old.krv"));
  EXPECT_EQ(load_drawing(d, ui, dir.path()), LoadStatus::kFailed);  // a directory
  EXPECT_EQ(ui.errors.back(), "Cannot open file");
}

TEST(DrawingFileCommand, NewerVersionsAreConvertedAndDamageIsShown) {
  TempDir dir;
  Bytes f = Bytes{}.raw("KRVW").u32(4).u32(310);
  chunk(f, "LINE", line_body());
  f.raw("LI");  // cut in the middle of the next key
  write_all(dir.file("new.krv"), f.b);
  Drawing d;
  FakeUi ui;
  EXPECT_EQ(load_drawing(d, ui, dir.file("new.krv")), LoadStatus::kDamaged);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"File format 3.10 converted to 3.00"});
  ASSERT_EQ(ui.errors.size(), 1u);
  EXPECT_NE(ui.errors[0].find("damaged"), std::string::npos);
  EXPECT_EQ(d.store.size(), 1u);
  EXPECT_FALSE(d.store.modified);
}

TEST(DrawingFileCommand, AFailedSaveKeepsTheFileTheNameAndTheFlag) {
  TempDir dir;
  Drawing d;
  create_line(d.store, 0, 0, 0, 0, 0, 1, 1);
  d.file_name = dir.file("plan.krv");
  FakeUi ui;
  EXPECT_FALSE(save_drawing_to(d, ui, dir.file("no/such/dir/plan.krv")));
  EXPECT_EQ(ui.errors.back(), "Cannot open file");
  EXPECT_TRUE(d.store.modified);
  EXPECT_EQ(d.file_name, dir.file("plan.krv"));
  ui.files.clear();
  EXPECT_FALSE(save_drawing(d, ui));  // cancelled chooser
  EXPECT_TRUE(d.store.modified);
}

void save_past_size_limit(const std::string& path) {
  ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit lim = {2000, 2000};
  ::setrlimit(RLIMIT_FSIZE, &lim);
  Drawing d;
  for (int i = 0; i < 1000; ++i) create_line(d.store, 0, 0, 0, i, 0, i, 1);
  d.file_name = "before.krv";
  FakeUi ui;
  bool saved = save_drawing_to(d, ui, path);
  bool sound = !saved && ui.errors.size() == 1 && ui.errors[0] == "Cannot write file" &&
               d.store.modified && d.file_name == "before.krv" && read_all(path) == Buf{1, 2, 3};
  FakeUi bui;
  d.file_name = path;
  bool backup = write_backup(d, bui);
  sound = sound && !backup && bui.errors.size() == 1 && bui.errors[0] == "Cannot write file" &&
          !std::filesystem::exists(path + ".bak");
  std::_Exit(sound ? 0 : 1);
}

TEST(DrawingFileCommandDeathTest, AShortWriteShowsCannotWriteFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempDir dir;
  std::string path = dir.file("plan.krv");
  write_all(path, {1, 2, 3});
  EXPECT_EXIT(save_past_size_limit(path), ::testing::ExitedWithCode(0), "");
}

// The flag, the name and a failed backup's message are checked through the timer (startup_test).
TEST(DrawingFileCommand, BackupIsTheDrawingBesideItsFile) {
  TempDir dir;
  Drawing d;
  fill_sample(d);
  d.file_name = dir.file("plan.krv");
  FakeUi ui;
  ASSERT_TRUE(write_backup(d, ui));
  EXPECT_EQ(read_all(dir.file("plan.krv.bak")), to_bytes(d));
  EXPECT_FALSE(std::filesystem::exists(dir.file("plan.krv")));
}

TEST(DrawingFileCommand, ExportKrvLoadsAndWritesAgain) {
  TempDir dir;
  Drawing d;
  fill_sample(d);
  Buf bytes = to_bytes(d);
  write_all(dir.file("in.krv"), bytes);

  CommandLine cl;
  cl.drawing = dir.file("in.krv");
  cl.export_format = "krv";
  cl.export_out = dir.file("out.krv");
  EXPECT_EQ(run_export(cl), 0);
  EXPECT_EQ(read_all(dir.file("out.krv")), bytes);
  cl.export_out = dir.file("nowhere/out.krv");
  EXPECT_EQ(run_export(cl), 1);

  cl.export_format = "xyz";
  EXPECT_EQ(run_export(cl), 2);
}

// Writes the seed corpus of the drawing reader's fuzz target into the build tree, beside the
// test program (scripts/fuzz.sh reads build/fuzz_seeds).
TEST(DrawingFile, WritesFuzzSeeds) {
  const std::filesystem::path dir =
      std::filesystem::read_symlink("/proc/self/exe").parent_path() / "fuzz_seeds";
  std::filesystem::create_directories(dir);
  Drawing d;
  fill_sample(d);
  write_all(dir / "sample.krv", to_bytes(d));
  Buf only_elements;
  {
    Writer w(only_elements);
    for (Element& e : d.store.list) e.selected = 1;
    ASSERT_TRUE(write_selected(w, d, 1));
  }
  write_all(dir / "symbol.krv", only_elements);
  Bytes old = old_header();
  old_chunk(old, "LAYR", Bytes{}.u32(45).name("Dach", 80).u32(1).f64(0));
  old_chunk(old, "TEXT", old_text_hi(45));
  old_chunk(old, "LIGT", Bytes{}.head(0, 0, 0, 0).f64s({1, 2, 3}).u8(1));
  old_chunk(old, "PDIP", Bytes{}.u32(3));
  write_all(dir / "old.krv", old.b);
  Drawing back;
  ReadResult res = from_bytes(read_all(dir / "old.krv"), back);
  EXPECT_FALSE(res.damaged);
  EXPECT_EQ(back.store.size(), 2u);
}

}  // namespace
}  // namespace korav
