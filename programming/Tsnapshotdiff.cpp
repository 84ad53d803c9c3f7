#include "programming/Tsnapshotdiff.h"

#include "boards/core/Boarddata.h"
#include "boards/core/Tconfigurableboard.h"

#include <map>
#include <memory>

namespace {

// The boards of one snapshot, their type files loaded once each.
class TSnapshotBoards {
public:
    explicit TSnapshotBoards(std::string folder) : folder_(std::move(folder)) {}

    bool Load(std::string& error) { return SnapshotFiles::ReadManifest(folder_, entries_, error); }
    const std::vector<TSnapshotEntry>& Entries() const { return entries_; }

    // The entry's board as its listing holds it.
    std::unique_ptr<TConfigurableBoard> Board(const TSnapshotEntry& e, std::string& error) const
    {
        return SnapshotFiles::ListedBoard(folder_, e, error);
    }

    bool Values(const TSnapshotEntry& e, std::vector<uint8_t>& values, std::string& error) const
    {
        return SnapshotFiles::ReadSvValues(SnapshotFiles::JoinPath(folder_, e.listing), values, error);
    }

private:
    std::string folder_;
    std::vector<TSnapshotEntry> entries_;
};

std::map<int32_t, const TSnapshotEntry*> ReadBoardsByAddress(const std::vector<TSnapshotEntry>& entries)
{
    std::map<int32_t, const TSnapshotEntry*> byAddress;
    for (const TSnapshotEntry& e : entries)
        if (e.IsRead())
            byAddress[e.address] = &e;
    return byAddress;
}

std::string Identity(const TSnapshotEntry& e)
{
    const std::string name = e.IsFamily() ? TBoardData::ShortTypeName(static_cast<uint8_t>(e.type))
                                          : "vendor " + std::to_string(e.vendor) + " device " + std::to_string(e.device);
    return name + (e.serial != e.address ? " serial " + std::to_string(e.serial) : "");
}

}  // namespace

bool DiffSnapshots(const std::string& before, const std::string& after, std::vector<TSnapshotBoardChange>& changes,
                   std::string& error)
{
    changes.clear();
    TSnapshotBoards a(before);
    TSnapshotBoards b(after);
    if (!a.Load(error) || !b.Load(error))
        return false;
    const auto inA = ReadBoardsByAddress(a.Entries());
    const auto inB = ReadBoardsByAddress(b.Entries());
    for (const auto& [address, ea] : inA)
        if (!inB.count(address))
            changes.push_back({TSnapshotChange::eRemoved, *ea, {}, {}});
    for (const auto& [address, eb] : inB) {
        const auto found = inA.find(address);
        if (found == inA.end()) {
            changes.push_back({TSnapshotChange::eAdded, *eb, {}, {}});
            continue;
        }
        const TSnapshotEntry& ea = *found->second;
        TSnapshotBoardChange change{TSnapshotChange::eChanged, *eb, {}, {}};
        if (ea.type != eb->type || ea.vendor != eb->vendor || ea.device != eb->device || ea.serial != eb->serial) {
            change.note = "another board: " + Identity(ea) + ", now " + Identity(*eb);
            changes.push_back(std::move(change));
            continue;
        }
        if (ea.softwareVersion != eb->softwareVersion)
            change.note = "software version " + std::to_string(ea.softwareVersion) + ", now " +
                          std::to_string(eb->softwareVersion);
        if (ea.IsFamily()) {
            const std::unique_ptr<TConfigurableBoard> boardA = a.Board(ea, error);
            const std::unique_ptr<TConfigurableBoard> boardB = boardA ? b.Board(*eb, error) : nullptr;
            if (!boardB)
                return false;
            change.differences = CompareBoardSettings(*boardA, *boardB);
        } else {
            std::vector<uint8_t> valuesA;
            std::vector<uint8_t> valuesB;
            if (!a.Values(ea, valuesA, error) || !b.Values(*eb, valuesB, error))
                return false;
            change.differences = CompareSvValues(valuesA, valuesB);
        }
        if (!change.differences.empty() || !change.note.empty())
            changes.push_back(std::move(change));
    }
    return true;
}
