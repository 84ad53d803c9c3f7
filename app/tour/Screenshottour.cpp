#include "app/tour/Screenshottour.h"

#include "app/monitor/Formarbitrarymessage.h"
#include "app/monitor/Messagelistview.h"
#include "app/shell/Aboutbox.h"
#include "app/monitor/Formspeedometer.h"
#include "app/common/Helpviewer.h"
#include "app/monitor/Kindfilterdialog.h"
#include "app/monitor/Lndisplay.h"
#include "app/shell/Main.h"
#include "app/tour/Tourparts.h"
#include "link/Lndecoders.h"
#include "link/Lnmessage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace {

QMdiSubWindow* NewestChild(TMainForm& form)
{
    const QList<QMdiSubWindow*> frames = form.Workspace()->subWindowList(QMdiArea::CreationOrder);
    return frames.isEmpty() ? nullptr : frames.constLast();
}

void Save(QWidget* widget, const QString& folder, const QString& name)
{
    SaveTourPicture(widget, folder, name);
}

void RunSteps(std::shared_ptr<TTourSteps> steps, size_t index)
{
    if (index >= steps->size())
        return;
    QTimer::singleShot((*steps)[index].afterMs, qApp, [steps, index] {
        (*steps)[index].run();
        RunSteps(steps, index + 1);
    });
}

}  // namespace

void SaveTourPicture(QWidget* widget, const QString& folder, const QString& name)
{
    if (widget != nullptr)
        widget->grab().save(QDir(folder).filePath(name));
}

void StartScreenshotTour(TMainForm& form, const QString& folder)
{
    QDir().mkpath(folder);
    TMainForm* main = &form;
    auto steps = std::make_shared<TTourSteps>();
    auto grabChild = [main, folder](const QString& name) { Save(NewestChild(*main), folder, name); };

    steps->push_back({500, [main] {
                          // The tour starts from an empty workspace, whatever layout the last run left.
                          main->Workspace()->closeAllSubWindows();
                          main->SpeedometerForm()->hide();
                          main->Connect1->trigger();
                      }});
    steps->push_back({400, [main, grabChild] {
                          grabChild(QStringLiteral("connect.png"));
                          NewestChild(*main)->close();
                          main->SWRQ1->trigger();
                      }});
    steps->push_back({300, [main, grabChild] {
                          grabChild(QStringLiteral("switch-control.png"));
                          NewestChild(*main)->close();
                          main->SensorFeedbackMessage1->trigger();
                      }});
    steps->push_back({300, [main, grabChild] {
                          grabChild(QStringLiteral("sensor-message.png"));
                          NewestChild(*main)->close();
                          main->ArbitraryMessage1->trigger();
                      }});
    steps->push_back({300, [main, grabChild] {
                          grabChild(QStringLiteral("arbitrary-message.png"));
                          NewestChild(*main)->close();
                          main->About1->trigger();
                      }});
    steps->push_back({300, [main, folder] {
                          Save(main->findChild<TAboutBox*>(), folder, QStringLiteral("about.png"));
                          main->findChild<TAboutBox*>()->hide();
                          main->Help2->trigger();
                      }});
    steps->push_back({400, [folder] {
                          Save(THelpViewerForm::Instance(), folder, QStringLiteral("help.png"));
                          THelpViewerForm::Instance()->close();
                      }});
    AddLinkSharingTourSteps(*main, folder, *steps);
    AddBoardWindowTourSteps(*main, folder, *steps);
    AddRenumberTourSteps(*main, folder, *steps);
    AddVelaTourSteps(*main, folder, *steps);
    AddMuv7TourSteps(*main, folder, *steps);
    AddOrt50TourSteps(*main, folder, *steps);
    AddPaxTourSteps(*main, folder, *steps);
    // The monitor at work: a message display, the speedometer and the
    // generators putting traffic on the bus beside the simulated train.
    steps->push_back({200, [main] {
                          main->MessageDisplay1->trigger();
                          QWidget* display = NewestChild(*main);
                          display->move(0, 0);
                          display->resize(main->Workspace()->width() - 10, main->Workspace()->height() * 2 / 3);
                          main->Speedometer1->trigger();
                          main->SpeedometerForm()->move(main->geometry().right() - 380, main->geometry().top() + 470);
                          main->TrackPowerOn1->trigger();
                          main->QueryLocoBuffer1->trigger();
                          main->SWRQ1->trigger();
                          NewestChild(*main)->move(10, main->Workspace()->height() * 2 / 3 + 5);
                      }});
    for (int point : {12, 13, 14}) {
        steps->push_back({350, [main, point] {
                              QWidget* swreq = NewestChild(*main)->widget();
                              swreq->findChild<QSpinBox*>(QStringLiteral("SwitchNumber"))->setValue(point);
                              swreq->findChild<QPushButton*>(QStringLiteral("SWThrownBtn"))->click();
                          }});
    }
    steps->push_back({300, [main] {
                          // Throttle and slot traffic as a command station would carry.
                          for (std::initializer_list<int> bytes :
                               {std::initializer_list<int>{0xBF, 0x00, 0x03}, {0xB5, 0x05, 0x33}, {0xBA, 0x05, 0x05},
                                {0xA0, 0x05, 0x40}, {0xA1, 0x05, 0x11}, {0xA2, 0x05, 0x05}, {0xA3, 0x05, 0x02},
                                {0xB4, 0x30, 0x00}, {0xB1, 0x0B, 0x50}, {0xE4, 0x09, 0x00, 0x04, 0x00, 0x00, 0x09, 0x00}}) {
                              auto message = std::make_unique<TLocoNetMessage>();
                              for (int b : bytes)
                                  message->AppendByte(uint8_t(b));
                              message->AppendChecksum();
                              main->SendMessage(std::move(message));
                          }
                      }});
    steps->push_back({300, [main] {
                          main->TrackPowerOff1->trigger();
                          main->DisplayForm()->findChild<QAbstractButton*>(QStringLiteral("ExpandButton"))->setChecked(false);
                          main->TrackPowerOn1->trigger();
                          main->DisplayForm()->findChild<QAbstractButton*>(QStringLiteral("ExpandButton"))->setChecked(true);
                      }});
    // Until the simulated train has passed both sensors and the speedometer shows its speed.
    steps->push_back({500, [main] {
                          QElapsedTimer waited;
                          waited.start();
                          while (!main->SpeedometerForm()->ResultEdit->text().endsWith(QStringLiteral("MPH")) &&
                                 waited.elapsed() < 20000)
                              QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                      }});
    steps->push_back({200, [main, folder] {
                          Save(main, folder, QStringLiteral("main.png"));
                          Save(main->DisplayForm(), folder, QStringLiteral("message-display.png"));
                          Save(main->SpeedometerForm(), folder, QStringLiteral("speedometer.png"));
                          // The main window as the operator sees it, with the speedometer on top.
                          if (QScreen* screen = main->screen())
                              screen->grabWindow(0, main->x(), main->y(), main->frameGeometry().width(),
                                                 main->frameGeometry().height())
                                  .save(QDir(folder).filePath(QStringLiteral("desktop.png")));
                      }});
    // Finding things: times in front, sensor reports filtered out, a switch found.
    steps->push_back({300, [main] {
                          TDisplayForm* display = main->DisplayForm();
                          display->TimesButton->setChecked(true);
                          display->SetHiddenKinds(KindPresets().at(1).hidden);
                          display->FindEdit->setText(QStringLiteral("point number = 13"));
                          display->FindNext();
                          auto* kinds = new TKindFilterDialog(KindPresets().at(1).hidden, display);
                          kinds->setAttribute(Qt::WA_DeleteOnClose);
                          kinds->show();
                      }});
    steps->push_back({300, [main, folder] {
                          TDisplayForm* display = main->DisplayForm();
                          Save(display, folder, QStringLiteral("message-display-times-filter.png"));
                          if (auto* kinds = display->findChild<TKindFilterDialog*>()) {
                              Save(kinds, folder, QStringLiteral("message-display-kind-filter.png"));
                              kinds->close();
                          }
                          display->TimesButton->setChecked(false);
                          display->SetHiddenKinds(TKindSet{});
                          display->FindEdit->clear();
                          display->MsgList->ScrollToBottom();
                      }});
    // Reading back on the busy bus: scrolled up, the display counts the lines below.
    steps->push_back({100, [main] {
                          for (int point = 40; point < 70; ++point)
                              main->SendMessage(std::make_unique<TLNSwReqMessage>(point, 1));
                      }});
    steps->push_back({800, [main] {
                          auto* bar = main->DisplayForm()->MsgList->verticalScrollBar();
                          bar->triggerAction(QAbstractSlider::SliderPageStepSub);
                          for (int point = 20; point < 32; ++point)
                              main->SendMessage(std::make_unique<TLNSwReqMessage>(point, 3));
                      }});
    steps->push_back({600, [main, folder] {
                          Save(main->DisplayForm(), folder, QStringLiteral("message-display-reading-back.png"));
                          main->DisplayForm()->MsgList->ScrollToBottom();
                          // What the operator is told about bad input.
                          main->SpeedometerForm()->LengthEdit->setText(QStringLiteral("1,000"));
                          main->ArbitraryMessage1->trigger();
                          auto* arbitrary = qobject_cast<TArbitraryMessageForm*>(NewestChild(*main)->widget());
                          arbitrary->ArbText->setText(QStringLiteral("hello"));
                          arbitrary->Button1->click();
                      }});
    steps->push_back({300, [main, folder, grabChild] {
                          Save(main->SpeedometerForm(), folder, QStringLiteral("speedometer-bad-length.png"));
                          main->SpeedometerForm()->LengthEdit->setText(QStringLiteral("1.0"));
                          grabChild(QStringLiteral("arbitrary-message-nothing-sent.png"));
                      }});
    steps->push_back({100, [main] {
                          // Nor does it leave its windows to be reopened at the next start.
                          main->Workspace()->closeAllSubWindows();
                          main->SpeedometerForm()->hide();
                          main->close();
                      }});
    RunSteps(steps, 0);
}
