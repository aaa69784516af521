#pragma once
// Resources of the late-loaded libraries' test (LateImportsTest.rc).
#define IDB_LATE_STRIP 9100
#define IDR_LATE_PICTURE 9101
