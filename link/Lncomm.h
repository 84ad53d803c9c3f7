// The LocoNet link: opens a port on an interface (MS100, LocoBuffer, PR3),
// frames the received bytes into messages, keeps a receive and a transmit
// queue, tells its owner when messages have arrived and writes whole queued
// messages to the port while its output buffer has room. Nothing is filtered
// by content: the interfaces return every message on the bus, our own too.
//
// Everything runs on one thread (the user-interface thread): the port raises
// its events there, and the events reach the owner there.
#pragma once

#include "link/Lnframer.h"
#include "link/Lnmessage.h"
#include "link/Lnport.h"
#include "link/Recording.h"

#include <cstdint>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

enum TBaudRate : int { br16457 = 0, br19200 = 1, br57600 = 2 };
enum ELocoNetInterface : int { eMS100 = 0, eLocoBuffer = 1, ePR3 = 2 };

int BaudRateValue(TBaudRate rate);  // 16457, 19200, 57600

// Raised by the link; what() is the fixed text with its code filled in,
// e.g. "Port not open (Error: -1)".
class TLnCommError : public std::runtime_error {
public:
    TLnCommError(const char* format, int code);
    int Code() const { return code_; }

private:
    int code_;
};

class TLnThreadComm {
public:
    // Events, delivered on the link's thread. Sender is the link itself.
    using TRxMsgEvent = std::function<void(TLnThreadComm& sender, uint32_t count)>;
    using TErrorEvent = std::function<void(TLnThreadComm& sender, uint32_t errorFlags)>;
    using TTxEmptyEvent = std::function<void(TLnThreadComm& sender)>;
    // The port lost (connected false) or regained its connection; the link stays open.
    using TLinkStateEvent = std::function<void(TLnThreadComm& sender, bool connected)>;
    // Every valid message as it is framed, before it is queued.
    using TFramedEvent = std::function<void(const TLocoNetMessage& message)>;
    // Every frame the link handles: each valid message framed, each message
    // written to the port, each run of bytes the framing dropped. What a
    // recording of the bus keeps; apart from OnFramed, which others take.
    using TTrafficEvent = std::function<void(TRecDirection direction, const uint8_t* bytes, int count)>;

    // Port and driver sizes.
    static constexpr int kInBufferSize = 4096;
    static constexpr int kOutBufferSize = 2048;  // a message is written only when it fits whole
    static constexpr int kReadChunk = 5000;

    explicit TLnThreadComm(TLnPortFactory factory = {});
    virtual ~TLnThreadComm();
    TLnThreadComm(const TLnThreadComm&) = delete;
    TLnThreadComm& operator=(const TLnThreadComm&) = delete;

    // The maker of ports for device names; the platform layer supplies it.
    void SetPortFactory(TLnPortFactory factory) { factory_ = std::move(factory); }

public:  // Settings
    const std::string& DeviceName() const { return deviceName_; }
    void SetDeviceName(const std::string& name);  // only while closed
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate rate);             // re-applied at once while open
    ELocoNetInterface LocoNetInterface() const { return interface_; }
    void SetLocoNetInterface(ELocoNetInterface value) { interface_ = value; }
    // Flow control for a LocoBuffer or PR3; an MS100 always runs without.
    TLnFlowControl FlowControl() const { return flowControl_; }
    void SetFlowControl(TLnFlowControl flow);    // re-applied at once while open
    // What the port is given for the interface in use.
    TLnFlowControl EffectiveFlowControl() const;
    bool LogToFile() const { return logToFile_; }
    void SetLogToFile(bool on) { logToFile_ = on; }
    const std::string& LogFileName() const { return logFileName_; }
    void SetLogFileName(const std::string& name) { logFileName_ = name; }

    TRxMsgEvent OnRxMsg;
    TErrorEvent OnError;
    TTxEmptyEvent OnTxEmpty;
    TLinkStateEvent OnLinkState;
    TFramedEvent OnFramed;
    TTrafficEvent OnTraffic;

public:  // Opening and closing
    // Opens and configures the port. A device that cannot be opened leaves the
    // link closed without raising; LastOpenError() then says why. Raises
    // TLnCommError when the link is already open or a line setting fails.
    void Open();
    void Close();
    bool Enabled() const { return open_; }
    // Open and with its connection: false while a network port reconnects.
    bool Connected() const { return open_ && port_ && port_->Connected(); }
    // The port's words for its last failure (why a connection was lost).
    std::string PortErrorText() const { return port_ ? port_->ErrorText() : std::string(); }
    // Why the last Open left the link closed, or why the open link was closed
    // by a port failure; empty after a successful Open.
    const std::string& LastOpenError() const { return lastOpenError_; }
    // Why the receive log asked for could not be opened by the last Open; the
    // link then runs without a log. Empty when the log is open or not asked for.
    const std::string& LogOpenError() const { return logOpenError_; }

public:  // Messages
    void WriteMessage(std::unique_ptr<TLocoNetMessage> msg);  // takes ownership
    void WriteMessage(const TLocoNetMessage& msg);            // queues a copy
    std::unique_ptr<TLocoNetMessage> ReadMessage();            // null when none waits
    uint32_t QueRxMsgCount() const { return static_cast<uint32_t>(rxQueue_.size()); }
    uint32_t QueTxMsgCount() const { return static_cast<uint32_t>(txQueue_.size()); }
    int32_t InQueCount();   // bytes waiting in the port's input, -1 when closed
    int32_t OutQueCount();  // bytes waiting in the port's output, -1 when closed
    void ClearRXQueue() { rxQueue_.clear(); }
    void ClearTXQueue() { txQueue_.clear(); }
    void PurgeIn();
    void PurgeOut();
    void Kick_Tx();

    // What the framing dropped since the link was made.
    const TLnFramingStats& FramingStats() const { return stats_; }

public:  // Port operations
    int Write(const uint8_t* bytes, int count);  // -1 when closed
    int Read(uint8_t* buffer, int count);        // -1 when closed
    void SetDTRState(bool on);
    void CheckOpen() const;

    // Reacts to one port event (kLnEv* mask); the port calls it.
    void HandleCommEvent(uint32_t eventMask);

protected:
    virtual bool CreateHandle();
    void DestroyHandle();
    void UpdateCommTimeouts();
    void UpdateDataControlBlock();
    void UpdateDataControlBlockLock() { UpdateDataControlBlock(); }
    // Reads count waiting bytes and frames them; true when the receive queue
    // went from empty to not empty.
    bool PartialMsgRead(int count);
    void AddToLog(uint8_t byte);
    void AddStrToLog(const std::string& text);

private:
    void CloseAfterFailure(uint32_t errorFlags);
    void FrameByte(uint8_t byte);

    TLnPortFactory factory_;
    std::unique_ptr<TLnPort> port_;
    std::string deviceName_ = "Com1";
    TBaudRate baudRate_ = br19200;
    ELocoNetInterface interface_ = eMS100;
    TLnFlowControl flowControl_ = TLnFlowControl::Hardware;
    bool logToFile_ = false;
    std::string logFileName_;
    bool open_ = false;
    std::string lastOpenError_;
    std::string logOpenError_;

    std::deque<std::unique_ptr<TLocoNetMessage>> rxQueue_;
    std::deque<std::unique_ptr<TLocoNetMessage>> txQueue_;
    TLnFramer framer_;
    TLnFramingStats stats_;
    std::ofstream log_;
    bool logOpen_ = false;
};

// The class of the one link instance the main window owns.
class TLocoNetComm : public TLnThreadComm {
public:
    using TLnThreadComm::TLnThreadComm;
};
