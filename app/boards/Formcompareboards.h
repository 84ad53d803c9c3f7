// The Compare window: one board of the configuration lists side by side with
// another, setting by setting, as the boards would hold them: another board of
// its list, a board of a file, or what the bus holds at its serial number (as
// the board was last verified, or read again with Read from Bus). Differing settings are coloured and marked;
// F3 and Shift+F3 go to the next and previous one.
#pragma once

#include "boards/core/Boardcompare.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TBoardData;
class TWorkbench;

class TCompareBoardsForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 85;

    // Board index of the workbench's list of the type, against the next board
    // of that list (or itself when it is alone).
    TCompareBoardsForm(TWorkbench& workbench, uint8_t type, int index, QWidget* parent = nullptr);
    ~TCompareBoardsForm() override;

    // What the bus held at the board's serial number (SV n at n - 1), offered
    // first and compared with at once.
    void SetBusImage(const std::vector<uint8_t>& image);
    // A board of the window's own (the configuration a read replaced), offered
    // first and compared with at once.
    void AddBoard(std::unique_ptr<TConfigurableBoard> board, const QString& label);
    // Read from Bus could not read the board: the button is offered again.
    void SetBusReadFailed(const QString& why);
    // A board of a file, as File... loads one; false with the error shown.
    bool LoadFile(const QString& fileName);

    const TBoardComparison& Comparison() const { return comparison_; }
    // What Copy and Save write: the differences, or every setting while
    // "Only differences" is off.
    QString Text() const;

public:  // controls
    QComboBox* OtherBox = nullptr;
    QPushButton* FileButton = nullptr;
    QPushButton* BusButton = nullptr;
    QCheckBox* OnlyDifferencesBox = nullptr;
    QTreeWidget* SettingsView = nullptr;
    QLabel* SummaryLabel = nullptr;
    QPushButton* CopyButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* CloseButton = nullptr;

signals:
    // Read from Bus: the board window reads the board and answers with
    // SetBusImage or SetBusReadFailed; the window holds no link of its own.
    void BusWanted();

public slots:
    void NextDifference();
    void PreviousDifference();
    void CopyClick();
    void SaveClick();
    void FileClick();

private:
    enum TSource { eListBoard = 0, eBus = 1, eFileBoard = 2, eOwnBoard = 3 };
    void FillOtherBox();
    void Compare();
    void ShowRows();
    void ApplyFilter();
    void StepDifference(int direction);
    QString NameA() const;
    QString NameB() const;

    TWorkbench& workbench_;
    uint8_t type_;
    int index_;
    std::vector<uint8_t> busImage_;
    bool hasBus_ = false;
    std::unique_ptr<TBoardData> file_;
    std::vector<std::pair<std::unique_ptr<TConfigurableBoard>, QString>> own_;
    QString fileName_;
    TBoardComparison comparison_;
    std::vector<QTreeWidgetItem*> rowItems_;  // one per comparison row
};
