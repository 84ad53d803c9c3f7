#include "app/boards/Formcompareboards.h"

#include "app/common/Formsupport.h"
#include "app/common/Workbench.h"
#include "boards/core/Atomicfile.h"
#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>

#include <ostream>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// Colour and a marker, so that the difference does not rest on colour alone.
const QColor kDiffersColour(255, 214, 214);
const QColor kFileOnlyColour(255, 243, 196);
const QString kDiffersMarker = QStringLiteral("\u2260");  // not equal
const QString kFileOnlyMarker = QStringLiteral("~");

QString BoardLabel(const TConfigurableBoard& board)
{
    const QString serial = board.IsSerialValid() ? QString::number(board.SerialNumber()) : QStringLiteral("not set");
    return serial + QStringLiteral(" ") + Q(board.Name());
}

}  // namespace

TCompareBoardsForm::TCompareBoardsForm(TWorkbench& workbench, uint8_t type, int index, QWidget* parent)
    : QWidget(parent), workbench_(workbench), type_(type), index_(index)
{
    setObjectName(QStringLiteral("CompareBoardsForm"));
    setWindowTitle(QStringLiteral("Compare Boards"));
    SetHelpContext(this, kHelpTopic);

    OtherBox = new QComboBox(this);
    OtherBox->setObjectName(QStringLiteral("OtherBox"));
    OtherBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* otherLabel = new QLabel(QStringLiteral("&Compare with:"), this);
    otherLabel->setBuddy(OtherBox);
    FileButton = new QPushButton(QStringLiteral("&File..."), this);
    FileButton->setObjectName(QStringLiteral("FileButton"));
    BusButton = new QPushButton(QStringLiteral("&Read from Bus"), this);
    BusButton->setObjectName(QStringLiteral("BusButton"));
    BusButton->setAutoDefault(false);
    BusButton->setToolTip(QStringLiteral("Read the board at its serial number now and compare with what it holds"));
    OnlyDifferencesBox = new QCheckBox(QStringLiteral("&Only differences"), this);
    OnlyDifferencesBox->setObjectName(QStringLiteral("OnlyDifferencesBox"));

    SettingsView = new QTreeWidget(this);
    SettingsView->setObjectName(QStringLiteral("SettingsView"));
    SettingsView->setColumnCount(4);
    SettingsView->setUniformRowHeights(true);
    // Groups are always open: no branches, and the marker column keeps its place.
    SettingsView->setRootIsDecorated(false);
    SettingsView->setIndentation(0);
    SettingsView->setItemsExpandable(false);
    SettingsView->setAllColumnsShowFocus(true);
    SettingsView->setSelectionMode(QAbstractItemView::SingleSelection);
    SettingsView->header()->setSectionResizeMode(QHeaderView::Interactive);
    SettingsView->setColumnWidth(0, 28);
    SettingsView->setColumnWidth(1, 300);
    SettingsView->setColumnWidth(2, 230);
    SettingsView->setColumnWidth(3, 230);

    SummaryLabel = new QLabel(this);
    SummaryLabel->setObjectName(QStringLiteral("SummaryLabel"));
    auto* keys = new QLabel(QStringLiteral("F3 / Shift+F3: next / previous difference"), this);
    keys->setEnabled(false);

    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    CopyButton = button(QStringLiteral("Cop&y"), "CopyButton");
    SaveButton = button(QStringLiteral("&Save as text..."), "SaveButton");
    CloseButton = button(QStringLiteral("Close"), "CloseButton");
    FileButton->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(otherLabel);
    top->addWidget(OtherBox, 1);
    top->addWidget(FileButton);
    top->addWidget(BusButton);
    top->addSpacing(12);
    top->addWidget(OnlyDifferencesBox);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(SummaryLabel, 1);
    bottom->addWidget(keys);
    bottom->addSpacing(12);
    bottom->addWidget(CopyButton);
    bottom->addWidget(SaveButton);
    bottom->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(SettingsView, 1);
    layout->addLayout(bottom);

    setTabOrder(OtherBox, FileButton);
    setTabOrder(FileButton, BusButton);
    setTabOrder(BusButton, OnlyDifferencesBox);
    setTabOrder(OnlyDifferencesBox, SettingsView);
    setTabOrder(SettingsView, CopyButton);
    setTabOrder(CopyButton, SaveButton);
    setTabOrder(SaveButton, CloseButton);

    auto* next = new QShortcut(QKeySequence(Qt::Key_F3), this);
    next->setContext(Qt::WidgetWithChildrenShortcut);
    connect(next, &QShortcut::activated, this, &TCompareBoardsForm::NextDifference);
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    previous->setContext(Qt::WidgetWithChildrenShortcut);
    connect(previous, &QShortcut::activated, this, &TCompareBoardsForm::PreviousDifference);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] { CloseFormWindow(this); });

    connect(OtherBox, &QComboBox::currentIndexChanged, this, [this] { Compare(); });
    connect(FileButton, &QPushButton::clicked, this, &TCompareBoardsForm::FileClick);
    connect(BusButton, &QPushButton::clicked, this, [this] {
        BusButton->setEnabled(false);
        SummaryLabel->setText(QStringLiteral("Reading the board from the bus..."));
        emit BusWanted();
    });
    connect(OnlyDifferencesBox, &QCheckBox::toggled, this, [this] { ApplyFilter(); });
    connect(CopyButton, &QPushButton::clicked, this, &TCompareBoardsForm::CopyClick);
    connect(SaveButton, &QPushButton::clicked, this, &TCompareBoardsForm::SaveClick);
    connect(CloseButton, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });

    FillOtherBox();
    Compare();
    resize(900, 600);
}

TCompareBoardsForm::~TCompareBoardsForm() = default;

void TCompareBoardsForm::FillOtherBox()
{
    const QSignalBlocker block(OtherBox);
    const QVariant current = OtherBox->currentData();
    OtherBox->clear();
    if (hasBus_)
        OtherBox->addItem(QStringLiteral("What the bus holds (as last verified)"), QList<QVariant>{eBus, 0});
    for (size_t i = 0; i < own_.size(); ++i)
        OtherBox->addItem(own_[i].second, QList<QVariant>{eOwnBoard, int(i)});
    TBoardData& lists = workbench_.BoardData();
    for (int i = 0; i < lists.BoardCount(type_); ++i) {
        if (i != index_ || lists.BoardCount(type_) == 1)
            OtherBox->addItem(QStringLiteral("This list: ") + BoardLabel(*lists.BoardAt(type_, i)),
                              QList<QVariant>{eListBoard, i});
    }
    if (file_) {
        const QString name = QFileInfo(fileName_).fileName();
        for (int i = 0; i < file_->BoardCount(type_); ++i)
            OtherBox->addItem(name + QStringLiteral(": ") + BoardLabel(*file_->BoardAt(type_, i)),
                              QList<QVariant>{eFileBoard, i});
    }
    const int keep = OtherBox->findData(current);
    OtherBox->setCurrentIndex(keep >= 0 ? keep : 0);
}

void TCompareBoardsForm::SetBusReadFailed(const QString& why)
{
    BusButton->setEnabled(true);
    SummaryLabel->setText(QStringLiteral("Not read from the bus: ") + why);
}

void TCompareBoardsForm::SetBusImage(const std::vector<uint8_t>& image)
{
    BusButton->setEnabled(true);
    busImage_ = image;
    hasBus_ = true;
    FillOtherBox();
    OtherBox->setCurrentIndex(0);
    Compare();
}

void TCompareBoardsForm::AddBoard(std::unique_ptr<TConfigurableBoard> board, const QString& label)
{
    if (!board)
        return;
    own_.emplace_back(std::move(board), label);
    FillOtherBox();
    OtherBox->setCurrentIndex(OtherBox->findData(QList<QVariant>{eOwnBoard, int(own_.size() - 1)}));
    Compare();
}

bool TCompareBoardsForm::LoadFile(const QString& fileName)
{
    auto data = std::make_unique<TBoardData>();
    if (!data->LoadList(type_, fileName.toStdString())) {
        ShowErrorText(this, Q(data->LastErrorText()));
        return false;
    }
    file_ = std::move(data);
    fileName_ = fileName;
    FillOtherBox();
    const int first = OtherBox->findData(QList<QVariant>{eFileBoard, 0});
    if (first >= 0)
        OtherBox->setCurrentIndex(first);
    Compare();
    return true;
}

void TCompareBoardsForm::FileClick()
{
    const QString fileName = workbench_.OpenFileDialog(QStringLiteral("Compare with a board of the file"));
    if (!fileName.isEmpty())
        LoadFile(fileName);
}

QString TCompareBoardsForm::NameA() const
{
    const QList<QVariant> source = OtherBox->currentData().toList();
    return !source.isEmpty() && source[0].toInt() == eBus ? QStringLiteral("bus") : QStringLiteral("this board");
}

QString TCompareBoardsForm::NameB() const
{
    const QList<QVariant> source = OtherBox->currentData().toList();
    return !source.isEmpty() && source[0].toInt() == eBus ? QStringLiteral("configuration") : QStringLiteral("other");
}

void TCompareBoardsForm::Compare()
{
    comparison_ = {};
    TConfigurableBoard* board = workbench_.BoardData().BoardAt(type_, index_);
    const QList<QVariant> source = OtherBox->currentData().toList();
    if (board && source.size() == 2) {
        const int kind = source[0].toInt();
        const int position = source[1].toInt();
        if (kind == eBus) {
            comparison_ = CompareBoardWithImage(busImage_, *board);
        } else {
            TConfigurableBoard* other = nullptr;
            if (kind == eOwnBoard)
                other = position >= 0 && size_t(position) < own_.size() ? own_[size_t(position)].first.get() : nullptr;
            else if (kind == eFileBoard)
                other = file_ ? file_->BoardAt(type_, position) : nullptr;
            else
                other = workbench_.BoardData().BoardAt(type_, position);
            if (other)
                comparison_ = CompareBoards(*board, *other);
        }
    }
    ShowRows();
}

void TCompareBoardsForm::ShowRows()
{
    SettingsView->clear();
    rowItems_.clear();
    const QList<QVariant> source = OtherBox->currentData().toList();
    const bool bus = !source.isEmpty() && source[0].toInt() == eBus;
    const TConfigurableBoard* board = workbench_.BoardData().BoardAt(type_, index_);
    const QString self = board ? BoardLabel(*board) : QString();
    SettingsView->setHeaderLabels({QString(), QStringLiteral("Setting"),
                                   bus ? QStringLiteral("On the bus") : QStringLiteral("This board: ") + self,
                                   bus ? QStringLiteral("Configuration: ") + self : OtherBox->currentText()});

    QTreeWidgetItem* group = nullptr;
    for (const TSettingRow& row : comparison_.rows) {
        if (!group || group->text(1) != Q(row.group)) {
            group = new QTreeWidgetItem(SettingsView, {QString(), Q(row.group)});
            QFont bold = group->font(1);
            bold.setBold(true);
            group->setFont(1, bold);
            group->setFirstColumnSpanned(false);
            group->setExpanded(true);
        }
        auto* item = new QTreeWidgetItem(group, {QString(), Q(row.setting), row.inA ? Q(row.a) : QStringLiteral("(none)"),
                                                 row.inB ? Q(row.b) : QStringLiteral("(none)")});
        if (row.differs || row.fileOnly) {
            item->setText(0, row.differs ? kDiffersMarker : kFileOnlyMarker);
            const QString why = row.differs ? QStringLiteral("differs on the board")
                                            : QStringLiteral("differs in the files only: the board holds neither");
            for (int column = 0; column < 4; ++column) {
                item->setBackground(column, row.differs ? kDiffersColour : kFileOnlyColour);
                item->setForeground(column, QColor(Qt::black));
                item->setToolTip(column, why);
            }
        }
        rowItems_.push_back(item);
    }
    for (int i = 0; i < SettingsView->topLevelItemCount(); ++i)
        SettingsView->topLevelItem(i)->setExpanded(true);

    const size_t differing = comparison_.Differences().size();
    const size_t fileOnly = comparison_.FileOnly().size();
    QString summary = differing == 0 ? QStringLiteral("The boards hold the same settings.")
                                     : QStringLiteral("%1 %2 on the board (%3).")
                                           .arg(differing)
                                           .arg(differing == 1 ? QStringLiteral("setting differs")
                                                               : QStringLiteral("settings differ"))
                                           .arg(kDiffersMarker);
    if (fileOnly > 0)
        summary += QStringLiteral("  %1 kept in the file only (%2).").arg(fileOnly).arg(kFileOnlyMarker);
    SummaryLabel->setText(summary);
    ApplyFilter();
}

void TCompareBoardsForm::ApplyFilter()
{
    const bool only = OnlyDifferencesBox->isChecked();
    for (size_t i = 0; i < rowItems_.size() && i < comparison_.rows.size(); ++i) {
        const TSettingRow& row = comparison_.rows[i];
        rowItems_[i]->setHidden(only && !row.differs && !row.fileOnly);
    }
    for (int i = 0; i < SettingsView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* group = SettingsView->topLevelItem(i);
        bool anyShown = false;
        for (int k = 0; k < group->childCount() && !anyShown; ++k)
            anyShown = !group->child(k)->isHidden();
        group->setHidden(!anyShown);
    }
}

void TCompareBoardsForm::StepDifference(int direction)
{
    const int count = static_cast<int>(rowItems_.size());
    if (count == 0)
        return;
    int from = -1;
    if (QTreeWidgetItem* current = SettingsView->currentItem()) {
        for (int i = 0; i < count; ++i)
            if (rowItems_[size_t(i)] == current)
                from = i;
    }
    if (from < 0)
        from = direction > 0 ? -1 : count;
    for (int step = 1; step <= count; ++step) {
        const int i = ((from + direction * step) % count + count) % count;
        const TSettingRow& row = comparison_.rows[size_t(i)];
        if ((row.differs || row.fileOnly) && !rowItems_[size_t(i)]->isHidden()) {
            SettingsView->setCurrentItem(rowItems_[size_t(i)]);
            SettingsView->scrollToItem(rowItems_[size_t(i)]);
            return;
        }
    }
}

void TCompareBoardsForm::NextDifference()
{
    StepDifference(+1);
}

void TCompareBoardsForm::PreviousDifference()
{
    StepDifference(-1);
}

QString TCompareBoardsForm::Text() const
{
    return Q(ComparisonText(comparison_, NameA().toStdString(), NameB().toStdString(),
                            !OnlyDifferencesBox->isChecked()));
}

void TCompareBoardsForm::CopyClick()
{
    QApplication::clipboard()->setText(Text());
}

void TCompareBoardsForm::SaveClick()
{
    const QString fileName = workbench_.SaveFileDialog(QStringLiteral("Save Comparison As"),
                                                       QStringLiteral("comparison.txt"));
    if (fileName.isEmpty())
        return;
    const std::string text = Text().toStdString();
    std::string error;
    if (!WriteFileAtomically(fileName.toStdString(), [&](std::ostream& out) { out << text; }, error))
        ShowErrorText(this, Q(error));
}
