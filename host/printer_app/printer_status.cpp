#include "host/printer_app/printer_status.h"

#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>

namespace k7730::printer_app {

namespace {

// The level IPP and CUPS read as "unknown" (prtMarkerSuppliesLevel -2).
constexpr int kLevelUnknown = -2;
// The longest message kept from a client.
constexpr std::size_t kMaxMessage = 200;
constexpr const char* kNoMessage = "Identify-Printer";

struct Notice {
  std::string text;
  std::chrono::steady_clock::time_point shown;
};

// Notices by printer name: PAPPL 1.3.1 gives a new printer the id 0 until
// a restart. Expired notices are dropped whenever one is looked at.
std::mutex& NoticeLock() {
  static std::mutex lock;
  return lock;
}

std::map<std::string, Notice>& Notices() {
  static std::map<std::string, Notice> notices;
  return notices;
}

std::string Clock() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%H:%M:%S UTC", &utc);
  return text;
}

void Identify(pappl_printer_t* printer, pappl_identify_actions_t actions, const char* message) {
  try {
    std::string text = message != nullptr && *message != '\0' ? message : kNoMessage;
    if (text.size() > kMaxMessage) {
      // Cut at a character, not inside a UTF-8 sequence.
      std::size_t end = kMaxMessage;
      while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
      text.resize(end);
    }
    papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "Identify-Printer (actions 0x%x): showing \"%s\" on the printer's page.",
                    actions, text.c_str());
    const std::lock_guard guard(NoticeLock());
    Notices()[papplPrinterGetName(printer)] = {Clock() + ": " + text, std::chrono::steady_clock::now()};
  } catch (...) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "Identify-Printer: the notice could not be kept.");
  }
}

}  // namespace

void SetIdentify(pappl_pr_driver_data_t* data) {
  data->identify_supported = data->identify_default = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
  data->identify_cb = Identify;
}

std::string IdentifyNotice(pappl_printer_t* printer) {
  const auto now = std::chrono::steady_clock::now();
  const std::lock_guard guard(NoticeLock());
  std::map<std::string, Notice>& notices = Notices();
  std::erase_if(notices, [&](const auto& entry) { return now - entry.second.shown > kIdentifyNoticeTime; });
  const auto found = notices.find(papplPrinterGetName(printer));
  return found != notices.end() ? found->second.text : "";
}

void ShowIdentifyNotice(pappl_client_t* client, pappl_printer_t* printer) {
  const std::string notice = IdentifyNotice(printer);
  if (notice.empty()) return;
  papplClientHTMLPuts(client, "<div class=\"banner\" id=\"k7730-identify\">Identify-Printer at ");
  papplClientHTMLEscape(client, notice.c_str(), 0);
  papplClientHTMLPuts(client, "</div>\n");
}

void SetSupplies(pappl_printer_t* printer) {
  pappl_supply_t supplies[2] = {};
  supplies[0].color = PAPPL_SUPPLY_COLOR_MULTIPLE;
  supplies[0].type = PAPPL_SUPPLY_TYPE_INK_RIBBON;
  supplies[0].is_consumed = true;
  supplies[0].level = kLevelUnknown;
  std::snprintf(supplies[0].description, sizeof supplies[0].description, "%s", "Dye ribbon");
  supplies[1].color = PAPPL_SUPPLY_COLOR_NO_COLOR;
  supplies[1].type = PAPPL_SUPPLY_TYPE_OTHER;
  supplies[1].is_consumed = true;
  supplies[1].level = kLevelUnknown;
  std::snprintf(supplies[1].description, sizeof supplies[1].description, "%s", "Photo paper");
  papplPrinterSetSupplies(printer, 2, supplies);
}

}  // namespace k7730::printer_app
