#include "app/boards/vela/Formvela40edit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/vela/Velaeditfields.h"
#include "boards/vela/Tvela40board.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const std::vector<std::string> kPairItems{"Not Used", "General Sensor", "Turnout Feedback"};
const std::vector<std::string> kOutputItems{"Isolation Relay", "Individual On/Off"};

}  // namespace

TVela40EditForm::TVela40EditForm(TVELA40Board& board, QWidget* parent)
    : TVelaBoardEditForm(board, 500, parent), board_(board)
{
    setObjectName(QStringLiteral("Vela40EditForm"));
    setWindowTitle(QStringLiteral("Edit VELA40 Board Settings"));

    auto* sensors = new QGroupBox(QStringLiteral("Sensor Input Configuration"), this);
    auto* sensorFields = new QFormLayout(sensors);
    SensorSpin = MakeSpin(sensors, QStringLiteral("SensorSpin"), 1, 256, 10);
    Sensor12Combo = MakeCombo(sensors, QStringLiteral("Sensor12Combo"), kPairItems);
    Sensor34Combo = MakeCombo(sensors, QStringLiteral("Sensor34Combo"), kPairItems);
    Sensor56Combo = MakeCombo(sensors, QStringLiteral("Sensor56Combo"), kPairItems);
    Sensor78Combo = MakeCombo(sensors, QStringLiteral("Sensor78Combo"), kPairItems);
    sensorFields->addRow(QStringLiteral("Sensor board number:"), SensorSpin);
    sensorFields->addRow(QStringLiteral("Sensor 1 && 2 Configuration"), Sensor12Combo);
    sensorFields->addRow(QStringLiteral("Sensor 3 && 4 Configuration"), Sensor34Combo);
    sensorFields->addRow(QStringLiteral("Sensor 5 && 6 Configuration"), Sensor56Combo);
    sensorFields->addRow(QStringLiteral("Sensor 7 && 8 Configuration"), Sensor78Combo);

    auto* outputs = new QGroupBox(QStringLiteral("High Current Output Configuration"), this);
    auto* outputFields = new QFormLayout(outputs);
    HighCSpin = MakeSpin(outputs, QStringLiteral("HighCSpin"), 1, 2048, 1000);
    Op14Combo = MakeCombo(outputs, QStringLiteral("Op14Combo"), kOutputItems);
    Op58Combo = MakeCombo(outputs, QStringLiteral("Op58Combo"), kOutputItems);
    outputFields->addRow(QStringLiteral("High Current O/P DCC Address:"), HighCSpin);
    outputFields->addRow(QStringLiteral("Output 1 - 4 Configuration"), Op14Combo);
    outputFields->addRow(QStringLiteral("Output 5 - 8 Configuration"), Op58Combo);

    SPADCheck = new QCheckBox(QStringLiteral("Report SPAD"), this);
    SPADCheck->setObjectName(QStringLiteral("SPADCheck"));
    DisplayCheck = new QCheckBox(QStringLiteral("Display Mode"), this);
    DisplayCheck->setObjectName(QStringLiteral("DisplayCheck"));
    auto* delayLabel = new QLabel(QStringLiteral("Delay before power isolation applied"), this);
    IsolationDelayCombo = MakeCombo(this, QStringLiteral("IsolationDelayCombo"), velaedit::DelayItems());
    delayLabel->setBuddy(IsolationDelayCombo);
    BrightnessCheck = new QCheckBox(QStringLiteral("Simulate Lamp Brightness"), this);
    BrightnessCheck->setObjectName(QStringLiteral("BrightnessCheck"));

    auto* right = new QVBoxLayout;
    right->addWidget(sensors);
    right->addWidget(outputs);
    right->addWidget(SPADCheck);
    right->addWidget(DisplayCheck);
    right->addWidget(delayLabel);
    right->addWidget(IsolationDelayCombo);
    right->addWidget(BrightnessCheck);
    right->addStretch(1);
    FinishLayout(right);
}

QComboBox* TVela40EditForm::PairCombo(int pair) const
{
    QComboBox* const combos[] = {Sensor12Combo, Sensor34Combo, Sensor56Combo, Sensor78Combo};
    return combos[pair];
}

TSignal& TVela40EditForm::SignalAt(int index) { return board_.Signal(index); }
TRevRunZone& TVela40EditForm::ZoneAt(int index) { return board_.Zone(index); }

void TVela40EditForm::LoadSettings()
{
    ShowNumber(DCCAddrSpin, board_.SignalBaseAddress());
    NotesEdit->setText(ToQ(board_.Description()));
    const TVELA40SensorConfig& sensors = board_.SensorConfig();
    ShowNumber(SensorSpin, sensors.SensorBoardNumber());
    for (int pair = 0; pair < TVELA40SensorConfig::kPairs; ++pair) {
        loadedPairs_[pair] = sensors.PairConfig(pair);
        velaedit::ShowCode(PairCombo(pair), loadedPairs_[pair]);
    }
    const TVELA40HighCurrentConfig& outputs = board_.HighCurrentConfig();
    ShowNumber(HighCSpin, outputs.DccBaseAddress());
    loadedOp14_ = outputs.Outputs1to4();
    loadedOp58_ = outputs.Outputs5to8();
    velaedit::ShowCode(Op14Combo, loadedOp14_);
    velaedit::ShowCode(Op58Combo, loadedOp58_);
    SPADCheck->setChecked(board_.ReportSpad());
    DisplayCheck->setChecked(board_.DisplayMode());
    loadedDelay_ = board_.IsolationDelay();
    velaedit::ShowCode(IsolationDelayCombo, loadedDelay_);
    BrightnessCheck->setChecked(board_.BrightnessSimulation());
}

void TVela40EditForm::StoreSettings()
{
    board_.SetSignalBaseAddress(DCCAddrSpin->value());
    board_.SetDescription(FromQ(NotesEdit->text()));
    TVELA40SensorConfig& sensors = board_.SensorConfig();
    sensors.SetSensorBoardNumber(SensorSpin->value());
    for (int pair = 0; pair < TVELA40SensorConfig::kPairs; ++pair)
        sensors.SetPairConfig(pair, uint8_t(velaedit::StoredCode(PairCombo(pair), loadedPairs_[pair])));
    TVELA40HighCurrentConfig& outputs = board_.HighCurrentConfig();
    outputs.SetDccBaseAddress(HighCSpin->value());
    outputs.SetOutputs1to4(uint8_t(velaedit::StoredCode(Op14Combo, loadedOp14_)));
    outputs.SetOutputs5to8(uint8_t(velaedit::StoredCode(Op58Combo, loadedOp58_)));
    board_.SetReportSpad(SPADCheck->isChecked());
    board_.SetDisplayMode(DisplayCheck->isChecked());
    board_.SetIsolationDelay(velaedit::StoredCode(IsolationDelayCombo, loadedDelay_));
    board_.SetBrightnessSimulation(BrightnessCheck->isChecked());
}

std::unique_ptr<TConfigurableBoard> TVela40EditForm::CopyForCheck() const
{
    auto copy = std::make_unique<TVELA40Board>(board_);
    copy->SetSignalBaseAddress(DCCAddrSpin->value());
    return copy;
}

bool EditVela40Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board)
{
    auto* vela40 = dynamic_cast<TVELA40Board*>(&board);
    if (vela40 == nullptr)
        return false;
    // Made for each call and gone when closed.
    TVela40EditForm form(*vela40, parent);
    PlaceDialog(&form, position);
    return form.exec() == QDialog::Accepted;
}
