// Opening an editor and pressing OK without touching a field changes nothing
// in the board's file: every window of every model, reached as a modeller
// reaches it (each row of each list opened, each Define, Edit Addresses and
// Sequence Wizard button pressed, OK in each), on a new board, on a board
// with its own names and numbers, on boards decoded from random SV images
// as a Read Board leaves them, and on such boards whose every text was written
// by hand into the file (long, with commas, quotes and bytes of another
// character set, as files of older programs hold them).
#include "Widgettestsupport.h"

#include "app/boards/Boardeditors.h"
#include "app/boards/Editorsupport.h"
#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <typeinfo>

namespace {

constexpr int kDepth = 3;  // board window, its row's window, that one's conditions

void PressOk(QDialog* dialog)
{
    auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("ButtonBox"));
    QPushButton* ok = box ? box->button(QDialogButtonBox::Ok) : nullptr;
    if (ok != nullptr && ok->window() == dialog)
        ok->click();
    else
        dialog->accept();
}

void OkEverywhere(QDialog* dialog, int depth, QStringList& windows);

// Runs open; the modal window it opens, if any, has OK pressed everywhere.
void OpenChild(QDialog* parent, int depth, QStringList& windows, const std::function<void()>& open)
{
    bool looked = false;
    QTimer::singleShot(0, qApp, [&] {
        looked = true;
        auto* child = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (child == nullptr || child == parent)
            return;
        windows << typeid(*child).name();
        OkEverywhere(child, depth + 1, windows);
        if (child->isVisible())
            PressOk(child);
        if (child->isVisible()) {
            // An OK refused would leave the file as it was and prove nothing:
            // said, and the window closed rather than left hanging.
            windows << QStringLiteral("OK refused: ") + QString::fromLatin1(typeid(*child).name());
            child->reject();
        }
    });
    open();
    if (!looked)
        QTRY_VERIFY(looked);
}

void OkEverywhere(QDialog* dialog, int depth, QStringList& windows)
{
    if (depth >= kDepth)
        return;
    for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>()) {
        if (view->window() != dialog || !view->isVisible() || !view->isEnabled())
            continue;
        QAbstractItemModel* model = view->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, 0);
            if (!(model->flags(index) & Qt::ItemIsEnabled))
                continue;
            OpenChild(dialog, depth, windows, [&] {
                view->scrollTo(index);
                const QPoint at = view->visualRect(index).center();
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            });
        }
    }
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        const QString name = button->objectName();
        if (button->window() != dialog || !button->isVisible() || !button->isEnabled())
            continue;
        if (name.startsWith(QLatin1String("Define")) || name == QLatin1String("EditAddrsBtn") ||
            name == QLatin1String("WizardBtn"))
            OpenChild(dialog, depth, windows, [&] { button->click(); });
    }
}

// The first line that differs, "line n: before -> after"; empty when none
// does. Byte by byte: a text box that turned a byte it cannot show into
// another differs here even where the two would read alike.
QString FirstDifference(const std::string& before, const std::string& after)
{
    if (before == after)
        return {};
    const auto shown = [](const std::string& line) {
        return QString::fromLatin1(QByteArray::fromStdString(line).toPercentEncoding(" ,\"();:+"));
    };
    std::istringstream a(before), b(after);
    std::string x, y;
    for (int line = 1;; ++line) {
        const bool moreA = bool(std::getline(a, x));
        const bool moreB = bool(std::getline(b, y));
        if (x != y || !moreA || !moreB)
            return QStringLiteral("line %1: %2 -> %3")
                .arg(line)
                .arg(moreA ? shown(x) : QStringLiteral("(none)"), moreB ? shown(y) : QStringLiteral("(none)"));
    }
}

// The board as a Read Board leaves it: its image from random bytes, decoded.
void DecodeRandomImage(TConfigurableBoard& board, unsigned seed)
{
    board.ComputeSvImage();
    std::mt19937 random(seed);
    for (unsigned sv = 1; sv <= board.SvLength(); ++sv)
        board.SetSvByte(sv, static_cast<uint8_t>(random()));
    board.DecodeSvImage();
}

// Every name, description and note of the board's file replaced by a text of
// the operator's: the board read back from the file, as an Open gives it.
bool WriteTextsByHand(TConfigurableBoard& board)
{
    std::string file = FileOf(board);
    static const char* const kDefaults[] = {"\"unnamed\"", "\"undefined\"", "\"Undefined\"", "\"Unassigned\"",
                                            "\"\""};
    int count = 0;
    for (const char* word : kDefaults) {
        const std::string quoted = word;
        for (size_t at = file.find(quoted); at != std::string::npos; at = file.find(quoted, at)) {
            // Only whole fields, never a part of a longer one.
            const bool field = (at == 0 || file[at - 1] == ',') &&
                               (at + quoted.size() == file.size() || file[at + quoted.size()] == ',' ||
                                file[at + quoted.size()] == '\r');
            if (!field) {
                at += quoted.size();
                continue;
            }
            // Longer than any box that shows it, a comma, a quote, and
            // "Bahnhof Süd" in the Windows character set (the byte 0xFC).
            const std::string text = "\"Bahnhof S\xfc" "d, Gleis " + std::to_string(++count) +
                                     " \"\"Nord\"\" mit Ausfahrt und Abstellgruppe\"";
            file.replace(at, quoted.size(), text);
            at += text.size();
        }
    }
    std::istringstream in(file, std::ios::in | std::ios::binary);
    try {
        board.ReadFromFile(in);
    } catch (const std::exception&) {
        return false;
    }
    return count > 0;
}

}  // namespace

class TEditorsOkTest : public QObject {
    Q_OBJECT

private slots:
    // What a text box is given comes back byte for byte, UTF-8 or not; what
    // is typed is stored as UTF-8.
    void textsComeBackByteForByte()
    {
        const std::string texts[] = {
            "Yard", "S\xc3\xbc" "d", "S\xfc" "d", "\xe2\x82\xac 5", "\xe2\x82", "\xc0\xaf", "\xed\xa0\x80",
            "\xf0\x9f\x9a\x82", "\xf4\x90\x80\x80", "\xee\xbe\x80\xee\xbf\xbf", "\x9d\x1d\xf6l\xaaJ",
            std::string("a\0b", 3), "\xff",
        };
        for (const std::string& text : texts) {
            QLineEdit edit;
            edit.setText(ToQ(text));
            QCOMPARE(QByteArray::fromStdString(FromQ(edit.text())).toHex(), QByteArray::fromStdString(text).toHex());
        }
        QCOMPARE(ToQ("S\xc3\xbc" "d"), QStringLiteral("S\u00fcd"));
        QCOMPARE(FromQ(QStringLiteral("S\u00fcd")), std::string("S\xc3\xbc" "d"));
        QCOMPARE(ToQ("S\xfc" "d").size(), 3);
    }

    void okWithoutTouchingChangesNothing_data()
    {
        QTest::addColumn<int>("type");
        // -1: new board, 0: own names and numbers, else a random image; the
        // texts written by hand into the file too.
        QTest::addColumn<int>("seed");
        QTest::addColumn<bool>("texts");
        for (int type = 0; type < kBoardTypeCount; ++type) {
            const QString name = QString::fromStdString(TBoardData::ShortTypeName(uint8_t(type)));
            QTest::addRow("%s new", qPrintable(name)) << type << -1 << false;
            QTest::addRow("%s named", qPrintable(name)) << type << 0 << false;
            for (int seed = 1; seed <= 3; ++seed)
                QTest::addRow("%s read back %d", qPrintable(name), seed) << type << seed << false;
            QTest::addRow("%s hand-built", qPrintable(name)) << type << 4 << true;
        }
    }

    void okWithoutTouchingChangesNothing()
    {
        QFETCH(int, type);
        QFETCH(int, seed);
        QFETCH(bool, texts);
        QVERIFY(HasBoardEditor(type));
        std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
        QVERIFY(board);
        if (seed == 0) {
            board->SetName("Yard throat, east");
            board->SetSerialNumber(4711);
        } else if (seed > 0) {
            DecodeRandomImage(*board, unsigned(seed) * 7919u + unsigned(type));
        }
        if (texts)
            QVERIFY(WriteTextsByHand(*board));
        const std::string before = FileOf(*board);
        QStringList windows;
        bool opened = false;
        QTimer::singleShot(0, qApp, [&] {
            auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (editor == nullptr)
                return;
            opened = true;
            windows << typeid(*editor).name();
            OkEverywhere(editor, 0, windows);
            PressOk(editor);
            if (editor->isVisible()) {
                windows << QStringLiteral("OK refused: ") + QString::fromLatin1(typeid(*editor).name());
                editor->reject();
            }
        });
        BoardEditorRow(type)->edit(nullptr, QPoint(40, 40), *board);
        QVERIFY(opened);
        windows.removeDuplicates();
        QVERIFY2(windows.filter(QStringLiteral("OK refused")).isEmpty(), qPrintable(windows.join(QLatin1Char(' '))));
        QVERIFY2(windows.size() > 1 || type == btTEL90, qPrintable(windows.join(QLatin1Char(' '))));
        QCOMPARE(FirstDifference(before, FileOf(*board)), QString());
    }
};

QTEST_MAIN(TEditorsOkTest)
#include "widget_editors_ok.moc"
