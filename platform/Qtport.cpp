#include "platform/Qtport.h"

#include <QMetaObject>

TQtPort::TQtPort() : context_(new QObject), alive_(std::make_shared<bool>(true)) {}

TQtPort::~TQtPort()
{
    *alive_ = false;
    context_->deleteLater();
}

void TQtPort::Post(uint32_t mask)
{
    const bool scheduled = pending_ != 0;
    pending_ |= mask;
    if (scheduled)
        return;
    QMetaObject::invokeMethod(
        context_,
        [this, alive = alive_] {
            if (!*alive)
                return;
            const uint32_t mask = pending_;
            pending_ = 0;
            if (mask != 0)
                RaiseEvent(mask);  // last: the handler may destroy this port
        },
        Qt::QueuedConnection);
}

void TQtPort::ClearLost()
{
    errors_ = 0;
    errorText_.clear();
}

void TQtPort::NoteError(uint32_t flags, const std::string& text)
{
    errors_ |= flags;
    if (!text.empty())
        errorText_ = text;
}

uint32_t TQtPort::TakeErrors()
{
    const uint32_t e = errors_;
    // A lost device stays lost: a status query between the failure and its
    // event must not hide it from the link.
    errors_ &= kLnErrDeviceLost;
    return e;
}
