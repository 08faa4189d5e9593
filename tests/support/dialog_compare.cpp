#include "tests/support/dialog_compare.h"

#include "resources/correction_dialog.h"
#include "resources/icc_dialog.h"
#include "resources/mtf_dialog.h"
#include "resources/tonecurve_dialog.h"

namespace k7730::test {
namespace {

using ui::ControlKind;
using ui::ControlTemplate;
using ui::DialogTemplate;

// The tone-curve editor moves most of its controls when it starts; only
// these stay where the template puts them.
bool StaysInPlace(const DialogTemplate& dialog, int id) {
  if (&dialog != &res::kToneCurveDialog) return true;
  return id == res::kTcGammaTool || id == res::kTcFreeHandTool || id == res::kTcPointsTool ||
         id == res::kTcGammaBox || id == res::kTcAreaFrame;
}

void CompareControl(const DialogView& view, const DialogTemplate& dialog, const ControlTemplate& control,
                    const Failure& fail) {
  const std::string where = std::string(dialog.name) + " control " + std::to_string(control.id);
  if (!view.Has(control.id)) return fail(where + " is missing");
  const std::string wrong = view.WrongType(control.id, control.kind);
  if (!wrong.empty()) fail(where + " is a " + wrong);
  if ((control.style & ui::kStyleHidden) && view.Visible(control.id)) fail(where + " should be hidden");
  if ((control.style & ui::kStyleDisabled) && view.Enabled(control.id)) fail(where + " should be disabled");
  const auto caption = control.kind == ControlKind::OwnerDrawButton ? std::nullopt : view.Caption(control.id);
  if (caption && *caption != control.text) fail(where + " reads \"" + *caption + "\"");
  const auto actual = StaysInPlace(dialog, control.id) ? view.Place(control.id) : std::nullopt;
  if (!actual) return;
  const Box expected = view.Pixels(control.rect);
  // A drop-down list is as high as its edit field; a bitmap static takes
  // its bitmap's size.
  const bool sizeFixed = control.kind != ControlKind::Bitmap;
  const bool heightFixed = sizeFixed && control.kind != ControlKind::DropDownList;
  if (actual->left != expected.left || actual->top != expected.top || (sizeFixed && actual->right != expected.right) ||
      (heightFixed && actual->bottom != expected.bottom)) {
    fail(where + " at " + Describe(*actual) + ", template says " + Describe(expected));
  }
}

}  // namespace

std::string Describe(const Box& b) {
  return std::to_string(b.left) + "," + std::to_string(b.top) + "," + std::to_string(b.right) + "," +
         std::to_string(b.bottom);
}

const DialogTemplate* TemplateOf(const std::string& caption, const DialogView& view) {
  if (caption == "Correction") return &res::kCorrectionDialog;
  if (caption == "Color Matching") return &res::kIccDialog;
  if (caption == "MTF" && view.Has(res::kMfScale)) return &res::kMtfDialog;
  if ((caption == "Input Tone Curve" || caption == "Output Tone Curve") && view.Has(res::kTcAreaFrame)) {
    return &res::kToneCurveDialog;
  }
  return nullptr;
}

void CompareWithTemplate(const DialogView& view, const DialogTemplate& dialog, const std::string& caption,
                         const Box& client, const Failure& fail) {
  if (&dialog != &res::kToneCurveDialog) {
    const Box expected = view.Pixels({0, 0, dialog.rect.width, dialog.rect.height});
    if (client.right != expected.right || client.bottom != expected.bottom) {
      fail(caption + " client " + Describe(client) + ", template says " + Describe(expected));
    }
  }
  for (const ControlTemplate& control : dialog.controls) {
    if (control.id != ui::kNoControlId) CompareControl(view, dialog, control, fail);
  }
}

}  // namespace k7730::test
