// Opening an editor and pressing OK without touching a field changes nothing
// in the board's file: every window of every model, reached as a modeller
// reaches it (each row of each list opened, each Define, Edit Addresses and
// Sequence Wizard button pressed, OK in each), on a new board, on a board
// with its own names and numbers, and on boards decoded from random SV images
// as a Read Board leaves them.
#include "Widgettestsupport.h"

#include "app/boards/Boardeditors.h"
#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
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
        if (child->isVisible())
            child->reject();  // an OK refused: the test fails on the file, not by hanging
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

// The first line that differs, "line n: before -> after"; empty when none does.
QString FirstDifference(const std::string& before, const std::string& after)
{
    const QStringList a = QString::fromStdString(before).split(QStringLiteral("\r\n"));
    const QStringList b = QString::fromStdString(after).split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QString x = a.value(i), y = b.value(i);
        if (x != y)
            return QStringLiteral("line %1: %2 -> %3").arg(i + 1).arg(x, y);
    }
    return {};
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

}  // namespace

class TEditorsOkTest : public QObject {
    Q_OBJECT

private slots:
    void okWithoutTouchingChangesNothing_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("seed");  // -1: new board, 0: own names and numbers, else a random image
        for (int type = 0; type < kBoardTypeCount; ++type) {
            const QString name = QString::fromStdString(TBoardData::ShortTypeName(uint8_t(type)));
            QTest::addRow("%s new", qPrintable(name)) << type << -1;
            QTest::addRow("%s named", qPrintable(name)) << type << 0;
            for (int seed = 1; seed <= 3; ++seed)
                QTest::addRow("%s read back %d", qPrintable(name), seed) << type << seed;
        }
    }

    void okWithoutTouchingChangesNothing()
    {
        QFETCH(int, type);
        QFETCH(int, seed);
        QVERIFY(HasBoardEditor(type));
        std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
        QVERIFY(board);
        if (seed == 0) {
            board->SetName("Yard throat, east");
            board->SetSerialNumber(4711);
        } else if (seed > 0) {
            DecodeRandomImage(*board, unsigned(seed) * 7919u + unsigned(type));
        }
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
            if (editor->isVisible())
                editor->reject();
        });
        BoardEditorRow(type)->edit(nullptr, QPoint(40, 40), *board);
        QVERIFY(opened);
        windows.removeDuplicates();
        QVERIFY2(windows.size() > 1 || type == btTEL90, qPrintable(windows.join(QLatin1Char(' '))));
        QCOMPARE(FirstDifference(before, FileOf(*board)), QString());
    }
};

QTEST_MAIN(TEditorsOkTest)
#include "widget_editors_ok.moc"
