#pragma once

#include "analysis/ArchiveItem.h"

namespace packshelf {

// After a manual choice: promotes the record to Ready with "OK" when its
// flags and paths now make a complete plan. Never demotes, never writes
// anything else. The first flag that is set decides, in the order Runtime,
// Data, forced.
void checkAndSetStateForMasterNode(ArchiveItem& item);

} // namespace packshelf
