// The kernel's handle table: file handles are small numbers (multiples of
// 4, as on Windows) indexing this table, so a stale or made-up handle is
// refused instead of followed.
#ifndef KV_PLATFORM_KERNEL_HANDLES_H
#define KV_PLATFORM_KERNEL_HANDLES_H

#include <time.h>

#include <windef.h>

struct KvFileHandle
{
    int used;
    int fd;
    int ownsFd;       // 0 for a handle lent to a C stream's descriptor
    int isFolder;
    int stamped;      // SetFileTime was called: keep those times
    struct timespec stamp[2]; // access, write (UTIME_OMIT for unchanged)
};

// The entry of a handle, or null (last error ERROR_INVALID_HANDLE).
KvFileHandle* KvLookUpHandle(HANDLE handle);

// A new handle over fd; the handle owns and closes the descriptor unless
// ownsFd is 0. INVALID_HANDLE_VALUE when the table is full.
HANDLE KvNewHandle(int fd, int ownsFd, int isFolder);

// The handle lent to a C stream's descriptor (see _get_osfhandle), made on
// first use.
HANDLE KvHandleForDescriptor(int fd);

// Puts the times set through the handle lent to fd back on the file (a
// write since then has moved them) and forgets the handle. Called before a
// stream over fd is closed.
void KvReleaseDescriptor(int fd);

#endif
