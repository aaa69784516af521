#pragma once
// Resources of the framework's window tests (FrameworkTest.rc).
#define IDD_TEST_MODAL 9001
#define IDD_TEST_PAGE 9002
#define IDC_TEST_PUSH 100
#define IDC_TEST_TEXT 101
#define IDC_TEST_CHECK 102
#define IDS_TEST_TEXT 9500
