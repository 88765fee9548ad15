#include "platform/gui/controls.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/application.h"
#include "platform/gui/controls_custom.h"
#include "platform/gui/controls_grids.h"
#include "platform/gui/controls_menus.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/controls_strings.h"
#include "platform/gui/dragframe.h"
#include "platform/gui/forms.h"
#include "platform/gui/modality.h"
#include "common/scratch_folder.h"

namespace {

using namespace platform;

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 400, 300);
  }
  std::unique_ptr<TForm> form;
};

// The key filter of numeric fields: backspace and digits pass, anything
// else is dropped.
void DigitsOnly(TComponent&, char32_t& key) {
  if (key != 8 && (key < U'0' || key > U'9')) key = 0;
}

TEST_F(ControlsTest, EditChangeFiresForCodeAndTyping) {
  auto* edit = form->Create<TEdit>(form.get(), "Edit");
  int changes = 0;
  edit->OnChange = [&](TComponent& sender) {
    EXPECT_EQ(&sender, edit);
    ++changes;
  };
  edit->SetText("ab");
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(edit->Modified());
  edit->SendText("ćd");
  EXPECT_EQ(edit->Text(), "abćd");
  EXPECT_EQ(changes, 3);
  EXPECT_TRUE(edit->Modified());
  edit->SetText("abćd");
  EXPECT_EQ(changes, 3);
}

TEST_F(ControlsTest, KeyPressFilterDropsAndReplacesKeys) {
  auto* edit = form->Create<TEdit>(form.get(), "WsSkala");
  edit->OnKeyPress = DigitsOnly;
  edit->SendText("1a2.ż3");
  EXPECT_EQ(edit->Text(), "123");
  edit->SendChar(8);
  EXPECT_EQ(edit->Text(), "12");
  edit->OnKeyPress = [](TComponent&, char32_t& key) {
    if (key == U',') key = U'.';
  };
  edit->SendText("4,5");
  EXPECT_EQ(edit->Text(), "124.5");
}

TEST_F(ControlsTest, FormKeyPreviewSeesKeysFirst) {
  auto* edit = form->Create<TEdit>(form.get(), "Edit");
  std::string order;
  form->SetKeyPreview(true);
  form->OnKeyPress = [&](TComponent&, char32_t& key) {
    order += 'F';
    if (key == U'x') key = 0;
  };
  edit->OnKeyPress = [&](TComponent&, char32_t&) { order += 'E'; };
  edit->SendText("ax");
  EXPECT_EQ(order, "FEF");
  EXPECT_EQ(edit->Text(), "a");
}

TEST_F(ControlsTest, MaskedEditTakesOnlyWhatTheMaskAllows) {
  auto* edit = form->Create<TMaskEdit>(form.get(), "WndSizeX");
  edit->SetEditMask("!99999;1; ");
  edit->SendText("12a345678");
  EXPECT_EQ(edit->Text(), "12345");
}

TEST_F(ControlsTest, ButtonSetsTheModalResultBeforeItsHandler) {
  auto* button = form->Create<TButton>(form.get(), "Ok");
  button->SetModalResult(mrOk);
  TModalResult seen = mrNone;
  button->OnClick = [&](TComponent&) { seen = form->ModalResult(); };
  button->ClickAt(5, 5);
  EXPECT_EQ(seen, mrOk);
  EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST_F(ControlsTest, BitBtnKindsGiveCaptionResultAndRole) {
  struct Case {
    TBitBtnKind kind;
    const char* caption;
    TModalResult result;
    bool isDefault;
    bool isCancel;
  } cases[] = {
      {TBitBtnKind::OK, "OK", mrOk, true, false},
      {TBitBtnKind::Cancel, "Anuluj", mrCancel, false, true},
      {TBitBtnKind::Yes, "&Tak", mrYes, true, false},
      {TBitBtnKind::No, "&Nie", mrNo, false, true},
      {TBitBtnKind::Help, "Pomoc", mrNone, false, false},
      {TBitBtnKind::All, "&Wszystkie", mrAll, false, false},
  };
  for (const auto& c : cases) {
    auto* b = form->Create<TBitBtn>(form.get());
    b->SetKind(c.kind);
    EXPECT_EQ(b->Caption(), c.caption);
    EXPECT_EQ(b->ModalResult(), c.result) << c.caption;
    EXPECT_EQ(b->Default(), c.isDefault) << c.caption;
    EXPECT_EQ(b->Cancel(), c.isCancel) << c.caption;
  }
}

TEST_F(ControlsTest, CloseKindClosesTheFormWithoutItsHandler) {
  auto* close = form->Create<TBitBtn>(form.get(), "Zamknij");
  close->SetKind(TBitBtnKind::Close);
  bool clicked = false;
  close->OnClick = [&](TComponent&) { clicked = true; };
  form->Show();
  close->Click();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(clicked);
}

TEST_F(ControlsTest, CheckBoxClickFiresOnEveryChangeOfState) {
  auto* box = form->Create<TCheckBox>(form.get(), "WndSDefault");
  auto* sizeX = form->Create<TMaskEdit>(form.get(), "WndSizeX");
  int clicks = 0;
  box->OnClick = [&](TComponent&) {
    ++clicks;
    sizeX->SetEnabled(!box->Checked());
  };
  box->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(sizeX->Enabled());
  box->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  box->ClickAt(3, 8);
  EXPECT_FALSE(box->Checked());
  EXPECT_TRUE(sizeX->Enabled());
  EXPECT_EQ(clicks, 2);
  box->SetAllowGrayed(true);
  box->Click();
  box->Click();
  EXPECT_EQ(box->State(), TCheckBoxState::Grayed);
  box->Click();
  EXPECT_EQ(box->State(), TCheckBoxState::Unchecked);
}

// A handler that raises when the program itself changes a control raises in
// that program code; a user's change goes to the application's handler.
TEST_F(ControlsTest, HandlerErrorsReachTheCodeThatMadeTheChange) {
  auto* box = form->Create<TCheckBox>(form.get(), "Box");
  box->OnClick = [](TComponent&) { throw std::runtime_error("zła zmiana"); };
  EXPECT_THROW(box->SetChecked(true), std::runtime_error);
  EXPECT_TRUE(box->Checked());
  std::string seen;
  Application().OnException = [&](const std::exception& e) { seen = e.what(); };
  box->ClickAt(3, 8);
  Application().OnException = nullptr;
  EXPECT_EQ(seen, "zła zmiana");
  auto* edit = form->Create<TEdit>(form.get(), "Edit");
  edit->OnChange = [](TComponent&) { throw std::runtime_error("zły tekst"); };
  EXPECT_THROW(edit->SetText("x"), std::runtime_error);
  EXPECT_NO_THROW(box->SetEnabled(false));
}

TEST_F(ControlsTest, RadioButtonsOnOneParentExcludeEachOther) {
  auto* group = form->Create<TGroupBox>(form.get(), "Tekst");
  auto* r = form->Create<TRadioButton>(group, "WTR");
  auto* w = form->Create<TRadioButton>(group, "WTW");
  auto* other = form->Create<TRadioButton>(form.get(), "Other");
  std::vector<std::string> clicked;
  for (auto* b : {r, w, other}) b->OnClick = [&](TComponent& s) { clicked.push_back(s.Name()); };
  r->SetChecked(true);
  other->SetChecked(true);
  w->Click();
  EXPECT_FALSE(r->Checked());
  EXPECT_TRUE(w->Checked());
  EXPECT_TRUE(other->Checked());
  EXPECT_EQ(clicked, (std::vector<std::string>{"WTR", "Other", "WTW"}));
}

TEST_F(ControlsTest, RadioGroupFollowsItsItems) {
  auto* group = form->Create<TRadioGroup>(form.get(), "Group");
  int clicks = 0;
  group->OnClick = [&](TComponent&) { ++clicks; };
  group->Items().Assign(std::vector<std::string>{"Rastrowe", "Wektorowe", "Precyzyjne"});
  EXPECT_EQ(group->ItemIndex(), -1);
  group->SetItemIndex(1);
  EXPECT_EQ(group->ItemIndex(), 1);
  group->UserSelect(2);
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_EQ(clicks, 2);
  group->SetItemIndex(-1);
  EXPECT_EQ(group->ItemIndex(), -1);
  group->SetItemIndex(7);
  EXPECT_EQ(group->ItemIndex(), -1);
}

TEST(StringsTest, ListKeepsObjectsAndFindsTextsIgnoringCase) {
  TStrings list;
  int a = 1, b = 2;
  list.Add("Formatka_1", &a);
  list.Add("łódź", &b);
  EXPECT_EQ(list.IndexOf("FORMATKA_1"), 0);
  EXPECT_EQ(list.IndexOf("ŁÓDŹ"), 1);
  EXPECT_EQ(list.IndexOf("Formatka_2"), -1);
  EXPECT_EQ(list.Objects(1), &b);
  EXPECT_EQ(list.IndexOfObject(&a), 0);
  EXPECT_THROW(list.Strings(2), std::out_of_range);
  EXPECT_THROW(list.Delete(-1), std::out_of_range);
  list.SetText("x\r\ny\nz");
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(list.Text(), "x\r\ny\r\nz\r\n");
  list.SetSorted(true);
  list.Add("Ą");
  list.Add("b");
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"b", "x", "y", "z", "Ą"}));
}

TEST_F(ControlsTest, ComboBoxSelectsOnlyWhenAskedAndFiresOnlyForTheUser) {
  auto* combo = form->Create<TComboBox>(form.get(), "prnFormatkaId");
  combo->SetStyle(TComboBoxStyle::DropDownList);
  std::string events;
  combo->OnClick = [&](TComponent&) { events += 'K'; };
  combo->OnChange = [&](TComponent&) { events += 'C'; };
  int path1 = 0, path2 = 0;
  combo->Items().Add("Formatka_1", &path1);
  combo->Items().Add("Formatka_2", &path2);
  EXPECT_EQ(combo->ItemIndex(), -1);
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->Text(), "Formatka_2");
  EXPECT_EQ(events, "");
  combo->UserSelect(0);
  EXPECT_EQ(events, "KC");
  EXPECT_EQ(combo->Items().Objects(combo->ItemIndex()), &path1);
  combo->Items().Delete(0);
  combo->Items().SetString(0, "Nowa");
  EXPECT_EQ(combo->Text(), "Nowa");
  combo->SetText("NOWA");
  EXPECT_EQ(combo->ItemIndex(), 0);
  combo->Items().Clear();
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(ControlsTest, EditableComboKeepsItsTextWhileItemsChange) {
  auto* combo = form->Create<TComboBox>(form.get(), "WsSkala");
  combo->SetText("750");
  combo->Items().Assign(std::vector<std::string>{"250", "500", "1000"});
  EXPECT_EQ(combo->Text(), "750");
  EXPECT_EQ(combo->ItemIndex(), -1);
  int changes = 0;
  combo->OnChange = [&](TComponent&) { ++changes; };
  combo->OnKeyPress = DigitsOnly;
  combo->SendText("x5");
  EXPECT_EQ(combo->Text(), "7505");
  EXPECT_EQ(changes, 1);
  combo->SetStyle(TComboBoxStyle::DropDown);
  combo->SendText("0");
  EXPECT_EQ(changes, 2);
}

TEST_F(ControlsTest, ListBoxSelectionAndSorting) {
  auto* list = form->Create<TListBox>(form.get(), "List");
  int clicks = 0;
  list->OnClick = [&](TComponent&) { ++clicks; };
  list->SetSorted(true);
  for (const char* name : {"zenon", "Ala", "łucja", "Borys"}) list->Items().Add(name);
  // Case-insensitive, in code-page order: Polish letters after the Latin ones.
  EXPECT_EQ(list->Items().ToVector(), (std::vector<std::string>{"Ala", "Borys", "zenon", "łucja"}));
  list->SetItemIndex(0);
  EXPECT_EQ(clicks, 0);
  list->UserSelect(2);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(clicks, 1);
  list->SetMultiSelect(true);
  list->SetSelected(0, true);
  list->SetSelected(3, true);
  EXPECT_TRUE(list->Selected(3));
  EXPECT_GE(list->SelCount(), 2);
  EXPECT_THROW(list->Selected(9), std::out_of_range);
}

TEST_F(ControlsTest, ProgressBarKeepsItsPositionInRange) {
  auto* bar = form->Create<TProgressBar>(form.get(), "Progress");
  bar->SetBounds(12, 92, 297, 16);
  bar->SetPosition(150);
  EXPECT_EQ(bar->Position(), 100);
  bar->SetPosition(-5);
  EXPECT_EQ(bar->Position(), 0);
  bar->SetMax(10);
  bar->SetPosition(7);
  bar->StepIt();
  EXPECT_EQ(bar->Position(), 10);
  EXPECT_EQ(bar->Left(), 12);
  EXPECT_EQ(bar->Width(), 297);
}

TEST_F(ControlsTest, PageControlPagesAndUserChanges) {
  auto* pages = form->Create<TPageControl>(form.get(), "Pages");
  auto* a = form->Create<TTabSheet>(pages, "OknoS");
  a->SetCaption("Okno");
  auto* b = form->Create<TTabSheet>(pages, "OgolneS");
  b->SetCaption("Ogólne");
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(b->PageIndex(), 1);
  EXPECT_EQ(pages->ActivePage(), a);
  int changes = 0;
  bool allow = false;
  pages->OnChange = [&](TComponent&) { ++changes; };
  pages->OnChanging = [&](TComponent&, bool& allowChange) { allowChange = allow; };
  pages->UserSelectPage(1);
  EXPECT_EQ(pages->ActivePage(), a);
  allow = true;
  pages->UserSelectPage(1);
  EXPECT_EQ(pages->ActivePage(), b);
  EXPECT_EQ(changes, 1);
  pages->SetActivePageIndex(0);
  EXPECT_EQ(changes, 1);
  b->SetTabVisible(false);
  EXPECT_FALSE(b->TabVisible());
  form->RemoveComponent(a);
  EXPECT_EQ(pages->PageCount(), 1);
  EXPECT_EQ(b->PageIndex(), 0);
}

// Ctrl+Tab and Ctrl+Shift+Tab step through the pages whose tabs are shown;
// a hidden page is never shown by the keyboard.
TEST_F(ControlsTest, CtrlTabVisitsOnlyTheVisiblePages) {
  auto* pages = form->Create<TPageControl>(form.get(), "Pages");
  pages->SetBounds(0, 0, 300, 200);
  std::vector<TTabSheet*> sheets;
  for (const char* name : {"A", "B", "C", "D", "E"}) {
    sheets.push_back(form->Create<TTabSheet>(pages, name));
    sheets.back()->SetCaption(name);
  }
  sheets[1]->SetTabVisible(false);
  sheets[3]->SetTabVisible(false);
  form->Show();
  auto* box = form->Create<TCheckBox>(sheets[0], "Box");
  box->SetFocus();
  std::string visited;
  for (int i = 0; i < 4; ++i) {
    pages->SendKey(VK_TAB, ssCtrl);
    visited += pages->ActivePage()->Name();
  }
  EXPECT_EQ(visited, "CEAC");
  visited.clear();
  for (int i = 0; i < 3; ++i) {
    pages->SendKey(VK_TAB, ssCtrl | ssShift);
    visited += pages->ActivePage()->Name();
  }
  EXPECT_EQ(visited, "AEC");
}

// The name of the control that has the focus on form ("" for none).
std::string Focused(const TForm& form) {
  TWinControl* active = form.ActiveControl();
  return active != nullptr ? active->Name() : std::string();
}

// Tab follows the screen: top to bottom, left to right, a container's
// controls in its place, whatever order the controls were made or moved
// in; a radio group is entered at its checked button; a key filter that
// refuses everything but digits never holds Tab, Enter or Esc.
TEST_F(ControlsTest, TabFollowsTheScreenAndPassesKeyFilters) {
  auto* ok = form->Create<TButton>(form.get(), "Ok");
  ok->SetBounds(10, 250, 75, 25);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* right = form->Create<TEdit>(form.get(), "Right");
  right->SetBounds(200, 10, 80, 21);
  auto* group = form->Create<TGroupBox>(form.get(), "Group");
  group->SetBounds(10, 40, 180, 90);
  auto* first = form->Create<TRadioButton>(group, "First");
  first->SetBounds(10, 20, 100, 20);
  auto* second = form->Create<TRadioButton>(group, "Second");
  second->SetBounds(10, 44, 100, 20);
  auto* left = form->Create<TEdit>(form.get(), "Left");
  left->SetBounds(10, 10, 80, 21);
  auto* colour = form->Create<TPanel>(form.get(), "Colour");
  colour->SetBounds(200, 60, 40, 24);
  colour->SetTabStop(true);
  auto* hidden = form->Create<TEdit>(form.get(), "Hidden");
  hidden->SetBounds(10, 200, 80, 21);
  hidden->Hide();
  second->SetChecked(true);
  for (TEdit* edit : {left, right}) edit->OnKeyPress = DigitsOnly;
  form->Show();

  EXPECT_EQ(Focused(*form), "Left");
  std::vector<std::string> order;
  for (int i = 0; i < 6; ++i) {
    form->ActiveControl()->SendKey(VK_TAB);
    order.push_back(Focused(*form));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"Right", "Second", "Colour", "Ok", "Left", "Right"}));
  order.clear();
  for (int i = 0; i < 3; ++i) {
    form->ActiveControl()->SendKey(VK_TAB, ssShift);
    order.push_back(Focused(*form));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"Left", "Ok", "Colour"}));

  // The focused colour panel clicks on the space bar.
  int clicks = 0;
  colour->OnClick = [&](TComponent&) { ++clicks; };
  colour->SendKey(VK_SPACE);
  EXPECT_EQ(clicks, 1);

  // The digit filter still drops letters, never the dialog keys.
  right->SetFocus();
  right->SendText("1a2");
  EXPECT_EQ(right->Text(), "12");
  EXPECT_EQ(form->ModalResult(), mrNone);
  right->SendKey(VK_RETURN);
  EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST_F(ControlsTest, StatusBarPanels) {
  auto* bar = form->Create<TStatusBar>(form.get(), "Status");
  bar->AddPanel(100, "X: 1");
  bar->AddPanel(80);
  bar->SetPanelText(1, "Y: 2");
  EXPECT_EQ(bar->PanelText(0), "X: 1");
  EXPECT_EQ(bar->PanelText(1), "Y: 2");
  EXPECT_THROW(bar->SetPanelText(2, ""), std::out_of_range);
  bar->SetSimplePanel(true);
  bar->SetSimpleText("Gotowe");
  EXPECT_EQ(bar->SimpleText(), "Gotowe");
  EXPECT_EQ(bar->Align(), TAlign::Bottom);
}

TEST_F(ControlsTest, StringGridCellsFixedCellsAndEditing) {
  auto* grid = form->Create<TStringGrid>(form.get(), "KeysD");
  grid->SetColCount(2);
  grid->SetRowCount(16);
  grid->SetCells(0, 0, "Przycisk");
  grid->SetCells(1, 0, "Akcja");
  for (int r = 1; r < 16; ++r) grid->SetCells(0, r, std::to_string(r + 1));
  EXPECT_EQ(grid->Cells(0, 15), "16");
  EXPECT_EQ(grid->Rows(0), (std::vector<std::string>{"Przycisk", "Akcja"}));
  EXPECT_THROW(grid->Cells(2, 0), std::out_of_range);
  EXPECT_THROW(grid->SetCells(0, 16, "x"), std::out_of_range);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 1);

  std::vector<std::pair<int, int>> asked;
  grid->OnSelectCell = [&](TComponent&, int col, int row, bool& canSelect) {
    asked.emplace_back(col, row);
    canSelect = row != 5;
  };
  grid->UserSelectCell(1, 5);
  EXPECT_EQ(grid->Row(), 1);
  grid->UserSelectCell(1, 4);
  EXPECT_EQ(grid->Row(), 4);
  grid->UserSelectCell(0, 3);  // a fixed cell
  EXPECT_EQ(grid->Row(), 4);
  EXPECT_EQ(asked.size(), 2u);

  std::string edited;
  grid->OnSetEditText = [&](TComponent&, int col, int row, const std::string& value) {
    edited = std::to_string(col) + "," + std::to_string(row) + "=" + value;
  };
  EXPECT_FALSE(grid->UserEditCell(1, 2, "Zoom"));
  grid->SetOptions(goEditing);
  EXPECT_TRUE(grid->UserEditCell(1, 2, "Zoom"));
  EXPECT_EQ(edited, "1,2=Zoom");
  EXPECT_FALSE(grid->UserEditCell(0, 2, "x"));
  EXPECT_EQ(grid->Cells(0, 2), "3");
}

TEST_F(ControlsTest, TreeViewStructureAndTraversal) {
  auto* tree = form->Create<TTreeView>(form.get(), "Tree");
  int layerData = 5;
  TTreeNode* root = tree->AddChild(nullptr, "Mapa");
  TTreeNode* b = tree->AddChild(root, "Budynki", &layerData);
  TTreeNode* a = tree->AddChildFirst(root, "Drogi");
  TTreeNode* c = tree->Insert(b, "Działki");
  TTreeNode* second = tree->Add(root, "Raster");
  EXPECT_EQ(tree->Count(), 5);
  EXPECT_EQ(tree->TopCount(), 2);
  std::vector<std::string> order;
  for (TTreeNode* n = tree->GetFirstNode(); n != nullptr; n = n->GetNext()) order.push_back(n->Text());
  EXPECT_EQ(order, (std::vector<std::string>{"Mapa", "Drogi", "Działki", "Budynki", "Raster"}));
  EXPECT_EQ(b->Data(), &layerData);
  EXPECT_EQ(b->Level(), 1);
  EXPECT_EQ(b->Index(), 2);
  EXPECT_EQ(c->GetPrevSibling(), a);
  EXPECT_EQ(tree->Items(4), second);
  EXPECT_THROW(tree->Items(5), std::out_of_range);
}

TEST_F(ControlsTest, TreeViewSelectionEventsAndDeletingTheSelectedNode) {
  auto* tree = form->Create<TTreeView>(form.get(), "Tree");
  TTreeNode* root = tree->AddChild(nullptr, "Mapa");
  TTreeNode* child = tree->AddChild(root, "Budynki");
  TTreeNode* grandchild = tree->AddChild(child, "Kontury");
  std::vector<TTreeNode*> changed;
  bool allow = true;
  tree->OnChange = [&](TComponent&, TTreeNode* node) { changed.push_back(node); };
  tree->OnChanging = [&](TComponent&, TTreeNode*, bool& allowChange) { allowChange = allow; };
  tree->SetSelected(child);
  EXPECT_EQ(tree->Selected(), child);
  allow = false;
  tree->SetSelected(root);
  EXPECT_EQ(tree->Selected(), child);
  allow = true;
  tree->SetSelected(grandchild);
  ASSERT_EQ(changed.size(), 2u);
  child->Delete();
  EXPECT_EQ(tree->Selected(), nullptr);
  EXPECT_EQ(changed.size(), 2u);
  EXPECT_EQ(root->Count(), 0);
  EXPECT_EQ(tree->Count(), 1);
}

TEST_F(ControlsTest, TreeViewExpandingCanLoadOrRefuse) {
  auto* tree = form->Create<TTreeView>(form.get(), "Tree");
  TTreeNode* lazy = tree->AddChild(nullptr, "Warstwy");
  lazy->SetHasChildren(true);
  TTreeNode* locked = tree->AddChild(nullptr, "Zablokowane");
  tree->AddChild(locked, "x");
  tree->OnExpanding = [&](TComponent&, TTreeNode* node, bool& allow) {
    if (node == lazy && node->Count() == 0) tree->AddChild(node, "Budynki");
    allow = node != locked;
  };
  EXPECT_TRUE(lazy->HasChildren());
  lazy->Expand();
  EXPECT_TRUE(lazy->Expanded());
  EXPECT_EQ(lazy->Count(), 1);
  locked->Expand();
  EXPECT_FALSE(locked->Expanded());
  tree->SetReadOnly(true);
  EXPECT_FALSE(tree->UserEdit(lazy, "Nowe"));
  tree->SetReadOnly(false);
  tree->OnEdited = [](TComponent&, TTreeNode*, std::string& text) { text += "!"; };
  EXPECT_TRUE(tree->UserEdit(lazy, "Nowe"));
  EXPECT_EQ(lazy->Text(), "Nowe!");
}

// A custom control that counts its paints and draws a mark.
class Canvas : public TCustomControl {
 public:
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    TCustomControl::Paint();
  }
};

TEST_F(ControlsTest, CustomControlPaintsOnlyWhenInvalidatedOrResized) {
  auto* canvas = form->Create<Canvas>(form.get(), "View");
  canvas->SetBounds(0, 0, 50, 40);
  canvas->SetColor(0x00FFFFFF);
  canvas->PaintNow();
  EXPECT_EQ(canvas->paints, 1);
  EXPECT_EQ(canvas->PixelAt(10, 10), 0x00FFFFFFu);
  canvas->PaintNow();
  canvas->SurfaceChanged();
  canvas->PaintNow();
  EXPECT_EQ(canvas->paints, 1);
  canvas->Invalidate();
  canvas->PaintNow();
  EXPECT_EQ(canvas->paints, 2);
  canvas->SetBounds(0, 0, 60, 40);
  ASSERT_NE(canvas->NativeImage(), nullptr);
  EXPECT_EQ(canvas->SurfaceWidth(), 60);
  canvas->PaintNow();
  EXPECT_EQ(canvas->paints, 3);
  EXPECT_EQ(canvas->PixelAt(60, 0), 0u);
}

TEST_F(ControlsTest, PaintBoxHandlerRunsWithTheBoxAsSender) {
  auto* box = form->Create<TPaintBox>(form.get(), "Preview");
  TComponent* sender = nullptr;
  box->OnPaint = [&](TComponent& s) { sender = &s; };
  box->PaintNow();
  EXPECT_EQ(sender, box);
}

TEST_F(ControlsTest, MouseAndKeyEventsReachACustomControl) {
  auto* canvas = form->Create<Canvas>(form.get(), "View");
  canvas->SetBounds(10, 10, 100, 100);
  std::vector<std::string> log;
  canvas->OnMouseDown = [&](TComponent&, TMouseButton b, TShiftState s, int x, int y) {
    log.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(s & ssShift) +
                  " " + std::to_string(x) + "," + std::to_string(y));
  };
  canvas->OnMouseMove = [&](TComponent&, TShiftState, int x, int y) {
    log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  };
  canvas->OnMouseUp = [&](TComponent&, TMouseButton, TShiftState, int x, int y) {
    log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  };
  canvas->OnKeyDown = [&](TComponent&, std::uint16_t& key, TShiftState s) {
    log.push_back("key " + std::to_string(key) + " " + std::to_string(s));
  };
  canvas->MouseDownAt(TMouseButton::Right, 5, 6, ssShift);
  canvas->MouseMoveTo(7, 8);
  canvas->MouseUpAt(TMouseButton::Right, 9, 10);
  canvas->SendKey(VK_RETURN);
  canvas->SendKey(VK_HOME, ssCtrl);
  EXPECT_EQ(log, (std::vector<std::string>{"down 1 1 5,6", "move 7,8", "up 9,10", "key 13 0",
                                           "key 36 4"}));
}

TEST_F(ControlsTest, LabelAndPanelTakeClicksAndKeepTheirCaption) {
  auto* label = form->Create<TLabel>(form.get(), "Label");
  label->SetCaption("&Skala");
  EXPECT_EQ(label->Caption(), "&Skala");
  int clicks = 0;
  label->OnClick = [&](TComponent&) { ++clicks; };
  label->ClickAt(2, 2);
  EXPECT_EQ(clicks, 1);
  auto* panel = form->Create<TPanel>(form.get(), "WyrC1");
  panel->SetColor(0x000000FF);
  EXPECT_EQ(panel->Color(), 0x000000FFu);
  panel->OnClick = [&](TComponent& sender) { clicks += sender.Name() == "WyrC1" ? 10 : 0; };
  panel->ClickAt(5, 5);
  EXPECT_EQ(clicks, 11);
}

TEST_F(ControlsTest, ScrollBoxScrollsToContentsOutsideItsView) {
  auto* box = form->Create<TScrollBox>(form.get(), "Box");
  box->SetBounds(0, 0, 100, 80);
  auto* far = form->Create<TPanel>(box, "Far");
  far->SetBounds(300, 200, 50, 50);
  form->Show();
  box->ScrollTo(120, 90);
  EXPECT_EQ(box->HorzPosition(), 120);
  EXPECT_EQ(box->VertPosition(), 90);
  EXPECT_EQ(far->Left(), 300);
}

TEST_F(ControlsTest, ImageLoadsAPictureAndKeepsItOnAFailedLoad) {
  auto* image = form->Create<TImage>(form.get(), "Logo");
  EXPECT_TRUE(image->Empty());
  ScratchFolder dir;
  std::string path = dir.Put("obraz.pbm", "P1\n3 2\n1 0 1\n0 1 0\n");
  ASSERT_TRUE(image->LoadFromFile(path));
  EXPECT_EQ(image->PictureWidth(), 3);
  EXPECT_EQ(image->PictureHeight(), 2);
  EXPECT_FALSE(image->LoadFromFile(path + ".brak"));
  EXPECT_EQ(image->PictureWidth(), 3);
  image->Clear();
  EXPECT_TRUE(image->Empty());
}

TEST_F(ControlsTest, PopupMenuAnnouncesItselfAndItsItemsClick) {
  auto* popup = form->Create<TPopupMenu>(nullptr, "Popup");
  TMenuItem* item = popup->Items().Add("Usuń");
  int popups = 0, clicks = 0;
  popup->OnPopup = [&](TComponent&) { ++popups; };
  item->OnClick = [&](TComponent&) { ++clicks; };
  auto* panel = form->Create<TPanel>(form.get(), "P");
  panel->SetPopupMenu(popup);
  form->Show();
  popup->Popup(10, 10);
  item->Click();
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(clicks, 1);
}

// The alignment says which part of the menu stands at the point it opens at.
TEST_F(ControlsTest, PopupMenuAlignmentPlacesItsEdgeOrMiddleAtThePoint) {
  TPopupMenu popup;
  popup.Items().Add("Pozycja menu");
  struct Case {
    TPopupAlignment alignment;
    int (*at)(const TGdiRect&);
  } cases[] = {
      {TPopupAlignment::paLeft, [](const TGdiRect& r) { return r.Left; }},
      {TPopupAlignment::paRight, [](const TGdiRect& r) { return r.Right; }},
      {TPopupAlignment::paCenter, [](const TGdiRect& r) { return r.Left + r.Width() / 2; }},
  };
  for (const Case& c : cases) {
    popup.SetAlignment(c.alignment);
    popup.Popup(300, 200);
    ASSERT_TRUE(popup.Showing());
    TGdiRect r = popup.ScreenBounds();
    EXPECT_NEAR(c.at(r), 300, 1) << static_cast<int>(c.alignment);
    EXPECT_EQ(r.Top, 200);
    Application().ProcessMessages();
  }
  // Waited for without a screen and a responder: not shown, back at once.
  TPopupMenu waited;
  int popups = 0;
  waited.OnPopup = [&](TComponent&) { ++popups; };
  waited.PopupModal(10, 10);
  EXPECT_EQ(popups, 1);
  EXPECT_FALSE(waited.Showing());
}

// OnClose comes once for every opening: the menu dismissed by a press
// elsewhere, an item chosen (before its OnClick), and a menu waited for that
// is not shown without a screen.
TEST_F(ControlsTest, PopupMenuTellsItClosedChosenOrNot) {
  auto* popup = form->Create<TPopupMenu>(nullptr, "Popup");
  TMenuItem* item = popup->Items().Add("Usuń");
  std::string log;
  popup->OnClose = [&](TComponent& sender) {
    EXPECT_EQ(&sender, popup);
    log += "close ";
  };
  item->OnClick = [&](TComponent&) { log += "click "; };
  form->Show();
  TGdiPoint away = ClientToScreen(*form, 390, 290);
  struct Case {
    const char* name;
    bool choose;
    const char* log;
  } cases[] = {{"dismissed", false, "close "}, {"chosen", true, "close click "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    popup->Popup(10, 10);
    ASSERT_TRUE(popup->Showing());
    EXPECT_EQ(log, "");
    TGdiRect r = popup->ScreenBounds();
    const int x = c.choose ? (r.Left + r.Right) / 2 : away.X;
    const int y = c.choose ? (r.Top + r.Bottom) / 2 : away.Y;
    ScreenMouse(TScreenMouse::Press, x, y);
    ScreenMouse(TScreenMouse::Release, x, y);
    Application().ProcessMessages();
    EXPECT_FALSE(popup->Showing());
    EXPECT_EQ(log, c.log);
  }
  log.clear();
  popup->PopupModal(10, 10);
  EXPECT_EQ(log, "close ");
}

TEST_F(ControlsTest, MemoAndRichEditText) {
  auto* memo = form->Create<TMemo>(form.get(), "Memo");
  memo->Lines().Add("pierwsza");
  memo->Lines().Add("druga");
  EXPECT_EQ(memo->Text(), "pierwsza\r\ndruga");
  memo->SetText("a\r\nb\r\nc");
  EXPECT_EQ(memo->Lines().Count(), 3);
  auto* rich = form->Create<TRichEdit>(form.get(), "Info");
  rich->AddText("Nr:\t", 0, true);
  rich->AddText("12/3\n", 0x000000FF, false);
  rich->SetTabStops({60, 120});
  EXPECT_EQ(rich->Lines().front(), "Nr:\t12/3");
  EXPECT_TRUE(rich->BoldAt(0));
  EXPECT_FALSE(rich->BoldAt(4));
  EXPECT_EQ(rich->ColorAt(4), 0x000000FFu);
  EXPECT_EQ(rich->TabStops(), (std::vector<int>{60, 120}));
}

TEST_F(ControlsTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
  auto* a = form->Create<TSpeedButton>(form.get(), "A");
  auto* b = form->Create<TSpeedButton>(form.get(), "B");
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  a->Click();
  EXPECT_TRUE(a->Down());
  b->Click();
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
  b->Click();
  EXPECT_TRUE(b->Down());
  b->SetAllowAllUp(true);
  b->Click();
  EXPECT_FALSE(b->Down());
}

// A press on a button is the button's: the window behind it never sees it,
// whichever mouse button it was, and only the left button clicks.
TEST_F(ControlsTest, ButtonsKeepTheirMousePresses) {
  std::vector<std::string> presses;
  int clicks = 0;
  auto record = [&](const std::string& who) {
    return [&presses, who](TComponent&, TMouseButton button, TShiftState, int, int) {
      presses.push_back(who + (button == TMouseButton::Right ? " right" : " left"));
    };
  };
  form->OnMouseDown = record("form");
  auto* speed = form->Create<TSpeedButton>(form.get(), "Speed");
  speed->SetBounds(10, 10, 25, 25);
  speed->SetGroupIndex(1);
  speed->OnMouseDown = record("speed");
  speed->OnClick = [&](TComponent&) { ++clicks; };
  auto* push = form->Create<TButton>(form.get(), "Push");
  push->SetBounds(50, 10, 75, 25);
  push->OnMouseDown = record("push");
  push->OnClick = [&](TComponent&) { ++clicks; };
  form->Show();

  for (TControl* button : std::vector<TControl*>{speed, push}) {
    button->MouseDownAt(TMouseButton::Right, 5, 5);
    button->MouseUpAt(TMouseButton::Right, 5, 5);
  }
  EXPECT_EQ(presses, (std::vector<std::string>{"speed right", "push right"}));
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(speed->Down());
  speed->MouseDownAt(TMouseButton::Left, 5, 5);
  speed->MouseUpAt(TMouseButton::Left, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(speed->Down());
  form->MouseDownAt(TMouseButton::Right, 200, 200);
  EXPECT_EQ(presses.back(), "form right");
  form->Hide();
}

TEST_F(ControlsTest, SplitterResizesTheControlBeforeIt) {
  auto* left = form->Create<TPanel>(form.get(), "Left");
  left->SetWidth(100);
  left->SetAlign(TAlign::Left);
  auto* splitter = form->Create<TSplitter>(form.get(), "Splitter");
  auto* rest = form->Create<TPanel>(form.get(), "Rest");
  rest->SetAlign(TAlign::Client);
  EXPECT_EQ(splitter->Left(), 100);
  int moved = 0;
  splitter->OnMoved = [&](TComponent&) { ++moved; };
  splitter->MouseDownAt(TMouseButton::Left, 1, 10);
  splitter->MouseMoveTo(41, 10, ssLeft);
  splitter->MouseUpAt(TMouseButton::Left, 1, 10);
  EXPECT_EQ(left->Width(), 140);
  EXPECT_EQ(rest->Left(), 143);
  EXPECT_EQ(moved, 1);
}

// A "-" item is a separator line with no text on it (a text would be drawn
// as a section title, showing the "-"); a caption changed either way
// follows.
TEST_F(ControlsTest, MenuSeparatorShowsALineWithoutText) {
  auto* menu = form->Create<TMainMenu>(nullptr, "MainMenu");
  form->SetMenu(menu);
  TMenuItem* file = menu->Items().Add("&Plik");
  TMenuItem* open = file->Add("&Otwórz");
  TMenuItem* line = file->Add("-");
  auto* popup = form->Create<TPopupMenu>(nullptr, "Popup");
  TMenuItem* popupLine = popup->Items().Add("-");
  for (TMenuItem* item : {line, popupLine}) {
    EXPECT_TRUE(item->IsLine());
    EXPECT_EQ(item->ShownText(), "");
    EXPECT_EQ(item->Caption(), "-");
  }
  EXPECT_EQ(open->ShownText(), "&Otwórz");
  line->SetCaption("&Zamknij");
  EXPECT_FALSE(line->IsLine());
  EXPECT_EQ(line->ShownText(), "&Zamknij");
  open->SetCaption("-");
  EXPECT_EQ(open->ShownText(), "");
}

TEST_F(ControlsTest, MenuItemsClickShortcutsAndRadioGroups) {
  auto* menu = form->Create<TMainMenu>(nullptr, "MainMenu");
  form->SetMenu(menu);
  TMenuItem* file = menu->Items().Add("&Plik");
  TMenuItem* open = file->Add("&Otwórz");
  open->SetShortCut(scCtrl | 'O');
  file->Add("-");
  auto* view = form->Create<TMenuItem>(nullptr, "Widok1");
  view->SetCaption("&Widok");
  menu->Items().Add(view);
  TMenuItem* raster = view->Add("Rastrowe");
  TMenuItem* vector = view->Add("Wektorowe");
  for (auto* item : {raster, vector}) {
    item->SetRadioItem(true);
    item->SetGroupIndex(1);
  }
  int opened = 0;
  open->OnClick = [&](TComponent&) { ++opened; };
  open->Click();
  open->SetEnabled(false);
  open->Click();
  EXPECT_EQ(opened, 1);
  raster->SetChecked(true);
  vector->SetChecked(true);
  EXPECT_FALSE(raster->Checked());
  EXPECT_EQ(file->Count(), 2);
  EXPECT_EQ(menu->Items().IndexOf(view), 1);
  EXPECT_EQ(form->FindComponent("widok1"), view);
  file->Delete(1);
  EXPECT_EQ(file->Count(), 1);
  form->RemoveComponent(view);
  EXPECT_EQ(menu->Items().Count(), 1);
}

}  // namespace
