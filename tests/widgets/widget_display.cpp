// The message display: decoded and raw lines, each kept in the form it was
// added in, clearing, saving with CR LF, the count edit.
#include "Widgettestsupport.h"

#include "app/monitor/Lndisplay.h"
#include "app/monitor/Messagelistmodel.h"
#include "app/monitor/Messagelistview.h"
#include "link/Lndecoders.h"
#include "link/Lndispatch.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

class TDisplayTest : public QObject {
    Q_OBJECT

private:
    // The display is fed decoder objects, as the main window's dispatch does.
    static void Show(TDisplayForm& form, const TLocoNetMessage& message)
    {
        form.ShowMessage(*MakeDecoderMessage(message));
    }

    static QStringList Lines(const TDisplayForm& form)
    {
        form.Model()->Flush();
        QStringList lines;
        for (int row = 0; row < form.Model()->rowCount(); ++row)
            lines << form.Model()->data(form.Model()->index(row)).toString();
        return lines;
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return "<unreadable>";
        return file.readAll();
    }

private slots:
    void initialState()
    {
        TDisplayForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("LocoNet Message display"));
        QCOMPARE(form.MsgCountEdit->text(), QStringLiteral("0"));
        QVERIFY(form.ExpandButton->isChecked());
        QVERIFY(QFontInfo(form.MsgList->font()).fixedPitch());
    }

    void linesAreDecodedOrRawAndKeepTheirForm()
    {
        TDisplayForm form;
        const TLocoNetMessage sensor = MessageOf({0xB2, 0x00, 0x50, 0x1D});
        const TLocoNetMessage gpon = MessageOf({0x83, 0x7C});
        Show(form, sensor);
        Show(form, gpon);
        form.ExpandButton->setChecked(false);
        Show(form, sensor);
        Show(form, gpon);
        form.ExpandButton->setChecked(true);
        Show(form, MessageOf({0xB0, 0x7F, 0x1F, 0x2F}));
        QCOMPARE(Lines(form), (QStringList{
                                  "OPC_SENSORREP sensor report:1,1 On",
                                  // A kind without a decoder reads the same in both forms.
                                  "OPC_GPON:83 7C ",
                                  "OPC_SENSORREP:B2 00 50 1D ",
                                  "OPC_GPON:83 7C ",
                                  "OPC_SWREQ: Switch request, point number = 2048, THROWN Pressed",
                              }));
        QCOMPARE(form.DisplayedCount(), 5u);
        QCOMPARE(form.MsgCountEdit->text(), QStringLiteral("5"));
    }

    void clearResetsTheCountAndTheNextMessageShowsOne()
    {
        TDisplayForm form;
        for (int i = 0; i < 3; ++i)
            Show(form, MessageOf({0x83, 0x7C}));
        form.Button1->click();
        QCOMPARE(form.Model()->LineCount(), 0);
        QCOMPARE(form.Model()->rowCount(), 0);
        QCOMPARE(form.MsgCountEdit->text(), QStringLiteral("0"));
        Show(form, MessageOf({0x82, 0x7D}));
        QCOMPARE(form.MsgCountEdit->text(), QStringLiteral("1"));
        QCOMPARE(Lines(form), QStringList{"OPC_GPOFF:82 7D "});
    }

    void typingIntoTheCountHasNoEffect()
    {
        TDisplayForm form;
        Show(form, MessageOf({0x83, 0x7C}));
        form.MsgCountEdit->setText(QStringLiteral("999"));
        Show(form, MessageOf({0x83, 0x7C}));
        QCOMPARE(form.MsgCountEdit->text(), QStringLiteral("2"));
    }

    void savingWritesEveryLineWithCrLfAndReplacesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lines.txt"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older and much longer file that must not survive\n");
        }
        TDisplayForm form;
        Show(form, MessageOf({0xB2, 0x00, 0x60, 0x2D}));
        form.ExpandButton->setChecked(false);
        Show(form, MessageOf({0xB2, 0x00, 0x60, 0x2D}));
        QString error;
        QVERIFY(form.SaveToFile(path, error));
        QCOMPARE(ReadFile(path), QByteArray("OPC_SENSORREP sensor report:1,2 Off\r\n"
                                            "OPC_SENSORREP:B2 00 60 2D \r\n"));
    }

    void savingAnEmptyListWritesAnEmptyFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("empty.txt"));
        TDisplayForm form;
        QString error;
        QVERIFY(form.SaveToFile(path, error));
        QVERIFY(QFile::exists(path));
        QCOMPARE(ReadFile(path), QByteArray());
    }

    void savingWhereNoFileCanBeMadeFailsWithAReason()
    {
        TDisplayForm form;
        Show(form, MessageOf({0x83, 0x7C}));
        QString error;
        QVERIFY(!form.SaveToFile(QStringLiteral("/nonexistent-folder/varnscope/lines.txt"), error));
        QVERIFY(!error.isEmpty());
    }

    void aBurstReachesTheViewInOneBatchAndTheFirstLineAtOnce()
    {
        TDisplayForm form;
        QSignalSpy inserted(form.Model(), &QAbstractItemModel::rowsInserted);
        Show(form, MessageOf({0x83, 0x7C}));
        // After a quiet spell the line is in the view at once.
        QCOMPARE(form.Model()->rowCount(), 1);
        for (int i = 0; i < 500; ++i)
            Show(form, MessageOf({0xB2, 0x00, 0x50, 0x1D}));
        QCOMPARE(form.Model()->LineCount(), 501);
        QCOMPARE(form.MsgCountEdit->text(), QStringLiteral("501"));
        QTRY_COMPARE(form.Model()->rowCount(), 501);
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(inserted.at(1).at(1).toInt(), 1);
        QCOMPARE(inserted.at(1).at(2).toInt(), 500);
    }

    void theViewFollowsTheNewestLineAndCopiesSelectedLines()
    {
        TDisplayForm form;
        form.resize(700, 300);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int i = 1; i <= 300; ++i)
            Show(form, TLNSwReqMessage(i, 3));
        QTRY_COMPARE(form.MsgList->RowCount(), 300);
        QTRY_COMPARE(form.MsgList->TopRow() + form.MsgList->VisibleRows(), 300);
        QCOMPARE(form.MsgList->verticalScrollBar()->value(), form.MsgList->verticalScrollBar()->maximum());

        // A click on the top row visible and a shift-click two rows down select three lines.
        const int top = form.MsgList->TopRow();
        const int h = form.MsgList->LineHeight();
        QTest::mouseClick(form.MsgList->viewport(), Qt::LeftButton, {}, QPoint(20, h / 2));
        QTest::mouseClick(form.MsgList->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(20, 2 * h + h / 2));
        QCOMPARE(form.MsgList->SelectedText(),
                 QStringLiteral("OPC_SWREQ: Switch request, point number = %1, CLOSED Pressed\n"
                                "OPC_SWREQ: Switch request, point number = %2, CLOSED Pressed\n"
                                "OPC_SWREQ: Switch request, point number = %3, CLOSED Pressed")
                     .arg(top + 1)
                     .arg(top + 2)
                     .arg(top + 3));
        form.ClearButtonClick();
        QCOMPARE(form.MsgList->RowCount(), 0);
        QCOMPARE(form.MsgList->SelectedText(), QString());
    }

    // A line Find selected at the foot of the view stays in sight when the
    // note about newer lines appears.
    void aFoundLineIsNotHiddenByTheNewLinesNote()
    {
        TDisplayForm form;
        form.resize(700, 300);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TMessageListView* view = form.MsgList;
        for (int i = 1; i <= 200; ++i)
            Show(form, TLNSwReqMessage(i, 3));
        QTRY_COMPARE(view->RowCount(), 200);
        view->verticalScrollBar()->setValue(100);
        const int found = view->TopRow() + view->VisibleRows() - 1;
        form.FindEdit->setText(QStringLiteral("point number = %1,").arg(found + 1));
        view->SelectRows(found - 1, found - 1);
        QVERIFY(form.FindNext());
        QCOMPARE(view->CurrentRow(), found);
        for (int i = 201; i <= 230; ++i)
            Show(form, TLNSwReqMessage(i, 3));
        QTRY_COMPARE(view->RowCount(), 230);
        auto* note = view->NewRowsNote();
        QTRY_VERIFY(note->isVisible());
        QVERIFY(found >= view->TopRow());
        QVERIFY2(found < view->TopRow() + view->VisibleRows(),
                 qPrintable(QStringLiteral("row %1, top %2, %3 rows in sight")
                                .arg(found)
                                .arg(view->TopRow())
                                .arg(view->VisibleRows())));
        QVERIFY(!note->geometry().intersects(view->viewport()->geometry()));
    }

    // On a busy bus the operator scrolls back and selects while lines keep
    // coming: the view stays put and counts what waits below.
    void readingBackWhileLinesArrive()
    {
        TDisplayForm form;
        form.resize(700, 300);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TMessageListView* view = form.MsgList;
        QScrollBar* bar = view->verticalScrollBar();
        auto* note = view->findChild<QPushButton*>(QStringLiteral("NewRowsNote"));
        int next = 1;
        auto arrive = [&](int lines) {
            for (int i = 0; i < lines; ++i, ++next)
                Show(form, TLNSwReqMessage(next, 3));
            QTRY_COMPARE(view->RowCount(), next - 1);
            QCoreApplication::processEvents();
        };
        arrive(300);
        QTRY_COMPARE(bar->value(), bar->maximum());

        // Scrolled up a page: new lines leave the view where it is.
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        const int top = view->TopRow();
        QVERIFY(top < bar->maximum());
        arrive(40);
        QCOMPARE(view->TopRow(), top);
        QVERIFY(note != nullptr);
        QVERIFY(note->isVisible());
        QVERIFY2(note->text().startsWith(QStringLiteral("40 new lines below")), qPrintable(note->text()));
        // The note covers no row: it has its strip below them.
        QVERIFY(!note->geometry().intersects(view->viewport()->geometry()));
        QVERIFY(view->viewport()->geometry().bottom() < note->geometry().top());

        // A selected line stays selected, and in sight.
        const int h = view->LineHeight();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, 2 * h + h / 2));
        const QString selected = view->SelectedText();
        QCOMPARE(selected, QStringLiteral("OPC_SWREQ: Switch request, point number = %1, CLOSED Pressed").arg(top + 3));
        arrive(25);
        QCOMPARE(view->TopRow(), top);
        QCOMPARE(view->SelectedText(), selected);
        QVERIFY(note->text().startsWith(QStringLiteral("65 new lines below")));

        // End follows the newest line again.
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(note->isHidden());
        arrive(10);
        QCOMPARE(bar->value(), bar->maximum());

        // While the scroll bar's handle is held nothing moves under it, even at the end.
        bar->setSliderDown(true);
        const int held = bar->value();
        arrive(10);
        QCOMPARE(bar->value(), held);
        QVERIFY(bar->value() < bar->maximum());
        bar->setSliderDown(false);
        QVERIFY(note->isVisible());

        // A click on the note goes to the end and follows.
        QTest::mouseClick(note, Qt::LeftButton);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(note->isHidden());
        arrive(5);
        QCOMPARE(bar->value(), bar->maximum());

        // Scrolling up and back down to the end by hand follows too.
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        arrive(3);
        QVERIFY(bar->value() < bar->maximum());
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        arrive(3);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(note->isHidden());

        // Clearing starts afresh, following.
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        form.ClearButtonClick();
        next = 1;
        arrive(200);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(note->isHidden());
    }

    void storeKeepsBytesCompactly()
    {
        TMessageStore store;
        for (int i = 0; i < 1000; ++i)
            store.Append(MessageOf({0xB2, i & 0x7F, 0x50, 0x1D}), i % 2 == 0);
        QCOMPARE(store.Count(), size_t(1000));
        QCOMPARE(store.LengthOf(999), 4u);
        QVERIFY(store.Expanded(998));
        QVERIFY(!store.Expanded(999));
        QCOMPARE(store.BytesOf(999)[1], uint8_t(999 & 0x7F));
        // Four bytes of message plus one word per line, with the vectors' reserve.
        QVERIFY(store.MemoryBytes() <= 2 * 1000 * 8);
        // A variable-length message keeps all its bytes.
        TLocoNetMessage peer;
        for (int b : {0xE5, 0x10, 0x50, 0x50, 0x01, 0x00, 0x11, 0, 0, 0, 0x00, 0x11, 0, 0, 0})
            peer.AppendByte(uint8_t(b));
        peer.AppendChecksum();
        store.Append(peer, true);
        QCOMPARE(store.LengthOf(1000), 16u);
        QVERIFY(QString::fromStdString(store.LineText(1000)).startsWith(QStringLiteral("LocoBuffer V1.1.1.1")));
        store.Clear();
        QCOMPARE(store.Count(), size_t(0));
    }
};

QTEST_MAIN(TDisplayTest)
#include "widget_display.moc"
