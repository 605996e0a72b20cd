// Case-insensitive find and replace-first, and the expansion of the path
// macros of a project.
#include "macros.h"

#include <new>
#include <string.h>

#include "project.h"

static unsigned char FoldLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? (unsigned char)(c + 0x20) : c;
}

char* StrFindNoCase(char* text, const char* pattern)
{
    if (!pattern[0])
        return 0;
    for (char* p = text; *p; ++p) {
        int i = 0;
        while (pattern[i] && FoldLower((unsigned char)p[i]) == FoldLower((unsigned char)pattern[i]))
            ++i;
        if (!pattern[i])
            return p;
    }
    return 0;
}

void StrReplaceAt(char* p, int patternLength, const char* replacement)
{
    int rest = (int)strlen(p + patternLength) + 1;  // tail and its NUL
    int length = (int)strlen(replacement);
    memmove(p + length, p + patternLength, rest);
    memcpy(p, replacement, length);
}

char* StrReplaceNoCase(char* text, const char* pattern, const char* replacement, int size)
{
    char* p = StrFindNoCase(text, pattern);
    if (!p)
        return 0;
    int patternLength = (int)strlen(pattern);
    long grown = (long)strlen(text) - patternLength + (long)strlen(replacement);
    if (grown >= size)
        return 0;
    StrReplaceAt(p, patternLength, replacement);
    return p;
}

int CProject::ReplaceMacro(char* text, int size)
{
    struct Macro {
        const char* name;
        const char* value;
    } macros[] = {
        {"%MAINDIR%", m_strMainDir.GetBuffer(0)},
        {"%PROGRAM%", m_strProgramDir.GetBuffer(0)},
        {"%OS%", m_strWindowsDir.GetBuffer(0)},
        {"%WINDOWS%", m_strWindowsDir.GetBuffer(0)},
        {"%SYSTEM%", m_strSystemDir.GetBuffer(0)},
        {"%JRE%", "jre.exe"},
        {"%JREW%", "jrew.exe"},
    };
    int length = (int)strlen(text);
    if (length >= size)
        return 0;
    char* original = new (std::nothrow) char[length + 1];
    if (!original)
        return 0;
    memcpy(original, text, length + 1);

    for (unsigned m = 0; m < sizeof(macros) / sizeof(macros[0]); ++m) {
        const char* value = macros[m].value ? macros[m].value : "";
        int nameLength = (int)strlen(macros[m].name);
        int valueLength = (int)strlen(value);
        // The search resumes behind each inserted value, so a value that
        // holds its own macro is inserted once, not forever.
        char* p = text;
        while ((p = StrFindNoCase(p, macros[m].name)) != 0) {
            if (length - nameLength + valueLength >= size) {
                memcpy(text, original, strlen(original) + 1);
                delete[] original;
                return 0;
            }
            StrReplaceAt(p, nameLength, value);
            length += valueLength - nameLength;
            p += valueLength;
        }
    }
    delete[] original;
    return 1;
}
