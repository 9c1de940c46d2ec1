// The dimension tools end to end through the script host, with figures worked out by hand: a
// chain over 1.00, 2.365 and 0.885 m in the architectural style and in cm, mm, inch and feet
// and inches; sorting, duplicates, added and removed points; overrides that survive the file;
// the automatic chain across a wall with two windows; the full chain; and the radius, diameter,
// angle and height dimensions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "draft/dimensions.h"
#include "model/element_points.h"
#include "render/dimension_drawing.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

using tool_script::kSnapOff;
using tool_script::Result;
using tool_script::click;
using tool_script::num;
using tool_script::shown;
using tool_script::twice;
using Figures = std::vector<std::pair<std::string, std::string>>;

// A horizontal chain at y = -1 over the points at x = 0, 1, 3.365 and 4.25 (y = 0).
const std::string kChain = kSnapOff + "b_dim_x\n" + twice(0, -1) + twice(0, 0) + twice(1, 0) +
                           twice(3.365, 0) + twice(4.25, 0) + "p_nop\n";

const Dimension* only_dimension(const Result& r) {
  auto all = r.all<Dimension>();
  return all.size() == 1 ? all[0] : nullptr;
}

// The figures as the file outputs show them: main text and superscript.
Figures figures(const Result& r, bool screen = false) {
  Figures out;
  const Dimension* d = only_dimension(r);
  if (!d) return out;
  for (const DimensionFigureText& f : dimension_figures(r.saved, *d, screen))
    out.emplace_back(f.text, f.raised);
  return out;
}

struct Case {
  const char* what;
  std::string script;
  Figures want;  // the figures of the only dimension; none: not checked
  std::function<void(const Result&)> check = {};
  std::function<void(App&)> setup = {};
};

// A wall 6 m long and 0.365 thick along x with windows from 1 to 2 and 3.5 to 4.5: its faces
// cut at the reveals, the reveal lines across the wall, and the two end lines.
void wall_with_two_windows(App& app) {
  Wall w = make_element<Wall>(0, 0, 0);
  const double t = 0.365;
  const Point3 ring[4] = {{0, 0, 0}, {6, 0, 0}, {6, t, 0}, {0, t, 0}};
  std::copy(ring, ring + 4, w.corner);
  std::vector<OutlineLine> lines;
  auto add = [&](double x1, double y1, double x2, double y2) {
    lines.push_back({{x1, y1, 0}, {x2, y2, 0}});
  };
  for (double y : {0.0, t}) {
    add(0, y, 1, y);
    add(2, y, 3.5, y);
    add(4.5, y, 6, y);
  }
  for (double x : {0.0, 1.0, 2.0, 3.5, 4.5, 6.0}) add(x, 0, x, t);
  std::vector<Opening> windows(2);
  for (std::size_t i = 0; i < 2; ++i) {
    windows[i].kind = 3;
    const double x0 = i == 0 ? 1 : 3.5;
    const Point3 c[4] = {{x0, 0, 1}, {x0 + 1, 0, 1}, {x0 + 1, t, 1}, {x0, t, 1}};
    std::copy(c, c + 4, windows[i].corner);
  }
  ASSERT_NE(create_wall(app.drawing.store, w, lines, windows), nullptr);
}

void circle_at_origin(App& app) {
  Circle c = make_element<Circle>(0, 0, 0);
  c.radius1 = c.radius2 = 1.5;
  c.sweep = 2 * 3.141592653589793;
  create(app.drawing.store, c);
}

TEST(DimensionToolScripts, ChainsFiguresAndChanges) {
  const Figures kChainFigures{{"1.00", ""}, {"2.36", "5"}, {"88", "5"}};
  const Case cases[] = {
      {"architectural: metres with raised millimetres, centimetres below a metre", kChain,
       kChainFigures,
       [](const Result& r) {
         const Dimension* d = only_dimension(r);
         ASSERT_NE(d, nullptr);
         const auto p = dimension_points(*d);
         ASSERT_EQ(p.size(), 4u);
         EXPECT_EQ(p[1].foot.y, -1);
         EXPECT_EQ(p[1].measured.y, 0);  // linked to the element
         EXPECT_NEAR(p[2].distance, 2.365, 1e-12);
       }},
      {"centimetres", "set Dim/Unit style cm\nset Settings/Accuracy 1\n" + kChain,
       {{"100.0", ""}, {"236.5", ""}, {"88.5", ""}}},
      {"millimetres", "set Dim/Unit style mm\nset Settings/Accuracy 0\n" + kChain,
       {{"1000", ""}, {"2365", ""}, {"885", ""}}},
      // 1 / 0.0254 = 39.370, 2.365 / 0.0254 = 93.110, 0.885 / 0.0254 = 34.843
      {"inches", "set Dim/Unit style inch\nset Settings/Accuracy 2\n" + kChain,
       {{"39.37", ""}, {"93.11", ""}, {"34.84", ""}}},
      // 39.370" = 3'-3 5.92/16", 93.110" = 7'-9 1.76/16", 34.843" = 2'-10 13.48/16"
      {"feet and inches to a sixteenth", "set Dim/Unit style ft/in 1/16\n" + kChain,
       {{"3'-3 3/8\"", ""}, {"7'-9 1/8\"", ""}, {"2'-10 13/16\"", ""}}},
      {"points out of order are sorted, a point measured twice adds nothing",
       kSnapOff + "b_dim_x\n" + twice(0, -1) + twice(3.365, 0) + twice(0, 0) + twice(0, 0) +
           twice(4.25, 0) + twice(1, 0) + "p_nop\n",
       kChainFigures},
      {"a vertical chain, and one in a typed direction",
       kSnapOff + "b_dim_y\n" + twice(-1, 0) + twice(0, 0) + twice(5, 2) + "p_nop\n" +
           "b_dim_dim\ntype 45\n" + twice(0, 0) + twice(0, 0) + twice(1, 1) + twice(1, 0) +
           twice(0, 1) + "p_nop\n",
       {},
       [](const Result& r) {
         auto all = r.all<Dimension>();
         ASSERT_EQ(all.size(), 2u);
         EXPECT_NEAR(all[0]->direction, 3.141592653589793 / 2, 1e-15);
         EXPECT_NEAR(dimension_points(*all[0])[1].distance, 2, 1e-12);
         EXPECT_NEAR(dimension_points(*all[0])[1].foot.x, -1, 1e-12);
         // Along 45 degrees (1, 0) and (0, 1) have the same foot, halfway to (1, 1).
         const auto p = dimension_points(*all[1]);
         ASSERT_EQ(p.size(), 3u);
         EXPECT_NEAR(p[1].distance, std::sqrt(0.5), 1e-12);
         EXPECT_NEAR(p[2].distance, std::sqrt(0.5), 1e-12);
       }},
      {"without the link the measured points are the feet",
       "set Settings/Link to elements off\n" + kChain, {},
       [](const Result& r) {
         const Dimension* d = only_dimension(r);
         ASSERT_NE(d, nullptr);
         for (const DimPoint& p : dimension_points(*d)) EXPECT_EQ(p.measured.y, -1);
       }},
      {"a removed point merges its two segments",
       kChain + "b_dim_minus\n" + click(1, -1) + click(1, -1) + "p_nop\n",
       {{"3.36", "5"}, {"88", "5"}}},
      {"removing every point deletes the chain",
       kChain + "b_dim_minus\n" + click(1, -1) + click(1, -1) + click(0, -1) +
           click(3.365, -1) + click(4.25, -1) + "p_nop\n",
       {}, [](const Result& r) { EXPECT_EQ(r.count(kDimension), 0u); }},
      {"points added join one undo step",
       kChain + "b_dim_plus\n" + click(1, -1) + twice(2, 5) + twice(5, 0) + "p_nop\n" +
           "b_dim_plus\n" + click(1, -1) + twice(0.5, 0) + "p_nop\np_undo\n",
       {{"1.00", ""}, {"1.00", ""}, {"1.36", "5"}, {"88", "5"}, {"75", ""}}},
      {"an override shows the typed figure, with its star on the screen only",
       kChain + "b_dim_alter_value\n" + click(2.2, -0.8) + "type 2.4\np_nop\n",
       {{"1.00", ""}, {"2.40", ""}, {"88", "5"}},
       [](const Result& r) { EXPECT_EQ(figures(r, true)[1].first, "*2.40"); }},
      {"an override of 0 shows the measured distance again; original clears the others",
       kChain + "b_dim_alter_value\n" + click(2.2, -0.8) + "type 2.4\n" + click(0.5, -0.8) +
           "type 0\np_nop\nb_dim_original\n" + click(1, -1) + "p_nop\n",
       kChainFigures},
      {"a height figure and a moved figure",
       kChain + "b_dim_height\n" + click(0.5, -0.8) + "type 2.75\np_nop\n" +
           "b_dim_alter_move\n" + click(3.8, -0.8) + click(0, 0) + twice(0.5, 0.25) +
           click(0, 0) + twice(0, 0) + "p_nop\n",
       {},
       [](const Result& r) {
         const Dimension* d = only_dimension(r);
         ASSERT_NE(d, nullptr);
         const auto p = dimension_points(*d);
         EXPECT_EQ(p[1].height_figure, 2.75);
         EXPECT_EQ(p[3].extra[1], -0.5);
         EXPECT_EQ(p[3].extra[2], -0.25);
         const auto f = dimension_figures(r.saved, *d, false);
         EXPECT_EQ(f[0].height, "2.75");
         EXPECT_NEAR(f[2].x, (3.365 + 4.25) / 2 + 0.5, 1e-12);
       }},
      {"size and style of the selected dimensions, each one undo step",
       kChain + "b_dim_alter_size\ns_deffi_all\ns_deffi_ok\ntype 5\np_nop\n" +
           "set Dim/Unit style cm\nset Dim/Mark style Arrow\n" +
           "b_dim_alter_style\ns_deffi_all\ns_deffi_ok\np_nop\n" +
           "b_dim_alter_size\ns_deffi_all\ns_deffi_ok\ntype 7\np_nop\np_undo\n",
       {},
       [](const Result& r) {
         const Dimension* d = only_dimension(r);
         ASSERT_NE(d, nullptr);
         EXPECT_EQ(d->figure_height, 5);
         EXPECT_EQ(d->unit_style, 2);
         EXPECT_EQ(d->mark_style, 2);
       }},
      {"the automatic chain: wall ends and reveal edges",
       kSnapOff + "b_dim_auto\ntype 0\n" + twice(0, -1) + click(-1, 0.18) + twice(7, 0.18) +
           "p_nop\n",
       {{"1.00", ""}, {"1.00", ""}, {"1.50", ""}, {"1.00", ""}, {"1.50", ""}},
       [](const Result& r) { EXPECT_EQ(dimension_points(*only_dimension(r))[0].measured.y, 0.18); },
       wall_with_two_windows},
      {"a cut line that misses every wall makes nothing and asks again",
       kSnapOff + "b_dim_auto\ntype 0\n" + twice(0, -1) + click(-1, 3) + twice(7, 3) +
           "p_nop\n",
       {},
       [](const Result& r) {
         EXPECT_EQ(r.count(kDimension), 0u);
         EXPECT_EQ(r.shown("prompt: Position of dimension:"), 2u) << shown(r);
       },
       wall_with_two_windows},
      {"radius", kSnapOff + "b_dim_r\n" + click(0, -1.5) + twice(3, 0) + "p_nop\n",
       {{"R 1.50", ""}},
       [](const Result& r) { EXPECT_EQ(dimension_points(*only_dimension(r))[1].foot.x, 1.5); },
       circle_at_origin},
      {"diameter", kSnapOff + "b_dim_d\n" + click(0, 1.5) + twice(0, 3) + "p_nop\n",
       {{"D 3.00", ""}}, {}, circle_at_origin},
      {"angle in degrees",
       kSnapOff + "b_dim_a\n" + click(0, 0) + click(2, 0) + twice(0, 2) + "p_nop\n",
       {{"90.00", ""}}},
      {"height marks against the zero point",
       kSnapOff + "b_dim_h\n" + twice(5, 0) + twice(2, 0) + twice(3, 1.5) + twice(3, -0.25) +
           "p_nop\n",
       {{"+/- 0.00", ""}, {"+ 1.50", ""}, {"- 25", ""}},
       [](const Result& r) { EXPECT_EQ(dimension_points(*only_dimension(r))[1].foot.x, 5); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = tool_script::run(c.script, c.setup);
    ASSERT_EQ(r.status, 0) << shown(r);
    ASSERT_TRUE(r.loaded);
    if (!c.want.empty()) {
      EXPECT_EQ(figures(r), c.want);
      if (figures(r) != c.want) continue;  // the checks rely on that one dimension
    }
    if (c.check) c.check(r);
  }
}

TEST(DimensionToolScripts, TheHundredthPointIsRefused) {
  std::string script = kSnapOff + "b_dim_x\n" + twice(0, -1);
  for (int i = 0; i < 100; ++i) script += twice(i * 0.1, 0);
  script += "p_nop\n";
  const Result r = tool_script::run(script);
  EXPECT_EQ(r.status, 1);  // the refusal is an error box
  EXPECT_EQ(r.shown("error: Dimension is full (99 points)!"), 1u) << shown(r);
  const Dimension* d = only_dimension(r);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->count, 99u);
}

TEST(DimensionToolScripts, PromptsAreTranslated) {
  tool_script::expect_in_catalogue({"Position of dimension:", "Measuring point:",
                                    "Select dimension:", "Select dimension figure:", "Value:",
                                    "Point at zero height:", "Dimension is full (99 points)!"});
}

}  // namespace
}  // namespace korav
