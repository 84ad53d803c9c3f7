// Screenshot tour steps for the board numbering window.
#include "app/shell/Tourparts.h"

void AddRenumberTourSteps(TMainForm& /*main*/, const QString& /*folder*/, TTourSteps& /*steps*/)
{
}
