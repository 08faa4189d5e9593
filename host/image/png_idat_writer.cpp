#include "host/image/png_idat_writer.h"

#include <zlib.h>

#include <algorithm>
#include <thread>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"

namespace k7730::host {

namespace {

// Raw bytes per block (256 KiB): large enough that the bytes a block
// loses by not seeing the previous one do not matter, small enough that
// the blocks in flight stay a few megabytes.
constexpr std::size_t kBlockBytes = std::size_t{1} << 18;
constexpr int kLevel = 1;
constexpr std::uint8_t kUpFilter = 2;

void PutBig32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

// Deflates one block with no history of its own; `last` ends the deflate
// stream, any other block ends on a byte boundary with a sync flush.
ParallelIdatWriter::Piece DeflateBlock(std::vector<std::uint8_t> raw, bool last) {
  ParallelIdatWriter::Piece piece;
  piece.rawBytes = raw.size();
  piece.adler = static_cast<std::uint32_t>(adler32(1, raw.data(), static_cast<uInt>(raw.size())));
  z_stream z {};
  if (deflateInit2(&z, kLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw HostError("cannot start deflate");
  }
  piece.chunk.resize(8 + deflateBound(&z, raw.size()) + 16 + 4);
  z.next_in = raw.data();
  z.avail_in = static_cast<uInt>(raw.size());
  z.next_out = piece.chunk.data() + 8;
  z.avail_out = static_cast<uInt>(piece.chunk.size() - 12);
  const int result = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
  const std::size_t length = z.total_out;
  deflateEnd(&z);
  if (result != (last ? Z_STREAM_END : Z_OK) || z.avail_in != 0) throw HostError("deflate failed");
  piece.chunk.resize(8 + length + 4);
  PutBig32(piece.chunk.data(), static_cast<std::uint32_t>(length));
  std::copy_n("IDAT", 4, piece.chunk.begin() + 4);
  const auto crc = crc32(0, piece.chunk.data() + 4, static_cast<uInt>(length + 4));
  PutBig32(piece.chunk.data() + 8 + length, static_cast<std::uint32_t>(crc));
  return piece;
}

}  // namespace

ParallelIdatWriter::ParallelIdatWriter(std::FILE* file, std::string path, std::size_t rowBytes)
    : file_(file), path_(std::move(path)), rowBytes_(rowBytes), previous_(rowBytes, 0) {
  maxPending_ = std::max(2u, std::thread::hardware_concurrency());
  block_.reserve(kBlockBytes + rowBytes + 1);
}

ParallelIdatWriter::~ParallelIdatWriter() {
  // A failed page: let the blocks in flight finish, their results unused.
  for (auto& piece : pending_) {
    if (piece.valid()) piece.wait();
  }
}

void ParallelIdatWriter::AddRow(const std::uint8_t* row) {
  const std::size_t at = block_.size();
  block_.resize(at + 1 + rowBytes_);
  std::uint8_t* out = block_.data() + at;
  const std::uint8_t* above = previous_.data();
  out[0] = kUpFilter;
  for (std::size_t i = 0; i < rowBytes_; ++i) out[1 + i] = static_cast<std::uint8_t>(row[i] - above[i]);
  std::copy_n(row, rowBytes_, previous_.begin());
  if (block_.size() >= kBlockBytes) Dispatch(false);
}

void ParallelIdatWriter::Dispatch(bool last) {
  if (!started_) {
    // The zlib header: deflate with a 32 KiB window, the fastest level.
    const std::uint8_t header[2] = {0x78, 0x01};
    std::vector<std::uint8_t> chunk(8 + 2 + 4);
    PutBig32(chunk.data(), 2);
    std::copy_n("IDAT", 4, chunk.begin() + 4);
    std::copy_n(header, 2, chunk.begin() + 8);
    PutBig32(chunk.data() + 10, static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, 6)));
    Write(chunk.data(), chunk.size());
    started_ = true;
  }
  while (pending_.size() >= maxPending_) WriteOldest();
  std::vector<std::uint8_t> raw;
  raw.swap(block_);
  block_.reserve(kBlockBytes + rowBytes_ + 1);
  pending_.push_back(std::async(std::launch::async, DeflateBlock, std::move(raw), last));
}

void ParallelIdatWriter::WriteOldest() {
  Piece piece = pending_.front().get();
  pending_.pop_front();
  Write(piece.chunk.data(), piece.chunk.size());
  adler_ = static_cast<std::uint32_t>(adler32_combine(adler_, piece.adler, static_cast<z_off_t>(piece.rawBytes)));
}

void ParallelIdatWriter::Finish() {
  Dispatch(true);
  while (!pending_.empty()) WriteOldest();
  // The zlib trailer in a chunk of its own, then IEND.
  std::uint8_t tail[8 + 4 + 4 + 12] = {0, 0, 0, 4, 'I', 'D', 'A', 'T'};
  PutBig32(tail + 8, adler_);
  PutBig32(tail + 12, static_cast<std::uint32_t>(crc32(0, tail + 4, 8)));
  const std::uint8_t end[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
  std::copy_n(end, 12, tail + 16);
  Write(tail, sizeof tail);
}

void ParallelIdatWriter::Write(const void* data, std::size_t size) {
  if (std::fwrite(data, 1, size, file_) != size) throw FileError(path_, "cannot write: " + ErrnoText());
}

}  // namespace k7730::host
