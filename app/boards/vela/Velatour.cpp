// Screenshot tour steps for the VELA40 and VELA80 editors.
#include "app/shell/Tourparts.h"

void AddVelaTourSteps(TMainForm& /*main*/, const QString& /*folder*/, TTourSteps& /*steps*/)
{
}
