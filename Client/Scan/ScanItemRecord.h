#pragma once
// Contract of Quillomar.exe and qmsag.dll: shared by both binaries and frozen
// (a change breaks a program or engine built apart from the other). It passes
// standard-library types, so both must come from one build with one runtime.
#include <string>
#include <vector>

// A number and a text: a root key and a key path in the startup manager.
struct IdStringEntry
{
    int value = 0;
    std::string text;
};

// A record of the results store; the first text is the record's item text.
struct ScanItemRecord
{
    int id = 0;
    int secondNumber = 0;
    std::string itemText;
    std::string secondText;
    std::string thirdText;
    int number = 0;
    std::vector<IdStringEntry> entries;
};
