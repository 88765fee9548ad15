// Shared by the layer-tree tests: the example database set built into a
// scratch folder, the program's libraries and settings bound to it, one
// layer store with the set's database open and the view's tree built from
// it. The set names its files relative to its folder, so the test runs with
// the set's folder as the current folder. Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drawing/strokefont.h"
#include "foundation/settings/settings.h"
#include "foundation/users/users.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerfiles.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/treehost.h"
#include "mkexamples/exampleset.h"
#include "objects/layerobjects.h"
#include "objects/saverecord.h"
#include "objects/symbollib.h"
#include "objects/linestylelib.h"
#include "common/scratch_folder.h"
#include "common/example_set_folder.h"

class ExampleTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_ = scratch_ / "set";
    exampleSet_.emplace(set_);
    SetLibraryErrorBox([this](const std::string& text) { Errors.push_back(text); });
    SetSettingsMessageBox([this](const std::string& text, const std::string&) { Errors.push_back(text); });
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>("tolvika.ini"));
    Open(0);
  }

  void TearDown() override {
    Close();
    ReleaseSymbolManager();
    ReleaseLineManager();
    FreeGlobalnaKonfiguracja();
    SetSettingsMessageBox(nullptr);
    SetLibraryErrorBox(nullptr);
    UserManager().Load(scratch_ / "brak.dat");  // back to running without logon
    LayerTreeHost().LoggedUser = 0;
    exampleSet_.reset();
  }

  // The store, the database opened for User and the tree built anew.
  void Open(std::uint16_t User) {
    Close();
    store_ = std::make_unique<TLayerStore>("baza.ini");
    baza_ = DBInt::OpenBase(*store_, User, "Przyklad");
    root_ = BuildLayerTree(*store_, baza_, "Przyklad", nullptr);
  }
  void Close() {
    root_.reset();
    store_.reset();
  }

  // Users 5 (no rights) and 6 (modify and transform) in the program's manager.
  void LoadUsers() {
    TUsersFileEditor editor;
    editor.New();
    editor.AddUser(5, "czytelnik", "Czytelnik");
    editor.AddUser(6, "geodeta", "Geodeta");
    editor.SetRights(6, 0x10000 | 0x40000);
    ASSERT_EQ(editor.Save(scratch_ / "users.dat"), kUsersOk);
    ASSERT_EQ(UserManager().Load(scratch_ / "users.dat"), kUsersOk);
  }

  TKatalogWarstw* Catalogue(const std::string& name) const {
    for (int i = 0; i < root_->GetCount(); ++i) {
      auto* c = dynamic_cast<TKatalogWarstw*>(root_->GetItem(i));
      if (c != nullptr && c->Name == name) return c;
    }
    return nullptr;
  }
  TWarstwa* Layer(const std::string& name) const {
    for (int i = 0; i < root_->GetCount(); ++i) {
      auto* c = dynamic_cast<TKatalogWarstw*>(root_->GetItem(i));
      for (int j = 0; c != nullptr && j < c->GetCount(); ++j)
        if (c->GetItem(j)->Name == name) return dynamic_cast<TWarstwa*>(c->GetItem(j));
    }
    return nullptr;
  }

  // The objects held by a layer's sublayers.
  static int ObjectCount(const TWarstwa& layer) {
    int n = 0;
    for (int i = 0; i < layer.GetCount(); ++i) {
      TGrObjList* list = layer.Sublayer(i)->Objects();
      if (list != nullptr) n += list->Count();
    }
    return n;
  }
  // Record numbers of every object of a layer, in sublayer and list order.
  static std::vector<std::uint32_t> RecordNumbers(const TWarstwa& layer) {
    std::vector<std::uint32_t> numbers;
    for (int i = 0; i < layer.GetCount(); ++i) {
      TGrObjList* list = layer.Sublayer(i)->Objects();
      for (int j = 0; list != nullptr && j < list->Count(); ++j) numbers.push_back(list->Get(j)->GetIndex());
    }
    return numbers;
  }
  // The live records of a layer's file, counted through the store.
  int LiveRecords(TWarstwa& layer) {
    EXPECT_EQ(DBInt::OpenWarstwa(*store_, layer.FileHandle, true), kDBOk);
    ObjectSaveRecord rec;
    int n = 0;
    for (int r = DBInt::ReadCurrent(*store_, layer.FileHandle, rec); r == kDBOk;
         r = DBInt::ReadRecord(*store_, layer.FileHandle, rec))
      ++n;
    DBInt::CloseWarstwa(*store_, layer.FileHandle);
    return n;
  }
  TMainWarstwaHeader FileHeader(TWarstwa& layer) {
    TMainWarstwaHeader h;
    EXPECT_EQ(DBInt::OpenWarstwa(*store_, layer.FileHandle, true), kDBOk);
    store_->ReadWarstwaHeader(layer.FileHandle, h);
    DBInt::CloseWarstwa(*store_, layer.FileHandle);
    return h;
  }

  ScratchFolder scratch_;
  std::string set_;
  std::optional<ExampleSetFolder> exampleSet_;
  std::vector<std::string> Errors;
  std::unique_ptr<TLayerStore> store_;
  TBaza* baza_ = nullptr;
  std::unique_ptr<TBazaWarstw> root_;
};
