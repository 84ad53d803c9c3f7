#include "programming/Tprogsequencer.h"

#include "boards/core/Tconfigurableboard.h"

namespace {

// What a reply timeout does in each busy state: the debug text before the
// retry, and the failure text once the budget is spent.
struct TTimeoutTexts {
    const char* retrying;
    const char* failure;
};

const TTimeoutTexts kTimeoutTexts[] = {
    {nullptr, nullptr},  // idle: handled apart
    {"Timeout while checking board ID.. retrying", "Failure while checking board ID"},
    {"Timeout while checking board s/w version.. retrying", "Failure while checking board s/w version"},
    {"Timeout while reading or writing.. retrying", "Failure while reading or writing"},
    {"Timeout while reconfiguring.. retrying", "Failure while reconfiguring"},
};

}  // namespace

TProgSequencer::TProgSequencer(IProgrammerListener& listener, IEngineTimer* timeoutTimer, IEngineTimer* delayTimer)
    : listener_(listener), timeoutTimer_(timeoutTimer, kReplyTimeoutMs), delayTimer_(delayTimer, kMessageDelayMs)
{
    state_ = TProgramState::eIdle;
    retriesLeft_ = 0;
}

TProgSequencer::~TProgSequencer()
{
    timeoutTimer_.Stop();
    delayTimer_.Stop();
}

bool TProgSequencer::Start(TProgramMode mode, TConfigurableBoard& board)
{
    if (state_ != TProgramState::eIdle)
        return false;
    if (!board.IsSerialValid()) {
        listener_.LogText(ProgTexts::kSerialInvalid);
        return false;
    }
    sourceAddress_ = 0;
    mode_ = mode;
    board_ = &board;
    boardAddress_ = board.SerialNumber();
    retriesLeft_ = kRetryBudget;
    currentSv_ = static_cast<int32_t>(board.NextSvBlock(0, blockSize_));
    pendingState_ = TProgramState::eIdle;
    differences_.clear();
    readImage_.assign(mode == TProgramMode::eVerify ? board.SvLength() : 0, 0);
    listener_.ClearLog();
    listener_.ProgressRange(0, static_cast<int>(board.SvLength()));
    listener_.ProgressPosition(0);
    SendState(TProgramState::eCheckingIdentity);
    return true;
}

void TProgSequencer::GoIdle()
{
    state_ = TProgramState::eIdle;
    retriesLeft_ = 0;
    timeoutTimer_.Stop();
    // A pending paced message must not go out after the transfer ended.
    delayTimer_.Stop();
    listener_.StatusText(ProgTexts::kIdle);
}

void TProgSequencer::Debug(const std::string& text)
{
    if (logging_)
        listener_.DebugText(text);
}

void TProgSequencer::SendState(TProgramState state)
{
    auto message = std::make_unique<TLNSVProgMessage>();
    const char* status = nullptr;
    switch (state) {
    case TProgramState::eCheckingIdentity:
        message->MakeSvIdentify(sourceAddress_, boardAddress_);
        status = ProgTexts::kCheckingIdentity;
        break;
    case TProgramState::eCheckingVersion:
        message->MakeSvRead4(sourceAddress_, boardAddress_, 1);
        status = ProgTexts::kCheckingVersion;
        break;
    case TProgramState::eTransferring:
        if (mode_ == TProgramMode::eWrite) {
            if (blockSize_ == 4)
                message->MakeSvWrite4(sourceAddress_, boardAddress_, currentSv_, board_->SvByte(currentSv_),
                                      board_->SvByte(currentSv_ + 1), board_->SvByte(currentSv_ + 2),
                                      board_->SvByte(currentSv_ + 3));
            else
                message->MakeSvWrite1(sourceAddress_, boardAddress_, currentSv_, board_->SvByte(currentSv_));
        } else {
            if (blockSize_ == 4)
                message->MakeSvRead4(sourceAddress_, boardAddress_, currentSv_);
            else
                message->MakeSvRead1(sourceAddress_, boardAddress_, currentSv_);
        }
        break;
    case TProgramState::eReconfiguring:
        message->MakeSvReconfigure(sourceAddress_, boardAddress_);
        status = ProgTexts::kResetting;
        break;
    case TProgramState::eIdle:
        return;
    }
    state_ = state;
    if (status)
        listener_.StatusText(status);
    Debug(message->ToText());
    listener_.SendMessage(std::move(message));
    timeoutTimer_.Start();
    if (state == TProgramState::eTransferring)
        listener_.ProgressPosition(currentSv_);
}

void TProgSequencer::GoOnTo(TProgramState next)
{
    pendingState_ = next;
    if (paced_)
        delayTimer_.Start();
    else
        SendState(next);
}

void TProgSequencer::DelayExpired(uint64_t token)
{
    if (!delayTimer_.Expired(token))
        return;
    delayTimer_.Stop();
    if (state_ == TProgramState::eIdle)
        return;
    SendState(pendingState_);
}

void TProgSequencer::Finish(bool success, const std::string& logText)
{
    listener_.TransferEnded(success, logText);
}

void TProgSequencer::Fail(const std::string& logText)
{
    listener_.LogText(logText);
    GoIdle();
    Finish(false, logText);
}

void TProgSequencer::HandleSvMessage(const TLNSVProgMessage& message)
{
    Debug(message.ToText());
    const int kind = message.SvKind();
    switch (state_) {
    case TProgramState::eIdle:
        break;
    case TProgramState::eCheckingIdentity:
        if (kind == eSvIdentifyReply)
            OnIdentifyReply(message);
        break;
    case TProgramState::eCheckingVersion:
        if (kind == eSvRead4Reply)
            OnVersionReply(message);
        break;
    case TProgramState::eTransferring:
        OnDataReply(message, kind);
        break;
    case TProgramState::eReconfiguring:
        if (kind == eSvReconfigureReply)
            OnReconfigureReply(message);
        break;
    }
}

void TProgSequencer::OnIdentifyReply(const TLNSVProgMessage& message)
{
    timeoutTimer_.Stop();
    const TSvIdentityFields id = message.GetSvIdentity();
    // A board that keeps its address apart answers at the configured number
    // as destination; its manufacturer byte is the vendor id the models know.
    const bool matches = message.SvHasSeparateAddress()
                             ? board_->MatchesIdentity(message.SvManufacturer(), id.device, message.SvReplyAddress())
                             : board_->MatchesIdentity(id.vendor, id.device, id.serial);
    if (matches) {
        retriesLeft_ = kRetryBudget;
        GoOnTo(TProgramState::eCheckingVersion);
    } else {
        Fail(ProgTexts::kWrongType);
    }
}

void TProgSequencer::OnVersionReply(const TLNSVProgMessage& message)
{
    const TSvAccess4Fields reply = message.GetSvAccess4();
    if (reply.destination != boardAddress_ || reply.sv != 1)
        return;
    timeoutTimer_.Stop();
    board_->SetSoftwareVersion(reply.data[1]);
    if (board_->ComputeSvImage()) {
        retriesLeft_ = kRetryBudget;
        listener_.StatusText(ProgTexts::kBeginning);
        GoOnTo(TProgramState::eTransferring);
    } else {
        const std::string text = board_->SvErrorText();
        listener_.LogText(text);
        listener_.Beep();
        GoIdle();
        Finish(false, text);
    }
}

void TProgSequencer::OnDataReply(const TLNSVProgMessage& message, int kind)
{
    const bool write = mode_ == TProgramMode::eWrite;
    const bool four = blockSize_ == 4;
    const int expected = write ? (four ? eSvWrite4Reply : eSvWrite1Reply) : (four ? eSvRead4Reply : eSvRead1Reply);
    if (kind != expected)
        return;
    uint16_t destination = 0;
    uint16_t sv = 0;
    uint8_t data[4] = {0, 0, 0, 0};
    if (four) {
        const TSvAccess4Fields reply = message.GetSvAccess4();
        destination = reply.destination;
        sv = reply.sv;
        for (int i = 0; i < 4; ++i)
            data[i] = reply.data[i];
    } else {
        const TSvAccessFields reply = message.GetSvAccess();
        destination = reply.destination;
        sv = reply.sv;
        data[0] = reply.data;
    }
    if (destination != boardAddress_ || sv != currentSv_)
        return;
    timeoutTimer_.Stop();
    const int count = four ? 4 : 1;

    if (write) {
        bool equal = true;
        for (int i = 0; i < count; ++i)
            equal = equal && data[i] == board_->SvByte(currentSv_ + i);
        if (!equal) {
            if (retriesLeft_-- <= 0) {
                Fail(ProgTexts::kReadbackMismatch);
                return;
            }
            listener_.LogText(ProgTexts::kRetryingWrite);
            GoOnTo(TProgramState::eTransferring);
            return;
        }
        currentSv_ = static_cast<int32_t>(board_->NextSvBlock(static_cast<unsigned>(currentSv_), blockSize_));
        GoOnTo(blockSize_ == 0 ? TProgramState::eReconfiguring : TProgramState::eTransferring);
        return;
    }

    const bool verify = mode_ == TProgramMode::eVerify;
    for (int i = 0; i < count; ++i) {
        const unsigned sv = static_cast<unsigned>(currentSv_ + i);
        if (!verify)
            board_->SetSvByte(sv, data[i]);
        else if (sv >= 1 && sv <= readImage_.size())
            readImage_[sv - 1] = data[i];
    }
    currentSv_ = static_cast<int32_t>(board_->NextSvBlock(static_cast<unsigned>(currentSv_), blockSize_));
    if (blockSize_ != 0) {
        GoOnTo(TProgramState::eTransferring);
        return;
    }
    // The bar only moves when a request goes out; the last block's reply
    // completes it.
    listener_.ProgressPosition(static_cast<int>(board_->SvLength()));
    if (verify) {
        FinishVerify();
        return;
    }
    board_->DecodeSvImage();
    GoIdle();
    listener_.LogText(ProgTexts::kReadCompleted);
    Finish(true, ProgTexts::kReadCompleted);
}

// The configuration's image was computed for the board's software version
// when the version reply came; the board's own bytes are all in readImage_.
void TProgSequencer::FinishVerify()
{
    differences_ = CompareSvImages(*board_, readImage_);
    GoIdle();
    for (const std::string& line : VerifyDifferenceLines(*board_, differences_, readImage_))
        listener_.LogText(line);
    const std::string summary = VerifySummaryText(differences_.size());
    listener_.LogText(summary);
    Finish(true, summary);
}

void TProgSequencer::OnReconfigureReply(const TLNSVProgMessage& message)
{
    if (message.GetSvReconfigure().destination != boardAddress_)
        return;
    timeoutTimer_.Stop();
    listener_.LogText(ProgTexts::kProgramCompleted);
    listener_.ProgressPosition(static_cast<int>(board_->SvLength()));
    GoIdle();
    Finish(true, ProgTexts::kProgramCompleted);
}

void TProgSequencer::TimeoutExpired(uint64_t token)
{
    if (!timeoutTimer_.Expired(token))
        return;
    timeoutTimer_.Stop();
    if (state_ == TProgramState::eIdle) {
        listener_.LogText(ProgTexts::kTimerInIdle);
        GoIdle();
        return;
    }
    const TTimeoutTexts& texts = kTimeoutTexts[static_cast<int>(state_)];
    if (retriesLeft_-- > 0) {
        Debug(texts.retrying);
        // A retry goes out at once, without the pacing pause.
        SendState(state_);
    } else {
        Fail(texts.failure);
    }
}
