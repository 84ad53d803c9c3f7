// The discovery and numbering engine run over the command line's link: the
// commands block in a local event loop until the engine's operation ends.
#pragma once

#include "cli/Proghost.h"
#include "programming/Trenumberengine.h"

#include <QEventLoop>

#include <string>

class TCliNumbering : public IRenumberListener {
public:
    TCliNumbering();
    ~TCliNumbering() override;

    // Loads the product list (a warning on standard error when it is
    // unusable) and opens the link; false with the exit status when the port
    // cannot be opened.
    bool Open(const TCliLinkOptions& link, const QString& productList, int& exitStatus);

    // Each runs one operation to its end; true when it succeeded. A refusal
    // (message box with caption "Error:") or a timeout gives false with its
    // text in LastMessage().
    bool Discover();
    bool IdentifySerial(int serial);
    bool Renumber(int position, int newSerial);

    TRenumberEngine& Engine() { return engine_; }
    const std::string& LastMessage() const { return lastMessage_; }
    bool PortLost() const { return portLost_; }

    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override;
    void MessageBox(const std::string& text, const std::string& caption) override;
    void OperationEnded(TRenumberOperation operation, bool success) override;

private:
    bool Wait();

    TCliLink link_;
    TQtEngineTimer timeout_;
    TQtEngineTimer delay_;
    TRenumberEngine engine_;
    QEventLoop loop_;
    std::string lastMessage_;
    bool portLost_ = false;
};
