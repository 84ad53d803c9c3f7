// A tour of the program's windows that saves a picture of each into a folder
// (varnscope --simulate --screenshots DIR); it keeps the pictures in the
// documentation true to what the program shows.
#pragma once

#include <QString>

class TMainForm;

// Opens the windows one after another on the running program, saves a PNG
// of each into folder and quits the program when done.
void StartScreenshotTour(TMainForm& mainForm, const QString& folder);
