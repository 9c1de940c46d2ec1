// The drawing changes of the text tools on their own: new and continued lines, and the alter
// changes on texts and room inscriptions with their undo steps.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

#include "draft/texts.h"
#include "model/drawing.h"
#include "model/element_points.h"

namespace korav {
namespace {

Text* text(Drawing& d, double x, double y, std::string_view s) {
  const Text f = new_text_fields(d, TextPreset{}, TextSize{}, {x, y}, 0, 0);
  return add_text(d, f, s);
}

Room* room(Drawing& d) {
  Room f = make_element<Room>(d.current_layer, 0, 0);
  f.font.set("Simpel");
  f.height = 2.5;
  const Point2 outline[] = {{0, 0, 0}, {4, 0, 0}, {4, 3, 0}, {kSeparator, kSeparator, 0}};
  return create_room(d.store, f, outline);
}

TEST(Texts, NewFieldsComeFromThePresetTheSizeAndTheDrawing) {
  Drawing d;
  d.current_layer = 3;
  TextPreset p;
  std::tie(p.font, p.pen, p.line_type) = std::tuple("Rund", 4, 2);
  const Text t = new_text_fields(d, p, {3.5, kTextCentered}, {1, 2}, 0.5, 7);
  // Only a justified text keeps a width.
  EXPECT_EQ(std::tuple(t.layer, t.pen, t.line_type, t.font.view(), t.height, t.align,
                       t.fitted_width, t.angle),
            std::tuple(3, 4, 2, "Rund", 3.5, kTextCentered, 0, 0.5));
  d.guide_mode = true;
  const Text g = new_text_fields(d, p, {3.5, kTextJustified}, {1, 2}, 0, 7);
  EXPECT_EQ(g.pen, kGuidePen);
  EXPECT_EQ(g.fitted_width, 7);
  // A format out of range is taken as "Left".
  EXPECT_EQ(new_text_fields(d, p, {3.5, 9}, {0, 0}, 0, 0).align, kTextLeft);
}

TEST(Texts, LinesStepDownAcrossTheirDirection) {
  Text t;
  t.height = 2.5;
  t.line_spacing = 1.5;
  EXPECT_DOUBLE_EQ(line_distance(t, 100), 0.375);
  EXPECT_DOUBLE_EQ(line_distance(t, 50), 0.1875);
  t.angle = std::numbers::pi / 6;
  const Vec2 p = next_line_position(t, {1, 1}, 100);
  EXPECT_NEAR(p.x, 1 + 0.375 * 0.5, 1e-15);
  EXPECT_NEAR(p.y, 1 - 0.375 * std::sqrt(3.0) / 2, 1e-15);
}

TEST(Texts, ContinuationNeedsTheExactPointOnTheCurrentLayer) {
  Drawing d;
  Text* a = text(d, 1, 1, "Eins");
  a->pen = 5;
  a->group = 7;
  EXPECT_EQ(text_at(d, {1, 1}), a);
  EXPECT_EQ(text_at(d, {1, 1 + 1e-12}), nullptr);
  d.current_layer = 1;
  EXPECT_EQ(text_at(d, {1, 1}), nullptr);
  const Text c = continued_fields(*a, 100);
  EXPECT_EQ(std::tuple(c.pen, c.group, c.pos.x), std::tuple(5, 0, 1));
  EXPECT_DOUBLE_EQ(c.pos.y, 1 - line_distance(*a, 100));
}

TEST(Texts, EmptyStringsCreateAndReplaceNothing) {
  Drawing d;
  EXPECT_EQ(text(d, 0, 0, ""), nullptr);
  EXPECT_TRUE(d.store.list.empty());
  Text* a = text(d, 0, 0, "Alt");
  EXPECT_EQ(replace_text_string(d, *a, ""), nullptr);
  EXPECT_EQ(text_of(*a), "Alt");
}

TEST(Texts, ReplacedStringIsOneUndoStepThatKeepsEveryField) {
  Drawing d;
  d.current_layer = 2;
  Text* a = text(d, 3, 4, "Alt");
  a->group = 9;
  Text* b = replace_text_string(d, *a, "Neu\xE4");
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(d.store.list.size(), 1u);
  EXPECT_EQ(std::tuple(text_of(*b), b->layer, b->group, b->pos.x), std::tuple("Neu\xE4", 2, 9, 3));
  d.undo.undo(d.store);
  ASSERT_EQ(d.store.list.size(), 1u);
  EXPECT_EQ(text_of(static_cast<const Text&>(*d.store.list.begin())), "Alt");
}

TEST(Texts, AlterSizeAndStyleReachRoomInscriptionsFormatOnlyTexts) {
  Drawing d;
  Text* t = text(d, 0, 0, "T");
  Room* r = room(d);
  Line* l = create_line(d.store, 0, 1, 1, 0, 0, 1, 1);
  for (Element& e : d.store.list) e.selected = 1;

  EXPECT_EQ(set_selected_text_size(d, 4), 2);
  EXPECT_EQ(std::tuple(t->height, r->height), std::tuple(4, 4));
  for (const Element& e : d.store.list) EXPECT_FALSE(e.selected);

  for (Element& e : d.store.list) e.selected = 1;
  TextPreset p;
  std::tie(p.font, p.char_width, p.char_space, p.line_spacing, p.pen, p.line_type) =
      std::tuple("Rund", 0.8, 0.2, 2, 6, 3);
  EXPECT_EQ(set_selected_text_style(d, p), 2);
  EXPECT_EQ(std::tuple(r->font.view(), r->width_factor, t->line_spacing, t->pen),
            std::tuple("Rund", 0.8, 2, 6));
  EXPECT_EQ(l->pen, 1);  // lines are not texts

  for (Element& e : d.store.list) e.selected = 1;
  EXPECT_EQ(set_selected_text_format(d, kTextJustified, 3), 1);
  EXPECT_EQ(std::tuple(t->align, t->fitted_width), std::tuple(kTextJustified, 3));

  // One undo per command: the style comes back, then the size.
  d.undo.undo(d.store);
  d.undo.undo(d.store);
  for (const Element& e : d.store.list) {
    if (const Text* x = as<Text>(&e)) {
      EXPECT_EQ(std::tuple(x->align, x->font.view(), x->height),
                std::tuple(kTextLeft, "Simpel", 4));
    }
  }
}

TEST(Texts, NothingChangesWithoutASelectionOrWithABadValue) {
  Drawing d;
  Text* t = text(d, 0, 0, "T");
  EXPECT_EQ(set_selected_text_size(d, 5), 0);
  t->selected = 1;
  EXPECT_EQ(set_selected_text_size(d, 0), 0);
  EXPECT_EQ(set_selected_text_size(d, NAN), 0);
  EXPECT_EQ(t->height, 2.5);
  t->selected = 1;
  EXPECT_EQ(set_selected_text_format(d, kTextJustified, -1), 0);
  EXPECT_EQ(t->align, kTextLeft);
}

}  // namespace
}  // namespace korav
