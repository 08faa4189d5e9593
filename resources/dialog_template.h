// A dialog template as plain data: what a resource script says about a
// dialog and its controls. The Windows build turns these into its .rc
// resources; the scripted window system builds its virtual dialogs from
// them, so tests run against the very templates the module ships.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace k7730::ui {

// Control id of controls the code never addresses (IDC_STATIC).
inline constexpr int kNoControlId = -1;

// Rectangle in dialog units: x, y, width, height.
struct DialogUnits {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

enum class ControlKind : std::uint8_t {
  PushButton,         // PUSHBUTTON
  DefaultPushButton,  // DEFPUSHBUTTON
  CheckBox,           // CHECKBOX: the dialog sets the mark itself
  AutoCheckBox,       // AUTOCHECKBOX: the system toggles the mark on a click
  RadioButton,        // RADIOBUTTON: the dialog sets the mark itself
  GroupBox,           // GROUPBOX with a title
  Frame,              // a plain etched frame without title
  BlackFrame,         // SS_BLACKFRAME
  Text,               // LTEXT
  RightText,          // RTEXT
  Edit,               // EDITTEXT
  DropDownList,       // COMBOBOX with CBS_DROPDOWNLIST
  Bitmap,             // static with SS_BITMAP showing the bitmap `bitmap`
  OwnerDrawButton,    // button with BS_OWNERDRAW: the dialog paints it
};

// Whether a control is a button that can be pressed (and sends BN_CLICKED):
// push, check, radio and owner-drawn buttons. A group box is a button to
// the window system but is never pressed.
constexpr bool IsPressableButton(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::CheckBox:
    case ControlKind::AutoCheckBox:
    case ControlKind::RadioButton:
    case ControlKind::OwnerDrawButton: return true;
    default: return false;
  }
}

// Style bits beyond those the kind implies.
enum ControlStyle : std::uint32_t {
  kStyleNone = 0,
  kStyleHidden = 1u << 0,      // not WS_VISIBLE
  kStyleDisabled = 1u << 1,    // WS_DISABLED
  kStyleTabStop = 1u << 2,     // WS_TABSTOP
  kStyleBorder = 1u << 3,      // WS_BORDER
  kStyleAutoHScroll = 1u << 4, // ES_AUTOHSCROLL
  kStyleFlat = 1u << 5,        // BS_FLAT
};

struct ControlTemplate {
  int id = kNoControlId;
  ControlKind kind = ControlKind::Text;
  const char* text = "";
  DialogUnits rect;
  std::uint32_t style = kStyleNone;
  int bitmap = 0;  // Bitmap kind only: the bitmap resource shown
};

struct DialogTemplate {
  const char* name;     // resource name
  const char* caption;
  const char* font;
  int fontPoints;
  DialogUnits rect;
  std::span<const ControlTemplate> controls;

  // The control with this id, or null.
  constexpr const ControlTemplate* Find(int id) const {
    for (const ControlTemplate& control : controls) {
      if (control.id == id) return &control;
    }
    return nullptr;
  }
};

// One entry of the module's string table.
struct StringResource {
  int id;
  const char* text;
};

}  // namespace k7730::ui
