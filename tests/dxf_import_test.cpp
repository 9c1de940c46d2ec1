// DXF import: every entity kind of the fuzz target's seed, the edge cases and damage, blocks
// expanded where inserted, one undo step, a round trip through the export, and the command.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "exchange/dxf_export.h"
#include "exchange/dxf_import.h"
#include "model/drawing.h"
#include "model/element_points.h"
#include "tests/export_test_support.h"
#include "tests/files_test_support.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

std::string every_kind() {
  const std::string s = export_test::read_file(std::string(KORAV_SOURCE_DIR) +
                                               "/tests/fuzz/seeds/dxf_import/every_kind");
  return s.empty() ? s : s.substr(1);  // the fuzz target's option byte
}

template <class T>
std::vector<const T*> all(const Drawing& d) {
  std::vector<const T*> out;
  for (const Element& e : d.store.list)
    if (const T* t = as<T>(&e)) out.push_back(t);
  return out;
}

// An ENTITIES section around `body` (pairs, each line ended).
std::string file_with(const std::string& body) {
  return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n";
}

TEST(DxfImport, EveryKindOfTheSeed) {
  Drawing d;
  d.current_layer = 4;
  const DxfImportResult r = import_dxf(d, every_kind(), {});
  ASSERT_TRUE(r.imported) << r.error;
  const auto& c = r.counts;
  // The counters count what was read, block definitions included: the line, the block's line
  // and the spline's 29 pieces; the block's arc (the arc whose end angle is its start makes
  // nothing and counts nothing).
  EXPECT_EQ(c[kDxfLine], 1 + 1 + 29);
  EXPECT_EQ(c[kDxfVertex], 3);
  for (int kind :
       {kDxfPoint, kDxfCircle, kDxfArc, kDxfEllipse, kDxfText, kDxfMText, kDxfSolid, kDxf3DFace,
        kDxfInsert, kDxfBlock, kDxfDimension, kDxfHatch, kDxfLwPolyline, kDxf2DPolyline})
    EXPECT_EQ(c[kind], 1) << kind;
  EXPECT_NE(r.report.find("Problem: Unsupported ENTITY(s): WIPEOUT\n"), std::string::npos);
  EXPECT_NE(r.report.find("      LINE: 31\n"), std::string::npos);
  for (const Circle* a : all<Circle>(d)) EXPECT_FALSE(a->centre.x == 3 && a->centre.y == 3);
  EXPECT_TRUE(r.have_extents);
  EXPECT_EQ(r.xmax, 10);

  for (const Element& e : d.store.list) {
    EXPECT_EQ(e.layer, 4);  // joined onto the current layer
    EXPECT_EQ(e.group, 0);  // block definitions leave nothing of their own
  }
  // The frozen layer's line is not there; WALLS (colour 1) gives pen 2, colour 7 pen 0.
  const auto lines = all<Line>(d);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0]->pen, 0);
  EXPECT_EQ(lines[0]->end.x, 5);
  // The point is a line of no length; the block's line turned by 90 degrees at (8, 4).
  EXPECT_EQ(lines[1]->start.x, lines[1]->end.x);
  bool door = false;
  for (const Line* l : lines)
    door =
        door ||
        std::hypot(l->start.x - 8, l->start.y - 4) + std::hypot(l->end.x - 8, l->end.y - 5) < 1e-12;
  EXPECT_TRUE(door);
  const auto texts = all<Text>(d);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(text_of(*texts[0]),
            "K\xE4"
            "che");
  EXPECT_EQ(texts[0]->align, 2);
  EXPECT_DOUBLE_EQ(texts[0]->height, 2.5);  // 0.25 m at 1:100
  EXPECT_EQ(text_of(*texts[1]), "Zeile 1\nZeile 2");
  // The solid's corners turned from the zig-zag into a polygon, and its colour 5 blue.
  const auto patterns = all<Pattern>(d);
  ASSERT_EQ(patterns.size(), 2u);
  const auto solid = outline_points(*patterns[0]);
  ASSERT_EQ(solid.size(), 5u);
  EXPECT_EQ(solid[2].x, 8);
  EXPECT_EQ(solid[2].y, 2);
  EXPECT_EQ(patterns[0]->blue, 1);
  EXPECT_EQ(patterns[1]->green, 1);  // the hatch's colour 3
  // The 3D face's last corner repeats its third: a triangle.
  const auto faces = all<Object3D>(d);
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_EQ(mesh_vertices(*faces[0]).size(), 3u);
  EXPECT_EQ(all<Dimension>(d).size(), 1u);
  // One undo takes the whole import back.
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.size(), 0u);
}

TEST(DxfImport, EdgeCases) {
  Drawing d;
  // No ENTITIES section: nothing at all.
  DxfImportResult r = import_dxf(d, "0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nEOF\n", {});
  EXPECT_FALSE(r.imported);
  EXPECT_EQ(r.error, kMsgNoEntities);
  EXPECT_EQ(d.store.size(), 0u);
  // Millimetres: a 1000 long line is a metre; a line end CR LF is one end.
  DxfImportOptions mm;
  mm.scale = 2;
  r = import_dxf(
      d,
      "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n10\r\n0\r\n20\r\n0\r\n11\r\n1000\r\n"
      "21\r\n0\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n",
      mm);
  ASSERT_EQ(all<Line>(d).size(), 1u);
  EXPECT_EQ(all<Line>(d)[0]->end.x, 1);
  // "%%" and a letter and two more: all five gone; \P a line feed; braces of an MTEXT dropped.
  Drawing t;
  import_dxf(t, file_with("0\nTEXT\n40\n1\n1\nA%%x12B\n0\nMTEXT\n40\n1\n1\n{a\\Pb}\n"), {});
  ASSERT_EQ(all<Text>(t).size(), 2u);
  EXPECT_EQ(text_of(*all<Text>(t)[0]), "AB");
  EXPECT_EQ(text_of(*all<Text>(t)[1]), "a\nb");
  // A polyface face with an invisible edge (a negative index) among its first three is dropped.
  Drawing f;
  const std::string face =
      "0\nPOLYLINE\n70\n64\n71\n3\n72\n1\n"
      "0\nVERTEX\n70\n192\n10\n0\n20\n0\n0\nVERTEX\n70\n192\n10\n1\n20\n0\n"
      "0\nVERTEX\n70\n192\n10\n0\n20\n1\n"
      "0\nVERTEX\n70\n128\n71\n1\n72\n2\n73\n3\n0\nVERTEX\n70\n128\n71\n1\n72\n-2\n73\n3\n"
      "0\nSEQEND\n";
  r = import_dxf(f, file_with(face), {});
  EXPECT_EQ(all<Object3D>(f).size(), 1u);
  EXPECT_EQ(r.counts[kDxf3DPolyface], 1);
  // Angles of any size are brought into a turn at once (no stepping by whole turns).
  Drawing huge;
  r = import_dxf(huge,
                 file_with("0\nARC\n40\n1\n50\n1e300\n51\n-1e300\n0\nELLIPSE\n11\n1\n"
                           "40\n0.5\n41\n1e300\n42\n-1e300\n"),
                 {});
  EXPECT_EQ(r.counts[kDxfEllipse], 1);
  for (const Circle* c : all<Circle>(huge)) EXPECT_LE(std::fabs(c->sweep), 2 * 3.141592653589793);
  // Damage: a file that ends inside an entity keeps what came before.
  Drawing g;
  r = import_dxf(g, "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1\n11\n2\n0\nCIRCLE\n40\n", {});
  EXPECT_TRUE(r.imported);
  EXPECT_EQ(all<Line>(g).size(), 1u);
}

TEST(DxfImport, ProgressRisesThroughTheEntities) {
  std::string file = "0\nSECTION\n2\nENTITIES\n";
  for (int i = 0; i < 1000; ++i)
    file += "0\nLINE\n8\n0\n10\n" + std::to_string(i) + "\n20\n0\n11\n" + std::to_string(i) +
            "\n21\n1\n";
  file += "0\nENDSEC\n0\nEOF\n";
  Drawing d;
  std::vector<double> seen;
  const DxfImportResult r = import_dxf(d, file, {}, [&seen](double f) { seen.push_back(f); });
  EXPECT_EQ(r.created, 1000);
  // Every 201 entities: four times for a thousand, each further than the last.
  ASSERT_EQ(seen.size(), 4u);
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_GT(seen[i], i ? seen[i - 1] : 0.0);
    EXPECT_LE(seen[i], 1.0);
  }
  EXPECT_NEAR(seen[0], 201.0 / 1000, 0.01);
}

TEST(DxfImport, KeptLayersStopAtLayer999) {
  std::string tables = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n1005\n";
  for (int i = 0; i < 1005; ++i)
    tables += "0\nLAYER\n2\nL" + std::to_string(i) + "\n70\n" + (i == 3 ? "1" : "0") + "\n62\n7\n";
  tables += "0\nENDTAB\n0\nENDSEC\n";
  std::string body;
  for (int i : {0, 3, 4, 1004})
    body += "0\nLINE\n8\nL" + std::to_string(i) + "\n10\n0\n20\n0\n11\n1\n21\n0\n";
  Drawing d;
  d.current_layer = 2;
  DxfImportOptions keep;
  keep.layer_mode = 1;
  const DxfImportResult r = import_dxf(d, tables + file_with(body), keep);
  ASSERT_TRUE(r.imported);
  const auto lines = all<Line>(d);
  ASSERT_EQ(lines.size(), 3u);  // L3 is frozen
  EXPECT_EQ(lines[0]->layer, 2);
  EXPECT_EQ(lines[1]->layer, 5);  // L3 took no layer
  EXPECT_EQ(lines[2]->layer, 999);
  EXPECT_EQ(d.layers.layer[2].name.view(), "L0");
  EXPECT_EQ(d.layers.layer[2].state, 1);
}

TEST(DxfImport, RoundTripThroughTheExport) {
  Drawing d;
  export_test::make_gallery(d, false);
  for (Element& e : d.store.list) e.selected = 1;
  FontTable fonts;
  export_test::load_fonts(fonts);
  const std::string file = dxf_document(d, &fonts, DxfExportOptions{});
  Drawing back;
  const DxfImportResult r = import_dxf(back, file, {});
  ASSERT_TRUE(r.imported) << r.error;
  int circles = 0, arcs = 0, texts = 0;
  for (const Element& e : d.store.list) {
    if (const Circle* c = as<Circle>(&e); c && std::fabs(c->radius1 - c->radius2) < 0.001)
      (std::fabs(c->sweep) >= 2 * 3.141592653589793 - 1e-12 ? circles : arcs)++;
  }
  // Every TEXT written (texts a line each, room inscriptions) comes back.
  for (std::size_t at = file.find("0\nTEXT\n"); at != std::string::npos;
       at = file.find("0\nTEXT\n", at + 1))
    texts += at == 0 || file[at - 1] == '\n';
  EXPECT_EQ(r.counts[kDxfCircle], circles);
  EXPECT_EQ(r.counts[kDxfArc], arcs);
  EXPECT_EQ(r.counts[kDxfText], texts);
  EXPECT_GT(r.counts[kDxfLine], 20);
  EXPECT_EQ(r.report.find("Problem"), std::string::npos) << r.report;
}

TEST(DxfImport, TheCommandThroughTheScriptHost) {
  files_test::TempDir dir;
  const std::string in = dir.file("plan.dxf");
  export_test::write_file(in, file_with("0\nLINE\n10\n0\n20\n0\n11\n250\n21\n0\n"));
  const tool_script::Result r = tool_script::run(
      "z_d_dxf_in\nset Import DXF.../Scale cm\n"
      "p_file_import_dxf\nfile " +
      in + "\nz_c_dxf_in\np_undo\np_redo\n");
  EXPECT_EQ(r.status, 0);
  auto lines = r.all<Line>();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]->end.x, 2.5);
}

}  // namespace
}  // namespace korav
