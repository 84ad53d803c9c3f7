#include "app/shell/Main.h"

#include "app/boards/Formrenumber.h"
#include "app/shell/Aboutbox.h"
#include "app/shell/Appicon.h"
#include "app/shell/Appsettings.h"
#include "app/monitor/Formarbitrarymessage.h"
#include "app/shell/Formconnect.h"
#include "app/monitor/Formspeedometer.h"
#include "app/shell/Formsupport.h"
#include "app/monitor/Generatesensfbform.h"
#include "app/shell/Helpviewer.h"
#include "app/shell/Linksharing.h"
#include "app/monitor/Lndisplay.h"
#include "app/monitor/Swreqform.h"
#include "link/Lndecoders.h"
#include "link/Lndispatch.h"
#include "link/Tsvprogmsg.h"
#include "platform/Linkports.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>

namespace {

constexpr int kHelpTopic = 1;
const QString kConnection = QStringLiteral("Connection");

// Opcodes the main window sends on its own.
constexpr uint8_t kOpcBusy = 0x81;  // a LocoBuffer answers with its version report
constexpr uint8_t kOpcGpOff = 0x82;
constexpr uint8_t kOpcGpOn = 0x83;

QString InterfaceName(int ordinal)
{
    switch (ordinal) {
    case eMS100:
        return QStringLiteral("MS100");
    case ePR3:
        return QStringLiteral("PR3");
    default:
        return QStringLiteral("LocoBuffer");
    }
}

TLnPortFactory PortFactoryOf(const TMainOptions& options)
{
    if (options.PortFactory)
        return options.PortFactory;
    return [](const std::string& deviceName) { return MakeLinkPort(deviceName); };
}

}  // namespace

TMainForm::TMainForm(TMainOptions options, QWidget* parent)
    : QMainWindow(parent), LocoNetComm1(PortFactoryOf(options)), options_(std::move(options))
{
    setWindowTitle(QStringLiteral("Quorvel LocoNet Analyser"));
    setObjectName(QStringLiteral("MainForm"));
    setWindowIcon(ProgramIcon());
    SetHelpContext(this, kHelpTopic);
    HelpFileName = QStringLiteral("varnscope help.chm");

    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("Workspace"));
    setCentralWidget(mdiArea_);
    BuildMenus();
    BuildStatusStrip();
    LinkSharing = new TLinkSharing(*this, LocoNetComm1, Connect1);
    resize(1040, 720);

    LocoNetComm1.SetDeviceName("Com1");
    LocoNetComm1.SetBaudRate(br16457);
    LocoNetComm1.OnRxMsg = [this](TLnThreadComm&, uint32_t count) { LocoNetComm1RxMsg(count); };
    // A device that goes away closes the link: say so where the operator looks.
    LocoNetComm1.OnError = [this](TLnThreadComm&, uint32_t) {
        if (!LocoNetComm1.Enabled())
            ShowLinkProblem();
    };
    // A network link that lost its server stays open and reconnects by itself.
    LocoNetComm1.OnLinkState = [this](TLnThreadComm&, bool) { ShowLinkProblem(); };

    // The windows that live for the whole run.
    speedometerForm_ = new TSpeedometerForm(this);
    aboutBox_ = new TAboutBox(this);

    auto* help = new QShortcut(QKeySequence::HelpContents, this, nullptr, nullptr, Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, this, &TMainForm::HelpForCurrentWindow);
}

TMainForm::~TMainForm()
{
    LinkSharing->Stop();
    LocoNetComm1.OnRxMsg = nullptr;
    LocoNetComm1.OnError = nullptr;
    LocoNetComm1.OnLinkState = nullptr;
    LocoNetComm1.Close();
}

void TMainForm::BuildMenus()
{
    auto item = [this](QMenu* menu, const char* caption, const char* name, void (TMainForm::*handler)()) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    Connect1 = item(file, "&Connect...", "Connect1", &TMainForm::Connect1Click);
    Exit1 = item(file, "E&xit", "Exit1", &TMainForm::Exit1Click);

    QMenu* configure = menuBar()->addMenu(QStringLiteral("&Configure"));
    RenumberBoards1 = item(configure, "&Renumber Boards", "RenumberBoards1", &TMainForm::RenumberBoards1Click);
    ConfigureBoards1 = item(configure, "&Configure Boards", "ConfigureBoards1", &TMainForm::ConfigureBoards1Click);
    // The board windows are not part of the program yet.
    ConfigureBoards1->setEnabled(false);

    QMenu* layout = menuBar()->addMenu(QStringLiteral("&Display layout"));
    Speedometer1 = item(layout, "Speedometer", "Speedometer1", &TMainForm::Speedometer1Click);

    QMenu* debug = menuBar()->addMenu(QStringLiteral("&LocoNet Debug"));
    MessageDisplay1 = item(debug, "&Message Display", "MessageDisplay1", &TMainForm::MessageDisplay1Click);
    QMenu* generate = debug->addMenu(QStringLiteral("&Generate"));
    SWRQ1 = item(generate, "SWR&Q", "SWRQ1", &TMainForm::SWRQ1Click);
    ArbitraryMessage1 = item(generate, "&Arbitrary Message", "ArbitraryMessage1", &TMainForm::ArbitraryMessage1Click);
    SensorFeedbackMessage1 =
        item(generate, "&Sensor Feedback Message", "SensorFeedbackMessage1", &TMainForm::SensorFeedbackMessage1Click);
    TrackPowerOn1 = item(debug, "Track Power &On", "TrackPowerOn1", &TMainForm::TrackPowerOn1Click);
    TrackPowerOff1 = item(debug, "Track Power O&ff", "TrackPowerOff1", &TMainForm::TrackPowerOff1Click);
    QueryLocoBuffer1 = item(debug, "&Query LocoBuffer", "QueryLocoBuffer1", &TMainForm::QueryLocoBuffer1Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    Help2 = item(help, "&Help", "Help2", &TMainForm::Help2Click);
    About1 = item(help, "&About....", "About1", &TMainForm::About1Click);
}

void TMainForm::BuildStatusStrip()
{
    auto label = [this](const char* text, const char* name) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    StatusConnect = label("Not Connected", "StatusConnect");
    StatusConnect->setMinimumWidth(160);
    InterfaceStatus = label("InterfaceStatus", "InterfaceStatus");
    InterfaceStatus->setMinimumWidth(220);
    Label2 = label("No. Messages received: ", "Label2");
    MsgNum = label("0", "MsgNum");
    MsgNum->setMinimumWidth(70);
    ProgStatus = new QLineEdit(QStringLiteral("ProgStatus"), this);
    ProgStatus->setObjectName(QStringLiteral("ProgStatus"));
    ProgStatus->setEnabled(false);
    ProgStatus->setMinimumWidth(200);
    LinkProblem = label("", "LinkProblem");
    LinkProblem->setStyleSheet(QStringLiteral("color: #b00000;"));
    LinkProblem->hide();

    QStatusBar* strip = statusBar();
    strip->setSizeGripEnabled(true);
    strip->addWidget(StatusConnect);
    strip->addWidget(InterfaceStatus);
    strip->addWidget(Label2);
    strip->addWidget(MsgNum);
    strip->addWidget(ProgStatus, 1);
    strip->addWidget(LinkProblem);
}

TDisplayForm* TMainForm::DisplayForm() const
{
    return displayForm_;
}

// ---- Start-up ----

bool TMainForm::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QMainWindow::event(event);
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Without a window manager the window may never be activated: start up anyway.
    if (!startupDone_)
        QTimer::singleShot(0, this, &TMainForm::FormActivate);
}

void TMainForm::FormActivate()
{
    HelpFileName = QStringLiteral("varnscope help.chm");
    ScanCommandLine();
    // Once per run: the board lists must not be loaded twice, and a failed
    // port is reopened from the connection window, not by clicking around.
    if (startupDone_)
        return;
    startupDone_ = true;

    std::unique_ptr<QSettings> store = OpenSettingsStore();
    if (options_.Simulate)
        StartSimulation();
    else
        RestoreConnection(*store);

    speedometerForm_->RestoreSettings(*store);
    if (options_.Simulate && !SettingsSectionExists(*store, QStringLiteral("SpeedometerForm"))) {
        // The simulated train runs from sensor 1,1 to sensor 1,2.
        speedometerForm_->StopBoardEdit->setValue(1);
        speedometerForm_->StopSensEdit->setValue(2);
    }
    ReloadBoardLists(*store);
    if (LocoNetComm1.LocoNetInterface() == eLocoBuffer)
        InterrogateLocoBuffer();
}

void TMainForm::ScanCommandLine()
{
    for (const QString& word : options_.Arguments) {
        if (word.toLower() == QStringLiteral("nofiles"))
            NoFiles = true;
    }
}

void TMainForm::RestoreConnection(QSettings& store)
{
    if (!SettingsSectionExists(store, kConnection)) {
        StatusConnect->setText(QStringLiteral("Not Initialised"));
        return;
    }
    LocoNetComm1.SetDeviceName(
        ReadSettingsText(store, kConnection, QStringLiteral("ComPort"), QStringLiteral("Com1")).toStdString());
    const int baud = ReadSettingsInteger(store, kConnection, QStringLiteral("Baud"), 0);
    // A speed the link does not know would reach the port unchecked: use the first.
    LocoNetComm1.SetBaudRate(baud >= br16457 && baud <= br57600 ? static_cast<TBaudRate>(baud) : br16457);
    const int iface = ReadSettingsInteger(store, kConnection, QStringLiteral("Interface"), 0);
    LocoNetComm1.SetLocoNetInterface(static_cast<ELocoNetInterface>(iface));
    OpenLink();
    StatusConnect->setText(QString::fromStdString(LocoNetComm1.DeviceName()) + QStringLiteral(": ") +
                           InterfaceName(iface));
    InterfaceStatus->setText(iface == eMS100 || iface == ePR3 ? QString() : QStringLiteral("Not detected yet"));
}

void TMainForm::StartSimulation()
{
    LocoNetComm1.SetDeviceName("sim");
    LocoNetComm1.SetBaudRate(br57600);
    LocoNetComm1.SetLocoNetInterface(eLocoBuffer);
    OpenLink();
    StatusConnect->setText(QStringLiteral("sim: ") + InterfaceName(eLocoBuffer));
    InterfaceStatus->setText(QStringLiteral("Not detected yet"));
}

void TMainForm::OpenLink()
{
    try {
        LocoNetComm1.Open();
    } catch (const std::exception& error) {
        ShowErrorText(this, QString::fromStdString(error.what()));
    }
    ShowLinkProblem();
}

void TMainForm::ShowLinkProblem()
{
    if (LocoNetComm1.Enabled() && !LocoNetComm1.Connected()) {
        const std::string reason = LocoNetComm1.PortErrorText();
        LinkProblem->setText(QStringLiteral("%1: %2; reconnecting...")
                                 .arg(QString::fromStdString(LocoNetComm1.DeviceName()),
                                      reason.empty() ? QStringLiteral("connection lost") : QString::fromStdString(reason)));
        LinkProblem->show();
        return;
    }
    if (LocoNetComm1.Enabled()) {
        LinkProblem->clear();
        LinkProblem->hide();
        return;
    }
    const std::string& reason = LocoNetComm1.LastOpenError();
    LinkProblem->setText(QStringLiteral("Cannot open %1: %2")
                             .arg(QString::fromStdString(LocoNetComm1.DeviceName()),
                                  reason.empty() ? QStringLiteral("port closed") : QString::fromStdString(reason)));
    LinkProblem->show();
}

void TMainForm::ReloadBoardLists(QSettings&)
{
    // The board lists are reloaded here, unless NoFiles, once the board
    // collection is part of this window.
}

// ---- Receiving ----

void TMainForm::LocoNetComm1RxMsg(uint32_t /*count*/)
{
    // Until the queue is empty, not the count of the event: the link raises
    // the event only when its queue fills from empty, so whatever arrived
    // while a receiver held up this loop would otherwise wait for good.
    while (LocoNetComm1.QueRxMsgCount() > 0) {
        std::unique_ptr<TLocoNetMessage> received = LocoNetComm1.ReadMessage();
        if (!received)
            break;
        ++MessageCount;
        const std::unique_ptr<TLocoNetMessage> message = MakeDecoderMessage(*received);
        received.reset();
        Deliver(*message);
    }
    MsgNum->setText(QString::number(MessageCount));
}

void TMainForm::Deliver(const TLocoNetMessage& message)
{
    switch (message.MessageKind()) {
    case eOPCSENS:
        if (const auto* report = dynamic_cast<const TLNSensFBMessage*>(&message)) {
            if (FormShown(speedometerForm_))
                speedometerForm_->SensorReport(*report);
        }
        break;
    case eOPCSVACCESS2:
        if (const auto* sv = dynamic_cast<const TLNSVProgMessage*>(&message)) {
            if (ProgramBoardOpen && FormShown(ProgramBoardForm) && ProgramBoardReceiver)
                ProgramBoardReceiver(*sv);
            if (RenumberOpen && FormShown(RenumberForm) && RenumberReceiver)
                RenumberReceiver(*sv);
        }
        break;
    case eOPCPEERXFER:
        if (const auto* peer = dynamic_cast<const TLNPeerXferMessage*>(&message)) {
            if (peer->IsLocoBufferReply())
                InterfaceStatus->setText(QString::fromStdString(peer->ToText()));
        }
        break;
    default:
        break;
    }
    if (DisplayOpen && FormShown(displayForm_))
        displayForm_->ShowMessage(message);
}

// ---- File dialogs ----

namespace {

QString RunCsvDialog(QWidget* parent, const QString& title, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, title, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setNameFilter(QStringLiteral("*.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString TMainForm::OpenFileDialog(const QString& title)
{
    return RunCsvDialog(this, title, QFileDialog::AcceptOpen);
}

QString TMainForm::SaveFileDialog(const QString& title)
{
    return RunCsvDialog(this, title, QFileDialog::AcceptSave);
}

// ---- Sending ----

void TMainForm::SendMessage(std::unique_ptr<TLocoNetMessage> message)
{
    LocoNetComm1.WriteMessage(std::move(message));
}

void TMainForm::SendOpcode(uint8_t opcode)
{
    auto message = std::make_unique<TLocoNetMessage>();
    message->AppendByte(opcode);
    message->AppendChecksum();
    SendMessage(std::move(message));
}

void TMainForm::InterrogateLocoBuffer()
{
    SendOpcode(kOpcBusy);
}

// ---- Menus ----

QWidget* TMainForm::AddChild(QWidget* form)
{
    // A window whose layout fixes its size gets a dialog border: no maximising.
    const bool fixedSize = form->layout() != nullptr && form->layout()->sizeConstraint() == QLayout::SetFixedSize;
    Qt::WindowFlags flags = Qt::SubWindow;
    if (fixedSize)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    QMdiSubWindow* frame = mdiArea_->addSubWindow(form, flags);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowIcon(windowIcon());
    frame->show();
    return frame;
}

void TMainForm::Connect1Click()
{
    auto* form = new TConnectForm(LocoNetComm1);
    connect(form, &TConnectForm::ConnectStatus, StatusConnect, &QLabel::setText);
    connect(form, &TConnectForm::LinkReopened, this, [this](bool, const QString&) { ShowLinkProblem(); });
    AddChild(form);
}

void TMainForm::Exit1Click()
{
    close();
}

void TMainForm::RenumberBoards1Click()
{
    if (ProgramBoardOpen || RenumberOpen)
        return;
    auto* form = new TRenumberForm(*this);
    connect(form, &TRenumberForm::Closed, this, [this, form] {
        if (RenumberForm == form) {
            RenumberOpen = false;
            RenumberReceiver = nullptr;
            RenumberForm = nullptr;
        }
    });
    RenumberForm = form;
    RenumberReceiver = [form](const TLNSVProgMessage& message) { form->HandleSvMessage(message); };
    RenumberOpen = true;
    AddChild(form);
}

void TMainForm::ConfigureBoards1Click()
{
    if (ProgramBoardOpen || RenumberOpen)
        return;
    // The board configuration window opens here for the board collection.
}

void TMainForm::Speedometer1Click()
{
    speedometerForm_->show();
    speedometerForm_->raise();
    speedometerForm_->activateWindow();
}

void TMainForm::MessageDisplay1Click()
{
    auto* form = new TDisplayForm;
    // Only the window being fed stops the feed when it closes: closing an
    // older display must not silence the newest one.
    connect(form, &TDisplayForm::Closed, this, [this](TDisplayForm* closed) {
        if (closed == displayForm_)
            DisplayOpen = false;
    });
    AddChild(form);
    displayForm_ = form;
    DisplayOpen = true;
}

void TMainForm::SWRQ1Click()
{
    AddChild(new TSwitchControlForm([this](std::unique_ptr<TLocoNetMessage> m) { SendMessage(std::move(m)); }));
}

void TMainForm::ArbitraryMessage1Click()
{
    AddChild(new TArbitraryMessageForm([this](std::unique_ptr<TLocoNetMessage> m) { SendMessage(std::move(m)); }));
}

void TMainForm::SensorFeedbackMessage1Click()
{
    AddChild(new TGenSensFBForm([this](std::unique_ptr<TLocoNetMessage> m) { SendMessage(std::move(m)); }));
}

void TMainForm::TrackPowerOn1Click()
{
    SendOpcode(kOpcGpOn);
}

void TMainForm::TrackPowerOff1Click()
{
    SendOpcode(kOpcGpOff);
}

void TMainForm::QueryLocoBuffer1Click()
{
    InterrogateLocoBuffer();
}

void TMainForm::Help2Click()
{
    ShowHelpTopic(kHelpTopic);
}

void TMainForm::About1Click()
{
    aboutBox_->show();
    aboutBox_->raise();
    aboutBox_->activateWindow();
}

void TMainForm::HelpForCurrentWindow()
{
    int topic = HelpContextOf(QApplication::focusWidget());
    if (topic == 0 || topic == kHelpTopic) {
        // The workspace's active window when the focus sits in the frame around it.
        if (QMdiSubWindow* active = mdiArea_->activeSubWindow()) {
            if (QApplication::activeWindow() == this) {
                const int childTopic = HelpContextOf(active->widget());
                if (childTopic != 0)
                    topic = childTopic;
            }
        }
    }
    if (topic == 0) {
        topic = HelpContextOf(QApplication::activeWindow());
        if (topic == 0)
            topic = kHelpTopic;
    }
    ShowHelpTopic(topic);
}

// ---- Exit ----

bool TMainForm::AskSaveBoardLists()
{
    // The questions about modified board lists are asked here once the
    // board collection is part of this window.
    return true;
}

void TMainForm::SaveBoardListNames(QSettings&)
{
    // The section "Filenames" is written here once the board collection is
    // part of this window.
}

void TMainForm::SaveSettings()
{
    std::unique_ptr<QSettings> store = OpenSettingsStore();
    // A simulated run leaves the operator's real connection as it was.
    if (!options_.Simulate) {
        store->beginGroup(kConnection);
        store->setValue(QStringLiteral("ComPort"), QString::fromStdString(LocoNetComm1.DeviceName()));
        store->setValue(QStringLiteral("Baud"), static_cast<int>(LocoNetComm1.BaudRate()));
        store->setValue(QStringLiteral("Interface"), static_cast<int>(LocoNetComm1.LocoNetInterface()));
        store->endGroup();
    }
    speedometerForm_->SaveSettings(*store);
    SaveBoardListNames(*store);
    store->sync();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    AskSaveBoardLists();
    SaveSettings();
    speedometerForm_->hide();
    aboutBox_->hide();
    THelpViewerForm::CloseIfOpen();
    event->accept();
}
