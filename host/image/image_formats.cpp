#include "host/image/image_formats.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"

namespace k7730::host {

namespace {

// The format table. A new format is its own *_io.cpp (see format_io.h)
// and one row here; the order is the order of every list shown to users.
constexpr ImageFormatInfo kFormats[] = {
    {ImageFormat::Png, "PNG", "PNG", "png", {"png"}, nullptr, IsPng, true, true, OpenPng, CreatePngSink,
     {"image/png"}},
    {ImageFormat::Tiff, "TIFF", "TIFF", "tiff", {"tif", "tiff"}, nullptr, IsTiff, false, false, OpenTiff,
     CreateTiffSink, {"image/tiff"}},
    {ImageFormat::Jpeg, "JPEG", "JPEG", "jpeg", {"jpg", "jpeg"}, nullptr, IsJpeg, true, false, OpenJpeg,
     CreateJpegSink, {"image/jpeg"}},
    {ImageFormat::Ppm, "PPM", "binary PPM", "ppm", {"ppm"}, "pnm", IsPpm, true, true, OpenPpm, CreatePpmSink, {}},
    {ImageFormat::Webp, "WebP", "WebP", "webp", {"webp"}, nullptr, IsWebp, true, false, OpenWebp, nullptr,
     {"image/webp"}},
    {ImageFormat::Heif, "HEIF", "HEIF (HEIC, AVIF)", "heif", {"heic", "heif", "hif", "avif"}, nullptr, IsHeif, true,
     false, OpenHeif, nullptr, {"image/heic", "image/avif"}},
};

std::string LowerExtension(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return path.substr(dot + 1);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool Names(const ImageFormatInfo& row, const std::string& word) {
  for (const char* extension : row.extensions) {
    if (extension != nullptr && word == extension) return true;
  }
  return word == row.word || (row.alias != nullptr && word == row.alias);
}

struct OpenedHead {
  std::FILE* file = nullptr;
  std::uint8_t head[kMaxSignatureBytes] = {};
  std::size_t count = 0;
};

// The formats that were read first are told apart by their first 8 bytes,
// and their readers are handed just those; the rest are only looked for
// in more bytes when none of them matches.
constexpr std::size_t kShortHead = 8;

// The row whose signature the first bytes carry; nullptr when none.
const ImageFormatInfo* Recognise(const OpenedHead& h) {
  for (const ImageFormatInfo& row : kFormats) {
    if (row.matches(h.head, h.count)) return &row;
  }
  return nullptr;
}

void ReadMore(OpenedHead& h, const std::string& path, std::size_t upTo) {
  h.count += std::fread(h.head + h.count, 1, upTo - h.count, h.file);
  if (std::ferror(h.file) != 0) {
    const std::string why = ErrnoText();
    std::fclose(h.file);
    throw FileError(path, "cannot read: " + why);
  }
}

// Opens the file and reads as much of its head as it takes to tell its
// format; `row` is nullptr when it is none of the table's.
OpenedHead ReadHead(const std::string& path, const ImageFormatInfo*& row) {
  OpenedHead h;
  h.file = IsStdio(path) ? ::fdopen(::dup(STDIN_FILENO), "rb") : std::fopen(path.c_str(), "rb");
  if (h.file == nullptr) throw FileError(path, "cannot open: " + ErrnoText());
  ReadMore(h, path, kShortHead);
  row = Recognise(h);
  if (row == nullptr && h.count == kShortHead) {
    ReadMore(h, path, kMaxSignatureBytes);
    row = Recognise(h);
  }
  return h;
}

[[noreturn]] void RefuseUnknown(const std::string& path) {
  throw FileError(path, "not an image this program reads (" + FormatList(FormatListItem::ListName, " or ") + ")");
}

}  // namespace

std::span<const ImageFormatInfo> ImageFormats() { return kFormats; }

const ImageFormatInfo& FormatInfo(ImageFormat format) {
  for (const ImageFormatInfo& row : kFormats) {
    if (row.format == format) return row;
  }
  throw HostError("unknown image format");
}

std::string FormatList(FormatListItem item, const char* last, bool (*keep)(const ImageFormatInfo&)) {
  std::vector<std::string> items;
  for (const ImageFormatInfo& row : kFormats) {
    if (keep != nullptr && !keep(row)) continue;
    switch (item) {
      case FormatListItem::Name: items.push_back(row.name); break;
      case FormatListItem::ListName: items.push_back(row.listName); break;
      case FormatListItem::Word: items.push_back(row.word); break;
      case FormatListItem::Extensions:
        for (const char* extension : row.extensions) {
          if (extension != nullptr) items.push_back(std::string(".") + extension);
        }
        break;
    }
  }
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? last : ", ";
    text += items[i];
  }
  return text;
}

bool Writable(const ImageFormatInfo& row) { return row.createSink != nullptr; }

bool Printable(const ImageFormatInfo& row) { return row.mimeTypes[0] != nullptr; }

ImageFormat FormatFromName(const std::string& path) {
  ImageFormat format;
  if (FormatFromWord(LowerExtension(path), format)) {
    RequireWritable(format, path);
    return format;
  }
  throw FileError(path, "cannot tell the output format from the name (use " +
                            FormatList(FormatListItem::Extensions, " or ", Writable) + ")");
}

void RequireWritable(ImageFormat format, const std::string& path) {
  const ImageFormatInfo& row = FormatInfo(format);
  if (Writable(row)) return;
  throw FileError(path, std::string("cannot write ") + row.name + " files, only read them (the output can be " +
                            FormatList(FormatListItem::Name, " or ", Writable) + ")");
}

bool FormatFromWord(const std::string& word, ImageFormat& format) {
  const std::string w = Lower(word);
  for (const ImageFormatInfo& row : kFormats) {
    if (Names(row, w)) {
      format = row.format;
      return true;
    }
  }
  return false;
}

const char* FormatName(ImageFormat format) { return FormatInfo(format).name; }

const char* FormatExtension(ImageFormat format) { return FormatInfo(format).extensions[0]; }

std::unique_ptr<ImageSource> OpenImage(const std::string& path, ImageFormat* format) {
  const ImageFormatInfo* row = nullptr;
  OpenedHead h = ReadHead(path, row);
  if (row == nullptr) {
    std::fclose(h.file);
    RefuseUnknown(path);
  }
  if (format != nullptr) *format = row->format;
  if (IsStdio(path) && !row->fromStdin) {
    std::fclose(h.file);
    throw FileError("standard input", "only " +
                                          FormatList(FormatListItem::ListName, " and ",
                                                     [](const ImageFormatInfo& r) { return r.fromStdin; }) +
                                          " are read from standard input");
  }
  return row->open(path, h.file, std::string(reinterpret_cast<const char*>(h.head), h.count));
}

ImageFormat DetectFormat(const std::string& path) {
  const ImageFormatInfo* row = nullptr;
  OpenedHead h = ReadHead(path, row);
  std::fclose(h.file);
  if (row == nullptr) RefuseUnknown(path);
  return row->format;
}

std::unique_ptr<ImageSink> CreateImageSink(ImageFormat format, int fd, const std::string& path,
                                           const ImageHeader& header, const WriteOptions& options) {
  RequireWritable(format, IsStdio(path) ? "standard output" : path);
  return FormatInfo(format).createSink(fd, path, header, options);
}

namespace {

Image ReadWhole(ImageSource& source) {
  Image image;
  static_cast<ImageHeader&>(image) = source.Header();
  image.rgb.resize(image.RowBytes() * image.height);
  source.ReadRows(image.rgb.data(), image.height);
  return image;
}

}  // namespace

Image ReadImage(const std::string& path) { return ReadWhole(*OpenImage(path)); }

Image ReadImageAs(ImageFormat format, const std::string& path) {
  const ImageFormatInfo& row = FormatInfo(format);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw FileError(path, "cannot open: " + ErrnoText());
  return ReadWhole(*row.open(path, file, ""));
}

void WriteImage(const std::string& path, const Image& image, const WriteOptions& options) {
  const ImageFormat format = FormatFromName(path);
  WriteFileAtomically(path, [&](int fd) {
    const std::unique_ptr<ImageSink> sink = CreateImageSink(format, fd, path, image, options);
    sink->WriteRows(image.rgb.data(), image.height);
    sink->Finish();
  });
}

}  // namespace k7730::host
