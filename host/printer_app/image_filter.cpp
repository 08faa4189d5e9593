#include "host/printer_app/image_filter.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/image/image_formats.h"
#include "host/image/oriented_source.h"
#include "host/printer_app/raster_callbacks.h"

namespace k7730::printer_app {

namespace {

// The formats printed are the format table's rows with a MIME type.
using ImageKind = host::ImageFormatInfo;

// The readers name the file in their messages; the spool file's name
// means nothing to the client.
constexpr const char* kDocument = "the document";

std::unique_ptr<host::ImageSource> OpenDocument(pappl_job_t* job, const ImageKind& kind) {
  const char* file = papplJobGetFilename(job);
  if (file == nullptr) throw host::HostError("the job has no document");
  std::FILE* stream = std::fopen(file, "rb");
  if (stream == nullptr) throw host::FileError(kDocument, "cannot open the spooled file: " + host::ErrnoText());
  // The reader owns the stream from here on; it checks the signature.
  return kind.open(kDocument, stream, "");
}

// PAPPL's limits for images (papplSystemSetMaxImageSize): the pixels are
// held whole while PAPPL places them, so they are checked from the header,
// before anything is decoded, at their upright size.
std::string SizeProblem(pappl_job_t* job, const host::ImageHeader& header, const ImageKind& kind) {
  int maxWidth = 0, maxHeight = 0;
  const std::size_t maxBytes =
      papplSystemGetMaxImageSize(papplPrinterGetSystem(papplJobGetPrinter(job)), &maxWidth, &maxHeight);
  const bool turned = header.orientation >= 5;   // a quarter turn swaps the sides
  const std::uint32_t width = turned ? header.height : header.width;
  const std::uint32_t height = turned ? header.width : header.height;
  if (width <= static_cast<std::uint32_t>(maxWidth) && height <= static_cast<std::uint32_t>(maxHeight) &&
      std::uint64_t{width} * height * 3 <= maxBytes) {
    return "";
  }
  return std::string("the ") + kind.name + " image has " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels; this printer takes at most " + std::to_string(maxWidth) + " x " + std::to_string(maxHeight) +
         " pixels and " + std::to_string(maxBytes >> 20) + " MiB of RGB";
}

// The whole image, or nothing when the job has been refused. The reader
// and its buffers are gone before PAPPL places the pixels.
std::optional<host::Image> ReadDocument(pappl_job_t* job, const ImageKind& kind) {
  std::unique_ptr<host::ImageSource> source = OpenDocument(job, kind);
  if (const std::string problem = SizeProblem(job, source->Header(), kind); !problem.empty()) {
    RefuseJob(job, problem, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR);
    return std::nullopt;
  }
  KeepImageColour(job, source->Header());
  for (const std::string& notice : source->Header().notices) {
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s", notice.c_str());
  }
  // A photo prints upright, as the print command prints it.
  if (const std::uint16_t orientation = source->Header().orientation; orientation != 1) {
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s to stand upright, as its orientation tag says",
                host::OrientationWords(orientation));
    source = host::TurnUpright(std::move(source));
  }
  host::Image image;
  static_cast<host::ImageHeader&>(image) = source->Header();
  image.rgb.resize(image.RowBytes() * image.height);
  source->ReadRows(image.rgb.data(), image.height);
  return image;
}

struct OptionsDeleter {
  void operator()(pappl_pr_options_t* options) const { papplJobDeletePrintOptions(options); }
};

bool PlaceImage(pappl_job_t* job, pappl_device_t* device, const host::Image& image) {
  const std::unique_ptr<pappl_pr_options_t, OptionsDeleter> options(papplJobCreatePrintOptions(job, 1, true));
  if (!options) return RefuseJob(job, "out of memory for the job's options", PAPPL_JREASON_ERRORS_DETECTED);
  const int ppi = image.resolution.Known() ? static_cast<int>(std::lround(image.resolution.x)) : 0;
  // Smoothing when the client asks for high quality, as PAPPL's own filter
  // does; the module's stages do not depend on print-quality.
  const bool smooth = options->print_quality == IPP_QUALITY_HIGH;
  return papplJobFilterImage(job, device, options.get(), image.rgb.data(), static_cast<int>(image.width),
                             static_cast<int>(image.height), 3, ppi, smooth);
}

bool FilterImage(pappl_job_t* job, pappl_device_t* device, void* data) {
  // Before anything is read: a second thread PAPPL started on this job
  // ends here, holding nothing (see ClaimJob in raster_callbacks.h).
  switch (ClaimJob(job, true)) {
    case JobClaim::kEndedPrinted: return true;
    case JobClaim::kEndedRefused: return false;
    case JobClaim::kOwn: break;
  }
  const ImageKind& kind = *static_cast<const ImageKind*>(data);
  bool printed = false;
  try {
    std::optional<host::Image> image = ReadDocument(job, kind);
    printed = image && PlaceImage(job, device, *image);
  } catch (const std::exception& e) {
    printed = RefuseJob(job, e.what(), PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
  } catch (...) {
    printed = RefuseJob(job, "the image document could not be read (unknown failure)",
                        PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
  }
  // The end-job callback ended the claim when a page reached the driver;
  // a document refused before that ends it here.
  EndJobClaim(job, printed);
  return printed;
}

}  // namespace

void AddImageFilters(pappl_system_t* system) {
  for (const ImageKind& kind : host::ImageFormats()) {
    for (const char* type : kind.mimeTypes) {
      if (type == nullptr) continue;
      papplSystemAddMIMEFilter(system, type, kDeviceFormat, FilterImage, const_cast<ImageKind*>(&kind));
    }
  }
}

}  // namespace k7730::printer_app
