#include "app/shell/Linksharing.h"

#include "app/common/Appsettings.h"
#include "app/common/Formsupport.h"
#include "app/common/Menusupport.h"
#include "platform/Lbserverlink.h"
#include "platform/Listenaddress.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

const QString kSettingsKey = QStringLiteral("Network/ShareAddress");
const QString kShareCaption = QStringLiteral("Share Link on &Network...");
const QString kStopCaption = QStringLiteral("Stop Sharing Link on &Network");

}  // namespace

TShareLinkDialog::TShareLinkDialog(const QString& address, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ShareLinkDialog"));
    setWindowTitle(QStringLiteral("Share Link on Network"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Serve the open link to LbServer clients (JMRI, Rocrail,\n"
                                            "varnscope with tcp:HOST:PORT) on this address:"),
                             this);
    layout->addWidget(intro);
    AddressEdit = new QLineEdit(address, this);
    AddressEdit->setObjectName(QStringLiteral("AddressEdit"));
    AddressEdit->setToolTip(QStringLiteral("[HOST:]PORT"));
    intro->setBuddy(AddressEdit);
    layout->addWidget(AddressEdit);
    auto* hint = new QLabel(QStringLiteral("A port alone serves only this computer; *:PORT serves every network\n"
                                           "this computer is on. Clients may then drive the layout."),
                            this);
    hint->setEnabled(false);
    layout->addWidget(hint);
    Problem = new QLabel(this);
    Problem->setObjectName(QStringLiteral("Problem"));
    Problem->setStyleSheet(QStringLiteral("color: #b00000;"));
    Problem->hide();
    layout->addWidget(Problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    AddressEdit->selectAll();
    AddressEdit->setFocus();
}

QString TShareLinkDialog::Address() const
{
    return AddressEdit->text().trimmed();
}

void TShareLinkDialog::accept()
{
    QHostAddress host;
    quint16 port = 0;
    if (!ReadListenAddress(Address(), host, port) || port == 0) {
        Problem->setText(QStringLiteral("Not an address to listen on: give PORT or HOST:PORT (1 to 65535)."));
        Problem->show();
        AddressEdit->setFocus();
        return;
    }
    QDialog::accept();
}

TLinkSharing::TLinkSharing(QMainWindow& window, TLnThreadComm& link, QAction* after)
    : QObject(&window), window_(window), link_(link)
{
    action_ = new QAction(kShareCaption, &window);
    action_->setObjectName(QStringLiteral("ShareLink1"));
    connect(action_, &QAction::triggered, this, &TLinkSharing::ActionClick);
    InsertActionAfter(after, action_);
    label_ = new QLabel(&window);
    label_->setObjectName(QStringLiteral("ShareStatus"));
    label_->hide();
    window.statusBar()->addWidget(label_);
    lastAddress_ = OpenSettingsStore()->value(kSettingsKey, lastAddress_).toString();
}

TLinkSharing::~TLinkSharing()
{
    Stop();
}

bool TLinkSharing::Start(const QString& address, QString& error)
{
    QHostAddress host;
    quint16 port = 0;
    if (!ReadListenAddress(address, host, port)) {
        error = QStringLiteral("not an address to listen on: ") + address;
        return false;
    }
    Stop();
    auto server = std::make_unique<TLinkLbServer>(link_);
    if (!server->Listen(host, port, error))
        return false;
    connect(server.get(), &TLbServer::ClientsChanged, this, [this] { ShowState(); });
    server_ = std::move(server);
    shownAddress_ = ListenAddressText(host, server_->Port());
    lastAddress_ = address;
    OpenSettingsStore()->setValue(kSettingsKey, address);
    ShowState();
    return true;
}

void TLinkSharing::Stop()
{
    if (!server_)
        return;
    server_.reset();
    ShowState();
}

int TLinkSharing::ClientCount() const
{
    return server_ ? server_->ClientCount() : 0;
}

quint16 TLinkSharing::Port() const
{
    return server_ ? server_->Port() : 0;
}

void TLinkSharing::ActionClick()
{
    if (server_) {
        Stop();
        return;
    }
    if (dialog_)
        return;
    dialog_ = new TShareLinkDialog(lastAddress_, &window_);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog_, &QDialog::finished, this, [this](int result) {
        const QString address = dialog_->Address();
        dialog_ = nullptr;
        if (result != QDialog::Accepted)
            return;
        QString error;
        if (!Start(address, error))
            ShowErrorText(&window_, QStringLiteral("Cannot share the link on %1: %2").arg(address, error));
    });
    dialog_->open();
}

void TLinkSharing::ShowState()
{
    action_->setText(server_ ? kStopCaption : kShareCaption);
    if (!server_) {
        label_->hide();
        label_->clear();
        return;
    }
    const int count = server_->ClientCount();
    // The status strip is crowded: on loopback the port says it all.
    const QString where = server_->Address().isLoopback() ? QStringLiteral("port %1").arg(server_->Port()) : shownAddress_;
    label_->setText(QStringLiteral("Shared on %1: %2 %3")
                        .arg(where)
                        .arg(count)
                        .arg(count == 1 ? QStringLiteral("client") : QStringLiteral("clients")));
    label_->setToolTip(QStringLiteral("The link is served as an LbServer on %1").arg(shownAddress_));
    label_->setMinimumWidth(label_->sizeHint().width());
    label_->show();
}
