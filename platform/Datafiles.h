// Where the programs find the files delivered with them: beside the program
// in the build folder, or in the installed data folder (share/varnscope
// beside bin/).
#pragma once

#include <QString>

// The product list "progdevicelist.csv": the first of the places above that
// holds it; the one beside the program when none does (so that the error
// names the place a modeller would look first).
QString ProductListPath();
