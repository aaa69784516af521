#pragma once
// Contract of Quillomar.exe and qmsag.dll: shared by both binaries and frozen
// (a change breaks a program or engine built apart from the other). It passes
// standard-library types, so both must come from one build with one runtime.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "Client/Scan/ScanItemRecord.h"

// The scan-results store as the engine sees it. The program implements it
// (CScanItemsInfo); the engine's repair job walks it with the cursor. The
// order of the virtual operations is shared by the program and qmsag.dll.
// Containers handed across are only read or copied during the call.
class CAbstractScanItemsInfo
{
public:
    virtual ~CAbstractScanItemsInfo() = default;

    virtual void Clear() = 0;
    virtual int AddFoundItem(const char* text, DWORD category, int firstValue, int secondValue) = 0;
    virtual bool HasItems(DWORD category) = 0;
    virtual int GetItemValue(const char* text) = 0;
    virtual int GetItemCount(DWORD category) = 0;
    virtual DWORD GetFoundMask() = 0;
    virtual int GetItems(std::vector<const char*>* out, DWORD category) = 0;
    virtual int MoveFirst() = 0;
    virtual int MoveNext() = 0;
    virtual const char* GetCurrentText() = 0;
    virtual DWORD GetCurrentCategory() = 0;
    virtual void ExcludeItem(const char* mark, int unused, int number) = 0;
    virtual void SetSaveIgnoreList(int on) = 0;
    virtual int LoadIgnoreList() = 0;
    virtual int AppendIgnoreList() = 0;
    virtual int Reserved16() = 0;
    virtual int GetRecord(int id, ScanItemRecord* out) = 0;
    virtual int IsCurrentItemExcluded() = 0;
    virtual int GetIgnoreList(std::map<std::string, int>* out) = 0;
    virtual int ReloadIgnoreList() = 0;
    virtual int WriteIgnoreList(const std::map<std::string, int>& entries) = 0;
    virtual int WriteScanLog() = 0;
    virtual int IsIgnored(const char* text, int category, const ScanItemRecord* record) = 0;
    virtual int AddIgnoreEntry(const char* item, const char* category, int firstValue, int secondValue) = 0;
    virtual int SkipRecycleBin() = 0;
    virtual int SkipTempFiles() = 0;
};
