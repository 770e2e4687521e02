// The setup-library interface of Windows CE, which desktop Windows lacks: the
// same declarations as the device build's, over MinGW's <windows.h>.
#include "../../sim/include/ce_setup.h"
