// k7730-resgen FOLDER: writes the Windows resources of K7730fe.dll into
// FOLDER: K7730fe.rc, bitmaps/140.bmp .. 149.bmp and cursors/<name>.cur.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "resources/correction_dialog.h"
#include "resources/cursor_names.h"
#include "resources/icc_dialog.h"
#include "resources/mtf_dialog.h"
#include "resources/string_table.h"
#include "resources/tonecurve_dialog.h"
#include "tools/win32_resources/image_files.h"
#include "tools/win32_resources/resource_script.h"

namespace fs = std::filesystem;
using namespace k7730;

namespace {

bool WriteFile(const fs::path& path, const void* bytes, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  out.close();
  if (!out) std::fprintf(stderr, "k7730-resgen: cannot write %s\n", path.string().c_str());
  return static_cast<bool>(out);
}

bool WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  return WriteFile(path, bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: k7730-resgen FOLDER\n");
    return 2;
  }
  const fs::path folder = argv[1];
  std::error_code error;
  fs::create_directories(folder / "bitmaps", error);
  fs::create_directories(folder / "cursors", error);

  bool ok = true;
  std::vector<int> bitmapIds;
  for (const res::Bitmap& bitmap : res::EditorBitmaps()) {
    bitmapIds.push_back(bitmap.id);
    ok = WriteBytes(folder / "bitmaps" / (std::to_string(bitmap.id) + ".bmp"), resgen::BmpFile(bitmap.picture)) && ok;
  }
  for (const res::Cursor& cursor : res::ModuleCursors()) {
    ok = WriteBytes(folder / "cursors" / (cursor.name + ".cur"), resgen::CurFile(cursor)) && ok;
  }
  static constexpr const ui::DialogTemplate* kDialogs[] = {
      &res::kCorrectionDialog, &res::kIccDialog, &res::kMtfDialog, &res::kToneCurveDialog};
  const std::string script = resgen::ResourceScript(kDialogs, res::kStringTable,
                                                    {bitmapIds, res::kModuleCursorNames});
  ok = WriteFile(folder / "K7730fe.rc", script.data(), script.size()) && ok;
  return ok ? 0 : 1;
}
