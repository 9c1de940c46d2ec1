// The text of a vector output file as it is being written: a buffer that literals and numbers
// are appended to, handed on to a sink (the file, or the PDF compressor) whenever it is nearly
// full. Numbers are written as the C locale writes them ("%.2f" gives "-1.25" with a point, in
// any locale); a number that is not finite is never written (the writers skip such
// primitives). Appending never allocates once the buffer has its capacity.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korav {

class OutputText {
 public:
  // Receives `n` bytes; false stops the writer.
  using Sink = bool (*)(void* context, const char* data, std::size_t n);

  // The buffer is handed to the sink whenever fewer than `reserve` of its `capacity` bytes are
  // free at the end of a primitive (see bound()).
  OutputText(std::size_t capacity, std::size_t reserve, Sink sink, void* context);
  OutputText(const OutputText&) = delete;
  OutputText& operator=(const OutputText&) = delete;

  OutputText& operator<<(std::string_view s) {
    buf_.append(s);
    return *this;
  }
  OutputText& operator<<(char c) {
    buf_.push_back(c);
    return *this;
  }
  // "%.2f", and "%.2f " (the number and a blank).
  OutputText& fixed(double v);
  OutputText& fixed_blank(double v) { return fixed(v) << ' '; }
  // "%.Nf" for N = `places` (0 to 9), exactly as printf rounds.
  OutputText& fixed_places(double v, int places);
  // "%d"
  OutputText& integer(long long v);
  // "%02x" of a colour byte.
  OutputText& hex2(int v);
  // "%010d"
  OutputText& padded10(long long v);

  // After each primitive: hands the buffer on when it is nearly full.
  void bound() {
    if (buf_.size() + reserve_ > capacity_) flush();
  }
  // Hands everything buffered to the sink. False once the sink has failed.
  bool flush();
  bool ok() const { return ok_; }
  // Bytes handed to the sink so far plus those buffered.
  std::size_t total() const { return handed_ + buf_.size(); }
  std::string_view buffered() const { return buf_; }

 private:
  std::string buf_;
  std::size_t capacity_, reserve_;
  Sink sink_;
  void* context_;
  std::size_t handed_ = 0;
  bool ok_ = true;
};

// A PostScript or PDF string body from a text as the elements hold it (ISO-8859-1): backslash
// and parentheses escaped, every byte that is not printable ASCII as a three-digit octal
// escape, so that the string survives any transport.
void append_string_literal(OutputText& out, std::string_view latin1);

// The two usual ends of an OutputText: appending to a std::string (context std::string*) and
// writing through a file Writer (context Writer*).
bool sink_to_string(void* context, const char* data, std::size_t n);
bool sink_to_writer(void* context, const char* data, std::size_t n);

}  // namespace korav
