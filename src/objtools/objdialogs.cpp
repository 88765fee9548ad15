// Stand-ins until the windows are built.
#include "objtools/objdialogs.h"

std::unique_ptr<TLatchDialog> MakeLineWindow(TLineWindow Kind, bool ThreeD) {
  if (ThreeD) return std::make_unique<TLatchDialog3d>();
  return std::make_unique<TLatchDialog>();
}
std::unique_ptr<TLatchDialog> MakeNapisD() { return std::make_unique<TLatchDialog>(); }
std::unique_ptr<TLatchDialog> MakeSymbolD() { return std::make_unique<TLatchDialog>(); }
bool RunLiniaEditD(TLineStyleEditValues& V) { return false; }
bool RunNapisEditD(bool Fraction, TTextEditValues& V) { return false; }
bool RunSymbolEditD(TSymbolEditValues& V) { return false; }
