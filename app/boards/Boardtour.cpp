// Screenshot tour steps for the board windows.
#include "app/shell/Tourparts.h"

void AddBoardWindowTourSteps(TMainForm& /*main*/, const QString& /*folder*/, TTourSteps& /*steps*/)
{
}
