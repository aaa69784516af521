// Resource ids of the About page.
#pragma once

#define IDD_ABOUT 100
#define IDI_ABOUT_ICON 156
#define IDB_ABOUT_BACKGROUND 396

#define IDC_ABOUT_VERSION 1231
#define IDC_ABOUT_NOTICE 1233
