#include "programming/Tsvdumpreader.h"

#include <algorithm>

TSvDumpReader::TSvDumpReader(ISvDumpListener& listener, IEngineTimer* timeoutTimer, IEngineTimer* delayTimer)
    : listener_(listener), timeoutTimer_(timeoutTimer, kReplyTimeoutMs), delayTimer_(delayTimer, kMessageDelayMs)
{
}

TSvDumpReader::~TSvDumpReader()
{
    timeoutTimer_.Stop();
    delayTimer_.Stop();
}

bool TSvDumpReader::Start(int address, int count)
{
    if (busy_ || count < 1)
        return false;
    busy_ = true;
    address_ = address;
    currentSv_ = 1;
    retriesLeft_ = kRetryBudget;
    values_.assign(static_cast<size_t>(count), 0);
    listener_.DumpProgress(0, count);
    SendRead();
    return true;
}

void TSvDumpReader::GoIdle()
{
    busy_ = false;
    timeoutTimer_.Stop();
    delayTimer_.Stop();
}

void TSvDumpReader::SendRead()
{
    auto message = std::make_unique<TLNSVProgMessage>();
    message->MakeSvRead4(0, address_, currentSv_);
    listener_.SendMessage(std::move(message));
    timeoutTimer_.Start();
}

void TSvDumpReader::HandleSvMessage(const TLNSVProgMessage& message)
{
    if (!busy_ || delayTimer_.IsRunning() || message.SvKind() != eSvRead4Reply)
        return;
    const TSvAccess4Fields reply = message.GetSvAccess4();
    if (reply.destination != address_ || reply.sv != currentSv_)
        return;
    timeoutTimer_.Stop();
    const int count = static_cast<int>(values_.size());
    for (int i = 0; i < 4 && currentSv_ + i <= count; ++i)
        values_[static_cast<size_t>(currentSv_ + i - 1)] = reply.data[i];
    currentSv_ += 4;
    listener_.DumpProgress(std::min(currentSv_ - 1, count), count);
    if (currentSv_ > count) {
        GoIdle();
        listener_.DumpEnded(true, {});
        return;
    }
    if (paced_)
        delayTimer_.Start();
    else
        SendRead();
}

void TSvDumpReader::DelayExpired(uint64_t token)
{
    if (!delayTimer_.Expired(token))
        return;
    delayTimer_.Stop();
    if (busy_)
        SendRead();
}

void TSvDumpReader::TimeoutExpired(uint64_t token)
{
    if (!timeoutTimer_.Expired(token))
        return;
    timeoutTimer_.Stop();
    if (!busy_)
        return;
    if (retriesLeft_-- > 0) {
        SendRead();
        return;
    }
    GoIdle();
    listener_.DumpEnded(false, SvDumpTexts::kNoAnswer);
}
