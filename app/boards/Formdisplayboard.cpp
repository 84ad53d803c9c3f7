#include "app/boards/Formdisplayboard.h"

#include "app/common/Formsupport.h"
#include "boards/core/Tconfigurableboard.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextEdit>

namespace {

constexpr int kHelpTopic = 8;
const QString kFirstLine = QStringLiteral("Configurable Board Settings: ");

// One line of text as Rich Text: the control characters escaped, and every
// character outside 7-bit ASCII as \uN? (N a signed 16-bit UTF-16 unit).
void AppendRichText(QByteArray& out, const QString& line)
{
    for (const QChar c : line) {
        const ushort u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else if (u >= 0x80) {
            out += "\\u" + QByteArray::number(int(int16_t(u))) + '?';
        }
        // Other control characters have no place in a report line.
    }
}

bool ChoosePrinterByDialog(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

QByteArray RichTextOf(const QStringList& lines)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
                     "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}"
                     "\r\n\\pard\\f0\\fs20 ";
    for (const QString& line : lines) {
        AppendRichText(out, line);
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

TDisplayBoardForm::TDisplayBoardForm(QWidget* parent) : QWidget(parent), ChoosePrinter(ChoosePrinterByDialog)
{
    setObjectName(QStringLiteral("DisplayBoardForm"));
    setWindowTitle(QStringLiteral("Display Board Settings"));
    setAttribute(Qt::WA_DeleteOnClose);
    SetHelpContext(this, kHelpTopic);

    auto* menus = new QMenuBar(this);
    QMenu* file = menus->addMenu(QStringLiteral("&File"));
    SaveAs1 = file->addAction(QStringLiteral("Save &As..."), this, &TDisplayBoardForm::SaveAs1Click);
    Print1 = file->addAction(QStringLiteral("&Print..."), this, &TDisplayBoardForm::Print1Click);
    Close1 = file->addAction(QStringLiteral("&Close"), this, &TDisplayBoardForm::Close1Click);
    QMenu* edit = menus->addMenu(QStringLiteral("&Edit"));
    Copy1 = edit->addAction(QStringLiteral("&Copy"), this, &TDisplayBoardForm::Copy1Click);

    DisplayList = new QTextEdit(this);
    DisplayList->setObjectName(QStringLiteral("DisplayList"));
    DisplayList->setReadOnly(true);
    DisplayList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DisplayList->setLineWrapMode(QTextEdit::NoWrap);

    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    CopyBtn = button(QStringLiteral("Copy Text"), "CopyBtn");
    PrintBtn = button(QStringLiteral("Print Text"), "PrintBtn");
    CloseBtn = button(QStringLiteral("Close"), "CloseBtn");
    HelpButton = button(QStringLiteral("Help"), "HelpButton");
    connect(CopyBtn, &QPushButton::clicked, this, &TDisplayBoardForm::Copy1Click);
    connect(PrintBtn, &QPushButton::clicked, this, &TDisplayBoardForm::Print1Click);
    connect(CloseBtn, &QPushButton::clicked, this, &TDisplayBoardForm::Close1Click);
    connect(HelpButton, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpTopic); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CopyBtn);
    buttons->addWidget(PrintBtn);
    buttons->addStretch(1);
    buttons->addWidget(CloseBtn);
    buttons->addWidget(HelpButton);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menus);
    layout->addWidget(DisplayList, 1);
    layout->addLayout(buttons);
    resize(520, 460);
}

void TDisplayBoardForm::ShowBoard(const TConfigurableBoard& board)
{
    std::vector<std::string> report;
    board.DescribeSettings(report);
    lines_ = QStringList{kFirstLine};
    for (const std::string& line : report)
        lines_ << QString::fromStdString(line);
    DisplayList->setPlainText(lines_.join(QLatin1Char('\n')));
}

void TDisplayBoardForm::SaveAs1Click()
{
    TFileDialogRequest request;
    request.save = true;
    request.title = QStringLiteral("Save As");
    request.filter = QStringLiteral("Rich Text files (*.rtf)");
    request.defaultSuffix = QStringLiteral("rtf");
    const QString fileName = AskFileName(this, request);
    if (fileName.isEmpty())
        return;
    // The old file stays whole until the new one is written completely.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(RichTextOf(lines_)) < 0 || !file.commit())
        ShowErrorText(this, QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
}

void TDisplayBoardForm::Print1Click()
{
    QPrinter printer;
    printer.setDocName(QStringLiteral("Board Settings"));
    if (!ChoosePrinter || !ChoosePrinter(this, printer))
        return;
    printer.setDocName(QStringLiteral("Board Settings"));
    DisplayList->document()->print(&printer);
}

void TDisplayBoardForm::Copy1Click()
{
    DisplayList->selectAll();
    DisplayList->copy();
    QTextCursor cursor = DisplayList->textCursor();
    cursor.clearSelection();
    DisplayList->setTextCursor(cursor);
}

void TDisplayBoardForm::Close1Click()
{
    CloseFormWindow(this);
}
