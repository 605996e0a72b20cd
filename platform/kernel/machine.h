// The Windows machine of the POSIX build: a prefix folder (KV_PREFIX, by
// default $HOME/.kelvane) whose drive_c folder is drive C:, with the host's
// root as drive Z:. This header is shared by the platform libraries and the
// kvwin tool; system code never includes it.
#ifndef KV_PLATFORM_KERNEL_MACHINE_H
#define KV_PLATFORM_KERNEL_MACHINE_H

#include <stddef.h>

#include <windef.h>

enum { KV_HOST_PATH_MAX = 4096 };

// The machine's well-known folders as Windows paths.
#define KV_WINDOWS_DIR "C:\\WINDOWS"
#define KV_SYSTEM_DIR "C:\\WINDOWS\\SYSTEM32"
#define KV_PROGRAM_FILES_DIR "C:\\Program Files"

// Host path of the prefix folder; the folder and its drive C: with the
// standard folders are made on first use. Never null.
const char* KvPrefix();

// The current user's Start-menu Programs folder as a Windows path.
const char* KvProgramsFolder();

// Maps a Windows path (or a host absolute path, which means Z:) to the host
// path it names. Existing names are found whatever their case; names that do
// not exist keep the case given. 1 on success; 0 with the last error set for
// a path that cannot name anything (bad drive, invalid characters, network
// path, too long).
int KvMapPath(const char* windowsPath, char* hostPath, size_t size);

// The Windows path of a host path: below the prefix's drive_c it is on C:,
// anything else on Z:. 1/0.
int KvUnmapPath(const char* hostPath, char* windowsPath, size_t size);

// Sets the last error from an errno value of an operation on hostPath. A
// missing file whose folder is missing as well is ERROR_PATH_NOT_FOUND.
void KvSetErrorFromErrno(int error, const char* hostPath);

// Code page 1252 and UTF-8 (the host's file names). Characters without a
// 1252 form become '?'. Both return 1, or 0 when the result does not fit.
int KvAnsiToUtf8(const char* ansi, char* utf8, size_t size);
int KvUtf8ToAnsi(const char* utf8, char* ansi, size_t size);

// One 1252 character to UTF-16 and back (0 when there is none).
WCHAR KvAnsiToWide(unsigned char c);
int KvWideToAnsi(WCHAR w);

// snprintf that reports whether the text fitted (1/0); the text is cut
// and NUL-terminated when it did not.
int KvFormat(char* out, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Makes a host folder and all its parents. 1/0.
int KvMakeHostFolders(const char* hostPath);

// Replaces hostPath atomically with the bytes given: writes a temporary file
// in the same folder, syncs it and renames it over the target, so a reader
// sees either the old or the new contents, never a part. 1/0.
int KvWriteFileAtomic(const char* hostPath, const void* data, size_t size);

// Reads up to size bytes from fd, going on after short reads and
// interruptions; the number of bytes read (less at the end of the file or
// on an error).
size_t KvReadFully(int fd, void* data, size_t size);

#endif
