/* <windows.h> of the POSIX build: our own Win32 subset, one header per
 * system library. The win32 build uses the real headers instead. */
#ifndef KV_PLATFORM_WINDOWS_H
#define KV_PLATFORM_WINDOWS_H

#include "windef.h"
#include "winbase.h"
#include "winreg.h"
#include "wingdi.h"
#include "winuser.h"

#endif
