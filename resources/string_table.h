// The module's string table.
#pragma once

#include <span>

#include "resources/dialog_template.h"

namespace k7730::res {

// The four channel names of each direction, in list order.
inline constexpr int kInputChannelNames = 401;   // "RGB", then the three colours
inline constexpr int kOutputChannelNames = 440;  // "CMY", then the three inks

inline constexpr ui::StringResource kStringTable[] = {
    {400, "Gray"},      {401, "RGB"},        {402, "Red(R)"},     {403, "Green(G)"},
    {404, "Blue(B)"},   {405, "CMYK"},       {406, "Cyan(C)"},    {407, "Magenta(M)"},
    {408, "Yellow(Y)"}, {409, "Black(BK)"},  {440, "CMY"},        {441, "Cyan(C)"},
    {442, "Magenta(M)"}, {443, "Yellow(Y)"}, {450, "Black"},
};

// The text of a string resource, or null when the table has no such id.
constexpr const char* FindString(int id) {
  for (const ui::StringResource& entry : kStringTable) {
    if (entry.id == id) return entry.text;
  }
  return nullptr;
}

}  // namespace k7730::res
