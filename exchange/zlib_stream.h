// One zlib stream (RFC 1950) made from a long text on several cores: the text is cut into
// pieces of `kZlibPieceSize` bytes, each piece is deflated on its own (raw deflate by ISA-L at
// level 1, ended byte-aligned by a sync flush, the last by the final block) while the caller goes
// on writing, and the pieces are handed out in their order behind the two-byte header, followed
// by the Adler-32 of the whole text. Any inflater reads the result as one stream; each piece
// starts with an empty window, which costs a few hundred bytes a piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <future>
#include <string>
#include <string_view>

namespace korav {

inline constexpr std::size_t kZlibPieceSize = std::size_t{1} << 20;

class ZlibStream {
 public:
  // Receives compressed bytes in their order; false stops the stream.
  using Sink = bool (*)(void* context, const char* data, std::size_t n);

  // At most `in_flight` pieces are compressed at once (0: one for each core, at least two).
  ZlibStream(Sink sink, void* context, unsigned in_flight = 0);
  ZlibStream(const ZlibStream&) = delete;
  ZlibStream& operator=(const ZlibStream&) = delete;
  ~ZlibStream();  // waits for pieces still being compressed, and drops them

  // Appends text; false once compressing or the sink has failed.
  bool write(const char* data, std::size_t n);
  // Compresses the rest, hands out every piece and the checksum. False when anything failed;
  // nothing is written after finishing.
  bool finish();
  // Compressed bytes handed to the sink so far (all of them after finish).
  std::size_t compressed() const { return compressed_; }

 private:
  struct Piece {
    std::string bytes;    // empty when compressing failed
    std::uint32_t adler;  // of the piece's text
    std::size_t length;   // of the piece's text
    bool ok;
  };
  void start_piece(bool last);
  bool hand_out_oldest();
  bool put(const char* data, std::size_t n);

  Sink sink_;
  void* context_;
  unsigned in_flight_;
  std::string text_;  // of the piece being filled
  std::deque<std::future<Piece>> pending_;
  std::uint32_t adler_ = 1;
  std::size_t compressed_ = 0;
  bool header_ = false, finished_ = false, ok_ = true;
};

}  // namespace korav
