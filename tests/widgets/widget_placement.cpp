// Where windows open: every child window of the main window lies inside its
// workspace, however many windows are open before it.
#include "Widgettestsupport.h"

#include "app/common/Windowplacement.h"
#include "app/shell/Main.h"

#include <QMdiArea>
#include <QMdiSubWindow>

class TPlacementTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;

private slots:
    void init() { settings_.Clear(); }

    // The main window on a 1280 x 800 screen, the board window opened last
    // after the monitor's windows.
    void childWindowsOpenInsideTheWorkspace()
    {
        TBusRecorder bus;
        TMainForm main;
        main.resize(1200, 720);
        main.show();
        QTRY_VERIFY(main.StartupDone());
        main.MessageDisplay1Click();
        main.MessageDisplay1Click();
        main.SWRQ1Click();
        main.ArbitraryMessage1Click();
        main.SensorFeedbackMessage1Click();
        main.ConfigureBoards1Click();
        const QRect room = main.Workspace()->viewport()->rect();
        for (QMdiSubWindow* frame : main.Workspace()->subWindowList(QMdiArea::CreationOrder)) {
            const QString name = frame->widget()->objectName();
            QVERIFY2(room.contains(frame->geometry()),
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 outside %6x%7")
                                    .arg(name)
                                    .arg(frame->x())
                                    .arg(frame->y())
                                    .arg(frame->width())
                                    .arg(frame->height())
                                    .arg(room.width())
                                    .arg(room.height())));
        }
    }

    void fittingMovesThenShrinksButNotBelowTheMinimum()
    {
        struct Case {
            QRect window;
            QSize minimum;
            QRect expected;
        };
        const QRect room(0, 0, 1000, 600);
        const Case cases[] = {
            {{100, 100, 300, 200}, {0, 0}, {100, 100, 300, 200}},   // inside: left alone
            {{500, 300, 780, 600}, {0, 0}, {220, 0, 780, 600}},     // moved up and left
            {{50, 50, 1200, 700}, {0, 0}, {0, 0, 1000, 600}},       // shrunk to the room
            {{50, 50, 1200, 700}, {1100, 0}, {0, 0, 1100, 600}},    // not below its minimum
            {{-40, -30, 200, 100}, {0, 0}, {0, 0, 200, 100}},       // pulled in from the left
        };
        for (const Case& c : cases) {
            QWidget parent;
            parent.resize(room.size());
            QWidget window(&parent);
            window.setMinimumSize(c.minimum);
            window.setGeometry(c.window);
            FitIntoRoom(&window, room);
            QCOMPARE(window.geometry(), c.expected);
        }
    }
};

QTEST_MAIN(TPlacementTest)
#include "widget_placement.moc"
