#include "programming/Tlayoutengine.h"

#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "boards/core/Tconfigurableboard.h"
#include "programming/Tprogsequencer.h"
#include "programming/Trenumberengine.h"
#include "programming/Tsvdumpreader.h"

#include <algorithm>
#include <map>
#include <optional>

namespace {

// The engines sharing the host's timers, as the top bits of a token.
enum TSlot : uint64_t { kSlotNone = 0, kSlotDiscovery = 1, kSlotSequencer = 2, kSlotDump = 3 };
constexpr int kSlotShift = 56;
constexpr uint64_t kTokenMask = (uint64_t{1} << kSlotShift) - 1;

// The board type a discovered board is read as: the one whose identity it
// reports. A board that keeps its address apart reports the family's vendor
// in its manufacturer byte.
int FamilyType(const TRenumberableBoard& board)
{
    const int vendor = board.HasSeparateAddress() ? board.Manufacturer8() : board.VendorId();
    for (int type = 0; type < kBoardTypeCount; ++type) {
        const TBoardFactoryRow* row = BoardFactoryRow(type);
        if (row && row->make && TConfigurableBoard::IdentityAccepted(static_cast<uint8_t>(type), vendor, board.DeviceId()))
            return type;
    }
    return -1;
}

bool IsNoAnswer(const std::string& text)
{
    return text == "Failure while checking board ID" || text == SvDumpTexts::kNoAnswer;
}

}  // namespace

std::string LayoutStateText(TLayoutBoardState state, TLayoutTask task)
{
    switch (state) {
    case TLayoutBoardState::eFound:
        return "found";
    case TLayoutBoardState::eBusy:
        switch (task) {
        case TLayoutTask::eBackup:
            return "reading";
        case TLayoutTask::eVerify:
        case TLayoutTask::eCheckConfigured:
            return "verifying";
        default:
            return "programming";
        }
    case TLayoutBoardState::eRead:
        return "read";
    case TLayoutBoardState::eSame:
        return "same";
    case TLayoutBoardState::eDifferent:
        return "different";
    case TLayoutBoardState::eRestored:
        return task == TLayoutTask::eRestore ? "restored" : "programmed";
    case TLayoutBoardState::eNotAnswering:
        return "not answering";
    case TLayoutBoardState::eNew:
        return "new";
    case TLayoutBoardState::eFailed:
        return "failed";
    case TLayoutBoardState::eSkipped:
        return "skipped";
    }
    return {};
}

// One engine's view of one of the host's timers. Only the engine that armed
// the timer last may stop it, so an engine going idle never stops the timer
// of the next one.
class TLayoutEngine::TTimerSlot : public IEngineTimer {
public:
    TTimerSlot(IEngineTimer* host, uint64_t slot, uint64_t& owner) : host_(host), slot_(slot), owner_(owner) {}
    void Start(int ms, uint64_t token) override
    {
        owner_ = slot_;
        if (host_)
            host_->Start(ms, (slot_ << kSlotShift) | (token & kTokenMask));
    }
    void Stop() override
    {
        if (owner_ != slot_)
            return;
        owner_ = kSlotNone;
        if (host_)
            host_->Stop();
    }

private:
    IEngineTimer* host_;
    uint64_t slot_;
    uint64_t& owner_;
};

// What the driven engines report. Their ends are noted here and acted on
// once the engine's own handler has returned (AfterEvent).
class TLayoutEngine::TSubListener : public IRenumberListener, public IProgrammerListener, public ISvDumpListener {
public:
    explicit TSubListener(TLayoutEngine& engine) : engine_(engine) {}

    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override { engine_.Send(std::move(message)); }
    void OperationEnded(TRenumberOperation operation, bool) override
    {
        if (operation == TRenumberOperation::eDiscover)
            discoveryEnded = true;
    }
    void TransferEnded(bool success, const std::string& text) override { ended = {success, text}; }
    void DumpEnded(bool success, const std::string& text) override { ended = {success, text}; }
    void ProgressRange(int, int maximum) override { maximum_ = maximum; }
    void ProgressPosition(int position) override { engine_.listener_.BoardProgress(position, maximum_); }
    void DumpProgress(int sv, int count) override { engine_.listener_.BoardProgress(sv, count); }

    bool discoveryEnded = false;
    std::optional<std::pair<bool, std::string>> ended;

private:
    TLayoutEngine& engine_;
    int maximum_ = 0;
};

TLayoutEngine::TLayoutEngine(ILayoutListener& listener, IEngineTimer* timeoutTimer, IEngineTimer* delayTimer)
    : listener_(listener), sub_(std::make_unique<TSubListener>(*this)), clock_([] { return std::chrono::system_clock::now(); })
{
    for (uint64_t slot : {kSlotDiscovery, kSlotSequencer, kSlotDump}) {
        slots_.push_back(std::make_unique<TTimerSlot>(timeoutTimer, slot, timeoutOwner_));
        slots_.push_back(std::make_unique<TTimerSlot>(delayTimer, slot, delayOwner_));
    }
    discovery_ = std::make_unique<TRenumberEngine>(*sub_, slots_[0].get(), slots_[1].get());
    sequencer_ = std::make_unique<TProgSequencer>(*sub_, slots_[2].get(), slots_[3].get());
    dump_ = std::make_unique<TSvDumpReader>(*sub_, slots_[4].get(), slots_[5].get());
}

TLayoutEngine::~TLayoutEngine()
{
    // The engines stop their timers through the slots, which must outlive them.
    dump_.reset();
    sequencer_.reset();
    discovery_.reset();
}

void TLayoutEngine::SetPacedSending(bool paced)
{
    sequencer_->SetPacedSending(paced);
    dump_->SetPacedSending(paced);
}

bool TLayoutEngine::LoadProductList(const std::string& fileName)
{
    return discovery_->LoadProductList(fileName);
}

std::chrono::system_clock::time_point TLayoutEngine::Now() const
{
    return clock_();
}

void TLayoutEngine::Send(std::unique_ptr<TLNSVProgMessage> message)
{
    // After Cancel the exchange under way has ended once its engine wants to
    // send again: the message is held back and the engine stopped.
    if (cancelling_) {
        held_ = true;
        return;
    }
    listener_.SendMessage(std::move(message));
}

void TLayoutEngine::Begin(TLayoutTask task, const std::string& folder)
{
    task_ = task;
    folder_ = folder;
    running_ = true;
    cancelling_ = false;
    held_ = false;
    sub_->discoveryEnded = false;
    sub_->ended.reset();
    current_ = 0;
    done_ = 0;
    total_ = 0;
    busBoard_.reset();
    files_ = std::make_unique<TBoardData>();
}

bool TLayoutEngine::StartBackup(const std::string& parentFolder, std::string& error)
{
    if (running_) {
        error = "a layout run is under way";
        return false;
    }
    std::string folder;
    if (!SnapshotFiles::CreateSnapshotFolder(parentFolder, Now(), folder, error))
        return false;
    Begin(TLayoutTask::eBackup, folder);
    snapshot_.clear();
    boards_.clear();
    listener_.BoardsChanged();
    StartDiscovery();
    return true;
}

bool TLayoutEngine::LoadSnapshot(const std::string& folder, std::string& error)
{
    std::vector<TSnapshotEntry> entries;
    if (!SnapshotFiles::ReadManifest(folder, entries, error))
        return false;
    snapshot_ = std::move(entries);
    return true;
}

bool TLayoutEngine::StartVerify(const std::string& snapshotFolder, std::string& error)
{
    if (running_) {
        error = "a layout run is under way";
        return false;
    }
    if (!LoadSnapshot(snapshotFolder, error))
        return false;
    Begin(TLayoutTask::eVerify, snapshotFolder);
    boards_.clear();
    for (const TSnapshotEntry& entry : snapshot_) {
        TLayoutBoard row;
        row.entry = entry;
        if (!entry.IsRead()) {
            row.state = TLayoutBoardState::eSkipped;
            row.reason = LayoutTexts::kNotInSnapshot;
        }
        boards_.push_back(std::move(row));
    }
    listener_.BoardsChanged();
    StartDiscovery();
    return true;
}

bool TLayoutEngine::StartRestore(const std::string& snapshotFolder, const std::vector<int>& addresses,
                                 std::string& error)
{
    if (running_) {
        error = "a layout run is under way";
        return false;
    }
    if (!LoadSnapshot(snapshotFolder, error))
        return false;
    for (int address : addresses) {
        const bool held = std::any_of(snapshot_.begin(), snapshot_.end(), [address](const TSnapshotEntry& e) {
            return e.address == address || e.serial == address;
        });
        if (!held) {
            error = snapshotFolder + ": the snapshot holds no board at " + std::to_string(address);
            return false;
        }
    }
    Begin(TLayoutTask::eRestore, snapshotFolder);
    boards_.clear();
    for (const TSnapshotEntry& entry : snapshot_) {
        const bool chosen = addresses.empty() || std::any_of(addresses.begin(), addresses.end(), [&entry](int a) {
                                return entry.address == a || entry.serial == a;
                            });
        if (!chosen)
            continue;
        TLayoutBoard row;
        row.entry = entry;
        if (!entry.IsRead()) {
            row.state = TLayoutBoardState::eSkipped;
            row.reason = LayoutTexts::kNotInSnapshot;
        } else if (!entry.IsFamily()) {
            row.state = TLayoutBoardState::eSkipped;
            row.reason = LayoutTexts::kOtherMaker;
        }
        boards_.push_back(std::move(row));
    }
    listener_.BoardsChanged();
    phase_ = TPhase::eBoard;
    BeginBoards();
    return true;
}

bool TLayoutEngine::StartCheckConfigured(const std::vector<TConfigurableBoard*>& boards, std::string& error)
{
    if (running_) {
        error = "a layout run is under way";
        return false;
    }
    Begin(TLayoutTask::eCheckConfigured, {});
    boards_.clear();
    configured_.clear();
    for (TConfigurableBoard* board : boards) {
        if (!board || !board->IsSerialValid())
            continue;
        TLayoutBoard row;
        row.entry.address = row.entry.serial = board->SerialNumber();
        row.entry.type = BoardTypeFromName(board->BoardTypeName());
        row.entry.product = board->BoardTypeName();
        row.description = board->Name();
        boards_.push_back(std::move(row));
        configured_.push_back(board);
    }
    listener_.BoardsChanged();
    phase_ = TPhase::eBoard;
    BeginBoards();
    return true;
}

bool TLayoutEngine::StartProgramChanged(std::string& error)
{
    if (running_) {
        error = "a layout run is under way";
        return false;
    }
    if (task_ != TLayoutTask::eCheckConfigured ||
        std::none_of(boards_.begin(), boards_.end(),
                     [](const TLayoutBoard& row) { return row.state == TLayoutBoardState::eDifferent; })) {
        error = "no board differs from its configuration";
        return false;
    }
    Begin(TLayoutTask::eProgramChanged, {});
    // The boards found the same, or not read, keep what the check said.
    for (TLayoutBoard& row : boards_)
        if (row.state == TLayoutBoardState::eDifferent)
            row.state = TLayoutBoardState::eFound;
    listener_.BoardsChanged();
    phase_ = TPhase::eBoard;
    BeginBoards();
    return true;
}

void TLayoutEngine::StartDiscovery()
{
    phase_ = TPhase::eDiscovering;
    listener_.StatusText(LayoutTexts::kDiscovering);
    discoveryRounds_ = 1;
    discovery_->Discover();
}

void TLayoutEngine::OnDiscoveryEnded()
{
    std::vector<const TRenumberableBoard*> found;
    for (const auto& board : discovery_->Boards())
        found.push_back(board.get());
    // A lost discover request leaves the bus silent: ask once more.
    if (found.empty() && discoveryRounds_ < 2 && task_ == TLayoutTask::eBackup) {
        ++discoveryRounds_;
        discovery_->Discover();
        return;
    }
    std::map<int32_t, int> replies;  // per address
    for (const TRenumberableBoard* board : found)
        ++replies[board->Address()];
    const auto twoBoards = [](int32_t address) {
        return "two boards answer at serial " + std::to_string(address) + "; neither is read";
    };

    if (task_ == TLayoutTask::eBackup) {
        for (const TRenumberableBoard* board : found) {
            TLayoutBoard row;
            TSnapshotEntry& e = row.entry;
            e.address = board->Address();
            e.serial = board->SerialNumber();
            e.vendor = board->VendorId();
            e.device = board->DeviceId();
            e.type = FamilyType(*board);
            e.product = !board->Product().empty() || e.type < 0
                            ? board->Product()
                            : TBoardData::ShortTypeName(static_cast<uint8_t>(e.type));
            e.result = TSnapshotEntry::kResultPending;
            row.description = board->Description();
            if (replies[e.address] > 1) {
                row.state = TLayoutBoardState::eFailed;
                row.reason = twoBoards(e.address);
                e.result = "failed: " + row.reason;
            }
            boards_.push_back(std::move(row));
        }
    } else {
        for (TLayoutBoard& row : boards_) {
            if (row.state == TLayoutBoardState::eFound && replies[row.entry.address] > 1) {
                row.state = TLayoutBoardState::eFailed;
                row.reason = twoBoards(row.entry.address);
            }
        }
        for (const TRenumberableBoard* board : found) {
            const auto known = std::find_if(boards_.begin(), boards_.end(), [board](const TLayoutBoard& row) {
                return row.entry.address == board->Address();
            });
            if (known != boards_.end()) {
                // Named as the backup named it: the manifest keeps the
                // product, the product list the words a modeller knows.
                if (known->description.empty())
                    known->description = board->Description();
                continue;
            }
            TLayoutBoard row;
            row.entry.address = board->Address();
            row.entry.serial = board->SerialNumber();
            row.entry.vendor = board->VendorId();
            row.entry.device = board->DeviceId();
            row.entry.type = FamilyType(*board);
            row.entry.product = !board->Product().empty() || row.entry.type < 0
                                    ? board->Product()
                                    : TBoardData::ShortTypeName(static_cast<uint8_t>(row.entry.type));
            row.description = board->Description();
            row.state = TLayoutBoardState::eNew;
            boards_.push_back(std::move(row));
        }
    }
    listener_.BoardsChanged();
    phase_ = TPhase::eBoard;
    if (task_ == TLayoutTask::eBackup && !SaveManifest())
        return;
    BeginBoards();
}

void TLayoutEngine::BeginBoards()
{
    total_ = static_cast<int>(std::count_if(boards_.begin(), boards_.end(), [](const TLayoutBoard& row) {
        return row.state == TLayoutBoardState::eFound;
    }));
    done_ = 0;
    current_ = 0;
    listener_.RunProgress(0, total_);
    NextBoard();
}

void TLayoutEngine::NextBoard()
{
    while (current_ < boards_.size() && boards_[current_].state != TLayoutBoardState::eFound)
        ++current_;
    if (current_ >= boards_.size()) {
        EndRun(true, Summary());
        return;
    }
    if (cancelling_) {
        EndRun(false, LayoutTexts::kCancelled);
        return;
    }
    StartBoard(current_);
}

std::string TLayoutEngine::Summary() const
{
    std::map<std::string, int> counts;
    for (const TLayoutBoard& row : boards_)
        ++counts[LayoutStateText(row.state, task_)];
    std::string text;
    for (const auto& [state, count] : counts)
        text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + state;
    return text.empty() ? std::string("no boards") : text;
}

TConfigurableBoard* TLayoutEngine::SnapshotBoard(TBoardData& files, const TSnapshotEntry& entry, std::string& error)
{
    const uint8_t type = static_cast<uint8_t>(entry.type);
    const std::string fileName = SnapshotFiles::JoinPath(folder_, entry.file);
    if (!files.HasFileName(type)) {
        if (!files.LoadList(type, fileName)) {
            error = files.LastErrorText();
            files.ClearList(type);
            return nullptr;
        }
    } else if (files.FileNameOf(type) != fileName) {
        error = entry.file + ": a second file for the " + TBoardData::ShortTypeName(type) + " boards";
        return nullptr;
    }
    TConfigurableBoard* board = files.BoardAt(type, entry.boardIndex);
    if (!board)
        error = entry.file + " holds no board " + std::to_string(entry.boardIndex);
    return board;
}

void TLayoutEngine::StartBoard(size_t row)
{
    TLayoutBoard& board = boards_[row];
    TSnapshotEntry& e = board.entry;
    board.state = TLayoutBoardState::eBusy;
    board.differences.clear();
    listener_.BoardChanged(static_cast<int>(row));
    const std::string name = (e.IsFamily() ? TBoardData::ShortTypeName(static_cast<uint8_t>(e.type)) : std::string("board")) +
                             " at " + std::to_string(e.address);
    const char* verb = task_ == TLayoutTask::eBackup ? "Reading "
                       : task_ == TLayoutTask::eVerify || task_ == TLayoutTask::eCheckConfigured ? "Verifying "
                                                                                                 : "Programming ";
    listener_.StatusText(verb + name + " (" + std::to_string(done_ + 1) + " of " + std::to_string(total_) + ").....");
    listener_.BoardProgress(0, 0);

    std::string error;
    bool started = false;
    if (task_ == TLayoutTask::eCheckConfigured || task_ == TLayoutTask::eProgramChanged) {
        started = sequencer_->Start(task_ == TLayoutTask::eCheckConfigured ? TProgramMode::eVerify : TProgramMode::eWrite,
                                    *configured_[row]);
        error = ProgTexts::kSerialInvalid;
    } else if (!e.IsFamily()) {
        int count = svCount_;
        if (task_ == TLayoutTask::eVerify) {
            if (!SnapshotFiles::ReadSvValues(SnapshotFiles::JoinPath(folder_, e.listing), snapshotValues_, error)) {
                FinishBoard(TLayoutBoardState::eFailed, error);
                return;
            }
            count = static_cast<int>(snapshotValues_.size());
        }
        started = dump_->Start(e.address, count);
        error = "the snapshot lists no SVs";
    } else if (task_ == TLayoutTask::eBackup) {
        const uint8_t type = static_cast<uint8_t>(e.type);
        if (!files_->AppendBoard(type)) {
            FinishBoard(TLayoutBoardState::eFailed, files_->LastErrorText());
            return;
        }
        TConfigurableBoard* target = files_->BoardAt(type, files_->BoardCount(type) - 1);
        target->SetSerialNumber(e.address);
        started = sequencer_->Start(TProgramMode::eRead, *target);
        if (!started)
            files_->DeleteBoard(type, files_->BoardCount(type) - 1);
    } else if (task_ == TLayoutTask::eVerify) {
        // Read as the backup read it: into a board of the model with its
        // defaults, whose image then holds what the bus holds.
        busBoard_ = MakeBoard(e.type);
        if (!busBoard_) {
            FinishBoard(TLayoutBoardState::eFailed, BoardFactoryError(e.type));
            return;
        }
        busBoard_->SetSerialNumber(e.address);
        started = sequencer_->Start(TProgramMode::eRead, *busBoard_);
        error = ProgTexts::kSerialInvalid;
    } else {
        TConfigurableBoard* reference = SnapshotBoard(*files_, e, error);
        if (!reference) {
            FinishBoard(TLayoutBoardState::eFailed, error);
            return;
        }
        reference->SetSerialNumber(e.address);
        started = sequencer_->Start(TProgramMode::eWrite, *reference);
        error = ProgTexts::kSerialInvalid;
    }
    if (!started)
        FinishBoard(TLayoutBoardState::eFailed, error);
}

void TLayoutEngine::BoardEnded(bool success, const std::string& endText)
{
    const std::string text = endText.empty() ? std::string("the board could not be read") : endText;
    TLayoutBoard& row = boards_[current_];
    TSnapshotEntry& e = row.entry;
    if (!success) {
        if (task_ == TLayoutTask::eBackup && e.IsFamily()) {
            const uint8_t type = static_cast<uint8_t>(e.type);
            files_->DeleteBoard(type, files_->BoardCount(type) - 1);
        }
        const bool nothingRead = e.IsFamily() || dump_->SvsRead() == 0;
        FinishBoard(IsNoAnswer(text) && nothingRead ? TLayoutBoardState::eNotAnswering : TLayoutBoardState::eFailed,
                    text);
        return;
    }
    std::string error;
    switch (task_) {
    case TLayoutTask::eBackup:
        if (e.IsFamily()) {
            const uint8_t type = static_cast<uint8_t>(e.type);
            const int index = files_->BoardCount(type) - 1;
            TConfigurableBoard* board = files_->BoardAt(type, index);
            e.softwareVersion = board->SoftwareVersion();
            // The SVs as read go into a listing of their own: the file holds
            // the settings they decode to, the listing what the board held.
            const std::string listing = SnapshotFiles::ListingFileName(e.type, e.address);
            const bool listed = board->WriteSvListing(SnapshotFiles::JoinPath(folder_, listing));
            if (!listed || !files_->SaveListAs(type, SnapshotFiles::JoinPath(folder_, SnapshotFiles::TypeFileName(type)))) {
                const std::string why = listed ? files_->LastErrorText() : board->ListingErrorText();
                files_->DeleteBoard(type, index);
                FinishBoard(TLayoutBoardState::eFailed, why);
                return;
            }
            e.listing = listing;
            e.file = SnapshotFiles::TypeFileName(type);
            e.boardIndex = index;
        } else {
            const std::vector<uint8_t>& values = dump_->Values();
            if (values.size() >= 2)
                e.softwareVersion = values[1];
            const std::string file = SnapshotFiles::ListingFileName(-1, e.address);
            const std::string name = e.product.empty() ? "board at " + std::to_string(e.address) : e.product;
            if (!SnapshotFiles::WriteSvValues(SnapshotFiles::JoinPath(folder_, file), name, values, error)) {
                FinishBoard(TLayoutBoardState::eFailed, error);
                return;
            }
            e.file = file;
            e.listing = file;
        }
        FinishBoard(TLayoutBoardState::eRead);
        return;
    case TLayoutTask::eVerify:
        if (e.IsFamily()) {
            const std::unique_ptr<TConfigurableBoard> snapshot = SnapshotFiles::ListedBoard(folder_, e, error);
            if (!snapshot) {
                FinishBoard(TLayoutBoardState::eFailed, error);
                return;
            }
            row.differences = CompareBoardSettings(*snapshot, *busBoard_);
        } else {
            row.differences = CompareSvValues(snapshotValues_, dump_->Values());
        }
        FinishBoard(row.differences.empty() ? TLayoutBoardState::eSame : TLayoutBoardState::eDifferent);
        return;
    case TLayoutTask::eRestore:
    case TLayoutTask::eProgramChanged:
        FinishBoard(TLayoutBoardState::eRestored);
        return;
    case TLayoutTask::eCheckConfigured:
        for (const TSvDifference& d : sequencer_->Differences())
            row.differences.push_back(
                {"SV" + std::to_string(d.sv), std::to_string(d.configuration), std::to_string(d.board)});
        FinishBoard(row.differences.empty() ? TLayoutBoardState::eSame : TLayoutBoardState::eDifferent);
        return;
    }
}

void TLayoutEngine::FinishBoard(TLayoutBoardState state, const std::string& reason)
{
    TLayoutBoard& row = boards_[current_];
    row.state = state;
    row.reason = reason;
    row.entry.time = SnapshotFiles::TimeOfDay(Now());
    if (task_ == TLayoutTask::eBackup)
        row.entry.result = state == TLayoutBoardState::eRead ? std::string(TSnapshotEntry::kResultRead)
                                                             : "failed: " + LayoutStateText(state, task_) +
                                                                   (reason.empty() ? "" : ", " + reason);
    ++done_;
    listener_.BoardChanged(static_cast<int>(current_));
    listener_.RunProgress(done_, total_);
    ++current_;
    if (task_ == TLayoutTask::eBackup && !SaveManifest())
        return;
    NextBoard();
}

bool TLayoutEngine::SaveManifest()
{
    std::vector<TSnapshotEntry> entries;
    for (const TLayoutBoard& row : boards_)
        entries.push_back(row.entry);
    std::string error;
    if (SnapshotFiles::WriteManifest(folder_, entries, error))
        return true;
    EndRun(false, error);
    return false;
}

void TLayoutEngine::EndRun(bool success, const std::string& text)
{
    discovery_->GoIdle();
    if (!sequencer_->IsIdle())
        sequencer_->GoIdle();
    dump_->GoIdle();
    const bool wasRunning = running_;
    running_ = false;
    phase_ = TPhase::eIdle;
    if (!wasRunning)
        return;
    if (!success) {
        // Whatever was not finished says so.
        for (TLayoutBoard& row : boards_) {
            if (row.state != TLayoutBoardState::eFound && row.state != TLayoutBoardState::eBusy)
                continue;
            const bool partly = row.state == TLayoutBoardState::eBusy &&
                                (task_ == TLayoutTask::eRestore || task_ == TLayoutTask::eProgramChanged);
            row.state = partly ? TLayoutBoardState::eFailed : TLayoutBoardState::eSkipped;
            row.reason = partly ? std::string("stopped while programming: the board is partly programmed")
                                : std::string(LayoutTexts::kNotReached);
            if (task_ == TLayoutTask::eBackup)
                row.entry.result = "failed: " + row.reason;
        }
        listener_.BoardsChanged();
        if (task_ == TLayoutTask::eBackup) {
            std::vector<TSnapshotEntry> entries;
            for (const TLayoutBoard& row : boards_)
                entries.push_back(row.entry);
            std::string error;
            SnapshotFiles::WriteManifest(folder_, entries, error);
        }
    }
    listener_.StatusText(text);
    listener_.RunEnded(success, text);
}

void TLayoutEngine::Cancel()
{
    if (!running_ || cancelling_)
        return;
    cancelling_ = true;
    if (phase_ == TPhase::eDiscovering)
        EndRun(false, LayoutTexts::kCancelled);
}

void TLayoutEngine::Abort(const std::string& reason)
{
    if (running_)
        EndRun(false, reason);
}

void TLayoutEngine::AfterEvent()
{
    for (;;) {
        if (!running_)
            return;
        if (held_) {
            held_ = false;
            EndRun(false, LayoutTexts::kCancelled);
            return;
        }
        if (sub_->discoveryEnded) {
            sub_->discoveryEnded = false;
            if (phase_ == TPhase::eDiscovering)
                OnDiscoveryEnded();
            continue;
        }
        if (sub_->ended) {
            const auto [success, text] = *sub_->ended;
            sub_->ended.reset();
            if (phase_ == TPhase::eBoard)
                BoardEnded(success, text);
            continue;
        }
        return;
    }
}

void TLayoutEngine::HandleSvMessage(const TLNSVProgMessage& message)
{
    if (!running_)
        return;
    if (phase_ == TPhase::eDiscovering)
        discovery_->HandleSvMessage(message);
    else if (!sequencer_->IsIdle())
        sequencer_->HandleSvMessage(message);
    else if (!dump_->IsIdle())
        dump_->HandleSvMessage(message);
    AfterEvent();
}

void TLayoutEngine::TimeoutExpired(uint64_t token)
{
    const uint64_t inner = token & kTokenMask;
    switch (token >> kSlotShift) {
    case kSlotDiscovery:
        discovery_->TimeoutExpired(inner);
        break;
    case kSlotSequencer:
        sequencer_->TimeoutExpired(inner);
        break;
    case kSlotDump:
        dump_->TimeoutExpired(inner);
        break;
    default:
        break;
    }
    AfterEvent();
}

void TLayoutEngine::DelayExpired(uint64_t token)
{
    const uint64_t inner = token & kTokenMask;
    switch (token >> kSlotShift) {
    case kSlotDiscovery:
        discovery_->DelayExpired(inner);
        break;
    case kSlotSequencer:
        sequencer_->DelayExpired(inner);
        break;
    case kSlotDump:
        dump_->DelayExpired(inner);
        break;
    default:
        break;
    }
    AfterEvent();
}
