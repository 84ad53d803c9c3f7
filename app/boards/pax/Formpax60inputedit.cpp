#include "app/boards/pax/Formpax60inputedit.h"

#include "app/boards/Editorsupport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 420;
// Only the inputs 1 to 8 can trigger the local route of their number.
constexpr int kLastRouteInput = 8;

}  // namespace

TPAX60InputCellEditForm::TPAX60InputCellEditForm(QWidget* parent, TPAX60InputCell& input)
    : QDialog(parent), FInput(input)
{
    setObjectName(QStringLiteral("PAX60InputCellEditForm"));
    setWindowTitle(QStringLiteral("Input Cell %1").arg(input.Number));

    std::vector<std::string> types = {
        "Not used",
        "Pushbutton, no effect on output cell",
        "Toggle or sensor, no effect on output cell",
        "Pushbutton, changes output cell",
        "Toggle switch, sets output cell",
    };
    if (input.Number >= 1 && input.Number <= kLastRouteInput)
        types.push_back("Pushbutton, triggers local route " + std::to_string(input.Number));
    InputCellTypeCombo = MakeCombo(this, QStringLiteral("InputCellTypeCombo"), types, input.InputType);
    InputMessageCombo = MakeCombo(this, QStringLiteral("InputMessageCombo"),
                                  {"No message", "Sensor message", "Turnout Feedback message",
                                   "Emergency stop message", "Track power off message"},
                                  input.MessageType);
    // A code the lists do not offer (from a file or a board read back)
    // shows no item and stays unless another is picked.
    ShowCode(InputCellTypeCombo, input.InputType);
    ShowCode(InputMessageCombo, input.MessageType);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Input Cell Type:"), InputCellTypeCombo);
    form->addRow(QStringLiteral("Message when input changes:"), InputMessageCombo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(MakeDialogButtons(this, kHelpTopic));
}

bool TPAX60InputCellEditForm::EditInput(QWidget* opener, TPAX60InputCell& input)
{
    TPAX60InputCellEditForm form(opener, input);
    PlaceDialog(&form, opener->window()->pos() + QPoint(30, 30));
    return form.exec() == QDialog::Accepted;
}

void TPAX60InputCellEditForm::accept()
{
    FInput.InputType = static_cast<uint8_t>(StoredCode(InputCellTypeCombo, FInput.InputType));
    FInput.MessageType = static_cast<uint8_t>(StoredCode(InputMessageCombo, FInput.MessageType));
    QDialog::accept();
}
