// The main window: the workspace that holds every other window, the LocoNet
// link and the settings. It restores the connection at start-up, hands every
// received message to the windows registered for its kind, offers the bus
// commands of the monitor and stores the settings again at exit. The other
// windows see it only as their workbench (app/common/Workbench.h).
#pragma once

#include "app/common/Statusfield.h"
#include "app/common/Workbench.h"
#include "boards/core/Boarddata.h"
#include "link/Lncomm.h"
#include "link/Lnport.h"

#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMdiArea;
class QSettings;
class QTimer;
class TAboutBox;
class TDisplayForm;
class TLinkSharing;
class TMqttBridging;
class TLocoNetMessage;
class TMainWorkbench;
class TSpeedometerForm;
class TRecordingActions;

struct TMainOptions {
    // The command-line words after the program name ("nofiles" ...).
    QStringList Arguments;
    // Run on the in-process simulated LocoNet, leaving the stored connection alone.
    bool Simulate = false;
    // The maker of the link's ports; empty: the platform's (serial, tcp:, sim).
    TLnPortFactory PortFactory;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(TMainOptions options = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

public:  // The window's state, as its own code and its tests see it
    TLocoNetComm LocoNetComm1;
    bool DisplayOpen = false;
    bool ProgramBoardOpen = false;
    bool RenumberOpen = false;
    bool LayoutSnapshotOpen = false;
    uint32_t MessageCount = 0;
    QString HelpFileName;
    bool NoFiles = false;
    // Every configured board of the run, one list per board type.
    TBoardData BoardData;

    // The board windows, of which one at a time is open.
    QPointer<QWidget> ProgramBoardForm;
    QPointer<QWidget> RenumberForm;
    QPointer<QWidget> LayoutSnapshotForm;

    // What the other windows see of this one.
    TWorkbench& Workbench() const;

    // The file dialogs of the board lists and the exit questions: the chosen
    // path, empty when cancelled. Extension "csv", filter "*.csv", starting in
    // the user's documents folder; the open dialog takes existing files only.
    // Both go through AskFileName (app/common/Formsupport.h).
    QString OpenFileDialog(const QString& title);
    QString SaveFileDialog(const QString& title, const QString& fileName = {});

    // Hands a message to the link, which takes ownership. With no open link
    // the status strip says that what (a name such as "Track Power On") was
    // not sent.
    void SendMessage(std::unique_ptr<TLocoNetMessage> message, const QString& what = {});
    void InterrogateLocoBuffer();

    // Opens board files (paths, or file: URLs as desktops pass them) into the
    // lists of the types their first lines name, each replacing its list
    // after the question about unsaved changes, and shows them in the board
    // configuration window. Errors are shown; returns how many opened.
    Q_INVOKABLE int OpenBoardFiles(const QStringList& names);

    QMdiArea* Workspace() const { return mdiArea_; }
    TSpeedometerForm* SpeedometerForm() const { return speedometerForm_; }
    TRecordingActions* RecordingActions() const { return recordingActions_; }
    // The newest open message display; every open one gets the messages.
    TDisplayForm* DisplayForm() const;
    QList<TDisplayForm*> DisplayForms() const;
    bool StartupDone() const { return startupDone_; }
    bool Simulating() const { return options_.Simulate; }

    // Status strip
    TStatusField* StatusConnect = nullptr;
    TStatusField* InterfaceStatus = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* MsgNum = nullptr;
    QLineEdit* ProgStatus = nullptr;
    TStatusField* LinkProblem = nullptr;  // why the port is not open; empty while it is
    // File > Share Link on Network: its menu item and status label.
    TLinkSharing* LinkSharing = nullptr;
    TMqttBridging* MqttBridging = nullptr;

    // Menu items
    QAction* Connect1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* RenumberBoards1 = nullptr;
    QAction* ConfigureBoards1 = nullptr;
    QAction* LayoutSnapshot1 = nullptr;
    QAction* Speedometer1 = nullptr;
    QAction* MessageDisplay1 = nullptr;
    QAction* SWRQ1 = nullptr;
    QAction* ArbitraryMessage1 = nullptr;
    QAction* SensorFeedbackMessage1 = nullptr;
    QAction* TrackPowerOn1 = nullptr;
    QAction* TrackPowerOff1 = nullptr;
    QAction* QueryLocoBuffer1 = nullptr;
    QAction* BusStatistics1 = nullptr;
    QAction* Help2 = nullptr;
    QAction* About1 = nullptr;

public slots:
    // Start-up on activation; the full sequence runs once per program run.
    void FormActivate();
    void LocoNetComm1RxMsg(uint32_t count);

    void Connect1Click();
    void Exit1Click();
    void RenumberBoards1Click();
    void ConfigureBoards1Click();
    void LayoutSnapshot1Click();
    void Speedometer1Click();
    void MessageDisplay1Click();
    void SWRQ1Click();
    void ArbitraryMessage1Click();
    void SensorFeedbackMessage1Click();
    void TrackPowerOn1Click();
    void TrackPowerOff1Click();
    void QueryLocoBuffer1Click();
    void BusStatistics1Click();
    void Help2Click();
    void About1Click();
    // F1: the topic of the window that has the focus.
    void HelpForCurrentWindow();

    // Writes the settings as at exit (the window's close does this too).
    void SaveSettings();

signals:
    // The board lists changed outside the board configuration window (boards
    // copied in by the numbering window); that window shows them again.
    void BoardListsChanged();
    // The link failed under whatever was being sent: the device went away
    // (the link is closed) or a network link lost its server (it reconnects).
    // A transfer in progress cannot succeed any more.
    void LinkLost(const QString& reason);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildStatusStrip();
    void ScanCommandLine();
    void RestoreConnection(QSettings& store);
    void StartSimulation();
    void OpenLink();
    void ShowLinkProblem();
    void ReloadBoardLists(QSettings& store);
    // Asks per changed list; false keeps the program open (Cancel, or a save
    // that failed or found no file).
    bool AskSaveBoardLists();
    // The question for one list, if it changed: Done when it may go (saved,
    // No, or unchanged), Cancelled, or Failed (a save that failed, shown).
    enum class TListKept { Done, Cancelled, Failed };
    TListKept AskSaveBoardList(uint8_t type);
    // The type it opened into, or -1 (the reason shown).
    int OpenBoardFile(const QString& path);
    void SaveBoardListNames(QSettings& store);
    void SendOpcode(uint8_t opcode, const QString& what);
    void ShowNotConnected(const QString& what);
    void ShowLinkName();  // the link as it is, in the status strip
    void InterfaceChanged();
    QWidget* AddChild(QWidget* form);
    // The section "Windows": the main window's place and the monitor windows open at exit.
    void RestoreMainGeometry();
    void RestoreWindows(QSettings& store);
    void SaveWindows(QSettings& store);
    void Deliver(const TLocoNetMessage& message);
    void ShowMessageCount();

    TMainOptions options_;
    TMainWorkbench* workbench_ = nullptr;
    QMdiArea* mdiArea_ = nullptr;
    TSpeedometerForm* speedometerForm_ = nullptr;
    TRecordingActions* recordingActions_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
    QList<QPointer<TDisplayForm>> displayForms_;  // oldest first
    bool startupDone_ = false;
    QStringList givenFiles_;  // board files named on the command line
    bool settingsSaved_ = false;
    QTimer* msgNumTimer_ = nullptr;  // brings MsgNum up to date after a busy spell
    QElapsedTimer msgNumShown_;      // since MsgNum was last set
};
