#include "window/scripted/scripted_dialog.h"

#include <algorithm>
#include <cstring>

namespace k7730::ui {
namespace {

int CopyOut(const std::string& text, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const int n = std::min(static_cast<int>(text.size()), size - 1);
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

WindowId g_nextHandle = 0x20000;

}  // namespace

VirtualDialog::VirtualDialog(const DialogTemplate& dialog, WindowId owner, DialogProcedure& procedure)
    : template_(dialog), owner_(owner), procedure_(procedure), handle_(g_nextHandle),
      caption_(dialog.caption) {
  g_nextHandle += 0x100000;
  for (const ControlTemplate& source : dialog.controls) {
    Control control;
    control.source = &source;
    control.text = source.text;
    control.enabled = (source.style & kStyleDisabled) == 0;
    control.visible = (source.style & kStyleHidden) == 0;
    control.rect = ToPixels(source.rect);
    controls_.push_back(std::move(control));
  }
  const PixelRect client = ToPixels({0, 0, dialog.rect.width, dialog.rect.height});
  extent_ = {client.right, client.bottom};
}

VirtualDialog::~VirtualDialog() = default;

PixelRect VirtualDialog::ToPixels(const DialogUnits& u) {
  constexpr int kBaseX = 6, kBaseY = 13;  // average character cell of the font
  const int left = u.x * kBaseX / 4, top = u.y * kBaseY / 8;
  return {left, top, left + u.width * kBaseX / 4, top + u.height * kBaseY / 8};
}

void VirtualDialog::Start() {
  procedure_.Init(*this);
  for (const Control& control : controls_) {
    if (control.source->kind == ControlKind::OwnerDrawButton) RedrawItem(control.source->id);
  }
}

void VirtualDialog::Finish() {
  if (!Ended()) Send(2, kBnClicked);
  if (!Ended()) End(2);
  procedure_.Destroy(*this);
}

VirtualDialog::Control* VirtualDialog::Find(int id) {
  for (Control& control : controls_) {
    if (control.source->id == id && id != kNoControlId) return &control;
  }
  return nullptr;
}

const VirtualDialog::Control* VirtualDialog::Find(int id) const {
  return const_cast<VirtualDialog*>(this)->Find(id);
}

VirtualDialog::Control* VirtualDialog::Reachable(int id) {
  Control* control = Find(id);
  if (Ended() || control == nullptr || !control->visible || !control->enabled) return nullptr;
  return control;
}

bool VirtualDialog::Click(int id) {
  Control* control = Reachable(id);
  if (control == nullptr || !IsPressableButton(control->source->kind)) return false;
  if (control->source->kind == ControlKind::AutoCheckBox) control->checked = !control->checked;
  focus = ItemHandle(id);
  Send(id, kBnClicked);
  return true;
}

bool VirtualDialog::Click(const std::string& text) {
  for (const Control& control : controls_) {
    if (control.text == text && control.visible && control.enabled &&
        IsPressableButton(control.source->kind)) {
      return Click(control.source->id);
    }
  }
  return false;
}

bool VirtualDialog::Type(int id, const std::string& text) {
  Control* control = Reachable(id);
  if (control == nullptr || control->source->kind != ControlKind::Edit) return false;
  focus = ItemHandle(id);
  control->text = text.substr(0, static_cast<std::size_t>(control->limit));
  control->selected = false;
  Send(id, kEnChange);
  return true;
}

bool VirtualDialog::Pick(int id, int index) {
  Control* control = Reachable(id);
  if (control == nullptr || control->source->kind != ControlKind::DropDownList) return false;
  if (index < 0 || index >= static_cast<int>(control->items.size())) return false;
  focus = ItemHandle(id);
  control->selection = index;
  Send(id, kCbnSelChange);
  if (!Ended()) Send(id, kCbnSelEndOk);
  if (!Ended()) Send(id, kCbnCloseUp);
  return true;
}

VirtualArea* VirtualDialog::Area() { return areas_.size() == 1 ? areas_.front().get() : nullptr; }

std::string VirtualDialog::Text(int id) const {
  const Control* control = Find(id);
  return control != nullptr ? control->text : std::string();
}

bool VirtualDialog::Enabled(int id) const {
  const Control* control = Find(id);
  return control != nullptr && control->enabled;
}

bool VirtualDialog::Visible(int id) const {
  const Control* control = Find(id);
  return control != nullptr && control->visible;
}

bool VirtualDialog::Checked(int id) const {
  const Control* control = Find(id);
  return control != nullptr && control->checked;
}

int VirtualDialog::FocusedItem() const {
  for (const Control& control : controls_) {
    if (focus == ItemHandle(control.source->id)) return control.source->id;
  }
  return 0;
}

bool VirtualDialog::AreaHasFocus() const {
  return std::any_of(areas_.begin(), areas_.end(),
                     [&](const auto& area) { return area->Handle() == focus; });
}

std::vector<std::string> VirtualDialog::ComboItems(int id) const {
  const Control* control = Find(id);
  return control != nullptr ? control->items : std::vector<std::string>{};
}

int VirtualDialog::TextLimit(int id) const {
  const Control* control = Find(id);
  return control != nullptr ? control->limit : 0;
}

bool VirtualDialog::TextSelected(int id) const {
  const Control* control = Find(id);
  return control != nullptr && control->selected;
}

int VirtualDialog::Bitmap(int id) const {
  const Control* control = Find(id);
  return control != nullptr ? control->bitmap : 0;
}

int VirtualDialog::GetCaption(char* buffer, int size) const { return CopyOut(caption_, buffer, size); }

void VirtualDialog::SetItemText(int id, const char* text) {
  Control* control = Find(id);
  if (control == nullptr) return;
  control->text = text != nullptr ? text : "";
  control->selected = false;
  // An edit tells its dialog about every change, also one made by the program.
  if (control->source->kind == ControlKind::Edit) Send(id, kEnChange);
}

int VirtualDialog::GetItemText(int id, char* buffer, int size) const {
  const Control* control = Find(id);
  return CopyOut(control != nullptr ? control->text : std::string(), buffer, size);
}

void VirtualDialog::SetItemInt(int id, std::int32_t value) {
  SetItemText(id, std::to_string(value).c_str());
}

void VirtualDialog::EnableItem(int id, bool enable) {
  if (Control* control = Find(id)) control->enabled = enable;
}

void VirtualDialog::ShowItem(int id, bool show) {
  if (Control* control = Find(id)) control->visible = show;
}

void VirtualDialog::CheckRadio(int first, int last, int checked) {
  for (Control& control : controls_) {
    const int id = control.source->id;
    if (id >= first && id <= last) control.checked = id == checked;
  }
}

void VirtualDialog::CheckItem(int id, bool checked) {
  if (Control* control = Find(id)) control->checked = checked;
}

void VirtualDialog::FocusItem(int id) {
  if (Find(id) != nullptr) focus = ItemHandle(id);
}

void VirtualDialog::SelectAllText(int id) {
  if (Control* control = Find(id)) control->selected = true;
}

void VirtualDialog::LimitText(int id, int characters) {
  if (Control* control = Find(id)) control->limit = characters > 0 ? characters : 30000;
}

void VirtualDialog::ComboReset(int id) {
  if (Control* control = Find(id)) {
    control->items.clear();
    control->selection = kNoSelection;
  }
}

void VirtualDialog::ComboAdd(int id, const char* text) {
  if (Control* control = Find(id)) control->items.emplace_back(text != nullptr ? text : "");
}

void VirtualDialog::ComboSelect(int id, int index) {
  Control* control = Find(id);
  if (control == nullptr) return;
  const bool valid = index >= 0 && index < static_cast<int>(control->items.size());
  control->selection = valid ? index : kNoSelection;
}

int VirtualDialog::ComboSelection(int id) const {
  const Control* control = Find(id);
  return control != nullptr ? control->selection : kNoSelection;
}

PixelRect VirtualDialog::ItemRect(int id) const {
  const Control* control = Find(id);
  return control != nullptr ? control->rect : PixelRect{};
}

void VirtualDialog::MoveItem(int id, const PixelRect& rect) {
  if (Control* control = Find(id)) control->rect = rect;
}

void VirtualDialog::RedrawItem(int id) {
  Control* control = Find(id);
  if (control == nullptr || control->source->kind != ControlKind::OwnerDrawButton) return;
  control->bitmap = procedure_.DrawItem(*this, id);
}

void VirtualDialog::End(int result) {
  if (!Ended()) result_ = result;
}

AreaWindow* VirtualDialog::CreateArea(const char* className, const PixelRect& rect,
                                      AreaHandler& handler) {
  const WindowId handle = handle_ + 0x8000 + static_cast<WindowId>(areas_.size());
  areas_.push_back(std::make_unique<VirtualArea>(*this, handle, className, rect, handler));
  return areas_.back().get();
}

void VirtualDialog::DestroyArea(AreaWindow* area) {
  std::erase_if(areas_, [&](const auto& owned) { return owned.get() == area; });
}

WindowId VirtualDialog::Handle() const { return handle_; }
void VirtualDialog::SetCaption(const char* text) { caption_ = text != nullptr ? text : ""; }
bool VirtualDialog::IsItemChecked(int id) const { return Checked(id); }
void VirtualDialog::ExtendTo(int right, int bottom) { extent_ = {right, bottom}; }

}  // namespace k7730::ui
