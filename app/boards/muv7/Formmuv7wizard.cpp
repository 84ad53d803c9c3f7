#include "app/boards/muv7/Formmuv7wizard.h"

#include "app/boards/Editorsupport.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 720;

QPushButton* MakeGenerateButton(QWidget* page, const QString& objectName)
{
    auto* button = new QPushButton(QStringLiteral("&Generate"), page);
    button->setObjectName(objectName);
    // Enter goes to the dialog's default button, wherever the focus is:
    // this button until steps are generated, OK after.
    button->setAutoDefault(false);
    return button;
}

QLabel* Unit(QWidget* page, const QString& text) { return new QLabel(text, page); }

}  // namespace

TTMUV7Wizard::TTMUV7Wizard(TMUV7Sequence& sequence, QWidget* parent)
    : QDialog(parent), sequence_(sequence), copy_(sequence)
{
    setObjectName(QStringLiteral("TTMUV7Wizard"));
    setWindowTitle(QStringLiteral("MUV7 Pendulo Wizard"));

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(MakeStationStopPage(), QStringLiteral("Station Stop"));
    PageControl->addTab(MakeShuttlePage(), QStringLiteral("Shuttle"));
    PageControl->setCurrentIndex(0);

    auto* generatedBox = new QGroupBox(QStringLiteral("Generated steps"), this);
    GeneratedList = new QListWidget(generatedBox);
    GeneratedList->setObjectName(QStringLiteral("GeneratedList"));
    GeneratedList->setFocusPolicy(Qt::NoFocus);
    GeneratedList->setSelectionMode(QAbstractItemView::NoSelection);
    GeneratedList->setFixedHeight(GeneratedList->fontMetrics().height() * 4 + 16);
    GeneratedList->setMinimumWidth(GeneratedList->fontMetrics().horizontalAdvance(
                                       QStringLiteral("1: trigger when sensor 256,16 occupied; Start train opposite direction")) +
                                   30);
    auto* generatedLayout = new QVBoxLayout(generatedBox);
    generatedLayout->addWidget(GeneratedList);

    auto* buttons = MakeDialogButtons(this, kHelpTopic);
    OKBtn = buttons->button(QDialogButtonBox::Ok);
    CancelBtn = buttons->button(QDialogButtonBox::Cancel);
    HelpButton = buttons->button(QDialogButtonBox::Help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addWidget(generatedBox);
    layout->addWidget(buttons);

    connect(GenerateSStopBtn, &QPushButton::clicked, this, [this] { GenerateSStopBtnClick(); });
    connect(GenerateShuttleBtn, &QPushButton::clicked, this, [this] { GenerateShuttleBtnClick(); });
    connect(PageControl, &QTabWidget::currentChanged, this, [this] { ChooseDefaultButton(); });
    ChooseDefaultButton();
}

// OK before anything is generated would keep the sequence as it was, which
// is not what Enter on a filled-in page means.
void TTMUV7Wizard::ChooseDefaultButton()
{
    const bool onShuttle = PageControl->currentIndex() == 1;
    GenerateSStopBtn->setDefault(!generated_ && !onShuttle);
    GenerateShuttleBtn->setDefault(!generated_ && onShuttle);
    OKBtn->setDefault(generated_);
}

QWidget* TTMUV7Wizard::MakeStationStopPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("StationStopPage"));
    SStopSensBdSpin = MakeSpin(page, QStringLiteral("SStopSensBdSpin"), 1, 256, 10);
    SStopSensSpin = MakeSpin(page, QStringLiteral("SStopSensSpin"), 1, 16, 1);
    SStopWaitSpin = MakeSpin(page, QStringLiteral("SStopWaitSpin"), 1, 1000, 20);
    SStopVisitSpin = MakeSpin(page, QStringLiteral("SStopVisitSpin"), 1, 200, 1);
    SStopAccelSpin = MakeSpin(page, QStringLiteral("SStopAccelSpin"), 0, 9, 2);
    GenerateSStopBtn = MakeGenerateButton(page, QStringLiteral("GenerateSStopBtn"));

    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Station Sensor"), page), 0, 0);
    grid->addWidget(Unit(page, QStringLiteral("board")), 0, 1);
    grid->addWidget(SStopSensBdSpin, 0, 2);
    grid->addWidget(Unit(page, QStringLiteral("sensor")), 0, 3);
    grid->addWidget(SStopSensSpin, 0, 4);
    grid->addWidget(new QLabel(QStringLiteral("Wait Time"), page), 1, 0);
    grid->addWidget(SStopWaitSpin, 1, 2);
    grid->addWidget(Unit(page, QStringLiteral("s")), 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Stop Every"), page), 2, 0);
    grid->addWidget(SStopVisitSpin, 2, 2);
    grid->addWidget(Unit(page, QStringLiteral("Visits")), 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("Acceleration Time"), page), 3, 0);
    grid->addWidget(SStopAccelSpin, 3, 2);
    grid->addWidget(Unit(page, QStringLiteral("s")), 3, 3);
    grid->addWidget(GenerateSStopBtn, 4, 4);
    grid->setColumnStretch(5, 1);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget* TTMUV7Wizard::MakeShuttlePage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("ShuttlePage"));
    auto* grid = new QGridLayout(page);
    auto addEnd = [&](int row, const QString& name, const QString& prefix, int sensor, QSpinBox*& board,
                      QSpinBox*& sensorSpin, QSpinBox*& wait) {
        board = MakeSpin(page, prefix + QStringLiteral("SensBdSpin"), 1, 256, 10);
        sensorSpin = MakeSpin(page, prefix + QStringLiteral("SensSpin"), 1, 16, sensor);
        wait = MakeSpin(page, prefix + QStringLiteral("WaitSpin"), 1, 1000, 10);
        grid->addWidget(new QLabel(name, page), row, 0);
        grid->addWidget(Unit(page, QStringLiteral("board")), row, 1);
        grid->addWidget(board, row, 2);
        grid->addWidget(new QLabel(QStringLiteral("Sensor"), page), row, 3);
        grid->addWidget(sensorSpin, row, 4);
        grid->addWidget(new QLabel(QStringLiteral("Wait time"), page), row, 5);
        grid->addWidget(wait, row, 6);
        grid->addWidget(Unit(page, QStringLiteral("s")), row, 7);
    };
    addEnd(0, QStringLiteral("End 1"), QStringLiteral("End1"), 1, End1SensBdSpin, End1SensSpin, End1WaitSpin);
    addEnd(1, QStringLiteral("End 2"), QStringLiteral("End2"), 2, End2SensBdSpin, End2SensSpin, End2WaitSpin);
    ShuttleAccelSpin = MakeSpin(page, QStringLiteral("ShuttleAccelSpin"), 0, 9, 2);
    grid->addWidget(new QLabel(QStringLiteral("Acceleration time"), page), 2, 0);
    grid->addWidget(ShuttleAccelSpin, 2, 2);
    grid->addWidget(Unit(page, QStringLiteral("s")), 2, 3);
    GenerateShuttleBtn = MakeGenerateButton(page, QStringLiteral("GenerateShuttleBtn"));
    grid->addWidget(GenerateShuttleBtn, 3, 6, 1, 2);
    grid->setColumnStretch(8, 1);
    grid->setRowStretch(4, 1);
    return page;
}

void TTMUV7Wizard::GenerateSStopBtnClick()
{
    copy_.MakeStationStop(SStopSensBdSpin->value(), SStopSensSpin->value(), SStopWaitSpin->value(),
                          SStopVisitSpin->value(), SStopAccelSpin->value());
    ShowGenerated();
}

void TTMUV7Wizard::GenerateShuttleBtnClick()
{
    copy_.MakeShuttle(End1SensBdSpin->value(), End1SensSpin->value(), End1WaitSpin->value(),
                      End2SensBdSpin->value(), End2SensSpin->value(), End2WaitSpin->value(),
                      ShuttleAccelSpin->value());
    ShowGenerated();
}

void TTMUV7Wizard::ShowGenerated()
{
    generated_ = true;
    ChooseDefaultButton();
    GeneratedList->clear();
    for (int k = 0; k < kMuv7StepCount; ++k)
        if (copy_.StepAt(k).IsUsed())
            GeneratedList->addItem(ToQ(copy_.StepAt(k).ListText()));
}

void TTMUV7Wizard::done(int result)
{
    if (result == QDialog::Accepted)
        sequence_ = copy_;
    QDialog::done(result);
}

bool OpenMUV7Wizard(QWidget* opener, TMUV7Sequence& sequence)
{
    TTMUV7Wizard wizard(sequence, opener);
    PlaceDialog(&wizard, opener->window()->pos() + QPoint(30, 30));
    return wizard.exec() == QDialog::Accepted;
}
