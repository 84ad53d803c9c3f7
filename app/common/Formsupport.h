// What the program's windows share: the way they hand messages to the link,
// closing a window that may sit inside the main window's workspace, and
// context help by topic number.
#pragma once

#include <functional>
#include <memory>

#include <QString>

class QWidget;
class TLocoNetMessage;

// Hands a message to the link, which takes ownership of it.
using TMessageSender = std::function<void(std::unique_ptr<TLocoNetMessage>)>;

// Closes the window a form shows in: its workspace frame when it has one, else itself.
void CloseFormWindow(QWidget* form);

// The form's frame inside the workspace, or the form itself.
QWidget* FormFrame(QWidget* form);

// True while the form has not been hidden (a minimised workspace window still counts).
bool FormShown(const QWidget* form);

// Context help: a window names its topic once; F1 and its Help button open it.
void SetHelpContext(QWidget* window, int topic);
// The topic of the nearest window up the parent chain that named one; 0 when none did.
int HelpContextOf(const QWidget* widget);
// Opens the help viewer at a topic.
void ShowHelpTopic(int topic);

// The application's title, the caption of its error display.
inline constexpr const char* kApplicationTitle = "Quorvel LocoNet Board Programmer";

// The program's error display for failures that escape an operation (the
// link's exceptions): a message box captioned with the application's title,
// or what a test puts in its place.
using TErrorDisplay = std::function<void(QWidget* parent, const QString& text)>;
void ShowErrorText(QWidget* parent, const QString& text);
void SetErrorDisplay(TErrorDisplay display);  // an empty one restores the message box

// Notices the program gives with an OK button ("Connect:" ...); replaceable the same way.
// The box is window-modal but returns at once: the caller goes on while it shows.
using TNoticeDisplay = std::function<void(QWidget* parent, const QString& caption, const QString& text)>;
void ShowNotice(QWidget* parent, const QString& caption, const QString& text);
void SetNoticeDisplay(TNoticeDisplay display);

// Yes/No questions ("Do you want to save data?"), with Cancel where the
// operator may still change their mind about what led to the question.
// Replaceable the same way, so that tests answer instead of an operator;
// a display asked without Cancel must not answer Cancel.
enum class TAnswer { No, Yes, Cancel };
using TQuestionDisplay =
    std::function<TAnswer(QWidget* parent, const QString& caption, const QString& text, bool withCancel)>;
bool AskYesNo(QWidget* parent, const QString& caption, const QString& text);  // true for Yes
TAnswer AskYesNoCancel(QWidget* parent, const QString& caption, const QString& text);
void SetQuestionDisplay(TQuestionDisplay display);

// Where file dialogs start: the documents folder, or the home folder where
// there is none (a dialog given a missing folder offers its name as the file).
QString DocumentsFolder();

// The open and save file dialogs: what they show, and the chosen path (empty
// when cancelled). Replaceable like the displays above.
struct TFileDialogRequest {
    bool save = false;    // a save dialog; otherwise an open dialog for an existing file
    QString title;
    QString fileName;     // preset name, or empty
    QString directory = DocumentsFolder();  // where to start when fileName has no folder
    QString filter;       // "Rich Text files (*.rtf)"
    QString defaultSuffix;  // without the dot
};
using TFileDialogDisplay = std::function<QString(QWidget* parent, const TFileDialogRequest& request)>;
QString AskFileName(QWidget* parent, const TFileDialogRequest& request);
void SetFileDialogDisplay(TFileDialogDisplay display);
