// The text tools end to end through the script host: placing, continuing, the editor and the
// alter commands with their undo steps; strings are checked as the saved file keeps them (Latin-1).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <tuple>

#include "files/stroke_font.h"
#include "model/element_points.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

using tool_script::click;
using tool_script::kSnapOff;
using tool_script::num;
using tool_script::Result;
using tool_script::shown;

constexpr double kPi = std::numbers::pi;

// A start point: its click and the confirmation.
std::string start(double x, double y) { return click(x, y) + click(x, y); }
const std::string kStyle =
    kSnapOff + "set Textsize/Size 2.5\nset Text/Line spacing 1.5\nset Text/Font Rund\n";

std::string str(const Text* t) { return std::string(text_of(*t)); }

using Texts = std::vector<const Text*>;
struct Case {
  const char* what;
  std::string script;
  std::size_t texts;  // how many the saved drawing holds
  std::function<void(const Result&, const Texts&)> check;
};

TEST(TextToolScripts, PlacingAndAltering) {
  const Case cases[] = {
      {"two lines at 0 degrees: the second one line spacing below, in the settings",
       kStyle + "b_text_x\n" + start(0, 0) + "type Erdgeschoß\ntype Küche 12,5 m²\n", 2,
       [](const Result&, const Texts& t) {
         EXPECT_EQ(str(t[0]), "Erdgescho\xDF");  // Latin-1, as the file keeps it
         EXPECT_EQ(str(t[1]), std::string("K\xFC") + "che 12,5 m\xB2");
         EXPECT_EQ(std::tuple(t[0]->pos.x, t[0]->pos.y), std::tuple(0, 0));
         EXPECT_NEAR(t[1]->pos.x, 0, 1e-12);
         EXPECT_NEAR(t[1]->pos.y, -0.375, 1e-12);
         EXPECT_EQ(std::tuple(t[1]->height, t[1]->angle, t[1]->font.view(), t[1]->line_spacing),
                   std::tuple(2.5, 0, "Rund", 1.5));
       }},
      {"at 90 degrees the lines step along +x",
       kStyle + "b_text_y\n" + start(1, 1) + "type A\ntype B\n", 2,
       [](const Result&, const Texts& t) {
         EXPECT_NEAR(t[0]->angle, kPi / 2, 1e-15);
         EXPECT_NEAR(t[1]->pos.x, 1.375, 1e-12);
         EXPECT_NEAR(t[1]->pos.y, 1, 1e-12);
       }},
      {"two direction points give the angle; a justified text its fitted width",
       kStyle + "set Textsize/Format Justified\nb_text_text\n" + click(5, -2) + click(8, 1) +
           click(8, 1) + click(5, -2.5) + click(8.5, -2.5) + click(8.5, -2.5) + "type Schräg\n",
       1,
       [](const Result&, const Texts& t) {
         EXPECT_NEAR(t[0]->angle, kPi / 4, 1e-12);
         EXPECT_EQ(t[0]->align, 3);
         EXPECT_NEAR(t[0]->fitted_width, 3.5, 1e-12);
         EXPECT_EQ(std::tuple(t[0]->pos.x, t[0]->pos.y), std::tuple(5, -2.5));
       }},
      {"a typed angle needs no second point",
       kStyle + "b_text_text\ntype 30\n" + start(0, 0) + "type Dreißig\n", 1,
       [](const Result&, const Texts& t) { EXPECT_NEAR(t[0]->angle, kPi / 6, 1e-12); }},
      {"an empty line creates nothing and asks for the next start point",
       kStyle + "b_text_x\n" + start(0, 0) + "type \n" + start(3, 3) + "type Zwei\n", 1,
       [](const Result& r, const Texts& t) {
         EXPECT_EQ(t[0]->pos.x, 3);
         EXPECT_EQ(r.shown("prompt: Start point:"), 2u) << shown(r);
       }},
      {"text size 0 places nothing", kStyle + "set Textsize/Size 0\nb_text_x\n" + start(0, 0), 0,
       [](const Result& r, const Texts&) {
         EXPECT_EQ(r.shown("prompt: Start point:"), 0u) << shown(r);
       }},
      {"the exact insertion point of a text continues it, in its style",
       kStyle + "b_text_x\n" + start(2, 2) + "type Erste\ntype \n" +
           "p_nop\nset Textsize/Size 7\nset Text/Font Simpel\nb_text_y\n" + start(2, 2) +
           "type Weiter\n",
       2,
       [](const Result&, const Texts& t) {
         EXPECT_EQ(std::tuple(t[1]->height, t[1]->angle, t[1]->font.view()),
                   std::tuple(2.5, 0, "Rund"));
         EXPECT_NEAR(t[1]->pos.x, 2, 1e-12);
         EXPECT_NEAR(t[1]->pos.y, 2 - 0.375, 1e-12);
       }},
      {"a point next to a text starts a new one in the settings",
       kStyle + "b_text_x\n" + start(2, 2) + "type Erste\ntype \n" + "p_nop\nb_text_y\n" +
           start(2.001, 2) + "type Neu\n",
       2,
       [](const Result&, const Texts& t) {
         EXPECT_NEAR(t[1]->angle, kPi / 2, 1e-15);
         EXPECT_EQ(t[1]->pos.x, 2.001);
       }},
      {"the font setting gives new texts their font",
       kStyle + "set Font setting/Font RundProp\nb_text_x\n" + start(0, 0) + "type A\n", 1,
       [](const Result&, const Texts& t) { EXPECT_EQ(t[0]->font.view(), "RundProp"); }},
      {"undo takes back one line at a time",
       kStyle + "b_text_x\n" + start(0, 0) + "type Eins\ntype Zwei\np_nop\np_undo\n", 1,
       [](const Result&, const Texts& t) { EXPECT_EQ(str(t[0]), "Eins"); }},
      {"the editor: a block of lines is one text, the next goes below all of them; Cancel drops",
       kStyle + "set Textsize/Use a seperate text editor on\nb_text_x\n" + start(0, 0) +
           "edit Zeile 1\\nZeile 2\nedit Drei\nedit cancel\n" + start(5, 5) + "edit cancel\n",
       2,
       [](const Result& r, const Texts& t) {
         EXPECT_EQ(str(t[0]), "Zeile 1\nZeile 2");
         EXPECT_NEAR(t[1]->pos.y, -0.75, 1e-12);
         EXPECT_EQ(r.shown("edit: Edit Text: -> cancel"), 2u) << shown(r);
       }},
      {"alter content on the prompt line: the old string offered, one undo brings it back",
       kStyle + "b_text_x\n" + start(1, 1) + "type Wohnen\ntype \np_nop\n" +
           "b_text_alter_content\n" + click(1.1, 1) + "type Wohnen/Essen\np_nop\n" +
           "b_text_alter_content\n" + click(1.1, 1) + "type Schlafen\np_nop\np_undo\n",
       1,
       [](const Result&, const Texts& t) {
         EXPECT_EQ(std::tuple(str(t[0]), t[0]->font.view(), t[0]->pos.x),
                   std::tuple("Wohnen/Essen", "Rund", 1));
       }},
      {"alter content of a text of several lines goes to the editor, which starts with it",
       kStyle + "set Textsize/Use a seperate text editor on\nb_text_x\n" + start(1, 1) +
           "edit A\\nB\nedit cancel\np_nop\n" +
           "set Textsize/Use a seperate text editor off\nb_text_alter_content\n" + click(1.05, 1) +
           "edit A\\nC\np_nop\n",
       1, [](const Result&, const Texts& t) { EXPECT_EQ(str(t[0]), "A\nC"); }},
      {"format, size and style go to every selected text, each in one undo step",
       kStyle + "b_text_x\n" + start(0, 0) + "type Eins\ntype Zwei\ntype \np_nop\n" +
           "set Textsize/Format Justified\nb_text_alter_format\ns_deffi_all\ns_deffi_ok\n"
           "type 0\ntype 4\np_nop\n"
           "set Textsize/Size 5\nb_text_alter_size\ns_deffi_all\ns_deffi_ok\np_nop\n"
           "set Text/Font Simpel\nset Text/Character width 0.8\nset Text/Pen 3\n"
           "b_text_alter_style\ns_deffi_all\ns_deffi_ok\np_nop\n"
           "set Textsize/Size 7\nb_text_alter_size\ns_deffi_all\ns_deffi_ok\np_nop\np_undo\n",
       2,
       [](const Result& r, const Texts& t) {
         for (const Text* x : t)  // the size 7 was undone
           EXPECT_EQ(std::tuple(x->align, x->fitted_width, x->height, x->font.view(),
                                x->width_factor, x->pen, x->selected),
                     std::tuple(3, 4, 5, "Simpel", 0.8, 3, 0));
         EXPECT_EQ(r.shown("prompt: Width:"), 1u) << shown(r);
       }},
      {"a cancelled selection changes nothing",
       kStyle + "b_text_x\n" + start(0, 0) + "type Eins\ntype \np_nop\n" +
           "set Textsize/Size 9\nb_text_alter_size\nkey Escape\np_nop\n",
       1, [](const Result&, const Texts& t) { EXPECT_EQ(t[0]->height, 2.5); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The shipped fonts, so that texts have widths to be picked along.
    const Result r = tool_script::run(c.script, [](App& a) {
      install_font_loader(a.fonts, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
    });
    ASSERT_EQ(r.status, 0) << shown(r);
    ASSERT_TRUE(r.loaded);
    const Texts t = r.all<Text>();
    EXPECT_EQ(t.size(), c.texts) << shown(r);
    if (t.size() == c.texts) c.check(r, t);
  }
}

TEST(TextToolScripts, PromptsAndTheTextsizeDialogAreTranslated) {
  // "Text:" and "Format" read the same in German.
  tool_script::expect_in_catalogue({"Edit Text:", "Select text line:", "Width:", "Textsize", "Left",
                                    "Right", "Centered", "Justified",
                                    "Use a seperate text editor"});
}

}  // namespace
}  // namespace korav
