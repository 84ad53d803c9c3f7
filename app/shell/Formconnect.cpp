#include "app/shell/Formconnect.h"

#include "app/common/Boundedspinbox.h"
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
#include <QScrollBar>
#include <QSerialPortInfo>
#include <QShowEvent>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kHelpTopic = 2;
constexpr int kLbServerPort = 1234;  // the port LbServers listen on unless told otherwise

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

    KindBox = new QComboBox(this);
    KindBox->setObjectName(QStringLiteral("KindBox"));
    KindBox->addItems({QStringLiteral("Serial port (LocoBuffer, PR3, MS100)"), QStringLiteral("Simulated LocoNet"),
                       QStringLiteral("LbServer on the network")});
    auto* kindLabel = new QLabel(QStringLiteral("Connect to"), this);
    kindLabel->setBuddy(KindBox);
    HostLabel = new QLabel(QStringLiteral("Host"), this);
    HostEdit = new QLineEdit(QStringLiteral("localhost"), this);
    HostEdit->setObjectName(QStringLiteral("HostEdit"));
    HostLabel->setBuddy(HostEdit);
    TcpPortLabel = new QLabel(QStringLiteral("TCP port"), this);
    TcpPortEdit = new TBoundedSpinBox(this);
    TcpPortEdit->setObjectName(QStringLiteral("TcpPortEdit"));
    TcpPortEdit->setRange(1, 65535);
    TcpPortEdit->setValue(kLbServerPort);
    TcpPortLabel->setBuddy(TcpPortEdit);
    Label1 = new QLabel(QStringLiteral("Com port"), this);
    ComCombo = new QComboBox(this);
    ComCombo->setObjectName(QStringLiteral("ComCombo"));
    ComCombo->setEditable(true);
    ComCombo->setInsertPolicy(QComboBox::NoInsert);
    {
        // Two columns, name and description, so that a modeller can tell the
        // interface from the other ports; the field takes the first alone.
        auto* ports = new QStandardItemModel(0, 2, ComCombo);
        ComCombo->setModel(ports);
        auto* list = new QTreeView(ComCombo);
        list->setHeaderHidden(true);
        list->setRootIsDecorated(false);
        list->setItemsExpandable(false);
        list->setAllColumnsShowFocus(true);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        ComCombo->setView(list);
    }
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
    ResultLabel = new QLabel(this);
    ResultLabel->setObjectName(QStringLiteral("ResultLabel"));
    ResultLabel->setWordWrap(true);

    auto* hints = new QVBoxLayout;
    for (const char* text :
         {"LocoBuffer 1 Jumper Settings:", "16457 baud: JP3 1-2, JP1 don't care", "19200 baud: JP3 2-3, JP1 1-2",
          "57600 baud: JP3 2-3, JP1 2-3 (recommended)", "JP2: 2-3 recommended", "JP4, JP5: 1-2 always",
          "For PR3 and USB LocoBuffer, choose baud rate = 57600", "PR3 must be in \"MS100\" mode (green LED winks)"})
        hints->addWidget(new QLabel(QString::fromLatin1(text), this));

    auto* settings = new QGridLayout;
    settings->addWidget(kindLabel, 0, 0);
    settings->addWidget(KindBox, 0, 1);
    settings->addWidget(Label1, 1, 0);
    settings->addWidget(ComCombo, 1, 1);
    settings->addWidget(HostLabel, 2, 0);
    settings->addWidget(HostEdit, 2, 1);
    settings->addWidget(TcpPortLabel, 3, 0);
    settings->addWidget(TcpPortEdit, 3, 1);
    settings->addWidget(Label2, 4, 0);
    settings->addWidget(BaudRateBox, 4, 1);
    settings->addWidget(FlowControlLabel, 5, 0);
    settings->addWidget(FlowControlBox, 5, 1);
    settings->addWidget(InterfaceType, 6, 0, 1, 2);
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
    layout->addWidget(ResultLabel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(KindBox, &QComboBox::currentIndexChanged, this, &TConnectForm::KindChanged);
    connect(InterfaceButtons, &QButtonGroup::idClicked, this, &TConnectForm::InterfaceTypeClick);
    connect(FlowControlBox, &QComboBox::activated, this, [this](int index) { chosenFlow_ = index; });
    connect(ConnectButton, &QPushButton::clicked, this, &TConnectForm::ConnectButtonClick);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });
    connect(HelpButton, &QPushButton::clicked, this, &TConnectForm::HelpButtonClick);
    InterfaceTypeClick();
    KindChanged();
}

QString TConnectForm::DeviceName() const
{
    switch (KindBox->currentIndex()) {
    case kSimulated:
        return QStringLiteral("sim");
    case kNetwork:
        return QStringLiteral("tcp:%1:%2").arg(HostEdit->text().trimmed()).arg(TcpPortEdit->value());
    default:
        // Typed "sim" or "tcp:..." still means what it always did.
        return ComCombo->currentText().trimmed();
    }
}

void TConnectForm::ShowDeviceName(const QString& name)
{
    if (name == QLatin1String("sim")) {
        KindBox->setCurrentIndex(kSimulated);
        return;
    }
    if (name.startsWith(QLatin1String("tcp:"))) {
        // The port follows the last colon, so that an IPv6 host keeps its own.
        const int colon = name.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        const int port = name.mid(colon + 1).toInt(&ok);
        if (colon > 3 && ok && port >= 1 && port <= 65535) {
            HostEdit->setText(name.mid(4, colon - 4));
            TcpPortEdit->setValue(port);
            KindBox->setCurrentIndex(kNetwork);
            return;
        }
    }
    KindBox->setCurrentIndex(kSerial);
    ComCombo->setEditText(name);
}

void TConnectForm::KindChanged()
{
    const int kind = KindBox->currentIndex();
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, ComCombo})
        w->setVisible(kind == kSerial);
    for (QWidget* w : std::initializer_list<QWidget*>{HostLabel, HostEdit, TcpPortLabel, TcpPortEdit})
        w->setVisible(kind == kNetwork);
}

QString TConnectForm::InterfaceName(int ordinal)
{
    // A stored ordinal the program does not know runs as a LocoBuffer.
    return QString::fromLatin1(kInterfaceNames[ordinal == eMS100 || ordinal == ePR3 ? ordinal : eLocoBuffer]);
}

QList<TConnectForm::TPortEntry> TConnectForm::AvailablePorts()
{
    QList<TPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append({DeviceNameOf(info), info.description().trimmed()});
    if (ports.isEmpty()) {
        for (const char* name : {"Com1", "Com2", "Com3", "Com4"})
            ports.append({QString::fromLatin1(name), {}});
    }
    return ports;
}

QStringList TConnectForm::AvailablePortNames()
{
    QStringList names;
    for (const TPortEntry& port : AvailablePorts())
        names << port.name;
    return names;
}

void TConnectForm::FillPortList(const QStringList& names)
{
    QList<TPortEntry> ports;
    for (const QString& name : names)
        ports.append({name, {}});
    FillPortList(ports);
}

void TConnectForm::FillPortList(const QList<TPortEntry>& ports)
{
    if (!ports.isEmpty()) {
        const QString typed = ComCombo->currentText();
        ComCombo->clear();
        auto* model = static_cast<QStandardItemModel*>(ComCombo->model());
        bool kept = false;
        for (const TPortEntry& port : ports) {
            auto* description = new QStandardItem(port.description);
            description->setToolTip(port.description);
            model->appendRow({new QStandardItem(port.name), description});
            kept = kept || port.name == typed;
        }
        ComCombo->setEditText(kept ? typed : ports.constFirst().name);
        if (auto* list = qobject_cast<QTreeView*>(ComCombo->view())) {
            list->resizeColumnToContents(0);
            list->setColumnWidth(0, list->columnWidth(0) + list->fontMetrics().horizontalAdvance(QStringLiteral("  ")));
            list->resizeColumnToContents(1);
            // The open list is as wide as both columns, however narrow the field.
            list->setMinimumWidth(list->columnWidth(0) + list->columnWidth(1) + 2 * list->frameWidth() +
                                  list->verticalScrollBar()->sizeHint().width());
        }
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
    ShowDeviceName(QString::fromStdString(link_.DeviceName()));
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
        link_.SetDeviceName(DeviceName().toStdString());
        link_.SetBaudRate(static_cast<TBaudRate>(BaudRateBox->currentIndex()));
        if (chosenInterface >= 0)
            link_.SetLocoNetInterface(static_cast<ELocoNetInterface>(chosenInterface));
        link_.SetFlowControl(static_cast<TLnFlowControl>(chosenFlow_));
        link_.Open();
    } catch (const std::exception& error) {
        ShowErrorText(this, QString::fromStdString(error.what()));
        ShowOutcome();
        return;
    }
    ShowOutcome();
}

void TConnectForm::ShowOutcome()
{
    // The link is reopened at once: say so here, where Connect was pressed.
    const QString device = QString::fromStdString(link_.DeviceName());
    const QString reason = QString::fromStdString(link_.LastOpenError());
    if (link_.Enabled())
        ResultLabel->setText(QStringLiteral("Connected to %1 (%2)")
                                 .arg(device, InterfaceName(link_.LocoNetInterface())));
    else
        ResultLabel->setText(QStringLiteral("Not connected: cannot open %1: %2")
                                 .arg(device, reason.isEmpty() ? QStringLiteral("port closed") : reason));
    emit LinkReopened(link_.Enabled(), reason);
}

void TConnectForm::HelpButtonClick()
{
    ShowHelpTopic(kHelpTopic);
}
