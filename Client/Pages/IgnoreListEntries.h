#pragma once
#include <map>
#include <string>
#include <vector>

// The ignore list as the ignore-list page shows it: one row per entry of
// the results store's map, whose keys join the item and its category with
// "^". Item texts may hold "^" themselves, category captions never do, so a
// key is split at its last "^".
namespace IgnoreListEntries
{
struct Row
{
    std::string key; // the store's key, item "^" category
    std::string item;
    std::string category;
};

Row SplitKey(const std::string& key);
std::vector<Row> RowsOf(const std::map<std::string, int>& entries);

// Takes out the one entry with exactly this key (item and category); false
// when there is none.
bool Remove(std::map<std::string, int>& entries, const std::string& key);
}
