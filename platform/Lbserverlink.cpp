#include "platform/Lbserverlink.h"

#include "link/Lncomm.h"

bool TLinkBusSide::CheckMessage(const QByteArray& bytes, QString& reason)
{
    const TLocoNetMessage message(reinterpret_cast<const uint8_t*>(bytes.constData()), uint32_t(bytes.size()));
    if (!(uchar(bytes[0]) & 0x80)) {
        reason = QStringLiteral("not a LocoNet message: the first byte is no opcode");
        return false;
    }
    for (qsizetype i = 1; i < bytes.size(); ++i)
        if (uchar(bytes[i]) & 0x80) {
            reason = QStringLiteral("not a LocoNet message: byte %1 has its top bit set").arg(i + 1);
            return false;
        }
    if (!message.IsValid()) {
        reason = QStringLiteral("not a LocoNet message: wrong length or checksum");
        return false;
    }
    return true;
}

bool TLinkBusSide::Send(const QByteArray& bytes, const void*, QString& reason)
{
    if (!CheckMessage(bytes, reason))
        return false;
    if (!link_.Enabled()) {
        reason = QStringLiteral("the interface is not open");
        return false;
    }
    if (!link_.Connected()) {
        reason = QStringLiteral("the interface is reconnecting");
        return false;
    }
    if (link_.QueTxMsgCount() >= kMaxQueuedMessages) {
        reason = QStringLiteral("the interface is busy");
        return false;
    }
    link_.WriteMessage(TLocoNetMessage(reinterpret_cast<const uint8_t*>(bytes.constData()), uint32_t(bytes.size())));
    return true;
}

QByteArray TLinkBusSide::VersionText() const
{
    return "varnscope LocoNet interface " VARNSCOPE_VERSION " on " + QByteArray::fromStdString(link_.DeviceName());
}

TLinkLbServer::TLinkLbServer(TLnThreadComm& link, QObject* parent) : TLbServer(side_, parent), link_(link), side_(link)
{
    link_.OnFramed = [this](const TLocoNetMessage& message) {
        Deliver(QByteArray(reinterpret_cast<const char*>(message.Data()), qsizetype(message.Length())));
    };
}

TLinkLbServer::~TLinkLbServer()
{
    link_.OnFramed = nullptr;
}
