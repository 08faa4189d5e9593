// Whole print chains as a CUPS queue with the sample PPD runs them, without
// a CUPS daemon: cupsfilter from a PNG or PDF through the system's filters
// and rastertok7730.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_images.h"
#include "raster_files.h"

namespace k7730::host::test {
namespace {

constexpr const char* kCupsFilter = "/usr/sbin/cupsfilter";
constexpr const char* kSystemFilters = "/usr/lib/cups/filter";

// A page description with one coloured rectangle on a 4x6 inch page.
std::string SmallPdf() {
  const std::string content = "0.9 0.3 0.1 rg 36 36 216 360 re f 0.1 0.5 0.9 rg 72 144 144 144 re f";
  std::vector<std::string> objects{
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 288 432] /Contents 4 0 R >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
  };
  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t off : offsets) {
    char line[32];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

class CupsChain : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kCupsFilter, X_OK) != 0 || ::access(kSystemFilters, R_OK) != 0) {
      GTEST_SKIP() << "cupsfilter and the CUPS filters are not installed";
    }
    // A private filter folder: the system's filters and ours beside them,
    // in place of an installed rastertok7730.
    namespace fs = std::filesystem;
    fs::create_directories(serverBin + "/filter");
    for (const auto& entry : fs::directory_iterator(kSystemFilters)) {
      if (entry.path().filename() == "rastertok7730") continue;
      fs::create_symlink(entry.path(), serverBin + "/filter/" + entry.path().filename().string());
    }
    fs::create_symlink(K7730_RASTER_FILTER_PATH, serverBin + "/filter/rastertok7730");
    // cupsfilter run as root refuses filters in folders others may write.
    ::chmod(dir.c_str(), 0755);
  }

  // Runs cupsfilter to `type` with the sample PPD; returns its status.
  int Chain(const std::string& input, const std::string& type, const std::string& options, const std::string& out) {
    const std::string command = "CUPS_SERVERBIN=" + ShellQuote(serverBin) + " " + kCupsFilter + " -e -p " +
                                ShellQuote(K7730_SAMPLE_PPD) + " -m " + type + " " + options + " " +
                                ShellQuote(input) + " >" + ShellQuote(out) + " 2>" + ShellQuote(dir + "/chain.log");
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Log() const { return ReadText(dir + "/chain.log"); }

  std::string dir = MakeTempFolder();
  std::string serverBin = dir + "/serverbin";
};

// The whole chain, and the chain stopped before rastertok7730 with the
// filter then run by hand on its raster: the two must agree.
TEST_F(CupsChain, PdfThroughTheSamplePpdWithSharpeningAndMatchingOff) {
  const std::string input = dir + "/page.pdf", cupsOptions = " -o k7730-sharpen=mild -o k7730-color-match=off";
  std::ofstream(input, std::ios::binary) << SmallPdf();
  ASSERT_EQ(Chain(input, "printer/k7730", cupsOptions, dir + "/printed.ras"), 0) << Log();
  EXPECT_NE(Log().find("rastertok7730"), std::string::npos) << Log();
  const std::vector<RasterPage> printed = ReadRasterFile(dir + "/printed.ras");
  ASSERT_EQ(printed.size(), 1u) << Log();
  EXPECT_EQ(printed[0].header.cupsColorSpace, CUPS_CSPACE_RGB);
  EXPECT_EQ(printed[0].header.cupsBitsPerPixel, 24u);
  EXPECT_EQ(printed[0].header.HWResolution[0], 300u);

  ASSERT_EQ(Chain(input, "application/vnd.cups-raster", cupsOptions, dir + "/raster.ras"), 0) << Log();
  const FilterRun direct = RunRasterFilter(dir, "k7730-sharpen=mild k7730-color-match=off", dir + "/raster.ras",
                                           "PPD=" + ShellQuote(K7730_SAMPLE_PPD));
  ASSERT_EQ(direct.status, 0) << direct.log;
  const std::vector<RasterPage> expected = ReadRasterFile(direct.outputPath);
  ASSERT_EQ(expected.size(), 1u);
  EXPECT_EQ(printed[0].pixels, expected[0].pixels);
  const std::vector<RasterPage> before = ReadRasterFile(dir + "/raster.ras");
  ASSERT_EQ(before.size(), 1u);
  EXPECT_NE(before[0].pixels, printed[0].pixels) << "the options changed nothing";
}

}  // namespace
}  // namespace k7730::host::test
