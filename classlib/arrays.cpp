// The two arrays share one growth rule: a full block is replaced by one of
// capacity + grow step slots, carrying every slot (in use or not) along.
#include "arrays.h"

#include <new>
#include <string.h>

// A step below one would leave a full block full and let the next write run
// past its end; growth always adds at least one slot.
static int StepOf(int growBy)
{
    return growBy > 0 ? growBy : 1;
}

// ---- CStringArray ---------------------------------------------------------

CStringArray::CStringArray() : m_nSize(0), m_nMaxSize(0), m_nGrowBy(4), m_pData(0)
{
    m_pData = new (std::nothrow) CString[8];
    if (m_pData)
        m_nMaxSize = 8;
}

CStringArray::~CStringArray()
{
    delete[] m_pData;
}

// Sets the capacity. On a negative size or a failed allocation the array
// keeps its block and elements unchanged.
void CStringArray::SetSize(int newSize, int growBy)
{
    if (growBy != -1)
        m_nGrowBy = growBy;
    if (newSize < 0)
        return;
    CString* block = new (std::nothrow) CString[newSize > 0 ? newSize : 1];
    if (!block)
        return;
    if (m_pData) {
        int keep = newSize < m_nMaxSize ? newSize : m_nMaxSize;
        for (int i = 0; i < keep; ++i)
            block[i] = m_pData[i];
        delete[] m_pData;
    }
    m_pData = block;
    m_nMaxSize = newSize;
    if (m_nSize > newSize)
        m_nSize = newSize;
}

int CStringArray::GrowIfFull()
{
    if (m_nSize >= m_nMaxSize)
        SetSize(m_nMaxSize + StepOf(m_nGrowBy));
    return m_nSize < m_nMaxSize;
}

void CStringArray::SetElementAt(int i, char* value)
{
    if (i >= 0 && i < m_nSize)
        m_pData[i] = value;
}

// A value that is the text of one of this array's own slots would die with
// the old block when the array grows; such a value is taken by its index.
void CStringArray::Add(char* value)
{
    InsertAt(m_nSize, value);
}

void CStringArray::InsertAt(int i, char* value)
{
    if (i < 0 || i > m_nSize)
        return;
    // Only growth and shifting can disturb a value that lives in a slot.
    int own = -1;
    if (m_nSize >= m_nMaxSize || i < m_nSize)
        for (int k = 0; k < m_nMaxSize && own < 0; ++k)
            if (m_pData[k].GetBuffer(0) == value)
                own = k;
    if (!GrowIfFull())
        return;
    if (own >= 0) {
        // Copy it away before the slots move.
        CString copy;
        copy = m_pData[own];
        for (int k = m_nSize; k > i; --k)
            m_pData[k] = m_pData[k - 1];
        m_pData[i] = copy;
    } else {
        for (int k = m_nSize; k > i; --k)
            m_pData[k] = m_pData[k - 1];
        m_pData[i] = value;
    }
    ++m_nSize;
}

// Removes exactly one element; the count argument is accepted and not used.
void CStringArray::RemoveAt(int i, int)
{
    if (i < 0 || i >= m_nSize)
        return;
    for (int k = i; k < m_nSize - 1; ++k)
        m_pData[k] = m_pData[k + 1];
    m_pData[m_nSize - 1] = (char*)"";
    --m_nSize;
}

CStringArray& CStringArray::operator=(CStringArray& other)
{
    if (&other == this)
        return *this;
    RemoveAll();
    for (int i = 0; i < other.GetSize(); ++i)
        Add(other[i]);
    return *this;
}

// ---- CPtrArray ------------------------------------------------------------

CPtrArray::CPtrArray() : m_nSize(0), m_nMaxSize(0), m_nGrowBy(4), m_pData(0)
{
    m_pData = new (std::nothrow) void*[8];
    if (m_pData) {
        memset(m_pData, 0, 8 * sizeof(void*));
        m_nMaxSize = 8;
    }
}

CPtrArray::~CPtrArray()
{
    delete[] m_pData;
}

void CPtrArray::SetSize(int newSize, int growBy)
{
    if (growBy != -1)
        m_nGrowBy = growBy;
    if (newSize < 0)
        return;
    void** block = new (std::nothrow) void*[newSize > 0 ? newSize : 1];
    if (!block)
        return;
    memset(block, 0, (newSize > 0 ? newSize : 1) * sizeof(void*));
    if (m_pData) {
        int keep = newSize < m_nMaxSize ? newSize : m_nMaxSize;
        memcpy(block, m_pData, keep * sizeof(void*));
        delete[] m_pData;
    }
    m_pData = block;
    m_nMaxSize = newSize;
    if (m_nSize > newSize)
        m_nSize = newSize;
}

int CPtrArray::GrowIfFull()
{
    if (m_nSize >= m_nMaxSize)
        SetSize(m_nMaxSize + StepOf(m_nGrowBy));
    return m_nSize < m_nMaxSize;
}

void CPtrArray::Add(void* value)
{
    InsertAt(m_nSize, value);
}

void CPtrArray::InsertAt(int i, void* value)
{
    if (i < 0 || i > m_nSize)
        return;
    if (!GrowIfFull())
        return;
    for (int k = m_nSize; k > i; --k)
        m_pData[k] = m_pData[k - 1];
    m_pData[i] = value;
    ++m_nSize;
}

void CPtrArray::RemoveAt(int i, int)
{
    if (i < 0 || i >= m_nSize)
        return;
    for (int k = i; k < m_nSize - 1; ++k)
        m_pData[k] = m_pData[k + 1];
    m_pData[m_nSize - 1] = 0;
    --m_nSize;
}

CPtrArray& CPtrArray::operator=(CPtrArray& other)
{
    if (&other == this)
        return *this;
    RemoveAll();
    for (int i = 0; i < other.GetSize(); ++i)
        Add(other[i]);
    return *this;
}
