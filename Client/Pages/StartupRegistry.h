#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Client/Pages/StartupChange.h"
#include "Client/Pages/StartupRegistryEntry.h"
#include "Client/Scan/ScanItemRecord.h"

// The registry side of the startup manager: the Run values, the records of
// disabled ones under "startupreg", and the moves between the two. Every
// change keeps one of the two copies complete: a value is taken out only
// after its record was fully written, and a record is deleted only after
// its value was written back.
namespace StartupRegistry
{
// Appends one entry per Run value of each key (one per non-empty string of a
// REG_MULTI_SZ value); values of size 0 are passed over.
void ReadRunValues(const std::vector<IdStringEntry>& runKeys, std::vector<StartupRegistryEntry>& entries);
// Appends one entry per record with a command.
void ReadRecords(std::vector<StartupRegistryEntry>& entries);

// Writes the record of an enabled entry, then takes the value (or its one
// string) out of its Run key. Nothing is changed when either step fails or
// the value's type cannot be kept in a record.
StartupChange Disable(const StartupRegistryEntry& entry);
// Writes a disabled entry back under its key with its own type, then deletes
// its record. A live value of that name that came back meanwhile is never
// written over; the record stays whenever the value is not back.
StartupChange Enable(const StartupRegistryEntry& entry);
// Deletes the record of a disabled entry, or the value of an enabled one.
StartupChange Remove(const StartupRegistryEntry& entry);

// The program's file name without extension, in the case the command has;
// "" when the command names no ".exe" file in a folder.
std::string ExeNameFromCommand(const std::string& command);

// The subkey name a record of valueName starts from: "\" would nest keys
// and the empty name would name the parent, so neither stays.
std::string RecordNameBase(const std::string& valueName);

// Deletes the record subkey name under the record key parentPath (never the
// parent itself). The subkey is deleted in the 64-bit view. The Windows
// error code of the deletion.
LONG DeleteRecordKey(const char* parentPath, REGSAM parentAccess, const std::string& name);
// Whether this user may delete that record: asked before a step that a
// record which then stays would leave half-done.
LONG CheckRecordDeletable(const char* parentPath, const std::string& name);
}
