// The board programming sequencer: writes a configured board's SV image into
// the board over LocoNet, verifying every block from the board's reply, or
// reads the board's SVs back into its configuration.
//
// A plain engine fed events (Start, HandleSvMessage, the expiry of its two
// timers); it reports what it does through IProgrammerListener. One board at
// a time, addressed by its serial number, always with source address 0.
//
// Phases (state): 1 identify, 2 software version (read four at SV 1),
// 3 data blocks of one or four SVs, 4 reconfigure (write mode only).
//
// Verify mode reads the board as read mode does, but into a scratch image of
// the sequencer's own, and compares it with the image the configuration
// computes for the board's software version: the board is not written and the
// configuration keeps its settings.
#pragma once

#include "link/Tsvprogmsg.h"
#include "programming/Tenginetimer.h"
#include "programming/Tsvcompare.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TConfigurableBoard;

enum class TProgramMode : uint8_t { eWrite = 0, eRead = 1, eVerify = 2 };

enum class TProgramState : uint8_t {
    eIdle = 0,
    eCheckingIdentity = 1,
    eCheckingVersion = 2,
    eTransferring = 3,
    eReconfiguring = 4,
};

class IProgrammerListener {
public:
    virtual ~IProgrammerListener() = default;
    // The message to hand to the link, which takes it over.
    virtual void SendMessage(std::unique_ptr<TLNSVProgMessage> message) = 0;
    // Shown in the status field and appended to the log.
    virtual void StatusText(const std::string& /*text*/) {}
    // Appended to the log only.
    virtual void LogText(const std::string& /*text*/) {}
    // Appended to the log; only reported while logging is on.
    virtual void DebugText(const std::string& /*text*/) {}
    virtual void ClearLog() {}
    virtual void ProgressRange(int /*minimum*/, int /*maximum*/) {}
    virtual void ProgressPosition(int /*position*/) {}
    // The system beep of a failed SV calculation.
    virtual void Beep() {}
    // A started transfer is over: success, or the failure's text (the last
    // log line said it already). A verify succeeds once the board is read,
    // whether or not it matches; Differences() says which SVs do not.
    virtual void TransferEnded(bool /*success*/, const std::string& /*text*/) {}
};

class TProgSequencer {
public:
    static constexpr int kReplyTimeoutMs = 5000;
    static constexpr int kMessageDelayMs = 20;
    static constexpr int kRetryBudget = 20;

    // timeoutTimer and delayTimer are the host's one-shot timers; their
    // expiries come back through TimeoutExpired and DelayExpired.
    TProgSequencer(IProgrammerListener& listener, IEngineTimer* timeoutTimer, IEngineTimer* delayTimer);
    ~TProgSequencer();
    TProgSequencer(const TProgSequencer&) = delete;
    TProgSequencer& operator=(const TProgSequencer&) = delete;

    // Options of the host
    // The MS100 needs a pause before each message that follows a good reply.
    void SetPacedSending(bool paced) { paced_ = paced; }
    bool PacedSending() const { return paced_; }
    // Logging on reports every SV message sent or received as a debug text.
    void SetLogging(bool on) { logging_ = on; }
    bool Logging() const { return logging_; }

    // Commands
    // Starts a transfer of board (it must outlive the transfer). Ignored
    // (false) unless idle; a board with an invalid serial number is refused
    // with a log text (false).
    bool Start(TProgramMode mode, TConfigurableBoard& board);
    // Goes idle without waiting for the board, e.g. when the host closes.
    void GoIdle();

    // Events
    void HandleSvMessage(const TLNSVProgMessage& message);
    void TimeoutExpired(uint64_t token);
    void DelayExpired(uint64_t token);

    // State, for the host's display and for tests
    TProgramState State() const { return state_; }
    bool IsIdle() const { return state_ == TProgramState::eIdle; }
    TProgramMode Mode() const { return mode_; }
    int RetriesLeft() const { return retriesLeft_; }
    int CurrentSv() const { return currentSv_; }
    uint32_t BlockSize() const { return blockSize_; }
    int BoardAddress() const { return boardAddress_; }
    TProgramState PendingState() const { return pendingState_; }
    // The SVs in which the board differed from its configuration, in SV
    // order, after a verify that succeeded; emptied when a transfer starts.
    const std::vector<TSvDifference>& Differences() const { return differences_; }
    // What the board held, as the last verify read it (SV n at n - 1).
    const std::vector<uint8_t>& VerifiedImage() const { return readImage_; }

private:
    void SendState(TProgramState state);
    void GoOnTo(TProgramState next);
    void Finish(bool success, const std::string& logText);
    void Fail(const std::string& logText);
    void Debug(const std::string& text);

    void OnIdentifyReply(const TLNSVProgMessage& message);
    void OnVersionReply(const TLNSVProgMessage& message);
    void OnDataReply(const TLNSVProgMessage& message, int kind);
    void OnReconfigureReply(const TLNSVProgMessage& message);
    void FinishVerify();

    IProgrammerListener& listener_;
    TEngineTimer timeoutTimer_;
    TEngineTimer delayTimer_;
    bool paced_ = false;
    bool logging_ = false;

    TProgramState state_ = TProgramState::eIdle;
    TProgramState pendingState_ = TProgramState::eIdle;
    int32_t retriesLeft_ = 0;
    TProgramMode mode_ = TProgramMode::eWrite;
    int32_t boardAddress_ = 0;
    int32_t sourceAddress_ = 0;
    TConfigurableBoard* board_ = nullptr;
    int32_t currentSv_ = 0;
    uint32_t blockSize_ = 0;
    std::vector<uint8_t> readImage_;  // verify: what the board holds, SV n at n - 1
    std::vector<TSvDifference> differences_;
};

// The texts of the sequencer.
namespace ProgTexts {
inline constexpr const char* kNoBoardSelected = "No board selected in list box";
inline constexpr const char* kSerialInvalid = "Serial number must be between 1 & 65535";
inline constexpr const char* kCheckingIdentity = "Checking Destination board identity.....";
inline constexpr const char* kCheckingVersion = "Checking Destination board s/w version.....";
inline constexpr const char* kResetting = "Resetting Destination board.....";
inline constexpr const char* kIdle = "Board programmer idle";
inline constexpr const char* kWrongType = "ERROR: dest board is not correct type";
inline constexpr const char* kBeginning = "Beginning Read or write.....";
inline constexpr const char* kReadbackMismatch = "FAIL: readback data does not match.";
inline constexpr const char* kRetryingWrite = "Retrying data write...";
inline constexpr const char* kReadCompleted = "Board data read completed successfully!";
inline constexpr const char* kProgramCompleted = "Programming Completed Successfully!";
inline constexpr const char* kTimerInIdle = "Timer event in Idle... BUG";
}  // namespace ProgTexts
