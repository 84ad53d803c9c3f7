#include "app/monitor/Formspeedometer.h"

#include "app/common/Appsettings.h"
#include "app/common/Boundedspinbox.h"
#include "app/common/Formsupport.h"
#include "app/common/Workbench.h"
#include "link/Lndecoders.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 15;
const QString kSection = QStringLiteral("SpeedometerForm");

int64_t MonotonicMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

QSpinBox* MakeSpin(QWidget* parent, const char* name, int maximum)
{
    auto* spin = new TBoundedSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(1, maximum);
    spin->setValue(1);
    return spin;
}

}  // namespace

TSpeedometerForm::TSpeedometerForm(QWidget* parent)
    : QWidget(parent, Qt::Window), clock_(MonotonicMs)
{
    setWindowTitle(QStringLiteral("Speedometer"));
    setObjectName(QStringLiteral("SpeedometerForm"));
    SetHelpContext(this, kHelpTopic);

    ScaleCombo = new QComboBox(this);
    ScaleCombo->setObjectName(QStringLiteral("ScaleCombo"));
    ScaleCombo->addItems({QStringLiteral("\"O\" (1:48)"), QStringLiteral("\"OO\" (1:76)"),
                          QStringLiteral("\"HO\" (1:87)"), QStringLiteral("UK \"N\" (1:148)"),
                          QStringLiteral("US \"N\" (1:160)"), QStringLiteral("\"Z\" (1:220)")});
    ScaleCombo->setCurrentIndex(3);
    OutputUnitsCombo = new QComboBox(this);
    OutputUnitsCombo->setObjectName(QStringLiteral("OutputUnitsCombo"));
    OutputUnitsCombo->addItems({QStringLiteral("m/s"), QStringLiteral("km/h"), QStringLiteral("mph")});
    OutputUnitsCombo->setCurrentIndex(2);
    LengthEdit = new QLineEdit(QStringLiteral("1.0"), this);
    LengthEdit->setObjectName(QStringLiteral("LengthEdit"));
    StartBoardEdit = MakeSpin(this, "StartBoardEdit", 256);
    StartSensEdit = MakeSpin(this, "StartSensEdit", 16);
    StopBoardEdit = MakeSpin(this, "StopBoardEdit", 256);
    StopSensEdit = MakeSpin(this, "StopSensEdit", 16);
    ResultEdit = new QLineEdit(QStringLiteral("(Idle)"), this);
    ResultEdit->setObjectName(QStringLiteral("ResultEdit"));
    ResultEdit->setReadOnly(true);
    QFont big = ResultEdit->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    ResultEdit->setFont(big);
    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    TimeoutTimer = new QTimer(this);
    TimeoutTimer->setObjectName(QStringLiteral("TimeoutTimer"));
    TimeoutTimer->setSingleShot(true);
    TimeoutTimer->setInterval(TSpeedometer::kTimeoutMs);

    auto pair = [this](QSpinBox* board, QSpinBox* input) {
        auto* row = new QHBoxLayout;
        row->addWidget(board);
        row->addWidget(new QLabel(QStringLiteral(","), this));
        row->addWidget(input);
        row->addStretch(1);
        return row;
    };
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Scale"), ScaleCombo);
    form->addRow(QStringLiteral("Units for speed"), OutputUnitsCombo);
    form->addRow(QStringLiteral("block length (m)"), LengthEdit);
    form->addRow(QStringLiteral("Start Sensor"), pair(StartBoardEdit, StartSensEdit));
    form->addRow(QStringLiteral("Stop Sensor"), pair(StopBoardEdit, StopSensEdit));
    form->addRow(QStringLiteral("Measured Speed"), ResultEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(HelpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ScaleCombo, &QComboBox::currentIndexChanged, this, &TSpeedometerForm::UpdateParams);
    connect(OutputUnitsCombo, &QComboBox::currentIndexChanged, this, &TSpeedometerForm::UpdateParams);
    connect(LengthEdit, &QLineEdit::textChanged, this, &TSpeedometerForm::UpdateParams);
    for (QSpinBox* spin : {StartBoardEdit, StartSensEdit, StopBoardEdit, StopSensEdit})
        connect(spin, &QSpinBox::valueChanged, this, &TSpeedometerForm::UpdateParams);
    connect(TimeoutTimer, &QTimer::timeout, this, &TSpeedometerForm::TimeoutTimerTimer);
    connect(BitBtn1, &QPushButton::clicked, this, &QWidget::hide);
    connect(HelpButton, &QPushButton::clicked, this, &TSpeedometerForm::HelpButtonClick);
    UpdateParams();
}

void TSpeedometerForm::UpdateParams()
{
    TSpeedoParams params = meter_.Params();
    params.StartBoard = StartBoardEdit->value();
    params.StartInput = StartSensEdit->value();
    params.StopBoard = StopBoardEdit->value();
    params.StopInput = StopSensEdit->value();
    params.ScaleFactor = TSpeedometer::ScaleFactorAt(ScaleCombo->currentIndex());
    params.UnitFactor = TSpeedometer::UnitFactorAt(OutputUnitsCombo->currentIndex());
    params.UnitText = TSpeedometer::UnitTextAt(OutputUnitsCombo->currentIndex());
    // A point is the separator whatever the system's locale. A text that does
    // not read as a length (half typed, empty, "1,000") is marked, and no
    // speed is measured until it does.
    double length = 0.0;
    const QByteArray text = LengthEdit->text().toLatin1();
    params.LengthValid =
        LengthEdit->text().size() == text.size() &&
        TSpeedometer::ParseLength(std::string_view(text.constData(), static_cast<size_t>(text.size())), length);
    params.Length = params.LengthValid ? length : 0.0;
    meter_.SetParams(params);
    MarkLength(params.LengthValid);
}

void TSpeedometerForm::MarkLength(bool valid)
{
    LengthEdit->setProperty("invalidLength", !valid);
    LengthEdit->setStyleSheet(valid ? QString() : QStringLiteral("QLineEdit { background: #ffd0d0; }"));
    LengthEdit->setToolTip(valid ? QString()
                                 : QStringLiteral("Not a length: type the block length in metres with a point "
                                                  "as the decimal separator, such as 1.25"));
}

void TSpeedometerForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Restoring a minimised window is not showing it anew.
    if (event->spontaneous())
        return;
    UpdateParams();
    meter_.Reset();
    TimeoutTimer->stop();
    ShowResult();
}

void TSpeedometerForm::ListenTo(TWorkbench& workbench)
{
    workbench.Subscribe<TLNSensFBMessage>(this, Kinds({eOPCSENS}),
                                          [this](const TLNSensFBMessage& report) { SensorReport(report); });
}

void TSpeedometerForm::SensorReport(const TLNSensFBMessage& message)
{
    int board = 0;
    int input = 0;
    bool on = false;
    if (!message.GetSensorReport(board, input, on))
        return;
    switch (meter_.SensorReport(board, input, on, clock_())) {
    case TSpeedometer::TTimerAction::Start:
        TimeoutTimer->start();
        break;
    case TSpeedometer::TTimerAction::Stop:
        TimeoutTimer->stop();
        break;
    case TSpeedometer::TTimerAction::None:
        return;
    }
    ShowResult();
}

void TSpeedometerForm::TimeoutTimerTimer()
{
    TimeoutTimer->stop();
    meter_.Timeout();
    ShowResult();
}

void TSpeedometerForm::HelpButtonClick()
{
    ShowHelpTopic(kHelpTopic);
}

void TSpeedometerForm::ShowResult()
{
    ResultEdit->setText(QString::fromStdString(meter_.Result()));
}

void TSpeedometerForm::RestoreSettings(QSettings& store)
{
    if (!SettingsSectionExists(store, kSection))
        return;
    auto number = [&store](const char* name, int fallback) {
        return ReadSettingsInteger(store, kSection, QString::fromLatin1(name), fallback);
    };
    // A stored position outside the lists leaves the list as it is.
    const int scale = number("SpeedoScale", 0);
    if (scale >= 0 && scale < ScaleCombo->count())
        ScaleCombo->setCurrentIndex(scale);
    const int units = number("SpeedoUnits", 0);
    if (units >= 0 && units < OutputUnitsCombo->count())
        OutputUnitsCombo->setCurrentIndex(units);
    LengthEdit->setText(ReadSettingsText(store, kSection, QStringLiteral("SpeedLength"), QStringLiteral("1.0")));
    StartBoardEdit->setValue(number("Sens1Board", 1));
    StartSensEdit->setValue(number("Sens1Sens", 1));
    StopBoardEdit->setValue(number("Sens2Board", 1));
    StopSensEdit->setValue(number("Sens2Sens", 2));
    UpdateParams();
}

void TSpeedometerForm::SaveSettings(QSettings& store) const
{
    store.beginGroup(kSection);
    store.setValue(QStringLiteral("SpeedoScale"), ScaleCombo->currentIndex());
    store.setValue(QStringLiteral("SpeedoUnits"), OutputUnitsCombo->currentIndex());
    store.setValue(QStringLiteral("SpeedLength"), LengthEdit->text());
    store.setValue(QStringLiteral("Sens1Board"), StartBoardEdit->value());
    store.setValue(QStringLiteral("Sens1Sens"), StartSensEdit->value());
    store.setValue(QStringLiteral("Sens2Board"), StopBoardEdit->value());
    store.setValue(QStringLiteral("Sens2Sens"), StopSensEdit->value());
    store.endGroup();
}
