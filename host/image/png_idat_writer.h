// The image data of a PNG, deflated on several threads: rows are Up
// filtered into blocks of about a quarter megabyte, each block is deflated
// on its own with ISA-L's igzip (as parallel compressors do: every block but
// the last ends with a sync flush, so the pieces join into one valid zlib
// stream), and the pieces are written in order as IDAT chunks. Any PNG
// reader decodes the result to the same pixels.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <future>
#include <memory>
#include <string>
#include <vector>

namespace k7730::host {

class ParallelIdatWriter {
 public:
  // Writes to `file` (after the header chunks); `rowBytes` per row.
  ParallelIdatWriter(std::FILE* file, std::string path, std::size_t rowBytes);
  ~ParallelIdatWriter();
  ParallelIdatWriter(const ParallelIdatWriter&) = delete;
  ParallelIdatWriter& operator=(const ParallelIdatWriter&) = delete;

  // Takes `count` rows lying one after the other.
  void AddRows(const std::uint8_t* rows, std::uint32_t count);
  // Deflates the rest, writes the stream's end and the IEND chunk.
  void Finish();

  // The compressor's state and working memory, reused from block to block.
  struct Deflater;
  // One deflated block, ready to be written; it hands back the buffers it
  // used, to be used again.
  struct Piece {
    std::vector<std::uint8_t> chunk;   // a whole IDAT chunk: length, type, data, CRC
    std::uint32_t adler = 1;           // Adler-32 of the block's raw bytes
    std::size_t rawBytes = 0;
    std::vector<std::uint8_t> raw;     // the block's raw bytes, emptied
    std::unique_ptr<Deflater> deflater;
  };

 private:
  void Dispatch(bool last);
  void WriteOldest();
  void Write(const void* data, std::size_t size);

  std::FILE* file_;
  std::string path_;
  std::size_t rowBytes_;
  std::vector<std::uint8_t> previous_, block_;
  std::deque<std::future<Piece>> pending_;
  std::size_t maxPending_;
  // Buffers and compressors of finished blocks, for the next ones.
  std::vector<std::vector<std::uint8_t>> spareBlocks_;
  std::vector<std::unique_ptr<Deflater>> spareDeflaters_;
  std::uint32_t adler_ = 1;
  bool started_ = false;
};

}  // namespace k7730::host
