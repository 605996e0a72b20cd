// kvpack: builds the packages the setup program installs, and lists and
// checks them.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <exception>
#include <filesystem>
#include <string>
#include <thread>

#include "package.h"
#include "project.h"

namespace fs = std::filesystem;

static const char s_usage[] =
    "usage: kvpack build PROJECT.toml -o OUT [options]\n"
    "       kvpack list FILE\n"
    "       kvpack --help\n"
    "\n"
    "build   writes the package described by PROJECT.toml to OUT: a bare package\n"
    "        (what install.1 holds), or with --setup a self-extracting setup.\n"
    "  --setup STUB        the setup program to put in front of the package\n"
    "  --uninstaller IMAGE the uninstaller program to store (default: unkv2\n"
    "                      beside kvpack)\n"
    "  --level N           zlib level 0-9 (default 9)\n"
    "  --jobs N            compression threads (default: the number of cores);\n"
    "                      the output is the same for every N\n"
    "  --keep-line-ends    store readme and licence texts as they are (default:\n"
    "                      bare LF line ends are stored as CR LF)\n"
    "list    prints every record field, the files, the objects, the text blocks\n"
    "        and the uninstaller of a package or setup, and checks them; exits 1\n"
    "        naming the first damaged item.\n";

static int Usage(const char* problem)
{
    fprintf(stderr, "kvpack: %s\n\n%s", problem, s_usage);
    return 2;
}

static int Number(const char* text, int low, int high, int* value)
{
    char* end = 0;
    long v = strtol(text, &end, 10);
    if (!*text || *end || v < low || v > high)
        return 0;
    *value = (int)v;
    return 1;
}

// The uninstaller built beside kvpack, with kvpack's own file suffix.
static std::string DefaultUninstaller(const char* argv0)
{
    fs::path self(argv0);
    if (!self.has_parent_path())
        return "";
    std::error_code ec;
    for (std::string suffix : {self.extension().string(), std::string(".exe"), std::string()}) {
        fs::path image = self.parent_path() / ("unkv2" + suffix);
        if (fs::is_regular_file(image, ec))
            return image.string();
    }
    return "";
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage("no command given");
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        fputs(s_usage, stdout);
        return 0;
    }
    try {
        if (command == "list") {
            if (argc != 3)
                return Usage("list takes one file");
            return kvpack::ListPackage(argv[2]);
        }
        if (command != "build")
            return Usage(("unknown command " + command).c_str());

        kvpack::BuildOptions options;
        unsigned cores = std::thread::hardware_concurrency();
        options.jobs = cores > 0 ? (int)cores : 1;
        std::string projectFile;
        for (int i = 2; i < argc; ++i) {
            std::string a = argv[i];
            bool more = i + 1 < argc;
            if (a == "-o" && more)
                options.output = argv[++i];
            else if (a == "--setup" && more)
                options.setupStub = argv[++i];
            else if (a == "--uninstaller" && more)
                options.uninstaller = argv[++i];
            else if (a == "--level" && more) {
                if (!Number(argv[++i], 0, 9, &options.level))
                    return Usage("--level takes a number from 0 to 9");
            } else if (a == "--jobs" && more) {
                if (!Number(argv[++i], 1, 256, &options.jobs))
                    return Usage("--jobs takes a number from 1 to 256");
            } else if (a == "--keep-line-ends")
                options.keepLineEnds = true;
            else if (!a.empty() && a[0] == '-')
                return Usage(("unknown option or missing value: " + a).c_str());
            else if (projectFile.empty())
                projectFile = a;
            else
                return Usage("build takes one project file");
        }
        if (projectFile.empty())
            return Usage("build needs a project file");
        if (options.output.empty())
            return Usage("build needs -o OUT");
        if (options.uninstaller.empty())
            options.uninstaller = DefaultUninstaller(argv[0]);
        options.progress = isatty(2) != 0;
        kvpack::Project project = kvpack::LoadProjectFile(projectFile);
        kvpack::BuildPackage(project, options);
        return 0;
    } catch (const std::exception& e) {
        fprintf(stderr, "kvpack: %s\n", e.what());
        return 1;
    }
}
