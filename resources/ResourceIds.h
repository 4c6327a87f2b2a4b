/* The numbers of the installer's resources, shared by setup.rc and the
   code that loads them, so each lives in one place. Plain defines: the
   resource compiler reads this file too. */
#ifndef QV_RESOURCE_IDS_H
#define QV_RESOURCE_IDS_H

/* The program's icon, also given to its frame class and its windows. */
#define IDI_PROGRAM 107

/* The eight frames of the busy cursor, shown in turn during an install. */
#define IDC_BUSY_FIRST 209
#define IDC_BUSY_2 210
#define IDC_BUSY_3 211
#define IDC_BUSY_4 212
#define IDC_BUSY_5 213
#define IDC_BUSY_6 214
#define IDC_BUSY_7 215
#define IDC_BUSY_LAST 216

/* The 16 x 20 strip tiled along the bottom of the text viewer. */
#define IDB_VIEWER_FOOTER 22020

/* The frame class's menu: the resources hold none, so frames get none. */
#define IDM_FRAME 100

#endif
