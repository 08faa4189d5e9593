// The entry points each format's reader and writer file gives the format
// table (image_formats.cpp), all of the same three shapes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "host/core/image.h"
#include "host/core/image_stream.h"

namespace k7730::host {

// The most bytes a signature test is given.
constexpr std::size_t kMaxSignatureBytes = 32;

// Whether the first `count` bytes of a file (at most kMaxSignatureBytes)
// are this format's.
using SignatureTest = bool (*)(const std::uint8_t* head, std::size_t count);
// A source reading `stream`, which it owns from the call on (closed even
// when it throws); `consumed` holds the bytes already read from it, the
// ones the signature test saw, empty when the stream is at its start.
using SourceOpener = std::unique_ptr<ImageSource> (*)(const std::string& path, std::FILE* stream,
                                                      const std::string& consumed);
// A writer into `fd`; `header` gives the size, the profile to embed, the
// resolution and the Exif block.
using SinkCreator = std::unique_ptr<ImageSink> (*)(int fd, const std::string& path, const ImageHeader& header,
                                                   const WriteOptions& options);

bool IsPng(const std::uint8_t* head, std::size_t count);
std::unique_ptr<ImageSource> OpenPng(const std::string& path, std::FILE* stream, const std::string& consumed);
std::unique_ptr<ImageSink> CreatePngSink(int fd, const std::string& path, const ImageHeader& header,
                                         const WriteOptions& options);

bool IsTiff(const std::uint8_t* head, std::size_t count);
std::unique_ptr<ImageSource> OpenTiff(const std::string& path, std::FILE* stream, const std::string& consumed);
std::unique_ptr<ImageSink> CreateTiffSink(int fd, const std::string& path, const ImageHeader& header,
                                          const WriteOptions& options);

bool IsJpeg(const std::uint8_t* head, std::size_t count);
std::unique_ptr<ImageSource> OpenJpeg(const std::string& path, std::FILE* stream, const std::string& consumed);
std::unique_ptr<ImageSink> CreateJpegSink(int fd, const std::string& path, const ImageHeader& header,
                                          const WriteOptions& options);

bool IsPpm(const std::uint8_t* head, std::size_t count);
std::unique_ptr<ImageSource> OpenPpm(const std::string& path, std::FILE* stream, const std::string& consumed);
std::unique_ptr<ImageSink> CreatePpmSink(int fd, const std::string& path, const ImageHeader& header,
                                         const WriteOptions& options);

// WebP and HEIF (HEIC and AVIF) are read only: they have no sink.
bool IsWebp(const std::uint8_t* head, std::size_t count);
std::unique_ptr<ImageSource> OpenWebp(const std::string& path, std::FILE* stream, const std::string& consumed);

bool IsHeif(const std::uint8_t* head, std::size_t count);
std::unique_ptr<ImageSource> OpenHeif(const std::string& path, std::FILE* stream, const std::string& consumed);

}  // namespace k7730::host
