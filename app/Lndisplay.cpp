#include "app/Lndisplay.h"

#include "app/Formsupport.h"
#include "app/Messagelistmodel.h"
#include "link/Lnmessage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
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
    MsgList = new QListView(this);
    MsgList->setObjectName(QStringLiteral("MsgList"));
    MsgList->setModel(model_);
    // Every row is one line of one font: the view can place rows without asking each one.
    MsgList->setUniformItemSizes(true);
    MsgList->setLayoutMode(QListView::SinglePass);
    MsgList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    MsgList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MsgList->setEditTriggers(QAbstractItemView::NoEditTriggers);
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
    // A burst of messages scrolls once, when the burst has been taken in.
    if (!scrollPending_) {
        scrollPending_ = true;
        QTimer::singleShot(0, this, &TDisplayForm::ScrollToEnd);
    }
}

void TDisplayForm::ScrollToEnd()
{
    scrollPending_ = false;
    const int rows = model_->rowCount();
    if (rows == 0)
        return;
    MsgList->scrollTo(model_->index(rows - 1), QAbstractItemView::PositionAtBottom);
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
    const int rows = model_->rowCount();
    for (int row = 0; row < rows; ++row) {
        const QByteArray line = model_->LineText(row).toUtf8() + "\r\n";
        if (file.write(line) != line.size())
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
