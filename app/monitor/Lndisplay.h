// The message display window: one line per received message, decoded
// ("expanded") or raw, kept for the life of the window and rendered only
// when scrolled into view.
//
// Options for finding things on a busy bus, all off when the window opens so
// its lines are the plain ones: the arrival time in front of each line, a
// filter by message kind, a search, a pause, and the bus load.
#pragma once

#include "link/Busload.h"
#include "app/monitor/Messagelistmodel.h"

#include <QElapsedTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TLocoNetMessage;
class TMessageListView;
class TRecording;
class TWorkbench;

class TDisplayForm : public QWidget {
    Q_OBJECT
public:
    explicit TDisplayForm(QWidget* parent = nullptr);

    // A received message, shown in the form the check box has now; not kept.
    void ShowMessage(const TLocoNetMessage& message);
    // The same, arrived at timeMs on the link's clock.
    void ShowMessage(const TLocoNetMessage& message, uint32_t timeMs);
    // Registers with the workbench for every message received while shown.
    void ListenTo(TWorkbench& workbench);
    // The clock that stamps arriving messages (ms since the link opened).
    void SetClock(std::function<uint32_t()> clock) { clock_ = std::move(clock); }

    // Shows a recording's received messages with their times, as a display
    // showed them live: every finding aid works, times can read as the time
    // of day, and the bus load is the load around the selected line.
    void ShowRecording(const TRecording& recording, const QString& name);
    bool ShowsRecording() const { return recording_; }

    uint32_t DisplayedCount() const { return displayedCount_; }
    TMessageListModel* Model() const { return model_; }

    // Writes every line the filter shows (all while it is off), with its time
    // when times are shown, each ending in CR LF, replacing the file as a whole.
    bool SaveToFile(const QString& path, QString& error) const;

    void SetHiddenKinds(const TKindSet& hidden);
    // Displays open at once are told apart by number: the first has none in its caption.
    void SetNumber(int number);
    int Number() const { return number_; }
    // Selects the next (previous) line holding the find text, round the end; false when none does.
    bool FindNext();
    bool FindPrevious();
    TBusLoad BusLoad() const { return busLoad_; }

    // Controls
    TMessageListView* MsgList = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* MsgCountEdit = nullptr;
    QCheckBox* ExpandButton = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* HelpButton = nullptr;
    QCheckBox* TimesButton = nullptr;
    QPushButton* FilterButton = nullptr;
    QPushButton* PauseButton = nullptr;
    QLineEdit* FindEdit = nullptr;
    QPushButton* FindPrevButton = nullptr;
    QPushButton* FindNextButton = nullptr;
    QLabel* BusLoadLabel = nullptr;
    QCheckBox* BytesButton = nullptr;
    QCheckBox* DayTimeButton = nullptr;  // shown for a recording only

signals:
    void Closed(TDisplayForm* form);

public slots:
    void ClearButtonClick();
    void SaveButtonClick();
    void HelpButtonClick();
    void FilterButtonClick();
    void PauseButtonClick(bool paused);
    void UpdateBusLoad();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Find(bool forward);
    void ShowWaiting();
    void ShowCount();
    void WriteCount();

    TMessageListModel* model_ = nullptr;
    uint32_t displayedCount_ = 0;
    int number_ = 1;
    std::function<uint32_t()> clock_;
    TBusLoadMeter meter_;
    TBusLoad busLoad_;
    QTimer* loadTimer_ = nullptr;
    // Laying out the count's digits costs more than keeping a message, so a
    // flood far beyond what a LocoNet carries refreshes the count in batches.
    QElapsedTimer countWindow_;
    int countUpdates_ = 0;
    QTimer* countTimer_ = nullptr;
    bool recording_ = false;
};
