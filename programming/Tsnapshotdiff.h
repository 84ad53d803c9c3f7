// Two snapshots of a layout compared: the boards added, removed and changed
// between them, matched by the address they answer at. Only boards a
// snapshot holds as read take part.
#pragma once

#include "programming/Tboardcompare.h"
#include "programming/Tsnapshotfiles.h"

#include <string>
#include <vector>

enum class TSnapshotChange : uint8_t { eAdded, eRemoved, eChanged };

struct TSnapshotBoardChange {
    TSnapshotChange change = TSnapshotChange::eChanged;
    TSnapshotEntry entry;   // as the newer snapshot holds it (the older one for a removed board)
    std::string note;       // another type, another software version
    std::vector<TBoardDifference> differences;
};

// False with the reason when either snapshot, or a board file it names,
// cannot be read.
bool DiffSnapshots(const std::string& before, const std::string& after, std::vector<TSnapshotBoardChange>& changes,
                   std::string& error);
