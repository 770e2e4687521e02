// DeviceSim: the common controls of the platform.
#ifndef DEVICESIM_COMMCTRL_H
#define DEVICESIM_COMMCTRL_H

#include <windows.h>

#endif
