// The object editors the graphic objects reach through objects/edittoolsi.h:
// the edit tools of lines, arcs, circles and points (objtools/edittools.h),
// of texts, fractions and symbols (objtools/textedit.h), and the modal edit
// dialogs of line styles, texts and symbols (objtools/objdialogs.h).
//
// MakeEditTool prepares a tool the way every object's edit needs it: OnPoint
// puts the object back into its sublayer (ReinsertAtIndex) and, once that
// happened, the tool no longer frees an object handed over with OwnObject
// (the sublayer holds it); OnBackspace does nothing; the edit index and the
// sublayer are set; the drawing parameters are the canvas's prepared by the
// sublayer; the object becomes the template with its handles; the sublayer
// applies its options; the object is drawn in Colour while it is dragged.
//
// GUI thread only. RegisterObjectEditors installs one process-wide instance
// (the registry does not own it; it lives until the process ends).
#pragma once

#include <cstdint>
#include <memory>

#include "objects/edittoolsi.h"

class TObjectEditors : public IObjectEditors {
public:
  TEditToolPtr MakeEditTool(TEditToolKind Kind, TLinTextObj& Obj, IPodwarstwa* Sublayer,
                            int Index, TRealCanvas& Canvas, std::int32_t Colour,
                            bool OwnObject) override;
  bool EditLineStyle(TLineStyleEditValues& V, IPodwarstwa* Sublayer) override;
  bool EditText(bool Fraction, TTextEditValues& V) override;
  bool EditSymbol(TSymbolEditValues& V) override;
};

// Makes the tool library's editors the registered ones.
void RegisterObjectEditors();
