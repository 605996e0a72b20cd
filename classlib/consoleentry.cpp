// Program entry for hosts whose programs start in main rather than in
// WinMain: the arguments after the program name are joined into the one
// command line that WinMain expects, and the program starts shown.
#include <windows.h>

#include <new>
#include <string.h>

#include "winapp.h"

int main(int argc, char** argv)
{
    size_t n = 1;
    for (int i = 1; i < argc; ++i)
        n += strlen(argv[i]) + 1;
    static char empty[] = "";
    char* line = new (std::nothrow) char[n];
    if (!line)
        line = empty;
    line[0] = 0;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            strcat(line, " ");
        strcat(line, argv[i]);
    }
    return WinMain(::GetModuleHandleA(0), 0, line, SW_SHOW);
}
