/* Resource identifiers of the platform layer's user-interface tests. */
#ifndef KV_TESTS_PLATFORM_UI_IDS_H
#define KV_TESTS_PLATFORM_UI_IDS_H

#define IDB_SIDE 129
#define IDS_HELLO 1
#define IDS_SEVENTEEN 17
#define IDM_MAIN 256
#define IDM_OPEN 1001
#define IDM_EXIT 1002

#define IDD_BASIC 100
#define IDD_EXTENDED 101
#define IDD_UNKNOWN_CLASS 102
#define IDD_CHILD 103
#define IDD_DEMO 104
#define IDD_MISSING 999

#define IDC_EDIT 201
#define IDC_CHECK 202
#define IDC_LABEL 203
#define IDC_OWNER 204
#define IDC_LIST 205
#define IDC_TABS 206
#define IDC_PICTURE 207

#define IDC_DEMO_TEXT 220
#define IDC_DEMO_PASSWORD 240
#define IDC_DEMO_DIR 221
#define IDC_DEMO_ACCEPT 239
#define IDC_DEMO_BAR 251
#define IDC_DEMO_PERCENT 252

#endif
