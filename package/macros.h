// Case-insensitive search and replace on character buffers: the basis of
// every macro expansion. Only the ASCII letters fold; every other byte is
// compared exactly.
#ifndef KV_PACKAGE_MACROS_H
#define KV_PACKAGE_MACROS_H

// The first position where pattern begins in text, or null. An empty
// pattern is never found.
char* StrFindNoCase(char* text, const char* pattern);

// Replaces the first occurrence of pattern in text, a buffer of size bytes,
// by replacement, and returns the position of the replacement. Null when
// there is no occurrence or the result would not fit the buffer; the text
// is then unchanged.
char* StrReplaceNoCase(char* text, const char* pattern, const char* replacement, int size);

// Puts replacement in place of the patternLength characters at p, inside a
// text whose terminating NUL lies in the same buffer.
void StrReplaceAt(char* p, int patternLength, const char* replacement);

#endif
