// The screenshot tour in parts: each group of windows adds the steps that
// open its windows, save a picture of each and close them again. A step runs
// afterMs after the one before it. The steps work with what an operator or a
// test has: the program's window with its menu items (by object name), the
// workbench and the windows' public interface.
#pragma once

#include <QString>

#include <functional>
#include <vector>

class QMainWindow;
class QMdiSubWindow;
class QWidget;
class TWorkbench;

struct TTourStep {
    int afterMs;
    std::function<void()> run;
};
using TTourSteps = std::vector<TTourStep>;

// Saves a picture of the widget as folder/name (nothing for a null widget).
void SaveTourPicture(QWidget* widget, const QString& folder, const QString& name);

// Where the tour runs and where its pictures go.
struct TTour {
    QMainWindow* window;
    TWorkbench* workbench;
    QString folder;

    // Triggers the window's menu item of that object name ("SWRQ1").
    void Trigger(const char* item) const;
    // The workspace window opened last; null when none is open.
    QMdiSubWindow* NewestChild() const;
    void Save(QWidget* widget, const QString& name) const { SaveTourPicture(widget, folder, name); }
};

// Sharing the link on the network.
void AddLinkSharingTourSteps(const TTour& tour, TTourSteps& steps);
// The bridge to MQTT.
void AddMqttBridgeTourSteps(const TTour& tour, TTourSteps& steps);
// The board configuration, settings display and numbering windows.
void AddBoardWindowTourSteps(const TTour& tour, TTourSteps& steps);
void AddRenumberTourSteps(const TTour& tour, TTourSteps& steps);
// The layout snapshot window: a backup and a verify of the whole bus.
void AddLayoutTourSteps(const TTour& tour, TTourSteps& steps);
// Each model's editors: VELA40 and VELA80, MUV7, ORT50, the PAX family.
void AddVelaTourSteps(const TTour& tour, TTourSteps& steps);
void AddMuv7TourSteps(const TTour& tour, TTourSteps& steps);
void AddOrt50TourSteps(const TTour& tour, TTourSteps& steps);
void AddPaxTourSteps(const TTour& tour, TTourSteps& steps);
// The bus statistics window on a busy evening (where Qt Charts is built in).
void AddBusStatisticsTourSteps(const TTour& tour, TTourSteps& steps);
