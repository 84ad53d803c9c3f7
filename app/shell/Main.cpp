#include "app/shell/Main.h"

#include "app/boards/Formprogboard.h"
#include "app/boards/Formlayoutsnapshot.h"
#include "app/boards/Formrenumber.h"
#include "app/shell/Aboutbox.h"
#include "app/common/Appicon.h"
#include "app/common/Appsettings.h"
#include "app/monitor/Formarbitrarymessage.h"
#include "app/shell/Formconnect.h"
#include "app/monitor/Formspeedometer.h"
#include "app/common/Formsupport.h"
#include "app/monitor/Generatesensfbform.h"
#include "app/monitor/Kindfilterdialog.h"
#include "app/common/Helpviewer.h"
#include "app/shell/Linksharing.h"
#include "app/shell/Mqttbridging.h"
#include "app/common/Statusfield.h"
#include "app/monitor/Recordingactions.h"
#include "app/common/Windowplacement.h"
#include "app/monitor/Lndisplay.h"
#ifdef VARNSCOPE_HAVE_CHARTS
#include "app/monitor/Formbusstatistics.h"
#endif
#include <QCheckBox>
#include "app/monitor/Linkclock.h"
#include "app/monitor/Swreqform.h"
#include "link/Lndecoders.h"
#include "link/Lndispatch.h"
#include "platform/Linkports.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kHelpTopic = 1;
// [ms] MsgNum is set at most this often: painting it for every message of a
// board transfer slowed the transfer by a tenth.
constexpr int kMsgNumIntervalMs = 100;
const QString kConnection = QStringLiteral("Connection");
const QString kFilenames = QStringLiteral("Filenames");
const QString kWindows = QStringLiteral("Windows");

// The monitor windows whose being open is kept across runs, by the form's
// object name, with the menu item that opens one.
struct TKeptWindow {
    const char* formName;
    void (TMainForm::*open)();
};
constexpr TKeptWindow kKeptWindows[] = {
    {"DisplayForm", &TMainForm::MessageDisplay1Click},
    {"SwitchControlForm", &TMainForm::SWRQ1Click},
    {"GenSensFBForm", &TMainForm::SensorFeedbackMessage1Click},
    {"ArbitraryMessageForm", &TMainForm::ArbitraryMessage1Click},
};

// Opcodes the main window sends on its own.
constexpr uint8_t kOpcBusy = 0x81;  // a LocoBuffer answers with its version report
constexpr uint8_t kOpcGpOff = 0x82;
constexpr uint8_t kOpcGpOn = 0x83;


TLnPortFactory PortFactoryOf(const TMainOptions& options)
{
    if (options.PortFactory)
        return options.PortFactory;
    return [](const std::string& deviceName) { return MakeLinkPort(deviceName); };
}

}  // namespace

// The main window as the other windows see it.
class TMainWorkbench final : public TWorkbench {
public:
    explicit TMainWorkbench(TMainForm& main) : TWorkbench(&main), main_(main) {}

    void SendMessage(std::unique_ptr<TLocoNetMessage> message, const QString& what) override
    {
        main_.SendMessage(std::move(message), what);
    }
    TLinkState LinkState() const override
    {
        const TLocoNetComm& link = main_.LocoNetComm1;
        return {link.Enabled(), link.Connected(), QString::fromStdString(link.DeviceName()), link.LocoNetInterface()};
    }
    TBoardData& BoardData() override { return main_.BoardData; }
    QString OpenFileDialog(const QString& title) override { return main_.OpenFileDialog(title); }
    QString SaveFileDialog(const QString& title, const QString& fileName) override
    {
        return main_.SaveFileDialog(title, fileName);
    }
    // Through the main window's own signal, which comes back here.
    void AnnounceBoardListsChanged() override { emit main_.BoardListsChanged(); }
    void ShowProgStatus(const QString& text) override { main_.ProgStatus->setText(text); }
    QMdiArea* Workspace() const override { return main_.Workspace(); }
    QWidget* TopWindow() const override { return &main_; }
    void CloseProgram() override { main_.close(); }

private:
    TMainForm& main_;
};

TMainForm::TMainForm(TMainOptions options, QWidget* parent)
    : QMainWindow(parent), LocoNetComm1(PortFactoryOf(options)), options_(std::move(options))
{
    setWindowTitle(QStringLiteral("Quorvel LocoNet Analyser"));
    setObjectName(QStringLiteral("MainForm"));
    setWindowIcon(ProgramIcon());
    SetHelpContext(this, kHelpTopic);
    HelpFileName = QStringLiteral("varnscope help.chm");

    workbench_ = new TMainWorkbench(*this);
    connect(this, &TMainForm::LinkLost, workbench_, &TWorkbench::LinkLost);
    connect(this, &TMainForm::BoardListsChanged, workbench_, &TWorkbench::BoardListsChanged);

    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("Workspace"));
    setCentralWidget(mdiArea_);
    // Board files dropped anywhere on the window open into their lists.
    setAcceptDrops(true);
    BuildMenus();
    BuildStatusStrip();
    // Recording goes beside the items it belongs with, and its field last in the strip.
    recordingActions_ = new TRecordingActions(this, LocoNetComm1, [this](QWidget* form) { AddChild(form); });
    recordingActions_->SetWorkbench(workbench_);
    recordingActions_->AddTo(qobject_cast<QMenu*>(Exit1->parent()), Exit1, qobject_cast<QMenu*>(MessageDisplay1->parent()),
                             statusBar());
    LinkSharing = new TLinkSharing(*this, LocoNetComm1, Connect1);
    MqttBridging = new TMqttBridging(*this, LocoNetComm1, LinkSharing->Action());
    resize(1040, 720);
    RestoreMainGeometry();

    LocoNetComm1.SetDeviceName("Com1");
    LocoNetComm1.SetBaudRate(br16457);
    LocoNetComm1.OnRxMsg = [this](TLnThreadComm&, uint32_t count) { LocoNetComm1RxMsg(count); };
    // A device that goes away closes the link: say so where the operator looks.
    LocoNetComm1.OnError = [this](TLnThreadComm&, uint32_t) {
        if (!LocoNetComm1.Enabled()) {
            ShowLinkProblem();
            const std::string& reason = LocoNetComm1.LastOpenError();
            emit LinkLost(reason.empty() ? QStringLiteral("the device went away") : QString::fromStdString(reason));
        }
    };
    // A network link that lost its server stays open and reconnects by itself,
    // but what was on its way meanwhile is gone.
    LocoNetComm1.OnLinkState = [this](TLnThreadComm&, bool connected) {
        ShowLinkProblem();
        if (!connected) {
            const std::string reason = LocoNetComm1.PortErrorText();
            emit LinkLost(reason.empty() ? QStringLiteral("the connection was lost") : QString::fromStdString(reason));
        }
    };
    msgNumTimer_ = new QTimer(this);
    msgNumTimer_->setSingleShot(true);
    msgNumTimer_->setTimerType(Qt::PreciseTimer);
    connect(msgNumTimer_, &QTimer::timeout, this, &TMainForm::ShowMessageCount);

    // The windows that live for the whole run.
    speedometerForm_ = new TSpeedometerForm(this);
    speedometerForm_->ListenTo(*workbench_);
    aboutBox_ = new TAboutBox(this);

    auto* help = new QShortcut(QKeySequence::HelpContents, this, nullptr, nullptr, Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, this, &TMainForm::HelpForCurrentWindow);
}

TMainForm::~TMainForm()
{
    LinkSharing->Stop();
    MqttBridging->Stop();
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
    LayoutSnapshot1 = item(configure, "&Layout Snapshot...", "LayoutSnapshot1", &TMainForm::LayoutSnapshot1Click);

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
#ifdef VARNSCOPE_HAVE_CHARTS
    BusStatistics1 = item(debug, "Bus &Statistics", "BusStatistics1", &TMainForm::BusStatistics1Click);
#else
    BusStatistics1 = item(debug, "Bus &Statistics (not in this build)", "BusStatistics1", &TMainForm::BusStatistics1Click);
#endif

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    Help2 = item(help, "&Help", "Help2", &TMainForm::Help2Click);
    About1 = item(help, "&About....", "About1", &TMainForm::About1Click);
}

void TMainForm::BuildStatusStrip()
{
    // Long texts (a LocoBuffer's version line, why a port failed) are elided
    // in the strip and read in full in their tooltips; when the strip is
    // short of room each gives way down to its minimum.
    auto field = [this](const char* text, const char* name, int minimumWidth) {
        auto* f = new TStatusField(QString::fromLatin1(text), minimumWidth, this);
        f->setObjectName(QString::fromLatin1(name));
        return f;
    };
    StatusConnect = field("Not Connected", "StatusConnect", 110);
    InterfaceStatus = field("", "InterfaceStatus", 110);
    Label2 = new QLabel(QStringLiteral("No. Messages received: "), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    MsgNum = new QLabel(QStringLiteral("0"), this);
    MsgNum->setObjectName(QStringLiteral("MsgNum"));
    // Room for the largest count there can be.
    MsgNum->setMinimumWidth(MsgNum->fontMetrics().horizontalAdvance(QStringLiteral("4294967295")) + 8);
    ProgStatus = new QLineEdit(this);
    ProgStatus->setObjectName(QStringLiteral("ProgStatus"));
    ProgStatus->setEnabled(false);
    ProgStatus->setMinimumWidth(140);
    connect(ProgStatus, &QLineEdit::textChanged, ProgStatus, &QLineEdit::setToolTip);
    LinkProblem = field("", "LinkProblem", 110);
    QPalette warning = LinkProblem->palette();
    warning.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
    LinkProblem->setPalette(warning);
    LinkProblem->hide();

    QStatusBar* strip = statusBar();
    strip->setSizeGripEnabled(true);
    strip->addWidget(StatusConnect);
    strip->addWidget(InterfaceStatus);
    strip->addWidget(Label2);
    strip->addWidget(MsgNum);
    strip->addWidget(ProgStatus, 1);
    strip->addWidget(LinkProblem, 2);
}

TWorkbench& TMainForm::Workbench() const
{
    return *workbench_;
}

TDisplayForm* TMainForm::DisplayForm() const
{
    const QList<TDisplayForm*> forms = DisplayForms();
    return forms.isEmpty() ? nullptr : forms.constLast();
}

QList<TDisplayForm*> TMainForm::DisplayForms() const
{
    QList<TDisplayForm*> forms;
    for (const QPointer<TDisplayForm>& form : displayForms_) {
        if (!form.isNull())
            forms << form.data();
    }
    return forms;
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
    RestoreWindows(*store);
    ReloadBoardLists(*store);
    // Files given to open take the place of the stored lists of their types.
    if (!givenFiles_.isEmpty())
        OpenBoardFiles(givenFiles_);
    if (LocoNetComm1.LocoNetInterface() == eLocoBuffer)
        InterrogateLocoBuffer();
}

void TMainForm::ScanCommandLine()
{
    givenFiles_.clear();
    for (const QString& word : options_.Arguments) {
        if (word.toLower() == QStringLiteral("nofiles"))
            NoFiles = true;
        else
            givenFiles_ << word;
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
    LocoNetComm1.SetFlowControl(FlowControlFromText(
        ReadSettingsText(store, kConnection, QStringLiteral("FlowControl"), FlowControlText(TLnFlowControl::Hardware))));
    OpenLink();
    ShowLinkName();
    InterfaceStatus->setText(iface == eMS100 || iface == ePR3 ? QString() : QStringLiteral("Not detected yet"));
}

void TMainForm::StartSimulation()
{
    LocoNetComm1.SetDeviceName("sim");
    LocoNetComm1.SetBaudRate(br57600);
    LocoNetComm1.SetLocoNetInterface(eLocoBuffer);
    OpenLink();
    ShowLinkName();
    InterfaceStatus->setText(QStringLiteral("Not detected yet"));
}

void TMainForm::OpenLink()
{
    try {
        LocoNetComm1.Open();
        RestartLinkClock();
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
        // The port works, but a receive log asked for is missing.
        const std::string& logProblem = LocoNetComm1.LogOpenError();
        LinkProblem->setText(QString::fromStdString(logProblem));
        LinkProblem->setVisible(!logProblem.empty());
        return;
    }
    const std::string& reason = LocoNetComm1.LastOpenError();
    // An empty name is no port at all: what the system makes of it is beside the point.
    if (LocoNetComm1.DeviceName().empty())
        LinkProblem->setText(QStringLiteral("No port chosen: choose one with File, Connect..."));
    else
        LinkProblem->setText(QStringLiteral("Cannot open %1: %2")
                                 .arg(QString::fromStdString(LocoNetComm1.DeviceName()),
                                      reason.empty() ? QStringLiteral("port closed") : QString::fromStdString(reason)));
    LinkProblem->show();
}

void TMainForm::ReloadBoardLists(QSettings& store)
{
    // Runs once per program run (FormActivate): a second run would append the
    // same files' boards to the lists again.
    if (NoFiles || !SettingsSectionExists(store, kFilenames))
        return;
    for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
        const QString fileName =
            ReadSettingsText(store, kFilenames, QString::fromStdString(TBoardData::ShortTypeName(type)), QString());
        if (fileName.isEmpty())
            continue;
        if (!BoardData.LoadList(type, fileName.toStdString()))
            ShowErrorText(this, QString::fromStdString(BoardData.LastErrorText()));
    }
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
        MqttBridging->Deliver(*message);
        Deliver(*message);
    }
    // The count is exact at once; its label follows at most every
    // kMsgNumIntervalMs. It is set here, after the receivers have answered
    // what came in, rather than from a timer that may fire just as a reply
    // is due; the timer only brings it up to date once the bus is quiet.
    const qint64 since = msgNumShown_.isValid() ? msgNumShown_.elapsed() : kMsgNumIntervalMs;
    if (since >= kMsgNumIntervalMs)
        ShowMessageCount();
    else if (!msgNumTimer_->isActive())
        msgNumTimer_->start(static_cast<int>(2 * kMsgNumIntervalMs - since));
}

void TMainForm::ShowMessageCount()
{
    msgNumTimer_->stop();
    MsgNum->setText(QString::number(MessageCount));
    msgNumShown_.start();
}

void TMainForm::Deliver(const TLocoNetMessage& message)
{
    // The interface's state is this window's own; the other windows
    // registered for what they want.
    if (message.MessageKind() == eOPCPEERXFER) {
        if (const auto* peer = dynamic_cast<const TLNPeerXferMessage*>(&message)) {
            if (peer->IsLocoBufferReply())
                InterfaceStatus->setText(QString::fromStdString(peer->ToText()));
        }
    }
    workbench_->Deliver(message);
}

// ---- File dialogs ----

namespace {

QString RunCsvDialog(QWidget* parent, const QString& title, bool save, const QString& fileName)
{
    TFileDialogRequest request;
    request.save = save;
    request.title = title;
    request.fileName = fileName;
    request.filter = QStringLiteral("*.csv");
    request.defaultSuffix = QStringLiteral("csv");
    return AskFileName(parent, request);
}

}  // namespace

QString TMainForm::OpenFileDialog(const QString& title)
{
    return RunCsvDialog(this, title, false, {});
}

QString TMainForm::SaveFileDialog(const QString& title, const QString& fileName)
{
    return RunCsvDialog(this, title, true, fileName);
}

// ---- Sending ----

void TMainForm::SendMessage(std::unique_ptr<TLocoNetMessage> message, const QString& what)
{
    // A closed link drops what it is given; a command the operator gave must say so.
    if (!LocoNetComm1.Enabled() && !what.isEmpty()) {
        ShowNotConnected(what);
        return;
    }
    LocoNetComm1.WriteMessage(std::move(message));
}

void TMainForm::ShowNotConnected(const QString& what)
{
    QString note = what + QStringLiteral(" not sent: not connected");
    // Why the port did not open stays readable beside it.
    if (!LocoNetComm1.LastOpenError().empty() || LocoNetComm1.DeviceName().empty()) {
        ShowLinkProblem();
        note += QStringLiteral(" (") + LinkProblem->text() + QLatin1Char(')');
    }
    LinkProblem->setText(note);
    LinkProblem->show();
}

void TMainForm::SendOpcode(uint8_t opcode, const QString& what)
{
    auto message = std::make_unique<TLocoNetMessage>();
    message->AppendByte(opcode);
    message->AppendChecksum();
    SendMessage(std::move(message), what);
}

void TMainForm::InterrogateLocoBuffer()
{
    // At start-up a closed port has been reported already.
    SendOpcode(kOpcBusy, {});
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
    // The workspace cascades new windows downwards, past its bottom when
    // others are open already.
    FitIntoRoom(frame, mdiArea_->viewport()->rect());
    return frame;
}

void TMainForm::Connect1Click()
{
    auto* form = new TConnectForm(LocoNetComm1);
    connect(form, &TConnectForm::LinkReopened, this, [this](bool, const QString&) {
        ShowLinkName();
        InterfaceChanged();
    });
    AddChild(form);
}

void TMainForm::ShowLinkName()
{
    // Whether it opened is said beside it, in the link problem field.
    StatusConnect->setText(QString::fromStdString(LocoNetComm1.DeviceName()) + QStringLiteral(": ") +
                           TConnectForm::InterfaceName(LocoNetComm1.LocoNetInterface()));
}

void TMainForm::InterfaceChanged()
{
    // The state of the interface used before says nothing about this one.
    const int iface = LocoNetComm1.LocoNetInterface();
    InterfaceStatus->setText(iface == eMS100 || iface == ePR3 ? QString() : QStringLiteral("Not detected yet"));
    ShowLinkProblem();
    if (LocoNetComm1.Enabled() && iface == eLocoBuffer)
        InterrogateLocoBuffer();
}

void TMainForm::Exit1Click()
{
    close();
}

void TMainForm::RenumberBoards1Click()
{
    // One window at a time talks SV access: their replies would mix.
    if (ProgramBoardOpen || RenumberOpen || LayoutSnapshotOpen)
        return;
    auto* form = new TRenumberForm(*workbench_);
    connect(form, &TRenumberForm::Closed, this, [this, form] {
        if (RenumberForm == form) {
            RenumberOpen = false;
            RenumberForm = nullptr;
        }
    });
    RenumberForm = form;
    RenumberOpen = true;
    AddChild(form);
}

void TMainForm::ConfigureBoards1Click()
{
    // One window at a time talks SV access: their replies would mix.
    if (ProgramBoardOpen || RenumberOpen || LayoutSnapshotOpen)
        return;
    auto* form = new TProgramBoardForm(*workbench_);
    connect(form, &TProgramBoardForm::Closed, this, [this] { ProgramBoardOpen = false; });
    ProgramBoardForm = form;
    ProgramBoardOpen = true;
    QWidget* frame = AddChild(form);
    frame->resize(frame->sizeHint().expandedTo(QSize(780, 600)));
    FitIntoRoom(frame, mdiArea_->viewport()->rect());
}

void TMainForm::LayoutSnapshot1Click()
{
    if (ProgramBoardOpen || RenumberOpen || LayoutSnapshotOpen)
        return;
    auto* form = new TLayoutSnapshotForm(*workbench_);
    connect(form, &TLayoutSnapshotForm::Closed, this, [this, form] {
        if (LayoutSnapshotForm == form) {
            LayoutSnapshotOpen = false;
            LayoutSnapshotForm = nullptr;
        }
    });
    LayoutSnapshotForm = form;
    LayoutSnapshotOpen = true;
    QWidget* frame = AddChild(form);
    frame->resize(frame->sizeHint().expandedTo(QSize(820, 480)));
    FitIntoRoom(frame, mdiArea_->viewport()->rect());
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
    // The lowest number no open display has, so two captions never match.
    QList<int> taken;
    for (const TDisplayForm* open : DisplayForms())
        taken << open->Number();
    int number = 1;
    while (taken.contains(number))
        ++number;
    form->SetNumber(number);
    form->ListenTo(*workbench_);
    // Every open display is fed; the feed stops when the last one closes.
    connect(form, &TDisplayForm::Closed, this, [this](TDisplayForm* closed) {
        displayForms_.removeAll(closed);
        DisplayOpen = !DisplayForms().isEmpty();
    });
    AddChild(form);
    displayForms_.append(form);
    DisplayOpen = true;
}

void TMainForm::SWRQ1Click()
{
    AddChild(new TSwitchControlForm(
        [this](std::unique_ptr<TLocoNetMessage> m) { SendMessage(std::move(m), QStringLiteral("Switch request")); }));
}

void TMainForm::ArbitraryMessage1Click()
{
    AddChild(new TArbitraryMessageForm(
        [this](std::unique_ptr<TLocoNetMessage> m) { SendMessage(std::move(m), QStringLiteral("Message")); }));
}

void TMainForm::SensorFeedbackMessage1Click()
{
    AddChild(new TGenSensFBForm(
        [this](std::unique_ptr<TLocoNetMessage> m) { SendMessage(std::move(m), QStringLiteral("Sensor report")); }));
}

void TMainForm::TrackPowerOn1Click()
{
    SendOpcode(kOpcGpOn, QStringLiteral("Track Power On"));
}

void TMainForm::TrackPowerOff1Click()
{
    SendOpcode(kOpcGpOff, QStringLiteral("Track Power Off"));
}

void TMainForm::QueryLocoBuffer1Click()
{
    SendOpcode(kOpcBusy, QStringLiteral("Query LocoBuffer"));
}

void TMainForm::BusStatistics1Click()
{
#ifdef VARNSCOPE_HAVE_CHARTS
    auto* form = new TBusStatisticsForm;
    form->ListenTo(*workbench_, [this] { return LocoNetComm1.FramingStats(); });
    AddChild(form);
#else
    ShowNotice(this, QStringLiteral("Bus Statistics"),
               QStringLiteral("Bus Statistics draws its graphs with Qt Charts, which is not in this build. "
                              "varnscope-cli stats gives the same figures as text or CSV."));
#endif
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
    bool allSaved = true;
    for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
        switch (AskSaveBoardList(type)) {
        case TListKept::Cancelled:
            return false;
        case TListKept::Failed:
            allSaved = false;
            break;
        case TListKept::Done:
            break;
        }
    }
    return allSaved;
}

TMainForm::TListKept TMainForm::AskSaveBoardList(uint8_t type)
{
    if (BoardData.BoardCount(type) == 0 || !BoardData.IsModified(type))
        return TListKept::Done;
    const QString longName = QString::fromStdString(TBoardData::LongTypeName(type));
    // The caption may be cut short: the question itself names the list.
    const TAnswer answer = AskYesNoCancel(
        this, longName, QStringLiteral("The %1 list has changed.\nDo you want to save data?").arg(longName));
    if (answer == TAnswer::Cancel)
        return TListKept::Cancelled;
    if (answer == TAnswer::No)
        return TListKept::Done;
    bool saved = false;
    // The part read of a damaged file is not written over the whole
    // without the operator choosing the file.
    if (BoardData.HasFileName(type) && !BoardData.IsPartlyRead(type)) {
        saved = BoardData.SaveList(type);
    } else {
        const QString fileName = SaveFileDialog(QStringLiteral("Save As: ") + longName, SuggestedListFileName(type));
        // Wanted saved but no file chosen: go no further rather than lose the list.
        if (fileName.isEmpty())
            return TListKept::Cancelled;
        saved = BoardData.SaveListAs(type, fileName.toStdString());
    }
    if (!saved) {
        ShowErrorText(this, QString::fromStdString(BoardData.LastErrorText()));
        return TListKept::Failed;
    }
    return TListKept::Done;
}

// ---- Board files from outside: the command line and drops ----

namespace {

// A local path from a command-line word or a dropped URL ("file:///...", as
// desktops pass with %U); empty for a remote URL.
QString LocalPathOf(const QString& word)
{
    if (word.startsWith(QLatin1String("file:"))) {
        const QUrl url(word);
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }
    if (word.contains(QLatin1String("://")))
        return {};
    return word;
}

}  // namespace

int TMainForm::OpenBoardFiles(const QStringList& names)
{
    int opened = 0;
    int lastType = -1;
    for (const QString& name : names) {
        const QString path = LocalPathOf(name);
        if (path.isEmpty()) {
            ShowErrorText(this, name + QStringLiteral(": only files on this computer can be opened"));
            continue;
        }
        // Stored at exit for the next start, which may run elsewhere.
        const int type = OpenBoardFile(QFileInfo(path).absoluteFilePath());
        if (type >= 0) {
            ++opened;
            lastType = type;
        }
    }
    if (opened == 0)
        return 0;
    emit BoardListsChanged();
    // Shown where the lists are edited, at the last list opened.
    if (!ProgramBoardOpen && !RenumberOpen)
        ConfigureBoards1Click();
    if (auto* form = qobject_cast<TProgramBoardForm*>(ProgramBoardForm.data()))
        form->BoardTabControl->setCurrentIndex(lastType);
    const auto type = static_cast<uint8_t>(lastType);
    ProgStatus->setText(QStringLiteral("%1 opened: %2 %3 boards")
                            .arg(QFileInfo(QString::fromStdString(BoardData.FileNameOf(type))).fileName())
                            .arg(BoardData.BoardCount(type))
                            .arg(QString::fromStdString(TBoardData::ShortTypeName(type))));
    return opened;
}

int TMainForm::OpenBoardFile(const QString& path)
{
    std::string error;
    const int type = TBoardData::FileBoardType(path.toStdString(), error);
    if (type < 0) {
        ShowErrorText(this, QString::fromStdString(error));
        return -1;
    }
    const auto list = static_cast<uint8_t>(type);
    const QString shortName = QString::fromStdString(TBoardData::ShortTypeName(list));
    // A transfer works on a board of the lists: replacing them under it
    // would pull the board away.
    if (auto* form = qobject_cast<TProgramBoardForm*>(ProgramBoardForm.data()); form && form->Busy()) {
        ShowErrorText(this, QStringLiteral("%1 was not opened: the %2 list cannot be replaced while a board is "
                                           "being programmed, read or verified")
                                .arg(path, shortName));
        return -1;
    }
    // The list it replaces may hold changes of its own.
    if (AskSaveBoardList(list) != TListKept::Done)
        return -1;
    const bool loaded = BoardData.OpenList(list, path.toStdString());
    if (!BoardData.LastWarningText().empty())
        ShowNotice(this, QStringLiteral("Board file"), QString::fromStdString(BoardData.LastWarningText()));
    if (!loaded) {
        ShowErrorText(this, QString::fromStdString(BoardData.LastErrorText()));
        return -1;
    }
    return type;
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    const bool files = !urls.isEmpty() && std::all_of(urls.cbegin(), urls.cend(), [](const QUrl& url) {
        return url.isLocalFile();
    });
    if (files)
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    QStringList names;
    for (const QUrl& url : event->mimeData()->urls())
        names << url.toString();
    event->acceptProposedAction();
    // After the drop has ended: the questions and errors are boxes of their own.
    QTimer::singleShot(0, this, [this, names] { OpenBoardFiles(names); });
}

void TMainForm::SaveBoardListNames(QSettings& store)
{
    store.beginGroup(kFilenames);
    for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
        // A run without the files keeps the stored names of the lists it
        // gave no file of their own.
        if (NoFiles && !BoardData.HasFileName(type))
            continue;
        store.setValue(QString::fromStdString(TBoardData::ShortTypeName(type)),
                       QString::fromStdString(BoardData.FileNameOf(type)));
    }
    store.endGroup();
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
        store->setValue(QStringLiteral("FlowControl"), FlowControlText(LocoNetComm1.FlowControl()));
        store->endGroup();
    }
    speedometerForm_->SaveSettings(*store);
    SaveWindows(*store);
    SaveBoardListNames(*store);
    store->sync();
}

// ---- Window layout ----

void TMainForm::RestoreMainGeometry()
{
    std::unique_ptr<QSettings> store = OpenSettingsStore();
    store->beginGroup(kWindows);
    const QByteArray geometry = store->value(QStringLiteral("MainGeometry")).toByteArray();
    const QByteArray state = store->value(QStringLiteral("MainState")).toByteArray();
    const bool maximized = store->value(QStringLiteral("Maximized"), false).toBool();
    store->endGroup();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    if (!state.isEmpty())
        restoreState(state);
    if (maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::RestoreWindows(QSettings& store)
{
    if (!SettingsSectionExists(store, kWindows))
        return;
    struct TOpenWindow {
        QString form;
        QRect geometry;
        bool minimized;
        bool showTimes;      // message displays only
        QString hiddenKinds;
    };
    QList<TOpenWindow> open;
    store.beginGroup(kWindows);
    const int count = store.beginReadArray(QStringLiteral("Open"));
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        open.append({store.value(QStringLiteral("Form")).toString(), store.value(QStringLiteral("Geometry")).toRect(),
                     store.value(QStringLiteral("Minimized"), false).toBool(),
                     store.value(QStringLiteral("ShowTimes"), false).toBool(),
                     store.value(QStringLiteral("HiddenKinds")).toString()});
    }
    store.endArray();
    const bool speedometer = store.value(QStringLiteral("Speedometer"), false).toBool();
    const QPoint speedometerAt = store.value(QStringLiteral("SpeedometerPos")).toPoint();
    store.endGroup();

    for (const TOpenWindow& window : open) {
        for (const TKeptWindow& kept : kKeptWindows) {
            if (window.form != QLatin1String(kept.formName))
                continue;
            (this->*kept.open)();
            QMdiSubWindow* frame = mdiArea_->subWindowList(QMdiArea::CreationOrder).constLast();
            // A place left outside a smaller workspace is not used.
            if (window.geometry.isValid() && !window.minimized &&
                QRect(QPoint(0, 0), mdiArea_->size()).intersects(window.geometry))
                frame->setGeometry(window.geometry);
            if (window.minimized)
                frame->showMinimized();
            if (auto* display = qobject_cast<TDisplayForm*>(frame->widget())) {
                display->TimesButton->setChecked(window.showTimes);
                display->SetHiddenKinds(KindSetOfText(window.hiddenKinds));
            }
        }
    }
    if (speedometer) {
        if (QGuiApplication::screenAt(speedometerAt) != nullptr)
            speedometerForm_->move(speedometerAt);
        Speedometer1Click();
    }
}

void TMainForm::SaveWindows(QSettings& store)
{
    store.remove(kWindows);
    store.beginGroup(kWindows);
    store.setValue(QStringLiteral("MainGeometry"), saveGeometry());
    store.setValue(QStringLiteral("MainState"), saveState());
    store.setValue(QStringLiteral("Maximized"), isMaximized());
    store.beginWriteArray(QStringLiteral("Open"));
    int index = 0;
    for (QMdiSubWindow* frame : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (frame->widget() == nullptr || frame->isHidden())
            continue;
        const QString name = frame->widget()->objectName();
        bool kept = false;
        for (const TKeptWindow& window : kKeptWindows)
            kept = kept || name == QLatin1String(window.formName);
        if (!kept)
            continue;
        store.setArrayIndex(index++);
        store.setValue(QStringLiteral("Form"), name);
        store.setValue(QStringLiteral("Geometry"), frame->geometry());
        store.setValue(QStringLiteral("Minimized"), frame->isMinimized());
        if (const auto* display = qobject_cast<const TDisplayForm*>(frame->widget())) {
            store.setValue(QStringLiteral("ShowTimes"), display->TimesButton->isChecked());
            store.setValue(QStringLiteral("HiddenKinds"), KindSetText(display->Model()->HiddenKinds()));
        }
    }
    store.endArray();
    store.setValue(QStringLiteral("Speedometer"), speedometerForm_->isVisible());
    store.setValue(QStringLiteral("SpeedometerPos"), speedometerForm_->pos());
    store.endGroup();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // Cancel, or a list the operator wanted saved that could not be written,
    // keeps the program open, so that nothing is lost on the way out.
    if (!AskSaveBoardLists()) {
        event->ignore();
        return;
    }
    SaveSettings();
    speedometerForm_->hide();
    aboutBox_->hide();
    THelpViewerForm::CloseIfOpen();
    event->accept();
}
