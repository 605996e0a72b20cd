// Start-menu program objects: a folder below the current user's Programs
// folder, or a shell link to a program in such a folder.
#ifndef KV_SETUP_PROGRAMOBJECT_H
#define KV_SETUP_PROGRAMOBJECT_H

// kind "WPFolder" (any case) makes the directory name below the Programs
// folder; any other kind makes the link folder\name.lnk below it, to target
// with the given arguments and working directory. 1 when the folder or link
// was made; 0 when it was not, for instance because the Programs folder is
// not known or the path would not fit.
int CreateProgramObject(const char* kind, const char* name, const char* target,
                        const char* arguments, const char* workingDirectory, const char* folder);

#endif
