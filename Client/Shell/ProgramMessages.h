#pragma once
#include <windows.h>

// The program's own window messages between its windows and instances. The
// kit's controls keep theirs (skinned-button uncheck, list check, re-font)
// beside the controls.
#define WM_SCAN_SHARED_PATH (WM_USER + 660)
// Posted by a second start with "SCHEDULE": wParam 1.
#define WM_INSTANCE_REQUEST (WM_USER + 700)
#define WM_SCAN_DONE (WM_USER + 750)
#define WM_AUTO_UPDATE (WM_USER + 800)
#define WM_REPAIR_DONE (WM_USER + 850)
#define WM_BACKUP_DONE (WM_USER + 900)
#define WM_DEFRAG_DONE (WM_USER + 950)
// Posted by a page's status face on the job thread to itself: what it kept
// (a status text, a progress bar's position) is to be shown on the window
// thread.
#define WM_JOB_STATUS (WM_USER + 1050)
// Posted by the results page's worker to the page: it knows which findings
// are there as the repair begins, so the repair may go on.
#define WM_PRESENCE_NOTED (WM_USER + 1060)
// Posted by the progress page's picture worker to the page: its animated
// pictures are decoded and may be shown.
#define WM_PICTURES_DECODED (WM_USER + 1070)
// Posted by the settings page's Task Scheduler worker to the page: both work
// items are read; wParam is the read's number.
#define WM_TASKS_READ (WM_USER + 1080)
