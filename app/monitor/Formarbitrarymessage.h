// The arbitrary message window: sends the bytes typed in hexadecimal exactly
// as typed (no checksum added, no validity check).
#pragma once

#include "app/common/Formsupport.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

class TArbitraryMessageForm : public QWidget {
    Q_OBJECT
public:
    explicit TArbitraryMessageForm(TMessageSender send, QWidget* parent = nullptr);

    static constexpr int HelpTopic = 17;  // F1

    // Controls
    QLabel* Label1 = nullptr;
    QLineEdit* ArbText = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLabel* ArbStatus = nullptr;  // why the last Send sent nothing; empty after a send

public slots:
    void Button1Click();

private:
    TMessageSender send_;
};
