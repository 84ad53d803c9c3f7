// Help and about: a page for every topic number the windows use, F1 and the
// Help buttons opening the current window's topic, the about window's texts.
#include "Widgettestsupport.h"

#include "app/shell/Aboutbox.h"
#include "app/shell/Formconnect.h"
#include "app/monitor/Formspeedometer.h"
#include "app/shell/Helpviewer.h"
#include "app/monitor/Lndisplay.h"
#include "app/monitor/Messagelistview.h"
#include "app/shell/Main.h"
#include "link/Lncomm.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>

class THelpTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;

    static int ViewerTopic() { return THelpViewerForm::Instance()->CurrentTopic(); }

private slots:
    void everyTopicTheWindowsUseHasAPage_data()
    {
        QTest::addColumn<int>("topic");
        // The monitor's windows, the board windows and the board editors.
        for (int topic : {1, 2, 8, 9, 13, 15, 80, 400, 410, 420, 430, 440, 500, 520, 530, 540, 560, 600, 610, 620,
                          700, 710, 720, 800})
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
        QVERIFY(browser->document()->toPlainText().size() > 60);
        QVERIFY(!browser->document()->toPlainText().contains(QStringLiteral("There is no help page")));
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

        // A window without a topic of its own falls back to the main window's.
        main.SWRQ1->trigger();
        QApplication::setActiveWindow(&main);
        main.Workspace()->subWindowList(QMdiArea::CreationOrder).constLast()->widget()->setFocus();
        main.HelpForCurrentWindow();
        QCOMPARE(ViewerTopic(), 1);
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
