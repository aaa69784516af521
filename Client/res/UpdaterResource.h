// Resource ids of the updater dialog.
#pragma once

#define IDD_UPDATER 358
#define IDR_UPDATE_ANIMATION 361
#define IDB_UPDATER_BACKGROUND 363

#define IDC_UPDATE_STATUS 1016
#define IDC_UPDATE_ANIMATION 1224
#define IDC_UPDATE_TITLE 1226
