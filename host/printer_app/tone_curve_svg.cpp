#include "host/printer_app/tone_curve_svg.h"

#include <sstream>

namespace k7730::printer_app {

namespace {

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

}  // namespace

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

}  // namespace k7730::printer_app
