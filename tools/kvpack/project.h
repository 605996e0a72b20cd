// The product project of kvpack: what a TOML project file says, with every
// path resolved against the project file's folder.
#ifndef KVPACK_PROJECT_H
#define KVPACK_PROJECT_H

#include <stdexcept>
#include <string>
#include <vector>

namespace kvpack {

// An error in the project file, with the line it concerns (0: none).
struct ProjectError : std::runtime_error {
    ProjectError(const std::string& file, long line, const std::string& message);
};

struct Entry {
    int kind = 1;            // 1 file, 0 folder (the record's values)
    std::string source;      // file to compress (files only)
    std::string target;      // target path with macros
    int mode = 0;            // 0 always, 1 newer, 2 unless newer, 3 backup
    unsigned short date = 0; // local DOS date and time of the source
    unsigned short time = 0;
};

struct Object {
    int kind = 4;  // 4 folder, 5 program
    std::string parent, title, id;
    std::string target, arguments, workdir;
};

struct Project {
    std::string file;  // the project file itself
    std::string name, version, company, copyright;
    std::string readme, licence;            // resolved paths; empty: no page
    std::string readmeName, licenceName;    // as written in the project
    std::string maindir;
    bool uninstaller = true;
    bool hasPassword = false;
    std::string password;
    std::string startRun, endRun;
    std::vector<Entry> entries;
    std::vector<Object> objects;
    std::string spareTexts[4];
    std::vector<std::string> spareList;
    std::string text5, text6;
    int reserved = 0;
};

// Reads and checks a project file; throws ProjectError.
Project LoadProjectFile(const std::string& path);

// The local DOS date and time of a file's last modification.
void DosTimeOf(const std::string& path, unsigned short* date, unsigned short* time);

}  // namespace kvpack

#endif
