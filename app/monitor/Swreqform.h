// The switch control window: sends a switch request for a point, closed or thrown.
#pragma once

#include "app/common/Formsupport.h"

#include <QWidget>

class QSpinBox;
class QPushButton;

class TSwitchControlForm : public QWidget {
    Q_OBJECT
public:
    explicit TSwitchControlForm(TMessageSender send, QWidget* parent = nullptr);

    static constexpr int HelpTopic = 14;  // F1

    // Controls
    QSpinBox* SwitchNumber = nullptr;
    QPushButton* SwCloseBtn = nullptr;
    QPushButton* SWThrownBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

public slots:
    void SwCloseBtnClick();
    void SWThrownBtnClick();

private:
    void SendRequest(int state);

    TMessageSender send_;
};
