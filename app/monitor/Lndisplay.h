// The message display window: one line per received message, decoded
// ("expanded") or raw, kept for the life of the window and rendered only
// when scrolled into view.
#pragma once

#include <QWidget>

#include <cstdint>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TLocoNetMessage;
class TMessageListModel;
class TMessageListView;

class TDisplayForm : public QWidget {
    Q_OBJECT
public:
    explicit TDisplayForm(QWidget* parent = nullptr);

    // A received message, shown in the form the check box has now; not kept.
    void ShowMessage(const TLocoNetMessage& message);

    uint32_t DisplayedCount() const { return displayedCount_; }
    TMessageListModel* Model() const { return model_; }

    // Writes every line, each ending in CR LF, replacing the file as a whole.
    bool SaveToFile(const QString& path, QString& error) const;

    // Controls
    TMessageListView* MsgList = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* MsgCountEdit = nullptr;
    QCheckBox* ExpandButton = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* HelpButton = nullptr;

signals:
    void Closed(TDisplayForm* form);

public slots:
    void ClearButtonClick();
    void SaveButtonClick();
    void HelpButtonClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TMessageListModel* model_ = nullptr;
    uint32_t displayedCount_ = 0;
};
