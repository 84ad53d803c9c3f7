// The connection window: port, line speed, interface and flow control, and
// "Connect", which reopens the link with them at once.
#pragma once

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TLocoNetComm;

class TConnectForm : public QWidget {
    Q_OBJECT
public:
    explicit TConnectForm(TLocoNetComm& link, QWidget* parent = nullptr);

    // "MS100", "LocoBuffer" or "PR3" for a stored interface ordinal.
    static QString InterfaceName(int ordinal);
    // The kinds of link offered, in the order of KindBox.
    enum EKind { kSerial, kSimulated, kNetwork };
    // A serial port as the system lists it: the device name the link opens
    // ("COM3", "/dev/ttyUSB0") and what the system says it is ("USB Serial
    // Port"), which may be empty.
    struct TPortEntry {
        QString name;
        QString description;
    };
    // The ports offered: the system's serial devices (or the four built-in
    // names, without descriptions, when it lists none).
    static QList<TPortEntry> AvailablePorts();
    static QStringList AvailablePortNames();
    // Fills the port list (emptied first when there are ports to show) and
    // applies the interface rule. The list shows each port's description
    // beside its name; the field and the stored settings keep the name alone.
    void FillPortList(const QList<TPortEntry>& ports);
    void FillPortList(const QStringList& names);

    int SelectedInterface() const;  // -1 when none is selected
    // The link's device name as the kind and its fields give it: the serial
    // port, "sim", or "tcp:HOST:PORT" (the form stored as ComPort).
    QString DeviceName() const;
    // Shows a stored device name in the kind and fields it belongs to.
    void ShowDeviceName(const QString& name);
    void SelectInterface(int ordinal);

    // Controls
    QComboBox* KindBox = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComCombo = nullptr;
    QLabel* HostLabel = nullptr;
    QLineEdit* HostEdit = nullptr;
    QLabel* TcpPortLabel = nullptr;
    QSpinBox* TcpPortEdit = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* BaudRateBox = nullptr;
    QLabel* FlowControlLabel = nullptr;
    QComboBox* FlowControlBox = nullptr;  // "hardware" or "none"; an MS100 always runs without
    QGroupBox* InterfaceType = nullptr;
    QButtonGroup* InterfaceButtons = nullptr;
    QPushButton* ConnectButton = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* HelpButton = nullptr;
    QLabel* ResultLabel = nullptr;  // what the last Connect did

signals:
    // The link was reopened: opened is false when the port could not be
    // opened, with the reason in words.
    void LinkReopened(bool opened, const QString& reason);

public slots:
    void InterfaceTypeClick();
    void ConnectButtonClick();
    void HelpButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowLinkSettings();
    void ShowOutcome();
    void KindChanged();

    TLocoNetComm& link_;
    bool shownOnce_ = false;
    int chosenFlow_ = 0;  // the flow control box's position for a LocoBuffer or PR3
};
