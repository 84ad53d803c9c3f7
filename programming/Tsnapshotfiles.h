// A layout snapshot on disk: one folder named after the date and time it
// was taken, holding each board type's configuration file (the boards of the
// family read from the bus), one SV listing per board of another maker, and
// manifest.csv naming every board found and what became of it.
//
// Plain files a modeller can open: the type files load in the configuration
// window, the listings read as the SV listings the program writes.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TConfigurableBoard;

// One line of manifest.csv.
struct TSnapshotEntry {
    int32_t address = 0;  // the number the board answers at
    int32_t serial = 0;   // its serial number (equal to address for the family)
    int32_t vendor = 0;
    int32_t device = 0;
    std::string product;        // the product list's name; the type name for the family
    int32_t softwareVersion = -1;  // SV 2 as read; -1 unknown
    int type = -1;              // board type 0..6 of the family; -1 another maker's board
    std::string file;           // relative to the snapshot folder; empty when nothing was written
    int32_t boardIndex = -1;    // position in a type file; -1 for a listing
    std::string listing;        // the SVs as read from the board (the SV listing); empty when not written
    std::string time;           // when the board was finished, local "HH:MM:SS"
    std::string result;         // kResultRead, "failed: <reason>", or kResultPending

    bool IsRead() const { return result == kResultRead; }
    bool IsFamily() const { return type >= 0; }

    static constexpr const char* kResultRead = "read";
    static constexpr const char* kResultPending = "not read yet";
};

namespace SnapshotFiles {

inline constexpr const char* kManifestName = "manifest.csv";

// "2026-12-11_03-20-26" in local time.
std::string FolderName(std::chrono::system_clock::time_point when);
// "03:20:26" in local time.
std::string TimeOfDay(std::chrono::system_clock::time_point when);

// Makes a new folder under parent named after when (with "-2", "-3", ...
// when the name is taken) and writes an empty manifest into it, so that an
// unwritable place is found before the bus is touched. False with the reason.
bool CreateSnapshotFolder(const std::string& parent, std::chrono::system_clock::time_point when,
                          std::string& folder, std::string& error);

// The file of a type's boards ("ORT50.csv"), the SV listing of a board of
// the family as read ("ORT50-102.txt") and of another maker's board
// ("sv2-4000.txt").
std::string TypeFileName(int type);
std::string ListingFileName(int type, int32_t address);

// The manifest, written atomically; read back with every line checked.
bool WriteManifest(const std::string& folder, const std::vector<TSnapshotEntry>& entries, std::string& error);
bool ReadManifest(const std::string& folder, std::vector<TSnapshotEntry>& entries, std::string& error);

// An SV listing of SVs 1 to values.size() in the program's listing layout
// ("Board name = ...", "SV Settings:", "SV<n>=<v>;" eight to a line), written
// atomically.
bool WriteSvValues(const std::string& fileName, const std::string& boardName, const std::vector<uint8_t>& values,
                   std::string& error);
// Reads such a listing: values[n - 1] is SV n; SVs 1 to the highest listed.
// False with "<file>, line <n>: ..." when an entry is not SV<n>=<0..255>.
bool ReadSvValues(const std::string& fileName, std::vector<uint8_t>& values, std::string& error);

// The entry's SVs as its listing holds them, in a board of its type (the
// image holds them, the configuration is decoded from them); for another
// maker's board only values. False with the reason.
std::unique_ptr<TConfigurableBoard> ListedBoard(const std::string& folder, const TSnapshotEntry& entry,
                                                std::string& error);

std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace SnapshotFiles
