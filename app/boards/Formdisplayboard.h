// The settings display: one board's settings report, read-only, to save as
// Rich Text, print under the job title "Board Settings" or copy.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAction;
class QPrinter;
class QPushButton;
class QTextEdit;
class TConfigurableBoard;

// Lines as a Rich Text document, one paragraph each (7-bit text; other
// characters as Unicode escapes).
QByteArray RichTextOf(const QStringList& lines);

class TDisplayBoardForm : public QWidget {
    Q_OBJECT
public:
    explicit TDisplayBoardForm(QWidget* parent = nullptr);

    // "Configurable Board Settings: " and the board's report below it.
    void ShowBoard(const TConfigurableBoard& board);
    QStringList Lines() const { return lines_; }

    // Lets the operator set up the printer; false cancels the print. Tests
    // put a PDF file in the printer instead of showing the dialog.
    std::function<bool(QWidget* parent, QPrinter& printer)> ChoosePrinter;

public:  // controls
    QTextEdit* DisplayList = nullptr;
    QPushButton* CopyBtn = nullptr;
    QPushButton* PrintBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
    QPushButton* HelpButton = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Close1 = nullptr;
    QAction* Copy1 = nullptr;

public slots:
    void SaveAs1Click();
    void Print1Click();
    void Copy1Click();
    void Close1Click();

private:
    QStringList lines_;
};
