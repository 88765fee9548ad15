#include "objects/genelements.h"

#include "objects/layerline.h"

TGLinia::TGLinia(const TRealPoint& A, const TRealPoint& B) {
  P1 = TPointRec{A.X, A.Y, 0.0f};
  P2 = TPointRec{B.X, B.Y, 0.0f};
}

std::unique_ptr<TEGraphObj> TGLinia::CreateNew() const { return std::make_unique<TGLinia>(); }

std::unique_ptr<TEGraphObj> TGLinia::CreateBaseCopy() const { return ConvertToClass<TDefSpecLinia>(); }

std::unique_ptr<TEGraphObj> TGOkrag::CreateNew() const { return std::make_unique<TGOkrag>(); }

std::unique_ptr<TEGraphObj> TGOkrag::CreateBaseCopy() const { return ConvertToClass<TDefSpecOkrag>(); }

std::unique_ptr<TEGraphObj> TGLuk::CreateNew() const { return std::make_unique<TGLuk>(); }

std::unique_ptr<TEGraphObj> TGLuk::CreateBaseCopy() const { return ConvertToClass<TDefSpecLuk>(); }
