// The speedometer: worked examples with a controlled clock, the time-out,
// ignored reports, the result format and the stored settings.
#include "Widgettestsupport.h"

#include "app/monitor/Formspeedometer.h"
#include "link/Lndecoders.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>

class TSpeedometerTest : public QObject {
    Q_OBJECT

private:
    TTempSettings settings_;
    int64_t now_ = 0;

    // A shown speedometer from 1,1 to 1,2 over 1.0 m at 1:148, on the test's clock.
    std::unique_ptr<TSpeedometerForm> MakeForm()
    {
        auto form = std::make_unique<TSpeedometerForm>();
        form->SetClock([this] { return now_; });
        form->StopSensEdit->setValue(2);
        form->show();
        return form;
    }

    void Report(TSpeedometerForm& form, int board, int input, bool on, int64_t atMs)
    {
        now_ = atMs;
        form.SensorReport(TLNSensFBMessage(board, input, on));
    }

private slots:
    void init() { now_ = 0; }

    void initialControls()
    {
        TSpeedometerForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Speedometer"));
        // An ordinary window: one kept on top would cover the message display.
        QVERIFY(!(form.windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(form.ScaleCombo->count(), 6);
        QCOMPARE(form.ScaleCombo->itemText(3), QStringLiteral("UK \"N\" (1:148)"));
        QCOMPARE(form.ScaleCombo->currentIndex(), 3);
        QCOMPARE(form.OutputUnitsCombo->currentText(), QStringLiteral("mph"));
        QCOMPARE(form.LengthEdit->text(), QStringLiteral("1.0"));
        QCOMPARE(form.ResultEdit->text(), QStringLiteral("(Idle)"));
        QCOMPARE(form.TimeoutTimer->interval(), 20000);
        QVERIFY(form.TimeoutTimer->isSingleShot());
    }

    void workedExamples_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("length");
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<QString>("result");
        QTest::newRow("mph") << 2 << 3 << "1.0" << 2000 << "166.5MPH";
        QTest::newRow("km/h") << 1 << 3 << "1.0" << 2000 << "266.4Kph";
        QTest::newRow("m/s, whole number") << 0 << 3 << "1.0" << 2000 << "74m/s";
        QTest::newRow("below one, no leading zero") << 0 << 0 << "0.01" << 1000 << ".5m/s";
        QTest::newRow("HO, 3 s over 2.5 m") << 1 << 2 << "2.5" << 3000 << "261Kph";
    }

    void workedExamples()
    {
        QFETCH(int, unit);
        QFETCH(int, scale);
        QFETCH(QString, length);
        QFETCH(int, elapsedMs);
        QFETCH(QString, result);
        auto form = MakeForm();
        form->OutputUnitsCombo->setCurrentIndex(unit);
        form->ScaleCombo->setCurrentIndex(scale);
        form->LengthEdit->setText(length);
        Report(*form, 1, 1, true, 5000);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("Measuring..."));
        QVERIFY(form->TimeoutTimer->isActive());
        Report(*form, 1, 2, true, 5000 + elapsedMs);
        QCOMPARE(form->ResultEdit->text(), result);
        QVERIFY(!form->TimeoutTimer->isActive());
        QVERIFY(!form->Meter().Measuring());
    }

    void parametersAreReadAgainOnEveryChange()
    {
        auto form = MakeForm();
        Report(*form, 1, 1, true, 0);
        // Changing the unit while measuring applies to this measurement.
        form->OutputUnitsCombo->setCurrentIndex(1);
        Report(*form, 1, 2, true, 2000);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("266.4Kph"));
        form->LengthEdit->setText(QStringLiteral("2.5"));
        QCOMPARE(form->Meter().Params().Length, 2.5);
        form->StartBoardEdit->setValue(9);
        QCOMPARE(form->Meter().Params().StartBoard, 9);
    }

    void lengthIsADecimalNumberWithAPoint_data()
    {
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("result");  // 2 s from 1,1 to 1,2 at 1:148 in mph
        QTest::newRow("point") << "1.0" << "166.5MPH";
        QTest::newRow("whole metres") << "2" << "333MPH";
        QTest::newRow("no leading digit") << ".5" << "83.3MPH";
        QTest::newRow("trailing point") << "3." << "499.5MPH";
        QTest::newRow("spaces around") << " 1.5 " << "249.8MPH";
        QTest::newRow("group separator") << "1,000" << "No length";
        QTest::newRow("decimal comma") << "1,5" << "No length";
        QTest::newRow("both separators") << "1,000.5" << "No length";
        QTest::newRow("space inside") << "1 000" << "No length";
        QTest::newRow("empty") << "" << "No length";
        QTest::newRow("two points") << "1.2.3" << "No length";
        QTest::newRow("exponent") << "1e3" << "No length";
        QTest::newRow("negative") << "-1.0" << "No length";
        QTest::newRow("zero") << "0.0" << "No length";
        QTest::newRow("words") << "one metre" << "No length";
    }

    // An unreadable length marks the field and never yields a speed from the
    // length typed before it.
    void lengthIsADecimalNumberWithAPoint()
    {
        QFETCH(QString, length);
        QFETCH(QString, result);
        auto form = MakeForm();
        form->LengthEdit->setText(QStringLiteral("2.0"));
        form->LengthEdit->setText(length);
        const bool readable = result != QStringLiteral("No length");
        QCOMPARE(form->LengthEdit->property("invalidLength").toBool(), !readable);
        QCOMPARE(form->LengthEdit->toolTip().isEmpty(), readable);
        Report(*form, 1, 1, true, 1000);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("Measuring..."));
        Report(*form, 1, 2, true, 3000);
        QCOMPARE(form->ResultEdit->text(), result);
        QVERIFY(!form->Meter().Measuring());
        QVERIFY(!form->TimeoutTimer->isActive());

        // Put right, the next measurement has its speed and the mark goes.
        form->LengthEdit->setText(QStringLiteral("1.0"));
        QVERIFY(!form->LengthEdit->property("invalidLength").toBool());
        Report(*form, 1, 1, true, 5000);
        Report(*form, 1, 2, true, 7000);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("166.5MPH"));
    }

    void ignoredReports()
    {
        auto form = MakeForm();
        // Unoccupied start sensor, stop sensor while idle, another sensor.
        Report(*form, 1, 1, false, 100);
        Report(*form, 1, 2, true, 200);
        Report(*form, 2, 1, true, 300);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("(Idle)"));
        QVERIFY(!form->TimeoutTimer->isActive());

        // A second start report while measuring does not restart the clock.
        Report(*form, 1, 1, true, 1000);
        Report(*form, 1, 1, true, 2000);
        Report(*form, 1, 2, true, 3000);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("166.5MPH"));
    }

    void sameStartAndStopSensorNeverMeasures()
    {
        auto form = MakeForm();
        form->StopSensEdit->setValue(1);
        Report(*form, 1, 1, true, 0);
        Report(*form, 1, 1, true, 2000);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("(Idle)"));
        QVERIFY(!form->Meter().Measuring());
        QVERIFY(!form->TimeoutTimer->isActive());
    }

    void timeOutThenALateStopIsIgnoredAndANewStartBeginsAfresh()
    {
        auto form = MakeForm();
        Report(*form, 1, 1, true, 0);
        form->TimeoutTimerTimer();
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("Timed Out"));
        QVERIFY(!form->TimeoutTimer->isActive());
        Report(*form, 1, 2, true, 21000);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("Timed Out"));
        Report(*form, 1, 1, true, 30000);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("Measuring..."));
        QVERIFY(form->TimeoutTimer->isActive());
        QCOMPARE(form->TimeoutTimer->remainingTime() > 19000, true);
        Report(*form, 1, 2, true, 32000);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("166.5MPH"));
    }

    void theTimerItselfEndsAMeasurement()
    {
        auto form = MakeForm();
        Report(*form, 1, 1, true, 0);
        form->TimeoutTimer->setInterval(30);
        form->TimeoutTimer->start();
        QTRY_COMPARE(form->ResultEdit->text(), QStringLiteral("Timed Out"));
    }

    void aStopInTheSameMillisecondIsNotMeasured()
    {
        auto form = MakeForm();
        Report(*form, 1, 1, true, 500);
        Report(*form, 1, 2, true, 500);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("Measuring..."));
        Report(*form, 1, 2, true, 2500);
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("166.5MPH"));
    }

    void showingAgainResetsToIdle()
    {
        auto form = MakeForm();
        Report(*form, 1, 1, true, 0);
        form->hide();
        form->show();
        QCOMPARE(form->ResultEdit->text(), QStringLiteral("(Idle)"));
        QVERIFY(!form->Meter().Measuring());
        QVERIFY(!form->TimeoutTimer->isActive());
    }

    void resultFormat_data()
    {
        QTest::addColumn<double>("speed");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 12.0 << "12";
        QTest::newRow("half") << 0.5 << ".5";
        QTest::newRow("one place") << 166.5 << "166.5";
        QTest::newRow("rounded up") << 45.25 << "45.3";
        QTest::newRow("rounds to whole") << 99.96 << "100";
        QTest::newRow("rounds to nothing") << 0.04 << "";
        QTest::newRow("large") << 123456.78 << "123456.8";
    }

    void resultFormat()
    {
        QFETCH(double, speed);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(TSpeedometer::FormatSpeed(speed)), text);
    }

    void settingsRoundTripAndAreOnlyReadWhenTheSectionExists()
    {
        settings_.Clear();
        auto store = OpenSettingsStore();
        {
            TSpeedometerForm form;
            form.RestoreSettings(*store);
            // No section: the window keeps its own initial state.
            QCOMPARE(form.ScaleCombo->currentIndex(), 3);
            QCOMPARE(form.StopSensEdit->value(), 1);
            form.ScaleCombo->setCurrentIndex(1);
            form.OutputUnitsCombo->setCurrentIndex(0);
            form.LengthEdit->setText(QStringLiteral("3.25"));
            form.StartBoardEdit->setValue(4);
            form.StartSensEdit->setValue(5);
            form.StopBoardEdit->setValue(6);
            form.StopSensEdit->setValue(7);
            form.SaveSettings(*store);
        }
        QCOMPARE(store->value("SpeedometerForm/SpeedoScale").toInt(), 1);
        QCOMPARE(store->value("SpeedometerForm/SpeedoUnits").toInt(), 0);
        QCOMPARE(store->value("SpeedometerForm/SpeedLength").toString(), QStringLiteral("3.25"));
        QCOMPARE(store->value("SpeedometerForm/Sens2Sens").toInt(), 7);
        TSpeedometerForm again;
        again.RestoreSettings(*store);
        QCOMPARE(again.ScaleCombo->currentIndex(), 1);
        QCOMPARE(again.OutputUnitsCombo->currentIndex(), 0);
        QCOMPARE(again.LengthEdit->text(), QStringLiteral("3.25"));
        QCOMPARE(again.StartBoardEdit->value(), 4);
        QCOMPARE(again.StartSensEdit->value(), 5);
        QCOMPARE(again.StopBoardEdit->value(), 6);
        QCOMPARE(again.StopSensEdit->value(), 7);
        QCOMPARE(again.Meter().Params().ScaleFactor, 76.0);
        QCOMPARE(again.Meter().Params().UnitText, std::string("m/s"));
    }
};

QTEST_MAIN(TSpeedometerTest)
#include "widget_speedometer.moc"
