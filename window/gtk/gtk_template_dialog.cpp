// The DialogWindow primitives on the dialog's widgets.
#include <algorithm>
#include <cstring>
#include <string>

#include "window/gtk/gtk_template_dialog.h"

namespace k7730::ui::gtk {
namespace {

int CopyOut(const char* text, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const int n = std::min(static_cast<int>(std::strlen(text != nullptr ? text : "")), size - 1);
  if (n > 0) std::memcpy(buffer, text, static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

bool IsToggle(ControlKind kind) {
  return kind == ControlKind::CheckBox || kind == ControlKind::AutoCheckBox || kind == ControlKind::RadioButton;
}

}  // namespace

TemplateDialog::Item* TemplateDialog::Find(int id) {
  if (id == kNoControlId) return nullptr;
  for (auto& item : items_) {
    if (item->source->id == id) return item.get();
  }
  return nullptr;
}

const TemplateDialog::Item* TemplateDialog::Find(int id) const {
  return const_cast<TemplateDialog*>(this)->Find(id);
}

void TemplateDialog::SetCaption(const char* text) {
  if (window_ != nullptr) gtk_window_set_title(GTK_WINDOW(window_), text != nullptr ? text : "");
}

int TemplateDialog::GetCaption(char* buffer, int size) const {
  return CopyOut(window_ != nullptr ? gtk_window_get_title(GTK_WINDOW(window_)) : "", buffer, size);
}

void TemplateDialog::SetItemText(int id, const char* text) {
  Item* item = Find(id);
  if (item == nullptr) return;
  const char* shown = text != nullptr ? text : "";
  GtkWidget* w = item->widget;
  if (GTK_IS_ENTRY(w)) {
    gtk_entry_set_text(GTK_ENTRY(w), shown);
  } else if (GTK_IS_LABEL(w)) {
    gtk_label_set_text(GTK_LABEL(w), shown);
  } else if (GTK_IS_FRAME(w)) {
    gtk_frame_set_label(GTK_FRAME(w), shown);
  } else if (GTK_IS_BUTTON(w) && item->source->kind != ControlKind::OwnerDrawButton) {
    gtk_button_set_label(GTK_BUTTON(w), shown);
    KeepLabelInside(w);
  }
}

int TemplateDialog::GetItemText(int id, char* buffer, int size) const {
  const Item* item = Find(id);
  if (item == nullptr) return CopyOut("", buffer, size);
  GtkWidget* w = item->widget;
  const char* text = "";
  if (GTK_IS_ENTRY(w)) {
    text = gtk_entry_get_text(GTK_ENTRY(w));
  } else if (GTK_IS_LABEL(w)) {
    text = gtk_label_get_text(GTK_LABEL(w));
  } else if (GTK_IS_FRAME(w)) {
    text = gtk_frame_get_label(GTK_FRAME(w));
  } else if (GTK_IS_COMBO_BOX_TEXT(w)) {
    gchar* active = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(w));
    const int n = CopyOut(active, buffer, size);
    g_free(active);
    return n;
  } else if (GTK_IS_BUTTON(w)) {
    text = gtk_button_get_label(GTK_BUTTON(w));
  }
  return CopyOut(text, buffer, size);
}

void TemplateDialog::SetItemInt(int id, std::int32_t value) { SetItemText(id, std::to_string(value).c_str()); }

void TemplateDialog::EnableItem(int id, bool enable) {
  if (Item* item = Find(id)) gtk_widget_set_sensitive(item->widget, enable ? TRUE : FALSE);
}

void TemplateDialog::ShowItem(int id, bool show) {
  Item* item = Find(id);
  if (item == nullptr) return;
  if (show) {
    gtk_widget_show_all(item->widget);
  } else {
    gtk_widget_hide(item->widget);
  }
}

void TemplateDialog::SetMark(Item& item, bool checked) {
  item.checked = checked;
  ++quiet_;
  if (item.radioOff != nullptr && !checked) {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(item.radioOff), TRUE);
  } else {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(item.widget), checked ? TRUE : FALSE);
  }
  --quiet_;
}

void TemplateDialog::CheckRadio(int first, int last, int checked) {
  for (int id = first; id <= last; ++id) CheckItem(id, id == checked);
}

void TemplateDialog::CheckItem(int id, bool checked) {
  Item* item = Find(id);
  if (item != nullptr && IsToggle(item->source->kind)) SetMark(*item, checked);
}

bool TemplateDialog::IsItemChecked(int id) const {
  const Item* item = Find(id);
  return item != nullptr && IsToggle(item->source->kind) &&
         gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(item->widget));
}

void TemplateDialog::FocusItem(int id) {
  if (Item* item = Find(id)) gtk_widget_grab_focus(item->widget);
}

void TemplateDialog::SelectAllText(int id) {
  Item* item = Find(id);
  if (item != nullptr && GTK_IS_EDITABLE(item->widget)) gtk_editable_select_region(GTK_EDITABLE(item->widget), 0, -1);
}

// As the platform's limit: 0 is the largest limit there is; text already
// longer is kept.
void TemplateDialog::LimitText(int id, int characters) {
  Item* item = Find(id);
  if (item == nullptr || !GTK_IS_ENTRY(item->widget)) return;
  const int limit = characters <= 0 ? 0 : std::min(characters, 65535);
  gtk_entry_set_max_length(GTK_ENTRY(item->widget), limit);
}

void TemplateDialog::ComboReset(int id) {
  Item* item = Find(id);
  if (item == nullptr || !GTK_IS_COMBO_BOX_TEXT(item->widget)) return;
  ++quiet_;
  gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(item->widget));
  --quiet_;
}

void TemplateDialog::ComboAdd(int id, const char* text) {
  Item* item = Find(id);
  if (item == nullptr || !GTK_IS_COMBO_BOX_TEXT(item->widget)) return;
  gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(item->widget), text != nullptr ? text : "");
}

void TemplateDialog::ComboSelect(int id, int index) {
  Item* item = Find(id);
  if (item == nullptr || !GTK_IS_COMBO_BOX(item->widget)) return;
  ++quiet_;
  gtk_combo_box_set_active(GTK_COMBO_BOX(item->widget), index);
  --quiet_;
}

int TemplateDialog::ComboSelection(int id) const {
  const Item* item = Find(id);
  if (item == nullptr || !GTK_IS_COMBO_BOX(item->widget)) return kNoSelection;
  const int active = gtk_combo_box_get_active(GTK_COMBO_BOX(item->widget));
  return active < 0 ? kNoSelection : active;
}

PixelRect TemplateDialog::ItemRect(int id) const {
  const Item* item = Find(id);
  return item != nullptr ? item->rect : PixelRect{};
}

void TemplateDialog::MoveItem(int id, const PixelRect& rect) {
  Item* item = Find(id);
  if (item == nullptr) return;
  item->rect = rect;
  gtk_widget_set_size_request(item->widget, std::max(rect.Width(), 0), std::max(rect.Height(), 0));
  gtk_fixed_move(GTK_FIXED(fixed_), item->widget, rect.left, rect.top);
}

// The client area grows or shrinks to end at these coordinates; GTK's frame
// lies outside it.
void TemplateDialog::ExtendTo(int right, int bottom) {
  if (fixed_ == nullptr) return;
  gtk_widget_set_size_request(fixed_, std::max(right, 1), std::max(bottom, 1));
  gtk_window_resize(GTK_WINDOW(window_), 1, 1);
}

void TemplateDialog::RedrawItem(int id) {
  if (Item* item = Find(id)) gtk_widget_queue_draw(item->widget);
}

AreaWindow* TemplateDialog::CreateArea(const char* className, const PixelRect& rect, AreaHandler& handler) {
  if (fixed_ == nullptr) return nullptr;
  auto area = std::make_unique<DrawingAreaWindow>(system_, handler);
  area->Create(fixed_, className != nullptr ? className : "", rect);
  areas_.push_back(std::move(area));
  return areas_.back().get();
}

void TemplateDialog::DestroyArea(AreaWindow* area) {
  auto found = std::find_if(areas_.begin(), areas_.end(),
                            [&](const std::unique_ptr<DrawingAreaWindow>& a) { return a.get() == area; });
  if (found == areas_.end()) return;
  (*found)->Destroy();
  areas_.erase(found);
}

WindowId TemplateDialog::Handle() const { return reinterpret_cast<WindowId>(window_); }

}  // namespace k7730::ui::gtk
