// Bridging the main window's link to an MQTT broker: File > "Bridge to
// MQTT..." asks for the broker and the bridge's settings (kept for the next
// run; the password file's path, never the password) and starts the bridge;
// the same item then reads "Stop Bridge to MQTT". While it runs, the status
// strip says whether the broker is there and how many messages were dropped
// while it was not. A build without the MQTT library says so in the item.
#pragma once

#include "platform/Mqttrules.h"

#include <QDialog>
#include <QObject>
#include <QString>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QTimer;
class TLnThreadComm;
class TLocoNetMessage;
class TMqttBridge;

// The bridge's settings as a form; OK starts the bridge.
class TMqttBridgeDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 26;

    explicit TMqttBridgeDialog(const TMqttSettings& settings, QWidget* parent = nullptr);
    // What the form says; valid after accept().
    TMqttSettings Settings() const;

    QLineEdit* BrokerEdit = nullptr;
    QLineEdit* PrefixEdit = nullptr;
    QComboBox* StyleCombo = nullptr;
    QCheckBox* WriteCheck = nullptr;
    QLineEdit* ClientIdEdit = nullptr;
    QLineEdit* UserEdit = nullptr;
    QLineEdit* PasswordFileEdit = nullptr;
    QPushButton* PasswordFileButton = nullptr;
    QLineEdit* TlsCaEdit = nullptr;
    QPushButton* TlsCaButton = nullptr;
    QLabel* Problem = nullptr;

    void accept() override;  // refuses settings it cannot read, saying why

private:
    bool Read(TMqttSettings& settings, QString& reason) const;
};

class TMqttBridging : public QObject {
    Q_OBJECT
public:
    // Puts its menu item after `after` (in after's menu) and its label on
    // the window's status strip. The link must outlive the bridging, or
    // Stop() must come first.
    TMqttBridging(QMainWindow& window, TLnThreadComm& link, QAction* after);
    ~TMqttBridging() override;

    // Whether this build has the bridge at all.
    static bool Available();

    // Starts the bridge with these settings; false with the reason.
    bool Start(const TMqttSettings& settings, QString& error);
    void Stop();
    bool Running() const { return bridge_ != nullptr; }
    TMqttBridge* Bridge() const { return bridge_; }
    // Every received message goes here; the window's owner of the link calls it.
    void Deliver(const TLocoNetMessage& message);

    QAction* Action() const { return action_; }
    QLabel* StatusLabel() const { return label_; }
    // The dialog while it asks (it is open without a nested event loop).
    TMqttBridgeDialog* Dialog() const { return dialog_; }

    // The menu item: asks, or stops the bridge.
    void ActionClick();

private:
    void ShowState();

    QMainWindow& window_;
    TLnThreadComm& link_;
    QAction* action_;
    QLabel* label_;
    QTimer* refresh_;  // the dropped count grows without a change of state
    TMqttBridge* bridge_ = nullptr;  // a child: the class exists only where the library was found
    TMqttSettings lastSettings_;
    TMqttBridgeDialog* dialog_ = nullptr;
};
