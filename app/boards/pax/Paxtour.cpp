// Screenshot tour steps for the PAX60, PAX66 and TEL90 editors.
#include "app/shell/Tourparts.h"

void AddPaxTourSteps(TMainForm& /*main*/, const QString& /*folder*/, TTourSteps& /*steps*/)
{
}
