#include "app/boards/Formrenumber.h"

#include "platform/Datafiles.h"

#include "app/boards/Editorsupport.h"
#include "app/common/Formsupport.h"
#include "app/common/Workbench.h"
#include "link/Tsvprogmsg.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>
#include <map>

// One engine timer on a one-shot QTimer; the expiry goes back to the engine
// with the token the timer was armed with.
class TQtRenumberTimer : public IEngineTimer {
public:
    TQtRenumberTimer(QObject* owner, std::function<void(uint64_t)> expired, int overrideMs = 0)
        : expired_(std::move(expired)), overrideMs_(overrideMs)
    {
        timer_ = new QTimer(owner);
        timer_->setSingleShot(true);
        QObject::connect(timer_, &QTimer::timeout, owner, [this] { expired_(token_); });
    }

    void Start(int ms, uint64_t token) override
    {
        token_ = token;
        timer_->start(overrideMs_ > 0 ? overrideMs_ : ms);
    }
    void Stop() override { timer_->stop(); }

private:
    QTimer* timer_;
    std::function<void(uint64_t)> expired_;
    int overrideMs_;
    uint64_t token_ = 0;
};

namespace {

constexpr int kPositionRole = Qt::UserRole;
int replyTimeoutOverrideMs = 0;
QString& ProductListOverride()
{
    static QString fileName;
    return fileName;
}

const QColor kClashColour(255, 220, 150);

}  // namespace

void TRenumberForm::SetReplyTimeoutOverride(int ms)
{
    replyTimeoutOverrideMs = ms;
}

void TRenumberForm::SetProductListFile(const QString& fileName)
{
    ProductListOverride() = fileName;
}

TRenumberForm::TRenumberForm(TWorkbench& workbench, QWidget* parent)
    : QWidget(parent),
      workbench_(workbench),
      timeoutTimer_(std::make_unique<TQtRenumberTimer>(
          this, [this](uint64_t token) { engine_.TimeoutExpired(token); }, replyTimeoutOverrideMs)),
      delayTimer_(std::make_unique<TQtRenumberTimer>(this, [this](uint64_t token) { engine_.DelayExpired(token); })),
      engine_(*this, timeoutTimer_.get(), delayTimer_.get())
{
    setObjectName(QStringLiteral("RenumberForm"));
    setWindowTitle(QStringLiteral("Display & Change Board Serial Numbers"));
    SetHelpContext(this, kHelpTopic);
    BuildControls();

    QString products = ProductListOverride();
    if (products.isEmpty())
        products = ProductListPath();
    // Without a product list the boards are still found, only without names;
    // the status field says why.
    if (!engine_.LoadProductList(products.toStdString()))
        workbench_.ShowProgStatus(QString::fromStdString(engine_.Products().Warning()));
    ButtonsChanged(engine_.Buttons());
    // Queued: the link may report its failure from inside a send of ours.
    connect(&workbench_, &TWorkbench::LinkLost, this, &TRenumberForm::LinkLost, Qt::QueuedConnection);
    workbench_.Subscribe<TLNSVProgMessage>(this, Kinds({eOPCSVACCESS2}),
                                           [this](const TLNSVProgMessage& message) { HandleSvMessage(message); });
}

TRenumberForm::~TRenumberForm() = default;

void TRenumberForm::BuildControls()
{
    MainMenu = new QMenuBar(this);
    QMenu* menu = MainMenu->addMenu(QStringLiteral("&Board Numbering"));
    DiscoverBoards1 = menu->addAction(QStringLiteral("&Discover Boards"), this, &TRenumberForm::DiscoverButtonClick);
    DiscoverBoards1->setObjectName(QStringLiteral("DiscoverBoards1"));
    ChangeBoardAddress1 =
        menu->addAction(QStringLiteral("&Change Board Address"), this, &TRenumberForm::RenumberButtonClick);
    ChangeBoardAddress1->setObjectName(QStringLiteral("ChangeBoardAddress1"));
    IdentifyBoard1 = menu->addAction(QStringLiteral("&Identify Board"), this, &TRenumberForm::IdentifyButtonClick);
    IdentifyBoard1->setObjectName(QStringLiteral("IdentifyBoard1"));

    BoardList = new QTreeWidget(this);
    BoardList->setObjectName(QStringLiteral("BoardList"));
    BoardList->setColumnCount(kColumnCount);
    BoardList->setHeaderLabels({QStringLiteral("Serial"), QStringLiteral("Product"), QStringLiteral("Manufacturer"),
                                QStringLiteral("Description")});
    BoardList->setRootIsDecorated(false);
    BoardList->setUniformRowHeights(true);
    BoardList->setSelectionMode(QAbstractItemView::SingleSelection);
    BoardList->setSelectionBehavior(QAbstractItemView::SelectRows);
    BoardList->header()->setSectionsClickable(true);
    BoardList->header()->setSortIndicatorShown(false);
    BoardList->setColumnWidth(kSerialColumn, 90);
    BoardList->setColumnWidth(kProductColumn, 90);
    BoardList->setColumnWidth(kManufacturerColumn, 110);
    BoardList->setMinimumSize(560, 220);
    connect(BoardList->header(), &QHeaderView::sectionClicked, this, &TRenumberForm::SortBy);

    DuplicateLabel = new QLabel(this);
    DuplicateLabel->setObjectName(QStringLiteral("DuplicateLabel"));
    DuplicateLabel->setWordWrap(true);
    DuplicateLabel->setStyleSheet(QStringLiteral("color: #8a4b00;"));
    DuplicateLabel->hide();

    CopyResultLabel = new QLabel(this);
    CopyResultLabel->setObjectName(QStringLiteral("CopyResultLabel"));

    auto* countLabel = new QLabel(QStringLiteral("no. boards found:"), this);
    BoardCountEdit = new QLineEdit(QStringLiteral("0"), this);
    BoardCountEdit->setObjectName(QStringLiteral("BoardCountEdit"));
    BoardCountEdit->setReadOnly(true);
    BoardCountEdit->setFocusPolicy(Qt::NoFocus);
    BoardCountEdit->setMaximumWidth(70);
    countLabel->setBuddy(BoardCountEdit);

    auto* serialLabel = new QLabel(QStringLiteral("New Serial Number:"), this);
    SerialNumberEdit = MakeSpin(this, QStringLiteral("SerialNumberEdit"), TRenumberEngine::kMinSerial,
                                TRenumberEngine::kMaxSerial, 1000);
    serialLabel->setBuddy(SerialNumberEdit);

    auto button = [this](const char* caption, const char* name, void (TRenumberForm::*handler)()) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    DiscoverButton = button("Discover Boards", "DiscoverButton", &TRenumberForm::DiscoverButtonClick);
    IdentifyButton = button("Identify Board", "IdentifyButton", &TRenumberForm::IdentifyButtonClick);
    RenumberButton = button("Renumber Selected Board", "RenumberButton", &TRenumberForm::RenumberButtonClick);
    CopyNewBoardsButton = button("Copy new to Configure ", "CopyNewBoardsButton", &TRenumberForm::CopyNewBoardsButtonClick);
    CopyNewBoardsButton->setToolTip(QStringLiteral("Copy newly discovered boards to the Configure Boards window"));
    HelpButton = button("&Help", "HelpButton", &TRenumberForm::HelpButtonClick);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setAutoDefault(false);
    connect(CloseButton, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, CloseButton, &QPushButton::click);

    auto* fields = new QHBoxLayout;
    fields->addWidget(countLabel);
    fields->addWidget(BoardCountEdit);
    fields->addSpacing(24);
    fields->addWidget(serialLabel);
    fields->addWidget(SerialNumberEdit);
    fields->addStretch(1);
    fields->addWidget(CopyResultLabel);

    auto* actions = new QHBoxLayout;
    actions->addWidget(DiscoverButton);
    actions->addWidget(IdentifyButton);
    actions->addWidget(RenumberButton);
    actions->addWidget(CopyNewBoardsButton);
    actions->addStretch(1);
    actions->addWidget(HelpButton);
    actions->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu);
    layout->addWidget(BoardList, 1);
    layout->addWidget(DuplicateLabel);
    layout->addLayout(fields);
    layout->addLayout(actions);

    setTabOrder(BoardList, SerialNumberEdit);
    setTabOrder(SerialNumberEdit, DiscoverButton);
    setTabOrder(DiscoverButton, IdentifyButton);
    setTabOrder(IdentifyButton, RenumberButton);
    setTabOrder(RenumberButton, CopyNewBoardsButton);
    setTabOrder(CopyNewBoardsButton, HelpButton);
    setTabOrder(HelpButton, CloseButton);
}

// ---- Commands ----

bool TRenumberForm::LinkReady()
{
    const TLinkState link = workbench_.LinkState();
    if (link.open && link.connected)
        return true;
    // A network link waiting for its server again would let a discovery end
    // "complete" with no board: refused as the board configuration window does.
    const QString text =
        link.open ? QStringLiteral("port not connected: %1 is reconnecting").arg(link.port)
                  : QStringLiteral("LocoNet port %1 is not open: nothing can be sent to the boards").arg(link.port);
    workbench_.ShowProgStatus(text);
    ShowNotice(this, QString::fromLatin1(RenumberTexts::kErrorCaption), text);
    return false;
}

void TRenumberForm::DiscoverButtonClick()
{
    if (!engine_.IsIdle() || !LinkReady())
        return;
    CopyResultLabel->clear();
    engine_.Discover();
}

void TRenumberForm::IdentifyButtonClick()
{
    if (!engine_.IsIdle())
        return;
    // A missing selection is refused before the port matters.
    const int position = SelectedPosition();
    if (position >= 0 && !LinkReady())
        return;
    engine_.Identify(position);
}

void TRenumberForm::RenumberButtonClick()
{
    if (!engine_.IsIdle())
        return;
    const int position = SelectedPosition();
    if (position >= 0 && !LinkReady())
        return;
    // A number still being typed counts as entered.
    SerialNumberEdit->interpretText();
    engine_.Renumber(position, SerialNumberEdit->value());
}

void TRenumberForm::CopyNewBoardsButtonClick()
{
    if (!engine_.IsIdle())
        return;
    if (engine_.Boards().empty()) {
        CopyResultLabel->clear();
        engine_.CopyNewBoards(workbench_.BoardData());  // says why nothing can be copied
        return;
    }
    const int added = engine_.CopyNewBoards(workbench_.BoardData());
    if (added > 0)
        workbench_.AnnounceBoardListsChanged();
    // The lists may be in a window that is closed or hidden: the count is the
    // only sign here that the copy did something.
    CopyResultLabel->setText(added == 0   ? QStringLiteral("No new boards to add to the lists")
                             : added == 1 ? QStringLiteral("1 board added to the lists")
                                          : QStringLiteral("%1 boards added to the lists").arg(added));
}

void TRenumberForm::HelpButtonClick()
{
    workbench_.ShowHelp(kHelpTopic);
}

void TRenumberForm::HandleSvMessage(const TLNSVProgMessage& message)
{
    if (!closed_)
        engine_.HandleSvMessage(message);
}

void TRenumberForm::LinkLost(const QString& reason)
{
    if (closed_ || engine_.IsIdle())
        return;
    const TRenumberState state = engine_.State();
    // No reply can come any more: waiting out the time-out would only
    // pretend otherwise, and a discovery would call itself complete.
    engine_.GoIdle();
    QString operation;
    switch (state) {
    case TRenumberState::eDiscovering:
        operation = QStringLiteral("Discovery");
        // The boards that answered before the link went stay listed.
        ShowBoards();
        break;
    case TRenumberState::eIdentifying:
        operation = QStringLiteral("Identify");
        break;
    case TRenumberState::eIdentifyBeforeChange:
    case TRenumberState::eChangingAddress:
        operation = QStringLiteral("Change of serial number");
        break;
    case TRenumberState::eIdle:
        return;
    }
    workbench_.ShowProgStatus(QStringLiteral("%1 stopped: the link was lost (%2)").arg(operation, reason));
}

void TRenumberForm::closeEvent(QCloseEvent* event)
{
    if (!closed_) {
        closed_ = true;
        engine_.GoIdle();
        workbench_.ShowProgStatus(QString::fromLatin1(RenumberTexts::kInactive));
        workbench_.Unsubscribe(this);
        emit Closed();
    }
    QWidget::closeEvent(event);
}

// ---- What the engine reports ----

void TRenumberForm::SendMessage(std::unique_ptr<TLNSVProgMessage> message)
{
    workbench_.SendMessage(std::move(message));
}

void TRenumberForm::StatusText(const std::string& text)
{
    workbench_.ShowProgStatus(QString::fromStdString(text));
}

void TRenumberForm::MessageBox(const std::string& text, const std::string& caption)
{
    // Often called from inside the main window's receive dispatch: the notice
    // must not hold it up (ShowNotice opens the box without a nested loop).
    ShowNotice(this, QString::fromStdString(caption), QString::fromStdString(text));
}

void TRenumberForm::ErrorMessage(const std::string& text)
{
    ShowNotice(this, QString::fromLatin1(RenumberTexts::kErrorCaption), QString::fromStdString(text));
}

void TRenumberForm::BoardListChanged(const std::vector<std::string>& lines)
{
    if (BoardList == nullptr)
        return;
    // The engine's lines are its boards in order, or texts of its own.
    if (!lines.empty() && lines.size() == engine_.Boards().size())
        ShowBoards();
    else
        ShowTextLines(lines);
}

void TRenumberForm::BoardCountChanged(int count)
{
    if (BoardCountEdit != nullptr)
        BoardCountEdit->setText(QString::number(count));
}

void TRenumberForm::ButtonsChanged(const TRenumberButtons& buttons)
{
    if (DiscoverButton == nullptr)
        return;
    DiscoverButton->setEnabled(buttons.discover);
    DiscoverBoards1->setEnabled(buttons.discover);
    IdentifyButton->setEnabled(buttons.identify);
    IdentifyBoard1->setEnabled(buttons.identify);
    RenumberButton->setEnabled(buttons.renumber);
    ChangeBoardAddress1->setEnabled(buttons.renumber);
    CopyNewBoardsButton->setEnabled(buttons.copyNewBoards);
}

// ---- The board list ----

void TRenumberForm::ShowTextLines(const std::vector<std::string>& lines)
{
    BoardList->clear();
    for (const std::string& line : lines) {
        auto* item = new QTreeWidgetItem(BoardList);
        item->setText(0, QString::fromStdString(line));
        item->setData(0, kPositionRole, -1);
        item->setFlags(Qt::ItemIsEnabled);
        item->setFirstColumnSpanned(true);
    }
    MarkDuplicates();
}

void TRenumberForm::ShowBoards()
{
    const int selected = SelectedPosition();
    BoardList->clear();
    const auto& boards = engine_.Boards();
    for (int position = 0; position < static_cast<int>(boards.size()); ++position) {
        const TRenumberableBoard& board = *boards[position];
        auto* item = new QTreeWidgetItem(BoardList);
        // A number, so that the column sorts as numbers.
        // The number the board answers at; a board of another maker keeps its
        // own serial number apart, shown beside the description.
        item->setData(kSerialColumn, Qt::DisplayRole, board.Address());
        item->setText(kProductColumn, QString::fromStdString(board.Product()));
        item->setText(kManufacturerColumn, QString::fromStdString(board.Manufacturer()));
        QString description = QString::fromStdString(board.Description());
        if (board.HasSeparateAddress()) {
            const QString serial = QStringLiteral("serial %1").arg(board.SerialNumber());
            description = description.isEmpty() ? serial : description + QStringLiteral("  (") + serial + ')';
            item->setToolTip(kSerialColumn, QStringLiteral("Address %1, %2, manufacturer %3, developer %4, product %5")
                                                .arg(board.Address())
                                                .arg(serial)
                                                .arg(board.Manufacturer8())
                                                .arg(board.Developer8())
                                                .arg(board.DeviceId()));
        }
        item->setText(kDescriptionColumn, description);
        item->setData(0, kPositionRole, position);
    }
    if (sortColumn_ >= 0)
        BoardList->sortItems(sortColumn_, BoardList->header()->sortIndicatorOrder());
    MarkDuplicates();
    if (selected >= 0 && selected < static_cast<int>(boards.size()))
        SelectPosition(selected);
}

void TRenumberForm::SortBy(int column)
{
    Qt::SortOrder order = Qt::AscendingOrder;
    if (column == sortColumn_ && BoardList->header()->sortIndicatorOrder() == Qt::AscendingOrder)
        order = Qt::DescendingOrder;
    sortColumn_ = column;
    BoardList->header()->setSortIndicatorShown(true);
    BoardList->header()->setSortIndicator(column, order);
    // The text row shown while discovering stays where it is.
    if (BoardList->topLevelItemCount() > 0 && BoardPosition(BoardList->topLevelItem(0)) >= 0)
        BoardList->sortItems(column, order);
}

int TRenumberForm::BoardPosition(const QTreeWidgetItem* item) const
{
    if (item == nullptr)
        return -1;
    const QVariant position = item->data(0, kPositionRole);
    return position.isValid() ? position.toInt() : -1;
}

int TRenumberForm::SelectedPosition() const
{
    if (BoardList == nullptr)
        return -1;
    const QList<QTreeWidgetItem*> selected = BoardList->selectedItems();
    return selected.isEmpty() ? -1 : BoardPosition(selected.constFirst());
}

void TRenumberForm::SelectPosition(int position)
{
    for (int row = 0; row < BoardList->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = BoardList->topLevelItem(row);
        if (BoardPosition(item) == position) {
            BoardList->setCurrentItem(item);
            item->setSelected(true);
            return;
        }
    }
}

bool TRenumberForm::SharesSerial(int position) const
{
    const auto& boards = engine_.Boards();
    if (position < 0 || position >= static_cast<int>(boards.size()))
        return false;
    for (int other = 0; other < static_cast<int>(boards.size()); ++other) {
        if (other != position && boards[other]->Address() == boards[position]->Address())
            return true;
    }
    return false;
}

void TRenumberForm::MarkDuplicates()
{
    const auto& boards = engine_.Boards();
    std::map<int32_t, int> answers;  // serial number -> boards answering with it
    for (const auto& board : boards)
        ++answers[board->Address()];

    QStringList clashes;
    for (const auto& [serial, count] : answers) {
        if (count > 1)
            clashes << QString::number(serial);
    }
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int row = 0; row < BoardList->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = BoardList->topLevelItem(row);
        const int position = BoardPosition(item);
        if (position < 0 || position >= static_cast<int>(boards.size()))
            continue;
        const int32_t serial = boards[position]->Address();
        if (answers[serial] < 2)
            continue;
        const QString tip = QStringLiteral("%1 boards answer with serial number %2: programming the SVs of either "
                                           "is unsafe while they share it. Give one of them a new number.")
                                .arg(answers[serial])
                                .arg(serial);
        item->setIcon(kSerialColumn, warning);
        for (int column = 0; column < kColumnCount; ++column) {
            item->setBackground(column, kClashColour);
            item->setToolTip(column, tip);
        }
    }
    if (clashes.isEmpty()) {
        DuplicateLabel->clear();
        DuplicateLabel->hide();
    } else {
        DuplicateLabel->setText(QStringLiteral("Serial number shared by more than one board: %1. SV programming of "
                                               "these boards is unsafe until each has its own number.")
                                    .arg(clashes.join(QStringLiteral(", "))));
        DuplicateLabel->show();
    }
}
