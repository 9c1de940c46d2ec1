// Pictures compared with the reference images kept in tests/reference/. A picture matches when
// no more than a few pixels differ by more than a small tolerance in any channel (antialiasing
// may move by a shade). On a mismatch NAME.out.png (the new picture) and NAME.diff.png (the
// differing pixels in red over a faded copy of the reference) are written beside the build's
// picture, and the test fails.
//
// After a deliberate change of the drawing, refresh the references with
//   KORAV_UPDATE_REFERENCES=1 ./build/korav_tests --gtest_filter='RenderGallery.*'
// and look at the new pictures before committing them.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/png_test_support.h"

namespace korav::testing {

inline constexpr int kChannelTolerance = 32;  // of 255
inline constexpr int kPixelsAllowedToDiffer = 16;

inline std::filesystem::path reference_dir(const std::string& group) {
  return std::filesystem::path(KORAV_SOURCE_DIR) / "tests" / "reference" / group;
}

// Compares `png` (a picture the test just wrote) with the reference `group`/`name`.
inline void expect_matches_reference(const std::filesystem::path& png, const std::string& group,
                                     const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path ref = reference_dir(group) / name;
  const char* update = std::getenv("KORAV_UPDATE_REFERENCES");
  if (update && *update && std::string(update) != "0") {
    fs::create_directories(ref.parent_path());
    fs::copy_file(png, ref, fs::copy_options::overwrite_existing);
    return;
  }
  const fs::path stem = png.parent_path() / png.stem();
  const fs::path out = stem.string() + ".out.png", diff = stem.string() + ".diff.png";
  std::error_code ec;
  fs::remove(out, ec);
  fs::remove(diff, ec);
  if (!fs::exists(ref)) {
    fs::copy_file(png, out, fs::copy_options::overwrite_existing);
    ADD_FAILURE() << "no reference picture " << ref << "; the new one is " << out;
    return;
  }
  Png a, b;
  if (!read_png(png.string(), a) || !read_png(ref.string(), b)) {
    ADD_FAILURE() << "cannot read " << png << " or " << ref;
    return;
  }
  if (a.width != b.width || a.height != b.height) {
    fs::copy_file(png, out, fs::copy_options::overwrite_existing);
    ADD_FAILURE() << png << " is " << a.width << "x" << a.height << ", unlike its reference "
                  << ref;
    return;
  }
  // The difference picture: a faded copy of the reference with the differing pixels in red.
  cairo_surface_t* d = cairo_image_surface_create(CAIRO_FORMAT_RGB24, a.width, a.height);
  unsigned char* pd = cairo_image_surface_get_data(d);
  const int sd = cairo_image_surface_get_stride(d);
  int differing = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const std::uint32_t va = a.at(x, y), vb = b.at(x, y);
      bool differs = false;
      std::uint32_t faded = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        const int ca = (va >> shift) & 0xff, cb = (vb >> shift) & 0xff;
        differs = differs || std::abs(ca - cb) > kChannelTolerance;
        faded |= static_cast<std::uint32_t>(192 + (cb >> 2)) << shift;
      }
      differing += differs;
      reinterpret_cast<std::uint32_t*>(pd + y * sd)[x] = differs ? 0xff0000u : faded;
    }
  cairo_surface_mark_dirty(d);
  if (differing > kPixelsAllowedToDiffer) {
    fs::copy_file(png, out, fs::copy_options::overwrite_existing);
    cairo_surface_write_to_png(d, diff.c_str());
    ADD_FAILURE() << png.filename() << ": " << differing << " pixels differ from " << ref
                  << "; see " << out << " and " << diff;
  }
  cairo_surface_destroy(d);
}

}  // namespace korav::testing
