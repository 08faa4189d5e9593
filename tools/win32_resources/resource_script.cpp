#include "tools/win32_resources/resource_script.h"

#include <sstream>

namespace k7730::resgen {
namespace {

using ui::ControlKind;

// A string literal of the resource language: quotes doubled.
std::string Quoted(const char* text) {
  std::string out = "\"";
  for (const char* p = text; *p != '\0'; ++p) {
    out += *p;
    if (*p == '"') out += '"';
  }
  return out + "\"";
}

const char* KindStyle(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton: return "BS_PUSHBUTTON";
    case ControlKind::DefaultPushButton: return "BS_DEFPUSHBUTTON";
    case ControlKind::CheckBox: return "BS_CHECKBOX";
    case ControlKind::AutoCheckBox: return "BS_AUTOCHECKBOX";
    case ControlKind::RadioButton: return "BS_RADIOBUTTON";
    case ControlKind::GroupBox: return "BS_GROUPBOX";
    case ControlKind::Frame: return "SS_ETCHEDFRAME";
    case ControlKind::BlackFrame: return "SS_BLACKFRAME";
    case ControlKind::Text: return "SS_LEFT";
    case ControlKind::RightText: return "SS_RIGHT";
    case ControlKind::Edit: return "ES_LEFT";
    case ControlKind::DropDownList: return "CBS_DROPDOWNLIST | WS_VSCROLL";
    case ControlKind::Bitmap: return "SS_BITMAP";
    case ControlKind::OwnerDrawButton: return "BS_OWNERDRAW";
  }
  return "0";
}

// Push buttons, check boxes and lists take the keyboard focus by default.
bool TabStopByKind(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::CheckBox:
    case ControlKind::AutoCheckBox:
    case ControlKind::DropDownList: return true;
    default: return false;
  }
}

std::string ControlText(const ui::ControlTemplate& control) {
  // A bitmap static names its bitmap by ordinal.
  if (control.kind == ControlKind::Bitmap) return std::to_string(control.bitmap);
  return Quoted(control.text);
}

void WriteDialog(std::ostream& out, const ui::DialogTemplate& dialog) {
  out << dialog.name << " DIALOG " << dialog.rect.x << ", " << dialog.rect.y << ", " << dialog.rect.width
      << ", " << dialog.rect.height << "\n"
      << "STYLE DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU\n"
      << "CAPTION " << Quoted(dialog.caption) << "\n"
      << "FONT " << dialog.fontPoints << ", " << Quoted(dialog.font) << "\n"
      << "BEGIN\n";
  for (const ui::ControlTemplate& control : dialog.controls) {
    const ui::DialogUnits& r = control.rect;
    out << "    CONTROL " << ControlText(control) << ", " << control.id << ", "
        << Quoted(ControlClass(control.kind)) << ", " << ControlStyle(control) << ", " << r.x << ", "
        << r.y << ", " << r.width << ", " << r.height << "\n";
  }
  out << "END\n\n";
}

}  // namespace

const char* ControlClass(ControlKind kind) {
  if (IsPressableButton(kind) || kind == ControlKind::GroupBox) return "Button";
  switch (kind) {
    case ControlKind::Edit: return "Edit";
    case ControlKind::DropDownList: return "ComboBox";
    default: return "Static";
  }
}

std::string ControlStyle(const ui::ControlTemplate& control) {
  std::string style = KindStyle(control.kind);
  const std::uint32_t bits = control.style;
  if (bits & ui::kStyleAutoHScroll) style += " | ES_AUTOHSCROLL";
  if (bits & ui::kStyleFlat) style += " | BS_FLAT";
  if (bits & ui::kStyleBorder) style += " | WS_BORDER";
  if ((bits & ui::kStyleTabStop) || TabStopByKind(control.kind)) style += " | WS_TABSTOP";
  if (bits & ui::kStyleDisabled) style += " | WS_DISABLED";
  // A CONTROL statement is visible unless told otherwise.
  if (bits & ui::kStyleHidden) style += " | NOT WS_VISIBLE";
  return style;
}

std::string ResourceScript(std::span<const ui::DialogTemplate* const> dialogs,
                           std::span<const ui::StringResource> strings, const ResourceFiles& files) {
  std::ostringstream out;
  out << "// K7730fe.dll resources, written by k7730-resgen from the dialog templates and\n"
         "// the string table of resources/. Not to be edited.\n"
         "#include <windows.h>\n\n"
         "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n\n";
  for (const ui::DialogTemplate* dialog : dialogs) WriteDialog(out, *dialog);
  out << "STRINGTABLE\nBEGIN\n";
  for (const ui::StringResource& entry : strings) out << "    " << entry.id << ", " << Quoted(entry.text) << "\n";
  out << "END\n\n";
  for (int id : files.bitmapIds) out << id << " BITMAP \"bitmaps/" << id << ".bmp\"\n";
  out << "\n";
  for (const char* name : files.cursorNames) out << name << " CURSOR \"cursors/" << name << ".cur\"\n";
  return out.str();
}

}  // namespace k7730::resgen
