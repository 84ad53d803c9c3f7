// A tour of the program's windows that saves a picture of each into a folder
// (varnscope --simulate --screenshots DIR); it keeps the pictures in the
// documentation true to what the program shows.
#pragma once

#include <QString>

class QMainWindow;
class TWorkbench;

// Opens the windows one after another on the running program, saves a PNG
// of each into folder and quits the program when done. window is the
// program's main window, workbench what it offers the other windows.
void StartScreenshotTour(QMainWindow& window, TWorkbench& workbench, const QString& folder);

// Scaled copies of the pictures the help pages show, from those the tour
// saved in folder into folder/help (tools/help-pictures.sh bundles them).
void SaveHelpPictures(const QString& folder);
