// CProject: the project model, filled from the project record of the
// package, with the directories the path macros stand for and the operations
// on them: loading the record, expanding path macros and creating the
// directories on the way to a file.
//
// The setup wizard is a CProject (through the installation engine): these
// members are the wizard's own, and it owns the open package stream.
#ifndef KV_PACKAGE_PROJECT_H
#define KV_PACKAGE_PROJECT_H

#include "classlib/arrays.h"
#include "classlib/strings.h"
#include "record.h"
#include "stream.h"

// Size of the buffers every project string is read into.
#define KV_PROJECT_STRING 512

class CProject
{
public:
    CProject();
    virtual ~CProject();

    // Takes the Windows, System and program-files directories of this
    // machine. Runs before LoadProject, whose default main directory may
    // name them.
    virtual void ReadDirectories();

    // Reads the whole project record from the package stream into the
    // model. 1 when every field was read; 0 when the record ended early or
    // held a string too long for its buffer (the rest of the model is then
    // empty). The running and the stored checksum are kept either way.
    int LoadProject();
    int RecordChecksumMatches() { return m_nRecordCrc == m_nStoredCrc; }

    // Expands the path macros of text, a buffer of size bytes, in place.
    // 0 when an expansion would not fit: the text is then left as it was.
    int ReplaceMacro(char* text, int size);

    // Creates every missing directory of the directory part of path. The
    // text is changed during the call and restored before it returns.
    void BuildPath(char* path);

protected:
    // Creates one directory; an existing one is the normal case.
    virtual void MakeDirectory(const char* path);

public:
    // Project model.
    CString m_strProduct;
    CString m_strVersion;
    CString m_strCompany;
    CString m_strCopyright;
    int m_nReadme;
    int m_nLicence;
    CString m_strMainDir;
    int m_nUninstaller;
    int m_nPassword;
    int m_nPasswordCrc;
    CString m_strSpare1;
    CString m_strSpare2;
    CString m_strSpare3;
    CString m_strSpare4;
    CStringArray m_spareList;
    CString m_strSpare5;
    CString m_strSpare6;
    CString m_strEndRun;
    CString m_strStartRun;
    int m_nReserved;

    CPackageStream m_package;

    // Directories of this machine.
    CString m_strWindowsDir;
    CString m_strProgramDir;
    CString m_strSystemDir;

    // File list: kind character, replace-mode character, target.
    CStringArray m_fileList;
    // The six parallel object lists.
    CStringArray m_kindList;
    CStringArray m_titleList;
    CStringArray m_keyList;
    CStringArray m_folderList;
    CStringArray m_workDirList;
    CStringArray m_targetList;

    // Running checksum reached after field 28, and the one the record stores.
    unsigned long m_nRecordCrc;
    unsigned long m_nStoredCrc;

private:
    CProject(const CProject&);
    unsigned long ReadObject(unsigned long crc);
};

#endif
