// Screenshot tour steps for the ORT50 editors.
#include "app/shell/Tourparts.h"

void AddOrt50TourSteps(TMainForm& /*main*/, const QString& /*folder*/, TTourSteps& /*steps*/)
{
}
