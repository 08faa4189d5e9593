#include "host/image/png_idat_writer.h"

#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <algorithm>
#include <thread>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"

namespace k7730::host {

// igzip's stream with the working memory of its level 1, which packs
// photographs about as well as zlib's level 1 at four to five times its
// speed.
struct ParallelIdatWriter::Deflater {
  isal_zstream stream;
  std::vector<std::uint8_t> levelBuffer = std::vector<std::uint8_t>(ISAL_DEF_LVL1_DEFAULT);
};

namespace {

// Raw bytes per block (256 KiB): large enough that the bytes a block
// loses by not seeing the previous one do not matter, small enough that
// the blocks in flight stay a few megabytes.
constexpr std::size_t kBlockBytes = std::size_t{1} << 18;
constexpr std::uint8_t kUpFilter = 2;
// Room for the IDAT chunk's length, type and CRC around the data.
constexpr std::size_t kChunkFrame = 12;

void PutBig32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

// Deflates `raw` into `chunk` after its first 8 bytes, growing it when the
// data does not pack; returns the deflated length. `last` ends the
// deflate stream, any other block ends on a byte boundary with a sync
// flush and has no history of its own.
std::size_t DeflateInto(ParallelIdatWriter::Deflater& d, const std::vector<std::uint8_t>& raw, bool last,
                        std::vector<std::uint8_t>& chunk) {
  isal_zstream& z = d.stream;
  isal_deflate_init(&z);
  z.level = 1;
  z.level_buf = d.levelBuffer.data();
  z.level_buf_size = static_cast<std::uint32_t>(d.levelBuffer.size());
  z.end_of_stream = last ? 1 : 0;
  z.flush = last ? NO_FLUSH : SYNC_FLUSH;
  z.next_in = const_cast<std::uint8_t*>(raw.data());
  z.avail_in = static_cast<std::uint32_t>(raw.size());
  chunk.resize(kChunkFrame + raw.size() + raw.size() / 8 + 1024);
  for (;;) {
    z.next_out = chunk.data() + 8 + z.total_out;
    z.avail_out = static_cast<std::uint32_t>(chunk.size() - kChunkFrame - z.total_out);
    if (isal_deflate(&z) != COMP_OK) throw HostError("deflate failed");
    const bool done = last ? z.internal_state.state == ZSTATE_END : z.avail_in == 0 && z.avail_out > 0;
    if (done) return z.total_out;
    chunk.resize(chunk.size() + raw.size() / 2 + 1024);
  }
}

ParallelIdatWriter::Piece DeflateBlock(std::vector<std::uint8_t> raw, bool last,
                                       std::unique_ptr<ParallelIdatWriter::Deflater> deflater) {
  ParallelIdatWriter::Piece piece;
  piece.rawBytes = raw.size();
  piece.adler = static_cast<std::uint32_t>(adler32(1, raw.data(), static_cast<uInt>(raw.size())));
  const std::size_t length = DeflateInto(*deflater, raw, last, piece.chunk);
  piece.chunk.resize(kChunkFrame + length);
  PutBig32(piece.chunk.data(), static_cast<std::uint32_t>(length));
  std::copy_n("IDAT", 4, piece.chunk.begin() + 4);
  const auto crc = crc32(0, piece.chunk.data() + 4, static_cast<uInt>(length + 4));
  PutBig32(piece.chunk.data() + 8 + length, static_cast<std::uint32_t>(crc));
  raw.clear();
  piece.raw = std::move(raw);
  piece.deflater = std::move(deflater);
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

void ParallelIdatWriter::AddRows(const std::uint8_t* rows, std::uint32_t count) {
  // Each row is filtered against the one above it where it lies; only the
  // last row of the call is kept for the next.
  const std::uint8_t* above = previous_.data();
  for (std::uint32_t r = 0; r < count; ++r) {
    const std::uint8_t* row = rows + std::size_t{r} * rowBytes_;
    const std::size_t at = block_.size();
    block_.resize(at + 1 + rowBytes_);
    std::uint8_t* out = block_.data() + at;
    out[0] = kUpFilter;
    for (std::size_t i = 0; i < rowBytes_; ++i) out[1 + i] = static_cast<std::uint8_t>(row[i] - above[i]);
    above = row;
    if (block_.size() >= kBlockBytes) Dispatch(false);
  }
  if (count > 0) std::copy_n(above, rowBytes_, previous_.begin());
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
  if (!spareBlocks_.empty()) {
    block_ = std::move(spareBlocks_.back());
    spareBlocks_.pop_back();
  }
  block_.reserve(kBlockBytes + rowBytes_ + 1);
  std::unique_ptr<Deflater> deflater;
  if (spareDeflaters_.empty()) {
    deflater = std::make_unique<Deflater>();
  } else {
    deflater = std::move(spareDeflaters_.back());
    spareDeflaters_.pop_back();
  }
  pending_.push_back(std::async(std::launch::async, DeflateBlock, std::move(raw), last, std::move(deflater)));
}

void ParallelIdatWriter::WriteOldest() {
  Piece piece = pending_.front().get();
  pending_.pop_front();
  Write(piece.chunk.data(), piece.chunk.size());
  adler_ = static_cast<std::uint32_t>(adler32_combine(adler_, piece.adler, static_cast<z_off_t>(piece.rawBytes)));
  spareBlocks_.push_back(std::move(piece.raw));
  spareDeflaters_.push_back(std::move(piece.deflater));
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
