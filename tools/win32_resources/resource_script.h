// The module's resource script (.rc): the dialogs from their templates, the
// string table, and the bitmap and cursor files the generator writes.
#pragma once

#include <span>
#include <string>

#include "resources/dialog_template.h"

namespace k7730::resgen {

struct ResourceFiles {
  std::span<const int> bitmapIds;          // file "bitmaps/<id>.bmp"
  std::span<const char* const> cursorNames;  // file "cursors/<name>.cur"
};

// The window style of a control of this template, as resource-script text.
std::string ControlStyle(const ui::ControlTemplate& control);
// The window class of a control of this template.
const char* ControlClass(ui::ControlKind kind);

std::string ResourceScript(std::span<const ui::DialogTemplate* const> dialogs,
                           std::span<const ui::StringResource> strings, const ResourceFiles& files);

}  // namespace k7730::resgen
