#include "app/boards/vela/Formvela80edit.h"

#include "app/boards/Editorsupport.h"
#include "app/boards/vela/Velaeditfields.h"
#include "boards/vela/Tvela80board.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

std::vector<std::string> InputItems()
{
    std::vector<std::string> items;
    for (uint8_t code = 0; code < 4; ++code)
        items.push_back(TVELA80SensorConfig::CodeItem(code));
    return items;
}

const std::vector<std::string> kOp14Items{"1-4 have 3 LEDs each", "1-3 have 4 LEDs each, 4 not used"};
const std::vector<std::string> kOp58Items{"5-8 have 3 LEDs each", "5-7 have 4 LEDs each, 8 not used"};
const std::vector<std::string> kAuxItems{"Signals 1-8 isolation relay", "Signals 9,10 LEDs"};

QCheckBox* Check(QWidget* parent, const QString& name, const QString& text)
{
    auto* check = new QCheckBox(text, parent);
    check->setObjectName(name);
    return check;
}

}  // namespace

TVela80EditForm::TVela80EditForm(TVELA80Board& board, QWidget* parent)
    : TVelaBoardEditForm(board, 560, parent), board_(board)
{
    setObjectName(QStringLiteral("Vela80EditForm"));
    setWindowTitle(QStringLiteral("Edit VELA80 Board Settings"));

    auto* inputs = new QGroupBox(QStringLiteral("Board Input Configuration"), this);
    auto* inputFields = new QFormLayout(inputs);
    SensorSpin = MakeSpin(inputs, QStringLiteral("SensorSpin"), 1, 256, 10);
    SensorIntCombo = MakeCombo(inputs, QStringLiteral("SensorIntCombo"), InputItems());
    SensorExtCombo = MakeCombo(inputs, QStringLiteral("SensorExtCombo"), InputItems());
    inputFields->addRow(QStringLiteral("Sensor board number:"), SensorSpin);
    inputFields->addRow(QStringLiteral("On-board Inputs"), SensorIntCombo);
    inputFields->addRow(QStringLiteral("External Inputs"), SensorExtCombo);

    auto* outputs = new QGroupBox(QStringLiteral("Signal Output Configuration"), this);
    auto* outputFields = new QFormLayout(outputs);
    Op14Combo = MakeCombo(outputs, QStringLiteral("Op14Combo"), kOp14Items);
    Op58Combo = MakeCombo(outputs, QStringLiteral("Op58Combo"), kOp58Items);
    AuxOutputCombo = MakeCombo(outputs, QStringLiteral("AuxOutputCombo"), kAuxItems);
    outputFields->addRow(QStringLiteral("Signals 1-4"), Op14Combo);
    outputFields->addRow(QStringLiteral("Signal 5-8"), Op58Combo);
    outputFields->addRow(QStringLiteral("Aux Output"), AuxOutputCombo);

    SPADCheck = Check(this, QStringLiteral("SPADCheck"), QStringLiteral("Report Signal Passed At Danger"));
    auto* delays = new QFormLayout;
    IsolationDelayCombo = MakeCombo(this, QStringLiteral("IsolationDelayCombo"), velaedit::DelayItems());
    ReleaseDelayCombo = MakeCombo(this, QStringLiteral("ReleaseDelayCombo"), velaedit::DelayItems());
    delays->addRow(QStringLiteral("Delay before power isolation applied"), IsolationDelayCombo);
    delays->addRow(QStringLiteral("Delay before releasing from RED"), ReleaseDelayCombo);
    InterrogateCheck = Check(this, QStringLiteral("InterrogateCheck"), QStringLiteral("Report Signal States after Power on"));
    BrightnessCheck = Check(this, QStringLiteral("BrightnessCheck"), QStringLiteral("Simulate signal lamp brightness"));
    LocoNetCheck = Check(this, QStringLiteral("LocoNetCheck"), QStringLiteral("Use LocoNet SWRQ commands"));

    auto* right = new QVBoxLayout;
    right->addWidget(inputs);
    right->addWidget(outputs);
    right->addWidget(SPADCheck);
    right->addLayout(delays);
    right->addWidget(InterrogateCheck);
    right->addWidget(BrightnessCheck);
    right->addWidget(LocoNetCheck);
    right->addStretch(1);
    FinishLayout(right);
}

TSignal& TVela80EditForm::SignalAt(int index) { return board_.Signal(index); }
TRevRunZone& TVela80EditForm::ZoneAt(int index) { return board_.Zone(index); }

void TVela80EditForm::LoadSettings()
{
    ShowNumber(DCCAddrSpin, board_.SignalBaseAddress());
    NotesEdit->setText(ToQ(board_.Description()));
    const TVELA80SensorConfig& sensors = board_.SensorConfig();
    ShowNumber(SensorSpin, sensors.SensorBoardNumber());
    loadedInt_ = sensors.OnBoardInputs();
    loadedExt_ = sensors.ExternalInputs();
    velaedit::ShowCode(SensorIntCombo, loadedInt_);
    velaedit::ShowCode(SensorExtCombo, loadedExt_);
    loadedOp14_ = board_.Outputs1to4();
    loadedOp58_ = board_.Outputs5to8();
    loadedAux_ = board_.AuxOutputs();
    velaedit::ShowCode(Op14Combo, loadedOp14_);
    velaedit::ShowCode(Op58Combo, loadedOp58_);
    velaedit::ShowCode(AuxOutputCombo, loadedAux_);
    SPADCheck->setChecked(board_.ReportSpad());
    loadedIsolation_ = board_.IsolationDelay();
    loadedRelease_ = board_.ReleaseDelay();
    velaedit::ShowCode(IsolationDelayCombo, loadedIsolation_);
    velaedit::ShowCode(ReleaseDelayCombo, loadedRelease_);
    InterrogateCheck->setChecked(board_.InterrogateResponse());
    BrightnessCheck->setChecked(board_.BrightnessSimulation());
    LocoNetCheck->setChecked(board_.LocoNetSwitchCommands());
}

void TVela80EditForm::StoreSettings()
{
    board_.SetSignalBaseAddress(DCCAddrSpin->value());
    board_.SetDescription(FromQ(NotesEdit->text()));
    TVELA80SensorConfig& sensors = board_.SensorConfig();
    sensors.SetSensorBoardNumber(SensorSpin->value());
    sensors.SetOnBoardInputs(uint8_t(velaedit::StoredCode(SensorIntCombo, loadedInt_)));
    sensors.SetExternalInputs(uint8_t(velaedit::StoredCode(SensorExtCombo, loadedExt_)));
    board_.SetOutputs1to4(uint8_t(velaedit::StoredCode(Op14Combo, loadedOp14_)));
    board_.SetOutputs5to8(uint8_t(velaedit::StoredCode(Op58Combo, loadedOp58_)));
    board_.SetAuxOutputs(uint8_t(velaedit::StoredCode(AuxOutputCombo, loadedAux_)));
    board_.SetReportSpad(SPADCheck->isChecked());
    board_.SetIsolationDelay(velaedit::StoredCode(IsolationDelayCombo, loadedIsolation_));
    board_.SetReleaseDelay(velaedit::StoredCode(ReleaseDelayCombo, loadedRelease_));
    board_.SetInterrogateResponse(InterrogateCheck->isChecked());
    board_.SetBrightnessSimulation(BrightnessCheck->isChecked());
    board_.SetLocoNetSwitchCommands(LocoNetCheck->isChecked());
}

std::unique_ptr<TConfigurableBoard> TVela80EditForm::CopyForCheck() const
{
    auto copy = std::make_unique<TVELA80Board>(board_);
    copy->SetSignalBaseAddress(DCCAddrSpin->value());
    return copy;
}

bool EditVela80Board(QWidget* parent, const QPoint& position, TConfigurableBoard& board)
{
    auto* vela80 = dynamic_cast<TVELA80Board*>(&board);
    if (vela80 == nullptr)
        return false;
    // Made for each call and gone when closed.
    TVela80EditForm form(*vela80, parent);
    PlaceDialog(&form, position);
    return form.exec() == QDialog::Accepted;
}
