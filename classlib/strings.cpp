// CString: exact growth, byte comparisons, and the derived-result string.
#include "strings.h"

#include <new>
#include <string.h>

static int TextLength(const char* text)
{
    return (int)strlen(text);
}

static unsigned char FoldLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? (unsigned char)(c + 0x20) : c;
}

CString::CString() : m_nLength(0), m_nCapacity(128), m_pchData(0), m_pDerived(0)
{
    m_pchData = new (std::nothrow) char[129];
    if (m_pchData)
        m_pchData[0] = 0;
    else
        Lose();
}

CString::CString(char* text) : m_nLength(0), m_nCapacity(0), m_pchData(0), m_pDerived(0)
{
    int n = TextLength(text);
    m_pchData = new (std::nothrow) char[n + 1];
    if (!m_pchData) {
        Lose();
        return;
    }
    memcpy(m_pchData, text, n + 1);
    m_nLength = n;
    m_nCapacity = (unsigned)n;
}

CString::~CString()
{
    delete[] m_pchData;
    delete m_pDerived;
}

void CString::Lose()
{
    delete[] m_pchData;
    m_pchData = 0;
    m_nLength = 0;
    m_nCapacity = 0;
}

// Grows the buffer to exactly n + 1 bytes when n exceeds the capacity.
// keep: carry the current text over. 0 when the block cannot be had.
int CString::Reserve(unsigned n, int keep)
{
    if (n <= m_nCapacity)
        return 1;
    char* block = new (std::nothrow) char[n + 1];
    if (!block) {
        Lose();
        return 0;
    }
    if (keep)
        memcpy(block, m_pchData, m_nLength + 1);
    else
        block[0] = 0;
    delete[] m_pchData;
    m_pchData = block;
    m_nCapacity = n;
    return 1;
}

void CString::Empty()
{
    if (!m_pchData)
        return;
    m_pchData[0] = 0;
    m_nLength = 0;
}

char CString::GetAt(int i)
{
    if (!m_pchData || i < 0 || i >= m_nLength)
        return 0;
    return m_pchData[i];
}

void CString::CopyFrom(char* text)
{
    if (!m_pchData || text == m_pchData)
        return;
    int n = TextLength(text);
    if (!Reserve((unsigned)n, 0))
        return;
    memmove(m_pchData, text, n + 1);
    m_nLength = n;
}

void CString::Append(char* text)
{
    if (!m_pchData)
        return;
    int n = TextLength(text);
    if (!Reserve((unsigned)(m_nLength + n), 1))
        return;
    memcpy(m_pchData + m_nLength, text, n + 1);
    m_nLength += n;
}

int CString::AssignExact(const char* text, int n)
{
    if (n < 0)
        n = 0;
    char* block = new (std::nothrow) char[n + 1];
    if (!block) {
        Lose();
        return 0;
    }
    memcpy(block, text, n);
    block[n] = 0;
    delete[] m_pchData;
    m_pchData = block;
    m_nCapacity = (unsigned)n;
    m_nLength = TextLength(block);   // the text ends at its first NUL
    return 1;
}

int CString::Equals(char* text)
{
    if (!m_pchData)
        return 0;
    return strcmp(m_pchData, text) == 0;
}

int CString::EqualsIgnoreCase(char* text)
{
    if (!m_pchData)
        return 0;
    const unsigned char* a = (const unsigned char*)m_pchData;
    const unsigned char* b = (const unsigned char*)text;
    for (;; ++a, ++b) {
        if (FoldLower(*a) != FoldLower(*b))
            return 0;
        if (*a == 0)
            return 1;
    }
}

int CString::StartsWith(char* text)
{
    if (!m_pchData)
        return 0;
    int n = TextLength(text);
    if (n > m_nLength)
        return 0;
    return memcmp(m_pchData, text, n) == 0;
}

int CString::IndexOf(char c)
{
    if (!m_pchData)
        return -1;
    for (int i = 0; i <= m_nLength; ++i)
        if (m_pchData[i] == c)
            return i;
    return -1;
}

int CString::IndexOf(char* text)
{
    if (!m_pchData)
        return -1;
    const char* hit = strstr(m_pchData, text);
    return hit ? (int)(hit - m_pchData) : -1;
}

int CString::LastIndexOf(char c)
{
    if (!m_pchData)
        return -1;
    int last = -1;
    for (int i = 0; i < m_nLength; ++i)
        if (m_pchData[i] == c)
            last = i;
    return last;
}

// Scans forward and resumes one character after each hit, so overlapping
// occurrences count (in "aaa" the last "aa" starts at 1).
int CString::LastIndexOf(char* text)
{
    if (!m_pchData || text[0] == 0)
        return -1;
    int last = -1;
    const char* from = m_pchData;
    for (;;) {
        const char* hit = strstr(from, text);
        if (!hit)
            return last;
        last = (int)(hit - m_pchData);
        from = hit + 1;
    }
}

// Puts n characters of text into the derived-result string, creating it on
// first use. Null when it cannot be had.
CString* CString::Derived(char* text, int n)
{
    if (!m_pDerived) {
        m_pDerived = new (std::nothrow) CString();
        if (!m_pDerived)
            return 0;
    }
    CString* d = m_pDerived;
    if (!d->m_pchData)
        return d;
    if (!d->Reserve((unsigned)n, 0))
        return d;
    memcpy(d->m_pchData, text, n);
    d->m_pchData[n] = 0;
    d->m_nLength = n;
    return d;
}

// When the derived-result string itself cannot be allocated, the owner is
// returned: callers get a valid reference whose text is the unchanged owner.
CString& CString::Substring(int begin)
{
    return Substring(begin, m_pchData ? m_nLength : 0);
}

CString& CString::Substring(int begin, int end)
{
    CString* d;
    if (!m_pchData || begin < 0 || begin >= m_nLength || end < 0 || end > m_nLength)
        d = Derived((char*)"", 0);
    else if (end < begin)
        d = Derived(m_pchData + begin, m_nLength - begin);
    else
        d = Derived(m_pchData + begin, end - begin);
    return d ? *d : *this;
}

CString& CString::ToLowerCase()
{
    CString* d = Derived(m_pchData ? m_pchData : (char*)"", m_pchData ? m_nLength : 0);
    if (!d)
        return *this;
    for (int i = 0; i < d->GetLength(); ++i)
        if (d->m_pchData[i] >= 'A' && d->m_pchData[i] <= 'Z')
            d->m_pchData[i] += 0x20;
    return *d;
}

CString& CString::ToUpperCase()
{
    CString* d = Derived(m_pchData ? m_pchData : (char*)"", m_pchData ? m_nLength : 0);
    if (!d)
        return *this;
    for (int i = 0; i < d->GetLength(); ++i)
        if (d->m_pchData[i] >= 'a' && d->m_pchData[i] <= 'z')
            d->m_pchData[i] -= 0x20;
    return *d;
}
