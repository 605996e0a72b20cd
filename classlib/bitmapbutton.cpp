// CBitmapButton: state bitmaps loaded from the resources and drawn at the
// button's origin, optionally through a mask: (destination AND mask) OR
// bitmap, so the mask is black where the picture is opaque and the state
// bitmaps are black where the background is to show.
#include "controls.h"

#include <new>

VEK_BEGIN_MESSAGE_MAP(CBitmapButton, CButton)
    VEK_ON_MESSAGE_POINTER(VEK_WM_REFLECT_DRAWITEM, DrawItem)
    VEK_ON_MESSAGE_LONG(WM_ERASEBKGND, OnEraseBackground)
VEK_END_MESSAGE_MAP()

// Loading again gives up what an earlier load left in the bitmap.
static int LoadOwned(CBitmap& bitmap, char* name)
{
    if (bitmap.m_hObject && bitmap.m_bOwns == 1)
        bitmap.DeleteObject();
    bitmap.m_hObject = 0;
    bitmap.m_bOwns = 1;
    return bitmap.LoadBitmapA(name);
}

// A state without bitmap of its own shows the up bitmap; it borrows the
// handle, so the handle is deleted once, by the up bitmap.
static int LoadState(CBitmap& bitmap, char* name, CBitmap& up)
{
    if (!name) {
        if (bitmap.m_hObject && bitmap.m_bOwns == 1)
            bitmap.DeleteObject();
        bitmap.m_hObject = up.m_hObject;
        bitmap.m_bOwns = 0;
        return 1;
    }
    return LoadOwned(bitmap, name);
}

int CBitmapButton::LoadBitmaps(char* up, char* down, char* focus, char* disabled)
{
    if (!LoadOwned(m_bmpUp, up))
        return 0;
    if (!LoadState(m_bmpDown, down, m_bmpUp))
        return 0;
    if (!LoadState(m_bmpFocus, focus, m_bmpUp))
        return 0;
    if (!LoadState(m_bmpDisabled, disabled, m_bmpUp))
        return 0;
    return 1;
}

int CBitmapButton::LoadBitmaps(int up, int down, int focus, int disabled)
{
    return LoadBitmaps(up ? MAKEINTRESOURCEA(up) : 0, down ? MAKEINTRESOURCEA(down) : 0,
                       focus ? MAKEINTRESOURCEA(focus) : 0, disabled ? MAKEINTRESOURCEA(disabled) : 0);
}

static void Blit(CDC& target, CDC& memory, CBitmap& bitmap, int rop)
{
    BITMAP bm;
    if (!bitmap.GetBitmap(&bm))
        return;
    CBitmap* old = memory.SelectObject(&bitmap);
    HGDIOBJ previous = old->m_hObject;
    target.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &memory, 0, 0, rop);
    ::SelectObject(memory.m_hDC, previous);
}

void CBitmapButton::DrawItem(DRAWITEMSTRUCT* item)
{
    if (!item)
        return;
    CDC target(item->hDC);
    CDC memory;
    memory.CreateCompatibleDC(&target);

    int rop = SRCCOPY;
    if (m_bmpMask.m_hObject) {
        Blit(target, memory, m_bmpMask, SRCAND);
        rop = SRCPAINT;
    }

    CBitmap* state = &m_bmpUp;
    if (item->itemState & ODS_SELECTED)
        state = &m_bmpDown;
    else if (item->itemState & ODS_FOCUS)
        state = &m_bmpFocus;
    else if (item->itemState & ODS_DISABLED)
        state = &m_bmpDisabled;
    // Without an up bitmap there is nothing to draw.
    if (state->m_hObject)
        Blit(target, memory, *state, rop);
}
