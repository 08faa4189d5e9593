// Opening profiles and building ColorWorlds in tests, and the generated and
// Debian profiles they use.
#pragma once

#include <cstdint>
#include <string>

#include "cmm/color_world_store.h"
#include "k7730fe_cmm.h"
#include "profile_builder.h"

namespace k7730::test {

inline const std::string kGamma22 = GeneratedProfile("rgb_gamma22.icc");
inline const std::string kTable256 = GeneratedProfile("rgb_table256.icc");
inline const std::string kTable1024 = GeneratedProfile("rgb_table1024.icc");
inline const std::string kParaV4 = GeneratedProfile("rgb_para_v4.icc");  // version 4, 'para' type 4
inline const std::string kLut8 = GeneratedProfile("rgb_lut8.icc");
inline const std::string kLut16 = GeneratedProfile("rgb_lut16.icc");
inline const std::string kCmykLut8 = GeneratedProfile("cmyk_lut8.icc");
inline const std::string kCmykLut16 = GeneratedProfile("cmyk_lut16.icc");

// Debian's profile folders; a test skips a file that is not there.
inline const std::string kIcc = "/usr/share/color/icc/";
inline const std::string kArgyll = "/usr/share/color/argyll/ref/";
// Whether `path` exists; prints a skip note when it does not.
bool Installed(const std::string& path);

class OpenedProfile {
 public:
  explicit OpenedProfile(const std::string& path);
  ~OpenedProfile();
  OpenedProfile(const OpenedProfile&) = delete;
  OpenedProfile& operator=(const OpenedProfile&) = delete;
  bool ok() const { return ok_; }
  K7730_ProfileRef* ref() { return &ref_; }

 private:
  K7730_ProfileRef ref_ = 0;
  bool ok_ = false;
};

// A ColorWorld built from two profile files, disposed with the object; the
// handle is 0 when a profile does not open or the build is refused.
class World {
 public:
  World(const std::string& source, const std::string& destination, std::uint32_t intent,
        const K7730_CurveLutSet* in = nullptr, const K7730_CurveLutSet* out = nullptr);
  ~World();
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  K7730_ColorWorld handle() const { return handle_; }
  const cmm::ColorWorldHeader* header() const { return view_.header; }
  const cmm::WideTables* wide() const { return view_.wide; }
  const std::uint8_t* Grid() const { return view_.header->Grid(); }

 private:
  K7730_ColorWorld handle_ = 0;
  cmm::LockedColorWorld view_;
};

inline bool Builds(const std::string& source, const std::string& destination, std::uint32_t intent) {
  return World(source, destination, intent).handle() != 0;
}

}  // namespace k7730::test
