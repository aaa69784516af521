#pragma once
#include <windows.h>

#include <string>

// Where registry backups live and how they are named. The engine writes
// there and the backup page lists the same folder, so both take it from here.
namespace BackupFolder
{
// The program's folder, "RegBackup" and a backslash.
std::string BaseFolder();
// The base folder and one subfolder per machine and user, without a
// trailing backslash: computer name and "-", volume serial of the Windows
// drive and "-", then the user name. Each part only when its call works;
// the user name only when it is shorter than the computer name (both calls
// share one size, and the backup page lists the same way).
std::string MachineFolder();
// "DDMMYYYY_HHMMSS" and "_FULL_REGBACKUP.rbk" or "_REGBACKUP.rbk".
std::string FileName(const SYSTEMTIME& time, bool full);
// Makes both folders when missing; false when either cannot be had (such as
// a file of that name in the way).
bool Create();
}
