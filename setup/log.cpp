// The installation log list: lines appended in the order of the actions,
// written once, last line first, for the uninstaller to read top to bottom.
#include <windows.h>

#include "engine.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "package/macros.h"

CInstallEngine::CInstallEngine()
{
}

CInstallEngine::~CInstallEngine()
{
}

int CInstallEngine::AppendLog(const char* format, ...)
{
    char line[KV_LOG_LINE];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    if (n < 0 || n >= (int)sizeof(line))
        return 0;
    m_logList.Add(line);
    return 1;
}

int CInstallEngine::WriteLog()
{
    char path[KV_LOG_LINE];
    int n = snprintf(path, sizeof(path), "%s\\install.log", m_strMainDir.GetBuffer(0));
    if (n < 0 || n >= (int)sizeof(path))
        return 0;
    // Written as bytes with explicit CR LF, the line ends of a text file on
    // every platform.
    FILE* file = fopen(path, "wb");
    if (!file)
        return 0;
    int ok = 1;
    for (int i = m_logList.GetUpperBound(); i >= 0; --i) {
        char* text = m_logList[i].GetBuffer(0);
        if (fputs(text ? text : "", file) < 0 || fputs("\r\n", file) < 0)
            ok = 0;
    }
    if (fclose(file) != 0)
        ok = 0;
    return ok;
}

void CInstallEngine::UpdatePath(char* command, char* pathText, int size, char* items)
{
    char token[KV_LOG_LINE];
    char* p = items;
    while (*p) {
        while (*p == ';')
            ++p;
        char* start = p;
        while (*p && *p != ';')
            ++p;
        int length = (int)(p - start);
        if (length == 0 || length >= (int)sizeof(token))
            continue;
        memcpy(token, start, length);
        token[length] = 0;
        if (StrFindNoCase(pathText, token))
            continue;
        int used = (int)strlen(pathText);
        int joint = (used > 0 && pathText[used - 1] != ';') ? 1 : 0;
        if (used + joint + length >= size)
            continue;
        if (joint)
            pathText[used++] = ';';
        memcpy(pathText + used, token, length + 1);
        AppendLog("%s \"%s\"", command, token);
    }
}
