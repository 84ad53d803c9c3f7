#include "app/monitor/Formarbitrarymessage.h"

#include "link/Lnmessage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TArbitraryMessageForm::TArbitraryMessageForm(TMessageSender send, QWidget* parent)
    : QWidget(parent), send_(std::move(send))
{
    setWindowTitle(QStringLiteral("Generate Arbitrary Message"));
    setObjectName(QStringLiteral("ArbitraryMessageForm"));
    Label1 = new QLabel(QStringLiteral("enter message in hex, including checksum"), this);
    ArbText = new QLineEdit(this);
    ArbText->setObjectName(QStringLiteral("ArbText"));
    ArbText->setMinimumWidth(260);
    Button1 = new QPushButton(QStringLiteral("Send"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 2);
    layout->addWidget(ArbText, 1, 0, 1, 2);
    layout->addWidget(Button1, 2, 0);
    layout->addWidget(BitBtn1, 2, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &TArbitraryMessageForm::Button1Click);
    connect(ArbText, &QLineEdit::returnPressed, this, &TArbitraryMessageForm::Button1Click);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });
}

void TArbitraryMessageForm::Button1Click()
{
    const QByteArray text = ArbText->text().toLatin1();
    auto message = std::make_unique<TLocoNetMessage>(std::string_view(text.constData(), text.size()));
    // A text that does not parse gives an empty message: nothing to put on the bus.
    if (message->Length() == 0)
        return;
    send_(std::move(message));
}
