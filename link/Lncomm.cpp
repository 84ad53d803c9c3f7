#include "link/Lncomm.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string FormatError(const char* format, int code)
{
    char text[160];
    std::snprintf(text, sizeof text, format, code);
    return text;
}

}  // namespace

int BaudRateValue(TBaudRate rate)
{
    switch (rate) {
    case br16457: return 16457;
    case br57600: return 57600;
    case br19200: break;
    }
    return 19200;
}

TLnCommError::TLnCommError(const char* format, int code) : std::runtime_error(FormatError(format, code)), code_(code) {}

TLnThreadComm::TLnThreadComm(TLnPortFactory factory) : factory_(std::move(factory)) {}

TLnThreadComm::~TLnThreadComm()
{
    Close();
    ClearTXQueue();
    ClearRXQueue();
    if (port_)
        port_->SetEventHandler({});
}

void TLnThreadComm::SetDeviceName(const std::string& name)
{
    if (!open_ && name != deviceName_)
        deviceName_ = name;
}

void TLnThreadComm::SetBaudRate(TBaudRate rate)
{
    if (rate == baudRate_)
        return;
    baudRate_ = rate;
    UpdateDataControlBlockLock();
}

void TLnThreadComm::SetFlowControl(TLnFlowControl flow)
{
    if (flow == flowControl_)
        return;
    flowControl_ = flow;
    UpdateDataControlBlockLock();
}

TLnFlowControl TLnThreadComm::EffectiveFlowControl() const
{
    // The MS100 is passive: nothing drives its CTS, and RTS powers it.
    return interface_ == eMS100 ? TLnFlowControl::None : flowControl_;
}

void TLnThreadComm::CheckOpen() const
{
    if (open_)
        throw TLnCommError("Port already assigned (open) (Error: %d)", -1);
}

bool TLnThreadComm::CreateHandle()
{
    lastOpenError_.clear();
    if (port_)
        port_->SetEventHandler({});
    port_.reset();
    if (!factory_) {
        lastOpenError_ = "no port for this device";
        return false;
    }
    port_ = factory_(deviceName_);
    if (!port_) {
        lastOpenError_ = "no port for this device";
        return false;
    }
    std::string reason;
    if (!port_->Open(deviceName_, reason)) {
        lastOpenError_ = reason.empty() ? std::string("cannot open the device") : reason;
        return false;
    }
    open_ = true;
    port_->SetEventHandler([this](uint32_t mask) { HandleCommEvent(mask); });
    return true;
}

void TLnThreadComm::DestroyHandle()
{
    if (port_) {
        port_->SetEventHandler({});
        port_->Close();
    }
    open_ = false;
}

void TLnThreadComm::Open()
{
    CheckOpen();
    if (!CreateHandle())
        return;
    try {
        UpdateCommTimeouts();
        UpdateDataControlBlock();
    } catch (const std::exception& e) {
        // A port that cannot take the line settings is not left open half-configured.
        lastOpenError_ = e.what();
        DestroyHandle();
        throw;
    }
    int bufferError = port_->SetBufferSizes(kInBufferSize, kOutBufferSize);
    framer_.Reset();
    logOpenError_.clear();
    if (logToFile_) {
        errno = 0;
        log_.open(logFileName_, std::ios::out | std::ios::trunc);
        logOpen_ = log_.is_open();
        if (!logOpen_) {
            const int code = errno;
            log_.clear();
            logOpenError_ = "cannot open the receive log " + logFileName_ +
                            (code != 0 ? ": " + std::string(std::strerror(code)) : std::string());
        }
    }
    SetDTRState(interface_ != eMS100);
    if (bufferError != 0)
        throw TLnCommError("Error initializing Read/Write Buffers (Error: %d)", bufferError);
}

void TLnThreadComm::Close()
{
    if (!open_)
        return;
    if (logOpen_) {
        log_.close();
        logOpen_ = false;
    }
    DestroyHandle();
}

void TLnThreadComm::CloseAfterFailure(uint32_t errorFlags)
{
    std::string reason = port_ ? port_->ErrorText() : std::string();
    if (reason.empty())
        reason = (errorFlags & kLnErrDeviceLost) ? "the device went away" : "the device failed";
    lastOpenError_ = reason;
    Close();
}

void TLnThreadComm::UpdateCommTimeouts()
{
    if (!port_)
        return;
    if (int code = port_->SetTimeouts(); code != 0)
        throw TLnCommError("Error updating CommTimeouts (Error: %d)", code);
}

void TLnThreadComm::UpdateDataControlBlock()
{
    if (!open_ || !port_)
        return;
    port_->SetBufferSizes(kInBufferSize, kOutBufferSize);
    port_->SetFlowControl(EffectiveFlowControl());
    if (int code = port_->SetLineSettings(BaudRateValue(baudRate_)); code != 0)
        throw TLnCommError("Error updating DataControlBlock (Error: %d)", code);
}

void TLnThreadComm::SetDTRState(bool on)
{
    if (!open_ || !port_)
        throw TLnCommError("Port not open (Error: %d)", -1);
    int code = 0;
    // A device without the line (a pseudo-terminal, a network connection) works without it.
    if (port_->SetDtr(on, code) == TLnLineResult::Failed)
        throw TLnCommError("EscapeCommFunction failure (Error: %d)", code);
}

int TLnThreadComm::Write(const uint8_t* bytes, int count)
{
    if (!open_ || !port_)
        return -1;
    int written = port_->Write(bytes, count);
    if (written < 0)
        port_->ClearError();
    return written;
}

int TLnThreadComm::Read(uint8_t* buffer, int count)
{
    if (!open_ || !port_)
        return -1;
    int got = port_->Read(buffer, count);
    if (got < 0)
        port_->ClearError();
    return got;
}

int32_t TLnThreadComm::InQueCount()
{
    if (!open_ || !port_)
        return -1;
    return port_->ClearError().inQue;
}

int32_t TLnThreadComm::OutQueCount()
{
    if (!open_ || !port_)
        return -1;
    return port_->ClearError().outQue;
}

void TLnThreadComm::PurgeIn()
{
    if (!open_ || !port_)
        return;
    port_->PurgeInput();
    ClearRXQueue();
    framer_.Reset();
}

void TLnThreadComm::PurgeOut()
{
    if (!open_ || !port_)
        return;
    port_->PurgeOutput();
    ClearTXQueue();
}

void TLnThreadComm::WriteMessage(std::unique_ptr<TLocoNetMessage> msg)
{
    if (!msg)
        return;
    txQueue_.push_back(std::move(msg));
    Kick_Tx();
}

void TLnThreadComm::WriteMessage(const TLocoNetMessage& msg)
{
    WriteMessage(std::make_unique<TLocoNetMessage>(msg));
}

std::unique_ptr<TLocoNetMessage> TLnThreadComm::ReadMessage()
{
    if (rxQueue_.empty())
        return nullptr;
    std::unique_ptr<TLocoNetMessage> msg = std::move(rxQueue_.front());
    rxQueue_.pop_front();
    return msg;
}

void TLnThreadComm::Kick_Tx()
{
    while (!txQueue_.empty()) {
        const TLocoNetMessage& msg = *txQueue_.front();
        const int64_t room = kOutBufferSize - static_cast<int64_t>(OutQueCount());
        if (static_cast<int64_t>(msg.Length()) >= room)
            return;  // stays queued until the output buffer drains
        if (Write(msg.Data(), static_cast<int>(msg.Length())) > 0 && OnTraffic)
            OnTraffic(TRecDirection::Sent, msg.Data(), static_cast<int>(msg.Length()));
        txQueue_.pop_front();
    }
}

void TLnThreadComm::HandleCommEvent(uint32_t eventMask)
{
    if (!open_ || !port_)
        return;
    const TLnPortStatus status = port_->ClearError();
    const bool lost = (status.errors & kLnErrDeviceLost) != 0;
    if ((eventMask & kLnEvError) && !lost) {
        if (OnError)
            OnError(*this, status.errors);
        if (!open_)
            return;  // the owner closed the link
    }
    // Bytes that arrived before a failure are still delivered.
    if ((eventMask & kLnEvRxChar) && status.inQue > 0) {
        if (PartialMsgRead(status.inQue) && OnRxMsg)
            OnRxMsg(*this, QueRxMsgCount());
    }
    if (lost) {
        // Closed first, so the owner sees a closed link and may open it again.
        if (open_)
            CloseAfterFailure(status.errors);
        if (OnError)
            OnError(*this, status.errors);
        return;
    }
    if (!open_)
        return;
    if (eventMask & kLnEvLinkState) {
        if (OnLinkState)
            OnLinkState(*this, port_->Connected());
        if (!open_)
            return;
    }
    if (eventMask & kLnEvTxEmpty) {
        if (txQueue_.empty()) {
            if (OnTxEmpty)
                OnTxEmpty(*this);
        } else {
            Kick_Tx();
        }
    }
}

bool TLnThreadComm::PartialMsgRead(int count)
{
    const bool wasEmpty = rxQueue_.empty();
    uint8_t scratch[kReadChunk];
    while (count > 0) {
        const int got = Read(scratch, count < kReadChunk ? count : kReadChunk);
        if (got <= 0)
            break;
        for (int i = 0; i < got; ++i)
            FrameByte(scratch[i]);
        count -= got;
    }
    return wasEmpty && !rxQueue_.empty();
}

void TLnThreadComm::FrameByte(uint8_t byte)
{
    if (logOpen_)
        AddToLog(byte);
    ++stats_.bytesIn;
    const int pendingBefore = framer_.Pending();
    // A byte that cuts a frame short overwrites it in the framer: a watcher
    // of rejected bytes gets them before.
    uint8_t cut[TLnFramer::kMaxFrame];
    if (OnTraffic && pendingBefore > 0)
        std::copy(framer_.Frame(), framer_.Frame() + pendingBefore, cut);
    switch (framer_.Feed(byte)) {
    case TLnFramer::TResult::None:
        break;
    case TLnFramer::TResult::Ignored:
        ++stats_.bytesIgnored;
        ++stats_.bytesDropped;
        if (OnTraffic)
            OnTraffic(TRecDirection::Rejected, &byte, 1);
        break;
    case TLnFramer::TResult::Abandoned:
        ++stats_.framesAbandoned;
        ++stats_.framesCutIn;
        stats_.bytesDropped += pendingBefore;
        if (OnTraffic)
            OnTraffic(TRecDirection::Rejected, cut, pendingBefore);
        if (logOpen_)
            AddStrToLog("rejected because top bit set in payload bytes");
        break;
    case TLnFramer::TResult::Impossible:
        ++stats_.framesImpossible;
        stats_.bytesDropped += pendingBefore + 1;
        if (OnTraffic) {
            cut[pendingBefore] = byte;
            OnTraffic(TRecDirection::Rejected, cut, pendingBefore + 1);
        }
        if (logOpen_)
            AddStrToLog("rejected as invalid");
        break;
    case TLnFramer::TResult::Complete: {
        ++stats_.framesComplete;
        auto msg = std::make_unique<TLocoNetMessage>(framer_.Frame(), static_cast<uint32_t>(framer_.FrameLength()));
        if (msg->IsValid()) {
            if (logOpen_)
                AddStrToLog(msg->RawText());
            if (OnTraffic)
                OnTraffic(TRecDirection::Received, msg->Data(), static_cast<int>(msg->Length()));
            if (OnFramed)
                OnFramed(*msg);
            rxQueue_.push_back(std::move(msg));
        } else {
            ++stats_.framesInvalid;
            stats_.bytesDropped += msg->Length();
            if (OnTraffic)
                OnTraffic(TRecDirection::Rejected, msg->Data(), static_cast<int>(msg->Length()));
            if (logOpen_)
                AddStrToLog("rejected as invalid");
        }
        break;
    }
    }
}

void TLnThreadComm::AddToLog(uint8_t byte)
{
    if (!logOpen_)
        return;
    char text[8];
    std::snprintf(text, sizeof text, "%x\n", byte);
    log_ << text;
    log_.flush();
}

void TLnThreadComm::AddStrToLog(const std::string& text)
{
    if (!logOpen_)
        return;
    log_ << text;
    log_.flush();
}
