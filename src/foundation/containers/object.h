// Root of the objects that owning lists hold and free: a virtual destructor,
// so a list can free any item through this base. Descendants add their data.
#pragma once

class TObject {
public:
  TObject() = default;
  virtual ~TObject() = default;
};
