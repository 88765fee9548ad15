// The factories of the parameter windows and the runners of the modal edit
// dialogs.
#include "objtools/objdialogs.h"

#include "objtools/objdialogs_impl.h"

using platform::MakeForm;
using platform::mrOk;

std::unique_ptr<TLatchDialog> MakeLineWindow(TLineWindow Kind, bool ThreeD) {
  switch (Kind) {
    case TLineWindow::Loop:
      if (ThreeD) return MakeForm<TLiniaSpecjalna3dD>();
      return MakeForm<TLiniaSpecjalnaD>();
    case TLineWindow::Single:
      if (ThreeD) return MakeForm<TLiniaSpecjalnaSingle3dD>();
      return MakeForm<TLiniaSpecjalnaSingleD>();
    case TLineWindow::Arc:
      if (ThreeD) return MakeForm<TLukSpecjalny3dD>();
      return MakeForm<TLukSpecjalnyD>();
    case TLineWindow::Circle:
      if (ThreeD) return MakeForm<TOkragSpecjalny3dD>();
      return MakeForm<TOkragSpecjalnyD>();
    case TLineWindow::Modify:
      if (ThreeD) return MakeForm<TLiniaModify3dD>();
      return MakeForm<TLiniaModifyD>();
  }
  return MakeForm<TLiniaSpecjalnaD>();
}

std::unique_ptr<TLatchDialog> MakeNapisD() { return MakeForm<TNapisD>(); }
std::unique_ptr<TLatchDialog> MakeSymbolD() { return MakeForm<TSymbolD>(); }

bool RunLiniaEditD(TLineStyleEditValues& V) {
  auto d = MakeForm<TLiniaEditD>();
  d->Load(V);
  if (d->ShowModal() != mrOk) return false;
  d->Store(V);
  return true;
}

bool RunNapisEditD(bool Fraction, TTextEditValues& V) {
  std::unique_ptr<TNapisEditD> d;
  if (Fraction)
    d = MakeForm<TUlamekEditD>();
  else
    d = MakeForm<TNapisEditD>();
  d->Load(V);
  if (d->ShowModal() != mrOk) return false;
  d->Store(V);
  return true;
}

bool RunSymbolEditD(TSymbolEditValues& V) {
  auto d = MakeForm<TSymbolEditD>();
  d->Load(V);
  if (d->ShowModal() != mrOk) return false;
  d->Store(V);
  return true;
}
