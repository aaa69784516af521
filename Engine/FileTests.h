#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

class CTolvEngineProcess;

// The questions every scanner asks about what a registry entry names. Each
// answers "present" (nonzero) or "writable" whenever it cannot judge, so that
// a doubtful entry is never reported. A failure (out of memory) is no answer:
// it goes on to the scan, which then says that its category is incomplete.

// Finds the file a path names, also under the Windows and system folders;
// on success the path may be rewritten to where it was found. 1 found, 0 missing.
int LocateReferencedFile(std::string& path, const CTolvEngineProcess& job);

// Cuts a registry text down to the local file it names and tests that file.
// 0 only for a local path whose file is missing.
int IsReferencedFilePresent(const CTolvEngineProcess& job, std::string text);

// After a failed plain test: nonzero when the path exists in the other
// WOW64 view (system32 to syswow64, program files to program files (x86))
// or when the plain test is refused with access denied.
int FileExistsSecondChance(const CTolvEngineProcess& job, const std::string& path);
// The same with the folding reversed (syswow64 to system32, ...).
int FileExistsSecondChanceNative(const CTolvEngineProcess& job, const std::string& path);

// Lets the shell parse path (for example an 8.3 short name) and writes the
// full path into longPath. 1 when the shell could parse it.
int ExpandShortPath(std::string& longPath, const std::string& path);

// 0 only when opening the key for setting values is refused with access
// denied; rootName is the full name of a predefined key ("HKEY_CURRENT_USER").
int IsKeyWritable(const std::string& rootName, const std::string& keyPath);

// Renders registry data as text ("dword:...", hex lines, or the string);
// leaves text alone for the types it does not render.
void FormatRegistryValueText(const BYTE* data, DWORD type, DWORD length, std::string& text);

// Answers as a find-first lookup of the name: a file, a folder or a wildcard
// match counts. On failure the last error says whether it is missing (file
// or path not found, or an invalid name) as the lookup's would.
bool FindsFileOrFolder(const std::string& path);

// A path still holding a "%...%" variable that the expansion did not know;
// it names no file that can be looked up.
bool HoldsUnexpandedVariable(const std::string& path);
// A path on a network share, or on a drive that is not a fixed disk or not
// there at all: nothing can be judged from here.
bool IsOnUnjudgedRoot(const CTolvEngineProcess& job, const std::string& path);

// A program named without any folder ("app.exe").
bool IsBareProgramName(const std::string& path);

enum ProgramLookup
{
    kProgramMissing,
    kProgramFound,
    kProgramUnjudged, // could not be judged: counts as present
};
// The program an application registration names: its unnamed value, and for
// a bare name there, that name in the registration's "Path" folder. found is
// where the program is.
ProgramLookup JudgeRegisteredProgram(const CTolvEngineProcess& job, std::string program, const std::string& folder,
                                     std::string& found);
// Where Windows looks for a bare program name outside its own folders when
// it starts it: the application registrations, then the folders of PATH.
// 1 found (name rewritten to where) or not judged, 0 missing.
int FindOnProgramSearchPath(std::string& name, const CTolvEngineProcess& job);

// The position of the first extension (".exe") in text that ends a file name:
// followed by the end, a blank, a quote, "/" or ",". npos when there is none.
size_t FindProgramExtension(const std::string& text, size_t from = 0, const char* extension = ".exe");
// Drops everything after the first such extension; false (text unchanged)
// when there is none.
bool CutAfterProgramExtension(std::string& text, const char* extension = ".exe");
