// The screenshot tour in parts: each group of windows adds the steps that
// open its windows, save a picture of each and close them again. A step runs
// afterMs after the one before it.
#pragma once

#include <QString>

#include <functional>
#include <vector>

class QWidget;
class TMainForm;

struct TTourStep {
    int afterMs;
    std::function<void()> run;
};
using TTourSteps = std::vector<TTourStep>;

// Saves a picture of the widget as folder/name (nothing for a null widget).
void SaveTourPicture(QWidget* widget, const QString& folder, const QString& name);

// Sharing the link on the network.
void AddLinkSharingTourSteps(TMainForm& main, const QString& folder, TTourSteps& steps);
// The board configuration, settings display and numbering windows.
void AddBoardWindowTourSteps(TMainForm& main, const QString& folder, TTourSteps& steps);
void AddRenumberTourSteps(TMainForm& main, const QString& folder, TTourSteps& steps);
// Each model's editors: VELA40 and VELA80, MUV7, ORT50, the PAX family.
void AddVelaTourSteps(TMainForm& main, const QString& folder, TTourSteps& steps);
void AddMuv7TourSteps(TMainForm& main, const QString& folder, TTourSteps& steps);
void AddOrt50TourSteps(TMainForm& main, const QString& folder, TTourSteps& steps);
void AddPaxTourSteps(TMainForm& main, const QString& folder, TTourSteps& steps);
