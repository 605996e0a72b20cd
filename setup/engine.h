// CInstallEngine: the installation engine of the setup wizard, without any
// window. On top of the project model it keeps the installation log list
// and turns the package's items into files: compressed entries to their
// targets with their replace modes, and the stored uninstaller image.
//
// The wizard derives from it, so these are the wizard's own operations and
// its own log list.
#ifndef KV_SETUP_ENGINE_H
#define KV_SETUP_ENGINE_H

#include "classlib/arrays.h"
#include "package/project.h"

// Every log line is formatted into a buffer of this size.
#define KV_LOG_LINE 512

class CInstallEngine : public CProject
{
public:
    CInstallEngine();
    virtual ~CInstallEngine();

    // Formats one line and appends it to the log list. A line longer than
    // 511 characters is not appended (0): a cut path would name another file.
    int AppendLog(const char* format, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    // Writes the log list, last line first, to "install.log" in the main
    // directory, each line ending with CR LF. 0 when it cannot be written.
    int WriteLog();

    // Merges the ";"-separated items into pathText, a buffer of size bytes,
    // logging each item added as: command "item". Items already inside the
    // path text, and items that would not fit, are left out.
    void UpdatePath(char* command, char* pathText, int size, char* items);

    // Extracts the compressed entry at the package stream's position to the
    // target of entry (kind, replace mode, expanded target). The stream ends
    // up behind the entry in every case. 1 when the target was written from a
    // sound stream or left in place by its replace mode; 0 when it could not
    // be written or the entry is damaged.
    int CopyCompressedFile(char* entry);

    // Passes over the compressed entry at the stream's position, for an
    // entry whose target cannot be used (its path did not expand).
    void SkipCompressedFile();

    // Writes the stored item at the stream's position (the uninstaller image)
    // to path. 1 when every byte was written.
    int CopyFileA(char* path);

    CStringArray m_logList;

private:
    CInstallEngine(const CInstallEngine&);
};

#endif
