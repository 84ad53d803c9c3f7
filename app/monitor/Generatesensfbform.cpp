#include "app/monitor/Generatesensfbform.h"

#include "app/common/Boundedspinbox.h"
#include "link/Lndecoders.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

TGenSensFBForm::TGenSensFBForm(TMessageSender send, QWidget* parent) : QWidget(parent), send_(std::move(send))
{
    setWindowTitle(QStringLiteral("Generate Sensor Msg"));
    setObjectName(QStringLiteral("GenSensFBForm"));
    SetHelpContext(this, HelpTopic);
    BoardNumber = new TBoundedSpinBox(this);
    BoardNumber->setObjectName(QStringLiteral("BoardNumber"));
    BoardNumber->setRange(1, 256);
    BoardNumber->setValue(1);
    SensorNumber = new TBoundedSpinBox(this);
    SensorNumber->setObjectName(QStringLiteral("SensorNumber"));
    SensorNumber->setRange(1, 16);
    SensorNumber->setValue(1);
    SwOccupiedBtn = new QPushButton(QStringLiteral("Occupied"), this);
    SwOccupiedBtn->setObjectName(QStringLiteral("SwOccupiedBtn"));
    SwUnoccupiedBtn = new QPushButton(QStringLiteral("Unoccupied"), this);
    SwUnoccupiedBtn->setObjectName(QStringLiteral("SwUnoccupiedBtn"));
    CloseBtn = new QPushButton(QStringLiteral("Close"), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));

    auto* sensor = new QHBoxLayout;
    sensor->addWidget(new QLabel(QStringLiteral("Board"), this));
    sensor->addWidget(BoardNumber);
    sensor->addWidget(new QLabel(QStringLiteral(","), this));
    sensor->addWidget(new QLabel(QStringLiteral("Sensor"), this));
    sensor->addWidget(SensorNumber);
    auto* layout = new QGridLayout(this);
    layout->addLayout(sensor, 0, 0, 1, 2);
    layout->addWidget(SwOccupiedBtn, 1, 0);
    layout->addWidget(SwUnoccupiedBtn, 1, 1);
    layout->addWidget(CloseBtn, 2, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(SwOccupiedBtn, &QPushButton::clicked, this, &TGenSensFBForm::SwOccupiedBtnClick);
    connect(SwUnoccupiedBtn, &QPushButton::clicked, this, &TGenSensFBForm::SwUnoccupiedBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });
}

void TGenSensFBForm::SwOccupiedBtnClick()
{
    SendReport(true);
}

void TGenSensFBForm::SwUnoccupiedBtnClick()
{
    SendReport(false);
}

void TGenSensFBForm::SendReport(bool on)
{
    BoardNumber->interpretText();
    SensorNumber->interpretText();
    send_(std::make_unique<TLNSensFBMessage>(BoardNumber->value(), SensorNumber->value(), on));
}
