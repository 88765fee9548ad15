// The map windows of these tests save their views' layer order: into a
// scratch registry, never the home folder's.
#include "common/scratch_config.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kScratchConfig =
    ::testing::AddGlobalTestEnvironment(new ScratchConfigEnvironment);
}  // namespace
