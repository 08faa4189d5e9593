// The image data of a PNG, deflated on several threads: rows are Up
// filtered into blocks of about a megabyte, each block is deflated on its
// own (as parallel compressors do: every block but the last ends with a
// sync flush, so the pieces join into one valid zlib stream), and the
// pieces are written in order as IDAT chunks. Any PNG reader decodes the
// result to the same pixels.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <future>
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

  void AddRow(const std::uint8_t* row);
  // Deflates the rest, writes the stream's end and the IEND chunk.
  void Finish();

  // One deflated block, ready to be written.
  struct Piece {
    std::vector<std::uint8_t> chunk;   // a whole IDAT chunk: length, type, data, CRC
    std::uint32_t adler = 1;           // Adler-32 of the block's raw bytes
    std::size_t rawBytes = 0;
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
  std::uint32_t adler_ = 1;
  bool started_ = false;
};

}  // namespace k7730::host
