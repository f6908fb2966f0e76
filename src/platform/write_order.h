// Orders writes across files. A store that commits without waiting for the disk registers itself; a
// writer of records that name stored data calls FlushEarlierWrites() first, so that a power loss never
// leaves a record naming data the loss took back.
#pragma once

namespace platform {

class EarlierWrites {
  public:
    virtual ~EarlierWrites() = default;
    // Brings what was written so far to the disk. False when it could not.
    virtual bool Flush() = 0;
};

// Ownership: not owned; the writer removes itself before it goes away. Called from any thread.
void AddEarlierWrites(EarlierWrites* writes);
void RemoveEarlierWrites(EarlierWrites* writes);
// Flushes every registered writer. True when all of them succeeded (or none is registered).
bool FlushEarlierWrites();

}  // namespace platform
