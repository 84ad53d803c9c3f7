#include "app/boards/Formlayoutsnapshot.h"

#include "app/boards/Layoutrows.h"

#include "app/common/Formsupport.h"
#include "app/common/Workbench.h"
#include "boards/core/Boarddata.h"
#include "platform/Datafiles.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

void TLayoutSnapshotForm::SetReplyTimeoutOverride(int ms)
{
    SetLayoutTimeoutOverride(ms);
}

TLayoutSnapshotForm::TLayoutSnapshotForm(TWorkbench& workbench, QWidget* parent)
    : QWidget(parent),
      workbench_(workbench),
      timeoutTimer_(std::make_unique<TQtLayoutTimer>(
          this, [this](uint64_t token) { engine_.TimeoutExpired(token); }, TLayoutSnapshotTimeoutOverride())),
      delayTimer_(std::make_unique<TQtLayoutTimer>(this, [this](uint64_t token) { engine_.DelayExpired(token); })),
      engine_(*this, timeoutTimer_.get(), delayTimer_.get())
{
    setObjectName(QStringLiteral("LayoutSnapshotForm"));
    setWindowTitle(QStringLiteral("Layout Snapshot"));
    SetHelpContext(this, kHelpTopic);
    BuildControls();
    if (!engine_.LoadProductList(ProductListPath().toStdString()))
        workbench_.ShowProgStatus(QStringLiteral("The product list could not be read: boards of other makers go unnamed"));
    SetBusy(false);
    connect(&workbench_, &TWorkbench::LinkLost, this, &TLayoutSnapshotForm::LinkLost, Qt::QueuedConnection);
    workbench_.Subscribe<TLNSVProgMessage>(this, Kinds({eOPCSVACCESS2}),
                                           [this](const TLNSVProgMessage& message) { HandleSvMessage(message); });
}

TLayoutSnapshotForm::~TLayoutSnapshotForm() = default;

void TLayoutSnapshotForm::BuildControls()
{
    auto* folderLabel = new QLabel(QStringLiteral("Snapshots &folder:"), this);
    FolderEdit = new QLineEdit(QDir::home().filePath(QStringLiteral("varnscope snapshots")), this);
    FolderEdit->setObjectName(QStringLiteral("FolderEdit"));
    FolderEdit->setToolTip(QStringLiteral("Each backup makes a folder named after the date and time in here"));
    folderLabel->setBuddy(FolderEdit);

    auto button = [this](const QString& caption, const char* name, void (TLayoutSnapshotForm::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    BrowseButton = button(QStringLiteral("B&rowse..."), "BrowseButton", &TLayoutSnapshotForm::BrowseButtonClick);

    SnapshotLabel = new QLabel(QStringLiteral("No snapshot yet"), this);
    SnapshotLabel->setObjectName(QStringLiteral("SnapshotLabel"));
    SnapshotLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    BoardTable = new QTreeWidget(this);
    BoardTable->setObjectName(QStringLiteral("BoardTable"));
    SetUpLayoutTable(BoardTable);
    BoardTable->setMinimumSize(720, 260);

    auto* runLabel = new QLabel(QStringLiteral("All boards:"), this);
    RunProgressBar = MakeLayoutProgressBar(this, TLayoutBar::eRun);
    auto* boardLabel = new QLabel(QStringLiteral("This board:"), this);
    BoardProgressBar = MakeLayoutProgressBar(this, TLayoutBar::eBoard);

    BackupButton = button(QStringLiteral("&Back Up All Boards"), "BackupButton", &TLayoutSnapshotForm::BackupButtonClick);
    BackupButton->setToolTip(QStringLiteral("Discover the bus and read every board into a new snapshot"));
    VerifyButton = button(QStringLiteral("&Verify..."), "VerifyButton", &TLayoutSnapshotForm::VerifyButtonClick);
    VerifyButton->setToolTip(QStringLiteral("Read every board of a snapshot again and compare it with the snapshot"));
    CancelButton = button(QStringLiteral("&Cancel"), "CancelButton", &TLayoutSnapshotForm::CancelButtonClick);
    CancelButton->setToolTip(QStringLiteral("Stop after the message exchange under way; finished files stay complete"));
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setAutoDefault(false);
    connect(CloseButton, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (engine_.IsRunning())
            CancelButtonClick();
        else
            CloseButton->click();
    });

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folderLabel);
    folderRow->addWidget(FolderEdit, 1);
    folderRow->addWidget(BrowseButton);

    auto* bars = new QGridLayout;
    bars->addWidget(runLabel, 0, 0);
    bars->addWidget(RunProgressBar, 0, 1);
    bars->addWidget(boardLabel, 1, 0);
    bars->addWidget(BoardProgressBar, 1, 1);

    auto* actions = new QHBoxLayout;
    actions->addWidget(BackupButton);
    actions->addWidget(VerifyButton);
    actions->addWidget(CancelButton);
    actions->addStretch(1);
    actions->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(folderRow);
    layout->addWidget(SnapshotLabel);
    layout->addWidget(BoardTable, 1);
    layout->addLayout(bars);
    layout->addLayout(actions);
    setTabOrder(FolderEdit, BrowseButton);
    setTabOrder(BrowseButton, BoardTable);
    setTabOrder(BoardTable, BackupButton);
    setTabOrder(BackupButton, VerifyButton);
    setTabOrder(VerifyButton, CancelButton);
    setTabOrder(CancelButton, CloseButton);
}

void TLayoutSnapshotForm::SetBusy(bool busy)
{
    BackupButton->setEnabled(!busy);
    VerifyButton->setEnabled(!busy);
    BrowseButton->setEnabled(!busy);
    FolderEdit->setEnabled(!busy);
    CancelButton->setEnabled(busy && !engine_.IsCancelling());
}

bool TLayoutSnapshotForm::LinkReady()
{
    const TLinkState link = workbench_.LinkState();
    if (link.open && link.connected)
        return true;
    const QString text =
        link.open ? QStringLiteral("port not connected: %1 is reconnecting").arg(link.port)
                  : QStringLiteral("LocoNet port %1 is not open: nothing can be sent to the boards").arg(link.port);
    workbench_.ShowProgStatus(text);
    ShowNotice(this, QStringLiteral("Error:"), text);
    return false;
}

void TLayoutSnapshotForm::BrowseButtonClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Snapshots folder"), FolderEdit->text());
    if (!folder.isEmpty())
        FolderEdit->setText(folder);
}

void TLayoutSnapshotForm::BackupButtonClick()
{
    if (engine_.IsRunning() || !LinkReady())
        return;
    engine_.SetPacedSending(workbench_.LinkState().interface == eMS100);
    std::string error;
    if (!engine_.StartBackup(FolderEdit->text().toStdString(), error)) {
        workbench_.ShowProgStatus(QString::fromStdString(error));
        ShowNotice(this, QStringLiteral("Layout Snapshot:"), QString::fromStdString(error));
        return;
    }
    snapshot_ = QString::fromStdString(engine_.Folder());
    SnapshotLabel->setText(QStringLiteral("Backing up into %1").arg(QDir::toNativeSeparators(snapshot_)));
    SetBusy(true);
}

void TLayoutSnapshotForm::VerifyButtonClick()
{
    if (engine_.IsRunning())
        return;
    const QString start = snapshot_.isEmpty() ? FolderEdit->text() : snapshot_;
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Snapshot to verify against"), start);
    if (!folder.isEmpty())
        VerifySnapshot(folder);
}

void TLayoutSnapshotForm::VerifySnapshot(const QString& folder)
{
    if (engine_.IsRunning() || !LinkReady())
        return;
    engine_.SetPacedSending(workbench_.LinkState().interface == eMS100);
    std::string error;
    if (!engine_.StartVerify(folder.toStdString(), error)) {
        workbench_.ShowProgStatus(QString::fromStdString(error));
        ShowNotice(this, QStringLiteral("Layout Snapshot:"), QString::fromStdString(error));
        return;
    }
    snapshot_ = folder;
    SnapshotLabel->setText(QStringLiteral("Verifying against %1").arg(QDir::toNativeSeparators(folder)));
    SetBusy(true);
}

void TLayoutSnapshotForm::CancelButtonClick()
{
    engine_.Cancel();
    SetBusy(engine_.IsRunning());
}

void TLayoutSnapshotForm::LinkLost(const QString& reason)
{
    if (!closed_)
        engine_.Abort("The link failed: " + reason.toStdString());
}

void TLayoutSnapshotForm::HandleSvMessage(const TLNSVProgMessage& message)
{
    engine_.HandleSvMessage(message);
}

void TLayoutSnapshotForm::closeEvent(QCloseEvent* event)
{
    if (!closed_) {
        closed_ = true;
        engine_.Abort("Closed");
        workbench_.Unsubscribe(this);
        emit Closed();
    }
    QWidget::closeEvent(event);
}

// ---- What the engine reports ----

void TLayoutSnapshotForm::SendMessage(std::unique_ptr<TLNSVProgMessage> message)
{
    workbench_.SendMessage(std::move(message));
}

void TLayoutSnapshotForm::StatusText(const std::string& text)
{
    workbench_.ShowProgStatus(QString::fromStdString(text));
}

void TLayoutSnapshotForm::BoardsChanged()
{
    ShowLayoutBoards(BoardTable, engine_);
}

void TLayoutSnapshotForm::BoardChanged(int row)
{
    ShowLayoutBoard(BoardTable, engine_, row);
}

void TLayoutSnapshotForm::RunProgress(int done, int total)
{
    ShowLayoutProgress(RunProgressBar, done, total);
}

void TLayoutSnapshotForm::BoardProgress(int position, int maximum)
{
    ShowLayoutProgress(BoardProgressBar, position, maximum);
}

void TLayoutSnapshotForm::RunEnded(bool success, const std::string& text)
{
    SetBusy(false);
    const QString where = QDir::toNativeSeparators(snapshot_);
    const QString summary = QString::fromStdString(text);
    SnapshotLabel->setText(engine_.Task() == TLayoutTask::eBackup
                               ? QStringLiteral("Snapshot %1: %2").arg(where, summary)
                               : QStringLiteral("Verified against %1: %2").arg(where, summary));
    if (!success)
        workbench_.ShowProgStatus(summary);
}
