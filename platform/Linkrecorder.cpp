#include "platform/Linkrecorder.h"

TLinkRecorder::TLinkRecorder(QObject* parent) : QObject(parent)
{
    // Four times a second: the file never holds back more than about a second.
    tick_.setInterval(250);
    connect(&tick_, &QTimer::timeout, this, [this] {
        writer_.Tick(RecSteadyClockUs() - startSteadyUs_);
        CheckWriters();
    });
}

TLinkRecorder::~TLinkRecorder()
{
    Stop();
}

bool TLinkRecorder::Start(TLnThreadComm& link, const QString& recordPath, const QString& pcapPath, QString& error)
{
    Stop();
    error_.clear();
    recordFailureSaid_ = false;
    startWallUs_ = RecWallClockUs();
    startSteadyUs_ = RecSteadyClockUs();
    if (!recordPath.isEmpty() && !writer_.Open(recordPath.toStdString(), startWallUs_)) {
        error = QString::fromStdString(writer_.Error());
        return false;
    }
    if (!pcapPath.isEmpty()) {
        if (!pcap_.Open(pcapPath.toStdString())) {
            error = QString::fromStdString(pcap_.Error());
            writer_.Close();
            return false;
        }
        // A live capture is read while it grows (tshark -r, Wireshark's reload).
        pcap_.SetFlushEach(true);
        pcapOpen_ = true;
    }
    recordPath_ = recordPath;
    pcapPath_ = pcapPath;
    link_ = &link;
    link.OnTraffic = [this](TRecDirection direction, const uint8_t* bytes, int count) { OnFrame(direction, bytes, count); };
    tick_.start();
    return true;
}

void TLinkRecorder::OnFrame(TRecDirection direction, const uint8_t* bytes, int count)
{
    const int64_t offsetUs = RecSteadyClockUs() - startSteadyUs_;
    writer_.Append(offsetUs, direction, bytes, static_cast<size_t>(count));
    if (pcapOpen_ && direction == TRecDirection::Received)
        pcap_.Write(startWallUs_ + offsetUs, bytes, static_cast<size_t>(count));
    if (writer_.Failed() || pcap_.Failed())
        CheckWriters();
}

void TLinkRecorder::CheckWriters()
{
    QString reason;
    if (writer_.Failed() && !recordFailureSaid_) {
        recordFailureSaid_ = true;
        reason = QString::fromStdString(writer_.Error());
    } else if (pcapOpen_ && pcap_.Failed()) {
        pcapOpen_ = false;
        reason = QString::fromStdString(pcap_.Error());
    }
    if (reason.isEmpty())
        return;
    error_ = reason;
    emit Failed(reason);
}

void TLinkRecorder::Stop()
{
    if (link_ == nullptr)
        return;
    tick_.stop();
    link_->OnTraffic = nullptr;
    link_ = nullptr;
    writer_.Close();
    if (pcapOpen_)
        pcap_.Close();
    pcapOpen_ = false;
    CheckWriters();
}
