/* Placeholder: declarations are added as the system code needs them. */
#ifndef KV_PLATFORM_SHLOBJ_H
#define KV_PLATFORM_SHLOBJ_H
#include "windef.h"
#endif
