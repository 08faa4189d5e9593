#include "host/printer_app/settings_view.h"

#include <cstdint>
#include <memory>
#include <sstream>
#include <tuple>
#include <vector>

#include "host/core/filter_session.h"
#include "host/core/profile_report.h"
#include "host/core/settings_record.h"
#include "host/core/vendor_options.h"
#include "host/printer_app/app_context.h"
#include "host/printer_app/printer_record.h"
#include "k7730fe.h"

namespace k7730::printer_app {

namespace {

// Each curve's name and colour in the pictures of the tone curves.
struct Channel {
  const char* name;
  const char* colour;
};

constexpr Channel kInput[K7730_CURVE_CHANNELS] = {
    {"common", "#222"}, {"red", "#d22"}, {"green", "#2a2"}, {"blue", "#22d"}, {"fourth", "#999"}};
constexpr Channel kOutput[K7730_CURVE_CHANNELS] = {
    {"common", "#222"}, {"cyan", "#0aa"}, {"magenta", "#c0c"}, {"yellow", "#cc0"}, {"fourth", "#999"}};

bool IsIdentity(const std::uint8_t* table) {
  for (int i = 0; i < 256; ++i) {
    if (table[i] != i) return false;
  }
  return true;
}

// A tone-curve set drawn as an SVG picture: the finished table of each of
// its five channels as a line over a 256 x 256 grid. `output` picks the
// channel names and colours of the printer adjustment (cyan, magenta,
// yellow) instead of the image adjustment (red, green, blue).
std::string ToneCurveSvg(const K7730_ToneCurveSet& set, bool output, const std::string& title) {
  const Channel* channels = output ? kOutput : kInput;
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"k7730-curve\" width=\"264\" height=\"264\" "
         "viewBox=\"-4 -4 264 264\" role=\"img\" aria-label=\""
      << title << "\"><title>" << title << "</title>"
      << "<rect x=\"0\" y=\"0\" width=\"256\" height=\"256\" fill=\"#fff\" stroke=\"#888\"/>"
      << "<path d=\"M64 0V256M128 0V256M192 0V256M0 64H256M0 128H256M0 192H256\" stroke=\"#ddd\"/>";
  for (int c = K7730_CURVE_CHANNELS - 1; c >= 0; --c) {
    const std::uint8_t* table = set.tables[c];
    if (c > 0 && IsIdentity(table)) continue;   // an untouched channel would hide the common curve
    svg << "<polyline data-channel=\"" << channels[c].name << "\" fill=\"none\" stroke=\"" << channels[c].colour
        << "\" stroke-width=\"1.5\" points=\"";
    for (int x = 0; x < 256; ++x) svg << (x ? " " : "") << x << "," << 255 - table[x];
    svg << "\"/>";
  }
  svg << "</svg>";
  return svg.str();
}

// The record in force with the printer's defaults of the three choices
// applied over it, as a job without options of its own gets it.
struct InForce {
  RecordInForce record;
  std::vector<std::uint8_t> job;   // the module's own profiles as empty paths
};

InForce SettingsOf(pappl_printer_t* printer) {
  InForce in{PrinterRecord(papplPrinterGetName(printer)), {}};
  const std::unique_ptr<host::FilterSession> session = SessionWithRecord(papplPrinterGetName(printer));
  host::JobStages stages;
  for (const host::VendorOption& option : host::VendorOptions()) {
    host::ApplyVendorOption(option.name, CurrentDefault(printer, option.name), stages);
  }
  host::ApplyJobStages(*session, stages);
  in.job = session->StorableBlock();
  return in;
}

void ShowRow(pappl_client_t* client, const char* id, const char* label, const std::string& value,
             const std::string& from = "") {
  papplClientHTMLPrintf(client, "<tr id=\"k7730-%s\"><th>%s:</th><td>", id, label);
  papplClientHTMLEscape(client, value.c_str(), 0);
  if (!from.empty()) {
    papplClientHTMLPuts(client, " <small>(");
    papplClientHTMLEscape(client, from.c_str(), 0);
    papplClientHTMLPuts(client, ")</small>");
  }
  papplClientHTMLPuts(client, "</td></tr>\n");
}

// Where a choice comes from: the printer's default of the option when it
// sets one, else the record.
std::string FromOf(pappl_printer_t* printer, const char* option, const std::string& record) {
  const std::string value = CurrentDefault(printer, option);
  return value == host::kAsSettings ? record : "the printer's default " + std::string(option) + "=" + value;
}

// "perceptual", "relative" or "saturation": the words of --intent.
const char* IntentWord(std::uint32_t intent) {
  static constexpr const char* kWords[] = {"perceptual", "relative", "saturation"};
  return kWords[intent <= 2 ? intent : 0];
}

void ShowChoicesInForce(pappl_client_t* client, pappl_printer_t* printer, const InForce& in) {
  const K7730_SettingsBlock s = host::DecodeSettings(in.job);
  const std::string record = in.record.stored ? "the stored record" : "the printer's defaults";
  ShowRow(client, "sharpen", "Sharpening", s.mtfEnabled == 1 ? host::SharpeningInWords(in.job) : "off",
          FromOf(printer, host::kSharpenOption, record));
  ShowRow(client, "color-match", "Colour matching", s.iccEnabled == 1 ? "on" : "off",
          FromOf(printer, host::kColorMatchOption, record));
  ShowRow(client, "intent", "Rendering intent", IntentWord(s.intent), FromOf(printer, host::kIntentOption, record));
  ShowRow(client, "input-profile", "Input profile",
          host::InputProfileInWords(in.job) + (s.iccEnabled == 1 ? "; a photo's embedded profile comes first" : ""));
  ShowRow(client, "printer-profile", "Printer profile", host::PrinterProfileInWords(in.job));
  ShowRow(client, "input-curves", "Input tone curves", s.inputCurveEnabled == 1 ? "on" : "off");
  ShowRow(client, "output-curves", "Output tone curves", s.outputCurveEnabled == 1 ? "on" : "off");
}

}  // namespace

std::string CurrentDefault(pappl_printer_t* printer, const char* option) {
  ipp_t* attrs = papplPrinterGetDriverAttributes(printer);
  ipp_attribute_t* attr = ippFindAttribute(attrs, (std::string(option) + "-default").c_str(), IPP_TAG_ZERO);
  std::string value = attr != nullptr ? ippGetString(attr, 0, nullptr) : host::kAsSettings;
  ippDelete(attrs);
  return value;
}

void ShowSettingsInForce(pappl_client_t* client, pappl_printer_t* printer, const std::string& downloadPath) {
  const InForce in = SettingsOf(printer);
  papplClientHTMLPuts(client, "<h2 class=\"title\">What a job gets</h2><table class=\"list\" id=\"k7730-in-force\"><tbody>\n");
  ShowRow(client, "record", "Settings record",
          in.record.stored ? "stored for this printer: " + in.record.source
                           : std::string(kPrinterDefaults) + ", the record the CUPS queue is installed with");
  ShowChoicesInForce(client, printer, in);
  ShowRow(client, "summary", "A job without options", host::SummariseSettings(in.job));
  papplClientHTMLPuts(client, "</tbody></table>\n");
  const K7730_SettingsBlock s = host::DecodeSettings(in.job);
  for (const auto& [curves, output, title] : {std::tuple{&s.inputCurves, false, "Input tone curves"},
                                              std::tuple{&s.outputCurves, true, "Output tone curves"}}) {
    // HTMLPrintf escapes its strings, so the picture goes out as it is.
    papplClientHTMLPuts(client, "<figure style=\"display:inline-block;margin:0 16px 0 0\">");
    papplClientHTMLPuts(client, ToneCurveSvg(*curves, output, title).c_str());
    papplClientHTMLPrintf(client, "<figcaption>%s</figcaption></figure>", title);
  }
  papplClientHTMLPrintf(client, "<p><a class=\"btn\" href=\"%s\" download=\"%s.k77\">Download the record</a></p>\n",
                        downloadPath.c_str(), papplPrinterGetName(printer));
}

}  // namespace k7730::printer_app
