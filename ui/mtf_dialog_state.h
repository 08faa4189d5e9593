// The MTF dialog's procedure and the record it edits.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "ui/mtf_file.h"
#include "window/ui_platform.h"

namespace k7730::ui {

struct MtfDialogState {
  MtfSettings working{};
  char currentPath[platform::kMaxPath] = "";
  char defaultFolder[platform::kMaxPath] = "";
};

class MtfDialog final : public DialogProcedure {
 public:
  explicit MtfDialog(MtfDialogState& state) : state_(state) {}

  void Init(DialogWindow& dialog) override;
  void Command(DialogWindow& dialog, int id, int notification) override;
  int DrawItem(DialogWindow&, int) override { return 0; }
  void Destroy(DialogWindow&) override {}

 private:
  void ShowFields(DialogWindow& dialog);
  // Reads every field into the working copy: 0, 1007 or 1008, with the
  // field to put the focus on.
  int ReadFields(DialogWindow& dialog, int& focusId);
  // Reads the fields; on an error shows it and marks the field. True when
  // the fields were valid.
  bool TakeFields(DialogWindow& dialog);
  void Default(DialogWindow& dialog);
  void Load(DialogWindow& dialog);
  void Save(DialogWindow& dialog);
  // The path buffer for the file dialogs and their initial folder.
  const char* PrepareFileDialog(char* path, char* folder) const;

  MtfDialogState& state_;
};

}  // namespace k7730::ui
