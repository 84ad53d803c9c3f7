#include "app/monitor/Formarbitrarymessage.h"

#include "link/Lnmessage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

TArbitraryMessageForm::TArbitraryMessageForm(TMessageSender send, QWidget* parent)
    : QWidget(parent), send_(std::move(send))
{
    setWindowTitle(QStringLiteral("Generate Arbitrary Message"));
    setObjectName(QStringLiteral("ArbitraryMessageForm"));
    SetHelpContext(this, HelpTopic);
    Label1 = new QLabel(QStringLiteral("enter message in hex, including checksum"), this);
    ArbText = new QLineEdit(this);
    ArbText->setObjectName(QStringLiteral("ArbText"));
    ArbText->setMinimumWidth(260);
    Button1 = new QPushButton(QStringLiteral("Send"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    ArbStatus = new QLabel(this);
    ArbStatus->setObjectName(QStringLiteral("ArbStatus"));
    QPalette warning = ArbStatus->palette();
    warning.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
    ArbStatus->setPalette(warning);
    ArbStatus->setWordWrap(true);
    // Room for a reason of two lines kept from the start: the window does not jump.
    ArbStatus->setMinimumHeight(2 * ArbStatus->fontMetrics().lineSpacing() + 2);
    ArbStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 2);
    layout->addWidget(ArbText, 1, 0, 1, 2);
    layout->addWidget(ArbStatus, 2, 0, 1, 2);
    layout->addWidget(Button1, 3, 0);
    layout->addWidget(BitBtn1, 3, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &TArbitraryMessageForm::Button1Click);
    connect(ArbText, &QLineEdit::returnPressed, this, &TArbitraryMessageForm::Button1Click);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });
}

void TArbitraryMessageForm::Button1Click()
{
    const QByteArray text = ArbText->text().toLatin1();
    const std::string_view typed(text.constData(), static_cast<size_t>(text.size()));
    auto message = std::make_unique<TLocoNetMessage>(typed);
    // A text that does not parse gives an empty message: nothing to put on the
    // bus, and the operator is told why.
    if (message->Length() == 0) {
        std::string bytes;
        std::string reason;
        TLocoNetMessage::ParseHexText(typed, bytes, reason);
        if (ArbText->text().trimmed().isEmpty())
            reason = "the text is empty; type bytes in hexadecimal, such as 83 7C";
        else if (reason.empty())
            reason = "the text is not a message";
        ArbStatus->setText(QStringLiteral("Nothing sent: ") + QString::fromStdString(reason));
        return;
    }
    ArbStatus->clear();
    send_(std::move(message));
}
