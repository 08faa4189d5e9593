#include "cmm/profile_diagnosis.h"

#include "cmm/side_decoding.h"

namespace k7730::cmm {

ProfileDiagnosis DiagnoseProfile(const char* path, ProfileSide side, std::uint32_t intent) {
  ProfileDiagnosis diagnosis;
  const platform::FileId file = OpenProfileFile(path, &diagnosis.open);
  if (file == platform::kInvalidFile) return diagnosis;
  const std::uint32_t index = intent <= 3 ? intent : 0;
  BuildParts parts;
  if (side == ProfileSide::Source) {
    DecodeSource(file, kSourceTags[index], parts, &diagnosis.side);
  } else {
    DecodeDestination(file, kDestinationTags[index], parts, &diagnosis.side);
  }
  platform::FileClose(file);
  return diagnosis;
}

}  // namespace k7730::cmm
