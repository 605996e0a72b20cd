// The Windows machine of the POSIX build: the path table of its drives,
// local time in the host's time zones, the registry files shared between
// processes, shortcut files and the kvwin tool. Runs in a prefix of its own.
#include <windows.h>
#include <io.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "kernel/machine.h"

namespace {

// A fresh prefix for this program, set before anything asks for it.
std::string MakePrefix()
{
    char dir[] = "/tmp/kv_machine_XXXXXX";
    if (!mkdtemp(dir))
        abort();
    setenv("KV_PREFIX", dir, 1);
    return dir;
}
const std::string g_prefix = MakePrefix();

// Removes the prefix when the test program ends (not in its children).
struct CPrefixCleanup
{
    pid_t owner = getpid();
    ~CPrefixCleanup()
    {
        if (getpid() == owner)
            system(("rm -rf '" + g_prefix + "'").c_str());
    }
} g_cleanup;

std::string HostOf(const char* windowsPath)
{
    char host[KV_HOST_PATH_MAX];
    if (!KvMapPath(windowsPath, host, sizeof host))
        return "<error>";
    return host;
}

// Reads a host file by its exact name (the C streams would find it in any
// case).
std::string ReadHost(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, (size_t)n);
    close(fd);
    return bytes;
}

void MakeFile(const char* windowsPath, const char* bytes)
{
    FILE* f = fopen(windowsPath, "wb");
    ASSERT_NE(f, nullptr) << windowsPath;
    fputs(bytes, f);
    fclose(f);
}

TEST(PathTableTest, MapsDrivesCaseSeparatorsAndDots)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\MixedCase", 0));
    ASSERT_TRUE(CreateDirectoryA("C:\\MixedCase\\Inner", 0));
    char cwd[KV_HOST_PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::string c = g_prefix + "/drive_c";
    struct Case {
        const char* windows;
        std::string host;
    } cases[] = {
        {"C:\\", c},
        {"c:", c},
        {"c:\\windows", c + "/WINDOWS"},
        {"C:/WINDOWS/system32", c + "/WINDOWS/SYSTEM32"},
        {"C:\\WINDOWS\\..\\Program Files\\.\\x", c + "/Program Files/x"},
        {"C:\\..\\..\\WINDOWS", c + "/WINDOWS"},
        {"C:\\mixedcase\\INNER\\new File.TXT", c + "/MixedCase/Inner/new File.TXT"},
        {"C:\\MIXEDCASE\\missing\\inner", c + "/MixedCase/missing/inner"},
        {"C:\\\\WINDOWS//\\SYSTEM32\\", c + "/WINDOWS/SYSTEM32"},
        {"C:\\name. ", c + "/name"},
        {"C:\\Caf\xe9", c + "/Caf\xc3\xa9"},
        {"Z:\\", "/"},
        {"z:\\tmp\\x", "/tmp/x"},
        {"/tmp/a/../b", "/tmp/b"},
        {"\\tmp", "/tmp"},
        {"rel\\x", std::string(cwd) + "/rel/x"},
        {"..\\up", std::string(cwd).substr(0, std::string(cwd).rfind('/')) + "/up"},
        {"\\\\?\\C:\\WINDOWS", c + "/WINDOWS"},
    };
    for (const Case& row : cases)
        EXPECT_EQ(HostOf(row.windows), row.host) << row.windows;

    // Paths that name nothing on this machine.
    const char* bad[] = {"C:\\a<b", "C:\\a|b", "C:\\what?", "\\\\server\\share\\x", "Q:\\x", ""};
    for (const char* path : bad)
        EXPECT_EQ(HostOf(path), "<error>") << path;
}

TEST(PathTableTest, HostPathsMapBackToWindowsPaths)
{
    char windows[MAX_PATH];
    std::string c = g_prefix + "/drive_c";
    ASSERT_TRUE(KvUnmapPath((c + "/WINDOWS").c_str(), windows, sizeof windows));
    EXPECT_STREQ(windows, "C:\\WINDOWS");
    ASSERT_TRUE(KvUnmapPath(c.c_str(), windows, sizeof windows));
    EXPECT_STREQ(windows, "C:\\");
    ASSERT_TRUE(KvUnmapPath("/", windows, sizeof windows));
    EXPECT_STREQ(windows, "Z:\\");

    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(0, module, sizeof module);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(n, strlen(module));
    char self[KV_HOST_PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(length, 0);
    self[length] = 0;
    EXPECT_EQ(HostOf(module), self);
    // A short buffer is cut and terminated.
    char shortBuffer[5];
    EXPECT_EQ(GetModuleFileNameA(0, shortBuffer, sizeof shortBuffer), 5u);
    EXPECT_EQ(strlen(shortBuffer), 4u);

    char dir[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectoryA(dir, 255), 10u);
    EXPECT_STREQ(dir, "C:\\WINDOWS");
    EXPECT_EQ(GetSystemDirectoryA(dir, 255), 19u);
    EXPECT_STREQ(dir, "C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(GetSystemDirectoryA(dir, 5), 20u); // too small: size needed
    struct stat st;
    EXPECT_EQ(stat((c + "/WINDOWS/SYSTEM32").c_str(), &st), 0);
    EXPECT_EQ(stat((c + "/Program Files").c_str(), &st), 0);
}

TEST(PathTableTest, OneFileWhateverTheCaseOfItsName)
{
    MakeFile("C:\\WINDOWS\\UNKV2.EXE", "image");
    EXPECT_EQ(ReadHost(g_prefix + "/drive_c/WINDOWS/UNKV2.EXE"), "image");
    FILE* f = fopen("c:\\windows\\unkv2.exe", "rb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    // Writing through another case rewrites the same file.
    MakeFile("C:\\Windows\\Unkv2.Exe", "again");
    EXPECT_EQ(ReadHost(g_prefix + "/drive_c/WINDOWS/UNKV2.EXE"), "again");
    EXPECT_EQ(ReadHost(g_prefix + "/drive_c/WINDOWS/Unkv2.Exe"), "<missing>");
    // Renaming to another case only changes the case.
    ASSERT_TRUE(MoveFileA("C:\\WINDOWS\\unkv2.exe", "C:\\WINDOWS\\unkv2.exe"));
    EXPECT_EQ(ReadHost(g_prefix + "/drive_c/WINDOWS/unkv2.exe"), "again");
    EXPECT_EQ(ReadHost(g_prefix + "/drive_c/WINDOWS/UNKV2.EXE"), "<missing>");
    EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\UNKV2.EXE"));
}

TEST(PathTableTest, FoldersOpenOnlyWithBackupSemantics)
{
    HANDLE h = CreateFileA("C:\\WINDOWS", GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    h = CreateFileA("C:\\WINDOWS", GENERIC_READ, 0, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME t;
    EXPECT_TRUE(GetFileTime(h, 0, 0, &t));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

// Sets TZ for one scope and puts the old value back.
class CZone
{
public:
    explicit CZone(const char* zone)
    {
        const char* old = getenv("TZ");
        m_had = old != nullptr;
        if (old)
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~CZone()
    {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had;
    std::string m_old;
};

WORD Date(int y, int m, int d) { return (WORD)(((y - 1980) << 9) | (m << 5) | d); }
WORD Time(int h, int mi, int s) { return (WORD)((h << 11) | (mi << 5) | (s / 2)); }

TEST(LocalTimeTest, FileTimesRoundTripInWinterAndSummer)
{
    struct Case {
        const char* zone;
        int year, month, day, hour, minute, second;
        long offset; // local minus UTC, seconds
    } cases[] = {
        {"UTC", 2024, 1, 15, 10, 30, 10, 0},
        {"UTC", 2024, 7, 15, 10, 30, 10, 0},
        {"Europe/Berlin", 2024, 1, 15, 10, 30, 10, 3600},
        {"Europe/Berlin", 2024, 7, 15, 10, 30, 10, 7200},
        {"Europe/Berlin", 1980, 1, 1, 0, 0, 0, 3600},
        {"Europe/Berlin", 2024, 10, 27, 1, 59, 58, 7200},  // last summer minute
        {"Europe/Berlin", 2024, 10, 27, 3, 0, 0, 3600},    // first winter hour
    };
    for (const Case& c : cases) {
        CZone zone(c.zone);
        WORD date = Date(c.year, c.month, c.day);
        WORD time = Time(c.hour, c.minute, c.second);
        FILETIME local, utc;
        ASSERT_TRUE(DosDateTimeToFileTime(date, time, &local));
        ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
        MakeFile("C:\\stamped.txt", "x");
        HANDLE h = CreateFileA("C:\\stamped.txt", GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(h, 0, &utc, &utc));
        CloseHandle(h);

        // The host sees the moment that local time stands for.
        struct tm civil = {};
        civil.tm_year = c.year - 1900;
        civil.tm_mon = c.month - 1;
        civil.tm_mday = c.day;
        civil.tm_hour = c.hour;
        civil.tm_min = c.minute;
        civil.tm_sec = c.second;
        struct stat st;
        ASSERT_EQ(stat((g_prefix + "/drive_c/stamped.txt").c_str(), &st), 0);
        EXPECT_EQ((long long)st.st_mtime, (long long)timegm(&civil) - c.offset) << c.zone << " " << c.month;
        EXPECT_EQ(st.st_atime, st.st_mtime);

        h = CreateFileA("C:\\stamped.txt", GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
        FILETIME written, back;
        ASSERT_TRUE(GetFileTime(h, 0, 0, &written));
        CloseHandle(h);
        ASSERT_TRUE(FileTimeToLocalFileTime(&written, &back));
        WORD backDate = 0, backTime = 0;
        ASSERT_TRUE(FileTimeToDosDateTime(&back, &backDate, &backTime));
        EXPECT_EQ(backDate, date) << c.zone;
        EXPECT_EQ(backTime, time) << c.zone;
    }
}

TEST(LocalTimeTest, TimesSetOnAStreamSurviveItsLastWrites)
{
    CZone zone("Europe/Berlin");
    FILETIME local, utc;
    ASSERT_TRUE(DosDateTimeToFileTime(Date(2020, 6, 1), Time(8, 0, 0), &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    FILE* f = fopen("C:\\stream.bin", "wb");
    ASSERT_NE(f, nullptr);
    fputs("first", f);
    HANDLE h = (HANDLE)_get_osfhandle(_fileno(f));
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(h, 0, &utc, &utc));
    fputs(" and buffered", f); // written only by fclose
    fclose(f);
    EXPECT_EQ(ReadHost(g_prefix + "/drive_c/stream.bin"), "first and buffered");
    struct stat st;
    ASSERT_EQ(stat((g_prefix + "/drive_c/stream.bin").c_str(), &st), 0);
    struct tm civil = {};
    civil.tm_year = 120;
    civil.tm_mon = 5;
    civil.tm_mday = 1;
    civil.tm_hour = 8;
    EXPECT_EQ((long long)st.st_mtime, (long long)timegm(&civil) - 7200);
}

// Runs fn in a child process and returns its exit status.
template <class F>
int InChild(F fn)
{
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0)
        _exit(fn());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

std::string QueryString(HKEY root, const char* key, const char* name, LONG* error = nullptr)
{
    HKEY k;
    LONG e = RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &k);
    if (e == ERROR_SUCCESS) {
        char buffer[512];
        DWORD size = sizeof buffer;
        DWORD type = 0;
        e = RegQueryValueExA(k, name, 0, &type, (BYTE*)buffer, &size);
        RegCloseKey(k);
        if (error)
            *error = e;
        if (e == ERROR_SUCCESS)
            return std::string(buffer, size && !buffer[size - 1] ? size - 1 : size);
    }
    if (error)
        *error = e;
    return "<absent>";
}

const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

TEST(RegistryTest, NewMachineHoldsTheShellFolders)
{
    EXPECT_EQ(QueryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"),
              "C:\\Program Files");
    std::string programs = QueryString(HKEY_CURRENT_USER,
                                       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                       "Programs");
    EXPECT_EQ(programs, KvProgramsFolder());
    struct stat st;
    EXPECT_EQ(stat(HostOf(programs.c_str()).c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(RegistryTest, KeysAndValuesIgnoreCase)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Case\\Product One", &key), ERROR_SUCCESS);
    const char text[] = "Product One 1.0";
    ASSERT_EQ(RegSetValueExA(key, "DisplayName", 0, REG_SZ, (const BYTE*)text, sizeof text), ERROR_SUCCESS);
    DWORD number = 0x12345678;
    ASSERT_EQ(RegSetValueExA(key, "Flags", 0, REG_DWORD, (const BYTE*)&number, 4), ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_EQ(QueryString(HKEY_LOCAL_MACHINE, "software\\KV CASE\\product one", "displayname"), text);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\KV CASE\\PRODUCT ONE", 0, KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    DWORD value = 0, size = sizeof value, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "FLAGS", 0, &type, (BYTE*)&value, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, (DWORD)REG_DWORD);
    EXPECT_EQ(value, 0x12345678u);
    // A size query, and a buffer too small.
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "DisplayName", 0, 0, 0, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof text);
    char small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "DisplayName", 0, 0, (BYTE*)small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof text);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", 0, 0, (BYTE*)small, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    // A key with subkeys cannot be deleted; once they are gone it can.
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Case"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\kv case\\PRODUCT ONE"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Case"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Case", 0, KEY_QUERY_VALUE, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Case"), ERROR_FILE_NOT_FOUND);
}

TEST(RegistryTest, ChangesPersistAcrossProcesses)
{
    int status = InChild([] {
        HKEY key;
        if (RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Persist", &key) != ERROR_SUCCESS)
            return 1;
        const char text[] = "from the child";
        LONG e = RegSetValueExA(key, "Writer", 0, REG_SZ, (const BYTE*)text, sizeof text);
        RegCloseKey(key);
        return e == ERROR_SUCCESS ? 0 : 2;
    });
    ASSERT_EQ(status, 0);
    EXPECT_EQ(QueryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Persist", "Writer"), "from the child");

    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Persist", &key), ERROR_SUCCESS);
    const char text[] = "from the parent";
    ASSERT_EQ(RegSetValueExA(key, "Second", 0, REG_SZ, (const BYTE*)text, sizeof text), ERROR_SUCCESS);
    RegCloseKey(key);
    status = InChild([] {
        return QueryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Persist", "Second") == "from the parent" &&
                       QueryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Persist", "Writer") == "from the child"
                   ? 0
                   : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kv Persist"), ERROR_SUCCESS);
}

TEST(RegistryTest, WriterKilledMidWriteLeavesAWholeRegistry)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Kv Kill", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    for (int round = 0; round < 20; round++) {
        fflush(stdout);
        pid_t pid = fork();
        if (pid == 0) {
            // Large values make every write of the file take a while.
            static char block[200000];
            HKEY k;
            RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kv Kill", 0, KEY_SET_VALUE, &k);
            for (int i = 0;; i++) {
                memset(block, 'a' + i % 26, sizeof block - 1);
                block[sizeof block - 1] = 0;
                RegSetValueExA(k, "Big", 0, REG_SZ, (const BYTE*)block, sizeof block);
            }
        }
        usleep(2000 + (round % 10) * 700);
        kill(pid, SIGKILL);
        waitpid(pid, 0, 0);

        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kv Kill", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS)
            << "round " << round;
        static char data[200000];
        DWORD size = sizeof data;
        LONG e = RegQueryValueExA(key, "Big", 0, 0, (BYTE*)data, &size);
        RegCloseKey(key);
        if (e == ERROR_FILE_NOT_FOUND)
            continue; // killed before its first write ended
        ASSERT_EQ(e, ERROR_SUCCESS) << "round " << round;
        ASSERT_EQ(size, sizeof data);
        // One whole write: every character the same.
        EXPECT_EQ(strspn(data, std::string(1, data[0]).c_str()), sizeof data - 1) << "round " << round;
    }
    // The next write clears what killed writers left behind.
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Kv Kill\\Last", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    std::string leftovers;
    DIR* dir = opendir(g_prefix.c_str());
    ASSERT_NE(dir, nullptr);
    while (struct dirent* entry = readdir(dir)) {
        if (!strncmp(entry->d_name, "user.reg.", 9))
            leftovers += entry->d_name;
    }
    closedir(dir);
    EXPECT_EQ(leftovers, "");
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Kv Kill\\Last"), ERROR_SUCCESS);
    // The Programs value beside it was never lost.
    EXPECT_EQ(QueryString(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                          "Programs"),
              KvProgramsFolder());
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Kv Kill"), ERROR_SUCCESS);
}

TEST(RegistryTest, WriterDyingInsideItsFileWriteChangesNothing)
{
    // A file-size limit below the new registry's size makes the writer die
    // (SIGXFSZ) in the very middle of writing the file.
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Kv Crash", &key), ERROR_SUCCESS);
    const char before[] = "kept";
    ASSERT_EQ(RegSetValueExA(key, "Before", 0, REG_SZ, (const BYTE*)before, sizeof before), ERROR_SUCCESS);
    RegCloseKey(key);
    struct stat st;
    ASSERT_EQ(stat((g_prefix + "/user.reg").c_str(), &st), 0);
    rlim_t limit = (rlim_t)st.st_size + 4096;
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        struct rlimit size = {limit, limit};
        setrlimit(RLIMIT_FSIZE, &size);
        static char block[100000];
        memset(block, 'z', sizeof block - 1);
        HKEY k;
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kv Crash", 0, KEY_SET_VALUE, &k);
        RegSetValueExA(k, "Big", 0, REG_SZ, (const BYTE*)block, sizeof block);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;

    LONG error;
    EXPECT_EQ(QueryString(HKEY_CURRENT_USER, "Software\\Kv Crash", "Before", &error), "kept");
    EXPECT_EQ(error, ERROR_SUCCESS);
    QueryString(HKEY_CURRENT_USER, "Software\\Kv Crash", "Big", &error);
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kv Crash", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Kv Crash"), ERROR_SUCCESS);
}

TEST(RegistryTest, DamagedFileIsReportedNotReplaced)
{
    std::string path = g_prefix + "/user.reg";
    std::string whole = ReadHost(path);
    ASSERT_NE(whole, "<missing>");
    std::string cut = whole.substr(0, whole.size() / 2);
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(cut.data(), 1, cut.size(), f);
    fclose(f);
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_QUERY_VALUE, &key), ERROR_BADDB);
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\New", &key), ERROR_BADDB);
    EXPECT_EQ(ReadHost(path), cut);
    f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(whole.data(), 1, whole.size(), f);
    fclose(f);
}

// Runs kvwin with arguments (each quoted for the shell); stdout in *out.
int Kvwin(const std::string& arguments, std::string* out)
{
    std::string command = std::string(KVWIN_PATH) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    out->clear();
    char buffer[1024];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out->append(buffer, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

TEST(ShellLinkTest, SavedLinkReadsBackWithAllFields)
{
    std::string programs = KvProgramsFolder();
    std::string folder = programs + "\\Zorva";
    CreateDirectoryA(folder.c_str(), 0);
    std::string file = folder + "\\Read me.lnk";
    WCHAR wide[MAX_PATH];
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH), 0);

    IShellLinkA* link = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link),
              CO_E_NOTINITIALIZED);
    ASSERT_EQ(CoInitialize(0), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link), S_OK);
    IPersistFile* persist = nullptr;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, (void**)&persist), S_OK);
    EXPECT_EQ(link->SetPath("C:\\Program Files\\Zorva\\zorva.exe"), S_OK);
    EXPECT_EQ(link->SetArguments("-config \"a b\""), S_OK);
    EXPECT_EQ(link->SetDescription("Read me"), S_OK);
    EXPECT_EQ(link->SetWorkingDirectory("C:\\Program Files\\Zorva"), S_OK);
    EXPECT_EQ(link->SetIconLocation("C:\\Program Files\\Zorva\\zorva.exe", 0), S_OK);
    char text[MAX_PATH];
    int index = -1;
    EXPECT_EQ(link->GetIconLocation(text, sizeof text, &index), S_OK);
    EXPECT_STREQ(text, "C:\\Program Files\\Zorva\\zorva.exe");
    EXPECT_EQ(index, 0);
    EXPECT_EQ(link->GetArguments(text, sizeof text), S_OK);
    EXPECT_STREQ(text, "-config \"a b\"");
    EXPECT_EQ(persist->Save(wide, TRUE), S_OK);
    persist->Release();
    link->Release();
    CoUninitialize();

    std::string bytes = ReadHost(HostOf(file.c_str()));
    ASSERT_GE(bytes.size(), 76u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x4c\0\0\0", 4));
    EXPECT_EQ(bytes.substr(4, 16), std::string("\x01\x14\x02\0\0\0\0\0\xc0\0\0\0\0\0\0\x46", 16));

    std::string out;
    ASSERT_EQ(Kvwin("lnk " + Quote(file), &out), 0);
    EXPECT_EQ(out,
              "target=C:\\Program Files\\Zorva\\zorva.exe\n"
              "arguments=-config \"a b\"\n"
              "workdir=C:\\Program Files\\Zorva\n"
              "description=Read me\n"
              "icon=C:\\Program Files\\Zorva\\zorva.exe,0\n");

    // Loaded again through the link object.
    ASSERT_EQ(CoInitialize(0), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link), S_OK);
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, (void**)&persist), S_OK);
    ASSERT_EQ(persist->Load(wide, STGM_READ), S_OK);
    EXPECT_EQ(link->GetDescription(text, sizeof text), S_OK);
    EXPECT_STREQ(text, "Read me");
    EXPECT_EQ(link->GetWorkingDirectory(text, sizeof text), S_OK);
    EXPECT_STREQ(text, "C:\\Program Files\\Zorva");
    persist->Release();
    link->Release();
    CoUninitialize();

    // Not a link, and a cut link.
    MakeFile("C:\\not a link.lnk", "plain text");
    EXPECT_EQ(Kvwin("lnk " + Quote("C:\\not a link.lnk"), &out), 1);
    FILE* f = fopen("C:\\cut.lnk", "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size() - 10, f);
    fclose(f);
    EXPECT_EQ(Kvwin("lnk " + Quote("C:\\cut.lnk"), &out), 1);
}

TEST(KvwinTest, CommandsAndTheirResults)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorva",
                            &key),
              ERROR_SUCCESS);
    const char name[] = "Zorva 1.0";
    const char command[] = "C:\\WINDOWS\\unkv2.exe C:\\Program Files\\Zorva\\install.log";
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, (const BYTE*)name, sizeof name);
    RegSetValueExA(key, "UninstallString", 0, REG_SZ, (const BYTE*)command, sizeof command);
    RegCloseKey(key);

    // A host program under the Windows name, without execute permission as
    // the setup program writes it: it reports its arguments and exits 7.
    MakeFile("C:\\WINDOWS\\UNKV2.EXE", "#!/bin/sh\necho \"$#:$1\"\nexit 7\n");
    MakeFile("C:\\Program Files\\tool with blanks.exe", "#!/bin/sh\necho \"tool:$1\"\n");

    struct Case {
        std::string arguments;
        int status;
        std::string out;
    } cases[] = {
        {"path 'C:\\WINDOWS\\..\\x'", 0, g_prefix + "/drive_c/x\n"},
        {"reg query 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\zorva' DisplayName", 0,
         "Zorva 1.0\n"},
        {"reg query 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorva'", 0,
         "DisplayName=Zorva 1.0\nUninstallString=" + std::string(command) + "\n"},
        {"reg query 'HKLM\\SOFTWARE\\Nothing'", 1, ""},
        {"reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders' Nothing", 1, ""},
        {"uninstallers", 0, "Zorva|Zorva 1.0|" + std::string(command) + "\n"},
        {"run " + Quote(command), 7, "1:C:\\Program Files\\Zorva\\install.log\n"},
        {"run 'C:\\WINDOWS\\UNKV2'", 7, "0:\n"},
        {"run 'C:\\Program Files\\tool with blanks.exe  two words'", 0, "tool:two words\n"},
        {"run '\"C:\\Program Files\\tool with blanks\" x'", 0, "tool:x\n"},
        {"run 'C:\\WINDOWS\\missing.exe'", 2, ""},
        {"bogus", 2, ""},
        {"", 2, ""},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(Kvwin(c.arguments, &out), c.status) << c.arguments;
        EXPECT_EQ(out, c.out) << c.arguments;
    }
    std::string help;
    EXPECT_EQ(Kvwin("--help", &help), 0);
    EXPECT_NE(help.find("uninstallers"), std::string::npos);
}

TEST(ProcessTest, FastSleepAddsUpAndReportsAtExit)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 2);
        setenv("KV_FAST_SLEEP", "1", 1);
        Sleep(50);
        Sleep(50);
        Sleep(1000);
        exit(0);
    }
    close(fds[1]);
    std::string err;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        err.append(buffer, (size_t)n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(err, "KV_FAST_SLEEP total 1100 ms\n");

    // Without it Sleep really waits.
    unsetenv("KV_FAST_SLEEP");
    DWORD before = GetTickCount();
    Sleep(30);
    EXPECT_GE(GetTickCount() - before, 29u);
}

TEST(ProcessTest, HandleCountRaisesTheOpenFileLimit)
{
    struct rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < 150)
        GTEST_SKIP() << "hard limit below 150";
    struct rlimit low = limit;
    low.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    EXPECT_EQ(SetHandleCount(150), 150u);
    struct rlimit now;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &now), 0);
    EXPECT_GE(now.rlim_cur, 150u);
    setrlimit(RLIMIT_NOFILE, &limit);
}

} // namespace
