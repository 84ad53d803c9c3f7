// The sensor message window: sends a sensor report for a board's input, occupied or not.
#pragma once

#include "app/common/Formsupport.h"

#include <QWidget>

class QSpinBox;
class QPushButton;

class TGenSensFBForm : public QWidget {
    Q_OBJECT
public:
    explicit TGenSensFBForm(TMessageSender send, QWidget* parent = nullptr);

    static constexpr int HelpTopic = 16;  // F1

    // Controls
    QSpinBox* BoardNumber = nullptr;
    QSpinBox* SensorNumber = nullptr;
    QPushButton* SwOccupiedBtn = nullptr;
    QPushButton* SwUnoccupiedBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

public slots:
    void SwOccupiedBtnClick();
    void SwUnoccupiedBtnClick();

private:
    void SendReport(bool on);

    TMessageSender send_;
};
