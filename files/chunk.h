// The chunk encoding of every native binary file (drawings, backups, symbols, the clipboard and
// settings files): a flat sequence of chunks, each a four-character key, a big-endian length
// and that many body bytes. Numbers inside a body are big-endian without padding; fixed char
// fields are written at their full width.
//
// Reader and Writer buffer their bytes themselves; a primitive costs a bounds check and a
// byte swap, never a system call. Both work over a file descriptor or over memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_file.h"

#include "model/element.h"

namespace korav {

// Header keys: KRVW files use 4-byte lengths, old KRVV files 2-byte lengths throughout.
inline constexpr std::string_view kKeyCurrent = "KRVW";
inline constexpr std::string_view kKeyOld = "KRVV";

using ChunkKey = std::array<char, 4>;

inline ChunkKey make_key(std::string_view s) {
  ChunkKey k{' ', ' ', ' ', ' '};
  for (std::size_t i = 0; i < 4 && i < s.size(); ++i) k[i] = s[i];
  return k;
}
inline std::string_view key_view(const ChunkKey& k) { return {k.data(), k.size()}; }

class Writer {
 public:
  // Appends to `memory`.
  explicit Writer(std::vector<std::uint8_t>& memory);
  // Writes to an open descriptor, which stays the caller's.
  explicit Writer(int fd);
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  ~Writer();  // flushes; a failure there is only visible through an earlier flush()

  // Key and body length (always 4 bytes: writers produce the current format only).
  bool key(std::string_view key, std::uint32_t length);
  bool u8(std::uint8_t v) { return put(&v, 1); }
  bool u16(std::uint16_t v);
  bool u32(std::uint32_t v);
  bool i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
  bool f64(double v);
  bool bytes(const void* p, std::size_t n) { return put(p, n); }
  // A fixed char field, all N bytes.
  template <std::size_t N>
  bool name(const FixedName<N>& f) {
    return put(f.s, N);
  }
  // A NUL-terminated string: its characters and the NUL.
  bool string(std::string_view s);

  // Hands buffered bytes to the sink. False once any write has failed.
  bool flush();
  bool ok() const { return ok_; }
  // Bytes accepted so far (buffered or written).
  std::uint64_t written() const { return total_ + static_cast<std::uint64_t>(cur_ - buf_.get()); }

 private:
  bool put(const void* p, std::size_t n) {
    if (static_cast<std::size_t>(buf_end_ - cur_) >= n && ok_) {
      std::memcpy(cur_, p, n);
      cur_ += n;
      return true;
    }
    return put_slow(p, n);
  }
  bool put_slow(const void* p, std::size_t n);
  bool drain(const std::uint8_t* p, std::size_t n);

  std::vector<std::uint8_t>* memory_ = nullptr;
  int fd_ = -1;
  std::unique_ptr<std::uint8_t[]> buf_;  // not zeroed: only written bytes are ever read
  std::uint8_t* buf_end_ = nullptr;
  std::uint8_t* cur_ = nullptr;
  std::uint64_t total_ = 0;
  bool ok_ = true;
};

class Reader {
 public:
  // Reads from memory that must outlive the reader.
  explicit Reader(std::span<const std::uint8_t> memory);
  // Reads from an open descriptor, which stays the caller's.
  explicit Reader(int fd);
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // Each returns true only if the whole value was read. On failure f64, u32 and u16 leave the
  // destination as it was; bytes() may have filled part of it.
  bool u8(std::uint8_t& v) { return get(&v, 1); }
  bool u16(std::uint16_t& v);
  bool u32(std::uint32_t& v);
  bool f64(double& v);
  bool bytes(void* p, std::size_t n) { return get(p, n); }
  // A fixed char field of N bytes. The last byte is forced to NUL so that the name always ends
  // inside its field, whatever the file held.
  template <std::size_t N>
  bool name(FixedName<N>& f) {
    FixedName<N> t;
    if (!get(t.s, N)) return false;
    t.s[N - 1] = 0;
    f = t;
    return true;
  }
  bool skip(std::uint64_t n);

  // The four key bytes. False at the end of the data or when fewer than four bytes are left
  // (then at_end() tells the two apart).
  bool key(ChunkKey& k) { return get(k.data(), 4); }
  // The next byte without consuming it; false at the end of the data or the limit.
  bool peek(std::uint8_t& v);
  // A chunk length: u16 in old files, else u32.
  bool length(std::uint32_t& n);
  void set_old_format(bool old) { old_format_ = old; }

  // Confines reading to the bytes before absolute position `end` (a chunk's end): any read
  // that would cross it fails. clear_limit() lifts it.
  void set_limit(std::uint64_t end);
  void clear_limit() { set_limit(kNoLimit); }
  std::uint64_t limit() const { return limit_; }
  // Bytes left before the limit (or, without one, an upper bound for the data).
  std::uint64_t left_in_limit() const {
    return limit_ == kNoLimit ? kNoLimit : limit_ - position();
  }

  std::uint64_t position() const { return buf_pos_ + static_cast<std::uint64_t>(cur_ - begin_); }
  // True when no byte is left in the data (reads one block ahead if needed).
  bool at_end();
  // Set once the descriptor reported an error (as opposed to the end of the file).
  bool io_error() const { return io_error_; }

  static constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

 private:
  bool get(void* p, std::size_t n) {
    if (static_cast<std::size_t>(stop_ - cur_) >= n) {
      std::memcpy(p, cur_, n);
      cur_ += n;
      return true;
    }
    return get_slow(p, n);
  }
  bool get_slow(void* p, std::size_t n);
  // Makes at least `n` bytes available at cur_ if the data holds them.
  bool fill(std::size_t n);
  void update_stop();

  const std::uint8_t* begin_ = nullptr;  // start of the buffered data, at file offset buf_pos_
  const std::uint8_t* cur_ = nullptr;
  const std::uint8_t* end_ = nullptr;   // end of the buffered data
  const std::uint8_t* stop_ = nullptr;  // min(end_, limit)
  std::uint64_t buf_pos_ = 0;
  std::uint64_t limit_ = kNoLimit;
  int fd_ = -1;
  std::unique_ptr<std::uint8_t[]> buf_;
  bool old_format_ = false;
  bool eof_ = false;
  bool io_error_ = false;
};

// The line reader of the text files (message catalogue, materials, presets, fonts).
enum class LineStatus {
  kLine,     // a line and its line end were read
  kTooLong,  // 255 bytes without a line end; they are in the line, the rest follows next call
  kEnd,      // end of the data without a line end; any last unterminated text is in the line
};
struct LineResult {
  LineStatus status;
  std::size_t length;  // bytes in `line` (after conversion)
};

// Reads up to a line feed, a carriage return followed by a line feed, the end of the data, or
// 255 bytes. A carriage return not followed by a line feed is kept in the line together with
// the byte after it. With `latin1_to_utf8`, the bytes are converted from ISO-8859-1 to UTF-8.
LineResult read_line(Reader& r, std::string& line, bool latin1_to_utf8);

}  // namespace korav
