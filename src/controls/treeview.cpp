#include "controls/treeview.h"

#include "platform/files/collate.h"

using platform::TTreeNode;

int THETreeView::DefaultCompare(TTreeNode& a, TTreeNode& b) {
  return platform::CompareLocaleText(a.Text(), b.Text());
}

void THETreeView::SetSortType(TSortType type) {
  if (type == sortType_) return;
  sortType_ = type;
  if (((type == TSortType::stData || type == TSortType::stBoth) && OnCompare) ||
      type == TSortType::stText || type == TSortType::stBoth) {
    AlphaSort();
  }
}

bool THETreeView::AlphaSort() {
  if (!HasWindow()) return false;
  return CustomSort(nullptr, 0);
}

bool THETreeView::CustomSort(const TTVCompare& compare, std::intptr_t data) {
  if (!HasWindow()) return false;
  const auto top = [&](TTreeNode& a, TTreeNode& b) {
    return compare ? compare(a, b, data) : DefaultCompare(a, b);
  };
  SortChildren(nullptr, top);
  // The node sort of the child levels: without a procedure the data
  // handler decides where there is one.
  const auto children = [&](TTreeNode& a, TTreeNode& b) {
    if (compare) return compare(a, b, data);
    if (OnCompare) {
      int result = 0;
      OnCompare(*this, &a, &b, data, result);
      return result;
    }
    return DefaultCompare(a, b);
  };
  for (TTreeNode* node = GetFirstNode(); node != nullptr; node = node->GetNext()) {
    if (node->Count() > 0) SortChildren(node, children);
  }
  return true;
}
