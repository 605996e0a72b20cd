// The process and its machine: the program's own file, the Windows and
// System folders, Sleep (with the fast mode for test runs), moveable memory
// blocks, the 1252 code page and the lstr text helpers.
#include <errno.h>
#include <new>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <time.h>
#include <unistd.h>

#include <windows.h>

#include "machine.h"

namespace {

// Copies text the way the folder queries report it: the length without
// the NUL when it fits, else the size needed with the NUL and no copy.
UINT ReportText(const char* text, LPSTR buffer, UINT size)
{
    UINT length = (UINT)strlen(text);
    if (!buffer || size <= length)
        return length + 1;
    memcpy(buffer, text, length + 1);
    return length;
}

unsigned long long g_fastSleepTotal = 0;
int g_fastSleepReported = 0;

void ReportFastSleep()
{
    fprintf(stderr, "KV_FAST_SLEEP total %llu ms\n", g_fastSleepTotal);
}

// Memory blocks. A moveable block's handle is a small number indexing a
// table (never a valid pointer, as on Windows), which GlobalLock turns into
// the data pointer. A fixed block's handle is its data pointer; the blocks
// are listed so that a pointer that did not come from GlobalAlloc is never
// read as one of them.
struct CGlobalBlock
{
    int used;
    int moveable;
    unsigned locks;
    SIZE_T size;
    char* data;
};

enum { kMaxGlobalBlocks = 1024, kMoveableBase = 0x1000 };
CGlobalBlock g_blocks[kMaxGlobalBlocks];

CGlobalBlock* BlockOf(HGLOBAL memory)
{
    uintptr_t value = (uintptr_t)memory;
    if (!memory)
        return 0;
    if (value >= kMoveableBase && value < kMoveableBase + 4 * kMaxGlobalBlocks && value % 4 == 0) {
        CGlobalBlock* block = &g_blocks[(value - kMoveableBase) / 4];
        return block->used && block->moveable ? block : 0;
    }
    for (int i = 0; i < kMaxGlobalBlocks; i++) {
        if (g_blocks[i].used && !g_blocks[i].moveable && g_blocks[i].data == (char*)memory)
            return &g_blocks[i];
    }
    return 0;
}

HGLOBAL HandleOf(CGlobalBlock* block)
{
    if (!block->moveable)
        return block->data;
    return (HGLOBAL)(uintptr_t)(kMoveableBase + 4 * (block - g_blocks));
}

char g_commandLine[32768];

} // namespace

// The program's own module: the one module of the process, at the address
// a Windows program's image is loaded to by default.
#define KV_PROGRAM_MODULE ((HMODULE)(uintptr_t)0x00400000)

extern "C" HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    if (name) {
        // Only the program itself is loaded; its name is accepted with or
        // without ".exe".
        char own[MAX_PATH];
        if (GetModuleFileNameA(0, own, sizeof own) > 0) {
            const char* base = strrchr(own, '\\');
            base = base ? base + 1 : own;
            size_t n = strlen(base);
            if (!strcasecmp(name, base) || (n > 4 && !strcasecmp(base + n - 4, ".exe") &&
                                            strlen(name) == n - 4 && !strncasecmp(name, base, n - 4)))
                return KV_PROGRAM_MODULE;
        }
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return KV_PROGRAM_MODULE;
}

extern "C" DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    (void)module;
    char host[KV_HOST_PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", host, sizeof host - 1);
    if (n <= 0 || size == 0) {
        SetLastError(size == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_FILE_NOT_FOUND);
        return 0;
    }
    host[n] = 0;
    char path[KV_HOST_PATH_MAX];
    if (!KvUnmapPath(host, path, sizeof path)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    DWORD length = (DWORD)strlen(path);
    if (length >= size) {
        // Cut to the buffer, NUL included, as current Windows does.
        memcpy(buffer, path, size - 1);
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    memcpy(buffer, path, length + 1);
    SetLastError(0);
    return length;
}

extern "C" UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    KvPrefix();
    return ReportText(KV_WINDOWS_DIR, buffer, size);
}

extern "C" UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size)
{
    KvPrefix();
    return ReportText(KV_SYSTEM_DIR, buffer, size);
}

extern "C" DWORD WINAPI GetCurrentDirectoryA(DWORD size, LPSTR buffer)
{
    char path[KV_HOST_PATH_MAX];
    if (!KvUnmapPath(".", path, sizeof path)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    return ReportText(path, buffer, size);
}

extern "C" DWORD WINAPI GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* filePart)
{
    char host[KV_HOST_PATH_MAX];
    char full[KV_HOST_PATH_MAX];
    if (!KvMapPath(path, host, sizeof host) || !KvUnmapPath(host, full, sizeof full))
        return 0;
    DWORD result = ReportText(full, buffer, size);
    if (filePart && buffer && result < size) {
        char* cut = strrchr(buffer, '\\');
        *filePart = cut && cut[1] ? cut + 1 : 0;
    }
    return result;
}

extern "C" void WINAPI Sleep(DWORD milliseconds)
{
    const char* fast = getenv("KV_FAST_SLEEP");
    if (fast && !strcmp(fast, "1")) {
        g_fastSleepTotal += milliseconds;
        if (!g_fastSleepReported) {
            g_fastSleepReported = 1;
            atexit(ReportFastSleep);
        }
        return;
    }
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;)
            pause();
    }
    struct timespec wait;
    wait.tv_sec = milliseconds / 1000;
    wait.tv_nsec = (long)(milliseconds % 1000) * 1000000L;
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

extern "C" DWORD WINAPI GetTickCount(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (DWORD)((unsigned long long)now.tv_sec * 1000ULL + (unsigned long long)now.tv_nsec / 1000000ULL);
}

extern "C" void WINAPI ExitProcess(UINT exitCode)
{
    exit((int)exitCode);
}

extern "C" LPSTR WINAPI GetCommandLineA(void)
{
    // The program's own command line in Windows form: the arguments joined
    // by blanks, those with blanks quoted.
    if (!g_commandLine[0]) {
        FILE* file = fopen("/proc/self/cmdline", "rb");
        size_t used = 0;
        if (file) {
            char arguments[32768];
            size_t n = fread(arguments, 1, sizeof arguments - 1, file);
            fclose(file);
            arguments[n] = 0;
            for (size_t i = 0; i < n;) {
                const char* argument = arguments + i;
                size_t length = strlen(argument);
                int quote = strchr(argument, ' ') != 0 || length == 0;
                if (used + length + 4 >= sizeof g_commandLine)
                    break;
                if (used)
                    g_commandLine[used++] = ' ';
                if (quote)
                    g_commandLine[used++] = '"';
                memcpy(g_commandLine + used, argument, length);
                used += length;
                if (quote)
                    g_commandLine[used++] = '"';
                i += length + 1;
            }
        }
        g_commandLine[used] = 0;
    }
    return g_commandLine;
}

extern "C" HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T size)
{
    for (int i = 0; i < kMaxGlobalBlocks; i++) {
        CGlobalBlock* block = &g_blocks[i];
        if (block->used)
            continue;
        char* data = new (std::nothrow) char[size ? size : 1];
        if (!data)
            break;
        if (flags & GMEM_ZEROINIT)
            memset(data, 0, size);
        block->used = 1;
        block->moveable = (flags & GMEM_MOVEABLE) != 0;
        block->locks = 0;
        block->size = size;
        block->data = data;
        return HandleOf(block);
    }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

extern "C" HGLOBAL WINAPI GlobalReAlloc(HGLOBAL memory, SIZE_T size, UINT flags)
{
    CGlobalBlock* block = BlockOf(memory);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!block->moveable && size > block->size) {
        // A fixed block cannot move.
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    char* data = new (std::nothrow) char[size ? size : 1];
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    SIZE_T keep = block->size < size ? block->size : size;
    memcpy(data, block->data, keep);
    if ((flags & GMEM_ZEROINIT) && size > keep)
        memset(data + keep, 0, size - keep);
    if (block->moveable) {
        delete[] block->data;
        block->data = data;
    } else {
        memcpy(block->data, data, keep);
        delete[] data;
    }
    block->size = size;
    return HandleOf(block);
}

extern "C" LPVOID WINAPI GlobalLock(HGLOBAL memory)
{
    CGlobalBlock* block = BlockOf(memory);
    if (!block) {
        // Fixed memory is its own data, whoever allocated it.
        if (memory && (uintptr_t)memory >= kMoveableBase + 4 * kMaxGlobalBlocks)
            return memory;
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (block->moveable)
        block->locks++;
    return block->data;
}

extern "C" BOOL WINAPI GlobalUnlock(HGLOBAL memory)
{
    CGlobalBlock* block = BlockOf(memory);
    if (!block || !block->moveable) {
        SetLastError(NO_ERROR);
        return FALSE;
    }
    // TRUE while the block stays locked, as Windows reports it.
    if (block->locks > 0)
        block->locks--;
    SetLastError(NO_ERROR);
    return block->locks > 0;
}

extern "C" SIZE_T WINAPI GlobalSize(HGLOBAL memory)
{
    CGlobalBlock* block = BlockOf(memory);
    return block ? block->size : 0;
}

extern "C" HGLOBAL WINAPI GlobalFree(HGLOBAL memory)
{
    CGlobalBlock* block = BlockOf(memory);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    delete[] block->data;
    block->used = 0;
    block->data = 0;
    return 0;
}

extern "C" int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                                          int wideLength)
{
    (void)flags;
    if (!text || wideLength < 0 || (wideLength > 0 && !wide) || length == 0 || length < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (codePage != CP_ACP && codePage != CP_THREAD_ACP && codePage != CP_OEMCP && codePage != 1252) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int count = length == -1 ? (int)strlen(text) + 1 : length;
    if (wideLength == 0)
        return count;
    if (wideLength < count) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < count; i++)
        wide[i] = KvAnsiToWide((unsigned char)text[i]);
    return count;
}

extern "C" int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR text,
                                          int length, LPCSTR defaultChar, LPBOOL usedDefault)
{
    (void)flags;
    if (!wide || length < 0 || (length > 0 && !text) || wideLength == 0 || wideLength < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (codePage != CP_ACP && codePage != CP_THREAD_ACP && codePage != CP_OEMCP && codePage != 1252) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int count = wideLength;
    if (count == -1) {
        count = 0;
        while (wide[count])
            count++;
        count++;
    }
    if (usedDefault)
        *usedDefault = FALSE;
    if (length == 0)
        return count;
    if (length < count) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < count; i++) {
        int c = KvWideToAnsi(wide[i]);
        if (!c && wide[i]) {
            c = defaultChar ? (unsigned char)defaultChar[0] : '?';
            if (usedDefault)
                *usedDefault = TRUE;
        }
        text[i] = (char)c;
    }
    return count;
}

extern "C" int WINAPI lstrlenA(LPCSTR text)
{
    return text ? (int)strlen(text) : 0;
}

extern "C" LPSTR WINAPI lstrcpyA(LPSTR target, LPCSTR source)
{
    return strcpy(target, source);
}

extern "C" LPSTR WINAPI lstrcpynA(LPSTR target, LPCSTR source, int size)
{
    if (size <= 0)
        return target;
    int i = 0;
    for (; i < size - 1 && source[i]; i++)
        target[i] = source[i];
    target[i] = 0;
    return target;
}

extern "C" LPSTR WINAPI lstrcatA(LPSTR target, LPCSTR source)
{
    return strcat(target, source);
}

extern "C" int WINAPI lstrcmpA(LPCSTR a, LPCSTR b)
{
    int r = strcmp(a, b);
    return r < 0 ? -1 : r > 0;
}

extern "C" int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b)
{
    int r = strcasecmp(a, b);
    return r < 0 ? -1 : r > 0;
}
