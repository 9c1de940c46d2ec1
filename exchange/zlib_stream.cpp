#include "exchange/zlib_stream.h"

#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <algorithm>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace korav {

namespace {

struct Deflated {
  std::string bytes;
  bool ok = false;
};

// Raw deflate of one piece (ISA-L, level 1: several times the speed of zlib's fastest level and
// a smaller result on drawing content); a piece that is not the last ends with a sync flush (an
// empty stored block, byte-aligned), the last one with the final block.
Deflated deflate_piece(const std::string& text, bool last) {
  Deflated out;
  std::vector<std::uint8_t> work(ISAL_DEF_LVL1_DEFAULT);
  isal_zstream z;
  isal_deflate_init(&z);
  z.level = 1;
  z.level_buf = work.data();
  z.level_buf_size = static_cast<std::uint32_t>(work.size());
  z.flush = SYNC_FLUSH;
  z.end_of_stream = last ? 1 : 0;
  z.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<std::uint32_t>(text.size());
  // Stored blocks bound the result: five bytes of head per 64 KiB and a few for the ends.
  out.bytes.resize(text.size() + text.size() / 8192 + 64);
  std::size_t produced = 0;
  for (;;) {
    z.next_out = reinterpret_cast<std::uint8_t*>(out.bytes.data() + produced);
    z.avail_out = static_cast<std::uint32_t>(out.bytes.size() - produced);
    const int rc = isal_deflate(&z);
    produced = out.bytes.size() - z.avail_out;
    if (rc != COMP_OK) break;
    const bool done = z.avail_in == 0 && z.internal_state.state == (last ? ZSTATE_END
                                                                         : ZSTATE_NEW_HDR);
    if (done) {
      out.ok = true;
      break;
    }
    out.bytes.resize(out.bytes.size() * 2);  // not enough room after all: more
  }
  out.bytes.resize(produced);
  return out;
}

}  // namespace

ZlibStream::ZlibStream(Sink sink, void* context, unsigned in_flight)
    : sink_(sink), context_(context), in_flight_(in_flight) {
  if (in_flight_ == 0) in_flight_ = std::max(2u, std::thread::hardware_concurrency());
}

ZlibStream::~ZlibStream() = default;  // the futures wait for their pieces

bool ZlibStream::put(const char* data, std::size_t n) {
  if (!ok_) return false;
  if (n != 0 && !sink_(context_, data, n)) return ok_ = false;
  compressed_ += n;
  return true;
}

void ZlibStream::start_piece(bool last) {
  while (pending_.size() >= in_flight_) hand_out_oldest();
  auto work = [last](std::string text) {
    Deflated d = deflate_piece(text, last);
    const auto adler = static_cast<std::uint32_t>(
        adler32_z(1, reinterpret_cast<const Bytef*>(text.data()), text.size()));
    return Piece{std::move(d.bytes), adler, text.size(), d.ok};
  };
  // A short last piece (all of a small file) is compressed here, without a thread.
  const auto policy = last && text_.size() < kZlibPieceSize / 4 && pending_.empty()
                          ? std::launch::deferred
                          : std::launch::async;
  try {
    pending_.push_back(std::async(policy, work, std::move(text_)));
  } catch (const std::system_error&) {  // no thread to be had: compressed when handed out
    pending_.push_back(std::async(std::launch::deferred, work, std::move(text_)));
  }
  text_ = std::string();
}

bool ZlibStream::hand_out_oldest() {
  Piece p = pending_.front().get();
  pending_.pop_front();
  if (!p.ok) ok_ = false;
  if (!ok_) return false;
  if (!header_) {
    header_ = true;
    // Deflate with a 32 KiB window at the fastest level (FLEVEL 0); the check bits make the
    // pair a multiple of 31.
    if (!put("\x78\x01", 2)) return false;
  }
  if (!put(p.bytes.data(), p.bytes.size())) return false;
  adler_ =
      static_cast<std::uint32_t>(adler32_combine(adler_, p.adler, static_cast<z_off_t>(p.length)));
  return true;
}

bool ZlibStream::write(const char* data, std::size_t n) {
  if (finished_ || !ok_) return false;
  while (n != 0) {
    if (text_.capacity() < kZlibPieceSize) text_.reserve(kZlibPieceSize);
    const std::size_t take = std::min(n, kZlibPieceSize - text_.size());
    text_.append(data, take);
    data += take;
    n -= take;
    if (text_.size() == kZlibPieceSize) start_piece(false);
  }
  return ok_;
}

bool ZlibStream::finish() {
  if (finished_) return false;
  finished_ = true;
  start_piece(true);
  while (!pending_.empty()) hand_out_oldest();
  const char check[4] = {static_cast<char>(adler_ >> 24), static_cast<char>(adler_ >> 16),
                         static_cast<char>(adler_ >> 8), static_cast<char>(adler_)};
  return put(check, 4);
}

}  // namespace korav
