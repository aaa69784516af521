#pragma once
// Resources of the framework's window tests (FrameworkTest.rc).
#define IDD_TEST_MODAL 9001
#define IDD_TEST_PAGE 9002
#define IDD_TEST_LISTS 9003
#define IDD_TEST_NAMED_BUTTON 9004
#define IDC_TEST_LIST 103
#define IDC_TEST_PUSH 100
#define IDC_TEST_TEXT 101
#define IDC_TEST_CHECK 102
#define IDS_TEST_TEXT 9500
