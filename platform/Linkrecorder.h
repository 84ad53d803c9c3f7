// Records a link's traffic to a recording file, and its received messages
// to a pcap file, while the link runs. Takes the link's OnTraffic event.
// A failed write stops that file with a status; the link and whoever reads
// it go on undisturbed.
#pragma once

#include "link/Lncomm.h"
#include "link/Pcap.h"
#include "link/Recording.h"

#include <QObject>
#include <QString>
#include <QTimer>

class TLinkRecorder : public QObject {
    Q_OBJECT
public:
    explicit TLinkRecorder(QObject* parent = nullptr);
    ~TLinkRecorder() override;

    // Either path may be empty. False with the reason when a file cannot be
    // created; nothing is then recorded.
    bool Start(TLnThreadComm& link, const QString& recordPath, const QString& pcapPath, QString& error);
    void Stop();

    bool Recording() const { return link_ != nullptr; }
    QString RecordPath() const { return recordPath_; }
    QString PcapPath() const { return pcapPath_; }
    uint64_t RecordSize() const { return writer_.Size(); }
    uint64_t Records() const { return writer_.Records(); }
    // Why a file stopped; empty while all is well.
    QString Error() const { return error_; }

signals:
    // A file could not be written and was closed; the text says which and why.
    void Failed(const QString& reason);

private:
    void OnFrame(TRecDirection direction, const uint8_t* bytes, int count);
    void CheckWriters();

    TLnThreadComm* link_ = nullptr;
    TRecordingWriter writer_;
    TPcapWriter pcap_;
    bool pcapOpen_ = false;
    bool recordFailureSaid_ = false;
    QString recordPath_;
    QString pcapPath_;
    QString error_;
    int64_t startWallUs_ = 0;
    int64_t startSteadyUs_ = 0;
    QTimer tick_;
};
