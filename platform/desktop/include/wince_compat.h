// Windows CE names that desktop Windows lacks, for the desktop build only.
#ifndef POINTREL_WINCE_COMPAT_H
#define POINTREL_WINCE_COMPAT_H

// Hot keys that also report their release.
#define MOD_KEYUP 0x1000

#endif
