// The tree view that sorts every level.
#include "controls/treeview.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files/collate.h"
#include "platform/gui/forms.h"

namespace {

using namespace platform;

std::vector<std::string> Texts(const TTreeView& view, TTreeNode* parent) {
  std::vector<std::string> out;
  if (parent == nullptr) {
    for (int i = 0; i < view.TopCount(); ++i) out.push_back(view.TopItems(i)->Text());
  } else {
    for (int i = 0; i < parent->Count(); ++i) out.push_back(parent->Item(i)->Text());
  }
  return out;
}

class TreeView : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 300, 300);
    view = std::make_unique<THETreeView>();
    Fill(*view);
  }
  void TearDown() override { view.reset(); }
  static void Fill(THETreeView& v) {
    TTreeNode* z = v.AddChild(nullptr, "żuraw");
    v.AddChild(nullptr, "Zebra");
    TTreeNode* a = v.AddChild(nullptr, "ąkt");
    v.AddChild(nullptr, "bark");
    v.AddChild(nullptr, "alfa");
    v.AddChild(z, "źdźbło");
    v.AddChild(z, "łąka");
    v.AddChild(z, "lis");
    TTreeNode* deep = v.AddChild(a, "c");
    v.AddChild(deep, "ć");
    v.AddChild(deep, "d");
    v.AddChild(deep, "cz");
  }
  std::unique_ptr<TForm> form;
  std::unique_ptr<THETreeView> view;
};

TEST(Collate, PolishLettersInTheirPlaceAndCaseCounts) {
  const std::vector<std::string> order = {"a", "ą", "b", "c", "ć", "e", "ę", "l", "ł",
                                          "n", "ń", "o", "ó", "s", "ś", "z", "ź", "ż"};
  for (std::size_t i = 0; i + 1 < order.size(); ++i) {
    EXPECT_LT(CompareLocaleText(order[i], order[i + 1]), 0) << order[i] << " " << order[i + 1];
    EXPECT_GT(CompareLocaleText(order[i + 1], order[i]), 0);
  }
  EXPECT_NE(CompareLocaleText("Łąka", "łąka"), 0);
  EXPECT_EQ(CompareLocaleText("łąka", "łąka"), 0);
  EXPECT_LT(CompareLocaleText("łąka", "Łąka"), 0);  // lower case first
  EXPECT_LT(CompareLocaleText("Łąka", "mak"), 0);    // the letter before the case
}

TEST_F(TreeView, SortTypeSetBeforeTheWindowExistsSortsNothing) {
  view->SetSortType(TSortType::stText);
  EXPECT_EQ(view->SortType(), TSortType::stText);
  EXPECT_EQ(Texts(*view, nullptr), (std::vector<std::string>{"żuraw", "Zebra", "ąkt", "bark", "alfa"}));
  EXPECT_FALSE(view->AlphaSort());
  EXPECT_FALSE(view->CustomSort(nullptr, 0));
  view->SetParent(form.get());
  EXPECT_TRUE(view->AlphaSort());
  EXPECT_EQ(Texts(*view, nullptr), (std::vector<std::string>{"alfa", "ąkt", "bark", "Zebra", "żuraw"}));
}

TEST_F(TreeView, AlphaSortReachesEveryLevel) {
  view->SetParent(form.get());
  view->SetSortType(TSortType::stText);
  EXPECT_EQ(Texts(*view, nullptr), (std::vector<std::string>{"alfa", "ąkt", "bark", "Zebra", "żuraw"}));
  EXPECT_EQ(Texts(*view, view->TopItems(4)), (std::vector<std::string>{"lis", "łąka", "źdźbło"}));
  TTreeNode* c = view->TopItems(1)->Item(0);
  EXPECT_EQ(Texts(*view, c), (std::vector<std::string>{"cz", "ć", "d"}));
  // Every level is in order by the comparison itself.
  for (TTreeNode* n = view->GetFirstNode(); n != nullptr; n = n->GetNext()) {
    for (int i = 0; i + 1 < n->Count(); ++i)
      EXPECT_LE(CompareLocaleText(n->Item(i)->Text(), n->Item(i + 1)->Text()), 0);
  }
}

TEST_F(TreeView, DataSortWithoutAHandlerDoesNotSort) {
  view->SetParent(form.get());
  view->SetSortType(TSortType::stData);
  EXPECT_EQ(Texts(*view, nullptr), (std::vector<std::string>{"żuraw", "Zebra", "ąkt", "bark", "alfa"}));
  view->SetSortType(TSortType::stNone);
  EXPECT_EQ(Texts(*view, nullptr)[0], "żuraw");
}

TEST_F(TreeView, AlphaSortOrdersTheTopLevelByTextEvenWithAHandler) {
  view->SetParent(form.get());
  // The handler orders by length, longest first.
  view->OnCompare = [](TComponent&, TTreeNode* a, TTreeNode* b, std::intptr_t, int& r) {
    r = static_cast<int>(b->Text().size()) - static_cast<int>(a->Text().size());
  };
  EXPECT_TRUE(view->AlphaSort());
  EXPECT_EQ(Texts(*view, nullptr), (std::vector<std::string>{"alfa", "ąkt", "bark", "Zebra", "żuraw"}));
  // The child levels follow the handler.
  EXPECT_EQ(Texts(*view, view->TopItems(4)), (std::vector<std::string>{"źdźbło", "łąka", "lis"}));
}

TEST_F(TreeView, CustomSortUsesTheProcedureWithItsDataAtEveryLevel) {
  view->SetParent(form.get());
  std::vector<std::intptr_t> seen;
  const auto reverse = [&](TTreeNode& a, TTreeNode& b, std::intptr_t data) {
    seen.push_back(data);
    return -THETreeView::DefaultCompare(a, b);
  };
  EXPECT_TRUE(view->CustomSort(reverse, 42));
  EXPECT_EQ(Texts(*view, nullptr), (std::vector<std::string>{"żuraw", "Zebra", "bark", "ąkt", "alfa"}));
  EXPECT_EQ(Texts(*view, view->TopItems(0)), (std::vector<std::string>{"źdźbło", "łąka", "lis"}));
  for (std::intptr_t d : seen) EXPECT_EQ(d, 42);
}

TEST_F(TreeView, ANodeAddedAfterSortingStaysWhereItWasAdded) {
  view->SetParent(form.get());
  view->SetSortType(TSortType::stBoth);
  view->AddChild(nullptr, "aaa");
  view->AddChildFirst(view->TopItems(4), "zzz");
  EXPECT_EQ(Texts(*view, nullptr).back(), "aaa");
  EXPECT_EQ(Texts(*view, view->TopItems(4)).front(), "zzz");
}

TEST_F(TreeView, SortingKeepsSelectionAndExpansion) {
  view->SetParent(form.get());
  TTreeNode* z = view->TopItems(0);
  z->Expand();
  TTreeNode* lis = z->Item(2);
  view->SetSelected(lis);
  view->AlphaSort();
  EXPECT_EQ(view->Selected(), lis);
  EXPECT_TRUE(z->Expanded());
  EXPECT_EQ(view->TopItems(4), z);
}

}  // namespace
