// DXF export: the exact sections and groups, the edge cases of the entities (circles, rotated
// arcs, ellipses as lines, texts of two lines, the mm unit, an empty 3D file), the export
// command through the script host, and the real consumers: ezdxf reads and audits every file,
// LibreCAD converts it.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "arch/openings.h"
#include "arch/walls.h"
#include "exchange/dxf_export.h"
#include "model/drawing.h"
#include "tests/export_test_support.h"
#include "tests/files_test_support.h"
#include "tests/tool_script_support.h"
#include "three_d/wall_solid.h"

namespace korav {
namespace {

constexpr double kPi = 3.141592653589793;
using export_test::have_program;
using export_test::run_program;

std::vector<std::string> lines_of(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// The (code, value) pairs of the ENTITIES section.
std::vector<std::pair<std::string, std::string>> entities(const std::string& doc) {
  const auto l = lines_of(doc);
  std::vector<std::pair<std::string, std::string>> out;
  bool in = false;
  for (std::size_t i = 0; i + 1 < l.size(); i += 2) {
    if (l[i + 1] == "ENTITIES") in = true;
    else if (in && l[i + 1] == "ENDSEC") break;
    else if (in) out.emplace_back(l[i], l[i + 1]);
  }
  return out;
}

int count(const std::vector<std::pair<std::string, std::string>>& g, const std::string& kind) {
  int n = 0;
  for (const auto& [c, v] : g) n += c == "0" && v == kind;
  return n;
}

std::string value_after(const std::vector<std::pair<std::string, std::string>>& g,
                        const std::string& kind, const std::string& code, int nth = 0) {
  bool in = false;
  for (const auto& [c, v] : g) {
    if (c == "0") in = v == kind && nth-- == 0;
    else if (in && c == code) return v;
  }
  return "";
}

struct Fonts {
  FontTable table;
  Fonts() { export_test::load_fonts(table); }
};

// The drawing marked whole, with the fonts of the tree.
FontTable* marked(Drawing& d) {
  static Fonts fonts;
  export_test::mark_all(d);
  return &fonts.table;
}

std::string document(Drawing& d, DxfExportOptions o = {}) { return dxf_document(d, marked(d), o); }

DxfExportOptions mode(int m) {
  DxfExportOptions o;
  o.mode = m;
  return o;
}

// A dimension chain along the feet.
void add_dimension(Drawing& d, std::initializer_list<Point2> feet) {
  Dimension f = make_element<Dimension>(0, 1, 0);
  f.font.set("Simpel");
  f.figure_height = 2.5;
  std::vector<DimPoint> p(feet.size());
  for (std::size_t i = 0; i < p.size(); ++i) p[i].foot = p[i].measured = feet.begin()[i];
  create_dimension(d.store, f, p);
}

// A wall 0.3 thick along y = `y` from x 0 to `length`, with a window from x 1 to 2.5.
Wall* wall_with_window(Drawing& d, double y, double length) {
  WallPreset wp;
  wp.thickness = 0.3;
  Wall* w = add_wall(d, wp, axis_footprint({0, y}, {length, y}, 0.3));
  if (!w) return nullptr;
  const auto o = place_opening(*w, {1, y}, {2.5, y}, {1, y - 5}, OpeningPreset{}, 3);
  return o ? insert_opening(d, *w, *o) : nullptr;
}

Circle circle(double r, double sweep, double start, double rot, double r2 = -1) {
  Circle c = make_element<Circle>(0, 2, 0);
  c.centre = {1, 2};
  c.radius1 = r;
  c.radius2 = r2 < 0 ? r : r2;
  c.sweep = sweep;
  c.start_angle = start;
  c.axis_angle = rot;
  return c;
}

TEST(DxfExport, SectionsOfThe2DFile) {
  Drawing d;
  create_line(d.store, 0, 3, 1, 0, 0, 1, 0);
  const std::string doc = document(d);
  EXPECT_EQ(doc.rfind(" 0\nSECTION\n 2\nHEADER\n 9\n$ACADVER\n 1\nAC1009\n", 0), 0u);
  EXPECT_NE(doc.find("\n  9\n$EXTMAX\n 10\n1.00000\n"), std::string::npos);
  EXPECT_NE(doc.find("0\nTABLE\n2\nLTYPE\n70\n8\n"), std::string::npos);
  EXPECT_NE(doc.find("0\nLAYER\n2\n101\n70\n64\n62\n7\n6\nCONTINUOUS\n"), std::string::npos);
  EXPECT_NE(doc.find("  0\nTABLE\n  2\nDIMSTYLE\n 70\n     1\n"), std::string::npos);
  EXPECT_NE(doc.find("143\n25.4\n"), std::string::npos);
  EXPECT_NE(doc.find("  2\n*D0\n 70\n     1\n"), std::string::npos);
  EXPECT_TRUE(std::string_view(doc).ends_with("0\nENDSEC\n0\nEOF\n"));
  const auto g = entities(doc);
  ASSERT_EQ(count(g, "LINE"), 1);
  EXPECT_EQ(value_after(g, "LINE", "8"), "104");
  EXPECT_EQ(value_after(g, "LINE", "62"), "10");
  EXPECT_EQ(value_after(g, "LINE", "11"), "1.000000");
  // "2D Entities only" has no tables.
  EXPECT_EQ(document(d, mode(1)).find("TABLES"), std::string::npos);
}

TEST(DxfExport, EntityEdgeCases) {
  Drawing d;
  create(d.store, circle(0.5, 2 * kPi, 0, 0));
  create(d.store, circle(1, kPi / 2, 0, kPi / 6));
  create(d.store, circle(1, 2 * kPi, 0, 0.3, 0.5));  // an ellipse
  Text t = export_test::text_fields(0, 0, "Simpel", 2.5);
  create_text(d.store, t, "Erste\nZweite");
  const auto g = entities(document(d));
  EXPECT_EQ(count(g, "CIRCLE"), 1);
  EXPECT_EQ(value_after(g, "CIRCLE", "40"), "0.500000");
  EXPECT_EQ(count(g, "ARC"), 1);
  EXPECT_EQ(value_after(g, "ARC", "50"), "30.000000");
  EXPECT_EQ(value_after(g, "ARC", "51"), "120.000000");
  EXPECT_EQ(count(g, "ELLIPSE"), 0);
  EXPECT_GE(count(g, "LINE"), 8);
  ASSERT_EQ(count(g, "TEXT"), 2);
  EXPECT_EQ(value_after(g, "TEXT", "1", 1), "Zweite");
  // One line spacing x height lower: 1.5 x 2.5 mm at 1:100.
  EXPECT_EQ(value_after(g, "TEXT", "20", 1), "-0.375000");
  EXPECT_EQ(value_after(g, "TEXT", "40"), "0.250000");
}

TEST(DxfExport, UnitsGuidePenAndEmpty3D) {
  Drawing d;
  create_line(d.store, 0, 0, 0, 0, 0, 1, 0);
  create_line(d.store, 0, kGuidePen, 0, 0, 1, 1, 1);
  DxfExportOptions mm;
  mm.scale = 2;
  const auto g = entities(document(d, mm));
  ASSERT_EQ(count(g, "LINE"), 1);  // the guide line is not written
  EXPECT_EQ(value_after(g, "LINE", "10"), "0.000000");
  EXPECT_EQ(value_after(g, "LINE", "11"), "1000.000000");
  const std::string doc = document(d, mode(2));
  EXPECT_NE(doc.find("0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n"), std::string::npos);
  EXPECT_NE(doc.find("0\nTABLE\n2\nLAYER\n70\n0\n0\nENDTAB\n"), std::string::npos);
}

TEST(DxfExport, ThreeDModesWriteWallsWithTheirOpenings) {
  Drawing d;
  const Wall* w = wall_with_window(d, 0, 4);
  ASSERT_NE(w, nullptr);
  int triangles = 0;
  for (std::uint32_t n : wall_mesh(*w).face_sizes) triangles += int(n) - 2;
  for (int m : {2, 3}) EXPECT_EQ(count(entities(document(d, mode(m))), "3DFACE"), triangles) << m;
  // The 2D modes draw the wall's plan instead.
  EXPECT_EQ(count(entities(document(d)), "3DFACE"), 0);
}

TEST(DxfExport, ChainsBecomeOneDimensionASegment) {
  Drawing d;
  add_dimension(d, {{0, 0}, {1, 0}, {3, 0}});
  const auto g = entities(document(d));
  ASSERT_EQ(count(g, "DIMENSION"), 2);
  EXPECT_EQ(value_after(g, "DIMENSION", "2"), "*D0");
  EXPECT_EQ(value_after(g, "DIMENSION", "14", 1), "3.000000");
  EXPECT_EQ(value_after(g, "DIMENSION", "11", 1), "2.000000");
}

// Every element kind, read back by the consumers.
TEST(DxfExport, EzdxfAndLibreCadReadEveryKind) {
  files_test::TempDir dir;
  Drawing d;
  export_test::make_gallery(d);
  add_dimension(d, {{0, -3}, {4, -3}});
  const std::string path = dir.file("gallery.dxf");
  ASSERT_EQ(export_dxf(d, marked(d), DxfExportOptions{}, path), WriteStatus::kOk);

  // Debian's python has the packaged ezdxf; a python of one's own on the PATH may lack it.
  const std::string python = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
  const std::string check =
      "import sys, ezdxf\n"
      "doc = ezdxf.readfile(sys.argv[1])\n"
      "a = doc.audit()\n"
      "kinds = sorted({e.dxftype() for e in doc.modelspace()})\n"
      "print(' '.join(kinds))\n"
      "sys.exit(1 if a.has_errors else 0)\n";
  export_test::write_file(dir.file("check.py"), check);
  const auto r = run_program({python, dir.file("check.py"), path}, dir.path());
  if (r.err.find("No module named") != std::string::npos) GTEST_SKIP() << "no ezdxf";
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  for (const char* kind : {"ARC", "CIRCLE", "DIMENSION", "LINE", "POLYLINE", "TEXT"})
    EXPECT_NE(r.out.find(kind), std::string::npos) << kind << " in " << r.out;
  // The 3D mode, with a wall with a window and a solid as faces.
  ASSERT_NE(wall_with_window(d, 30, 5), nullptr);
  store_mesh(d.store, cuboid_mesh(8, 30, 9, 31, 0, 1), 0, 1, 0, "Default");
  const std::string path3 = dir.file("gallery3d.dxf");
  ASSERT_EQ(export_dxf(d, marked(d), mode(2), path3), WriteStatus::kOk);
  const auto r3 = run_program({python, dir.file("check.py"), path3}, dir.path());
  EXPECT_EQ(r3.status, 0) << r3.out << r3.err;
  EXPECT_NE(r3.out.find("3DFACE"), std::string::npos) << r3.out;

  if (!have_program("librecad")) GTEST_SKIP() << "no LibreCAD";
  const auto lc = run_program({"librecad", "dxf2pdf", "-a", "-o", dir.file("gallery.pdf"), path},
                              dir.path(), {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(lc.status, 0) << lc.out << lc.err;
  EXPECT_EQ(export_test::read_file(dir.file("gallery.pdf")).rfind("%PDF", 0), 0u) << lc.err;
}

TEST(DxfExport, TheCommandThroughTheScriptHost) {
  files_test::TempDir dir;
  const std::string out = dir.file("plan.dxf");
  const tool_script::Result r =
      tool_script::run(tool_script::kSnapOff +
                       "b_line_line\nclick 0 0\nclick 2 0\nclick 2 0\np_nop\nz_d_dxf_out\n"
                       "set Export DXF.../Scale cm\nset Export DXF.../Objects All "
                       "objects\np_file_export_dxf\nfile " +
                       out + "\nz_c_dxf_out\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.shown("file: Export DXF... -> " + out), 1u);
  const auto g = entities(export_test::read_file(out));
  EXPECT_EQ(value_after(g, "LINE", "11"), "200.000000");
  // The marks are cleared afterwards.
  for (const Element& e : r.saved.store.list) EXPECT_FALSE(e.selected);
}

}  // namespace
}  // namespace korav
