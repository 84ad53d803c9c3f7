#include "cli/Numberhost.h"

#include <cstdio>

TCliNumbering::TCliNumbering()
    : timeout_([this](uint64_t token) { engine_.TimeoutExpired(token); }),
      delay_([this](uint64_t token) { engine_.DelayExpired(token); }),
      engine_(*this, &timeout_, &delay_)
{
    link_.OnSvMessage = [this](const TLNSVProgMessage& message) { engine_.HandleSvMessage(message); };
    link_.OnLost = [this](const std::string& why) {
        portLost_ = true;
        lastMessage_ = link_.Link().DeviceName() + ": the link failed: " + why;
        loop_.exit(1);
    };
}

TCliNumbering::~TCliNumbering()
{
    link_.OnSvMessage = nullptr;
    link_.OnLost = nullptr;
}

bool TCliNumbering::Open(const TCliLinkOptions& options, const QString& productList, int& exitStatus)
{
    if (!engine_.LoadProductList(productList.toStdString()))
        std::fprintf(stderr, "warning: %s\n", engine_.Products().Warning().c_str());
    std::string reason;
    if (!link_.Open(options, reason)) {
        PrintError("cannot open " + options.port + ": " + QString::fromStdString(reason));
        exitStatus = ProgExit::kPortError;
        return false;
    }
    return true;
}

void TCliNumbering::SendMessage(std::unique_ptr<TLNSVProgMessage> message)
{
    link_.Send(std::move(message));
}

void TCliNumbering::MessageBox(const std::string& text, const std::string& /*caption*/)
{
    lastMessage_ = text;
}

void TCliNumbering::OperationEnded(TRenumberOperation, bool success)
{
    loop_.exit(success ? 0 : 1);
}

bool TCliNumbering::Wait()
{
    // A refusal leaves the engine idle without starting anything.
    if (engine_.IsIdle())
        return false;
    return loop_.exec() == 0;
}

bool TCliNumbering::Discover()
{
    engine_.Discover();
    return Wait();
}

bool TCliNumbering::IdentifySerial(int serial)
{
    engine_.IdentifySerial(serial);
    return Wait();
}

bool TCliNumbering::Renumber(int position, int newSerial)
{
    engine_.Renumber(position, newSerial);
    return Wait();
}
