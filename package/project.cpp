// Loading the project record into the model, field after field, with the
// running checksum over everything read.
#include "project.h"

#include <string.h>

#include "macros.h"

static const char s_objectId[] = "OBJECTID=";
#define KV_OBJECTID_LENGTH 9

// One string field of the record into its member; the caller's buffer
// carries the text.
static unsigned long ReadText(CPackageStream* s, char* buffer, int size, CString& field, unsigned long crc)
{
    crc = ReadString(s, buffer, size, crc);
    field.CopyFrom(buffer);
    return crc;
}

CProject::CProject()
    : m_nReadme(0), m_nLicence(0), m_nUninstaller(0), m_nPassword(0), m_nPasswordCrc(0),
      m_nReserved(0), m_nRecordCrc(0), m_nStoredCrc(0)
{
}

CProject::~CProject()
{
}

// One object record: its kind, then the strings that kind carries. Folders
// and programs become one entry in each of the six object lists.
unsigned long CProject::ReadObject(unsigned long crc)
{
    char buffer[KV_PROJECT_STRING];
    int kind = 0;
    crc = ReadInt(&m_package, &kind, crc);
    if (kind == 2 || kind == 3) {
        for (int i = (kind == 2 ? 3 : 8); i > 0; --i)
            crc = ReadString(&m_package, buffer, sizeof(buffer), crc);
        return crc;
    }
    if (kind != 4 && kind != 5)
        return crc;

    // The parent, as "OBJECTID=" and its id, names the earlier object whose
    // key holds the same text; that object's title is the folder.
    memcpy(buffer, s_objectId, KV_OBJECTID_LENGTH);
    crc = ReadString(&m_package, buffer + KV_OBJECTID_LENGTH,
                     sizeof(buffer) - KV_OBJECTID_LENGTH, crc);
    if (m_package.Failed())
        return crc;
    int parent = -1;
    for (int i = 0; i < m_keyList.GetSize() && parent < 0; ++i)
        if (m_keyList[i].EqualsIgnoreCase(buffer))
            parent = i;
    if (parent >= 0)
        m_folderList.Add(m_titleList[parent]);
    else
        m_folderList.Add(buffer);

    crc = ReadString(&m_package, buffer, sizeof(buffer), crc);
    m_titleList.Add(buffer);
    if (kind == 4) {
        m_kindList.Add((char*)"WPFolder");
        memcpy(buffer, s_objectId, KV_OBJECTID_LENGTH);
        crc = ReadString(&m_package, buffer + KV_OBJECTID_LENGTH,
                         sizeof(buffer) - KV_OBJECTID_LENGTH, crc);
        m_keyList.Add(buffer);
        m_workDirList.Add((char*)"");
        m_targetList.Add((char*)"");
        return crc;
    }
    m_kindList.Add((char*)"WPProgram");
    crc = ReadString(&m_package, buffer, sizeof(buffer), crc);  // program type
    crc = ReadString(&m_package, buffer, sizeof(buffer), crc);
    m_targetList.Add(buffer);
    crc = ReadString(&m_package, buffer, sizeof(buffer), crc);
    m_keyList.Add(buffer);
    crc = ReadString(&m_package, buffer, sizeof(buffer), crc);
    m_workDirList.Add(buffer);
    crc = ReadString(&m_package, buffer, sizeof(buffer), crc);
    crc = ReadString(&m_package, buffer, sizeof(buffer), crc);
    return crc;
}

int CProject::LoadProject()
{
    char buffer[KV_PROJECT_STRING];
    CPackageStream* s = &m_package;
    int value = 0;
    unsigned long crc = KV_RECORD_CRC_START;

    crc = ReadInt(s, &value, crc);  // format value
    crc = ReadText(s, buffer, sizeof(buffer), m_strProduct, crc);
    crc = ReadText(s, buffer, sizeof(buffer), m_strVersion, crc);
    crc = ReadText(s, buffer, sizeof(buffer), m_strCompany, crc);
    crc = ReadText(s, buffer, sizeof(buffer), m_strCopyright, crc);
    crc = ReadInt(s, &m_nReadme, crc);
    crc = ReadString(s, buffer, sizeof(buffer), crc);  // readme source
    crc = ReadInt(s, &m_nLicence, crc);
    crc = ReadString(s, buffer, sizeof(buffer), crc);  // licence source

    // The main directory is still empty here, so %MAINDIR% in the default
    // expands to nothing. A default too long to expand is kept as stored.
    crc = ReadString(s, buffer, sizeof(buffer), crc);
    ReplaceMacro(buffer, sizeof(buffer));
    m_strMainDir.CopyFrom(buffer);

    int count = 0;
    crc = ReadInt(s, &count, crc);
    for (int i = 0; i < count && !s->Failed(); ++i) {
        // Two characters in front of the target: kind and replace mode.
        char entry[2 + KV_PROJECT_STRING];
        int kind = 0;
        entry[0] = ' ';
        entry[1] = ' ';
        crc = ReadInt(s, &kind, crc);
        crc = ReadString(s, entry + 2, KV_PROJECT_STRING, crc);
        if (kind == 1)
            entry[0] = '0';
        else if (kind == 0)
            entry[0] = '1';
        if (kind == 1) {
            int mode = 0;
            crc = ReadInt(s, &mode, crc);
            if (mode >= 0 && mode <= 3)
                entry[1] = (char)('0' + mode);
        }
        if (!s->Failed())
            m_fileList.Add(entry);
    }

    crc = ReadInt(s, &count, crc);
    for (int i = 0; i < count && !s->Failed(); ++i)
        crc = ReadObject(crc);

    crc = ReadInt(s, &m_nUninstaller, crc);
    crc = ReadInt(s, &m_nPassword, crc);
    crc = ReadInt(s, &m_nPasswordCrc, crc);
    crc = ReadText(s, buffer, sizeof(buffer), m_strSpare1, crc);
    crc = ReadText(s, buffer, sizeof(buffer), m_strSpare2, crc);
    crc = ReadText(s, buffer, sizeof(buffer), m_strSpare3, crc);
    crc = ReadText(s, buffer, sizeof(buffer), m_strSpare4, crc);
    crc = ReadInt(s, &count, crc);
    for (int i = 0; i < count && !s->Failed(); ++i) {
        crc = ReadString(s, buffer, sizeof(buffer), crc);
        if (!s->Failed())
            m_spareList.Add(buffer);
    }
    crc = ReadText(s, buffer, sizeof(buffer), m_strSpare5, crc);
    crc = ReadText(s, buffer, sizeof(buffer), m_strSpare6, crc);
    crc = ReadText(s, buffer, sizeof(buffer), m_strEndRun, crc);
    crc = ReadText(s, buffer, sizeof(buffer), m_strStartRun, crc);
    crc = ReadInt(s, &m_nReserved, crc);
    m_nRecordCrc = crc;
    ReadInt(s, &value, 0);
    m_nStoredCrc = (unsigned long)(unsigned)value;
    return !s->Failed();
}
