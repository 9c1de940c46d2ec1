// The room tools end to end through the script host, areas worked out by hand: inscriptions,
// outlines, squares subtracted or added, the point limit, units, and the alter commands.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/element_points.h"
#include "model/room_measure.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

using tool_script::click;
using tool_script::kSnapOff;
using tool_script::num;
using tool_script::Result;
using tool_script::shown;
using tool_script::twice;

// The inscription switches: description and number off, so that no names are asked.
const std::string kMeasuresOnly = kSnapOff +
                                  "set Room/Description off\nset Room/Number off\n"
                                  "set Room/Height 2.75\nset Room/Base 0\n";
// A 4 x 5 rectangle, its inscription at (1, 3).
const std::string kRoom = kMeasuresOnly + "b_room_range\n" + click(0, 0) + twice(4, 5) +
                          twice(1, 3) + "p_nop\n";
// A 1 x 1 square from (3, 0) to (4, 1), picked by the room's border at (2, 0).
const std::string kSquare = "b_room_add_range\n" + click(2, 0) + click(3, 0) + twice(4, 1) +
                            "p_nop\n";

const Room* only_room(const Result& r) {
  auto all = r.all<Room>();
  return all.size() == 1 ? all[0] : nullptr;
}

std::vector<std::string> inscription(const Result& r) {
  const Room* room = only_room(r);
  if (!room) return {};
  return room_inscription(*room, r.saved.settings.room_text);
}

struct Case {
  const char* what;
  std::string script;
  std::function<void(const Result&)> check;
};

TEST(RoomToolScripts, AreasInscriptionsAndChanges) {
  const Case cases[] = {
      {"a 4 x 5 room: 20.00 QM and 55.00 CBM, its inscription where it was put", kRoom,
       [](const Result& r) {
         EXPECT_EQ(inscription(r), (std::vector<std::string>{"20.00 QM", "55.00 CBM"}));
         const Room* room = only_room(r);
         ASSERT_NE(room, nullptr);
         EXPECT_EQ(room->pos.x, 1);
         EXPECT_EQ(room->pos.y, 3);
         EXPECT_EQ(outline_points(*room).size(), 5u);
       }},
      {"a clockwise polygon is stored counter-clockwise",
       kMeasuresOnly + "b_room_poly\n" + twice(0, 0) + twice(0, 5) + twice(4, 5) +
           twice(4, 0) + twice(0, 0) + twice(1, 1) + "p_nop\n",
       [](const Result& r) {
         const Room* room = only_room(r);
         ASSERT_NE(room, nullptr);
         const auto pts = outline_points(*room);
         ASSERT_EQ(pts.size(), 5u);
         EXPECT_GT(signed_area(pts.first(4)), 0);
         EXPECT_DOUBLE_EQ(room_area(*room), 20);
       }},
      {"a square taken away", kRoom + kSquare,
       [](const Result& r) {
         EXPECT_EQ(inscription(r), (std::vector<std::string>{"19.00 QM", "52.25 CBM"}));
       }},
      {"a square added, and one undo takes it back",
       kRoom + "set Room palette/Add the area instead of substraction on\n" + kSquare +
           kSquare + "p_undo\n",
       [](const Result& r) {
         EXPECT_EQ(inscription(r)[0], "21.00 QM");
       }},
      {"area in square centimetres, volume in cubic feet, own unit texts",
       kRoom + "set Settings/Area dimension cm\nset Settings/Area text cm2\n"
               "set Settings/Volume dimension feet\nset Settings/Volume text ft3\n",
       [](const Result& r) {
         // 55 m3 / 0.3048^3 = 1942.31 ft3
         EXPECT_EQ(inscription(r), (std::vector<std::string>{"200000.00 cm2", "1942.31 ft3"}));
       }},
      {"description and number are asked when their switches are on, and altered later",
       kSnapOff + "b_room_range\n" + click(0, 0) + twice(4, 5) + twice(1, 3) +
           "type Küche\ntype 0.12\np_nop\n" + "b_room_alter_number\n" + click(2, 0) +
           "type 0.13\np_nop\n",
       [](const Result& r) {
         const Room* room = only_room(r);
         ASSERT_NE(room, nullptr);
         EXPECT_EQ(room->description.view(), "K\xFC"
                                              "che");
         EXPECT_EQ(room->number.view(), "0.13");
         EXPECT_EQ(inscription(r).size(), 4u);
       }},
      {"factor, height and position; each one undo step",
       kRoom + "b_room_alter_factor\n" + click(2, 0) + "type 0.5\np_nop\n" +
           "b_room_alter_height\n" + click(2, 0) + "type 0.5\ntype 3\np_nop\n" +
           "b_room_position\n" + click(2, 0) + twice(2, 2) + "p_nop\n" +
           "b_room_alter_factor\n" + click(2, 0) + "type 9\np_nop\np_undo\n",
       [](const Result& r) {
         EXPECT_EQ(inscription(r), (std::vector<std::string>{"10.00 QM", "30.00 CBM"}));
         const Room* room = only_room(r);
         ASSERT_NE(room, nullptr);
         EXPECT_EQ(room->base, 0.5);
         EXPECT_EQ(room->top, 3.5);
         EXPECT_EQ(room->pos.x, 2);
       }},
      {"the inscription switches from the preset",
       kRoom + "set Room/Volume off\nb_room_alter_inscription\n" + click(2, 0) + "p_nop\n",
       [](const Result& r) {
         EXPECT_EQ(inscription(r), (std::vector<std::string>{"20.00 QM"}));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = tool_script::run(c.script);
    ASSERT_EQ(r.status, 0) << shown(r);
    ASSERT_TRUE(r.loaded);
    c.check(r);
  }
}

TEST(RoomToolScripts, TooManyPointsLeaveTheRoomAsItWas) {
  // A room of 480 points: a zigzag of 479 corners and its separator.
  // (The corners keep well away from the first one, which would close the polygon.)
  std::string script = kMeasuresOnly + "b_room_poly\n" + twice(0, 0);
  for (int i = 0; i < 477; ++i) script += twice(100 + i, i % 2 ? 10 : 0);
  script += twice(50, 400) + twice(0, 0) + twice(1, 3) + "p_nop\n";
  // 25 points more: a polygon of 24 corners inside it, picked by the first border.
  script += "b_room_add_poly\n" + click(50, 0);
  for (int i = 0; i < 24; ++i) script += twice(200 + 10 * i, 100 + (i % 2) * 10);
  script += twice(200, 100) + "p_nop\n";
  const Result r = tool_script::run(script);
  const Room* room = only_room(r);
  ASSERT_NE(room, nullptr) << shown(r);
  EXPECT_EQ(outline_points(*room).size(), 480u);
  EXPECT_EQ(r.shown("error: To many points in polygon!"), 1u) << shown(r);
}

TEST(RoomToolScripts, PromptsAreTranslated) {
  tool_script::expect_in_catalogue(
      {"Select Room:", "Text start point:", "Room description:", "Room number:", "Factor:"});
}

}  // namespace
}  // namespace korav
