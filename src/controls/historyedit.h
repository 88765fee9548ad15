// The history edit: a combo box whose list remembers the texts entered in
// it, most recent first, while the program runs. Edits with the same
// HistoryId share one history, so a dialog opened again (or another dialog
// with that number) offers the same entries. Nothing is stored on disk.
//
// While an edit with a history's number is bound, the history holds nothing
// and the edit's list is the working copy; when the edit is freed its list
// goes back to the store (two edits bound at once: the first takes the
// texts, the last freed leaves its list).
//
// GUI thread only, like the store of the histories, which lives until the
// program ends.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>
#include <string>

#include "platform/gui/controls_std.h"

class THistoryEdit : public platform::TComboBox {
public:
  THistoryEdit() = default;
  // Puts the text into the history, then the list goes back to the store.
  ~THistoryEdit() override;

  std::int32_t HistoryId() const { return FHistoryId; }
  // Binds the edit to that history: a history holding texts replaces the
  // edit's list (the designed items) and lets go of them.
  void SetHistoryId(std::int32_t Id);

  // A non-empty text goes to the top of the list: an entry equal to it
  // ignoring letter case moves there, else it is inserted.
  void AddToHistory();

  // The texts the store holds for Id (none while an edit with it is bound).
  static std::optional<std::vector<std::string>> StoredHistory(std::int32_t Id);

protected:
  // The text goes into the history before the exit event.
  void DoExit() override;

private:
  std::int32_t FHistoryId = 0;
};
