// Helpers shared by the file tests: the fake user interface, temporary directories and a byte
// builder for hand-made files.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/drawing_file.h"
#include "model/font_table.h"
#include "tests/fake_ui.h"

namespace korav::files_test {

// The command list of a character, its end code included; empty without a glyph.
inline std::vector<std::int16_t> glyph_values(const Font& f, unsigned char c) {
  std::vector<std::int16_t> v;
  if (f.start[c] < 0) return v;
  const std::int16_t* g = f.commands.data() + f.start[c];
  for (;;) {
    const int code = *g;
    const int n = glyph_arguments(code);
    for (int k = 0; k <= n; ++k) v.push_back(g[k]);
    if (code == kGlyphEnd || n < 0) break;
    g += n + 1;
  }
  return v;
}


using ScriptedUi = FakeUi;  // the name the file tests knew it by

// A fresh directory, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "korav-files-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }
  std::vector<std::string> names() const {
    std::vector<std::string> n;
    for (auto& e : std::filesystem::directory_iterator(path_)) n.push_back(e.path().filename());
    return n;
  }

 private:
  std::string path_;
};

inline std::vector<std::uint8_t> read_all(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_all(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Builds files byte by byte, independent of the program's writer.
struct Bytes {
  std::vector<std::uint8_t> b;
  Bytes& raw(std::string_view s) {
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& u8(unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  Bytes& u16(unsigned v) { return u8(v >> 8).u8(v & 0xFF); }
  Bytes& u32(std::uint32_t v) { return u16(v >> 16).u16(v & 0xFFFF); }
  Bytes& f64(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, 8);
    for (int i = 7; i >= 0; --i) u8(static_cast<unsigned>((bits >> (8 * i)) & 0xFF));
    return *this;
  }
  // Several fields of a kind in a row.
  Bytes& f64s(std::initializer_list<double> ds) {
    for (double d : ds) f64(d);
    return *this;
  }
  Bytes& u8s(std::initializer_list<unsigned> vs) {
    for (unsigned v : vs) u8(v);
    return *this;
  }
  Bytes& name(std::string_view s, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) u8(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
    return *this;
  }
  // Element head: layer, group, pen, line type.
  Bytes& head(unsigned layer, unsigned group, unsigned pen, unsigned line_type) {
    return u16(layer).u16(group).u8(pen).u8(line_type);
  }
  std::size_t size() const { return b.size(); }
};

// A current-format chunk: key, u32 length, body. An old-format one: u16 length.
inline Bytes& chunk(Bytes& out, std::string_view key, const Bytes& body) {
  out.raw(key).u32(static_cast<std::uint32_t>(body.size()));
  out.b.insert(out.b.end(), body.b.begin(), body.b.end());
  return out;
}
inline Bytes& old_chunk(Bytes& out, std::string_view key, const Bytes& body) {
  out.raw(key).u16(static_cast<unsigned>(body.size()));
  out.b.insert(out.b.end(), body.b.begin(), body.b.end());
  return out;
}
inline Bytes current_header() { return Bytes{}.raw("KRVW").u32(4).u32(300); }
inline Bytes old_header(unsigned version = 200) { return Bytes{}.raw("KRVV").u16(4).u32(version); }

// The chunks of a current-format file: key and body, in order; the file must end after the last.
struct ChunkView {
  std::string key;
  std::vector<std::uint8_t> body;
};
inline std::vector<ChunkView> chunks_of(const std::vector<std::uint8_t>& b) {
  std::vector<ChunkView> out;
  std::size_t i = 0;
  while (i + 8 <= b.size()) {
    const std::uint32_t len = std::uint32_t{b[i + 4]} << 24 | std::uint32_t{b[i + 5]} << 16 |
                              std::uint32_t{b[i + 6]} << 8 | b[i + 7];
    if (i + 8 + len > b.size()) break;
    out.push_back({std::string(b.begin() + i, b.begin() + i + 4),
                   std::vector<std::uint8_t>(b.begin() + i + 8, b.begin() + i + 8 + len)});
    i += 8 + len;
  }
  EXPECT_EQ(i, b.size()) << "the file does not end after its last chunk";
  return out;
}

// Reads a whole file from memory into `d`.
inline ReadResult from_bytes(const std::vector<std::uint8_t>& bytes, Drawing& d,
                             int selection = 0) {
  Reader r(bytes);
  EXPECT_NE(read_header(r), 0u);
  return read_chunks(r, d, selection);
}

}  // namespace korav::files_test
