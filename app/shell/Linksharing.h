// Sharing the main window's open link with other computers: File > "Share
// Link on Network..." asks for [HOST:]PORT and serves the link there as an
// LbServer (JMRI, Rocrail, another varnscope with tcp:HOST:PORT); the same
// item then reads "Stop Sharing Link". While sharing, the status strip shows
// the address and the number of clients.
#pragma once

#include <QDialog>
#include <QObject>
#include <QString>

#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class TLinkLbServer;
class TLnThreadComm;

// Asks where to serve: [HOST:]PORT, loopback unless a host is named.
class TShareLinkDialog : public QDialog {
    Q_OBJECT
public:
    explicit TShareLinkDialog(const QString& address, QWidget* parent = nullptr);
    QString Address() const;

    QLineEdit* AddressEdit = nullptr;
    QLabel* Problem = nullptr;

    void accept() override;  // refuses an address it cannot read, saying why
};

class TLinkSharing : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultAddress = "localhost:1234";

    // Puts its menu item after `after` (in after's menu) and its label on
    // the window's status strip. The link must outlive the sharing, or
    // Stop() must come first.
    TLinkSharing(QMainWindow& window, TLnThreadComm& link, QAction* after);
    ~TLinkSharing() override;

    // Serves the link on [HOST:]PORT; false with the reason when it cannot.
    bool Start(const QString& address, QString& error);
    void Stop();
    bool Sharing() const { return server_ != nullptr; }
    int ClientCount() const;
    quint16 Port() const;

    QAction* Action() const { return action_; }
    QLabel* StatusLabel() const { return label_; }
    // The dialog while it asks (it is open without a nested event loop).
    TShareLinkDialog* Dialog() const { return dialog_; }

    // The menu item: asks, or stops sharing.
    void ActionClick();

private:
    void ShowState();

    QMainWindow& window_;
    TLnThreadComm& link_;
    QAction* action_;
    QLabel* label_;
    std::unique_ptr<TLinkLbServer> server_;
    QString shownAddress_;
    QString lastAddress_ = QString::fromLatin1(kDefaultAddress);
    TShareLinkDialog* dialog_ = nullptr;
};
