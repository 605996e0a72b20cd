// Writing and checking packages.
#ifndef KVPACK_PACKAGE_H
#define KVPACK_PACKAGE_H

#include <string>

#include "project.h"

namespace kvpack {

struct BuildOptions {
    std::string output;
    std::string setupStub;     // empty: a bare package
    std::string uninstaller;   // image to store; empty: none found
    int level = 9;
    int jobs = 1;
    bool keepLineEnds = false;
    bool progress = false;     // a progress line on the terminal
};

// The project record alone, as the setup program reads it.
std::string EncodeRecord(const Project& project);

// Writes the package (or setup) for the project; throws std::runtime_error.
void BuildPackage(const Project& project, const BuildOptions& options);

// Prints the contents of a package or setup file and checks it. Returns 0
// when it is sound, 1 after printing what is damaged.
int ListPackage(const std::string& path);

}  // namespace kvpack

#endif
