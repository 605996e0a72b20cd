// CString: the library's one text type. A heap-backed, NUL-terminated string
// of 8-bit ANSI characters whose buffer grows to the exact size needed.
//
// Operations that produce a new text (Substring, ToLowerCase, ToUpperCase)
// write into a second string owned by this one, the derived result, and
// return a reference to it; the next such call overwrites it.
//
// A string whose buffer could not be allocated or grown becomes a string
// without buffer: it reads as empty and ignores every further change.
#ifndef KV_CLASSLIB_STRINGS_H
#define KV_CLASSLIB_STRINGS_H

#include "object.h"

class CString : public CObject
{
public:
    CString();
    CString(char* text);
    virtual ~CString();

    int GetLength() { return m_pchData ? m_nLength : 0; }
    unsigned GetCapacity() { return m_nCapacity; }
    int IsEmpty() { return m_nLength == 0 || m_pchData == 0; }
    void Empty();
    char GetAt(int i);
    char operator[](int i) { return GetAt(i); }
    char* GetBuffer(int) { return m_pchData; }
    operator char*() { return GetBuffer(0); }

    void CopyFrom(char* text);
    void CopyFrom(CString& other) { CopyFrom(other.GetBuffer(0)); }
    CString& operator=(char* text) { CopyFrom(text); return *this; }
    CString& operator=(CString& other) { CopyFrom(other); return *this; }

    void Append(char* text);
    void Append(CString& other) { Append(other.GetBuffer(0)); }
    CString& operator+=(char* text) { Append(text); return *this; }
    CString& operator+=(CString& other) { Append(other); return *this; }

    int Equals(char* text);
    int Equals(CString& other) { return Equals(other.GetBuffer(0)); }
    int operator==(char* text) { return Equals(text); }
    int operator==(CString& other) { return Equals(other); }
    int EqualsIgnoreCase(char* text);
    int EqualsIgnoreCase(CString& other) { return EqualsIgnoreCase(other.GetBuffer(0)); }
    int StartsWith(char* text);
    int StartsWith(CString& other) { return StartsWith(other.GetBuffer(0)); }

    int IndexOf(char c);
    int IndexOf(char* text);
    int IndexOf(CString& other) { return IndexOf(other.GetBuffer(0)); }
    int LastIndexOf(char c);
    int LastIndexOf(char* text);
    int LastIndexOf(CString& other) { return LastIndexOf(other.GetBuffer(0)); }

    CString& Substring(int begin);
    CString& Substring(int begin, int end);
    CString& ToLowerCase();
    CString& ToUpperCase();

    // Replaces the buffer with a fresh block of exactly n + 1 bytes holding
    // the first n characters of text (which need not be NUL-terminated).
    // Used by readers that know a length in advance; 0 when the block cannot
    // be had (the string then has no buffer).
    int AssignExact(const char* text, int n);

private:
    CString(const CString&);           // strings are copied by assignment only
    int Reserve(unsigned n, int keep);  // grow to hold n characters
    void Lose();                        // become a string without buffer
    CString* Derived(char* text, int n);

    int m_nLength;
    unsigned m_nCapacity;
    char* m_pchData;
    CString* m_pDerived;
};

#endif
