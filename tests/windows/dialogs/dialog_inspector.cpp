// The Win32 inspector: watches the host's thread from a thread of its own
// and checks each dialog's font, client size in dialog units and every
// control's class, kind, text, visibility and place.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>

#include "resources/tonecurve_dialog.h"
#include "tests/support/dialog_compare.h"
#include "tests/support/dialog_report.h"
#include "tools/win32_resources/resource_script.h"

namespace k7730::test {
namespace {

using ui::ControlKind;
using ui::DialogTemplate;

DWORD g_thread = 0;
HWND g_owner = nullptr;
HANDLE g_inspector = nullptr;
volatile LONG g_stop = 0;
int g_failures = 0;

void Fail(const std::string& what) {
  ++g_failures;
  std::printf("FAIL|%s\n", what.c_str());
  std::fflush(stdout);
}

std::string Text(HWND hwnd) {
  char text[512] = "";
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// The low style bits that tell one kind of button or static from another,
// and the mask that selects them.
struct KindStyle {
  ControlKind kind;
  DWORD bits, mask;
};
constexpr KindStyle kKindStyles[] = {
    {ControlKind::PushButton, BS_PUSHBUTTON, BS_TYPEMASK}, {ControlKind::DefaultPushButton, BS_DEFPUSHBUTTON, BS_TYPEMASK},
    {ControlKind::CheckBox, BS_CHECKBOX, BS_TYPEMASK},     {ControlKind::AutoCheckBox, BS_AUTOCHECKBOX, BS_TYPEMASK},
    {ControlKind::RadioButton, BS_RADIOBUTTON, BS_TYPEMASK}, {ControlKind::GroupBox, BS_GROUPBOX, BS_TYPEMASK},
    {ControlKind::OwnerDrawButton, BS_OWNERDRAW, BS_TYPEMASK}, {ControlKind::Frame, SS_ETCHEDFRAME, SS_TYPEMASK},
    {ControlKind::BlackFrame, SS_BLACKFRAME, SS_TYPEMASK}, {ControlKind::Text, SS_LEFT, SS_TYPEMASK},
    {ControlKind::RightText, SS_RIGHT, SS_TYPEMASK},       {ControlKind::Bitmap, SS_BITMAP, SS_TYPEMASK},
    {ControlKind::DropDownList, CBS_DROPDOWNLIST, 0x3},     {ControlKind::Edit, ES_LEFT, 0x3}};

KindStyle StyleOf(ControlKind kind) {
  for (const KindStyle& k : kKindStyles)
    if (k.kind == kind) return k;
  return {kind, 0, BS_TYPEMASK};
}

RECT ClientRectOf(HWND dialog, HWND item) {
  RECT r{};
  GetWindowRect(item, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

test::Box BoxOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
std::string Describe(const RECT& r) { return test::Describe(BoxOf(r)); }

class Win32View : public test::DialogView {
 public:
  explicit Win32View(HWND dialog) : dialog_(dialog) {}
  bool Has(int id) const override { return Item(id) != nullptr; }
  std::string WrongType(int id, ControlKind kind) const override {
    const std::string name = ClassOf(id);
    if (lstrcmpiA(name.c_str(), resgen::ControlClass(kind)) != 0) return name;
    const DWORD style = static_cast<DWORD>(GetWindowLongA(Item(id), GWL_STYLE));
    return (style & StyleOf(kind).mask) == StyleOf(kind).bits ? "" : name + " of another style";
  }
  bool Visible(int id) const override { return IsWindowVisible(Item(id)); }
  bool Enabled(int id) const override { return IsWindowEnabled(Item(id)); }
  // Buttons show their template text; what statics and edits show is up
  // to the dialog.
  std::optional<std::string> Caption(int id) const override {
    if (lstrcmpiA(ClassOf(id).c_str(), "Button") != 0) return std::nullopt;
    return Text(Item(id));
  }
  std::optional<test::Box> Place(int id) const override { return BoxOf(ClientRectOf(dialog_, Item(id))); }
  // The dialog manager converts a control's position and its size each on
  // its own, so the right edge is the converted x plus the converted width.
  test::Box Pixels(const ui::DialogUnits& u) const override {
    RECT place{u.x, u.y, u.x, u.y};
    RECT size{0, 0, u.width, u.height};
    MapDialogRect(dialog_, &place);
    MapDialogRect(dialog_, &size);
    return {place.left, place.top, place.left + size.right, place.top + size.bottom};
  }

 private:
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  std::string ClassOf(int id) const {
    char name[64] = "";
    GetClassNameA(Item(id), name, sizeof name);
    return name;
  }
  HWND dialog_;
};

void CheckFont(HWND hwnd, const DialogTemplate& dialog) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
  LOGFONTA logFont{};
  if (font == nullptr || GetObjectA(font, sizeof logFont, &logFont) == 0) return Fail(std::string(dialog.name) + " has no font");
  HDC screen = GetDC(nullptr);
  const LONG height = -MulDiv(dialog.fontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  if (std::strcmp(logFont.lfFaceName, dialog.font) != 0 || logFont.lfHeight != height) {
    Fail(std::string(dialog.name) + " font " + logFont.lfFaceName + " " + std::to_string(logFont.lfHeight));
  }
}

void CheckDrawingArea(HWND hwnd, const char* caption) {
  HWND area = FindWindowExA(hwnd, nullptr, "EditArea", nullptr);
  if (area == nullptr) return Fail("the tone-curve editor has no EditArea window");
  if (Text(area) != "edit") Fail("the drawing area is titled " + Text(area));
  RECT client{};
  GetClientRect(area, &client);
  if (client.right != 256 || client.bottom != 256) Fail("the drawing area's client is " + Describe(client));
  const RECT frame = ClientRectOf(hwnd, GetDlgItem(hwnd, res::kTcAreaFrame));
  const RECT placed = ClientRectOf(hwnd, area);
  if (placed.left != frame.left || placed.top != frame.top) Fail("the drawing area is not at frame 1215");
  RECT screen{};
  GetWindowRect(area, &screen);
  std::printf("area|%s|%ld|%ld|%ld|%ld\n", caption, screen.left, screen.top, screen.right, screen.bottom);
}

BOOL CALLBACK PrintChild(HWND child, LPARAM lParam) {
  const auto* caption = reinterpret_cast<const std::string*>(lParam);
  RECT r{};
  GetWindowRect(child, &r);
  char className[64] = "";
  GetClassNameA(child, className, sizeof className);
  std::printf("item|%s|%d|%ld|%ld|%ld|%ld|%s\n", caption->c_str(), GetDlgCtrlID(child), r.left, r.top, r.right,
              r.bottom, className);
  return TRUE;
}

BOOL CALLBACK MessageText(HWND child, LPARAM lParam) {
  char className[32] = "";
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Static") == 0 && !Text(child).empty()) *reinterpret_cast<std::string*>(lParam) = Text(child);
  return TRUE;
}

void Inspect(HWND hwnd) {
  const std::string caption = Text(hwnd);
  RECT frame{}, client{};
  GetWindowRect(hwnd, &frame);
  GetClientRect(hwnd, &client);
  std::printf("window|%s|%ld|%ld|%ld|%ld|%ld|%ld\n", caption.c_str(), frame.left, frame.top, frame.right,
              frame.bottom, client.right, client.bottom);
  EnumChildWindows(hwnd, PrintChild, reinterpret_cast<LPARAM>(&caption));
  const Win32View view(hwnd);
  const DialogTemplate* dialog = test::TemplateOf(caption, view);
  if (dialog == nullptr) {
    std::string text;
    EnumChildWindows(hwnd, MessageText, reinterpret_cast<LPARAM>(&text));
    std::printf("message|%s|%s\n", caption.c_str(), text.c_str());
  } else {
    CheckFont(hwnd, *dialog);
    if (dialog == &res::kToneCurveDialog) CheckDrawingArea(hwnd, caption.c_str());
    test::CompareWithTemplate(view, *dialog, caption, BoxOf(client), Fail);
    // The dialog the host asked for is owned by the window it handed over.
    static bool first = true;
    if (first && GetWindow(hwnd, GW_OWNER) != g_owner) Fail(caption + " is not owned by the host's window");
    first = false;
  }
  std::printf("inspected|%s\n", caption.c_str());
  std::fflush(stdout);
}

std::set<HWND> g_seen;

BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM) {
  char className[16] = "";
  GetClassNameA(hwnd, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(hwnd) || g_seen.count(hwnd) != 0) return TRUE;
  g_seen.insert(hwnd);
  Inspect(hwnd);
  return TRUE;
}

DWORD WINAPI Watch(void*) {
  while (InterlockedCompareExchange(&g_stop, 0, 0) == 0) {
    EnumThreadWindows(g_thread, VisitWindow, 0);
    Sleep(30);
  }
  return 0;
}

}  // namespace

void StartInspector(std::uintptr_t owner) {
  g_thread = GetCurrentThreadId();
  g_owner = reinterpret_cast<HWND>(owner);
  g_inspector = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
  if (g_inspector == nullptr) Fail("the inspector thread did not start");
}

int StopInspector() {
  InterlockedExchange(&g_stop, 1);
  if (g_inspector != nullptr) {
    WaitForSingleObject(g_inspector, INFINITE);
    CloseHandle(g_inspector);
  }
  return g_failures;
}

}  // namespace k7730::test
