#include "app/common/Formsupport.h"

#include "app/common/Helpviewer.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QVariant>
#include <QWidget>

namespace {
constexpr const char* kHelpContextProperty = "varnscopeHelpContext";
}

QWidget* FormFrame(QWidget* form)
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(form->parentWidget()))
        return frame;
    return form;
}

void CloseFormWindow(QWidget* form)
{
    FormFrame(form)->close();
}

bool FormShown(const QWidget* form)
{
    if (form == nullptr)
        return false;
    // A minimised workspace frame hides the form inside it, yet the window is
    // still open: only the frame says whether it was closed or hidden.
    if (const auto* frame = qobject_cast<const QMdiSubWindow*>(form->parentWidget()))
        return !frame->isHidden();
    return !form->isHidden();
}

void SetHelpContext(QWidget* window, int topic)
{
    window->setProperty(kHelpContextProperty, topic);
}

int HelpContextOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant topic = w->property(kHelpContextProperty);
        if (topic.isValid())
            return topic.toInt();
    }
    return 0;
}

void ShowHelpTopic(int topic)
{
    THelpViewerForm::Instance()->ShowTopic(topic);
}

namespace {
TErrorDisplay& ErrorDisplay()
{
    static TErrorDisplay display;
    return display;
}
TNoticeDisplay& NoticeDisplay()
{
    static TNoticeDisplay display;
    return display;
}
}  // namespace

void ShowErrorText(QWidget* parent, const QString& text)
{
    if (ErrorDisplay())
        ErrorDisplay()(parent, text);
    else
        QMessageBox::critical(parent, QString::fromLatin1(kApplicationTitle), text);
}

void SetErrorDisplay(TErrorDisplay display)
{
    ErrorDisplay() = std::move(display);
}

void ShowNotice(QWidget* parent, const QString& caption, const QString& text)
{
    if (NoticeDisplay())
        NoticeDisplay()(parent, caption, text);
    else {
        // Without a nested event loop: a notice given while a received message
        // is being handled must not hold up the dispatch of the next ones.
        auto* box = new QMessageBox(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}

void SetNoticeDisplay(TNoticeDisplay display)
{
    NoticeDisplay() = std::move(display);
}

namespace {
TQuestionDisplay& QuestionDisplay()
{
    static TQuestionDisplay display;
    return display;
}
TFileDialogDisplay& FileDialogDisplay()
{
    static TFileDialogDisplay display;
    return display;
}
}  // namespace

namespace {
TAnswer Ask(QWidget* parent, const QString& caption, const QString& text, bool withCancel)
{
    if (QuestionDisplay())
        return QuestionDisplay()(parent, caption, text, withCancel);
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    switch (QMessageBox::question(parent, caption, text, buttons)) {
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    default:
        // Escape or the close button: with Cancel offered that is Cancel, else No.
        return withCancel ? TAnswer::Cancel : TAnswer::No;
    }
}
}  // namespace

bool AskYesNo(QWidget* parent, const QString& caption, const QString& text)
{
    return Ask(parent, caption, text, false) == TAnswer::Yes;
}

TAnswer AskYesNoCancel(QWidget* parent, const QString& caption, const QString& text)
{
    return Ask(parent, caption, text, true);
}

void SetQuestionDisplay(TQuestionDisplay display)
{
    QuestionDisplay() = std::move(display);
}

QString DocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString AskFileName(QWidget* parent, const TFileDialogRequest& request)
{
    if (FileDialogDisplay())
        return FileDialogDisplay()(parent, request);
    QFileDialog dialog(parent, request.title,
                       QFileInfo(request.directory).isDir() ? request.directory : QDir::homePath());
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.filter.isEmpty())
        dialog.setNameFilter(request.filter);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void SetFileDialogDisplay(TFileDialogDisplay display)
{
    FileDialogDisplay() = std::move(display);
}
