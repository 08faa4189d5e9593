#include "host/printer_app/printer_driver.h"

#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "host/printer_app/app_context.h"
#include "host/printer_app/devices.h"
#include "host/printer_app/printer_status.h"
#include "host/printer_app/raster_callbacks.h"
#include "host/core/media.h"
#include "host/core/vendor_options.h"

namespace k7730::printer_app {

namespace {

pappl_pr_driver_t kDrivers[] = {{kDriverName, kDriverDescription, nullptr, nullptr}};

void SetMedia(pappl_pr_driver_data_t* data) {
  data->borderless = true;
  data->left_right = data->bottom_top = 0;
  // The printer's media by their PWG names; all borderless.
  data->num_media = static_cast<int>(std::size(host::kMediaList));
  for (int i = 0; i < data->num_media; ++i) data->media[i] = host::kMediaList[i].pwgName;
  data->num_source = 1;
  data->source[0] = "main";
  pappl_media_col_t& media = data->media_default;
  std::memset(&media, 0, sizeof media);
  const char* defaultMedia = host::kMediaList[0].pwgName;
  std::strncpy(media.size_name, defaultMedia, sizeof media.size_name - 1);
  const pwg_media_t* pwg = pwgMediaForPWG(defaultMedia);
  media.size_width = pwg->width;
  media.size_length = pwg->length;
  std::strncpy(media.source, "main", sizeof media.source - 1);
  std::strncpy(media.type, "photographic-glossy", sizeof media.type - 1);
  data->media_ready[0] = media;
  data->num_type = 1;
  data->type[0] = "photographic-glossy";
}

// 8-bit sRGB in colour only (the module takes nothing else), one-sided, at
// the printer's one resolution.
void SetColourAndResolution(pappl_pr_driver_data_t* data) {
  data->color_supported = data->color_default = PAPPL_COLOR_MODE_COLOR;
  data->raster_types = data->force_raster_type = PAPPL_PWG_RASTER_TYPE_SRGB_8;
  data->sides_supported = data->sides_default = PAPPL_SIDES_ONE_SIDED;
  data->num_resolution = 1;
  data->x_resolution[0] = data->y_resolution[0] = data->x_default = data->y_default = kResolution;
}

// Raster clients may send Adobe RGB as well (URF ADOBERGB24, PWG
// adobe-rgb_8): such pages are matched from the Adobe RGB profile. PAPPL
// still renders the images it places itself as sRGB, its first choice.
void AddColourSpaces(pappl_pr_driver_data_t* data) {
  data->raster_types |= PAPPL_PWG_RASTER_TYPE_ADOBE_RGB_8;
}

// Photos, placed as PAPPL places them; print-quality changes nothing the
// module does.
void SetJobDefaults(pappl_pr_driver_data_t* data) {
  data->quality_default = IPP_QUALITY_NORMAL;
  data->scaling_default = PAPPL_SCALING_AUTO;
  data->content_default = PAPPL_CONTENT_PHOTO;
  data->orient_default = IPP_ORIENT_NONE;
}

// "k7730-sharpen-supported" and "-default" for each of the module's choices.
void AddVendorAttributes(pappl_pr_driver_data_t* data, ipp_t* attrs) {
  data->num_vendor = 0;
  for (const host::VendorOption& option : host::VendorOptions()) {
    data->vendor[data->num_vendor++] = option.name;
    const std::string name = option.name;
    std::vector<const char*> values(option.choices.begin(), option.choices.end());
    ippAddStrings(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (name + "-supported").c_str(),
                  static_cast<int>(values.size()), nullptr, values.data());
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (name + "-default").c_str(), nullptr, host::kAsSettings);
  }
}

// print-rendering-intent kept as PAPPL keeps the vendor attributes: a job
// value, a printer default clients may set, stored with the state.
void AddRenderingIntent(pappl_pr_driver_data_t* data, ipp_t* attrs) {
  data->vendor[data->num_vendor++] = host::kRenderingIntentOption;
  const std::string name = host::kRenderingIntentOption;
  const std::span<const char* const> choices = host::RenderingIntentChoices();
  std::vector<const char*> values(choices.begin(), choices.end());
  ippAddStrings(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (name + "-supported").c_str(),
                static_cast<int>(values.size()), nullptr, values.data());
  ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (name + "-default").c_str(), nullptr,
               host::kRenderingIntentAuto);
}

// What the printer says beyond PAPPL's own attributes: Validate-Job
// answers no preferred values, and the one side printed is the front.
// printer-mandatory-job-attributes is left out although CUPS passes a
// vendor option on only when the printer lists it there: CUPS 2.4.2 then
// writes a driverless queue's PPD that it cannot load, and its scheduler
// refuses every job that lacks one of the attributes.
void AddStandardAttributes(ipp_t* attrs) {
  ippAddBoolean(attrs, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
  ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "pwg-raster-document-sheet-back", nullptr, "normal");
}

// A printer a client adds may only use a device the policy allows. One
// from the state file is kept whatever its device (it was allowed when it
// was added; its jobs are checked again and refused with the reason).
bool DeviceAllowed(pappl_system_t* system, const std::string& deviceUri) {
  const std::string problem = DeviceProblem(deviceUri);
  if (problem.empty()) return true;
  if (App().loadingState) {
    papplLog(system, PAPPL_LOGLEVEL_WARN, "Printer with device '%s' kept, but its jobs will be refused: %s.",
             deviceUri.c_str(), problem.c_str());
    return true;
  }
  papplLog(system, PAPPL_LOGLEVEL_ERROR, "Printer refused: %s.", problem.c_str());
  return false;
}

// What every printer of the driver says it takes, and its defaults.
void DescribeDriver(pappl_pr_driver_data_t* data, ipp_t** attrs) {
  std::strncpy(data->make_and_model, kDriverDescription, sizeof data->make_and_model - 1);
  data->format = kDeviceFormat;
  data->ppm = data->ppm_color = 1;
  data->kind = PAPPL_KIND_PHOTO;
  SetColourAndResolution(data);
  AddColourSpaces(data);
  SetJobDefaults(data);
  SetMedia(data);
  SetRasterCallbacks(data);
  SetIdentify(data);
  *attrs = ippNew();
  AddVendorAttributes(data, *attrs);
  AddRenderingIntent(data, *attrs);
  AddStandardAttributes(*attrs);
}

}  // namespace

pappl_pr_driver_t* Drivers(int* count) {
  *count = static_cast<int>(std::size(kDrivers));
  return kDrivers;
}

bool DriverCallback(pappl_system_t* system, const char* driverName, const char* deviceUri, const char* /*deviceId*/,
                    pappl_pr_driver_data_t* data, ipp_t** attrs, void* /*context*/) {
  if (driverName == nullptr || std::strcmp(driverName, kDriverName) != 0) return false;
  try {
    if (!DeviceAllowed(system, deviceUri != nullptr ? deviceUri : "")) return false;
  } catch (...) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Printer refused: its device could not be checked.");
    return false;
  }
  DescribeDriver(data, attrs);
  return true;
}

namespace {

// The attributes a new printer of this driver gets, each at the printer's
// current value where it has one (defaults changed since), without
// printer-icc-profiles. The device is not checked again: a printer whose
// device the policy no longer allows keeps it (its jobs are refused).
ipp_t* CurrentDriverAttributes(pappl_printer_t* printer) {
  pappl_pr_driver_data_t fresh;
  std::memset(&fresh, 0, sizeof fresh);
  ipp_t* built = nullptr;
  DescribeDriver(&fresh, &built);
  ipp_t* current = papplPrinterGetDriverAttributes(printer);
  ipp_t* merged = ippNew();
  for (ipp_attribute_t* attr = ippFirstAttribute(built); attr != nullptr; attr = ippNextAttribute(built)) {
    const char* name = ippGetName(attr);
    if (name == nullptr || std::strcmp(name, "printer-icc-profiles") == 0) continue;
    ipp_attribute_t* now = ippFindAttribute(current, name, IPP_TAG_ZERO);
    ippCopyAttribute(merged, now != nullptr ? now : attr, 0);
  }
  ippDelete(current);
  ippDelete(built);
  return merged;
}

}  // namespace

bool PublishPrinterProfile(pappl_printer_t* printer, const std::string& name, const std::string& uri) {
  ipp_t* attrs = CurrentDriverAttributes(printer);
  if (attrs == nullptr) return false;
  ipp_t* profile = ippNew();
  ippAddString(profile, IPP_TAG_ZERO, IPP_TAG_NAME, "profile-name", nullptr, name.c_str());
  ippAddString(profile, IPP_TAG_ZERO, IPP_TAG_URI, "profile-url", nullptr, uri.c_str());
  ippAddCollection(attrs, IPP_TAG_PRINTER, "printer-icc-profiles", profile);
  ippDelete(profile);
  pappl_pr_driver_data_t data;
  papplPrinterGetDriverData(printer, &data);
  const bool published = papplPrinterSetDriverData(printer, &data, attrs);
  ippDelete(attrs);
  return published;
}

}  // namespace k7730::printer_app
