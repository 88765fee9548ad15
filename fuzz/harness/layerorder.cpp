// The layer order in the registry: a registry file of the input read by the
// view's order loader into a small tree built in memory (a root, two
// catalogues with layers of both kinds, the raster group). A damaged file is
// refused with ERegistryException; the loader never writes. Oracles: every
// group's children stand in the order of their keys afterwards; the order
// saved into a fresh registry and loaded into the tree with every key reset
// gives the same tree order (save -> load).
//
// Input: the registry file.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_common.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "platform/files/registry.h"
#include "view/viewwalkers.h"

namespace {

class Raster : public TWarstwaImp {
 public:
  explicit Raster(const std::string& AName) { Name = AName; }
  void Draw(TRealCanvas&) override {}
  void SetVisibleAll(bool B) override { SetVisible(B); }
  void AddObject(TEGraphObj*) override {}
  std::uint32_t GetTypeMask() override { return 0x20000; }
};

std::unique_ptr<TWarstwa> Layer(const std::string& Name, bool Lines) {
  TMainWarstwaHeader header;
  header.Kind = Lines ? 1 : 0;
  return std::make_unique<TWarstwa>(nullptr, nullptr, header, Name, nullptr);
}

std::unique_ptr<TBazaWarstw> Tree() {
  auto root = std::make_unique<TBazaWarstw>("Przyklad");
  auto mapa = std::make_unique<TKatalogWarstw>(nullptr, "Mapa", nullptr, "", "", nullptr);
  mapa->AddChild(Layer("DROGI", true));
  mapa->AddChild(Layer("DROGI", false));
  mapa->AddChild(Layer("Stare\\Domy", true));
  mapa->AddChild(Layer("OPISY", false));
  root->AddChild(std::move(mapa));
  auto inne = std::make_unique<TKatalogWarstw>(nullptr, "Inne", nullptr, "", "", nullptr);
  inne->AddChild(Layer("DRZEWA", true));
  inne->AddChild(Layer("100%", false));
  root->AddChild(std::move(inne));
  auto rastry = std::make_unique<TGrupaWarstw>(kRasterGroupName);
  rastry->AddChild(std::make_unique<Raster>("R1"));
  rastry->AddChild(std::make_unique<Raster>("R2"));
  root->AddChild(std::move(rastry));
  return root;
}

// Every group's children by name and key, depth first, checking their order.
void Collect(TGrupaWarstw& G, std::vector<std::string>& Out) {
  for (int i = 0; i < G.GetCount(); ++i) {
    TWarstwaOgolna* c = G.GetItem(i);
    if (i > 0)
      fuzz::Check(TGrupaWarstw::CompareChildren(*G.GetItem(i - 1), *c) <= 0,
                  "children out of order in " + G.Name + ": " + c->Name);
    Out.push_back(G.Name + "/" + c->Name + "=" + std::to_string(c->OrderKey));
    if (auto* group = dynamic_cast<TGrupaWarstw*>(c); group != nullptr && dynamic_cast<TWarstwa*>(c) == nullptr)
      Collect(*group, Out);
  }
}

void ResetKeys(TGrupaWarstw& G) {
  G.OrderKey = kOrderNone;
  for (int i = 0; i < G.GetCount(); ++i) {
    TWarstwaOgolna* c = G.GetItem(i);
    c->OrderKey = kOrderNone;
    if (auto* group = dynamic_cast<TGrupaWarstw*>(c)) ResetKeys(*group);
  }
  G.SortChildren();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::PutFile("registry.reg", data, size);
  auto root = Tree();
  try {
    TLoadWarstwyOrder loader(path);
    loader.Execute(*root);
  } catch (const platform::ERegistryException&) {
    // A damaged file: refused.
  }
  fuzz::Check(fuzz::ReadFile(path) == std::vector<std::uint8_t>(data, data + size),
              "the order loader changed the registry file");
  std::vector<std::string> loaded;
  Collect(*root, loaded);

  const std::string again = fuzz::PutFile("again.reg", std::string_view());
  try {
    TSaveWarstwyOrder(again).Execute(*root);
  } catch (const platform::ERegistryException& e) {
    fuzz::Fail(std::string("the order read cannot be saved: ") + e.what());
  }
  ResetKeys(*root);
  TLoadWarstwyOrder(again).Execute(*root);
  std::vector<std::string> reloaded;
  Collect(*root, reloaded);
  // The keys of layers and rasters below a group that is not entered are
  // not restored; their order is: compare the names in order only.
  auto names = [](const std::vector<std::string>& v) {
    std::vector<std::string> out;
    for (const std::string& s : v) out.push_back(s.substr(0, s.find('=')));
    return out;
  };
  fuzz::Check(names(reloaded) == names(loaded), "the saved order loads back in another order");
  return 0;
}
