// kvwin: looks into and acts on the Windows machine of the POSIX build.
//   kvwin path WINPATH              host path a Windows path maps to
//   kvwin reg query KEY [VALUE]     a registry value, or all values of a key
//   kvwin uninstallers              the registered uninstallers
//   kvwin run "COMMAND LINE"        starts a Windows command line and waits
//   kvwin lnk FILE                  the fields of a shell link (.lnk) file
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <windows.h>

#include "kernel/machine.h"
#include "shell/linkfile.h"

extern char** environ;

namespace {

const char kUsage[] =
    "usage: kvwin COMMAND ...\n"
    "  path WINPATH            print the host path a Windows path maps to\n"
    "  reg query KEY [VALUE]   print a value's data, or all values of KEY as name=data\n"
    "                          (KEY as HKLM\\... or HKCU\\...)\n"
    "  uninstallers            print key|DisplayName|UninstallString per installed product\n"
    "  run \"COMMAND LINE\"      start a Windows command line, wait, exit with its code\n"
    "  lnk FILE                print a shell link's target, arguments, working directory,\n"
    "                          description and icon location\n"
    "The machine lives in $KV_PREFIX (default $HOME/.kelvane).\n";

int Fail(const char* format, const char* detail)
{
    fprintf(stderr, "kvwin: ");
    fprintf(stderr, format, detail);
    fprintf(stderr, "\n");
    return 2;
}

// Prints 1252 text on the host's UTF-8 terminal.
void PrintAnsi(const char* text)
{
    char utf8[KV_HOST_PATH_MAX * 2];
    if (KvAnsiToUtf8(text, utf8, sizeof utf8))
        fputs(utf8, stdout);
    else
        fputs(text, stdout);
}

const char* ErrorText(LONG error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return "not found";
    case ERROR_ACCESS_DENIED:
        return "access denied";
    case ERROR_BADDB:
        return "the registry file is damaged";
    case ERROR_CANTOPEN:
    case ERROR_CANTREAD:
        return "the registry cannot be read";
    default:
        return "failed";
    }
}

int SplitKey(const char* text, HKEY* root, const char** subKey)
{
    static const struct {
        const char* name;
        HKEY key;
    } roots[] = {
        {"HKLM", HKEY_LOCAL_MACHINE},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKCU", HKEY_CURRENT_USER},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    };
    for (unsigned i = 0; i < sizeof roots / sizeof roots[0]; i++) {
        size_t n = strlen(roots[i].name);
        if (!strncasecmp(text, roots[i].name, n) && (text[n] == '\\' || text[n] == '/' || text[n] == 0)) {
            *root = roots[i].key;
            *subKey = text[n] ? text + n + 1 : "";
            return 1;
        }
    }
    return 0;
}

void PrintData(DWORD type, const BYTE* data, DWORD size)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        char text[65536];
        DWORD n = size < sizeof text - 1 ? size : (DWORD)sizeof text - 1;
        memcpy(text, data, n);
        text[n] = 0;
        PrintAnsi(text);
    } else if (type == REG_DWORD && size == 4) {
        DWORD value = (DWORD)data[0] | ((DWORD)data[1] << 8) | ((DWORD)data[2] << 16) | ((DWORD)data[3] << 24);
        printf("%u", (unsigned)value);
    } else {
        for (DWORD i = 0; i < size; i++)
            printf("%s%02x", i ? "," : "", data[i]);
    }
}

int RegQuery(int argc, char** argv)
{
    if (argc < 4 || argc > 5 || strcmp(argv[2], "query"))
        return Fail("%s", "usage: kvwin reg query KEY [VALUE]");
    HKEY root;
    const char* subKey;
    if (!SplitKey(argv[3], &root, &subKey))
        return Fail("unknown root key in '%s' (use HKLM\\... or HKCU\\...)", argv[3]);
    HKEY key;
    LONG error = RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key);
    if (error != ERROR_SUCCESS) {
        fprintf(stderr, "kvwin: key %s: %s\n", argv[3], ErrorText(error));
        return 1;
    }
    static BYTE data[65536];
    if (argc == 5) {
        DWORD type = 0;
        DWORD size = sizeof data;
        error = RegQueryValueExA(key, argv[4], 0, &type, data, &size);
        RegCloseKey(key);
        if (error != ERROR_SUCCESS) {
            fprintf(stderr, "kvwin: value %s of %s: %s\n", argv[4], argv[3], ErrorText(error));
            return 1;
        }
        PrintData(type, data, size);
        printf("\n");
        return 0;
    }
    for (DWORD i = 0;; i++) {
        char name[16384];
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        DWORD size = sizeof data;
        error = RegEnumValueA(key, i, name, &nameSize, 0, &type, data, &size);
        if (error != ERROR_SUCCESS)
            break;
        PrintAnsi(name);
        printf("=");
        PrintData(type, data, size);
        printf("\n");
    }
    RegCloseKey(key);
    return 0;
}

int Uninstallers()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return 0; // nothing installed yet
    for (DWORD i = 0;; i++) {
        char name[1024];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, 0, 0, 0, 0) != ERROR_SUCCESS)
            break;
        HKEY product;
        char display[4096] = "";
        char command[4096] = "";
        if (RegOpenKeyExA(key, name, 0, KEY_QUERY_VALUE, &product) == ERROR_SUCCESS) {
            DWORD size = sizeof display - 1;
            if (RegQueryValueExA(product, "DisplayName", 0, 0, (BYTE*)display, &size) != ERROR_SUCCESS)
                display[0] = 0;
            size = sizeof command - 1;
            if (RegQueryValueExA(product, "UninstallString", 0, 0, (BYTE*)command, &size) != ERROR_SUCCESS)
                command[0] = 0;
            RegCloseKey(product);
        }
        PrintAnsi(name);
        printf("|");
        PrintAnsi(display);
        printf("|");
        PrintAnsi(command);
        printf("\n");
    }
    RegCloseKey(key);
    return 0;
}

int IsRegularFile(const char* host)
{
    struct stat st;
    return stat(host, &st) == 0 && S_ISREG(st.st_mode);
}

// Maps a candidate program name to its host file, trying the name as it is
// and, when it has no extension, with ".exe" added (candidate has room for
// it). 1 when a regular file was found.
static int FindProgramFile(char* candidate, char* host, size_t size)
{
    if (KvMapPath(candidate, host, size) && IsRegularFile(host))
        return 1;
    const char* slash = strrchr(candidate, '\\');
    const char* dot = strrchr(candidate, '.');
    if (dot && (!slash || dot > slash))
        return 0;
    strcat(candidate, ".exe");
    return KvMapPath(candidate, host, size) && IsRegularFile(host);
}

// Finds the program of a Windows command line as CreateProcess does: a
// quoted first word, or else the shortest blank-separated start of the line
// that names an existing file (".exe" added to a name without extension).
// host gets its host file, *rest the command line after it.
int FindProgram(const char* line, char* host, size_t size, const char** rest)
{
    while (*line == ' ' || *line == '\t')
        line++;
    char candidate[KV_HOST_PATH_MAX];
    if (*line == '"') {
        const char* close = strchr(line + 1, '"');
        size_t n = close ? (size_t)(close - line - 1) : strlen(line + 1);
        if (n >= sizeof candidate - 4)
            return 0;
        memcpy(candidate, line + 1, n);
        candidate[n] = 0;
        *rest = close ? close + 1 : line + 1 + n;
        return FindProgramFile(candidate, host, size);
    }
    for (const char* end = line;; end++) {
        if (*end != ' ' && *end != '\t' && *end != 0)
            continue;
        size_t n = (size_t)(end - line);
        if (n > 0 && n < sizeof candidate - 4) {
            memcpy(candidate, line, n);
            candidate[n] = 0;
            *rest = end;
            if (FindProgramFile(candidate, host, size))
                return 1;
        }
        if (*end == 0)
            return 0;
    }
}

int Run(const char* line)
{
    char host[KV_HOST_PATH_MAX];
    const char* rest = "";
    if (!FindProgram(line, host, sizeof host, &rest))
        return Fail("no program found for the command line '%s'", line);
    while (*rest == ' ' || *rest == '\t')
        rest++;
    unsigned char magic[4] = {0, 0, 0, 0};
    int fd = open(host, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        if (read(fd, magic, sizeof magic) < 2)
            magic[0] = 0;
        close(fd);
    }
    if (magic[0] == 'M' && magic[1] == 'Z')
        return Fail("%s is a Windows program; this machine runs host programs only", host);
    // Windows files carry no execute permission; every program file on
    // the machine may run.
    struct stat st;
    if (stat(host, &st) == 0 && (st.st_mode & 0111) != 0111)
        chmod(host, st.st_mode | ((st.st_mode & 0444) >> 2));
    // The rest of the line is the program's command line, passed whole.
    char* arguments[3] = {host, (char*)rest, 0};
    if (!rest[0])
        arguments[1] = 0;
    pid_t child;
    int error = posix_spawn(&child, host, 0, 0, arguments, environ);
    if (error != 0)
        return Fail("cannot start %s", host);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return Fail("lost the program %s", host);
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

int Link(const char* file)
{
    char host[KV_HOST_PATH_MAX];
    if (!KvMapPath(file, host, sizeof host))
        return Fail("bad path '%s'", file);
    int fd = open(host, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fprintf(stderr, "kvwin: cannot open %s: %s\n", file, strerror(errno));
        return 1;
    }
    static unsigned char data[1 << 20];
    ssize_t n = read(fd, data, sizeof data);
    close(fd);
    KvLinkData link;
    if (n <= 0 || !KvDecodeLink(data, (size_t)n, &link)) {
        fprintf(stderr, "kvwin: %s is not a valid shell link\n", file);
        return 1;
    }
    static const char* const names[] = {"target", "arguments", "workdir", "description"};
    const char* values[] = {link.target, link.arguments, link.workingDirectory, link.description};
    for (int i = 0; i < 4; i++) {
        printf("%s=", names[i]);
        PrintAnsi(values[i]);
        printf("\n");
    }
    printf("icon=");
    if (link.iconLocation[0]) {
        PrintAnsi(link.iconLocation);
        printf(",%d", link.iconIndex);
    }
    printf("\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || !strcmp(argv[1], "--help") || !strcmp(argv[1], "-h")) {
        fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const char* command = argv[1];
    if (!strcmp(command, "path")) {
        if (argc != 3)
            return Fail("%s", "usage: kvwin path WINPATH");
        char host[KV_HOST_PATH_MAX];
        if (!KvMapPath(argv[2], host, sizeof host))
            return Fail("'%s' names no path of this machine", argv[2]);
        printf("%s\n", host);
        return 0;
    }
    if (!strcmp(command, "reg"))
        return RegQuery(argc, argv);
    if (!strcmp(command, "uninstallers")) {
        if (argc != 2)
            return Fail("%s", "usage: kvwin uninstallers");
        return Uninstallers();
    }
    if (!strcmp(command, "run")) {
        if (argc != 3)
            return Fail("%s", "usage: kvwin run \"COMMAND LINE\"");
        return Run(argv[2]);
    }
    if (!strcmp(command, "lnk")) {
        if (argc != 3)
            return Fail("%s", "usage: kvwin lnk FILE");
        return Link(argv[2]);
    }
    return Fail("unknown command '%s' (see kvwin --help)", command);
}
