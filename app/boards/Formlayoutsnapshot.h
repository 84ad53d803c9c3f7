// The layout snapshot window: backs up every board on the bus into a dated
// snapshot folder, and verifies the bus against a snapshot, one row per
// board with its state, a progress bar for the run and one for the board
// under way. The work is done by TLayoutEngine; this window wires its
// controls to it and shows what it reports.
#pragma once

#include "programming/Tlayoutengine.h"

#include <QWidget>

#include <memory>
#include <string>

class QCloseEvent;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class TQtLayoutTimer;
class TWorkbench;

class TLayoutSnapshotForm : public QWidget, private ILayoutListener {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 86;

    // BoardTable columns
    enum { kSerialColumn, kTypeColumn, kNameColumn, kStateColumn, kDetailsColumn };

    explicit TLayoutSnapshotForm(TWorkbench& workbench, QWidget* parent = nullptr);
    ~TLayoutSnapshotForm() override;

    // The reply timeout the windows made from now on use instead of the
    // engines' 5000 ms (0 restores it), so tests need not wait.
    static void SetReplyTimeoutOverride(int ms);

    // Received SV-access messages, from the workbench's dispatch.
    void HandleSvMessage(const TLNSVProgMessage& message);
    // Verifies the bus against the snapshot in folder.
    void VerifySnapshot(const QString& folder);

    const TLayoutEngine& Engine() const { return engine_; }

    // Controls
    QLineEdit* FolderEdit = nullptr;
    QPushButton* BrowseButton = nullptr;
    QLabel* SnapshotLabel = nullptr;
    QTreeWidget* BoardTable = nullptr;
    QProgressBar* RunProgressBar = nullptr;
    QProgressBar* BoardProgressBar = nullptr;
    QPushButton* BackupButton = nullptr;
    QPushButton* VerifyButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* CloseButton = nullptr;

public slots:
    void BackupButtonClick();
    void VerifyButtonClick();
    void CancelButtonClick();
    void BrowseButtonClick();
    // The link failed: the run ends at once.
    void LinkLost(const QString& reason);

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:  // ILayoutListener
    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override;
    void StatusText(const std::string& text) override;
    void BoardsChanged() override;
    void BoardChanged(int row) override;
    void RunProgress(int done, int total) override;
    void BoardProgress(int position, int maximum) override;
    void RunEnded(bool success, const std::string& text) override;

private:
    void BuildControls();
    void SetBusy(bool busy);
    bool LinkReady();

    TWorkbench& workbench_;
    std::unique_ptr<TQtLayoutTimer> timeoutTimer_;
    std::unique_ptr<TQtLayoutTimer> delayTimer_;
    TLayoutEngine engine_;
    QString snapshot_;  // the snapshot last taken or verified
    bool closed_ = false;
};
