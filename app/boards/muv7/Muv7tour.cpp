// Screenshot tour steps for the MUV7 editors and wizard.
#include "app/shell/Tourparts.h"

void AddMuv7TourSteps(TMainForm& /*main*/, const QString& /*folder*/, TTourSteps& /*steps*/)
{
}
