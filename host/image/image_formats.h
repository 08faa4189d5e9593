// Reading and writing page images: PNG, TIFF, JPEG and binary PPM, whole or
// as streams of rows.
#pragma once

#include <memory>
#include <string>

#include "host/core/image.h"
#include "host/core/image_stream.h"

namespace k7730::host {

enum class ImageFormat { Png, Tiff, Ppm, Jpeg };

// The format that the output name asks for, by its extension.
// Throws HostError for a name without a known extension.
ImageFormat FormatFromName(const std::string& path);
// The format named by a word ("png", "tiff", "jpeg", ...); false when none.
bool FormatFromWord(const std::string& word, ImageFormat& format);
const char* FormatName(ImageFormat format);
const char* FormatExtension(ImageFormat format);

// "-" stands for standard input or output.
inline bool IsStdio(const std::string& path) { return path == "-"; }

// Opens any supported image, recognised by its first bytes; "-" reads PNG,
// JPEG or PPM from standard input. Throws HostError.
// `format`, when given, receives the format found.
std::unique_ptr<ImageSource> OpenImage(const std::string& path, ImageFormat* format = nullptr);
// The format OpenImage would recognise; throws like it.
ImageFormat DetectFormat(const std::string& path);

// A writer of `format` into `fd`; `header` gives the size, the profile to
// embed, the resolution and the Exif block (kept by JPEG only).
std::unique_ptr<ImageSink> CreateImageSink(ImageFormat format, int fd, const std::string& path,
                                           const ImageHeader& header, const WriteOptions& options);

// Reads a whole image.
Image ReadImage(const std::string& path);
// Reads a whole image of one format, whatever its first bytes say (the
// fuzz targets take one reader each).
Image ReadPng(const std::string& path);
Image ReadTiff(const std::string& path);
Image ReadPpm(const std::string& path);
Image ReadJpeg(const std::string& path);

// Writes the image all or nothing (a temporary file renamed into place).
void WriteImage(const std::string& path, const Image& image, const WriteOptions& options = {});

// The format readers and writers, each from its own file. A source from a
// stream takes the bytes already read from it to recognise the format.
std::unique_ptr<ImageSource> OpenPng(const std::string& path, std::FILE* stream, std::size_t signatureBytes);
std::unique_ptr<ImageSource> OpenTiff(const std::string& path);
std::unique_ptr<ImageSource> OpenPpm(const std::string& path, std::FILE* stream, const std::string& consumed);
std::unique_ptr<ImageSource> OpenJpeg(const std::string& path, std::FILE* stream, const std::string& consumed);
std::unique_ptr<ImageSink> CreatePngSink(int fd, const std::string& path, const ImageHeader& header);
std::unique_ptr<ImageSink> CreateTiffSink(int fd, const std::string& path, const ImageHeader& header);
std::unique_ptr<ImageSink> CreatePpmSink(int fd, const std::string& path, const ImageHeader& header);
std::unique_ptr<ImageSink> CreateJpegSink(int fd, const std::string& path, const ImageHeader& header, int quality);

}  // namespace k7730::host
