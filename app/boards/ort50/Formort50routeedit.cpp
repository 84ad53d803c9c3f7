#include "app/boards/ort50/Formort50routeedit.h"

#include "app/boards/Editorsupport.h"
#include "boards/ort50/Tort50board.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kHelpTopic = 620;
const std::vector<std::string> kStateItems = {"Undefined", "Closed", "Thrown"};

}  // namespace

TORT50RouteEditForm::TORT50RouteEditForm(TORT50Route& route, const TORT50Cells& cells, QWidget* parent)
    : QDialog(parent), target_(route), cells_(cells), Route(route)
{
    setObjectName(QStringLiteral("ORT50RouteEditForm"));

    RouteListBox = new QListWidget(this);
    RouteListBox->setObjectName(QStringLiteral("RouteListBox"));
    RouteListBox->setMinimumWidth(300);
    RouteListBox->setMinimumHeight(RouteListBox->fontMetrics().height() * 16);
    PointNumberSpin = MakeSpin(this, QStringLiteral("PointNumberSpin"), 1, 2048, 1);
    StateButton = MakeCombo(this, QStringLiteral("StateButton"), kStateItems);
    FromSpin = MakeSpin(this, QStringLiteral("FromSpin"), 1, 24, 1);
    ToSpin = MakeSpin(this, QStringLiteral("ToSpin"), 1, 24, 1);
    CascadeCheck = new QCheckBox(QStringLiteral("Cascade"), this);
    CascadeCheck->setObjectName(QStringLiteral("CascadeCheck"));
    CascadeSpin = MakeSpin(this, QStringLiteral("CascadeSpin"), 1, 24, 1);
    SvCheck = new TSvCheckLabel(this);

    auto* entry = new QGroupBox(QStringLiteral("Selected Entry"), this);
    auto* entryForm = new QFormLayout(entry);
    entryForm->addRow(QStringLiteral("Point"), PointNumberSpin);
    entryForm->addRow(QStringLiteral("State"), StateButton);

    auto* buttons = new QGroupBox(QStringLiteral("Buttons"), this);
    auto* buttonForm = new QFormLayout(buttons);
    buttonForm->addRow(QStringLiteral("From Button"), FromSpin);
    buttonForm->addRow(QStringLiteral("To Button"), ToSpin);

    auto* cascade = new QGroupBox(QStringLiteral("Cascade"), this);
    auto* cascadeForm = new QFormLayout(cascade);
    cascadeForm->addRow(CascadeCheck);
    cascadeForm->addRow(QStringLiteral("Route Number"), CascadeSpin);

    auto* side = new QVBoxLayout;
    side->addWidget(entry);
    side->addWidget(buttons);
    side->addWidget(cascade);
    side->addStretch(1);

    auto* body = new QHBoxLayout;
    body->addWidget(RouteListBox, 1);
    body->addLayout(side);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(SvCheck);
    layout->addWidget(MakeDialogButtons(this, kHelpTopic));

    connect(RouteListBox, &QListWidget::currentRowChanged, this, [this] {
        if (handleChanges_)
            RouteListBoxClick();
    });
    connect(PointNumberSpin, &QSpinBox::valueChanged, this, [this] {
        if (handleChanges_)
            PointNumberSpinChange();
    });
    connect(StateButton, &QComboBox::currentIndexChanged, this, [this] {
        if (handleChanges_)
            StateButtonChange();
    });
    connect(CascadeCheck, &QCheckBox::clicked, this, [this] { CascadeCheckClick(); });
    connect(CascadeSpin, &QSpinBox::valueChanged, this, [this] {
        Route.cascadeRoute = CascadeSpin->value();
        FillList(RouteListBox->currentRow());
    });

    FormShow();
}

int TORT50RouteEditForm::EntryRows() const
{
    return std::max(Route.EntryCapacity(), static_cast<int>(Route.Length()));
}

void TORT50RouteEditForm::FormShow()
{
    handleChanges_ = false;
    setWindowTitle(QStringLiteral("Edit Route %1").arg(Route.number));
    ShowNumber(FromSpin, Route.fromButton);
    ShowNumber(ToSpin, Route.toButton);
    ShowNumber(CascadeSpin, Route.cascadeRoute);
    CascadeCheck->setChecked(Route.cascade);
    CascadeSpin->setEnabled(Route.cascade);
    FromSpin->setEnabled(Route.toFromMode);
    ToSpin->setEnabled(Route.toFromMode);
    FillList(0);
    LoadRow(0);
}

void TORT50RouteEditForm::FillList(int selectRow)
{
    const bool handling = handleChanges_;
    handleChanges_ = false;
    const int scroll = RouteListBox->verticalScrollBar() ? RouteListBox->verticalScrollBar()->value() : 0;
    RouteListBox->clear();
    const int rows = EntryRows();
    for (int entry = 1; entry <= rows; ++entry)
        RouteListBox->addItem(ToQ(Route.RoutePointText(entry, cells_)));
    // The two summary lines are not entries and cannot be chosen.
    const QStringList summary = {
        QStringLiteral("%1 points in route;").arg(Route.Length()),
        Route.RouteFits(cells_) ? QStringLiteral("Route fits into SV space!") : QStringLiteral("!Route does not fit!")};
    for (const QString& line : summary) {
        auto* item = new QListWidgetItem(line, RouteListBox);
        item->setFlags(Qt::NoItemFlags);
        item->setForeground(RouteListBox->palette().text());
    }
    RouteListBox->setCurrentRow(std::clamp(selectRow, 0, rows - 1));
    RouteListBox->verticalScrollBar()->setValue(scroll);
    handleChanges_ = handling;
    UpdateSvCheck();
}

void TORT50RouteEditForm::LoadRow(int row)
{
    handleChanges_ = false;
    const uint8_t state = Route.RouteStateAt(row);
    StateButton->setCurrentIndex(state < kStateItems.size() ? state : 0);
    if (state == kOrtStateUndefined) {
        PointNumberSpin->setValue(1);
        PointNumberSpin->setEnabled(false);
    } else {
        PointNumberSpin->setValue(Route.RoutePointAt(row));
        PointNumberSpin->setEnabled(true);
    }
    handleChanges_ = true;
    RouteListBox->setCurrentRow(row);
}

void TORT50RouteEditForm::RouteListBoxClick() { LoadRow(std::max(RouteListBox->currentRow(), 0)); }

void TORT50RouteEditForm::PointNumberSpinChange() { ApplyRow(); }

void TORT50RouteEditForm::StateButtonChange()
{
    const bool defined = StateButton->currentIndex() != kOrtStateUndefined;
    handleChanges_ = false;
    if (!defined)
        PointNumberSpin->setValue(1);
    PointNumberSpin->setEnabled(defined);
    handleChanges_ = true;
    ApplyRow();
}

void TORT50RouteEditForm::ApplyRow()
{
    const int row = std::max(RouteListBox->currentRow(), 0);
    const auto state = static_cast<uint8_t>(StateButton->currentIndex());
    const int32_t point = state == kOrtStateUndefined ? 1 : PointNumberSpin->value();
    const uint32_t lengthBefore = Route.Length();
    const bool removed = Route.SetRoutePoint(row, point, state);
    // An entry set beyond the end goes to the end: select it there, so the
    // modeller sees the entry just made rather than an empty row.
    int select = row;
    if (removed)
        select = 0;
    else if (Route.Length() > lengthBefore)
        select = static_cast<int>(Route.Length()) - 1;
    FillList(select);
    LoadRow(select);
}

void TORT50RouteEditForm::CascadeCheckClick()
{
    CascadeSpin->setEnabled(CascadeCheck->isChecked());
    // The cascade takes a byte of the route: the rows and the fit follow at once.
    Route.cascade = CascadeCheck->isChecked();
    Route.cascadeRoute = CascadeSpin->value();
    FillList(RouteListBox->currentRow());
    LoadRow(RouteListBox->currentRow());
}

void TORT50RouteEditForm::UpdateSvCheck()
{
    // The route alone on a board with these cells: the board's verdict on this route.
    TORT50Board scratch;
    scratch.Cells() = cells_;
    scratch.SetToFromNumbering(Route.toFromMode);
    TORT50Route& copy = scratch.RouteAt(Route.number >= 1 && Route.number <= kOrtRouteCount ? Route.number - 1 : 0);
    const int32_t number = copy.number;
    copy = Route;
    copy.number = number;
    SvCheck->Check(scratch);
}

void TORT50RouteEditForm::done(int result)
{
    FormClose(result == QDialog::Accepted);
    QDialog::done(result);
}

void TORT50RouteEditForm::FormClose(bool ok)
{
    if (!ok)
        return;
    Route.fromButton = FromSpin->value();
    Route.toButton = ToSpin->value();
    Route.cascade = CascadeCheck->isChecked();
    Route.cascadeRoute = CascadeSpin->value();
    // The current row once more, for a point typed but not applied yet. A row
    // whose controls still show its entry is left alone, whichever row it
    // is: applying it would drop the route's "UNDEF" entries when a defined
    // row is selected and keep them otherwise, so OK would keep a different
    // route depending on the selection, and change an untouched one.
    const int row = std::max(RouteListBox->currentRow(), 0);
    const int state = StateButton->currentIndex();
    if (state != Route.RouteStateAt(row) ||
        (state != kOrtStateUndefined && PointNumberSpin->value() != Route.RoutePointAt(row)))
        ApplyRow();
    // Number and to/from mode belong to the board, not to the editor.
    const int32_t number = target_.number;
    const bool toFromMode = target_.toFromMode;
    target_ = Route;
    target_.number = number;
    target_.toFromMode = toFromMode;
}
