// Resource ids of the threat pop-up.
#pragma once

#define IDD_THREAT_POPUP 241
#define IDB_POPUP_BACKGROUND 242
#define IDB_POPUP_HEADING 317

#define IDC_POPUP_ALLOW 1064
#define IDC_POPUP_MESSAGE 1114
#define IDC_POPUP_HINT 1115
#define IDC_POPUP_HEADING 1142
