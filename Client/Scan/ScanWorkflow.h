#pragma once

class CRegClientDlg;
class CStatusDlg;

// Creates the home page and the first scan steps in the main window and
// joins them to its page switch, its scan requests and the settings' last
// scan date. The later steps come from the application object as they are.
void ConnectScanWorkflow(CRegClientDlg& window, CStatusDlg& home);
