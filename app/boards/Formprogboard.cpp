#include "app/boards/Formprogboard.h"

#include "app/boards/Boardeditors.h"
#include "app/boards/Formcompareboards.h"
#include "app/boards/Formprogramchanged.h"
#include "app/boards/Formdisplayboard.h"
#include "app/common/Boundedspinbox.h"
#include "app/common/Workbench.h"
#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "link/Tsvprogmsg.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <sstream>
#include <stdexcept>

// A one-shot QTimer behind the sequencer's timer interface.
class TQtFormTimer : public IEngineTimer {
public:
    TQtFormTimer(QTimer* timer, std::function<void(uint64_t)> expired) : timer_(timer), expired_(std::move(expired))
    {
        timer_->setSingleShot(true);
        // The 20 ms pause between messages must not grow to a coarse timer's grain.
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, timer_, [this] { expired_(token_); });
    }
    void Start(int ms, uint64_t token) override
    {
        token_ = token;
        timer_->start(ms);
    }
    void Stop() override { timer_->stop(); }

private:
    QTimer* timer_;
    uint64_t token_ = 0;
    std::function<void(uint64_t)> expired_;
};

namespace {

constexpr int kHelpTopic = 80;
constexpr int kChildOffset = 30;  // [px] right of and below the window a child opens from
constexpr int kLogFlushMs = 100;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

QString SuggestedListFileName(uint8_t type)
{
    return QString::fromStdString(TBoardData::ShortTypeName(type)).toLower() + QStringLiteral(".csv");
}

TProgramBoardForm::TProgramBoardForm(TWorkbench& workbench, QWidget* parent)
    : QWidget(parent), workbench_(workbench), boards_(workbench.BoardData())
{
    setObjectName(QStringLiteral("ProgramBoardForm"));
    setWindowTitle(QStringLiteral("Configure Boards"));
    SetHelpContext(this, kHelpTopic);
    Sender = [this](std::unique_ptr<TLocoNetMessage> message) { workbench_.SendMessage(std::move(message)); };

    TimeoutTimer = new QTimer(this);
    TimeoutTimer->setObjectName(QStringLiteral("TimeoutTimer"));
    TimeoutTimer->setInterval(TProgSequencer::kReplyTimeoutMs);
    MsgDelayTimer = new QTimer(this);
    MsgDelayTimer->setObjectName(QStringLiteral("MsgDelayTimer"));
    MsgDelayTimer->setInterval(TProgSequencer::kMessageDelayMs);
    timeoutPort_ = std::make_unique<TQtFormTimer>(TimeoutTimer, [this](uint64_t t) { sequencer_->TimeoutExpired(t); });
    delayPort_ = std::make_unique<TQtFormTimer>(MsgDelayTimer, [this](uint64_t t) { sequencer_->DelayExpired(t); });
    sequencer_ = std::make_unique<TProgSequencer>(static_cast<IProgrammerListener&>(*this), timeoutPort_.get(), delayPort_.get());

    SaveSVDialog.save = true;
    SaveSVDialog.title = QStringLiteral("Write SV to file");
    SaveSVDialog.filter = QStringLiteral("Text files (*.txt)");
    SaveSVDialog.defaultSuffix = QStringLiteral("txt");

    auto* menus = new QMenuBar(this);
    QMenu* file = menus->addMenu(QStringLiteral("&File"));
    QMenu* boards = menus->addMenu(QStringLiteral("&Boards"));
    QMenu* programming = menus->addMenu(QStringLiteral("&Programming"));
    BuildMenus(file, boards, programming);
    BuildControls();
    layout()->setMenuBar(menus);
    resize(820, 620);
    // The window opens with the programmer idle, and says so.
    sequencer_->GoIdle();
    UpdateEnabling();
    // Queued: the link may report its failure from inside a send of ours,
    // with the sequencer in the middle of a step.
    connect(&workbench_, &TWorkbench::LinkLost, this, &TProgramBoardForm::LinkLost, Qt::QueuedConnection);
    // Boards copied in by the numbering window.
    connect(&workbench_, &TWorkbench::BoardListsChanged, this, &TProgramBoardForm::Refresh);
    workbench_.Subscribe<TLNSVProgMessage>(this, Kinds({eOPCSVACCESS2}),
                                           [this](const TLNSVProgMessage& message) { HandleSvMessage(message); });
}

TProgramBoardForm::~TProgramBoardForm()
{
    // The sequencer goes first: it stops the timers it was given.
    sequencer_.reset();
}

void TProgramBoardForm::BuildMenus(QMenu* file, QMenu* boards, QMenu* programming)
{
    auto item = [this](QMenu* menu, const char* caption, const char* name, void (TProgramBoardForm::*handler)()) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    Open1 = item(file, "&Open...", "Open1", &TProgramBoardForm::Open1Click);
    Save1 = item(file, "&Save", "Save1", &TProgramBoardForm::Save1Click);
    SaveAs1 = item(file, "Save &As...", "SaveAs1", &TProgramBoardForm::SaveAs1Click);
    Close1 = item(file, "&Close", "Close1", &TProgramBoardForm::Close1Click);
    WriteSVtofile1 = item(file, "&Write SV to file...", "WriteSVtofile1", &TProgramBoardForm::WriteSVtofile1Click);
    Exit1 = item(file, "E&xit", "Exit1", &TProgramBoardForm::Exit1Click);
    Addnewboard1 = item(boards, "&Add new board", "Addnewboard1", &TProgramBoardForm::Addnewboard1Click);
    DeleteBoard1 = item(boards, "&Delete Board", "DeleteBoard1", &TProgramBoardForm::DeleteBoard1Click);
    InsertBoard1 = item(boards, "&Insert Board", "InsertBoard1", &TProgramBoardForm::InsertBoard1Click);
    EditBoard1 = item(boards, "&Edit Board", "EditBoard1", &TProgramBoardForm::EditBoard1Click);
    DisplayBoard1 = item(boards, "D&isplay Board", "DisplayBoard1", &TProgramBoardForm::DisplayBoard1Click);
    ProgramBoard1 = item(programming, "&Program Board", "ProgramBoard1", &TProgramBoardForm::ProgramButtonClick);
    ReadBoard1 = item(programming, "&Read Board", "ReadBoard1", &TProgramBoardForm::ReadBoardButtonClick);
    VerifyBoard1 = item(programming, "&Verify Board", "VerifyBoard1", &TProgramBoardForm::VerifyBoard1Click);
    Compare1 = item(programming, "&Compare...", "Compare1", &TProgramBoardForm::Compare1Click);
    ProgramChangedBoards1 = item(programming, "Program &All Changed Boards...", "ProgramChangedBoards1",
                                 &TProgramBoardForm::ProgramChangedBoards1Click);
    // The Edit item says why it is off for a model without an editor.
    boards->setToolTipsVisible(true);
}

void TProgramBoardForm::BuildControls()
{
    BoardListBox = new QTreeWidget(this);
    BoardListBox->setObjectName(QStringLiteral("BoardListBox"));
    BoardListBox->setHeaderLabels({QStringLiteral("serial no."), QStringLiteral("type"),
                                   QStringLiteral("board name / description")});
    BoardListBox->setRootIsDecorated(false);
    BoardListBox->setUniformRowHeights(true);
    BoardListBox->setAllColumnsShowFocus(true);
    BoardListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    BoardListBox->header()->setSectionsMovable(false);
    BoardListBox->header()->setSectionsClickable(false);
    BoardListBox->setColumnWidth(0, 90);
    BoardListBox->setColumnWidth(1, 80);
    connect(BoardListBox, &QTreeWidget::itemDoubleClicked, this, [this] { EditBoard1Click(); });

    MessageEdit = new QLineEdit(this);
    MessageEdit->setObjectName(QStringLiteral("MessageEdit"));
    MessageEdit->setEnabled(false);

    BoardTabControl = new QTabBar(this);
    BoardTabControl->setObjectName(QStringLiteral("BoardTabControl"));
    BoardTabControl->setShape(QTabBar::RoundedSouth);
    BoardTabControl->setExpanding(false);
    for (uint8_t type = 0; type < kBoardTypeCount; ++type)
        BoardTabControl->addTab(Q(TBoardData::ShortTypeName(type)));
    BoardTabControl->setCurrentIndex(0);
    connect(BoardTabControl, &QTabBar::currentChanged, this, &TProgramBoardForm::BoardTabControlChange);

    auto* tabArea = new QVBoxLayout;
    tabArea->setSpacing(2);
    tabArea->addWidget(BoardListBox, 1);
    tabArea->addWidget(MessageEdit);
    tabArea->addWidget(BoardTabControl);

    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    ProgramButton = button(QStringLiteral("Program"), "ProgramButton");
    ReadBoardButton = button(QStringLiteral("Read Board"), "ReadBoardButton");
    VerifyButton = button(QStringLiteral("Verify"), "VerifyButton");
    VerifyButton->setToolTip(QStringLiteral("Compare the board with its configuration without writing it"));
    CompareButton = button(QStringLiteral("Compare..."), "CompareButton");
    CompareButton->setAutoDefault(true);  // Enter opens it once it is offered
    CompareButton->setToolTip(QStringLiteral("Compare the board setting by setting with what the bus held at its "
                                             "last verify, with what a read replaced, or with another board"));
    HelpBtn = button(QStringLiteral("Help"), "HelpBtn");
    CloseBtn = button(QStringLiteral("Close"), "CloseBtn");
    connect(ProgramButton, &QPushButton::clicked, this, &TProgramBoardForm::ProgramButtonClick);
    connect(ReadBoardButton, &QPushButton::clicked, this, &TProgramBoardForm::ReadBoardButtonClick);
    connect(VerifyButton, &QPushButton::clicked, this, &TProgramBoardForm::VerifyBoard1Click);
    connect(CompareButton, &QPushButton::clicked, this, &TProgramBoardForm::Compare1Click);
    connect(HelpBtn, &QPushButton::clicked, this, &TProgramBoardForm::HelpBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });

    SWVersionSpin = new TBoundedSpinBox(this);
    SWVersionSpin->setObjectName(QStringLiteral("SWVersionSpin"));
    SWVersionSpin->setRange(1, 255);
    SWVersionSpin->setValue(1);
    auto* versionLabel = new QLabel(QStringLiteral("s/w version"), this);
    versionLabel->setBuddy(SWVersionSpin);

    DebugCheck = new QCheckBox(QStringLiteral("Log"), this);
    DebugCheck->setObjectName(QStringLiteral("DebugCheck"));
    connect(DebugCheck, &QCheckBox::toggled, this, [this](bool on) { sequencer_->SetLogging(on); });

    auto* side = new QVBoxLayout;
    side->addWidget(ProgramButton);
    side->addWidget(ReadBoardButton);
    side->addWidget(VerifyButton);
    side->addWidget(CompareButton);
    side->addSpacing(12);
    side->addWidget(versionLabel);
    side->addWidget(SWVersionSpin);
    side->addWidget(DebugCheck);
    side->addStretch(1);
    side->addWidget(HelpBtn);
    side->addWidget(CloseBtn);

    auto* top = new QHBoxLayout;
    top->addLayout(tabArea, 1);
    top->addLayout(side);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    DebugList = new QListWidget(this);
    DebugList->setObjectName(QStringLiteral("DebugList"));
    DebugList->setUniformItemSizes(true);
    flushTimer_ = new QTimer(this);
    flushTimer_->setSingleShot(true);
    flushTimer_->setInterval(kLogFlushMs);
    // During a transfer the log is shown right after a message is sent: the
    // painting then falls into the wait for the reply instead of holding up
    // its handling. A transfer that sends nothing for a while (time-outs)
    // still shows it one interval later.
    connect(flushTimer_, &QTimer::timeout, this, [this] {
        if (Busy() && !flushDue_) {
            flushDue_ = true;
            flushTimer_->start();
        } else {
            FlushLog();
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 3);
    layout->addWidget(ProgressBar1);
    layout->addWidget(DebugList, 2);

    // Tab order as the controls read: list, tabs, buttons, options, log.
    setTabOrder(BoardListBox, BoardTabControl);
    setTabOrder(BoardTabControl, ProgramButton);
    setTabOrder(ProgramButton, ReadBoardButton);
    setTabOrder(ReadBoardButton, VerifyButton);
    setTabOrder(VerifyButton, CompareButton);
    setTabOrder(CompareButton, SWVersionSpin);
    setTabOrder(SWVersionSpin, DebugCheck);
    setTabOrder(DebugCheck, HelpBtn);
    setTabOrder(HelpBtn, CloseBtn);
    setTabOrder(CloseBtn, DebugList);
}

// ---- State ----

int TProgramBoardForm::CurrentType() const
{
    return BoardTabControl->currentIndex();
}

int TProgramBoardForm::SelectedPosition() const
{
    const QList<QTreeWidgetItem*> selected = BoardListBox->selectedItems();
    if (selected.isEmpty())
        return -1;
    return BoardListBox->indexOfTopLevelItem(selected.constFirst());
}

void TProgramBoardForm::SelectPosition(int position)
{
    BoardListBox->clearSelection();
    if (QTreeWidgetItem* item = BoardListBox->topLevelItem(position)) {
        item->setSelected(true);
        BoardListBox->setCurrentItem(item);
    }
}

bool TProgramBoardForm::Busy() const
{
    return !sequencer_->IsIdle();
}

void TProgramBoardForm::UpdateEnabling()
{
    // While a transfer runs, the board it works on must stay where it is and
    // keep its configuration: nothing that deletes, moves, replaces or edits
    // a board, nor another tab.
    const bool idle = !Busy();
    // Nor a save: a read changes the board after it, and the list must still
    // count as modified then.
    for (QAction* action : {Open1, Save1, SaveAs1, Close1, WriteSVtofile1, Addnewboard1, DeleteBoard1, InsertBoard1,
                            ProgramBoard1, ReadBoard1, VerifyBoard1, Compare1,
                            ProgramChangedBoards1})
        action->setEnabled(idle);
    ProgramButton->setEnabled(idle);
    ReadBoardButton->setEnabled(idle);
    VerifyButton->setEnabled(idle);
    CompareButton->setEnabled(idle);
    BoardTabControl->setEnabled(idle);
    const int type = CurrentType();
    EditBoard1->setEnabled(idle && HasBoardEditor(type));
    EditBoard1->setToolTip(NoBoardEditorText(type));
    BoardListBox->setToolTip(NoBoardEditorText(type));
}

// ---- The list ----

void TProgramBoardForm::Refresh()
{
    const uint8_t type = static_cast<uint8_t>(CurrentType());
    const int selected = SelectedPosition();
    BoardListBox->clear();
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < boards_.BoardCount(type); ++i) {
        // ListLine: serial (or "not set yet"), tab, type, tab, blank and name.
        const QStringList fields = Q(boards_.BoardAt(type, i)->ListLine()).split(QLatin1Char('\t'));
        QStringList columns;
        for (int c = 0; c < 3; ++c)
            columns << (c < fields.size() ? fields.at(c) : QString());
        if (fields.size() > 3)
            columns[2] = fields.mid(2).join(QLatin1Char('\t'));
        if (columns[2].startsWith(QLatin1Char(' ')))
            columns[2].remove(0, 1);
        items << new QTreeWidgetItem(columns);
    }
    BoardListBox->addTopLevelItems(items);
    SelectPosition(selected);
    MessageEdit->setText(boards_.HasFileName(type) ? QStringLiteral("File Name = ") + Q(boards_.FileNameOf(type))
                                                   : QStringLiteral("not saved to file"));
    UpdateEnabling();
}

void TProgramBoardForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Refresh();
}

void TProgramBoardForm::BoardTabControlChange()
{
    Refresh();
}

void TProgramBoardForm::Addnewboard1Click()
{
    if (Busy())
        return;
    if (!boards_.AppendBoard(static_cast<uint8_t>(CurrentType())))
        ReportFileError();
    Refresh();
}

void TProgramBoardForm::InsertBoard1Click()
{
    const int position = SelectedPosition();
    if (Busy() || position < 0)
        return;
    if (!boards_.InsertBoard(static_cast<uint8_t>(CurrentType()), position))
        ReportFileError();
    Refresh();
}

void TProgramBoardForm::DeleteBoard1Click()
{
    const int position = SelectedPosition();
    if (Busy() || position < 0)
        return;
    // A board and all its settings go at once, with no undo: ask first.
    const QTreeWidgetItem* row = BoardListBox->topLevelItem(position);
    QString board = row->text(1) + QStringLiteral(" board ") + QString::number(position + 1);
    if (!row->text(2).isEmpty())
        board += QStringLiteral(" \"%1\"").arg(row->text(2));
    board += QStringLiteral(" (serial no. %1)").arg(row->text(0));
    if (!AskYesNo(this, QStringLiteral("Delete Board"),
                  QStringLiteral("Delete %1 and all its settings from the list?").arg(board)))
        return;
    boards_.DeleteBoard(static_cast<uint8_t>(CurrentType()), position);
    Refresh();
}

void TProgramBoardForm::EditBoard1Click()
{
    const int type = CurrentType();
    const int position = SelectedPosition();
    const TBoardEditorRow* row = BoardEditorRow(type);
    if (Busy() || position < 0 || row == nullptr || row->edit == nullptr)
        return;
    TConfigurableBoard* board = boards_.BoardForChange(static_cast<uint8_t>(type), position);
    if (board == nullptr)
        return;
    const QWidget* top = workbench_.TopWindow();
    row->edit(this, (top ? top->pos() : QPoint()) + QPoint(kChildOffset, kChildOffset), *board);
    Refresh();
}

void TProgramBoardForm::Compare1Click()
{
    const int position = SelectedPosition();
    const uint8_t type = static_cast<uint8_t>(CurrentType());
    const TConfigurableBoard* board = boards_.BoardAt(type, position);
    if (position < 0 || board == nullptr)
        return;
    auto* form = new TCompareBoardsForm(workbench_, type, position);
    if (readType_ == type && readPosition_ == position && !beforeRead_.empty()) {
        std::unique_ptr<TConfigurableBoard> before = MakeBoard(type);
        std::istringstream lines(beforeRead_);
        try {
            before->ReadFromFile(lines);
            form->AddBoard(std::move(before), QStringLiteral("This board before it was read"));
        } catch (const std::exception&) {
            // Its own lines always load again; nothing to offer otherwise.
        }
    }
    // What the bus held is only this board's while the list still has it there.
    if (verifiedType_ == type && verifiedPosition_ == position && verifiedSerial_ == board->SerialNumber() &&
        !verifiedImage_.empty())
        form->SetBusImage(verifiedImage_);
    connect(form, &TCompareBoardsForm::BusWanted, this, [this, form, type, position] {
        ReadBusForCompare(form, type, position);
    });
    form->setAttribute(Qt::WA_DeleteOnClose);
    ShowChild(form, QSize(960, 620));
    form->SettingsView->setFocus();
}

// The Compare window reads the bus through this window's transfer, so that
// the log, the progress bar and the rule of one transfer at a time hold; a
// verify reads the whole board and keeps what it read.
void TProgramBoardForm::ReadBusForCompare(TCompareBoardsForm* form, uint8_t type, int position)
{
    const QPointer<TCompareBoardsForm> guard(form);
    if (!Busy()) {
        BoardTabControl->setCurrentIndex(type);
        SelectPosition(position);
    }
    const QString refused = StartTransfer(TProgramMode::eVerify);
    if (!refused.isEmpty()) {
        form->SetBusReadFailed(refused);
        return;
    }
    auto* once = new QObject(this);
    connect(this, &TProgramBoardForm::TransferFinished, once, [this, guard, once, type, position](bool success,
                                                                                                  const QString& text) {
        once->deleteLater();
        if (!guard)
            return;
        if (success && verifiedType_ == type && verifiedPosition_ == position && !verifiedImage_.empty())
            guard->SetBusImage(verifiedImage_);
        else
            guard->SetBusReadFailed(text);
        // The operator asked from the Compare window: the answer is there.
        guard->SettingsView->setFocus();
    });
}

void TProgramBoardForm::ShowChild(QWidget* form, const QSize& size)
{
    QWidget* frame = FormFrame(this);
    const QPoint at = frame->pos() + QPoint(kChildOffset, kChildOffset);
    if (QMdiArea* workspace = workbench_.Workspace(); workspace && frame != this) {
        QMdiSubWindow* child = workspace->addSubWindow(form);
        child->setAttribute(Qt::WA_DeleteOnClose);
        child->resize(child->sizeHint().expandedTo(size));
        child->move(at);
        child->show();
    } else {
        form->move(at);
        form->show();
    }
}

void TProgramBoardForm::DisplayBoard1Click()
{
    const int position = SelectedPosition();
    const TConfigurableBoard* board = boards_.BoardAt(static_cast<uint8_t>(CurrentType()), position);
    if (position < 0 || board == nullptr)
        return;
    auto* form = new TDisplayBoardForm;
    form->ShowBoard(*board);
    ShowChild(form, QSize(540, 460));
}

// ---- Files ----

void TProgramBoardForm::ReportFileError()
{
    if (!boards_.LastErrorText().empty())
        ShowErrorText(this, Q(boards_.LastErrorText()));
}

void TProgramBoardForm::Open1Click()
{
    if (Busy())
        return;
    const uint8_t type = static_cast<uint8_t>(CurrentType());
    const QString fileName =
        workbench_.OpenFileDialog(QStringLiteral("Open File for board type: ") + Q(TBoardData::LongTypeName(type)));
    if (!fileName.isEmpty()) {
        // Only a file read whole replaces the list: after a damaged one the list,
        // its file name included, stays as it was, so that no later Save writes
        // it over a file it did not come from.
        const bool loaded = boards_.OpenList(type, fileName.toStdString());
        if (!boards_.LastWarningText().empty())
            ShowNotice(this, QStringLiteral("Board file"), Q(boards_.LastWarningText()));
        if (!loaded)
            ReportFileError();
    }
    Refresh();
}

bool TProgramBoardForm::HasBoardsToSave(uint8_t type)
{
    if (boards_.BoardCount(type) > 0)
        return true;
    // Saving writes nothing for an empty list: say so rather than seem to
    // have emptied the file, whose boards come back at the next start.
    QString text = QStringLiteral("The %1 list holds no boards: nothing was saved")
                       .arg(Q(TBoardData::ShortTypeName(type)));
    text += boards_.HasFileName(type)
                ? QStringLiteral(", and %1 keeps the boards it holds.").arg(Q(boards_.FileNameOf(type)))
                : QStringLiteral(".");
    ShowNotice(this, QStringLiteral("Nothing to save"), text);
    return false;
}

void TProgramBoardForm::Save1Click()
{
    const uint8_t type = static_cast<uint8_t>(CurrentType());
    if (Busy() || !HasBoardsToSave(type))
        return;
    // The part read of a damaged file goes only where the operator says.
    if (!boards_.HasFileName(type) || boards_.IsPartlyRead(type)) {
        SaveAs1Click();
        return;
    }
    if (!boards_.SaveList(type))
        ReportFileError();
    Refresh();
}

void TProgramBoardForm::SaveAs1Click()
{
    const uint8_t type = static_cast<uint8_t>(CurrentType());
    if (Busy() || !HasBoardsToSave(type))
        return;
    // The list's own file only: another type's would take boards it cannot
    // read, and a file read in part would lose the rest.
    const QString preset = boards_.HasFileName(type) && !boards_.IsPartlyRead(type) ? Q(boards_.FileNameOf(type))
                                                                                    : SuggestedListFileName(type);
    const QString fileName = workbench_.SaveFileDialog(
        QStringLiteral("Save file for board type: ") + Q(TBoardData::LongTypeName(type)), preset);
    if (fileName.isEmpty())
        return;
    if (!boards_.SaveListAs(type, fileName.toStdString()))
        ReportFileError();
    Refresh();
}

void TProgramBoardForm::Close1Click()
{
    if (Busy())
        return;
    const uint8_t type = static_cast<uint8_t>(CurrentType());
    if (boards_.IsModified(type) &&
        AskYesNo(this, QStringLiteral("File close selected"), QStringLiteral("Do you want to save data?"))) {
        Save1Click();
        // The operator wanted the changes kept: a save that failed or was
        // cancelled leaves the list open rather than dropping them.
        if (boards_.IsModified(type) && boards_.BoardCount(type) > 0)
            return;
    }
    boards_.CloseList(type);
    Refresh();
}

void TProgramBoardForm::Exit1Click()
{
    workbench_.CloseProgram();
}

void TProgramBoardForm::WriteSVtofile1Click()
{
    if (Busy())
        return;
    const QString fileName = AskFileName(this, SaveSVDialog);
    if (fileName.isEmpty())
        return;
    SaveSVDialog.fileName = fileName;
    ClearLog();
    const int position = SelectedPosition();
    TConfigurableBoard* board = boards_.BoardAt(static_cast<uint8_t>(CurrentType()), position);
    if (position < 0 || board == nullptr) {
        Log(QStringLiteral("No board selected in list box above!"));
        return;
    }
    Status(QStringLiteral("Calculating SVs....."));
    board->SetSoftwareVersion(SWVersionSpin->value());
    if (!board->ComputeSvImage()) {
        Log(Q(board->SvErrorText()));
        QApplication::beep();
        sequencer_->GoIdle();
        return;
    }
    if (!board->WriteSvListing(fileName.toStdString())) {
        Status(QStringLiteral("SV listing not written: ") + Q(board->ListingErrorText()));
        return;
    }
    Log(QStringLiteral("SVs calculated - written to file"));
}

// ---- Programming ----

void TProgramBoardForm::ProgramButtonClick()
{
    StartTransfer(TProgramMode::eWrite);
}

void TProgramBoardForm::ReadBoardButtonClick()
{
    StartTransfer(TProgramMode::eRead);
}

void TProgramBoardForm::VerifyBoard1Click()
{
    StartTransfer(TProgramMode::eVerify);
}

void TProgramBoardForm::ProgramChangedBoards1Click()
{
    if (Busy())
        return;
    std::vector<TConfigurableBoard*> boards;
    for (int type = 0; type < kBoardTypeCount; ++type)
        for (int i = 0; i < boards_.BoardCount(static_cast<uint8_t>(type)); ++i)
            if (TConfigurableBoard* board = boards_.BoardAt(static_cast<uint8_t>(type), i); board->IsSerialValid())
                boards.push_back(board);
    if (boards.empty()) {
        Status(QStringLiteral("No board of the lists has a serial number: nothing to compare with the bus"));
        return;
    }
    const TLinkState link = workbench_.LinkState();
    if (!link.open || !link.connected) {
        Status((link.open ? QStringLiteral("port not connected: ") : QStringLiteral("port not open: ")) + link.port);
        return;
    }
    auto* dialog = new TProgramChangedForm(workbench_, std::move(boards), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
    dialog->StartCheck();
}

QString TProgramBoardForm::StartTransfer(TProgramMode mode)
{
    if (Busy())
        return QStringLiteral("a transfer is under way");
    const uint8_t type = static_cast<uint8_t>(CurrentType());
    const int position = SelectedPosition();
    if (position < 0 || position >= boards_.BoardCount(type)) {
        Log(QString::fromLatin1(ProgTexts::kNoBoardSelected));
        return QString::fromLatin1(ProgTexts::kNoBoardSelected);
    }
    TConfigurableBoard* board = boards_.BoardAt(type, position);
    if (!board->IsSerialValid()) {
        Log(QString::fromLatin1(ProgTexts::kSerialInvalid));
        return QString::fromLatin1(ProgTexts::kSerialInvalid);
    }
    // Without an open port every request would only time out, 21 times over.
    const TLinkState link = workbench_.LinkState();
    if (!link.open) {
        Status(QStringLiteral("port not open: ") + link.port);
        return QStringLiteral("port not open: ") + link.port;
    }
    // Nor while a network link waits for its server again.
    if (!link.connected) {
        Status(QStringLiteral("port not connected: ") + link.port + QStringLiteral(" is reconnecting"));
        return QStringLiteral("port not connected: ") + link.port + QStringLiteral(" is reconnecting");
    }
    // A read replaces the board's configuration: the list becomes modified.
    // Write and verify leave the configuration as it is.
    if (mode == TProgramMode::eRead) {
        boards_.BoardForChange(type, position);
        // Kept for Compare...: what the read replaced.
        std::ostringstream lines;
        board->WriteToFile(lines);
        readType_ = type;
        readPosition_ = position;
        beforeRead_ = lines.str();
    }
    transferType_ = type;
    transferPosition_ = position;
    sequencer_->SetPacedSending(link.interface == eMS100);
    sequencer_->SetLogging(DebugCheck->isChecked());
    sequencer_->Start(mode, *board);
    UpdateEnabling();
    return {};
}

void TProgramBoardForm::HandleSvMessage(const TLNSVProgMessage& message)
{
    sequencer_->HandleSvMessage(message);
}

void TProgramBoardForm::SendMessage(std::unique_ptr<TLNSVProgMessage> message)
{
    if (Sender)
        Sender(std::unique_ptr<TLocoNetMessage>(std::move(message)));
    if (flushDue_)
        FlushLog();
}

void TProgramBoardForm::Status(const QString& text)
{
    workbench_.ShowProgStatus(text);
    Log(text);
}

void TProgramBoardForm::Log(const QString& text)
{
    pendingLog_ << text;
    // While a transfer runs, the log and the progress bar are brought up to
    // date a few times a second rather than for every message: laying out,
    // scrolling and painting them per message would slow the transfer.
    if (Busy()) {
        if (!flushTimer_->isActive())
            flushTimer_->start();
    } else {
        FlushLog();
    }
}

void TProgramBoardForm::FlushLog()
{
    flushTimer_->stop();
    flushDue_ = false;
    if (!pendingLog_.isEmpty()) {
        const int first = DebugList->count();
        DebugList->addItems(pendingLog_);
        // A line wider than the window (a calculation error that names what
        // does not fit) can be read whole under the mouse.
        constexpr qsizetype kLongLine = 80;  // [characters]
        for (int row = first; row < DebugList->count(); ++row) {
            QListWidgetItem* item = DebugList->item(row);
            if (item->text().size() > kLongLine)
                item->setToolTip(item->text());
        }
        pendingLog_.clear();
        DebugList->scrollToBottom();
    }
    if (ProgressBar1->value() != progress_)
        ProgressBar1->setValue(progress_);
}

void TProgramBoardForm::StatusText(const std::string& text)
{
    Status(Q(text));
}

void TProgramBoardForm::LogText(const std::string& text)
{
    Log(Q(text));
}

void TProgramBoardForm::DebugText(const std::string& text)
{
    Log(Q(text));
}

void TProgramBoardForm::ClearLog()
{
    pendingLog_.clear();
    DebugList->clear();
}

void TProgramBoardForm::ProgressRange(int minimum, int maximum)
{
    ProgressBar1->setRange(minimum, maximum);
}

void TProgramBoardForm::ProgressPosition(int position)
{
    progress_ = position;
    if (!Busy())
        FlushLog();
    else if (!flushTimer_->isActive())
        flushTimer_->start();
}

void TProgramBoardForm::Beep()
{
    QApplication::beep();
}

void TProgramBoardForm::TransferEnded(bool success, const std::string& text)
{
    FlushLog();
    // A read has set the board's configuration, serial number included, and
    // the list differs from its file whatever happened to it meanwhile.
    if (success && sequencer_->Mode() == TProgramMode::eRead)
        boards_.BoardForChange(transferType_, transferPosition_);
    Refresh();
    // After a verify that found differences, or a read that replaced a
    // configuration, the next question is which settings those are: Compare
    // is offered (Enter or Space opens it), with what the bus held, or what
    // the read replaced, as its first choice.
    if (success && (sequencer_->Mode() == TProgramMode::eRead ||
                    (sequencer_->Mode() == TProgramMode::eVerify && !sequencer_->Differences().empty())))
        CompareButton->setFocus();
    // The verdict of a verify is what the operator asked for: keep it in sight.
    if (success && sequencer_->Mode() == TProgramMode::eVerify) {
        workbench_.ShowProgStatus(Q(text));
        verifiedType_ = transferType_;
        verifiedPosition_ = transferPosition_;
        const TConfigurableBoard* board = boards_.BoardAt(transferType_, transferPosition_);
        verifiedSerial_ = board ? board->SerialNumber() : 0;
        verifiedImage_ = sequencer_->VerifiedImage();
    }
    emit TransferFinished(success, Q(text));
}

void TProgramBoardForm::LinkLost(const QString& reason)
{
    if (!Busy())
        return;
    // Every request from now on would only time out: end the transfer now.
    sequencer_->GoIdle();
    const QString text = QStringLiteral("Transfer stopped: the link was lost (%1)").arg(reason);
    Status(text);
    FlushLog();
    Refresh();
    emit TransferFinished(false, text);
}

void TProgramBoardForm::HelpBtnClick()
{
    workbench_.ShowHelp(kHelpTopic);
}

void TProgramBoardForm::closeEvent(QCloseEvent* event)
{
    // Closing ends a transfer in progress; the board is not left to a
    // sequencer that is about to go away.
    if (Busy())
        sequencer_->GoIdle();
    workbench_.ShowProgStatus(QStringLiteral("(Inactive)"));
    workbench_.Unsubscribe(this);
    emit Closed();
    QWidget::closeEvent(event);
}
