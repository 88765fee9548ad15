#include "controls/historyedit.h"

#include <memory>

namespace {

// One stored history: its number and its texts (none while empty or while
// lent to a bound edit).
struct THistoryList {
  std::int32_t Id = 0;
  std::optional<std::vector<std::string>> Texts;
};

// The store of all histories, searched by number in creation order.
class THistoryLists {
public:
  THistoryList& GetList(std::int32_t Id) {
    for (auto& l : lists_)
      if (l->Id == Id) return *l;
    lists_.push_back(std::make_unique<THistoryList>());
    lists_.back()->Id = Id;
    return *lists_.back();
  }

private:
  std::vector<std::unique_ptr<THistoryList>> lists_;
};

THistoryLists& Store() {
  static THistoryLists store;
  return store;
}

}  // namespace

THistoryEdit::~THistoryEdit() {
  AddToHistory();
  std::vector<std::string> texts = Items().ToVector();
  THistoryList& list = Store().GetList(FHistoryId);
  if (texts.empty()) list.Texts.reset();
  else list.Texts = std::move(texts);
}

void THistoryEdit::SetHistoryId(std::int32_t Id) {
  FHistoryId = Id;
  THistoryList& list = Store().GetList(Id);
  if (!list.Texts) return;
  const std::string text = Text();
  Items().Assign(*list.Texts);
  SetText(text);
  list.Texts.reset();
}

void THistoryEdit::AddToHistory() {
  const std::string text = Text();
  if (text.empty()) return;
  const int at = Items().IndexOf(text);
  if (at == 0) return;
  if (at > 0) {
    std::string entry = Items()[at];
    Items().Delete(at);
    Items().Insert(0, std::move(entry));
  } else {
    Items().Insert(0, text);
  }
  // Changing the list must not change what the user typed.
  if (Text() != text) SetText(text);
}

std::optional<std::vector<std::string>> THistoryEdit::StoredHistory(std::int32_t Id) {
  return Store().GetList(Id).Texts;
}

void THistoryEdit::DoExit() {
  AddToHistory();
  platform::TComboBox::DoExit();
}
