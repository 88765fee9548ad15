#include "view/viewhost.h"

namespace {

// The services a view uses while the program has installed none: nothing
// is created, kept or handled.
TViewServicesI& NullServices() {
  static TViewServicesI services;
  return services;
}

TViewServicesI* installed = nullptr;

}  // namespace

TViewServicesI& ViewServices() { return installed != nullptr ? *installed : NullServices(); }

void SetViewServices(TViewServicesI* Services) { installed = Services; }
