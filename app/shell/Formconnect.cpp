#include "app/shell/Formconnect.h"

#include "app/common/Formsupport.h"
#include "link/Lncomm.h"
#include "platform/Linkports.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 2;

const char* const kInterfaceNames[] = {"MS100", "LocoBuffer", "PR3"};

QString DeviceNameOf(const QSerialPortInfo& info)
{
#ifdef Q_OS_WIN
    return info.portName();  // COM3
#else
    return info.systemLocation();  // /dev/ttyUSB0
#endif
}

}  // namespace

TConnectForm::TConnectForm(TLocoNetComm& link, QWidget* parent) : QWidget(parent), link_(link)
{
    setWindowTitle(QStringLiteral("LocoNet Connection"));
    setObjectName(QStringLiteral("ConnectForm"));
    SetHelpContext(this, kHelpTopic);

    Label1 = new QLabel(QStringLiteral("Com port"), this);
    ComCombo = new QComboBox(this);
    ComCombo->setObjectName(QStringLiteral("ComCombo"));
    ComCombo->setEditable(true);
    ComCombo->setInsertPolicy(QComboBox::NoInsert);
    ComCombo->addItems({QStringLiteral("Com1"), QStringLiteral("Com2"), QStringLiteral("Com3"), QStringLiteral("Com4")});
    ComCombo->setEditText(QStringLiteral("Com1"));
    ComCombo->setMinimumWidth(180);
    Label2 = new QLabel(QStringLiteral("baud rate"), this);
    // Not editable: the position is the link's speed, so one entry is always chosen.
    BaudRateBox = new QComboBox(this);
    BaudRateBox->setObjectName(QStringLiteral("BaudRateBox"));
    BaudRateBox->addItems({QStringLiteral("16457"), QStringLiteral("19200"), QStringLiteral("57600")});
    BaudRateBox->setCurrentIndex(0);
    FlowControlLabel = new QLabel(QStringLiteral("flow control"), this);
    // Positions follow TLnFlowControl: hardware (RTS/CTS), none.
    FlowControlBox = new QComboBox(this);
    FlowControlBox->setObjectName(QStringLiteral("FlowControlBox"));
    FlowControlBox->addItems({QStringLiteral("hardware"), QStringLiteral("none")});
    chosenFlow_ = static_cast<int>(link_.FlowControl());
    FlowControlBox->setCurrentIndex(chosenFlow_);
    FlowControlLabel->setBuddy(FlowControlBox);

    InterfaceType = new QGroupBox(QStringLiteral("Interface"), this);
    InterfaceType->setObjectName(QStringLiteral("InterfaceType"));
    InterfaceButtons = new QButtonGroup(this);
    auto* radios = new QVBoxLayout(InterfaceType);
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(kInterfaceNames[i]), InterfaceType);
        InterfaceButtons->addButton(radio, i);
        radios->addWidget(radio);
    }
    InterfaceButtons->button(0)->setChecked(true);

    ConnectButton = new QPushButton(QStringLiteral("Connect"), this);
    ConnectButton->setObjectName(QStringLiteral("ConnectButton"));
    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));

    auto* hints = new QVBoxLayout;
    for (const char* text :
         {"LocoBuffer 1 Jumper Settings:", "16457 baud: JP3 1-2, JP1 don't care", "19200 baud: JP3 2-3, JP1 1-2",
          "57600 baud: JP3 2-3, JP1 2-3 (recommended)", "JP2: 2-3 recommended", "JP4, JP5: 1-2 always",
          "For PR3 and USB LocoBuffer, choose baud rate = 57600", "PR3 must be in \"MS100\" mode (green LED winks)"})
        hints->addWidget(new QLabel(QString::fromLatin1(text), this));

    auto* settings = new QGridLayout;
    settings->addWidget(Label1, 0, 0);
    settings->addWidget(ComCombo, 0, 1);
    settings->addWidget(Label2, 1, 0);
    settings->addWidget(BaudRateBox, 1, 1);
    settings->addWidget(FlowControlLabel, 2, 0);
    settings->addWidget(FlowControlBox, 2, 1);
    settings->addWidget(InterfaceType, 3, 0, 1, 2);
    auto* top = new QHBoxLayout;
    top->addLayout(settings);
    top->addSpacing(16);
    top->addLayout(hints);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ConnectButton);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(HelpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(InterfaceButtons, &QButtonGroup::idClicked, this, &TConnectForm::InterfaceTypeClick);
    connect(FlowControlBox, &QComboBox::activated, this, [this](int index) { chosenFlow_ = index; });
    connect(ConnectButton, &QPushButton::clicked, this, &TConnectForm::ConnectButtonClick);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });
    connect(HelpButton, &QPushButton::clicked, this, &TConnectForm::HelpButtonClick);
    InterfaceTypeClick();
}

QStringList TConnectForm::AvailablePortNames()
{
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << DeviceNameOf(info);
    if (names.isEmpty())
        names << QStringLiteral("Com1") << QStringLiteral("Com2") << QStringLiteral("Com3") << QStringLiteral("Com4");
    names << QStringLiteral("sim");
    return names;
}

void TConnectForm::FillPortList(const QStringList& names)
{
    if (!names.isEmpty()) {
        const QString typed = ComCombo->currentText();
        ComCombo->clear();
        ComCombo->addItems(names);
        ComCombo->setEditText(names.contains(typed) ? typed : names.constFirst());
    }
    InterfaceTypeClick();
}

int TConnectForm::SelectedInterface() const
{
    return InterfaceButtons->checkedId();
}

void TConnectForm::SelectInterface(int ordinal)
{
    if (QAbstractButton* button = InterfaceButtons->button(ordinal)) {
        button->setChecked(true);
    } else if (QAbstractButton* checked = InterfaceButtons->checkedButton()) {
        // A stored interface the window does not know: nothing selected.
        InterfaceButtons->setExclusive(false);
        checked->setChecked(false);
        InterfaceButtons->setExclusive(true);
    }
    InterfaceTypeClick();
}

void TConnectForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous() || shownOnce_)
        return;
    shownOnce_ = true;
    FillPortList(AvailablePortNames());
    ShowLinkSettings();
}

void TConnectForm::ShowLinkSettings()
{
    if (!link_.Enabled())
        return;
    ComCombo->setEditText(QString::fromStdString(link_.DeviceName()));
    const int rate = static_cast<int>(link_.BaudRate());
    if (rate >= 0 && rate < BaudRateBox->count())
        BaudRateBox->setCurrentIndex(rate);
    chosenFlow_ = static_cast<int>(link_.FlowControl());
    SelectInterface(static_cast<int>(link_.LocoNetInterface()));
}

void TConnectForm::InterfaceTypeClick()
{
    switch (SelectedInterface()) {
    case eMS100:
        BaudRateBox->setCurrentIndex(br16457);
        BaudRateBox->setEnabled(false);
        break;
    case ePR3:
        BaudRateBox->setCurrentIndex(br57600);
        BaudRateBox->setEnabled(false);
        break;
    default:
        BaudRateBox->setEnabled(true);
        break;
    }
    // An MS100 has nobody driving CTS: it runs without, whatever was chosen
    // for the other interfaces, and that choice comes back with them.
    const bool ms100 = SelectedInterface() == eMS100;
    FlowControlBox->setCurrentIndex(ms100 ? static_cast<int>(TLnFlowControl::None) : chosenFlow_);
    FlowControlBox->setEnabled(!ms100);
}

void TConnectForm::ConnectButtonClick()
{
    const int chosenInterface = SelectedInterface();
    try {
        if (link_.Enabled())
            link_.Close();
        link_.SetDeviceName(ComCombo->currentText().trimmed().toStdString());
        link_.SetBaudRate(static_cast<TBaudRate>(BaudRateBox->currentIndex()));
        if (chosenInterface >= 0)
            link_.SetLocoNetInterface(static_cast<ELocoNetInterface>(chosenInterface));
        link_.SetFlowControl(static_cast<TLnFlowControl>(chosenFlow_));
        link_.Open();
    } catch (const std::exception& error) {
        ShowErrorText(this, QString::fromStdString(error.what()));
        // Nothing was connected: no "Will connect" and no notice, only the
        // status strip brought up to date with the closed port.
        emit LinkReopened(link_.Enabled(), QString::fromStdString(link_.LastOpenError()));
        return;
    }
    emit LinkReopened(link_.Enabled(), QString::fromStdString(link_.LastOpenError()));
    if (chosenInterface >= 0)
        emit ConnectStatus(QStringLiteral("Will connect to ") + QString::fromLatin1(kInterfaceNames[chosenInterface]));
    ShowNotice(this, QStringLiteral("Connect:"), QStringLiteral("Effect will take place when application is next run"));
}

void TConnectForm::HelpButtonClick()
{
    ShowHelpTopic(kHelpTopic);
}
