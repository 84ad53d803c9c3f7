// The whole layout in one run: back every board on the bus up into a
// snapshot folder, verify the bus against a snapshot, or restore boards
// from one. Boards are taken one after another at the bus's pace.
//
// A plain engine fed events (commands, received SV-access messages, the
// expiry of the host's two timers); it reports through ILayoutListener. It
// drives the existing engines: the numbering engine discovers the bus, the
// sequencer reads (or programs and verifies) each board of the family, and
// the SV dump reader lists the SVs of other makers' boards. The host's
// timers are shared between them: each arming carries the engine it belongs
// to in the token's top bits.
//
// Backup: the folder is made (and found writable) before anything is sent;
// discovery; two replies for one address are reported and neither board is
// read; every other board is read, its file written and the manifest
// rewritten as it finishes.
// Verify: discovery; every board the snapshot holds as read is read again
// and compared with it; boards the snapshot does not hold are listed as new.
// Restore: the chosen boards of the family are programmed from the snapshot,
// every block checked, as Program does.
// Configured boards: each board of the lists is verified against the bus
// (does it hold what its configuration computes?); then the boards found
// different are programmed, as Program does.
//
// Cancel lets the message exchange under way finish, sends nothing more, and
// leaves every file already written complete.
#pragma once

#include "link/Tsvprogmsg.h"
#include "programming/Tboardcompare.h"
#include "programming/Tenginetimer.h"
#include "programming/Tsnapshotfiles.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBoardData;
class TConfigurableBoard;
class TProgSequencer;
class TRenumberEngine;
class TRenumberableBoard;
class TSvDumpReader;

enum class TLayoutTask : uint8_t { eBackup, eVerify, eRestore, eCheckConfigured, eProgramChanged };

enum class TLayoutBoardState : uint8_t {
    eFound,         // waiting for its turn
    eBusy,          // being read, verified or programmed
    eRead,          // backup: read and written
    eSame,          // verify: as the snapshot holds it
    eDifferent,     // verify: differs (Differences)
    eRestored,      // restore, program changed: programmed and every block checked
    eNotAnswering,  // did not answer its identify (or its first read)
    eNew,           // verify: on the bus, not in the snapshot
    eFailed,        // Reason says why
    eSkipped,       // not taken (Reason says why)
};

// One row of the run: a board of the snapshot or of the bus.
struct TLayoutBoard {
    TSnapshotEntry entry;
    std::string description;  // the product list's description of a board found on the bus
    TLayoutBoardState state = TLayoutBoardState::eFound;
    std::string reason;
    std::vector<TBoardDifference> differences;
};

// "found", "reading", "read", "same", "different", ... as the window shows it.
std::string LayoutStateText(TLayoutBoardState state, TLayoutTask task);

class ILayoutListener {
public:
    virtual ~ILayoutListener() = default;
    virtual void SendMessage(std::unique_ptr<TLNSVProgMessage> message) = 0;
    virtual void StatusText(const std::string& /*text*/) {}
    // The rows were replaced (after discovery, or when the run starts).
    virtual void BoardsChanged() {}
    virtual void BoardChanged(int /*row*/) {}
    // Progress of the whole run (boards finished of all) and of the board
    // under way (SVs).
    virtual void RunProgress(int /*done*/, int /*total*/) {}
    virtual void BoardProgress(int /*position*/, int /*maximum*/) {}
    // The run is over; success: it ran to its end (boards may still have
    // failed), else text says why it stopped.
    virtual void RunEnded(bool /*success*/, const std::string& /*text*/) {}
};

class TLayoutEngine {
public:
    static constexpr int kDefaultSvCount = 256;

    TLayoutEngine(ILayoutListener& listener, IEngineTimer* timeoutTimer, IEngineTimer* delayTimer);
    ~TLayoutEngine();
    TLayoutEngine(const TLayoutEngine&) = delete;
    TLayoutEngine& operator=(const TLayoutEngine&) = delete;

    // Options of the host
    void SetPacedSending(bool paced);
    // SVs 1 to count are listed for a board of another maker.
    void SetSvCount(int count) { svCount_ = count; }
    void SetClock(std::function<std::chrono::system_clock::time_point()> clock) { clock_ = std::move(clock); }
    // False with the product list's warning; names are then left empty.
    bool LoadProductList(const std::string& fileName);

    // Commands; each false with error (nothing sent) when it cannot start.
    bool StartBackup(const std::string& parentFolder, std::string& error);
    bool StartVerify(const std::string& snapshotFolder, std::string& error);
    // addresses empty: every board of the family the snapshot holds as read.
    bool StartRestore(const std::string& snapshotFolder, const std::vector<int>& addresses, std::string& error);
    // Checks each configured board (valid serial number) against the bus;
    // the boards must outlive the run and the programming that follows.
    bool StartCheckConfigured(const std::vector<TConfigurableBoard*>& boards, std::string& error);
    // Programs the boards the last check found different; false (nothing to
    // do) when it found none.
    bool StartProgramChanged(std::string& error);
    void Cancel();
    // Ends the run at once, e.g. when the link is gone and no reply can come;
    // the board under way is left unfinished, as by Cancel.
    void Abort(const std::string& reason);

    // Events
    void HandleSvMessage(const TLNSVProgMessage& message);
    void TimeoutExpired(uint64_t token);
    void DelayExpired(uint64_t token);

    bool IsRunning() const { return running_; }
    bool IsCancelling() const { return cancelling_; }
    TLayoutTask Task() const { return task_; }
    const std::string& Folder() const { return folder_; }
    const std::vector<TLayoutBoard>& Boards() const { return boards_; }

private:
    class TTimerSlot;
    class TSubListener;
    friend class TSubListener;
    enum class TPhase : uint8_t { eIdle, eDiscovering, eBoard };

    void Begin(TLayoutTask task, const std::string& folder);
    void StartDiscovery();
    void BeginBoards();
    std::string Summary() const;
    void OnDiscoveryEnded();
    void NextBoard();
    void StartBoard(size_t row);
    void BoardEnded(bool success, const std::string& text);
    void FinishBoard(TLayoutBoardState state, const std::string& reason = {});
    void EndRun(bool success, const std::string& text);
    bool SaveManifest();
    void Send(std::unique_ptr<TLNSVProgMessage> message);
    void AfterEvent();
    // The entry's board in its type file, loaded into files once per type.
    TConfigurableBoard* SnapshotBoard(TBoardData& files, const TSnapshotEntry& entry, std::string& error);
    std::chrono::system_clock::time_point Now() const;
    bool LoadSnapshot(const std::string& folder, std::string& error);

    ILayoutListener& listener_;
    std::unique_ptr<TSubListener> sub_;
    std::vector<std::unique_ptr<TTimerSlot>> slots_;
    std::unique_ptr<TRenumberEngine> discovery_;
    std::unique_ptr<TProgSequencer> sequencer_;
    std::unique_ptr<TSvDumpReader> dump_;
    std::unique_ptr<TBoardData> files_;        // backup: boards written; verify, restore: the snapshot's
    std::unique_ptr<TConfigurableBoard> busBoard_;  // verify: the board under way, as the bus holds it
    std::vector<uint8_t> snapshotValues_;      // verify: the listing of the board of another maker under way
    uint64_t timeoutOwner_ = 0;                // the engine that armed each host timer last
    uint64_t delayOwner_ = 0;
    int discoveryRounds_ = 0;
    std::function<std::chrono::system_clock::time_point()> clock_;

    TLayoutTask task_ = TLayoutTask::eBackup;
    TPhase phase_ = TPhase::eIdle;
    bool running_ = false;
    bool cancelling_ = false;
    bool held_ = false;  // a message was held back by Cancel: the engine under way stops
    int svCount_ = kDefaultSvCount;
    std::string folder_;
    std::vector<TSnapshotEntry> snapshot_;  // verify, restore: the manifest read
    std::vector<TLayoutBoard> boards_;
    std::vector<TConfigurableBoard*> configured_;  // check and program: the board of each row
    size_t current_ = 0;
    int done_ = 0;
    int total_ = 0;
};

namespace LayoutTexts {
inline constexpr const char* kDiscovering = "Discovering boards on LocoNet.....";
inline constexpr const char* kCancelled = "Cancelled";
inline constexpr const char* kNotReached = "not reached: the run was cancelled";
inline constexpr const char* kNotInSnapshot = "not read when the snapshot was taken";
inline constexpr const char* kOtherMaker = "a board of another maker: its SVs are listed, not restored";
}  // namespace LayoutTexts
