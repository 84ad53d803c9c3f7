// "Program all changed boards": every configured board with a serial
// number is verified against the bus; the boards that differ are listed for
// a confirmation, then programmed one after another, each result in the
// table. The work is done by TLayoutEngine; this dialog shows it.
#pragma once

#include "programming/Tlayoutengine.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class TQtLayoutTimer;
class TWorkbench;

class TProgramChangedForm : public QDialog, private ILayoutListener {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 87;

    // boards: the configured boards to check; they must outlive the dialog.
    TProgramChangedForm(TWorkbench& workbench, std::vector<TConfigurableBoard*> boards, QWidget* parent = nullptr);
    ~TProgramChangedForm() override;

    // Starts the check (after the dialog is shown).
    void StartCheck();
    const TLayoutEngine& Engine() const { return engine_; }

    QLabel* StatusLabel = nullptr;
    QTreeWidget* BoardTable = nullptr;
    QProgressBar* RunProgressBar = nullptr;
    QProgressBar* BoardProgressBar = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* CloseButton = nullptr;

public slots:
    void CancelButtonClick();
    void reject() override;

private:  // ILayoutListener
    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override;
    void StatusText(const std::string& text) override;
    void BoardsChanged() override;
    void BoardChanged(int row) override;
    void RunProgress(int done, int total) override;
    void BoardProgress(int position, int maximum) override;
    void RunEnded(bool success, const std::string& text) override;

private:
    void Confirm();

    TWorkbench& workbench_;
    std::vector<TConfigurableBoard*> boards_;
    std::unique_ptr<TQtLayoutTimer> timeoutTimer_;
    std::unique_ptr<TQtLayoutTimer> delayTimer_;
    TLayoutEngine engine_;
};
