#pragma once

namespace virlo {

// Registers the ten persistent types under their stored names. Safe to call
// more than once.
void RegisterPersistentTypes();

// The store as every program starts it: initialised, the ten types registered
// and, where the store keeps undo steps, 32 of them.
void StartStore();

}  // namespace virlo
