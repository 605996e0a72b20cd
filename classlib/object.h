// CObject: the root of the class library. No fields; the virtual destructor
// is its only virtual operation, so every derived object can be deleted
// through a CObject pointer.
#ifndef KV_CLASSLIB_OBJECT_H
#define KV_CLASSLIB_OBJECT_H

class CObject
{
public:
    CObject() {}
    virtual ~CObject() {}
};

#endif
