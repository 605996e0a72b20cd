// CStringArray and CPtrArray: growable arrays of strings and of untyped,
// unowned pointers. Both keep a block of slots of which the first count are
// in use; a full block grows by the grow step (8, 12, 16, ... by default)
// and is never shrunk.
#ifndef KV_CLASSLIB_ARRAYS_H
#define KV_CLASSLIB_ARRAYS_H

#include "object.h"
#include "strings.h"

class CStringArray : public CObject
{
public:
    CStringArray();
    virtual ~CStringArray();

    int GetSize() { return m_nSize; }
    int GetUpperBound() { return m_nSize - 1; }
    int GetCapacity() { return m_nMaxSize; }
    void SetSize(int newSize, int growBy = -1);
    void FreeExtra() {}
    void RemoveAll() { m_nSize = 0; }

    CString& ElementAt(int i) { return m_pData[i]; }
    CString& operator[](int i) { return m_pData[i]; }
    void SetElementAt(int i, CString& value) { SetElementAt(i, value.GetBuffer(0)); }
    void SetElementAt(int i, char* value);

    void Add(CString& value) { Add(value.GetBuffer(0)); }
    void Add(char* value);
    CStringArray& operator+=(CString& value) { Add(value); return *this; }
    void InsertAt(int i, CString& value) { InsertAt(i, value.GetBuffer(0)); }
    void InsertAt(int i, char* value);
    void RemoveAt(int i, int count = 1);
    CStringArray& operator=(CStringArray& other);

private:
    CStringArray(const CStringArray&);
    int GrowIfFull();

    int m_nSize;
    int m_nMaxSize;
    int m_nGrowBy;
    CString* m_pData;
};

class CPtrArray : public CObject
{
public:
    CPtrArray();
    virtual ~CPtrArray();

    int GetSize() { return m_nSize; }
    int GetUpperBound() { return m_nSize - 1; }
    int GetCapacity() { return m_nMaxSize; }
    void SetSize(int newSize, int growBy = -1);
    void FreeExtra() {}
    void RemoveAll() { m_nSize = 0; }

    void* ElementAt(int i) { return m_pData[i]; }
    void* operator[](int i) { return m_pData[i]; }
    void SetAt(int i, void* value) { m_pData[i] = value; }

    void Add(void* value);
    CPtrArray& operator+=(void* value) { Add(value); return *this; }
    void InsertAt(int i, void* value);
    void RemoveAt(int i, int count = 1);
    CPtrArray& operator=(CPtrArray& other);

private:
    CPtrArray(const CPtrArray&);
    int GrowIfFull();

    int m_nSize;
    int m_nMaxSize;
    int m_nGrowBy;
    void** m_pData;
};

#endif
