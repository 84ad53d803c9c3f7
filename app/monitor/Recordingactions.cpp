#include "app/monitor/Recordingactions.h"

#include "app/common/Formsupport.h"
#include "app/common/Statusfield.h"
#include "app/monitor/Lndisplay.h"
#ifdef VARNSCOPE_HAVE_CHARTS
#include "app/monitor/Formbusstatistics.h"
#endif
#include "link/Recording.h"
#include "platform/Linkports.h"
#include "sim/Simloconet.h"

#include <QAction>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

namespace {

const QString kFilter = QStringLiteral("LocoNet recordings (*.lnrec)");

}  // namespace

std::function<void()> TRecordingActions::AskRecordingThen(const QString& title, bool save,
                                                         std::function<void(const QString&)> use)
{
    return [this, title, save, use = std::move(use)] {
        TFileDialogRequest request;
        request.save = save;
        request.title = title;
        if (save)
            request.fileName = QStringLiteral("loconet.lnrec");
        request.filter = kFilter;
        request.defaultSuffix = QStringLiteral("lnrec");
        const QString path = AskFileName(window_, request);
        if (!path.isEmpty())
            use(path);
    };
}

TRecordingActions::TRecordingActions(QWidget* window, TLnThreadComm& link, std::function<void(QWidget*)> addChild)
    : QObject(window), window_(window), link_(link), addChild_(std::move(addChild))
{
    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(1000);
    connect(statusTimer_, &QTimer::timeout, this, &TRecordingActions::ShowStatus);
    connect(&recorder_, &TLinkRecorder::Failed, this, [this](const QString&) { ShowStatus(); });
}

void TRecordingActions::AddTo(QMenu* file, QAction* before, QMenu* debug, QStatusBar* strip)
{
    OpenAction = new QAction(QStringLiteral("Open &Recording..."), file);
    OpenAction->setObjectName(QStringLiteral("OpenRecording1"));
    file->insertAction(before, OpenAction);
    connect(OpenAction, &QAction::triggered, this,
            AskRecordingThen(QStringLiteral("Open Recording"), false, [this](const QString& path) { OpenRecording(path); }));

    debug->addSeparator();
    RecordAction = debug->addAction(QStringLiteral("&Record to File..."));
    RecordAction->setObjectName(QStringLiteral("RecordToFile1"));
    StopAction = debug->addAction(QStringLiteral("S&top Recording"));
    StopAction->setObjectName(QStringLiteral("StopRecording1"));
    StopAction->setEnabled(false);
    connect(RecordAction, &QAction::triggered, this,
            AskRecordingThen(QStringLiteral("Record to File"), true, [this](const QString& path) { StartRecording(path); }));
    connect(StopAction, &QAction::triggered, this, &TRecordingActions::StopRecording);
    ReplayAction = debug->addAction(QStringLiteral("Re&play Recording on Simulated LocoNet..."));
    ReplayAction->setObjectName(QStringLiteral("ReplayRecording1"));
    connect(ReplayAction, &QAction::triggered, this,
            AskRecordingThen(QStringLiteral("Replay Recording"), false, [this](const QString& path) { ReplayOnSimulatedLocoNet(path); }));

#ifdef VARNSCOPE_HAVE_CHARTS
    StatisticsAction = debug->addAction(QStringLiteral("Bus Statistics of a Re&cording..."));
    StatisticsAction->setObjectName(QStringLiteral("RecordingStatistics1"));
    connect(StatisticsAction, &QAction::triggered, this,
            AskRecordingThen(QStringLiteral("Bus Statistics of a Recording"), false, [this](const QString& path) { OpenStatistics(path); }));
#endif

    // Wide enough for the name of a file and its size before it elides.
    StatusRecording = new TStatusField(QString(), 240, strip);
    StatusRecording->setObjectName(QStringLiteral("StatusRecording"));
    StatusRecording->hide();
    strip->addWidget(StatusRecording, 1);
}

bool TRecordingActions::StartRecording(const QString& path)
{
    QString error;
    const bool ok = recorder_.Start(link_, path, QString(), error);
    if (!ok)
        QMessageBox::warning(window_, QStringLiteral("Record to File"), error);
    if (RecordAction != nullptr) {
        RecordAction->setEnabled(!ok);
        StopAction->setEnabled(ok);
    }
    if (ok)
        statusTimer_->start();
    ShowStatus();
    return ok;
}

void TRecordingActions::StopRecording()
{
    recorder_.Stop();
    if (!replayer_ || !replayer_->Running())
        statusTimer_->stop();
    if (RecordAction != nullptr) {
        RecordAction->setEnabled(true);
        StopAction->setEnabled(false);
    }
    ShowStatus();
}

void TRecordingActions::ShowStatus()
{
    if (StatusRecording == nullptr)
        return;
    const QString name = QFileInfo(recorder_.RecordPath()).fileName();
    const QString size = QLocale().formattedDataSize(static_cast<qint64>(recorder_.RecordSize()));
    QPalette palette = StatusRecording->palette();
    palette.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
    StatusRecording->setPalette(palette);
    if (!recorder_.Error().isEmpty()) {
        // The monitor goes on; the strip says plainly that the file stopped.
        StatusRecording->setText(QStringLiteral("Recording stopped: ") + recorder_.Error());
        StatusRecording->show();
        if (RecordAction != nullptr && recorder_.Recording()) {
            recorder_.Stop();
            statusTimer_->stop();
            RecordAction->setEnabled(true);
            StopAction->setEnabled(false);
        }
    } else if (recorder_.Recording()) {
        StatusRecording->setText(QStringLiteral("\u25CF Recording %1, %2").arg(name, size));
        StatusRecording->show();
    } else if (replayer_ && replayer_->Running()) {
        StatusRecording->setText(
            QStringLiteral("Replaying %1: %2 of %3").arg(replayName_).arg(replayer_->Sent()).arg(replayer_->Count()));
        StatusRecording->show();
    } else {
        StatusRecording->hide();
    }
}

bool TRecordingActions::ReplayOnSimulatedLocoNet(const QString& path)
{
    const QString title = QStringLiteral("Replay Recording");
    if (!link_.Enabled() || !IsSimulatedDeviceName(link_.DeviceName())) {
        QMessageBox::information(window_, title,
                                 QStringLiteral("A recording is replayed on the simulated LocoNet: connect to it first "
                                                "(File, Connect..., port sim)."));
        return false;
    }
    TRecording recording;
    recording.Load(path.toStdString());
    if (recording.Stop() == TRecStop::Unreadable || recording.Stop() == TRecStop::Foreign ||
        recording.Stop() == TRecStop::Newer) {
        QMessageBox::warning(window_, title, path + QStringLiteral(": ") + QString::fromStdString(recording.StopText()));
        return false;
    }
    replayer_ = std::make_unique<TSimReplayer>(SimulatedLocoNet().Bus(), recording, 1.0);
    replayName_ = QFileInfo(path).fileName();
    connect(replayer_.get(), &TSimReplayer::Finished, this, [this] {
        if (!recorder_.Recording())
            statusTimer_->stop();
        ShowStatus();
    });
    replayer_->Start();
    statusTimer_->start();
    ShowStatus();
    return true;
}

bool TRecordingActions::LoadForShowing(const QString& path, const QString& title, TRecording& recording)
{
    recording.Load(path.toStdString());
    if (recording.Stop() == TRecStop::Unreadable || recording.Stop() == TRecStop::Foreign ||
        recording.Stop() == TRecStop::Newer) {
        QMessageBox::warning(window_, title, path + QStringLiteral(": ") + QString::fromStdString(recording.StopText()));
        return false;
    }
    return true;
}

void TRecordingActions::WarnIfCut(const QString& path, const QString& title, const TRecording& recording)
{
    if (!recording.Whole())
        QMessageBox::warning(window_, title,
                             path + QStringLiteral(": ") + QString::fromStdString(recording.StopText()) +
                                 QStringLiteral("; shown up to there."));
}

bool TRecordingActions::OpenRecording(const QString& path)
{
    const QString title = QStringLiteral("Open Recording");
    TRecording recording;
    if (!LoadForShowing(path, title, recording))
        return false;
    auto* form = new TDisplayForm;
    form->ShowRecording(recording, QFileInfo(path).fileName());
    addChild_(form);
    WarnIfCut(path, title, recording);
    return true;
}

QWidget* TRecordingActions::OpenStatistics(const QString& path)
{
#ifdef VARNSCOPE_HAVE_CHARTS
    const QString title = QStringLiteral("Bus Statistics of a Recording");
    TRecording recording;
    if (!LoadForShowing(path, title, recording))
        return nullptr;
    auto* form = new TBusStatisticsForm;
    form->setWindowTitle(QStringLiteral("Bus Statistics - ") + QFileInfo(path).fileName());
    form->SetWorkbench(workbench_);
    form->StartFeed(recording.StartUs() / 1000);
    int64_t lastUs = 0;
    // What the bus carried: sent messages come back as received ones, and
    // rejected bytes are no messages.
    recording.ForEach([&](const TRecFrame& frame) {
        lastUs = frame.offsetUs;
        if (frame.direction != TRecDirection::Received)
            return;
        form->AddMessage(TLocoNetMessage(frame.bytes.data(), static_cast<uint32_t>(frame.bytes.size())),
                         static_cast<uint64_t>(frame.offsetUs / 1000));
    });
    // Past the last second, so that it counts as a whole one.
    form->Advance(static_cast<uint64_t>(lastUs / 1000) + 1000);
    form->Refresh();
    addChild_(form);
    WarnIfCut(path, title, recording);
    return form;
#else
    Q_UNUSED(path);
    return nullptr;
#endif
}
