// What the real-window dialog suites (the Win32 DLL under Wine, the GTK
// library) check of a dialog on the screen against the template it was
// built from: every control's type, caption, visibility, state and place,
// and the client size. Each window system answers through a DialogView.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "resources/dialog_template.h"

namespace k7730::test {

struct Box {
  long left = 0, top = 0, right = 0, bottom = 0;
};

std::string Describe(const Box& b);

class DialogView {
 public:
  virtual ~DialogView() = default;
  virtual bool Has(int id) const = 0;
  // The control's type when it is not the one `kind` makes, else empty.
  virtual std::string WrongType(int id, ui::ControlKind kind) const = 0;
  virtual bool Visible(int id) const = 0;
  virtual bool Enabled(int id) const = 0;
  // What a button shows; nothing for controls whose text is the dialog's.
  virtual std::optional<std::string> Caption(int id) const = 0;
  // The control's box in client coordinates, or nothing where its place is
  // not measured.
  virtual std::optional<Box> Place(int id) const = 0;
  // Dialog units in pixels, as this window system converts them.
  virtual Box Pixels(const ui::DialogUnits& units) const = 0;
};

using Failure = std::function<void(const std::string&)>;

// The template of one of the module's dialogs with this caption, if it is
// one (a message box or a file dialog is not).
const ui::DialogTemplate* TemplateOf(const std::string& caption, const DialogView& view);

// The client size (but for the tone-curve editor, which grows its own) and
// every control with an id; each mismatch goes to `fail`.
void CompareWithTemplate(const DialogView& view, const ui::DialogTemplate& dialog, const std::string& caption,
                         const Box& client, const Failure& fail);

}  // namespace k7730::test
