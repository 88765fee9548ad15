// A tree view whose sorting reaches every level of the tree. Sorting is
// explicit: AlphaSort or CustomSort sort the tree as it is then; nodes added
// later stay where they were added.
//
// The tree can be sorted once it is placed on a window (it has a parent);
// before that the sort operations do nothing and return false, so a sort
// type set while a window is being built sorts nothing.
//
// GUI thread only. The view owns its nodes (see platform::TTreeView).
#pragma once

#include <cstdint>
#include <functional>

#include "platform/gui/controls_grids.h"

enum class TSortType { stNone, stData, stText, stBoth };

// A comparison of two nodes with the caller's data: <0, 0, >0.
using TTVCompare = std::function<int(platform::TTreeNode& a, platform::TTreeNode& b, std::intptr_t data)>;

class THETreeView : public platform::TTreeView {
 public:
  THETreeView() = default;

  TSortType SortType() const { return sortType_; }
  // Stores the type; stText and stBoth, and stData with an OnCompare handler,
  // then run AlphaSort.
  void SetSortType(TSortType type);

  // CustomSort with the default comparison; false without a window.
  bool AlphaSort();
  // Sorts the top level by compare (the default comparison when it is
  // empty), then the children of every node: by compare, or, without one,
  // by OnCompare when it is set and by the default comparison otherwise.
  bool CustomSort(const TTVCompare& compare, std::intptr_t data);

  // The texts of two nodes in Polish order, letter case counting.
  static int DefaultCompare(platform::TTreeNode& a, platform::TTreeNode& b);

  // Compares two nodes for the data sort: compare := <0, 0, >0.
  std::function<void(platform::TComponent& sender, platform::TTreeNode* a, platform::TTreeNode* b,
                     std::intptr_t data, int& compare)>
      OnCompare;

 private:
  bool HasWindow() const { return Parent() != nullptr; }

  TSortType sortType_ = TSortType::stNone;
};
