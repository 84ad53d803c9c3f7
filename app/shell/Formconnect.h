// The connection window: port, line speed, interface and flow control, and
// "Connect", which reopens the link with them at once.
#pragma once

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TLocoNetComm;

class TConnectForm : public QWidget {
    Q_OBJECT
public:
    explicit TConnectForm(TLocoNetComm& link, QWidget* parent = nullptr);

    // The port names offered: the system's serial devices (or the four
    // built-in names when it lists none), then the simulated LocoNet.
    static QStringList AvailablePortNames();
    // Fills the port list (emptied first when names is not empty) and applies the interface rule.
    void FillPortList(const QStringList& names);

    int SelectedInterface() const;  // -1 when none is selected
    void SelectInterface(int ordinal);

    // Controls
    QLabel* Label1 = nullptr;
    QComboBox* ComCombo = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* BaudRateBox = nullptr;
    QLabel* FlowControlLabel = nullptr;
    QComboBox* FlowControlBox = nullptr;  // "hardware" or "none"; an MS100 always runs without
    QGroupBox* InterfaceType = nullptr;
    QButtonGroup* InterfaceButtons = nullptr;
    QPushButton* ConnectButton = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* HelpButton = nullptr;

signals:
    // The status strip's connection text changes.
    void ConnectStatus(const QString& text);
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

    TLocoNetComm& link_;
    bool shownOnce_ = false;
    int chosenFlow_ = 0;  // the flow control box's position for a LocoBuffer or PR3
};
