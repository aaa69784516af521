#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Client/Scan/CAbstractScanItemsInfo.h"

// The one stand-in for the results store in tests: a fixed list of findings,
// walked in list order, and a record of the marks it was told to exclude.
class FakeScanItems : public CAbstractScanItemsInfo
{
public:
    struct Item
    {
        std::string text;
        DWORD category = 0;
        bool excluded = false;
    };

    void Add(const std::string& text, DWORD category, bool excluded = false);
    std::vector<Item> items;
    std::vector<std::string> excludedMarks;
    int skipRecycleBin = 0;
    int skipTempFiles = 0;

    void Clear() override { items.clear(); }
    int AddFoundItem(const char* text, DWORD category, int, int) override;
    bool HasItems(DWORD category) override;
    int GetItemValue(const char*) override { return 0; }
    int GetItemCount(DWORD category) override;
    DWORD GetFoundMask() override;
    int GetItems(std::vector<const char*>* out, DWORD category) override;
    int MoveFirst() override;
    int MoveNext() override;
    const char* GetCurrentText() override;
    DWORD GetCurrentCategory() override;
    void ExcludeItem(const char* mark, int, int) override { excludedMarks.push_back(mark ? mark : ""); }
    void SetSaveIgnoreList(int) override {}
    int LoadIgnoreList() override { return 0; }
    int AppendIgnoreList() override { return 0; }
    int Reserved16() override { return 0; }
    int GetRecord(int, ScanItemRecord*) override { return 0; }
    int IsCurrentItemExcluded() override;
    int GetIgnoreList(std::map<std::string, int>*) override { return 0; }
    int ReloadIgnoreList() override { return 0; }
    int WriteIgnoreList(const std::map<std::string, int>&) override { return 0; }
    int WriteScanLog() override { return 0; }
    int IsIgnored(const char*, int, const ScanItemRecord*) override { return 0; }
    int AddIgnoreEntry(const char*, const char*, int, int) override { return 0; }
    int SkipRecycleBin() override { return skipRecycleBin; }
    int SkipTempFiles() override { return skipTempFiles; }

private:
    size_t m_cursor = 0;
};
