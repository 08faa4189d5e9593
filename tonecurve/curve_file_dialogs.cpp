// Saving and loading through the file dialogs, and the messages of the
// status codes.
#include "tonecurve/curve_file.h"
#include "window/file_dialogs.h"
#include "window/message_box.h"
#include "window/window_state.h"

namespace k7730 {

const char* CurveFileMessage(int status) {
  switch (status) {
    case kCurveFileCannotOpen: return "Can not open file.";
    case kCurveFileCannotCreate: return "Can not create file.";
    case kCurveFileCannotRead: return "Can not read file.";
    case kCurveFileCannotWrite: return "Can not write file.";
    case kCurveFileUnsupported: return "Unsupported file format.";
    default: return nullptr;
  }
}

void ReportCurveFileStatus(int status, const char* caption) {
  const char* message = CurveFileMessage(status);
  if (message != nullptr) ui::ShowStopMessage(0, message, caption);
}

int SaveCurveFile(const ToneCurveSet& set) {
  // Sampled before the dialog: the key is released by the time it closes.
  const int numbering = ui::IsShiftDown() ? kAlternativeNumbering : kNormalNumbering;
  char path[ui::kDialogPathSize] = "";
  if (ui::ChooseSaveFile(ui::ActiveWindow(), "Save", nullptr, path) != 1) return kCurveFileOk;
  return WriteCurveFile(set, path, numbering);
}

int LoadCurveFile(ToneCurveSet& set) {
  char path[ui::kDialogPathSize] = "";
  if (ui::ChooseOpenFile(ui::ActiveWindow(), "Load", nullptr, nullptr, path) != 1) {
    return kCurveFileOk;
  }
  return ReadCurveFile(set, path);
}

}  // namespace k7730
