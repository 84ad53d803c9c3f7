// Help and about: a page for every topic number the windows use, F1 and the
// Help buttons opening the current window's topic, the about window's texts.
#include "Widgettestsupport.h"

#include "app/boards/Boardeditors.h"
#include "app/boards/Formcompareboards.h"
#include "app/boards/Formlayoutsnapshot.h"
#include "app/boards/Formprogramchanged.h"
#include "app/boards/muv7/Formmuv7sequenceedit.h"
#include "app/boards/muv7/Formmuv7wizard.h"
#include "app/boards/ort50/Formort50celledit.h"
#include "app/boards/ort50/Formort50routeedit.h"
#include "app/boards/pax/Formpax60celledit.h"
#include "app/boards/pax/Formpax60conditions.h"
#include "app/boards/pax/Formpax60inputedit.h"
#include "app/boards/pax/Formpax60routeedit.h"
#include "app/boards/vela/Formeditconditions.h"
#include "app/boards/vela/Formsignaledit.h"
#include "boards/core/Boarddata.h"
#include "boards/muv7/Tmuv7board.h"
#include "boards/ort50/Tort50board.h"
#include "boards/pax/Tpax60board.h"
#include "boards/vela/Tvela40board.h"

#include "app/monitor/Formarbitrarymessage.h"
#include "app/monitor/Generatesensfbform.h"
#include "app/monitor/Swreqform.h"
#include "app/shell/Aboutbox.h"
#include "app/shell/Formconnect.h"
#include "app/monitor/Formspeedometer.h"
#include "app/common/Helpindex.h"
#include "app/common/Helpviewer.h"
#include "app/monitor/Lndisplay.h"
#include "app/monitor/Messagelistview.h"
#include "app/shell/Main.h"
#include "link/Lncomm.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QUrl>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

class THelpTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;

    static int ViewerTopic() { return THelpViewerForm::Instance()->CurrentTopic(); }

    static QString PageText(const QString& page)
    {
        QFile file(QStringLiteral(":/help/") + page);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }

    static QStringList LinksOf(const QString& html)
    {
        QStringList links;
        static const QRegularExpression href(QStringLiteral("href\\s*=\\s*[\"']([^\"']*)[\"']"),
                                             QRegularExpression::CaseInsensitiveOption);
        for (const QRegularExpressionMatch& match : href.globalMatch(html))
            links.append(match.captured(1));
        return links;
    }

    static QStringList HelpLinks(int topic)
    {
        (void)THelpViewerForm::HasTopic(topic);  // makes sure the pages are loaded
        return LinksOf(PageText(QStringLiteral("topic%1.html").arg(topic)));
    }

private slots:
    void everyTopicTheWindowsUseHasAPage_data()
    {
        QTest::addColumn<int>("topic");
        // The monitor's windows, the board windows and the board editors.
        for (int topic : {1, 2, 8, 9, 13, 14, 15, 16, 17, 25, 26, 80, TCompareBoardsForm::kHelpTopic,
                          TLayoutSnapshotForm::kHelpTopic, TProgramChangedForm::kHelpTopic, 400, 410, 420, 430, 440, 500,
                          520, 530, 540, 560, 600, 610, 620, 700, 710, 720, 800})
            QTest::addRow("%d", topic) << topic;
    }

    void everyTopicTheWindowsUseHasAPage()
    {
        QFETCH(int, topic);
        QVERIFY(THelpViewerForm::HasTopic(topic));
        THelpViewerForm::Instance()->ShowTopic(topic);
        QCOMPARE(ViewerTopic(), topic);
        QTextBrowser* browser = THelpViewerForm::Instance()->Browser();
        QCOMPARE(browser->source(), THelpViewerForm::TopicUrl(topic));
        const QString text = browser->document()->toPlainText();
        QVERIFY(!text.contains(QStringLiteral("There is no help page")));
        // A page that explains its window's fields, not a one-line caption.
        constexpr qsizetype kMinimumWords = 200;
        const qsizetype words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts).size();
        QVERIFY2(words >= kMinimumWords, qPrintable(QStringLiteral("topic %1 has %2 words").arg(topic).arg(words)));
        // Every page leads back to the contents.
        QVERIFY(HelpLinks(topic).contains(QStringLiteral("topic1.html")) || topic == 1);
    }

    // Every link of every page leads to a page that exists (and to an anchor
    // on it, when it names one), and every page can be reached from the contents.
    void everyLinkLeadsToAPage()
    {
        QVERIFY(THelpViewerForm::HasTopic(1));  // the pages are loaded
        const QStringList pages = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files);
        QVERIFY(pages.size() >= 27);
        QSet<QString> reached{QStringLiteral("topic1.html")};
        QStringList toVisit{QStringLiteral("topic1.html")};
        while (!toVisit.isEmpty()) {
            const QString page = toVisit.takeFirst();
            const QUrl base(QStringLiteral("qrc:/help/") + page);
            for (const QString& link : LinksOf(PageText(page))) {
                const QUrl target = base.resolved(QUrl(link));
                if (target.scheme() == QStringLiteral("http") || target.scheme() == QStringLiteral("https"))
                    continue;
                const QString where = page + QStringLiteral(" -> ") + link;
                QVERIFY2(target.scheme() == QStringLiteral("qrc"), qPrintable(where));
                const QString file = QLatin1Char(':') + target.path();
                QVERIFY2(QFile::exists(file), qPrintable(where));
                if (target.hasFragment()) {
                    const QString html = PageText(target.path().section(QLatin1Char('/'), -1));
                    const QString anchor = target.fragment();
                    QVERIFY2(html.contains(QStringLiteral("name=\"%1\"").arg(anchor)) ||
                                 html.contains(QStringLiteral("id=\"%1\"").arg(anchor)),
                             qPrintable(where));
                }
                const QString name = target.path().section(QLatin1Char('/'), -1);
                if (!reached.contains(name)) {
                    reached.insert(name);
                    toVisit.append(name);
                }
            }
        }
        for (const QString& page : pages)
            QVERIFY2(reached.contains(page), qPrintable(page + QStringLiteral(" cannot be reached from the contents")));
    }

    // Pictures: every one a page shows is built in, and together they stay small.
    void everyPictureIsBuiltInAndSmall()
    {
        QVERIFY(THelpViewerForm::HasTopic(1));
        static const QRegularExpression img(QStringLiteral("<img\\s[^>]*src\\s*=\\s*[\"']([^\"']*)[\"']"),
                                            QRegularExpression::CaseInsensitiveOption);
        QSet<QString> shown;
        for (const QString& page : QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files)) {
            for (const QRegularExpressionMatch& match : img.globalMatch(PageText(page))) {
                const QUrl target = QUrl(QStringLiteral("qrc:/help/") + page).resolved(QUrl(match.captured(1)));
                const QString file = QLatin1Char(':') + target.path();
                QVERIFY2(!QImage(file).isNull(), qPrintable(page + QStringLiteral(" -> ") + match.captured(1)));
                shown.insert(file);
            }
        }
        QVERIFY(shown.size() >= 4);
        qint64 bytes = 0;
        for (const QString& file : QDir(QStringLiteral(":/help/pictures")).entryList(QDir::Files)) {
            const QString path = QStringLiteral(":/help/pictures/") + file;
            QVERIFY2(shown.contains(path), qPrintable(path + QStringLiteral(" is built in but no page shows it")));
            bytes += QFileInfo(path).size();
            QVERIFY2(QImage(path).width() <= 480, qPrintable(path));
        }
        QVERIFY2(bytes < 300 * 1024, qPrintable(QString::number(bytes)));
    }

    // The index lists every page once under a title of its own.
    void theIndexListsEveryPageByTitle()
    {
        const THelpIndex& pages = THelpIndex::Pages();
        QStringList titles;
        QSet<int> topics;
        for (const THelpIndex::TEntry& entry : pages.Entries()) {
            titles.append(entry.title);
            topics.insert(entry.topic);
            QVERIFY(THelpViewerForm::HasTopic(entry.topic));
        }
        QCOMPARE(topics.size(), QDir(QStringLiteral(":/help")).entryList({QStringLiteral("topic*.html")}).size());
        QStringList sorted = titles;
        sorted.sort(Qt::CaseInsensitive);
        QCOMPARE(titles, sorted);
        QCOMPARE(QSet<QString>(titles.begin(), titles.end()).size(), titles.size());
        QCOMPARE(pages.Find(3)->title, QStringLiteral("Getting started"));
    }

    // The index is read by its titles: at the viewer's size each is whole,
    // with no sideways scrolling.
    void theIndexShowsEveryTitleWhole()
    {
        TMainForm main;
        main.resize(1280, 800);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        THelpViewerForm::CloseIfOpen();
        main.Help2Click();
        THelpViewerForm* viewer = THelpViewerForm::Instance();
        QTRY_VERIFY(viewer->isVisible());
        viewer->SearchEdit()->clear();
        QListWidget* list = viewer->TopicList();
        QTRY_VERIFY(list->viewport()->width() > 0);
        const QFontMetrics metrics(list->font());
        for (int i = 0; i < list->count(); ++i) {
            const QString title = list->item(i)->text();
            QVERIFY2(list->visualItemRect(list->item(i)).left() + metrics.horizontalAdvance(title) <=
                         list->viewport()->width(),
                     qPrintable(QStringLiteral("\"%1\" is cut in an index %2 wide")
                                    .arg(title)
                                    .arg(list->viewport()->width())));
        }
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        THelpViewerForm::CloseIfOpen();
    }

    void searchFindsPagesHoldingEveryWord_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("first");      // the best page; 0: no page
        QTest::addColumn<QList<int>>("among");  // pages that must be found too
        QTest::addRow("a field") << QStringLiteral("junction point") << 520 << QList<int>{500};
        QTest::addRow("case and blanks") << QStringLiteral("  STATION   Stop ") << 720 << QList<int>{710, 3};
        QTest::addRow("part of a word") << QStringLiteral("renumb") << 9 << QList<int>{3};
        QTest::addRow("an error text") << QStringLiteral("does not compute") << 0 << QList<int>{4, 520};
        QTest::addRow("no page has both") << QStringLiteral("speedometer cascade") << 0 << QList<int>{};
        QTest::addRow("nothing") << QStringLiteral("xyzzy") << 0 << QList<int>{};
        QTest::addRow("empty") << QStringLiteral(" ") << 0 << QList<int>{};
    }

    void searchFindsPagesHoldingEveryWord()
    {
        QFETCH(QString, query);
        QFETCH(int, first);
        QFETCH(QList<int>, among);
        const QList<int> found = THelpIndex::Pages().Search(query);
        if (first != 0) {
            QVERIFY(!found.isEmpty());
            QCOMPARE(found.first(), first);
        }
        for (int topic : among)
            QVERIFY2(found.contains(topic), qPrintable(QString::number(topic)));
        if (first == 0 && among.isEmpty())
            QVERIFY(found.isEmpty());
        const QStringList words = THelpIndex::Words(query);
        for (int topic : found) {
            for (const QString& word : words)
                QVERIFY(THelpIndex::Pages().Find(topic)->text.contains(word));
        }
    }

    // In the window: the list follows the search field, Enter opens the best
    // page with the words marked, and a link followed is selected in the list.
    void theViewerSearchesAndFollowsTheIndex()
    {
        THelpViewerForm* viewer = THelpViewerForm::Instance();
        viewer->SearchEdit()->clear();
        viewer->ShowTopic(1);
        QCOMPARE(viewer->TopicList()->count(), THelpIndex::Pages().Entries().size());
        QCOMPARE(viewer->TopicList()->currentItem()->text(), THelpIndex::Pages().Find(1)->title);

        QTest::keyClicks(viewer->SearchEdit(), QStringLiteral("wizard"));
        const QList<int> found = THelpIndex::Pages().Search(QStringLiteral("wizard"));
        QCOMPARE(viewer->TopicList()->count(), found.size());
        QTest::keyClick(viewer->SearchEdit(), Qt::Key_Return);
        QCOMPARE(viewer->CurrentTopic(), found.first());
        QVERIFY(!viewer->Browser()->extraSelections().isEmpty());
        for (const QTextEdit::ExtraSelection& mark : viewer->Browser()->extraSelections())
            QCOMPARE(mark.cursor.selectedText().toLower(), QStringLiteral("wizard"));

        // Another page from the list.
        viewer->TopicList()->setCurrentRow(1);
        QCOMPARE(viewer->CurrentTopic(), found.at(1));

        viewer->SearchEdit()->setText(QStringLiteral("xyzzy"));
        QCOMPARE(viewer->TopicList()->count(), 1);
        QCOMPARE(viewer->TopicList()->item(0)->flags(), Qt::NoItemFlags);
        QVERIFY(viewer->Browser()->extraSelections().isEmpty());

        viewer->SearchEdit()->clear();
        viewer->Browser()->setSource(THelpViewerForm::TopicUrl(720));
        QCOMPARE(viewer->CurrentTopic(), 720);
        QCOMPARE(viewer->TopicList()->currentItem()->text(), THelpIndex::Pages().Find(720)->title);
        viewer->close();
    }

    // The link check must find links however they are quoted, and see a missing page.
    void theLinkCheckReadsEveryLink()
    {
        QCOMPARE(LinksOf(QStringLiteral("<a href=\"topic9.html\">x</a> <A HREF='topic8.html#a'>y</A>")),
                 QStringList({QStringLiteral("topic9.html"), QStringLiteral("topic8.html#a")}));
        const QUrl missing = QUrl(QStringLiteral("qrc:/help/topic1.html")).resolved(QUrl(QStringLiteral("topic99999.html")));
        QCOMPARE(missing.path(), QStringLiteral("/help/topic99999.html"));
        QVERIFY(!QFile::exists(QLatin1Char(':') + missing.path()));
    }

    void anUnknownTopicSaysSo()
    {
        QVERIFY(!THelpViewerForm::HasTopic(12345));
        THelpViewerForm::Instance()->ShowTopic(12345);
        QVERIFY(THelpViewerForm::Instance()->Browser()->document()->toPlainText().contains(
            QStringLiteral("There is no help page for topic 12345")));
    }

    void helpButtonsOpenTheirWindowsTopic()
    {
        TDisplayForm display;
        display.HelpButton->click();
        QCOMPARE(ViewerTopic(), 13);
        TSpeedometerForm speedo;
        speedo.HelpButton->click();
        QCOMPARE(ViewerTopic(), 15);
        TLocoNetComm link;
        TConnectForm connectForm(link);
        connectForm.HelpButton->click();
        QCOMPARE(ViewerTopic(), 2);
    }

    // A page that explains its window names each field and each choice the
    // window offers in the window's own words, so a window that changes
    // cannot leave its page describing fields it no longer has.
    void pagesNameEveryFieldOfTheirWindow()
    {
        auto plain = [](const QString& html) {
            QTextDocument document;
            document.setHtml(html);
            return document.toPlainText().simplified();
        };
        // The label as shown: "&&" is an ampersand, a single "&" marks the shortcut.
        auto words = [](QString text) {
            text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&'));
            return text.replace(QLatin1Char('\x01'), QLatin1Char('&')).remove(QLatin1Char(':')).simplified();
        };
        auto check = [&](QWidget& window, int topic, const QStringList& choices) {
            const QString page = plain(PageText(QStringLiteral("topic%1.html").arg(topic)));
            QStringList names = choices;
            for (const QLabel* label : window.findChildren<QLabel*>()) {
                if (label->buddy() != nullptr)
                    names << words(label->text());
            }
            for (const QGroupBox* box : window.findChildren<QGroupBox*>())
                names << words(box->title());
            QStringList missing;
            for (const QString& name : names) {
                if (!page.contains(name, Qt::CaseInsensitive))
                    missing << name;
            }
            QVERIFY2(missing.isEmpty(),
                     qPrintable(QStringLiteral("topic %1 does not name \"%2\"").arg(topic).arg(missing.join("\", \""))));
        };
        TLocoNetComm link;
        TConnectForm connectForm(link);
        QStringList kinds;
        for (int i = 0; i < connectForm.KindBox->count(); ++i)
            kinds << connectForm.KindBox->itemText(i);
        check(connectForm, 2, kinds + QStringList{QStringLiteral("Com port"), QStringLiteral("baud rate"),
                                                  QStringLiteral("flow control")});
        TSpeedometerForm speedo;
        check(speedo, 15, {});
        TSwitchControlForm switches(TMessageSender{});
        check(switches, 14, {});
        TGenSensFBForm sensors(TMessageSender{});
        check(sensors, 16, {});
        TArbitraryMessageForm arbitrary(TMessageSender{});
        check(arbitrary, 17, {});
        TDisplayForm display;
        check(display, 13, {});
        // The windows the board editors open, each on a part of a new board.
        auto checkOwn = [&](QWidget& window) { check(window, HelpContextOf(&window), {}); };
        TVELA40Board vela;
        {
            TSignalEditForm signal(vela.Signal(1));
            checkOwn(signal);
            TEditConditionsForm conditions(vela.Signal(1).RedSet());
            checkOwn(conditions);
        }
        TORT50Board ort;
        {
            TORT50CellEditForm cell(ort.Cells(), 0);
            checkOwn(cell);
            TORT50RouteEditForm route(ort.RouteAt(0), ort.Cells());
            checkOwn(route);
        }
        TMUV7Sequence sequence;
        {
            TMUV7SequenceEditForm steps(sequence);
            checkOwn(steps);
            TTMUV7Wizard wizard(sequence);
            checkOwn(wizard);
        }
        TPAX60Cell cell;
        TPAX60InputCell input;
        TPAX60Route route;
        TPAX60ConditionSet set(kPax60CondCellThrown);
        {
            TPAX60OutputCellEditForm output(nullptr, cell);
            checkOwn(output);
            TPAX60InputCellEditForm inputs(nullptr, input);
            checkOwn(inputs);
            TPAX60RouteEditForm routes(nullptr, route);
            checkOwn(routes);
            TPAX60EditConditionsForm conditions(nullptr, set);
            checkOwn(conditions);
        }
        // The board editors, each as its board window opens it.
        TMainForm main;
        TBoardData boards;
        for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
            QVERIFY(boards.AppendBoard(type));
            bool checked = false;
            QTimer::singleShot(0, qApp, [&] {
                QWidget* editor = nullptr;
                (void)QTest::qWaitFor([&] { return (editor = QApplication::activeModalWidget()) != nullptr; }, 5000);
                if (auto* dialog = qobject_cast<QDialog*>(editor)) {
                    check(*dialog, HelpContextOf(dialog), {});
                    checked = true;
                    dialog->reject();
                }
            });
            BoardEditorRow(type)->edit(&main, QPoint(40, 40), *boards.BoardAt(type, 0));
            QVERIFY2(checked, qPrintable(QString::fromStdString(TBoardData::ShortTypeName(type))));
        }
    }

    // A modal editor blocks every other window: the viewer must open as one
    // of the editor's windows, in front of it, from its Help button and F1,
    // and stay open as a window of its own once the editor closes.
    void helpStandsInFrontOfEveryEditor()
    {
        TMainForm main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        TBoardData boards;
        int editors = 0;
        int nested = 0;  // editors opened from a board's editor
        for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
            if (!HasBoardEditor(type))
                continue;
            QVERIFY(boards.AppendBoard(type));
            bool checked = false;
            const auto check = [&checked](QDialog* dialog) {
                QWidget* editor = dialog;
                const int topic = HelpContextOf(dialog);
                QVERIFY(topic != 0);
                QVERIFY2(THelpViewerForm::HasTopic(topic), qPrintable(QString::number(topic)));
                THelpViewerForm::CloseIfOpen();
                QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help), Qt::LeftButton);
                THelpViewerForm* viewer = THelpViewerForm::Instance();
                QVERIFY(viewer->isVisible());
                QCOMPARE(viewer->CurrentTopic(), topic);
                QCOMPARE(viewer->parentWidget(), editor);
                QVERIFY(viewer->isWindow());

                viewer->close();
                viewer->ShowTopic(1);
                QApplication::setActiveWindow(dialog);
                QTRY_VERIFY(dialog->isActiveWindow());
                QTest::keyClick(dialog, Qt::Key_F1);
                QTRY_COMPARE(viewer->CurrentTopic(), topic);
                QCOMPARE(viewer->parentWidget(), editor);
                checked = true;
            };
            QTimer::singleShot(0, qApp, [&] {
                QWidget* editor = nullptr;
                (void)QTest::qWaitFor([&] { return (editor = QApplication::activeModalWidget()) != nullptr; }, 5000);
                if (auto* dialog = qobject_cast<QDialog*>(editor)) {
                    check(dialog);
                    // And an editor opened from it, modal over the modal one:
                    // the first row of its first list (a signal, a cell, a sequence).
                    for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>()) {
                        if (view->window() != dialog || !view->isVisible() || view->model()->rowCount() == 0)
                            continue;
                        QTimer::singleShot(0, qApp, [&] {
                            QWidget* inner = nullptr;
                            (void)QTest::qWaitFor(
                                [&] { return (inner = QApplication::activeModalWidget()) != dialog && inner; }, 5000);
                            if (auto* child = qobject_cast<QDialog*>(inner); child && child != dialog) {
                                checked = false;
                                check(child);
                                nested += checked ? 1 : 0;
                                child->reject();
                            }
                        });
                        const QPoint at = view->visualRect(view->model()->index(0, 0)).center();
                        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
                        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
                        break;
                    }
                    dialog->reject();  // whatever the checks found
                }
            });
            BoardEditorRow(type)->edit(&main, QPoint(40, 40), *boards.BoardAt(type, 0));
            QVERIFY2(checked, qPrintable(QString::fromStdString(TBoardData::ShortTypeName(type))));
            // The editor is gone; the viewer is still there, a window of its own.
            QTRY_VERIFY(THelpViewerForm::Instance()->isVisible());
            QCOMPARE(THelpViewerForm::Instance()->parentWidget(), nullptr);
            ++editors;
        }
        QCOMPARE(editors, int(kBoardTypeCount));  // every model has one
        QCOMPARE(nested, int(kBoardTypeCount) - 1);  // all but the TEL90's, which has no list
        THelpViewerForm::CloseIfOpen();
    }

    void f1OpensTheTopicOfTheWindowWithTheFocus()
    {
        TMainForm main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QApplication::setActiveWindow(&main);
        QTRY_VERIFY(main.isActiveWindow());

        main.HelpForCurrentWindow();
        QCOMPARE(ViewerTopic(), 1);

        main.MessageDisplay1->trigger();
        QApplication::setActiveWindow(&main);
        main.DisplayForm()->MsgList->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(main.DisplayForm()->MsgList));
        main.HelpForCurrentWindow();
        QCOMPARE(ViewerTopic(), 13);
        // The key itself.
        THelpViewerForm::Instance()->ShowTopic(1);
        QApplication::setActiveWindow(&main);
        main.DisplayForm()->MsgList->setFocus();
        QTest::keyClick(main.DisplayForm()->MsgList, Qt::Key_F1);
        QCOMPARE(ViewerTopic(), 13);

        // Each generator has its own page.
        for (QAction* generator : {main.SWRQ1, main.SensorFeedbackMessage1, main.ArbitraryMessage1}) {
            generator->trigger();
            QApplication::setActiveWindow(&main);
            QWidget* form = main.Workspace()->subWindowList(QMdiArea::CreationOrder).constLast()->widget();
            form->setFocus();
            main.HelpForCurrentWindow();
            QCOMPARE(ViewerTopic(), HelpContextOf(form));
        }
        QCOMPARE(HelpContextOf(main.findChild<TSwitchControlForm*>()), 14);
        QCOMPARE(HelpContextOf(main.findChild<TGenSensFBForm*>()), 16);
        QCOMPARE(HelpContextOf(main.findChild<TArbitraryMessageForm*>()), 17);

        // A window without a topic of its own falls back to the main window's.
        main.Workspace()->addSubWindow(new QWidget)->show();
        QApplication::setActiveWindow(&main);
        main.Workspace()->subWindowList(QMdiArea::CreationOrder).constLast()->widget()->setFocus();
        main.HelpForCurrentWindow();
        QCOMPARE(ViewerTopic(), 1);
    }

    // On a screen 800 pixels high the viewer must open where it can be read:
    // inside the main window, wherever that stands.
    void theViewerOpensInsideTheMainWindow_data()
    {
        QTest::addColumn<QRect>("mainPlace");
        QTest::newRow("low on the screen") << QRect(200, 260, 700, 500);
        QTest::newRow("small") << QRect(40, 30, 420, 360);
        QTest::newRow("at the top left") << QRect(0, 0, 1000, 700);
    }

    void theViewerOpensInsideTheMainWindow()
    {
        QFETCH(QRect, mainPlace);
        THelpViewerForm::CloseIfOpen();
        TMainForm main;
        main.setGeometry(mainPlace);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.Help2->trigger();
        THelpViewerForm* viewer = THelpViewerForm::Instance();
        QVERIFY(QTest::qWaitForWindowExposed(viewer));
        QVERIFY2(main.frameGeometry().contains(viewer->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(viewer->x()).arg(viewer->y()).arg(viewer->width()).arg(viewer->height())));
        QVERIFY(viewer->width() >= 300);
        QVERIFY(viewer->height() >= 250);
        viewer->close();
    }

    void aboutShowsNameVersionAuthorAndCompany()
    {
        TAboutBox about;
        QCOMPARE(TAboutBox::Version(), QStringLiteral(VARNSCOPE_VERSION));
        QVERIFY(about.ProductName->text().contains(QStringLiteral("varnscope")));
        QCOMPARE(about.VersionLabel->text(), QStringLiteral("Version ") + QStringLiteral(VARNSCOPE_VERSION));
        QCOMPARE(about.AuthorLabel->text(), QStringLiteral("Author: varnscope developers"));
        QCOMPARE(about.CompanyLabel->text(), QStringLiteral("Company: tavelin works"));
    }
};

QTEST_MAIN(THelpTest)
#include "widget_help.moc"
