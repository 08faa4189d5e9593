#include "host/core/image_stream.h"

#include <cstring>
#include <vector>

#include "host/core/host_error.h"

namespace k7730::host {

namespace {

class MemorySource : public ImageSource {
 public:
  explicit MemorySource(const Image& image) : rgb_(image.rgb) { header_ = image; }
  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    const std::size_t bytes = std::size_t{count} * header_.RowBytes();
    if (bytes > rgb_.size() - at_) throw HostError("read past the end of the page");
    std::memcpy(rgb, rgb_.data() + at_, bytes);
    at_ += bytes;
  }

 private:
  const std::vector<std::uint8_t>& rgb_;
  std::size_t at_ = 0;
};

}  // namespace

std::unique_ptr<ImageSource> ReadFromMemory(const Image& image) { return std::make_unique<MemorySource>(image); }

}  // namespace k7730::host
