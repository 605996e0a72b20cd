/* COMCTL32 of the POSIX build: the tab control. */
#ifndef KV_PLATFORM_COMMCTRL_H
#define KV_PLATFORM_COMMCTRL_H
#include "windef.h"
#include "winuser.h"

#ifdef __cplusplus
extern "C" {
#endif

#define WC_TABCONTROLA "SysTabControl32"
#define WC_TABCONTROL WC_TABCONTROLA

typedef struct tagTCITEMA {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
} TCITEMA, *LPTCITEMA;
typedef TCITEMA TCITEM;

typedef struct tagTOOLTIPTEXTA {
  NMHDR hdr;
  LPSTR lpszText;
  char szText[80];
  HINSTANCE hinst;
  UINT uFlags;
} TOOLTIPTEXTA, *LPTOOLTIPTEXTA;

#define TCIF_TEXT 0x0001
#define TCIF_IMAGE 0x0002
#define TCIF_PARAM 0x0008
#define TCIF_STATE 0x0010

#define TCS_TABS 0x0000
#define TCS_BUTTONS 0x0100
#define TCS_MULTILINE 0x0200
#define TCS_FIXEDWIDTH 0x0400
#define TCS_FOCUSNEVER 0x8000

#define TCM_FIRST 0x1300
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_GETITEMA (TCM_FIRST + 5)
#define TCM_SETITEMA (TCM_FIRST + 6)
#define TCM_INSERTITEMA (TCM_FIRST + 7)
#define TCM_DELETEITEM (TCM_FIRST + 8)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)

#define TCN_FIRST (0U - 550U)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)

#define TTN_FIRST (0U - 520U)
#define TTN_NEEDTEXTA (TTN_FIRST - 0)
#define TTN_GETDISPINFOA TTN_NEEDTEXTA

#define ICC_TAB_CLASSES 0x00000008

void WINAPI InitCommonControls(void);

#ifdef __cplusplus
}
#endif

#endif
