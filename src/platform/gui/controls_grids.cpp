#include "platform/gui/controls_grids.h"

#include <algorithm>

#include <QHeaderView>
#include <QTableWidget>
#include <QTreeWidget>

#include "platform/gui/controls_impl.h"

namespace platform {

// The grid's own cell drawing (stringgrid.cpp).
QAbstractItemDelegate* MakeGridCellPainter(TStringGrid& grid, QObject* parent);

namespace {

const QColor kFixedColor(0xF0, 0xF0, 0xF0);

}  // namespace

TStringGrid::TStringGrid() {
  auto* table = new QTableWidget(5, 5);
  table->horizontalHeader()->hide();
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->horizontalHeader()->setDefaultSectionSize(defaultColWidth_);
  table->verticalHeader()->setDefaultSectionSize(defaultRowHeight_);
  table->verticalHeader()->setMinimumSectionSize(1);
  table->setItemDelegate(MakeGridCellPainter(*this, table));
  AttachWidget(*this, table);
  QObject::connect(table, &QTableWidget::itemChanged, [this](QTableWidgetItem* item) {
    if (syncing_ || !OnSetEditText) return;
    std::string value = FromQ(item->text());
    int col = item->column();
    int row = item->row();
    GuardCall([&] { OnSetEditText(*this, col, row, value); });
  });
  QObject::connect(table, &QTableWidget::currentCellChanged,
                   [this](int row, int col, int prevRow, int prevCol) {
                     if (syncing_ || row < 0 || col < 0) return;
                     bool canSelect = row >= fixedRows_ && col >= fixedCols_;
                     if (canSelect && OnSelectCell)
                       GuardCall([&] { OnSelectCell(*this, col, row, canSelect); });
                     syncing_ = true;
                     if (!canSelect && prevRow >= 0 && prevCol >= 0) As<QTableWidget>(*this)->setCurrentCell(prevRow, prevCol);
                     syncing_ = false;
                   });
  StyleCells();
  SetBounds(0, 0, 320, 120);
}

int TStringGrid::ColCount() const { return As<QTableWidget>(*this)->columnCount(); }
int TStringGrid::RowCount() const { return As<QTableWidget>(*this)->rowCount(); }

void TStringGrid::SetColCount(int count) {
  syncing_ = true;
  As<QTableWidget>(*this)->setColumnCount(std::max(0, count));
  syncing_ = false;
  StyleCells();
}

void TStringGrid::SetRowCount(int count) {
  syncing_ = true;
  As<QTableWidget>(*this)->setRowCount(std::max(0, count));
  syncing_ = false;
  StyleCells();
}

void TStringGrid::SetFixedCols(int count) {
  fixedCols_ = std::max(0, count);
  StyleCells();
}

void TStringGrid::SetFixedRows(int count) {
  fixedRows_ = std::max(0, count);
  StyleCells();
}

void TStringGrid::StyleCells() {
  auto* table = As<QTableWidget>(*this);
  syncing_ = true;
  for (int r = 0; r < table->rowCount(); ++r) {
    for (int c = 0; c < table->columnCount(); ++c) {
      QTableWidgetItem* item = table->item(r, c);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        table->setItem(r, c, item);
      }
      bool fixed = r < fixedRows_ || c < fixedCols_;
      Qt::ItemFlags flags = Qt::ItemIsEnabled;
      if (!fixed) {
        flags |= Qt::ItemIsSelectable;
        if (options_ & goEditing) flags |= Qt::ItemIsEditable;
      }
      item->setFlags(flags);
      item->setBackground(fixed ? QBrush(kFixedColor) : QBrush());
    }
  }
  table->setSelectionBehavior((options_ & goRowSelect) ? QAbstractItemView::SelectRows
                                                       : QAbstractItemView::SelectItems);
  table->setEditTriggers((options_ & goEditing) ? QAbstractItemView::AllEditTriggers
                                                : QAbstractItemView::NoEditTriggers);
  if ((table->currentRow() < fixedRows_ || table->currentColumn() < fixedCols_) &&
      fixedRows_ < table->rowCount() && fixedCols_ < table->columnCount())
    table->setCurrentCell(fixedRows_, fixedCols_);
  syncing_ = false;
}

void TStringGrid::Check(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
    throw std::out_of_range("Komórka siatki poza zakresem (" + std::to_string(col) + ", " +
                            std::to_string(row) + ")");
}

std::string TStringGrid::Cells(int col, int row) const {
  Check(col, row);
  QTableWidgetItem* item = As<QTableWidget>(*this)->item(row, col);
  return item != nullptr ? FromQ(item->text()) : std::string();
}

void TStringGrid::SetCells(int col, int row, std::string_view text) {
  Check(col, row);
  syncing_ = true;
  As<QTableWidget>(*this)->item(row, col)->setText(ToQ(text));
  syncing_ = false;
}

std::vector<std::string> TStringGrid::Cols(int col) const {
  std::vector<std::string> out;
  for (int r = 0; r < RowCount(); ++r) out.push_back(Cells(col, r));
  return out;
}

std::vector<std::string> TStringGrid::Rows(int row) const {
  std::vector<std::string> out;
  for (int c = 0; c < ColCount(); ++c) out.push_back(Cells(c, row));
  return out;
}

int TStringGrid::ColWidths(int col) const {
  Check(col, 0);
  return As<QTableWidget>(*this)->columnWidth(col);
}

void TStringGrid::SetColWidths(int col, int width) {
  Check(col, 0);
  As<QTableWidget>(*this)->setColumnWidth(col, width);
}

int TStringGrid::RowHeights(int row) const {
  Check(0, row);
  return As<QTableWidget>(*this)->rowHeight(row);
}

void TStringGrid::SetRowHeights(int row, int height) {
  Check(0, row);
  As<QTableWidget>(*this)->setRowHeight(row, height);
}

void TStringGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = width;
  auto* table = As<QTableWidget>(*this);
  table->horizontalHeader()->setDefaultSectionSize(width);
  for (int c = 0; c < table->columnCount(); ++c) table->setColumnWidth(c, width);
}

void TStringGrid::SetDefaultRowHeight(int height) {
  defaultRowHeight_ = height;
  auto* table = As<QTableWidget>(*this);
  table->verticalHeader()->setDefaultSectionSize(height);
  for (int r = 0; r < table->rowCount(); ++r) table->setRowHeight(r, height);
}

void TStringGrid::SetOptions(unsigned options) {
  options_ = options;
  StyleCells();
}

int TStringGrid::Col() const { return As<QTableWidget>(*this)->currentColumn(); }
int TStringGrid::Row() const { return As<QTableWidget>(*this)->currentRow(); }

void TStringGrid::SelectCell(int col, int row) {
  Check(col, row);
  if (col < fixedCols_ || row < fixedRows_) return;
  bool canSelect = true;
  if (OnSelectCell) OnSelectCell(*this, col, row, canSelect);
  if (!canSelect) return;
  syncing_ = true;
  As<QTableWidget>(*this)->setCurrentCell(row, col);
  syncing_ = false;
}

void TStringGrid::UserSelectCell(int col, int row) { SelectCell(col, row); }

bool TStringGrid::UserEditCell(int col, int row, std::string_view text) {
  Check(col, row);
  if (!(options_ & goEditing) || col < fixedCols_ || row < fixedRows_) return false;
  // Through the cell as the editor writes it, so OnSetEditText runs.
  As<QTableWidget>(*this)->item(row, col)->setText(ToQ(text));
  return true;
}

struct TTreeNodeImpl {
  QTreeWidgetItem* item = nullptr;  // owned; freed with the node
};

namespace {

TTreeNode* NodeOf(QTreeWidgetItem* item) {
  if (item == nullptr) return nullptr;
  return reinterpret_cast<TTreeNode*>(item->data(0, Qt::UserRole).value<quintptr>());
}

}  // namespace

TTreeNode::TTreeNode(TTreeView* view, TTreeNode* parent, std::string text, void* data)
    : view_(view), parent_(parent), text_(std::move(text)), data_(data),
      impl_(std::make_unique<TTreeNodeImpl>()) {}

TTreeNode::~TTreeNode() {
  children_.clear();
  delete impl_->item;
}

void TTreeNode::SetText(std::string text) {
  text_ = std::move(text);
  view_->syncing_ = true;
  impl_->item->setText(0, ToQ(text_));
  view_->syncing_ = false;
}

int TTreeNode::Index() const {
  auto& siblings = view_->Siblings(parent_);
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return static_cast<int>(i);
  return -1;
}

int TTreeNode::Level() const {
  int level = 0;
  for (TTreeNode* p = parent_; p != nullptr; p = p->parent_) ++level;
  return level;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  auto& siblings = view_->Siblings(parent_);
  int i = Index();
  return i + 1 < static_cast<int>(siblings.size()) ? siblings[static_cast<size_t>(i + 1)].get() : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  int i = Index();
  return i > 0 ? view_->Siblings(parent_)[static_cast<size_t>(i - 1)].get() : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
  if (!children_.empty()) return children_.front().get();
  for (const TTreeNode* n = this; n != nullptr; n = n->parent_)
    if (TTreeNode* next = n->GetNextSibling()) return next;
  return nullptr;
}

bool TTreeNode::HasChildren() const { return hasChildren_ || !children_.empty(); }

void TTreeNode::SetHasChildren(bool has) {
  hasChildren_ = has;
  impl_->item->setChildIndicatorPolicy(has ? QTreeWidgetItem::ShowIndicator
                                           : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TTreeNode::SetStateIndex(int index) { stateIndex_ = index; }

void TTreeNode::Expand(bool recurse) {
  if (!Expanded()) {
    bool allow = true;
    if (view_->OnExpanding) view_->OnExpanding(*view_, this, allow);
    if (!allow) return;
    expanded_ = true;
    view_->syncing_ = true;
    impl_->item->setExpanded(true);
    view_->syncing_ = false;
  }
  if (recurse)
    for (auto& child : children_) child->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  if (recurse)
    for (auto& child : children_) child->Collapse(true);
  if (!Expanded()) return;
  bool allow = true;
  if (view_->OnCollapsing) view_->OnCollapsing(*view_, this, allow);
  if (!allow) return;
  expanded_ = false;
  view_->syncing_ = true;
  impl_->item->setExpanded(false);
  view_->syncing_ = false;
}

bool TTreeNode::Selected() const { return view_->Selected() == this; }

void TTreeNode::Delete() { view_->Delete(this); }

void TTreeNode::DeleteChildren() {
  while (!children_.empty()) view_->Delete(children_.back().get());
}

TTreeView::TTreeView() {
  auto* tree = new QTreeWidget;
  tree->setHeaderHidden(true);
  tree->setColumnCount(1);
  tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  AttachWidget(*this, tree);
  QObject::connect(tree, &QTreeWidget::currentItemChanged,
                   [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                     if (syncing_) return;
                     TTreeNode* node = NodeOf(current);
                     bool allow = true;
                     if (OnChanging) GuardCall([&] { OnChanging(*this, node, allow); });
                     if (!allow) {
                       syncing_ = true;
                       As<QTreeWidget>(*this)->setCurrentItem(previous);
                       syncing_ = false;
                       return;
                     }
                     if (OnChange) GuardCall([&] { OnChange(*this, node); });
                   });
  // Asks the handler whether a node may expand (collapse); a refusal puts the
  // node back as it was.
  auto askBeforeToggle = [this](const auto& handler, bool wasExpanded) {
    return [this, &handler, wasExpanded](QTreeWidgetItem* item) {
      if (syncing_) return;
      bool allow = true;
      TTreeNode* node = NodeOf(item);
      if (handler) GuardCall([&] { handler(*this, node, allow); });
      if (allow) {
        if (node != nullptr) node->expanded_ = !wasExpanded;
        return;
      }
      syncing_ = true;
      item->setExpanded(wasExpanded);
      syncing_ = false;
    };
  };
  QObject::connect(tree, &QTreeWidget::itemExpanded, askBeforeToggle(OnExpanding, false));
  QObject::connect(tree, &QTreeWidget::itemCollapsed, askBeforeToggle(OnCollapsing, true));
  QObject::connect(tree, &QTreeWidget::itemChanged, [this](QTreeWidgetItem* item, int) {
    if (syncing_) return;
    TTreeNode* node = NodeOf(item);
    std::string text = FromQ(item->text(0));
    GuardCall([&] {
      if (OnEdited) OnEdited(*this, node, text);
    });
    node->SetText(text);
  });
  SetBounds(0, 0, 121, 97);
}

TTreeView::~TTreeView() {
  syncing_ = true;
  roots_.clear();
}

std::vector<std::unique_ptr<TTreeNode>>& TTreeView::Siblings(TTreeNode* parent) {
  return parent != nullptr ? parent->children_ : roots_;
}

TTreeNode* TTreeView::Make(TTreeNode* parent, int index, std::string text, void* data) {
  std::unique_ptr<TTreeNode> node(new TTreeNode(this, parent, std::move(text), data));
  auto* item = new QTreeWidgetItem;  // owned by the node
  item->setText(0, ToQ(node->text_));
  item->setData(0, Qt::UserRole, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(node.get())));
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!readOnly_) flags |= Qt::ItemIsEditable;
  item->setFlags(flags);
  node->impl_->item = item;
  syncing_ = true;
  if (parent != nullptr) {
    parent->impl_->item->insertChild(index, item);
    // A node marked expanded before it had children opens with the first.
    if (parent->expanded_) parent->impl_->item->setExpanded(true);
  } else {
    As<QTreeWidget>(*this)->insertTopLevelItem(index, item);
  }
  syncing_ = false;
  auto& siblings = Siblings(parent);
  TTreeNode* raw = node.get();
  siblings.insert(siblings.begin() + index, std::move(node));
  return raw;
}

TTreeNode* TTreeView::Add(TTreeNode* sibling, std::string text, void* data) {
  TTreeNode* parent = sibling != nullptr ? sibling->parent_ : nullptr;
  return Make(parent, static_cast<int>(Siblings(parent).size()), std::move(text), data);
}

TTreeNode* TTreeView::AddChild(TTreeNode* parent, std::string text, void* data) {
  return Make(parent, static_cast<int>(Siblings(parent).size()), std::move(text), data);
}

TTreeNode* TTreeView::AddChildFirst(TTreeNode* parent, std::string text, void* data) {
  return Make(parent, 0, std::move(text), data);
}

TTreeNode* TTreeView::Insert(TTreeNode* node, std::string text, void* data) {
  if (node == nullptr) return Add(nullptr, std::move(text), data);
  return Make(node->parent_, node->Index(), std::move(text), data);
}

void TTreeView::Remove(TTreeNode* node) {
  auto& siblings = Siblings(node->parent_);
  auto it = std::find_if(siblings.begin(), siblings.end(), [&](const auto& n) { return n.get() == node; });
  if (it == siblings.end()) return;
  TTreeNode* selected = Selected();
  bool selectionGoes = false;
  for (TTreeNode* s = selected; s != nullptr; s = s->parent_)
    if (s == node) selectionGoes = true;
  syncing_ = true;
  if (selectionGoes) As<QTreeWidget>(*this)->setCurrentItem(nullptr);
  std::unique_ptr<TTreeNode> doomed = std::move(*it);
  siblings.erase(it);
  doomed.reset();
  syncing_ = false;
}

void TTreeView::Delete(TTreeNode* node) {
  if (node == nullptr) return;
  if (&node->TreeView() != this) throw std::logic_error("Węzeł nie należy do tego drzewa");
  Remove(node);
}

void TTreeView::Clear() {
  syncing_ = true;
  As<QTreeWidget>(*this)->setCurrentItem(nullptr);
  roots_.clear();
  syncing_ = false;
}

int TTreeView::Count() const {
  int count = 0;
  for (TTreeNode* n = GetFirstNode(); n != nullptr; n = n->GetNext()) ++count;
  return count;
}

TTreeNode* TTreeView::Items(int i) const {
  int index = 0;
  for (TTreeNode* n = GetFirstNode(); n != nullptr; n = n->GetNext(), ++index)
    if (index == i) return n;
  throw std::out_of_range("Indeks węzła poza zakresem (" + std::to_string(i) + ")");
}

TTreeNode* TTreeView::Selected() const { return NodeOf(As<QTreeWidget>(*this)->currentItem()); }

void TTreeView::SetSelected(TTreeNode* node) {
  RunFromCode([&] { As<QTreeWidget>(*this)->setCurrentItem(node != nullptr ? node->impl_->item : nullptr); });
}

void TTreeView::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  syncing_ = true;
  for (TTreeNode* n = GetFirstNode(); n != nullptr; n = n->GetNext()) {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!readOnly) flags |= Qt::ItemIsEditable;
    n->impl_->item->setFlags(flags);
  }
  syncing_ = false;
}

bool TTreeView::UserEdit(TTreeNode* node, std::string text) {
  if (readOnly_ || node == nullptr) return false;
  if (OnEdited) OnEdited(*this, node, text);
  node->SetText(std::move(text));
  return true;
}

}  // namespace platform

namespace platform {

void TTreeView::SortChildren(TTreeNode* parent,
                             const std::function<int(TTreeNode&, TTreeNode&)>& compare) {
  auto& siblings = Siblings(parent);
  if (siblings.size() < 2 || !compare) return;
  std::stable_sort(siblings.begin(), siblings.end(),
                   [&](const auto& a, const auto& b) { return compare(*a, *b) < 0; });
  // The widget's items follow the new order; taking an item out forgets the
  // expansion of it and of its descendants, so that is put back.
  auto* tree = As<QTreeWidget>(*this);
  std::vector<std::pair<QTreeWidgetItem*, bool>> expanded;
  std::function<void(const TTreeNode&)> remember = [&](const TTreeNode& n) {
    expanded.emplace_back(n.impl_->item, n.expanded_);
    for (const auto& c : n.children_) remember(*c);
  };
  for (const auto& n : siblings) remember(*n);
  QTreeWidgetItem* current = tree->currentItem();
  syncing_ = true;
  for (const auto& n : siblings) {
    QTreeWidgetItem* item = n->impl_->item;
    if (parent != nullptr) parent->impl_->item->removeChild(item);
    else tree->takeTopLevelItem(tree->indexOfTopLevelItem(item));
  }
  for (const auto& n : siblings) {
    if (parent != nullptr) parent->impl_->item->addChild(n->impl_->item);
    else tree->addTopLevelItem(n->impl_->item);
  }
  for (const auto& [item, open] : expanded) item->setExpanded(open);
  if (current != nullptr) tree->setCurrentItem(current);
  syncing_ = false;
}

}  // namespace platform
