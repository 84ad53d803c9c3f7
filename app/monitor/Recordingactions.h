// The window program's recordings: "Record to File..." / "Stop Recording"
// on the LocoNet Debug menu with a field in the status strip that says what
// is being recorded and how big it has grown, and "Open Recording..." on the
// File menu, which shows a recording in a message display.
#pragma once

#include "platform/Linkrecorder.h"
#include "sim/Simreplayer.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QStatusBar;
class QTimer;
class QWidget;
class TLnThreadComm;
class TStatusField;
class TWorkbench;

class TRecordingActions : public QObject {
    Q_OBJECT
public:
    // addChild: shows a window in the main window's workspace.
    TRecordingActions(QWidget* window, TLnThreadComm& link, std::function<void(QWidget*)> addChild);

    // Adds the items: "Open Recording..." before `before` in the file menu,
    // the two recording items to the debug menu, the field to the strip.
    void AddTo(QMenu* file, QAction* before, QMenu* debug, QStatusBar* strip);

    // Starts recording to path; false with the reason shown in the strip.
    bool StartRecording(const QString& path);
    void StopRecording();
    // Opens the recording at path in a new message display; false (and a
    // message box) when the file is no recording it can show.
    bool OpenRecording(const QString& path);

    // Puts the recording's received messages on the built-in simulated
    // LocoNet at their pace; false (and a message box) when the link is not
    // on it or the file cannot be replayed.
    bool ReplayOnSimulatedLocoNet(const QString& path);
    const TSimReplayer* Replayer() const { return replayer_.get(); }

    // Opens a Bus Statistics window fed with the recording at path, in the
    // recording's own times; false (and a message box) when it cannot be read.
    // Null where the build has no Qt Charts.
    QWidget* OpenStatistics(const QString& path);

    // The workbench asks the windows opened here for their file names.
    void SetWorkbench(TWorkbench* workbench) { workbench_ = workbench; }

    TLinkRecorder& Recorder() { return recorder_; }
    QAction* RecordAction = nullptr;
    QAction* StopAction = nullptr;
    QAction* OpenAction = nullptr;
    QAction* ReplayAction = nullptr;
    QAction* StatisticsAction = nullptr;  // only where the build draws charts
    TStatusField* StatusRecording = nullptr;

private:
    void ShowStatus();
    // What a menu item does: asks for a recording (one to write when save)
    // under title, then hands its path to use.
    std::function<void()> AskRecordingThen(const QString& title, bool save, std::function<void(const QString&)> use);
    // Reads a recording for display; false (and a message box titled title)
    // when the file holds nothing that can be shown.
    bool LoadForShowing(const QString& path, const QString& title, class TRecording& recording);
    void WarnIfCut(const QString& path, const QString& title, const class TRecording& recording);

    QWidget* window_;
    TLnThreadComm& link_;
    std::function<void(QWidget*)> addChild_;
    TWorkbench* workbench_ = nullptr;
    TLinkRecorder recorder_;
    QTimer* statusTimer_ = nullptr;
    std::unique_ptr<TSimReplayer> replayer_;
    QString replayName_;
};
