#pragma once
#include <algorithm>
#include <cstdio>
#include <vector>

// The figures of repeated runs of one measurement: min/median/max.
class BenchStats
{
public:
    void Add(double value) { m_values.push_back(value); }
    bool Empty() const { return m_values.empty(); }

    double Min() const { return Empty() ? 0.0 : *std::min_element(m_values.begin(), m_values.end()); }
    double Max() const { return Empty() ? 0.0 : *std::max_element(m_values.begin(), m_values.end()); }
    double Median() const
    {
        if (Empty())
            return 0.0;
        std::vector<double> sorted = m_values;
        std::sort(sorted.begin(), sorted.end());
        const size_t middle = sorted.size() / 2;
        return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2.0;
    }

    // One line: the title, then min/median/max in the given format and unit.
    void Print(const char* title, const char* format, const char* unit) const
    {
        std::printf("  %-44s", title);
        std::printf(format, Min());
        std::printf("/");
        std::printf(format, Median());
        std::printf("/");
        std::printf(format, Max());
        std::printf(" %s\n", unit);
    }

private:
    std::vector<double> m_values;
};
