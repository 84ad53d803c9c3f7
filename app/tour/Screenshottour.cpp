#include "app/tour/Screenshottour.h"

#include "app/monitor/Formarbitrarymessage.h"
#include "app/monitor/Messagelistview.h"
#include "app/shell/Aboutbox.h"
#include "app/monitor/Formspeedometer.h"
#include "app/common/Helpviewer.h"
#include "app/monitor/Kindfilterdialog.h"
#include "app/monitor/Lndisplay.h"
#include "app/monitor/Recordingactions.h"
#include "app/common/Workbench.h"
#include "app/tour/Tourparts.h"
#include "link/Lndecoders.h"
#include "link/Lnmessage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
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

namespace {

// The pictures the help pages show, as the tour saved them, and the width
// they are shown at: small enough to keep the program small, large enough
// to find the buttons a page names.
struct THelpPicture {
    const char* name;
    int width;  // [px]
};
const THelpPicture kHelpPictures[] = {
    {"connect.png", 360},
    {"renumber.png", 420},
    {"configure-boards.png", 420},
    {"muv7-wizard-station-stop.png", 400},
    {"vela-signal-block.png", 440},
    {"configure-boards-verify.png", 420},
};

}  // namespace

void SaveHelpPictures(const QString& folder)
{
    const QDir pictures(folder);
    pictures.mkpath(QStringLiteral("help"));
    for (const THelpPicture& picture : kHelpPictures) {
        const QImage full(pictures.filePath(QString::fromLatin1(picture.name)));
        if (full.isNull())
            continue;
        const QImage small = full.width() > picture.width
                                 ? full.scaledToWidth(picture.width, Qt::SmoothTransformation)
                                 : full;
        // Quality 0: the strongest PNG compression.
        small.convertToFormat(QImage::Format_RGB32)
            .save(pictures.filePath(QStringLiteral("help/") + QString::fromLatin1(picture.name)), "PNG", 0);
    }
}

void SaveTourPicture(QWidget* widget, const QString& folder, const QString& name)
{
    if (widget != nullptr)
        widget->grab().save(QDir(folder).filePath(name));
}

void TTour::Trigger(const char* item) const
{
    if (auto* action = window->findChild<QAction*>(QString::fromLatin1(item)))
        action->trigger();
}

QMdiSubWindow* TTour::NewestChild() const
{
    const QList<QMdiSubWindow*> frames = workbench->Workspace()->subWindowList(QMdiArea::CreationOrder);
    return frames.isEmpty() ? nullptr : frames.constLast();
}

void StartScreenshotTour(QMainWindow& window, TWorkbench& workbench, const QString& folder)
{
    QDir().mkpath(folder);
    const TTour tour{&window, &workbench, folder};
    QMainWindow* main = &window;
    QMdiArea* workspace = workbench.Workspace();
    TWorkbench* bench = &workbench;
    auto speedometer = [main] { return main->findChild<TSpeedometerForm*>(); };
    // The newest message display.
    auto newestDisplay = [main] {
        const QList<TDisplayForm*> displays = main->findChildren<TDisplayForm*>();
        return displays.isEmpty() ? nullptr : displays.constLast();
    };
    auto save = [folder](QWidget* widget, const QString& name) { SaveTourPicture(widget, folder, name); };
    auto steps = std::make_shared<TTourSteps>();
    auto grabChild = [tour](const QString& name) { tour.Save(tour.NewestChild(), name); };

    steps->push_back({500, [=] {
                          // The tour starts from an empty workspace, whatever layout the last run left.
                          workspace->closeAllSubWindows();
                          speedometer()->hide();
                          tour.Trigger("Connect1");
                      }});
    steps->push_back({400, [=] {
                          grabChild(QStringLiteral("connect.png"));
                          tour.NewestChild()->close();
                          tour.Trigger("SWRQ1");
                      }});
    steps->push_back({300, [=] {
                          grabChild(QStringLiteral("switch-control.png"));
                          tour.NewestChild()->close();
                          tour.Trigger("SensorFeedbackMessage1");
                      }});
    steps->push_back({300, [=] {
                          grabChild(QStringLiteral("sensor-message.png"));
                          tour.NewestChild()->close();
                          tour.Trigger("ArbitraryMessage1");
                      }});
    steps->push_back({300, [=] {
                          grabChild(QStringLiteral("arbitrary-message.png"));
                          tour.NewestChild()->close();
                          tour.Trigger("About1");
                      }});
    steps->push_back({300, [=] {
                          save(main->findChild<TAboutBox*>(), QStringLiteral("about.png"));
                          main->findChild<TAboutBox*>()->hide();
                          tour.Trigger("Help2");
                      }});
    steps->push_back({400, [=] {
                          THelpViewerForm* help = THelpViewerForm::Instance();
                          save(help, QStringLiteral("help.png"));
                          // Found by a search: the words marked, the list holding the pages found.
                          help->SearchEdit()->setText(QStringLiteral("station stop"));
                          help->ShowTopic(3);
                      }});
    steps->push_back({400, [=] {
                          save(THelpViewerForm::Instance(), QStringLiteral("help-search.png"));
                          THelpViewerForm::Instance()->SearchEdit()->clear();
                          THelpViewerForm::Instance()->close();
                      }});
    AddLinkSharingTourSteps(tour, *steps);
    AddMqttBridgeTourSteps(tour, *steps);
    AddBoardWindowTourSteps(tour, *steps);
    AddRenumberTourSteps(tour, *steps);
    AddLayoutTourSteps(tour, *steps);
    AddVelaTourSteps(tour, *steps);
    AddMuv7TourSteps(tour, *steps);
    AddOrt50TourSteps(tour, *steps);
    AddPaxTourSteps(tour, *steps);
    AddBusStatisticsTourSteps(tour, *steps);
    // The monitor at work: a message display, the speedometer and the
    // generators putting traffic on the bus beside the simulated train.
    steps->push_back({200, [=] {
                          tour.Trigger("MessageDisplay1");
                          QWidget* frame = tour.NewestChild();
                          frame->move(0, 0);
                          frame->resize(workspace->width() - 10, workspace->height() * 2 / 3);
                          tour.Trigger("Speedometer1");
                          speedometer()->move(main->geometry().right() - 380, main->geometry().top() + 470);
                          tour.Trigger("TrackPowerOn1");
                          tour.Trigger("QueryLocoBuffer1");
                          tour.Trigger("SWRQ1");
                          tour.NewestChild()->move(10, workspace->height() * 2 / 3 + 5);
                      }});
    for (int point : {12, 13, 14}) {
        steps->push_back({350, [=] {
                              QWidget* swreq = tour.NewestChild()->widget();
                              swreq->findChild<QSpinBox*>(QStringLiteral("SwitchNumber"))->setValue(point);
                              swreq->findChild<QPushButton*>(QStringLiteral("SWThrownBtn"))->click();
                          }});
    }
    steps->push_back({300, [=] {
                          // Throttle and slot traffic as a command station would carry.
                          for (std::initializer_list<int> bytes :
                               {std::initializer_list<int>{0xBF, 0x00, 0x03}, {0xB5, 0x05, 0x33}, {0xBA, 0x05, 0x05},
                                {0xA0, 0x05, 0x40}, {0xA1, 0x05, 0x11}, {0xA2, 0x05, 0x05}, {0xA3, 0x05, 0x02},
                                {0xB4, 0x30, 0x00}, {0xB1, 0x0B, 0x50}, {0xE4, 0x09, 0x00, 0x04, 0x00, 0x00, 0x09, 0x00}}) {
                              auto message = std::make_unique<TLocoNetMessage>();
                              for (int b : bytes)
                                  message->AppendByte(uint8_t(b));
                              message->AppendChecksum();
                              bench->SendMessage(std::move(message));
                          }
                      }});
    steps->push_back({300, [=] {
                          tour.Trigger("TrackPowerOff1");
                          newestDisplay()->findChild<QAbstractButton*>(QStringLiteral("ExpandButton"))->setChecked(false);
                          tour.Trigger("TrackPowerOn1");
                          newestDisplay()->findChild<QAbstractButton*>(QStringLiteral("ExpandButton"))->setChecked(true);
                      }});
    // Until the simulated train has passed both sensors and the speedometer shows its speed.
    steps->push_back({500, [=] {
                          QElapsedTimer waited;
                          waited.start();
                          while (!speedometer()->ResultEdit->text().endsWith(QStringLiteral("MPH")) &&
                                 waited.elapsed() < 20000)
                              QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                      }});
    steps->push_back({200, [=] {
                          save(main, QStringLiteral("main.png"));
                          save(newestDisplay(), QStringLiteral("message-display.png"));
                          save(speedometer(), QStringLiteral("speedometer.png"));
                          // The main window as the operator sees it, with the speedometer on top.
                          if (QScreen* screen = main->screen())
                              screen->grabWindow(0, main->x(), main->y(), main->frameGeometry().width(),
                                                 main->frameGeometry().height())
                                  .save(QDir(folder).filePath(QStringLiteral("desktop.png")));
                      }});
    // Finding things: times in front, sensor reports filtered out, a switch found.
    steps->push_back({300, [=] {
                          TDisplayForm* display = newestDisplay();
                          display->TimesButton->setChecked(true);
                          display->SetHiddenKinds(KindPresets().at(1).hidden);
                          display->FindEdit->setText(QStringLiteral("point number = 13"));
                          display->FindNext();
                          auto* kinds = new TKindFilterDialog(KindPresets().at(1).hidden, display);
                          kinds->setAttribute(Qt::WA_DeleteOnClose);
                          kinds->show();
                      }});
    steps->push_back({300, [=] {
                          TDisplayForm* display = newestDisplay();
                          save(display, QStringLiteral("message-display-times-filter.png"));
                          if (auto* kinds = display->findChild<TKindFilterDialog*>()) {
                              save(kinds, QStringLiteral("message-display-kind-filter.png"));
                              kinds->close();
                          }
                          display->TimesButton->setChecked(false);
                          display->SetHiddenKinds(TKindSet{});
                          display->FindEdit->clear();
                          display->MsgList->ScrollToBottom();
                      }});
    // Reading back on the busy bus: scrolled up, the display counts the lines below.
    steps->push_back({100, [=] {
                          for (int point = 40; point < 70; ++point)
                              bench->SendMessage(std::make_unique<TLNSwReqMessage>(point, 1));
                      }});
    steps->push_back({800, [=] {
                          auto* bar = newestDisplay()->MsgList->verticalScrollBar();
                          bar->triggerAction(QAbstractSlider::SliderPageStepSub);
                          for (int point = 20; point < 32; ++point)
                              bench->SendMessage(std::make_unique<TLNSwReqMessage>(point, 3));
                      }});
    steps->push_back({600, [=] {
                          save(newestDisplay(), QStringLiteral("message-display-reading-back.png"));
                          newestDisplay()->MsgList->ScrollToBottom();
                          // What the operator is told about bad input.
                          speedometer()->LengthEdit->setText(QStringLiteral("1,000"));
                          tour.Trigger("ArbitraryMessage1");
                          auto* arbitrary = qobject_cast<TArbitraryMessageForm*>(tour.NewestChild()->widget());
                          arbitrary->ArbText->setText(QStringLiteral("hello"));
                          arbitrary->Button1->click();
                      }});
    steps->push_back({300, [=] {
                          save(speedometer(), QStringLiteral("speedometer-bad-length.png"));
                          speedometer()->LengthEdit->setText(QStringLiteral("1.0"));
                          grabChild(QStringLiteral("arbitrary-message-nothing-sent.png"));
                      }});
    // Recording the busy bus, then the recording opened with each line's bytes shown.
    steps->push_back({100, [=] {
                          if (auto* recording = main->findChild<TRecordingActions*>())
                              recording->StartRecording(QDir(folder).filePath(QStringLiteral("tour.lnrec")));
                          for (int point = 70; point < 90; ++point)
                              bench->SendMessage(std::make_unique<TLNSwReqMessage>(point, 1));
                      }});
    steps->push_back({1500, [=] {
                          save(main, QStringLiteral("main-recording.png"));
                          auto* recording = main->findChild<TRecordingActions*>();
                          if (recording == nullptr)
                              return;
                          recording->StopRecording();
                          recording->OpenRecording(QDir(folder).filePath(QStringLiteral("tour.lnrec")));
                          TDisplayForm* display = newestDisplay();
                          display->BytesButton->setChecked(true);
                          display->DayTimeButton->setChecked(true);
                      }});
    steps->push_back({300, [=] {
                          TDisplayForm* display = newestDisplay();
                          save(display, QStringLiteral("recording-open.png"));
                          display->BytesButton->setChecked(false);
                          QFile::remove(QDir(folder).filePath(QStringLiteral("tour.lnrec")));
                      }});
    steps->push_back({100, [=] {
                          SaveHelpPictures(folder);
                          // Nor does it leave its windows to be reopened at the next start.
                          workspace->closeAllSubWindows();
                          speedometer()->hide();
                          main->close();
                      }});
    RunSteps(steps, 0);
}
