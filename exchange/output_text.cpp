#include "exchange/output_text.h"

#include <charconv>
#include <cmath>

#include "files/chunk.h"

namespace korav {

OutputText::OutputText(std::size_t capacity, std::size_t reserve, Sink sink, void* context)
    : capacity_(capacity), reserve_(reserve), sink_(sink), context_(context) {
  buf_.reserve(capacity + 1024);
}

OutputText& OutputText::fixed(double v) {
  if (!std::isfinite(v)) v = 0;  // never reached by the writers, which skip such primitives
  // The common case by integers: hundredths rounded to nearest, which is what %.2f gives unless
  // the value lies next to a tie between two hundredths, where the product's rounding could
  // decide it; those, and the very large, take the exact conversion.
  const double r = std::fabs(v) * 100;
  if (r < 1e15) {
    const double f = std::floor(r);
    const double frac = r - f;
    if (std::fabs(frac - 0.5) > 1e-6) {
      unsigned long long n = static_cast<unsigned long long>(f) + (frac > 0.5 ? 1 : 0);
      char tmp[24];
      char* end = tmp + sizeof tmp;
      char* p = end;
      *--p = static_cast<char>('0' + n % 10);
      n /= 10;
      *--p = static_cast<char>('0' + n % 10);
      n /= 10;
      *--p = '.';
      do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
      } while (n != 0);
      if (std::signbit(v)) *--p = '-';  // "-0.00" as printf writes it
      buf_.append(p, static_cast<std::size_t>(end - p));
      return *this;
    }
  }
  // Beyond this a double has no fraction left to print; %.2f gives up to 309 digits.
  char tmp[340];
  auto res = std::to_chars(tmp, tmp + sizeof tmp, v, std::chars_format::fixed, 2);
  if (res.ec != std::errc()) return *this << '0';
  buf_.append(tmp, static_cast<std::size_t>(res.ptr - tmp));
  return *this;
}

OutputText& OutputText::fixed_places(double v, int places) {
  if (!std::isfinite(v)) v = 0;
  if (places < 0) places = 0;
  if (places > 9) places = 9;
  char tmp[340];
  auto res = std::to_chars(tmp, tmp + sizeof tmp, v, std::chars_format::fixed, places);
  if (res.ec != std::errc()) return *this << '0';
  buf_.append(tmp, static_cast<std::size_t>(res.ptr - tmp));
  return *this;
}

OutputText& OutputText::integer(long long v) {
  char tmp[24];
  auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
  buf_.append(tmp, static_cast<std::size_t>(r.ptr - tmp));
  return *this;
}

OutputText& OutputText::hex2(int v) {
  static constexpr char kDigits[] = "0123456789abcdef";
  if (v < 0) v = 0;
  if (v > 255) v = 255;
  buf_.push_back(kDigits[v >> 4]);
  buf_.push_back(kDigits[v & 15]);
  return *this;
}

OutputText& OutputText::padded10(long long v) {
  char tmp[24];
  auto r = std::to_chars(tmp, tmp + sizeof tmp, v < 0 ? 0 : v);
  const std::size_t n = static_cast<std::size_t>(r.ptr - tmp);
  if (n < 10) buf_.append(10 - n, '0');
  buf_.append(tmp, n);
  return *this;
}

bool OutputText::flush() {
  if (!ok_) {
    buf_.clear();
    return false;
  }
  if (!buf_.empty()) {
    ok_ = sink_(context_, buf_.data(), buf_.size());
    handed_ += buf_.size();
    buf_.clear();
  }
  return ok_;
}

void append_string_literal(OutputText& out, std::string_view s) {
  for (const char ch : s) {
    const unsigned c = static_cast<unsigned char>(ch);
    if (c == '\\' || c == '(' || c == ')') {
      out << '\\' << ch;
    } else if (c >= 0x20 && c < 0x7F) {
      out << ch;
    } else {
      const char esc[4] = {'\\', static_cast<char>('0' + ((c >> 6) & 7)),
                           static_cast<char>('0' + ((c >> 3) & 7)),
                           static_cast<char>('0' + (c & 7))};
      out << std::string_view(esc, 4);
    }
  }
}

bool sink_to_string(void* context, const char* data, std::size_t n) {
  static_cast<std::string*>(context)->append(data, n);
  return true;
}

bool sink_to_writer(void* context, const char* data, std::size_t n) {
  return static_cast<Writer*>(context)->bytes(data, n);
}

}  // namespace korav
