#include "ui/mtf_file.h"

#include <cstdio>

#include "platform/platform.h"
#include "formats/mtf_text.h"

namespace k7730 {
namespace {

// Whole-file reads go through a buffer, so that a long run of text between
// integers costs one platform read per block instead of one per byte.
class BufferedBytes {
 public:
  explicit BufferedBytes(FileHandle file) : file_(file) {}
  int operator()() {
    if (position_ == filled_) {
      std::uint32_t done = 0;
      if (!platform::FileRead(file_, buffer_, sizeof buffer_, &done) || done == 0) return kMtfTextEnd;
      filled_ = done;
      position_ = 0;
    }
    return MtfTextByte(buffer_[position_++]);
  }

 private:
  FileHandle file_;
  std::uint8_t buffer_[4096];
  std::uint32_t filled_ = 0;
  std::uint32_t position_ = 0;
};

void SetStatus(std::uint16_t* status, std::uint16_t value) {
  if (status != nullptr) *status = value;
}

std::int32_t& Word(MtfSettings& settings, int index) {
  return index < 25 ? settings.coefficients[index] : settings.scale;
}

}  // namespace

const char* MtfStatusMessage(int status) {
  switch (status) {
    case kMtfCannotOpen: return "Can not open file.";
    case kMtfCannotCreate: return "Can not create file.";
    case kMtfCannotWrite: return "Can not write file.";
    case kMtfUnsupported: return "Unsupported file format.";
    case kMtfCoefficientRange: return "An integer between -9999 and 9999 is required.";
    case kMtfScaleRange: return "An integer between 1 and 99999 is required.";
    default: return nullptr;
  }
}

int ReadNextInteger(FileHandle* file, std::int32_t* value) {
  std::int32_t ignored = 0;
  if (value == nullptr) value = &ignored;
  auto next = [file]() -> int {
    std::uint8_t b = 0;
    std::uint16_t count = 1;
    if (FileRead(file, &b, &count) != 0) return kMtfTextEnd;
    return MtfTextByte(b);
  };
  return ReadMtfInteger(next, value);
}

int WriteMtfFile(const char* path, const MtfSettings* settings, std::uint16_t* status) {
  SetStatus(status, kMtfBadArgument);
  if (settings == nullptr || path == nullptr) return 0;

  FileHandle file;
  FileInit(&file);
  if (FileCreateWrite(&file, path) != 0) {
    FileInit(&file);
    SetStatus(status, kMtfCannotCreate);
    return 0;
  }
  MtfSettings words = *settings;
  for (int i = 0; i < kMtfWords; ++i) {
    char line[16];
    const int length = std::snprintf(line, sizeof line, "%ld\n", static_cast<long>(Word(words, i)));
    auto count = static_cast<std::uint16_t>(length);
    if (FileWrite(&file, line, &count) != 0) {
      FileClose(&file);
      SetStatus(status, kMtfCannotWrite);
      return 0;
    }
  }
  FileClose(&file);
  SetStatus(status, kMtfOk);
  return 1;
}

int ReadMtfFile(const char* path, MtfSettings* settings, std::uint16_t* status) {
  SetStatus(status, kMtfBadArgument);
  if (settings == nullptr) return 0;

  FileHandle file;
  FileInit(&file);
  if (FileOpenRead(&file, path) != 0) {
    FileInit(&file);
    SetStatus(status, kMtfCannotOpen);
    return 0;
  }
  BufferedBytes next(file);
  for (int i = 0; i < kMtfWords; ++i) {
    std::int32_t value = 0;
    if (ReadMtfInteger(next, &value) == 0) {
      FileClose(&file);
      SetStatus(status, kMtfUnsupported);
      return 0;
    }
    Word(*settings, i) = value;
  }
  FileClose(&file);
  SetStatus(status, kMtfOk);
  return 1;
}

}  // namespace k7730
