#include "app/shell/Mqttbridging.h"

#include "app/common/Appsettings.h"
#include "app/common/Formsupport.h"
#include "app/common/Menusupport.h"
#include "link/Lnmessage.h"

#ifdef VARNSCOPE_HAVE_MQTT
#include "mqtt/Mqttbridge.h"
#endif

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kBridgeCaption = QStringLiteral("&Bridge to MQTT...");
const QString kStopCaption = QStringLiteral("Stop &Bridge to MQTT");
const QString kMissingCaption = QStringLiteral("Bridge to MQTT (not in this build)");

// Where the settings are kept; the password stays in its own file.
struct TKeys {
    static inline const QString broker = QStringLiteral("Mqtt/Broker");
    static inline const QString prefix = QStringLiteral("Mqtt/Prefix");
    static inline const QString style = QStringLiteral("Mqtt/Style");
    static inline const QString write = QStringLiteral("Mqtt/Write");
    static inline const QString clientId = QStringLiteral("Mqtt/ClientId");
    static inline const QString user = QStringLiteral("Mqtt/User");
    static inline const QString passwordFile = QStringLiteral("Mqtt/PasswordFile");
    static inline const QString tlsCa = QStringLiteral("Mqtt/TlsCa");
};

QString BrokerText(const TMqttSettings& settings)
{
    if (settings.host.isEmpty())
        return {};
    const QString host = settings.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + settings.host + QLatin1Char(']')
                                                                  : settings.host;
    return host + QStringLiteral(":%1").arg(settings.port);
}

TMqttSettings LoadSettings()
{
    TMqttSettings settings;
    const std::unique_ptr<QSettings> store = OpenSettingsStore();
    QString reason;
    ReadBrokerAddress(store->value(TKeys::broker, QStringLiteral("localhost")).toString(),
                      TMqttSettings::kDefaultPort, settings.host, settings.port, reason);
    settings.prefix = store->value(TKeys::prefix, settings.prefix).toString();
    ReadMqttStyle(store->value(TKeys::style).toString(), settings.style);
    settings.write = store->value(TKeys::write, false).toBool();
    settings.clientId = store->value(TKeys::clientId).toString();
    settings.user = store->value(TKeys::user).toString();
    settings.passwordFile = store->value(TKeys::passwordFile).toString();
    settings.tlsCa = store->value(TKeys::tlsCa).toString();
    return settings;
}

[[maybe_unused]] void SaveSettings(const TMqttSettings& settings)
{
    const std::unique_ptr<QSettings> store = OpenSettingsStore();
    store->setValue(TKeys::broker, BrokerText(settings));
    store->setValue(TKeys::prefix, settings.prefix);
    store->setValue(TKeys::style, MqttStyleName(settings.style));
    store->setValue(TKeys::write, settings.write);
    store->setValue(TKeys::clientId, settings.clientId);
    store->setValue(TKeys::user, settings.user);
    store->setValue(TKeys::passwordFile, settings.passwordFile);
    store->setValue(TKeys::tlsCa, settings.tlsCa);
}

// A path field with its Browse button, in one row of the form.
QWidget* FileRow(QWidget* parent, const QString& text, const QString& name, QLineEdit*& edit, QPushButton*& button)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    edit = new QLineEdit(text, row);
    edit->setObjectName(name + QStringLiteral("Edit"));
    edit->setMinimumWidth(260);
    button = new QPushButton(QStringLiteral("Browse..."), row);
    button->setObjectName(name + QStringLiteral("Button"));
    button->setAutoDefault(false);
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    QLineEdit* target = edit;
    QObject::connect(button, &QPushButton::clicked, row, [row, target] {
        const QString path = QFileDialog::getOpenFileName(row->window(), QString(), target->text());
        if (!path.isEmpty())
            target->setText(path);
    });
    return row;
}

}  // namespace

TMqttBridgeDialog::TMqttBridgeDialog(const TMqttSettings& settings, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MqttBridgeDialog"));
    setWindowTitle(QStringLiteral("Bridge to MQTT"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Publish the messages of the open link on an MQTT broker, for\n"
                                            "home-automation tools, tablets and boards of your own."),
                             this);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    BrokerEdit = new QLineEdit(BrokerText(settings), this);
    BrokerEdit->setObjectName(QStringLiteral("BrokerEdit"));
    BrokerEdit->setToolTip(QStringLiteral("HOST[:PORT]; port 1883, or 8883 with TLS, unless named"));
    form->addRow(QStringLiteral("&Broker:"), BrokerEdit);
    PrefixEdit = new QLineEdit(settings.prefix, this);
    PrefixEdit->setObjectName(QStringLiteral("PrefixEdit"));
    PrefixEdit->setToolTip(QStringLiteral("The first levels of every topic: <prefix>/rx, <prefix>/sensor/..."));
    form->addRow(QStringLiteral("&Topic prefix:"), PrefixEdit);
    StyleCombo = new QComboBox(this);
    StyleCombo->setObjectName(QStringLiteral("StyleCombo"));
    StyleCombo->addItem(QStringLiteral("Raw messages as JSON (<prefix>/rx)"), int(EMqttStyle::Raw));
    StyleCombo->addItem(QStringLiteral("Objects: sensors, switches, power (retained)"), int(EMqttStyle::Objects));
    StyleCombo->addItem(QStringLiteral("Both"), int(EMqttStyle::Both));
    StyleCombo->setCurrentIndex(StyleCombo->findData(int(settings.style)));
    form->addRow(QStringLiteral("&Style:"), StyleCombo);
    WriteCheck = new QCheckBox(QStringLiteral("&Let devices send onto the bus (tx and the set topics)"), this);
    WriteCheck->setObjectName(QStringLiteral("WriteCheck"));
    WriteCheck->setChecked(settings.write);
    form->addRow(QString(), WriteCheck);
    ClientIdEdit = new QLineEdit(settings.clientId, this);
    ClientIdEdit->setObjectName(QStringLiteral("ClientIdEdit"));
    ClientIdEdit->setPlaceholderText(QStringLiteral("made up at each start"));
    form->addRow(QStringLiteral("&Client ID:"), ClientIdEdit);
    UserEdit = new QLineEdit(settings.user, this);
    UserEdit->setObjectName(QStringLiteral("UserEdit"));
    UserEdit->setPlaceholderText(QStringLiteral("none"));
    form->addRow(QStringLiteral("&User:"), UserEdit);
    form->addRow(QStringLiteral("&Password file:"),
                 FileRow(this, settings.passwordFile, QStringLiteral("PasswordFile"), PasswordFileEdit,
                         PasswordFileButton));
    PasswordFileEdit->setToolTip(QStringLiteral("A file whose first line is the password; the password itself "
                                                "is never kept in the settings"));
    form->addRow(QStringLiteral("TLS C&A file:"),
                 FileRow(this, settings.tlsCa, QStringLiteral("TlsCa"), TlsCaEdit, TlsCaButton));
    TlsCaEdit->setPlaceholderText(QStringLiteral("none: no TLS"));
    // The labels' shortcuts go to their fields.
    for (int row = 0; row < form->rowCount(); ++row)
        if (auto* label = qobject_cast<QLabel*>(form->itemAt(row, QFormLayout::LabelRole)
                                                    ? form->itemAt(row, QFormLayout::LabelRole)->widget()
                                                    : nullptr))
            if (QWidget* field = form->itemAt(row, QFormLayout::FieldRole)->widget())
                label->setBuddy(field->findChild<QLineEdit*>() ? field->findChild<QLineEdit*>() : field);

    Problem = new QLabel(this);
    Problem->setObjectName(QStringLiteral("Problem"));
    Problem->setStyleSheet(QStringLiteral("color: #b00000;"));
    Problem->setWordWrap(true);
    Problem->hide();
    layout->addWidget(Problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Start"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] { ShowHelpTopic(kHelpTopic); });
    SetHelpContext(this, kHelpTopic);
    // A modal dialog takes F1 itself: the main window's key does not reach past it.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [] { ShowHelpTopic(kHelpTopic); });
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    BrokerEdit->selectAll();
    BrokerEdit->setFocus();
}

bool TMqttBridgeDialog::Read(TMqttSettings& settings, QString& reason) const
{
    settings.tlsCa = TlsCaEdit->text().trimmed();
    const int defaultPort = settings.tlsCa.isEmpty() ? TMqttSettings::kDefaultPort : TMqttSettings::kDefaultTlsPort;
    if (!ReadBrokerAddress(BrokerEdit->text(), defaultPort, settings.host, settings.port, reason)) {
        reason = QStringLiteral("Broker: ") + reason + QStringLiteral(" (give HOST or HOST:PORT).");
        return false;
    }
    settings.prefix = PrefixEdit->text().trimmed();
    if (!CheckMqttPrefix(settings.prefix, reason)) {
        reason = QStringLiteral("Topic prefix: ") + reason + QLatin1Char('.');
        return false;
    }
    settings.style = EMqttStyle(StyleCombo->currentData().toInt());
    settings.write = WriteCheck->isChecked();
    settings.clientId = ClientIdEdit->text().trimmed();
    settings.user = UserEdit->text().trimmed();
    settings.passwordFile = PasswordFileEdit->text().trimmed();
    if (!settings.passwordFile.isEmpty() && settings.user.isEmpty()) {
        reason = QStringLiteral("A password file needs a user.");
        return false;
    }
    return true;
}

TMqttSettings TMqttBridgeDialog::Settings() const
{
    TMqttSettings settings;
    QString reason;
    Read(settings, reason);
    return settings;
}

void TMqttBridgeDialog::accept()
{
    TMqttSettings settings;
    QString reason;
    if (!Read(settings, reason)) {
        Problem->setText(reason);
        Problem->show();
        return;
    }
    QDialog::accept();
}

TMqttBridging::TMqttBridging(QMainWindow& window, TLnThreadComm& link, QAction* after)
    : QObject(&window), window_(window), link_(link)
{
    action_ = new QAction(Available() ? kBridgeCaption : kMissingCaption, &window);
    action_->setObjectName(QStringLiteral("MqttBridge1"));
    action_->setEnabled(Available());
    connect(action_, &QAction::triggered, this, &TMqttBridging::ActionClick);
    InsertActionAfter(after, action_);
    label_ = new QLabel(&window);
    label_->setObjectName(QStringLiteral("MqttStatus"));
    label_->hide();
    window.statusBar()->addWidget(label_);
    lastSettings_ = LoadSettings();
    refresh_ = new QTimer(this);
    refresh_->setInterval(500);
    connect(refresh_, &QTimer::timeout, this, &TMqttBridging::ShowState);
}

TMqttBridging::~TMqttBridging()
{
    Stop();
}

bool TMqttBridging::Available()
{
#ifdef VARNSCOPE_HAVE_MQTT
    return true;
#else
    return false;
#endif
}

bool TMqttBridging::Start(const TMqttSettings& settings, QString& error)
{
#ifdef VARNSCOPE_HAVE_MQTT
    Stop();
    auto* bridge = new TMqttBridge(link_, settings, this);
    if (!bridge->Start(error)) {
        delete bridge;
        return false;
    }
    bridge_ = bridge;
    connect(bridge_, &TMqttBridge::StateChanged, this, [this] { ShowState(); });
    lastSettings_ = settings;
    SaveSettings(settings);
    refresh_->start();
    ShowState();
    return true;
#else
    Q_UNUSED(settings);
    error = QStringLiteral("the bridge to MQTT is not in this build");
    return false;
#endif
}

void TMqttBridging::Stop()
{
#ifdef VARNSCOPE_HAVE_MQTT
    if (!bridge_)
        return;
    refresh_->stop();
    delete bridge_;
    bridge_ = nullptr;
    ShowState();
#endif
}

void TMqttBridging::Deliver(const TLocoNetMessage& message)
{
#ifdef VARNSCOPE_HAVE_MQTT
    if (bridge_)
        bridge_->OnMessage(message);
#else
    Q_UNUSED(message);
#endif
}

void TMqttBridging::ActionClick()
{
    if (bridge_) {
        Stop();
        return;
    }
    if (dialog_ || !Available())
        return;
    dialog_ = new TMqttBridgeDialog(lastSettings_, &window_);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog_, &QDialog::finished, this, [this](int result) {
        const TMqttSettings settings = dialog_->Settings();
        dialog_ = nullptr;
        if (result != QDialog::Accepted)
            return;
        QString error;
        if (!Start(settings, error))
            ShowErrorText(&window_, QStringLiteral("Cannot bridge to MQTT: %1").arg(error));
    });
    dialog_->open();
}

void TMqttBridging::ShowState()
{
    action_->setText(bridge_ ? kStopCaption : kBridgeCaption);
#ifdef VARNSCOPE_HAVE_MQTT
    if (!bridge_) {
        label_->hide();
        label_->clear();
        return;
    }
    label_->setText(QStringLiteral("MQTT: ") + bridge_->StateText());
    QString tip = QStringLiteral("Bridged to %1 under %2/")
                      .arg(BrokerText(bridge_->Settings()), bridge_->Settings().prefix);
    if (!bridge_->LastError().isEmpty() && bridge_->State() != TMqttBridge::EState::Connected)
        tip += QStringLiteral("\n") + bridge_->LastError();
    label_->setToolTip(tip);
    label_->setMinimumWidth(label_->sizeHint().width());
    label_->show();
#endif
}
