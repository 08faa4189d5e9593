// Reading and writing page images: PNG, TIFF and binary PPM.
#pragma once

#include <string>

#include "image.h"

namespace k7730::host {

enum class ImageFormat { Png, Tiff, Ppm };

// The format that the output name asks for, by its extension.
// Throws HostError for a name without a known extension.
ImageFormat FormatFromName(const std::string& path);
const char* FormatName(ImageFormat format);

// Reads any supported image, recognised by its first bytes.
Image ReadImage(const std::string& path);

// Writes the image all or nothing (a temporary file renamed into place).
void WriteImage(const std::string& path, const Image& image);

// The format readers and writers, each from its own file.
Image ReadPng(const std::string& path);
Image ReadTiff(const std::string& path);
Image ReadPpm(const std::string& path);
void WritePng(int fd, const std::string& path, const Image& image);
void WriteTiff(int fd, const std::string& path, const Image& image);
void WritePpm(int fd, const std::string& path, const Image& image);

}  // namespace k7730::host
