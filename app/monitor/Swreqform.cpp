#include "app/monitor/Swreqform.h"

#include "app/common/Boundedspinbox.h"
#include "link/Lndecoders.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {
// Request states: bit 0 output on (pressed), bit 1 closed direction.
constexpr int kThrownPressed = 1;
constexpr int kClosedPressed = 3;
}  // namespace

TSwitchControlForm::TSwitchControlForm(TMessageSender send, QWidget* parent)
    : QWidget(parent), send_(std::move(send))
{
    setWindowTitle(QStringLiteral("Switch Control"));
    setObjectName(QStringLiteral("SwitchControlForm"));
    SetHelpContext(this, HelpTopic);
    SwitchNumber = new TBoundedSpinBox(this);
    SwitchNumber->setObjectName(QStringLiteral("SwitchNumber"));
    SwitchNumber->setRange(1, 2048);
    SwitchNumber->setValue(1);
    SwCloseBtn = new QPushButton(QStringLiteral("SW Close"), this);
    SwCloseBtn->setObjectName(QStringLiteral("SwCloseBtn"));
    SWThrownBtn = new QPushButton(QStringLiteral("SW Thrown"), this);
    SWThrownBtn->setObjectName(QStringLiteral("SWThrownBtn"));
    CloseBtn = new QPushButton(QStringLiteral("Close"), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Point"), this), 0, 0);
    layout->addWidget(SwitchNumber, 0, 1);
    layout->addWidget(SwCloseBtn, 1, 0);
    layout->addWidget(SWThrownBtn, 1, 1);
    layout->addWidget(CloseBtn, 2, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(SwCloseBtn, &QPushButton::clicked, this, &TSwitchControlForm::SwCloseBtnClick);
    connect(SWThrownBtn, &QPushButton::clicked, this, &TSwitchControlForm::SWThrownBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });
}

void TSwitchControlForm::SwCloseBtnClick()
{
    SendRequest(kClosedPressed);
}

void TSwitchControlForm::SWThrownBtnClick()
{
    SendRequest(kThrownPressed);
}

void TSwitchControlForm::SendRequest(int state)
{
    // interpretText: a half-typed number in the box counts as typed.
    SwitchNumber->interpretText();
    send_(std::make_unique<TLNSwReqMessage>(SwitchNumber->value(), state));
}
