#include "host/printer_app/photo_proof.h"

#include <unistd.h>

#include <memory>

#include "host/core/console.h"
#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/core/page_run.h"
#include "host/core/soft_proof.h"
#include "host/image/image_formats.h"
#include "host/image/laid_out_source.h"
#include "host/image/oriented_source.h"
#include "host/printer_app/app_context.h"
#include "host/printer_app/printer_record.h"

namespace k7730::printer_app {

namespace {

constexpr std::size_t kMaxProfileBytes = std::size_t{64} << 20;

// The photo upright and laid out on the medium, as the print command lays
// it out; `colour` keeps its embedded profile.
std::unique_ptr<host::ImageSource> OpenPhoto(const std::string& path, const PhotoChoices& choices,
                                             host::ImageHeader& colour) {
  host::ImageFormat format{};
  std::unique_ptr<host::ImageSource> source = host::OpenImage(path, &format);
  if (!host::Printable(host::FormatInfo(format))) {
    throw host::HostError(std::string("the photo is ") + host::FormatInfo(format).name + "; this printer prints " +
                          host::FormatList(host::FormatListItem::Name, " and ", host::Printable));
  }
  colour.iccProfile = source->Header().iccProfile;
  colour.iccProblem = source->Header().iccProblem;
  if (source->Header().orientation != 1) source = host::TurnUpright(std::move(source));
  const host::ImageHeader& picture = source->Header();
  const host::PageLayout layout = host::LayOut(*choices.media, picture.width, picture.height, choices.fit);
  return host::LayOutOnPage(std::move(source), layout);
}

// A private file of the temporary folder, gone with this object.
struct TempFile {
  std::string path = std::string(papplGetTempDir()) + "/k7730-proof-XXXXXX";
  int fd = ::mkstemp(path.data());
  ~TempFile() {
    if (fd >= 0) {
      ::close(fd);
      ::unlink(path.c_str());
    }
  }
};

}  // namespace

std::vector<std::uint8_t> ProofOfPhoto(const std::string& printerName, const std::string& photoPath,
                                       const PhotoChoices& choices) {
  host::ImageHeader colour;
  std::unique_ptr<host::ImageSource> page = OpenPhoto(photoPath, choices, colour);
  const std::unique_ptr<host::FilterSession> session = SessionWithRecord(printerName);
  host::ApplyJobStages(*session, choices.stages, {.image = &colour, .name = "the photo", .inputProfile = ""});
  const host::LoadedModule& module = *App().module;
  const std::string screen = host::ScreenProfilePath(module);
  host::ImageHeader proofHeader = page->Header();
  proofHeader.notices.clear();
  proofHeader.iccProfile = host::ReadFileBytes(screen, kMaxProfileBytes);
  proofHeader.comment = "soft proof of the print";
  TempFile file;
  if (file.fd < 0) throw host::FileError(file.path, "cannot create: " + host::ErrnoText());
  {
    host::ProofSink proof(module, session->PrinterProfile(), screen, proofHeader.width,
                          host::CreateImageSink(host::ImageFormat::Png, file.fd, file.path, proofHeader, {}));
    host::ImageSink* sinks[] = {&proof};
    host::PageRunOptions run;
    run.imagePath = "the photo";
    host::StepTimer timer;
    host::PageRunReport report;
    host::StreamPage(*session, *page, sinks, run, timer, report);
  }
  return host::ReadFileBytes(file.path, std::size_t{1} << 30);
}

}  // namespace k7730::printer_app
