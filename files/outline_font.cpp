#include "files/outline_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include <unistd.h>

#include "base/regular_file.h"

namespace korav {

namespace {

constexpr double kCoordinateFactor = 0.6;

constexpr std::string_view kSystemFontDirs[] = {
    "/usr/share/fonts/truetype/dejavu/",
    "/usr/share/fonts/truetype/",
    "/usr/local/share/fonts/",
};

std::int16_t clamp16(double v) {
  const double r = std::round(v);
  if (!(r >= -32768)) return -32768;  // also NaN
  if (r > 32767) return 32767;
  return static_cast<std::int16_t>(r);
}

// Collects the values of one glyph, or only counts them.
struct Emit {
  std::int16_t* out;
  std::size_t n = 0;
  long bearing;
  void code(int c) {
    if (out) out[n] = static_cast<std::int16_t>(c);
    ++n;
  }
  void point(double x, double y) {
    if (out) {
      out[n] = clamp16((x - bearing) * kCoordinateFactor);
      out[n + 1] = clamp16(y * kCoordinateFactor);
    }
    n += 2;
  }
};

struct Pt {
  double x, y;
};

struct LibraryDeleter {
  void operator()(FT_Library l) const { FT_Done_FreeType(l); }
};
struct FaceDeleter {
  void operator()(FT_Face f) const { FT_Done_Face(f); }
};
using Library = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDeleter>;
using Face = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDeleter>;

bool on_curve(unsigned char tag) { return (tag & 1) != 0; }
bool cubic(unsigned char tag) { return (tag & 3) == 2; }

void contour(const OutlinePoints& p, std::size_t first, std::size_t last, Emit& e) {
  auto at = [&](std::size_t i) {
    return Pt{static_cast<double>(p.x[i]), static_cast<double>(p.y[i])};
  };
  const std::size_t count = last - first + 1;
  // The contour starts at its first point on the curve; a contour of quadratic control points
  // only starts midway between its first two (TrueType allows both).
  std::size_t begin = first;
  while (begin <= last && !on_curve(p.tags[begin])) ++begin;
  const bool all_off = begin > last;
  Pt start;
  if (all_off) {
    begin = first;
    const Pt a = at(first), b = at(count > 1 ? first + 1 : first);
    start = {(a.x + b.x) / 2, (a.y + b.y) / 2};
  } else {
    start = at(begin);
  }
  e.code(kGlyphMove);
  e.point(start.x, start.y);
  Pt control[2];
  int controls = 0;
  bool is_cubic = false;
  auto segment_to = [&](Pt to) {
    if (controls == 0) {
      e.code(kGlyphLine);
      e.point(to.x, to.y);
    } else if (is_cubic && controls == 2) {
      e.code(kGlyphCubic);
      e.point(control[0].x, control[0].y);
      e.point(control[1].x, control[1].y);
      e.point(to.x, to.y);
    } else {
      e.code(kGlyphQuadratic);
      e.point(control[0].x, control[0].y);
      e.point(to.x, to.y);
    }
    controls = 0;
    is_cubic = false;
  };
  // Once round the contour: the points after the start, then back to the start.
  for (std::size_t k = 1; k <= count; ++k) {
    const std::size_t i = first + (begin - first + k) % count;
    if (!all_off && k == count) break;  // back at the start point
    const Pt q = at(i);
    if (on_curve(p.tags[i])) {
      segment_to(q);
    } else if (cubic(p.tags[i])) {
      if (controls > 0 && !is_cubic)
        segment_to({(control[0].x + q.x) / 2, (control[0].y + q.y) / 2});
      is_cubic = true;
      if (controls < 2) control[controls++] = q;
      else segment_to(q);  // a third cubic control point in a row: damaged, joined straight
    } else if (controls == 1 && !is_cubic) {
      // Two quadratic control points: the curve passes midway between them.
      e.code(kGlyphQuadratic);
      e.point(control[0].x, control[0].y);
      e.point((control[0].x + q.x) / 2, (control[0].y + q.y) / 2);
      control[0] = q;
    } else {
      if (controls > 0) segment_to(q);  // a quadratic point after cubic ones: damaged
      control[0] = q;
      controls = 1;
      is_cubic = false;
    }
  }
  if (controls > 0) segment_to(start);  // code 6 closes a straight last edge itself
  e.code(kGlyphClose);
}

}  // namespace

std::size_t outline_commands(const OutlinePoints& p, long bearing, std::int16_t* out) {
  Emit e{out, 0, bearing};
  std::size_t first = 0;
  const std::size_t points = std::min({p.x.size(), p.y.size(), p.tags.size()});
  for (short end_index : p.contour_ends) {
    if (end_index < 0) break;
    const std::size_t last = static_cast<std::size_t>(end_index);
    if (last >= points || last < first) break;  // a damaged outline ends here
    contour(p, first, last, e);
    first = last + 1;
  }
  e.code(kGlyphFillEnd);
  e.code(kGlyphEnd);
  return e.n;
}

std::string find_outline_font_file(const FontTable& t, std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos) return {};
  std::error_code ec;
  std::string path = t.directory + std::string(name);
  if (std::filesystem::is_regular_file(path, ec)) return path;
  for (std::string_view dir : kSystemFontDirs) {
    path = std::string(dir) + std::string(name);
    if (std::filesystem::is_regular_file(path, ec)) return path;
  }
  return {};
}

std::vector<std::string> system_outline_fonts() {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::string_view dir : kSystemFontDirs) {
    for (auto it = std::filesystem::directory_iterator(std::string(dir), ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
      const std::string n = it->path().filename().string();
      if (n.size() <= 20 && n.size() > 3 && it->is_regular_file(ec) &&
          (n.ends_with("ttf") || n.ends_with("TTF") || n.ends_with("pfb")))
        names.push_back(n);
    }
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

bool load_outline_font(FontTable& t, int slot, std::string_view name) {
  if (slot < 0 || slot >= kFontSlots) return false;
  FT_Library raw_library = nullptr;
  if (FT_Init_FreeType(&raw_library) != 0) {
    std::printf("%.*s\n", static_cast<int>(kMsgFontLibrary.size()), kMsgFontLibrary.data());
    return false;
  }
  Library library(raw_library);
  const std::string path = find_outline_font_file(t, name);
  // FreeType opens the path itself; refuse FIFOs and devices before it does.
  const int fd = path.empty() ? -1 : open_regular_file(path);
  FT_Face raw_face = nullptr;
  FT_Error err =
      fd < 0 ? FT_Err_Cannot_Open_Resource : FT_New_Face(library.get(), path.c_str(), 0, &raw_face);
  if (fd >= 0) ::close(fd);
  if (err != 0) {
    const std::string_view msg = err == FT_Err_Unknown_File_Format ? kMsgFontFormat : kMsgFontFile;
    std::printf("%.*s\n", static_cast<int>(msg.size()), msg.data());
    return false;
  }
  Face face(raw_face);
  if (!FT_IS_SCALABLE(face.get())) {
    std::printf("%.*s\n", static_cast<int>(kMsgNotOutline.size()), kMsgNotOutline.data());
    return false;
  }
  Font& f = t.slots[slot];
  f.kind = kOutlineFont;
  f.start.fill(-1);
  f.advance.fill(0);
  std::vector<long> xs, ys;
  // Two passes: the first counts, the second stores into the block.
  for (int round = 0; round < 2; ++round) {
    std::size_t n = 0;
    for (int c = kFirstGlyph; c < kGlyphCount; ++c) {
      std::int16_t* out = round == 1 ? f.commands.data() + n : nullptr;
      const FT_UInt index = FT_Get_Char_Index(face.get(), static_cast<FT_ULong>(c));
      if (round == 1) f.start[c] = static_cast<std::int32_t>(n);
      if (index == 0) {
        if (out) out[0] = kGlyphEnd;
        ++n;
        continue;
      }
      if (FT_Load_Glyph(face.get(), index,
                        FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP | FT_LOAD_IGNORE_TRANSFORM) != 0) {
        std::printf("Error while loading Glyph %c!\n", static_cast<char>(c));
        f = Font{};
        return false;
      }
      const FT_GlyphSlot g = face->glyph;
      const FT_Outline& o = g->outline;
      const long bearing = g->metrics.horiBearingX;
      if (round == 1) {
        const double adv = std::trunc((g->metrics.horiAdvance - bearing) * kCoordinateFactor / 10);
        f.advance[c] = clamp16(std::clamp(adv, -32768.0, 32767.0));
      }
      xs.resize(static_cast<std::size_t>(std::max<short>(o.n_points, 0)));
      ys.resize(xs.size());
      for (std::size_t i = 0; i < xs.size(); ++i) {
        xs[i] = o.points[i].x;
        ys[i] = o.points[i].y;
      }
      OutlinePoints p{
          xs, ys,
          std::span<const unsigned char>(reinterpret_cast<const unsigned char*>(o.tags), xs.size()),
          std::span<const short>(o.contours,
                                 static_cast<std::size_t>(std::max<short>(o.n_contours, 0)))};
      n += outline_commands(p, bearing, out);
    }
    if (round == 0) f.commands.assign(n, 0);
  }
  f.name.set(name);
  return true;
}

}  // namespace korav
