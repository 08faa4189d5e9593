#include "profile_builder.h"

#include <cmath>
#include <filesystem>

#include "support/dynamic_module.h"
#include "support/temp_files.h"

namespace k7730::test {

Bytes XyzElement(double x, double y, double z) {
  Bytes b;
  AppendBig32(b, Sig("XYZ "));
  AppendBig32(b, 0);
  for (double v : {x, y, z}) AppendBig32(b, std::uint32_t(std::int32_t(std::lround(v * 65536.0))));
  return b;
}

Bytes CurvElement(const std::vector<std::uint16_t>& entries) {
  Bytes b;
  AppendBig32(b, Sig("curv"));
  AppendBig32(b, 0);
  AppendBig32(b, std::uint32_t(entries.size()));
  for (auto e : entries) AppendBig16(b, e);
  return b;
}

Bytes ParaElement(std::uint16_t type, const std::vector<double>& parameters) {
  Bytes b;
  AppendBig32(b, Sig("para"));
  AppendBig32(b, 0);
  AppendBig16(b, type);
  AppendBig16(b, 0);
  for (double p : parameters) AppendBig32(b, std::uint32_t(std::int32_t(std::lround(p * 65536.0))));
  return b;
}

namespace {

Bytes LutHeader(std::uint32_t type, int in, int out, int grid) {
  Bytes b;
  AppendBig32(b, type);
  AppendBig32(b, 0);
  AppendBig32(b, std::uint32_t(in) << 24 | std::uint32_t(out) << 16 | std::uint32_t(grid) << 8);  // and a pad byte
  for (int i = 0; i < 9; ++i) AppendBig32(b, i % 4 == 0 ? 0x10000 : 0);
  return b;
}

}  // namespace

Bytes Lut8Element(int in, int out, int grid, const Bytes& clut) {
  Bytes b = LutHeader(Sig("mft1"), in, out, grid);
  for (int c = 0; c < in; ++c)
    for (int i = 0; i < 256; ++i) b.push_back(std::uint8_t(i));
  b.insert(b.end(), clut.begin(), clut.end());
  for (int c = 0; c < out; ++c)
    for (int i = 0; i < 256; ++i) b.push_back(std::uint8_t(i));
  return b;
}

Bytes Lut16Element(int in, int out, int grid, const std::vector<std::uint16_t>& clut, int entries) {
  Bytes b = LutHeader(Sig("mft2"), in, out, grid);
  AppendBig16(b, entries);
  AppendBig16(b, entries);
  auto tables = [&](int channels) {
    for (int c = 0; c < channels; ++c)
      for (int i = 0; i < entries; ++i) AppendBig16(b, entries < 2 ? 0 : std::uint32_t(i * 65535 / (entries - 1)));
  };
  tables(in);
  for (auto v : clut) AppendBig16(b, v);
  tables(out);
  return b;
}

Bytes VersionFourLut(const char (&type)[5]) {
  Bytes b = Lut8Element(3, 3, 2, IdentityClut8(2));
  PutBig32(b, 0, Sig(type));
  PutBig16(b, 10, 0);
  return b;
}

std::vector<std::uint16_t> IdentityClut16(int grid) {
  std::vector<std::uint16_t> clut;
  for (int n = 0; n < grid * grid * grid; ++n)
    for (int v : {n / grid / grid, n / grid % grid, n % grid})
      clut.push_back(std::uint16_t(std::lround(v * 65535.0 / (grid - 1))));
  return clut;
}

Bytes IdentityClut8(int grid) {
  Bytes clut;
  for (std::uint16_t v : IdentityClut16(grid)) clut.push_back(std::uint8_t(v >> 8));
  return clut;
}

Bytes BuildProfile(const ProfileSpec& spec) {
  Bytes b(128, 0);
  PutBig32(b, 8, 0x02100000);
  PutBig32(b, 12, Sig("mntr"));
  PutBig32(b, 16, spec.colorSpace);
  PutBig32(b, 20, spec.pcs);
  PutBig32(b, 36, Sig("acsp"));
  AppendBig32(b, std::uint32_t(spec.tags.size()));
  std::size_t at = 132 + 12 * spec.tags.size();
  Bytes data;
  for (const TagSpec& t : spec.tags) {
    while ((at + data.size()) % 4 != 0) data.push_back(0);
    AppendBig32(b, t.signature);
    AppendBig32(b, std::uint32_t(at + data.size()));
    AppendBig32(b, std::uint32_t(t.data.size()));
    data.insert(data.end(), t.data.begin(), t.data.end());
  }
  b.insert(b.end(), data.begin(), data.end());
  PutBig32(b, 0, std::uint32_t(b.size()));
  return b;
}

ProfileSpec MatrixTrcSpec(const Bytes& trc) {
  ProfileSpec spec;
  // sRGB colorants adapted to D50.
  spec.tags = {{Sig("rXYZ"), XyzElement(0.4361, 0.2225, 0.0139)}, {Sig("gXYZ"), XyzElement(0.3851, 0.7169, 0.0971)},
               {Sig("bXYZ"), XyzElement(0.1431, 0.0606, 0.7141)}, {Sig("rTRC"), trc},
               {Sig("gTRC"), trc},                                 {Sig("bTRC"), trc}};
  return spec;
}

namespace {

std::filesystem::path TempFolder() {
  return std::filesystem::temp_directory_path() / ("k7730_cmm_test_" + std::to_string(ProcessNumber()));
}

// Removes the process's temporary folder when the test program ends.
struct TempFolderCleanup {
  ~TempFolderCleanup() {
    std::error_code ignored;
    std::filesystem::remove_all(TempFolder(), ignored);
  }
} g_cleanup;

}  // namespace

std::string WriteTempFile(const Bytes& bytes, const std::string& name) {
  std::filesystem::create_directories(TempFolder());
  const std::string path = (TempFolder() / name).string();
  testing_files::WriteBytes(path, bytes);
  return path;
}

std::string GeneratedProfile(const std::string& name) { return std::string(K7730_TEST_PROFILE_DIR) + "/" + name; }

}  // namespace k7730::test
