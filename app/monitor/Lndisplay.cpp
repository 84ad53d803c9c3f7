#include "app/monitor/Lndisplay.h"

#include "app/shell/Formsupport.h"
#include "app/monitor/Messagelistmodel.h"
#include "app/monitor/Messagelistview.h"
#include "link/Lnmessage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {
constexpr int kHelpTopic = 13;
}

TDisplayForm::TDisplayForm(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("LocoNet Message display"));
    setObjectName(QStringLiteral("DisplayForm"));
    SetHelpContext(this, kHelpTopic);

    model_ = new TMessageListModel(this);
    MsgList = new TMessageListView(this);
    MsgList->setObjectName(QStringLiteral("MsgList"));
    MsgList->setModel(model_);
    MsgList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    if (!QFontInfo(fixed).fixedPitch())
        fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    MsgList->setFont(fixed);

    Button1 = new QPushButton(QStringLiteral("Clear Messages"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Label1 = new QLabel(QStringLiteral("no. Messages displayed:"), this);
    MsgCountEdit = new QLineEdit(QStringLiteral("0"), this);
    MsgCountEdit->setObjectName(QStringLiteral("MsgCountEdit"));
    MsgCountEdit->setMaximumWidth(90);
    ExpandButton = new QCheckBox(QStringLiteral("Expand Messages"), this);
    ExpandButton->setObjectName(QStringLiteral("ExpandButton"));
    ExpandButton->setChecked(true);
    Button2 = new QPushButton(QStringLiteral("Save to File..."), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));

    auto* strip = new QHBoxLayout;
    strip->addWidget(Button1);
    strip->addWidget(Label1);
    strip->addWidget(MsgCountEdit);
    strip->addWidget(ExpandButton);
    strip->addStretch(1);
    strip->addWidget(Button2);
    strip->addWidget(BitBtn1);
    strip->addWidget(HelpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MsgList, 1);
    layout->addLayout(strip);
    resize(760, 420);

    connect(Button1, &QPushButton::clicked, this, &TDisplayForm::ClearButtonClick);
    connect(Button2, &QPushButton::clicked, this, &TDisplayForm::SaveButtonClick);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { CloseFormWindow(this); });
    connect(HelpButton, &QPushButton::clicked, this, &TDisplayForm::HelpButtonClick);
}

void TDisplayForm::ShowMessage(const TLocoNetMessage& message)
{
    model_->AppendMessage(message, ExpandButton->isChecked());
    ++displayedCount_;
    MsgCountEdit->setText(QString::number(displayedCount_));
}

void TDisplayForm::ClearButtonClick()
{
    model_->ClearLines();
    displayedCount_ = 0;
    MsgCountEdit->setText(QStringLiteral("0"));
}

bool TDisplayForm::SaveToFile(const QString& path, QString& error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    const int lines = model_->LineCount();
    for (int line = 0; line < lines; ++line) {
        const QByteArray text = model_->LineText(line).toUtf8() + "\r\n";
        if (file.write(text) != text.size())
            break;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void TDisplayForm::SaveButtonClick()
{
    QFileDialog dialog(this, QStringLiteral("Save to File"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilter(QStringLiteral("Text files (*.txt)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    QString error;
    if (!SaveToFile(path, error))
        QMessageBox::warning(this, QStringLiteral("Save to File"),
                             QStringLiteral("Could not save %1: %2").arg(path, error));
}

void TDisplayForm::HelpButtonClick()
{
    ShowHelpTopic(kHelpTopic);
}

void TDisplayForm::closeEvent(QCloseEvent* event)
{
    emit Closed(this);
    QWidget::closeEvent(event);
}
