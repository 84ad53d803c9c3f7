// What the Qt ports share: port events are collected and raised on the next
// turn of the event loop, never from inside a port call, and a port may be
// destroyed from inside its own event (the link reopening from OnError).
#pragma once

#include "link/Lnport.h"

#include <QObject>

#include <memory>
#include <string>

class TQtPort : public TLnPort {
public:
    TQtPort();
    ~TQtPort() override;

    std::string ErrorText() const override { return errorText_; }

protected:
    // Receiver for the Qt objects' signals; deleted later, after the port.
    QObject* Context() const { return context_; }
    // Raises mask (with any other pending bits) on the next turn of the loop.
    void Post(uint32_t mask);
    void NoteError(uint32_t flags, const std::string& text);
    // The flags since the last call; a lost device stays flagged until ClearLost.
    uint32_t TakeErrors();
    void ClearLost();  // at a fresh open

    std::string errorText_;

private:
    QObject* context_;
    std::shared_ptr<bool> alive_;
    uint32_t pending_ = 0;
    uint32_t errors_ = 0;
};
