#include "Client/Pages/IgnoreListEntries.h"

namespace IgnoreListEntries
{
Row SplitKey(const std::string& key)
{
    Row row;
    row.key = key;
    const size_t separator = key.rfind('^');
    if (separator == std::string::npos)
    {
        row.item = key;
        return row;
    }
    row.item = key.substr(0, separator);
    row.category = key.substr(separator + 1);
    return row;
}

std::vector<Row> RowsOf(const std::map<std::string, int>& entries)
{
    std::vector<Row> rows;
    rows.reserve(entries.size());
    for (const auto& entry : entries)
        rows.push_back(SplitKey(entry.first));
    return rows;
}

bool Remove(std::map<std::string, int>& entries, const std::string& key)
{
    return entries.erase(key) > 0;
}
}
