// Resource ids of the home page, the scan options page and the scan progress
// page. The step buttons' skins 320-325 come with the results page.
#pragma once

// Templates.
#define IDD_STATUS_PAGE 130
#define IDD_SCAN_PAGE 166
#define IDD_SCANNING_PAGE 173

// Backgrounds.
#define IDB_STATUS_BACKGROUND 134
#define IDB_SCAN_BACKGROUND 190
#define IDB_SCANNING_BACKGROUND 366
#define IDB_SCANNED_BACKGROUND 394

// Buttons: normal, pressed / hover.
#define IDB_SCAN_START_NORMAL 180
#define IDB_SCAN_START_HOVER 181
#define IDB_CANCEL_SCAN_NORMAL 191
#define IDB_CANCEL_SCAN_HOVER 192
#define IDB_STEP_BACK_NORMAL 320
#define IDB_STEP_BACK_HOVER 322
#define IDB_STEP_NEXT_NORMAL 323
#define IDB_STEP_NEXT_HOVER 325
#define IDB_PAUSE_SCAN_NORMAL 377
#define IDB_PAUSE_SCAN_HOVER 378
#define IDB_RESUME_SCAN_NORMAL 383
#define IDB_RESUME_SCAN_HOVER 384
// Greyed faces of the progress page's buttons.
#define IDB_CANCEL_SCAN_DISABLED 3191
#define IDB_STEP_BACK_DISABLED 3320
#define IDB_STEP_NEXT_DISABLED 3323

// Category marks of the progress page: not scanned, scanned (two row
// tints), found.
#define IDB_MARK_NEUTRAL 337
#define IDB_MARK_PENDING 163
#define IDB_MARK_FOUND 164
#define IDB_MARK_PENDING_TINT 342
#define IDB_MARK_FOUND_TINT 343

// The busy picture of each category row (a GIF of the kit).
#define IDR_SCAN_SPINNER 334

// Controls of the scan options page.
#define IDC_SCAN_START 1017

// Controls of the progress page.
#define IDC_CANCEL_SCAN 1013
#define IDC_PAUSE_SCAN 1014
#define IDC_RESUME_SCAN 1015
#define IDC_PROGRESS_BACK 1019
#define IDC_SHOW_RESULTS 1020
#define IDC_SCAN_CATEGORY 1022
#define IDC_SCAN_ITEM 1023
#define IDC_FOUND_COUNT 1026
#define IDC_SCAN_STATE 1028
#define IDC_SCAN_PERCENT 1046
#define IDC_SCAN_FOUND_LIST 1047
#define IDC_SCAN_CATEGORY_STEPS 1048
#define IDC_SCAN_WAIT 1167
#define IDC_SCAN_JUNK 1197

// Hover texts of three scan options (the other category texts are the
// results page's).
#define IDS_DESCRIPTION_STARTUP_OPTION 161
#define IDS_DESCRIPTION_FILE_PATHS 181
#define IDS_DESCRIPTION_EMPTY_KEYS 182
