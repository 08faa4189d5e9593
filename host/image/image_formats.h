// Reading and writing page images, whole or as streams of rows, in every
// format of the format table: one row per format (image_formats.cpp).
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>

#include "host/core/image.h"
#include "host/core/image_stream.h"
#include "host/image/format_io.h"
#include "host/image/format_support.h"

namespace k7730::host {

enum class ImageFormat { Png, Tiff, Ppm, Jpeg, Webp, Heif };

// One row of the format table.
struct ImageFormatInfo {
  ImageFormat format;
  const char* name;                         // "PNG", in messages
  const char* listName;                     // in lists of what is read: "binary PPM"
  const char* word;                         // --format's word for it
  std::array<const char*, 4> extensions;    // the first is the one written; nullptr when unused
  const char* alias;                        // also taken as a word or an extension, never listed
  SignatureTest matches;
  bool fromStdin;                           // read from standard input
  bool toStdout;                            // written to standard output
  SourceOpener open;
  SinkCreator createSink;                   // nullptr for a format that is only read
  std::array<const char*, 2> mimeTypes;     // printed by the printer application; nullptr when unused
};

// Every format, in the order they are listed and recognised.
std::span<const ImageFormatInfo> ImageFormats();
const ImageFormatInfo& FormatInfo(ImageFormat format);

// Which of a row's texts a list is made of.
enum class FormatListItem { Name, ListName, Word, Extensions };
// The rows' texts joined with ", " and `last` before the final one
// ("PNG, TIFF, JPEG and binary PPM"); `keep`, when given, picks the rows.
std::string FormatList(FormatListItem item, const char* last, bool (*keep)(const ImageFormatInfo&) = nullptr);

// Whether the format is written as well as read.
bool Writable(const ImageFormatInfo& row);
// Whether print servers take the format as a document (it has a MIME type).
bool Printable(const ImageFormatInfo& row);

// The format that the output name asks for, by its extension.
// Throws HostError for a name without a known extension, or the extension
// of a format that is only read.
ImageFormat FormatFromName(const std::string& path);
// Throws HostError naming `path` when `format` is only read.
void RequireWritable(ImageFormat format, const std::string& path);
// The format named by a word ("png", "tiff", "jpeg", ...); false when none.
bool FormatFromWord(const std::string& word, ImageFormat& format);
const char* FormatName(ImageFormat format);
const char* FormatExtension(ImageFormat format);

// Opens any supported image, recognised by its first bytes; "-" reads the
// formats that allow it from standard input. Throws HostError.
// `format`, when given, receives the format found.
std::unique_ptr<ImageSource> OpenImage(const std::string& path, ImageFormat* format = nullptr);
// The format OpenImage would recognise; throws like it.
ImageFormat DetectFormat(const std::string& path);

// A writer of `format` into `fd`; `header` gives the size, the profile to
// embed, the resolution and the Exif block (kept by JPEG only). Throws
// HostError for a format that is only read.
std::unique_ptr<ImageSink> CreateImageSink(ImageFormat format, int fd, const std::string& path,
                                           const ImageHeader& header, const WriteOptions& options);

// Reads a whole image.
Image ReadImage(const std::string& path);
// Reads a whole image of one format, whatever its first bytes say (the
// fuzz targets take one reader each).
Image ReadImageAs(ImageFormat format, const std::string& path);

// Writes the image all or nothing (a temporary file renamed into place).
void WriteImage(const std::string& path, const Image& image, const WriteOptions& options = {});

}  // namespace k7730::host
