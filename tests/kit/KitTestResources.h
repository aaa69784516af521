#pragma once
// Dialog templates the window tests build their windows from.
#define IDD_TEST_MODAL 9001
#define IDD_TEST_PAGE 9002
#define IDC_TEST_PUSH 100
#define IDC_TEST_TEXT 101
#define IDC_TEST_CHECK 102
