#include "files/chunk.h"

#include <unistd.h>

#include <bit>
#include <cerrno>

namespace korav {

namespace {

constexpr std::size_t kBufferSize = 256 * 1024;

template <class T>
T to_big(T v) {
  if constexpr (std::endian::native == std::endian::big) {
    return v;
  } else if constexpr (sizeof(T) == 2) {
    return static_cast<T>(__builtin_bswap16(v));
  } else if constexpr (sizeof(T) == 4) {
    return static_cast<T>(__builtin_bswap32(v));
  } else {
    return static_cast<T>(__builtin_bswap64(v));
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Writer

Writer::Writer(std::vector<std::uint8_t>& memory)
    : memory_(&memory), buf_(std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize)) {
  cur_ = buf_.get();
  buf_end_ = cur_ + kBufferSize;
}

Writer::Writer(int fd)
    : fd_(fd), buf_(std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize)) {
  cur_ = buf_.get();
  buf_end_ = cur_ + kBufferSize;
}

Writer::~Writer() { flush(); }

bool Writer::key(std::string_view key, std::uint32_t length) {
  ChunkKey k = make_key(key);
  return put(k.data(), 4) && u32(length);
}

bool Writer::u16(std::uint16_t v) {
  v = to_big(v);
  return put(&v, 2);
}

bool Writer::u32(std::uint32_t v) {
  v = to_big(v);
  return put(&v, 4);
}

bool Writer::f64(double v) {
  auto bits = to_big(std::bit_cast<std::uint64_t>(v));
  return put(&bits, 8);
}

bool Writer::string(std::string_view s) {
  static constexpr char nul = 0;
  return put(s.data(), s.size()) && put(&nul, 1);
}

bool Writer::put_slow(const void* p, std::size_t n) {
  if (!ok_) return false;
  auto* src = static_cast<const std::uint8_t*>(p);
  while (n > 0) {
    std::size_t room = static_cast<std::size_t>(buf_end_ - cur_);
    if (room == 0) {
      if (!flush()) return false;
      if (n >= kBufferSize) {
        if (!drain(src, n)) return false;
        total_ += n;
        return true;
      }
      continue;
    }
    std::size_t k = room < n ? room : n;
    std::memcpy(cur_, src, k);
    cur_ += k;
    src += k;
    n -= k;
  }
  return true;
}

bool Writer::drain(const std::uint8_t* p, std::size_t n) {
  if (memory_) {
    memory_->insert(memory_->end(), p, p + n);
    return true;
  }
  while (n > 0) {
    ssize_t w = ::write(fd_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      ok_ = false;
      return false;
    }
    if (w == 0) {
      ok_ = false;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

bool Writer::flush() {
  if (!ok_) return false;
  std::size_t n = static_cast<std::size_t>(cur_ - buf_.get());
  cur_ = buf_.get();
  if (n == 0) return true;
  if (!drain(buf_.get(), n)) return false;
  total_ += n;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Reader

Reader::Reader(std::span<const std::uint8_t> memory) {
  begin_ = cur_ = memory.data();
  end_ = memory.data() + memory.size();
  eof_ = true;  // nothing more than the span
  update_stop();
}

Reader::Reader(int fd)
    : fd_(fd), buf_(std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize)) {
  begin_ = cur_ = end_ = stop_ = buf_.get();
}

void Reader::update_stop() {
  stop_ = end_;
  if (limit_ != kNoLimit) {
    std::uint64_t room = limit_ > buf_pos_ ? limit_ - buf_pos_ : 0;
    if (room < static_cast<std::uint64_t>(end_ - begin_)) stop_ = begin_ + room;
    if (stop_ < cur_) stop_ = cur_;
  }
}

void Reader::set_limit(std::uint64_t end) {
  limit_ = end;
  update_stop();
}

bool Reader::fill(std::size_t n) {
  while (static_cast<std::size_t>(end_ - cur_) < n) {
    if (eof_ || fd_ < 0) return false;
    // Keep the unread bytes, move them to the front, and read behind them.
    std::size_t left = static_cast<std::size_t>(end_ - cur_);
    buf_pos_ = position();
    if (left > 0 && cur_ != buf_.get()) std::memmove(buf_.get(), cur_, left);
    begin_ = cur_ = buf_.get();
    end_ = begin_ + left;
    if (n > kBufferSize) return false;  // callers never ask for more than a buffer at once
    ssize_t got;
    do {
      got = ::read(fd_, buf_.get() + left, kBufferSize - left);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
      io_error_ = true;
      eof_ = true;
    } else if (got == 0) {
      eof_ = true;
    } else {
      end_ += got;
    }
    update_stop();
  }
  update_stop();
  return true;
}

bool Reader::get_slow(void* p, std::size_t n) {
  if (limit_ != kNoLimit && (position() > limit_ || n > limit_ - position())) return false;
  auto* out = static_cast<std::uint8_t*>(p);
  while (n > 0) {
    std::size_t avail = static_cast<std::size_t>(end_ - cur_);
    if (avail == 0) {
      if (!fill(1)) {
        update_stop();
        return false;
      }
      continue;
    }
    std::size_t k = avail < n ? avail : n;
    std::memcpy(out, cur_, k);
    cur_ += k;
    out += k;
    n -= k;
  }
  update_stop();
  return true;
}

bool Reader::u16(std::uint16_t& v) {
  std::uint16_t t;
  if (!get(&t, 2)) return false;
  v = to_big(t);
  return true;
}

bool Reader::u32(std::uint32_t& v) {
  std::uint32_t t;
  if (!get(&t, 4)) return false;
  v = to_big(t);
  return true;
}

bool Reader::f64(double& v) {
  std::uint64_t t;
  if (!get(&t, 8)) return false;
  v = std::bit_cast<double>(to_big(t));
  return true;
}

bool Reader::length(std::uint32_t& n) {
  if (!old_format_) return u32(n);
  std::uint16_t s;
  if (!u16(s)) return false;
  n = s;
  return true;
}

bool Reader::skip(std::uint64_t n) {
  if (limit_ != kNoLimit && (position() > limit_ || n > limit_ - position())) return false;
  while (n > 0) {
    std::size_t avail = static_cast<std::size_t>(end_ - cur_);
    if (avail == 0) {
      if (!fill(1)) {
        update_stop();
        return false;
      }
      continue;
    }
    std::size_t k = avail < n ? avail : static_cast<std::size_t>(n);
    cur_ += k;
    n -= k;
  }
  update_stop();
  return true;
}

bool Reader::peek(std::uint8_t& v) {
  if (cur_ == stop_) {
    if (limit_ != kNoLimit && position() >= limit_) return false;
    if (!fill(1)) return false;
  }
  v = *cur_;
  return true;
}

bool Reader::at_end() { return !fill(1); }

// ---------------------------------------------------------------------------------------------
// Lines

LineResult read_line(Reader& r, std::string& line, bool to_utf8) {
  line.clear();
  LineStatus status = LineStatus::kTooLong;
  while (line.size() < kMaxLineBytes) {
    std::uint8_t c;
    if (!r.u8(c)) {
      status = LineStatus::kEnd;
      break;
    }
    if (c == '\n') {
      status = LineStatus::kLine;
      break;
    }
    if (c == '\r') {
      std::uint8_t next;
      if (!r.peek(next)) {
        status = LineStatus::kEnd;  // a carriage return at the very end is no line end
        break;
      }
      if (next == '\n') {
        r.u8(next);
        status = LineStatus::kLine;
        break;
      }
    }
    line.push_back(static_cast<char>(c));
  }
  if (to_utf8) latin1_to_utf8(line);
  return {status, line.size()};
}

}  // namespace korav
