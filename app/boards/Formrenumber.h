// The board numbering window: finds the boards on LocoNet, shows each with
// its product texts, makes one identify itself, gives one a new serial number
// and copies newly found boards into the board lists. The work is done by
// TRenumberEngine; this window wires its controls to it and shows what it
// reports. Two boards that answer with the same serial number are marked:
// SV programming of either is unsafe while they share it.
#pragma once

#include "programming/Trenumberengine.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;
class TQtRenumberTimer;
class TWorkbench;

class TRenumberForm : public QWidget, private IRenumberListener {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 9;
    // BoardList columns
    enum { kSerialColumn, kProductColumn, kManufacturerColumn, kDescriptionColumn, kColumnCount };

    // Loads the product list from the program's folder; status texts go to
    // the workbench's ProgStatus, messages to its link, and it registers for
    // the SV-access messages received.
    explicit TRenumberForm(TWorkbench& workbench, QWidget* parent = nullptr);
    ~TRenumberForm() override;

    // The reply timeout the windows made from now on use instead of the
    // engine's 5000 ms (0 restores it), so tests need not wait.
    static void SetReplyTimeoutOverride(int ms);
    // The product list the windows made from now on load instead of
    // "progdevicelist.csv" in the program's folder (empty restores that).
    static void SetProductListFile(const QString& fileName);

    // Received SV-access messages, from the workbench's dispatch.
    void HandleSvMessage(const TLNSVProgMessage& message);

    const TRenumberEngine& Engine() const { return engine_; }
    // The engine's position of the board in a BoardList row, -1 for a text
    // row ("Discovering...") or no row.
    int BoardPosition(const QTreeWidgetItem* item) const;
    // The engine's position of the selected board, -1 when none is selected.
    int SelectedPosition() const;
    // Selects the row of the board at the engine's position.
    void SelectPosition(int position);
    // Whether the board at this position shares its serial number with another found board.
    bool SharesSerial(int position) const;

    // Controls
    QMenuBar* MainMenu = nullptr;
    QTreeWidget* BoardList = nullptr;
    QLabel* DuplicateLabel = nullptr;
    QLabel* CopyResultLabel = nullptr;
    QLineEdit* BoardCountEdit = nullptr;
    QSpinBox* SerialNumberEdit = nullptr;
    QPushButton* DiscoverButton = nullptr;
    QPushButton* IdentifyButton = nullptr;
    QPushButton* RenumberButton = nullptr;
    QPushButton* CopyNewBoardsButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* CloseButton = nullptr;
    // Menu "&Board Numbering"
    QAction* DiscoverBoards1 = nullptr;
    QAction* ChangeBoardAddress1 = nullptr;
    QAction* IdentifyBoard1 = nullptr;

public slots:
    void DiscoverButtonClick();
    void IdentifyButtonClick();
    void RenumberButtonClick();
    void CopyNewBoardsButtonClick();
    void HelpButtonClick();
    // The link failed: an operation waiting for replies ends at once.
    void LinkLost(const QString& reason);

signals:
    // The window is closing; it no longer takes messages.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:  // IRenumberListener
    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override;
    void StatusText(const std::string& text) override;
    void MessageBox(const std::string& text, const std::string& caption) override;
    void ErrorMessage(const std::string& text) override;
    void BoardListChanged(const std::vector<std::string>& lines) override;
    void BoardCountChanged(int count) override;
    void ButtonsChanged(const TRenumberButtons& buttons) override;

private:
    void BuildControls();
    void ShowBoards();
    void ShowTextLines(const std::vector<std::string>& lines);
    void MarkDuplicates();
    // False, with a message, when the link is not open: nothing would reach the bus.
    bool LinkReady();
    void SortBy(int column);

    TWorkbench& workbench_;
    std::unique_ptr<TQtRenumberTimer> timeoutTimer_;
    std::unique_ptr<TQtRenumberTimer> delayTimer_;
    TRenumberEngine engine_;
    int sortColumn_ = -1;  // -1: the order the replies arrived in
    bool closed_ = false;
};
