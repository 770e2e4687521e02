// The Windows Mobile shell library on desktop Windows: the device's own
// declarations (the SDK's aygshell.h, as DeviceSim's face holds them), so
// the deliverables compile against one interface; the stand-ins beside this
// folder implement them.
#ifndef POINTREL_DESKTOP_AYGSHELL_H
#define POINTREL_DESKTOP_AYGSHELL_H

#include "../../sim/include/aygshell.h"

#endif
