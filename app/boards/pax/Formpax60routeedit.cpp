#include "app/boards/pax/Formpax60routeedit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/pax/Formpax60conditions.h"

#include <QColor>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 430;

}  // namespace

TPAX60RouteEditForm::TPAX60RouteEditForm(QWidget* parent, TPAX60Route& route)
    : QDialog(parent), FRoute(route), FCopy(route)
{
    setObjectName(QStringLiteral("PAX60RouteEditForm"));
    setWindowTitle(QStringLiteral("Edit Route %1").arg(route.Number));

    RouteListBox = new QListWidget(this);
    RouteListBox->setObjectName(QStringLiteral("RouteListBox"));
    RouteListBox->setMinimumWidth(300);
    RouteListBox->setMinimumHeight(RouteListBox->fontMetrics().height() * 14 + 20);
    StateButton = MakeCombo(this, QStringLiteral("StateButton"), {"Undefined", "Closed", "Thrown"});
    PointNumberSpin = MakeSpin(this, QStringLiteral("PointNumberSpin"), 1, TPAX60Route::kMaxPoint, 1);
    RouteCondListBox = new QListWidget(this);
    RouteCondListBox->setObjectName(QStringLiteral("RouteCondListBox"));
    RouteCondListBox->setFixedHeight(RouteCondListBox->fontMetrics().height() * 5 + 14);
    DefineConditions = new QPushButton(QStringLiteral("Define"), this);
    DefineConditions->setObjectName(QStringLiteral("DefineConditions"));
    DefineConditions->setAutoDefault(false);
    LearnClosed = new QPushButton(QStringLiteral("Learn"), this);
    LearnClosed->setObjectName(QStringLiteral("LearnClosed"));
    LearnClosed->setAutoDefault(false);
    LearnClosed->setEnabled(false);  // learning from the bus is not offered

    auto* entry = new QFormLayout;
    entry->addRow(QStringLiteral("State"), StateButton);
    entry->addRow(QStringLiteral("Point"), PointNumberSpin);
    auto* trigger = new QVBoxLayout;
    trigger->addWidget(new QLabel(QStringLiteral("Trigger route when"), this));
    trigger->addWidget(RouteCondListBox);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(DefineConditions);
    buttons->addWidget(LearnClosed);
    buttons->addStretch();
    trigger->addLayout(buttons);
    FitLabel = new QLabel(this);
    FitLabel->setObjectName(QStringLiteral("FitLabel"));
    FitLabel->setWordWrap(true);
    FitLabel->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    FitLabel->hide();
    auto* right = new QVBoxLayout;
    right->addLayout(entry);
    right->addLayout(trigger);
    right->addWidget(FitLabel);
    right->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(RouteListBox);
    body->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(MakeDialogButtons(this, kHelpTopic));

    connect(RouteListBox, &QListWidget::currentRowChanged, this, &TPAX60RouteEditForm::RouteListBoxClick);
    connect(StateButton, &QComboBox::currentIndexChanged, this, &TPAX60RouteEditForm::StateButtonChange);
    connect(PointNumberSpin, &QSpinBox::valueChanged, this, &TPAX60RouteEditForm::PointNumberSpinChange);
    connect(DefineConditions, &QPushButton::clicked, this, &TPAX60RouteEditForm::DefineConditionsClick);

    RefreshList();
    FillConditionList(RouteCondListBox, FCopy.TriggerConditions);
    ShowPosition();
}

bool TPAX60RouteEditForm::EditRoute(QWidget* opener, TPAX60Route& route)
{
    TPAX60RouteEditForm form(opener, route);
    PlaceDialog(&form, opener->window()->pos() + QPoint(30, 30));
    return form.exec() == QDialog::Accepted;
}

void TPAX60RouteEditForm::accept()
{
    StorePosition();
    FRoute = FCopy;
    QDialog::accept();
}

void TPAX60RouteEditForm::RefreshList()
{
    FShowing = true;
    RouteListBox->clear();
    for (int position = 1; position <= TPAX60Route::kMaxEntries; ++position)
        RouteListBox->addItem(ToQ(FCopy.EntryText(position)));
    RouteListBox->addItem(QStringLiteral("%1 points in route;").arg(FCopy.EntryCount));
    const bool fits = FCopy.Fits();
    RouteListBox->addItem(fits ? QStringLiteral("Route fits into SV space!") : QStringLiteral("!Route does not fit!"));
    // The summary lines are not entries: they cannot be selected.
    for (int row = TPAX60Route::kMaxEntries; row < RouteListBox->count(); ++row)
        RouteListBox->item(row)->setFlags(Qt::ItemIsEnabled);
    // The last line may be scrolled out of sight: the reason stands beside
    // the list as well, with the limit that was passed.
    if (!fits)
        RouteListBox->item(RouteListBox->count() - 1)->setForeground(QColor(0xb0, 0, 0));
    FitLabel->setText(fits ? QString()
                           : QStringLiteral("!Route does not fit! Its points take %1 bytes of the %2 a route has: "
                                            "a point of this board takes 1, any other point 2.")
                                 .arg(FCopy.BytesUsed())
                                 .arg(TPAX60Route::kRouteBytes));
    FitLabel->setVisible(!fits);
    RouteListBox->setCurrentRow(FPosition);
    FShowing = false;
}

void TPAX60RouteEditForm::ShowPosition()
{
    FShowing = true;
    const bool defined = FPosition < static_cast<int>(FCopy.EntryCount);
    const int state = defined ? int{FCopy.StateAt(FPosition)} : int{kPax60RouteUndef};
    StateButton->setCurrentIndex(state);
    const bool hasPoint = state == kPax60RouteClosed || state == kPax60RouteThrown;
    PointNumberSpin->setValue(hasPoint ? FCopy.PointAt(FPosition) : 1);
    PointNumberSpin->setEnabled(hasPoint);
    FShowing = false;
}

void TPAX60RouteEditForm::StorePosition()
{
    const auto state = static_cast<uint8_t>(StateButton->currentIndex());
    const int32_t point = state == kPax60RouteUndef ? 1 : PointNumberSpin->value();
    const bool compacted = FCopy.SetEntry(FPosition, point, state);
    if (compacted)
        FPosition = 0;
    else if (state != kPax60RouteUndef && FPosition >= static_cast<int>(FCopy.EntryCount))
        // An entry set beyond the last one joins the route as its new last
        // entry: follow it there, so that the next change edits that entry.
        FPosition = static_cast<int>(FCopy.EntryCount) - 1;
    RefreshList();
}

void TPAX60RouteEditForm::RouteListBoxClick()
{
    if (FShowing)
        return;
    const int row = RouteListBox->currentRow();
    if (row < 0 || row >= TPAX60Route::kMaxEntries) {
        FShowing = true;
        RouteListBox->setCurrentRow(FPosition);
        FShowing = false;
        return;
    }
    FPosition = row;
    ShowPosition();
}

void TPAX60RouteEditForm::StateButtonChange()
{
    if (FShowing)
        return;
    const int state = StateButton->currentIndex();
    const bool hasPoint = state == kPax60RouteClosed || state == kPax60RouteThrown;
    FShowing = true;
    if (!hasPoint)
        PointNumberSpin->setValue(1);
    PointNumberSpin->setEnabled(hasPoint);
    FShowing = false;
    StorePosition();
    ShowPosition();
}

void TPAX60RouteEditForm::PointNumberSpinChange()
{
    if (FShowing)
        return;
    StorePosition();
}

void TPAX60RouteEditForm::DefineConditionsClick()
{
    TPAX60EditConditionsForm::EditConditions(this, FCopy.TriggerConditions);
    FillConditionList(RouteCondListBox, FCopy.TriggerConditions);
}
