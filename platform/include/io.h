/* The C runtime's descriptor calls of the POSIX build: the Windows handle
 * behind a C stream's descriptor, so that file times can be set on a file
 * written through stdio. */
#ifndef KV_PLATFORM_IO_H
#define KV_PLATFORM_IO_H

#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

#ifdef __cplusplus
extern "C" {
#endif

intptr_t _get_osfhandle(int fd);

#ifdef __cplusplus
}
#endif

#endif
