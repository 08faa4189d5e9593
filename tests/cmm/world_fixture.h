// Opening profiles and building ColorWorlds in tests, and a plain
// evaluation of a ColorWorld (input curve, cell interpolation in 8.8 fixed
// point, output curve) for checking what the tables hold.
#pragma once

#include <cstdint>
#include <string>

#include "cmm/color_world_store.h"
#include "k7730fe_cmm.h"

namespace k7730::test {

// Debian's profile folders; a test skips when a file is not there.
inline const char* kIccFolder = "/usr/share/color/icc/";
inline const char* kArgyllFolder = "/usr/share/color/argyll/ref/";
bool Exists(const std::string& path);

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

// A ColorWorld built from two profile files, disposed with the object.
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

  // One pixel through the tables: `in` has inChannels components, `out`
  // receives outChannels (four-channel values complemented, as at the ends).
  void Evaluate(const std::uint8_t* in, std::uint8_t* out) const;

 private:
  K7730_ColorWorld handle_ = 0;
  cmm::LockedColorWorld view_;
};

}  // namespace k7730::test
