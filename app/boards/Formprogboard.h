// The board configuration window: the configured boards by type, their files,
// the SV listing, and the programming of a board over LocoNet (writing its SV
// image into the board, or reading the board back) through TProgSequencer.
#pragma once

#include "app/common/Formsupport.h"
#include "programming/Tprogsequencer.h"

#include <QSize>
#include <QStringList>
#include <QWidget>

#include <memory>

class QAction;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabBar;
class QTimer;
class TCompareBoardsForm;
class QTreeWidget;
class TBoardData;
class TQtFormTimer;
class TWorkbench;

// The name a save dialog offers for a list that has no file yet ("vela40.csv").
QString SuggestedListFileName(uint8_t type);

class TProgramBoardForm : public QWidget, private IProgrammerListener {
    Q_OBJECT
public:
    explicit TProgramBoardForm(TWorkbench& workbench, QWidget* parent = nullptr);
    ~TProgramBoardForm() override;

    // Every SV-access message received while the window is open and shown
    // (it registers for them with the workbench).
    void HandleSvMessage(const TLNSVProgMessage& message);

    int CurrentType() const;
    // The selected list position, -1 when none.
    int SelectedPosition() const;
    void SelectPosition(int position);
    // A transfer runs: the lists it works on stay as they are meanwhile.
    bool Busy() const;
    const TProgSequencer& Sequencer() const { return *sequencer_; }

    // Where the window's messages go; the workbench's link by default.
    TMessageSender Sender;

public:  // controls
    QTabBar* BoardTabControl = nullptr;
    QTreeWidget* BoardListBox = nullptr;
    QLineEdit* MessageEdit = nullptr;
    QPushButton* ProgramButton = nullptr;
    QPushButton* ReadBoardButton = nullptr;
    QPushButton* VerifyButton = nullptr;
    QPushButton* CompareButton = nullptr;
    QPushButton* HelpBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
    QListWidget* DebugList = nullptr;
    QCheckBox* DebugCheck = nullptr;
    QSpinBox* SWVersionSpin = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTimer* TimeoutTimer = nullptr;
    QTimer* MsgDelayTimer = nullptr;
    TFileDialogRequest SaveSVDialog;

    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* Close1 = nullptr;
    QAction* WriteSVtofile1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Addnewboard1 = nullptr;
    QAction* DeleteBoard1 = nullptr;
    QAction* InsertBoard1 = nullptr;
    QAction* EditBoard1 = nullptr;
    QAction* DisplayBoard1 = nullptr;
    QAction* ProgramBoard1 = nullptr;
    QAction* ReadBoard1 = nullptr;
    QAction* VerifyBoard1 = nullptr;
    QAction* Compare1 = nullptr;
    QAction* ProgramChangedBoards1 = nullptr;

public slots:
    // The list and file line of the current type, again.
    void Refresh();

    void BoardTabControlChange();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Close1Click();
    void WriteSVtofile1Click();
    void Exit1Click();
    void Addnewboard1Click();
    void DeleteBoard1Click();
    void InsertBoard1Click();
    void EditBoard1Click();
    void DisplayBoard1Click();
    void ProgramButtonClick();
    void ReadBoardButtonClick();
    // Reads the selected board and logs where it differs from its configuration.
    void VerifyBoard1Click();
    // The Compare window for the selected board: against what the bus held
    // when this board was last verified, otherwise another board of the list.
    void Compare1Click();
    // Every board of the lists with a serial number compared with the bus;
    // those that differ programmed after a confirmation.
    void ProgramChangedBoards1Click();
    void HelpBtnClick();
    // The link failed: a running transfer ends at once as a failure.
    void LinkLost(const QString& reason);

signals:
    // The window is closing; it no longer takes messages.
    void Closed();
    // A started transfer is over.
    void TransferFinished(bool success, const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:  // IProgrammerListener
    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override;
    void StatusText(const std::string& text) override;
    void LogText(const std::string& text) override;
    void DebugText(const std::string& text) override;
    void ClearLog() override;
    void ProgressRange(int minimum, int maximum) override;
    void ProgressPosition(int position) override;
    void Beep() override;
    void TransferEnded(bool success, const std::string& text) override;

private:
    void BuildMenus(QMenu* file, QMenu* boards, QMenu* programming);
    // Opens a window beside this one: in the workspace when this window is
    // in it, at least size there.
    void ShowChild(QWidget* form, const QSize& size);
    void BuildControls();
    // Empty when the transfer started, else why not (also shown).
    QString StartTransfer(TProgramMode mode);
    void ReadBusForCompare(TCompareBoardsForm* form, uint8_t type, int position);
    void Status(const QString& text);
    void Log(const QString& text);
    void FlushLog();
    // Says a list file could not be read or written.
    void ReportFileError();
    // False, with a word to the operator, when the list is empty.
    bool HasBoardsToSave(uint8_t type);
    void UpdateEnabling();

    TWorkbench& workbench_;
    TBoardData& boards_;
    std::unique_ptr<TQtFormTimer> timeoutPort_;
    std::unique_ptr<TQtFormTimer> delayPort_;
    std::unique_ptr<TProgSequencer> sequencer_;
    uint8_t transferType_ = 0;  // the board a transfer works on
    int transferPosition_ = 0;
    // What the bus held at the serial number of the board last verified.
    int verifiedType_ = -1;
    int verifiedPosition_ = -1;
    int32_t verifiedSerial_ = 0;
    std::vector<uint8_t> verifiedImage_;
    // The configuration the last read replaced, as its file lines.
    int readType_ = -1;
    int readPosition_ = -1;
    std::string beforeRead_;
    QStringList pendingLog_;          // log lines not shown yet
    int progress_ = 0;                // progress bar position to show
    QTimer* flushTimer_ = nullptr;    // shows them during a transfer
    bool flushDue_ = false;           // shown with the next message sent
};
