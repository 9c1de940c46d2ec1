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
  cairo_surface_t* a = cairo_image_surface_create_from_png(png.c_str());
  cairo_surface_t* b = cairo_image_surface_create_from_png(ref.c_str());
  auto release = [&] {
    cairo_surface_destroy(a);
    cairo_surface_destroy(b);
  };
  if (cairo_surface_status(a) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_status(b) != CAIRO_STATUS_SUCCESS) {
    release();
    ADD_FAILURE() << "cannot read " << png << " or " << ref;
    return;
  }
  const int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
  if (w != cairo_image_surface_get_width(b) || h != cairo_image_surface_get_height(b)) {
    fs::copy_file(png, out, fs::copy_options::overwrite_existing);
    release();
    ADD_FAILURE() << png << " is " << w << "x" << h << ", unlike its reference " << ref;
    return;
  }
  // The difference picture is drawn into a copy of the reference.
  cairo_surface_t* d = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_surface_flush(a);
  cairo_surface_flush(b);
  const unsigned char* pa = cairo_image_surface_get_data(a);
  const unsigned char* pb = cairo_image_surface_get_data(b);
  unsigned char* pd = cairo_image_surface_get_data(d);
  const int sa = cairo_image_surface_get_stride(a), sb = cairo_image_surface_get_stride(b),
            sd = cairo_image_surface_get_stride(d);
  int differing = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const auto va = *reinterpret_cast<const std::uint32_t*>(pa + y * sa + 4 * x);
      const auto vb = *reinterpret_cast<const std::uint32_t*>(pb + y * sb + 4 * x);
      bool differs = false;
      for (int shift = 0; shift < 24; shift += 8) {
        const int ca = (va >> shift) & 0xff, cb = (vb >> shift) & 0xff;
        if (std::abs(ca - cb) > kChannelTolerance) differs = true;
      }
      differing += differs;
      std::uint32_t faded = 0;
      for (int shift = 0; shift < 24; shift += 8)
        faded |= static_cast<std::uint32_t>(192 + (((vb >> shift) & 0xff) >> 2)) << shift;
      *reinterpret_cast<std::uint32_t*>(pd + y * sd + 4 * x) = differs ? 0xff0000u : faded;
    }
  cairo_surface_mark_dirty(d);
  if (differing > kPixelsAllowedToDiffer) {
    fs::copy_file(png, out, fs::copy_options::overwrite_existing);
    cairo_surface_write_to_png(d, diff.c_str());
    ADD_FAILURE() << png.filename() << ": " << differing << " pixels differ from " << ref
                  << "; see " << out << " and " << diff;
  }
  cairo_surface_destroy(d);
  release();
}

}  // namespace korav::testing
