#include "app/boards/Formprogramchanged.h"

#include "app/boards/Layoutrows.h"
#include "app/common/Formsupport.h"
#include "app/common/Workbench.h"
#include "boards/core/Tconfigurableboard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QShortcut>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

TProgramChangedForm::TProgramChangedForm(TWorkbench& workbench, std::vector<TConfigurableBoard*> boards,
                                         QWidget* parent)
    : QDialog(parent),
      workbench_(workbench),
      boards_(std::move(boards)),
      timeoutTimer_(std::make_unique<TQtLayoutTimer>(this, [this](uint64_t token) { engine_.TimeoutExpired(token); },
                                                     TLayoutSnapshotTimeoutOverride())),
      delayTimer_(std::make_unique<TQtLayoutTimer>(this, [this](uint64_t token) { engine_.DelayExpired(token); })),
      engine_(*this, timeoutTimer_.get(), delayTimer_.get())
{
    setObjectName(QStringLiteral("ProgramChangedForm"));
    setWindowTitle(QStringLiteral("Program All Changed Boards"));
    SetHelpContext(this, kHelpTopic);
    // The program's own F1 does not reach past a modal window.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [] { ShowHelpTopic(kHelpTopic); });
    engine_.SetPacedSending(workbench_.LinkState().interface == eMS100);

    StatusLabel = new QLabel(QStringLiteral("Comparing every board of the lists with the bus....."), this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    BoardTable = new QTreeWidget(this);
    BoardTable->setObjectName(QStringLiteral("BoardTable"));
    SetUpLayoutTable(BoardTable);
    BoardTable->setMinimumSize(680, 220);
    RunProgressBar = MakeLayoutProgressBar(this, TLayoutBar::eRun);
    BoardProgressBar = MakeLayoutProgressBar(this, TLayoutBar::eBoard);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    CancelButton->setToolTip(QStringLiteral("Stop after the message exchange under way"));
    connect(CancelButton, &QPushButton::clicked, this, &TProgramChangedForm::CancelButtonClick);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setAutoDefault(false);
    connect(CloseButton, &QPushButton::clicked, this, &TProgramChangedForm::reject);

    auto* bars = new QGridLayout;
    bars->addWidget(new QLabel(QStringLiteral("All boards:"), this), 0, 0);
    bars->addWidget(RunProgressBar, 0, 1);
    bars->addWidget(new QLabel(QStringLiteral("This board:"), this), 1, 0);
    bars->addWidget(BoardProgressBar, 1, 1);
    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    actions->addWidget(CancelButton);
    actions->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StatusLabel);
    layout->addWidget(BoardTable, 1);
    layout->addLayout(bars);
    layout->addLayout(actions);

    workbench_.Subscribe<TLNSVProgMessage>(this, Kinds({eOPCSVACCESS2}),
                                           [this](const TLNSVProgMessage& message) { engine_.HandleSvMessage(message); });
    connect(&workbench_, &TWorkbench::LinkLost, this,
            [this](const QString& reason) { engine_.Abort("The link failed: " + reason.toStdString()); },
            Qt::QueuedConnection);
}

// The workbench forgets a window once it is gone; it may be gone itself by
// then, when the program's window closes with this dialog open.
TProgramChangedForm::~TProgramChangedForm() = default;

void TProgramChangedForm::StartCheck()
{
    std::string error;
    if (!engine_.StartCheckConfigured(boards_, error))
        StatusLabel->setText(QString::fromStdString(error));
    CancelButton->setEnabled(engine_.IsRunning());
}

void TProgramChangedForm::CancelButtonClick()
{
    engine_.Cancel();
    CancelButton->setEnabled(false);
}

void TProgramChangedForm::reject()
{
    // A board half programmed is reported, not left behind unsaid.
    engine_.Abort("Closed");
    workbench_.Unsubscribe(this);
    QDialog::reject();
}

void TProgramChangedForm::Confirm()
{
    QStringList changed;
    for (const TLayoutBoard& row : engine_.Boards())
        if (row.state == TLayoutBoardState::eDifferent)
            changed << QStringLiteral("%1\t%2\t%3")
                           .arg(row.entry.address)
                           .arg(QString::fromStdString(row.entry.product), QString::fromStdString(row.description));
    if (changed.isEmpty()) {
        StatusLabel->setText(QStringLiteral("Every board answering holds its configuration: nothing to program"));
        return;
    }
    const QString question = QStringLiteral("These boards differ from their configuration:\n\n%1\n\nProgram them now?")
                                 .arg(changed.join('\n'));
    if (!AskYesNo(this, QStringLiteral("Program all changed boards:"), question)) {
        StatusLabel->setText(QStringLiteral("Nothing programmed"));
        return;
    }
    std::string error;
    if (!engine_.StartProgramChanged(error)) {
        StatusLabel->setText(QString::fromStdString(error));
        return;
    }
    StatusLabel->setText(QStringLiteral("Programming the changed boards....."));
    CancelButton->setEnabled(true);
}

// ---- What the engine reports ----

void TProgramChangedForm::SendMessage(std::unique_ptr<TLNSVProgMessage> message)
{
    workbench_.SendMessage(std::move(message));
}

void TProgramChangedForm::StatusText(const std::string& text)
{
    workbench_.ShowProgStatus(QString::fromStdString(text));
}

void TProgramChangedForm::BoardsChanged()
{
    ShowLayoutBoards(BoardTable, engine_);
}

void TProgramChangedForm::BoardChanged(int row)
{
    ShowLayoutBoard(BoardTable, engine_, row);
}

void TProgramChangedForm::RunProgress(int done, int total)
{
    ShowLayoutProgress(RunProgressBar, done, total);
}

void TProgramChangedForm::BoardProgress(int position, int maximum)
{
    ShowLayoutProgress(BoardProgressBar, position, maximum);
}

void TProgramChangedForm::RunEnded(bool success, const std::string& text)
{
    CancelButton->setEnabled(false);
    const QString summary = QString::fromStdString(text);
    if (!success) {
        StatusLabel->setText(summary);
        return;
    }
    if (engine_.Task() == TLayoutTask::eCheckConfigured) {
        StatusLabel->setText(QStringLiteral("Compared: %1").arg(summary));
        // After this report has returned: the question waits for the operator.
        QTimer::singleShot(0, this, &TProgramChangedForm::Confirm);
        return;
    }
    StatusLabel->setText(QStringLiteral("Done: %1").arg(summary));
}
