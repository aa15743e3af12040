#pragma once

namespace virlo {

// Registers the ten persistent types under their stored names. Safe to call
// more than once.
void RegisterPersistentTypes();
void DeregisterPersistentTypes();

}  // namespace virlo
