// The module's three choices as print jobs and printer defaults name them
// (k7730-sharpen, k7730-color-match, k7730-intent), turned into the stage
// options of the print command. Shared by every print-system host.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "host/core/filter_session.h"
#include "host/core/stage_options.h"

namespace k7730::host {

constexpr const char* kSharpenOption = "k7730-sharpen";
constexpr const char* kColorMatchOption = "k7730-color-match";
constexpr const char* kIntentOption = "k7730-intent";

// The choice every option has first: leave the stage as the settings
// record has it.
constexpr const char* kAsSettings = "settings";

// The standard attribute for the intent; its "auto" leaves the intent as
// the settings record has it, its other choices are k7730-intent's.
constexpr const char* kRenderingIntentOption = "print-rendering-intent";
constexpr const char* kRenderingIntentAuto = "auto";
std::span<const char* const> RenderingIntentChoices();

struct VendorOption {
  const char* name;
  const char* label;                        // for user interfaces
  std::span<const char* const> choices;     // kAsSettings first
};

// The three options in the order they are applied.
std::span<const VendorOption> VendorOptions();

struct JobStages {
  std::string settingsFile;   // applied first, before every other stage option
  StageOptions stages;        // the rest, in the print command's order
  bool intentGiven = false;   // k7730-intent without k7730-color-match: applies when the settings match colours
};

// The k7730-intent value a print-rendering-intent value stands for:
// kAsSettings for "auto" and for an empty value. Throws HostError naming
// the accepted choices for any other value.
std::string IntentForRenderingIntent(const std::string& value);

// Applies one option's value to `job`; empty and "settings" change nothing.
// Throws HostError naming the option, the value and the accepted choices
// when the value is unknown.
void ApplyVendorOption(std::string_view name, const std::string& value, JobStages& job);

// What a document says about its own colours.
struct DocumentColour {
  const ImageHeader* image = nullptr;   // an image's embedded profile (or why it is unusable); null for raster
  std::string name;                     // the document in messages
  std::string inputProfile;             // the profile a raster page's colour space names; empty for none
};

// The job's stage options over the settings the session already holds. An
// intent given alone re-applies the colour matching the settings have.
// When colour matching is on (by the job or the settings), the document's
// own profile is its input profile, as the print command takes an image's
// embedded profile; an embedded profile the module cannot use gives way to
// the settings' input profile (FilterSession::FallbackNote says why).
// Returns a note when an option has no effect, else an empty string.
std::string ApplyJobStages(FilterSession& session, JobStages job, const DocumentColour& colour = {});

}  // namespace k7730::host
