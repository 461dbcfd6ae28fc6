#include "pipeline/memorybudget.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 MiB = qint64(1) << 20;
constexpr qint64 GiB = qint64(1) << 30;

struct BudgetRow {
    qint64 reachable, available, budget;
};

// Worked by hand: the extra is the lesser of a third of what the walk
// reaches and an eighth of what is available beyond 1 GiB.
TEST(WalkBudget, KeepsWhatTheWalkReachesAndMoreOnlyWhileMemoryIsSpare)
{
    const BudgetRow rows[] = {
        {600 * MiB, 9 * GiB, 800 * MiB},           // plenty: a third more
        {600 * MiB, GiB + 800 * MiB, 700 * MiB},   // 800 MiB spare: an eighth of it
        {600 * MiB, GiB, 600 * MiB},               // just short: nothing more
        {600 * MiB, 200 * MiB, 600 * MiB},         // shorter still: the walk keeps its photos
        {600 * MiB, -1, 600 * MiB},                // unknown: as short
        {0, 9 * GiB, 16 * MiB},                    // nothing on show: the floor
        {3 * MiB, 9 * GiB, 16 * MiB},              // small photos: the floor
        {-5, 9 * GiB, 16 * MiB},
    };
    for (const BudgetRow& r : rows)
        EXPECT_EQ(WalkBudget(r.reachable, r.available), r.budget) << r.reachable << " " << r.available;
}

TEST(ParseMemAvailable, ReadsTheLineOrSaysUnknown)
{
    const struct {
        const char* text;
        qint64 bytes;
    } rows[] = {
        {"MemTotal:       24683920 kB\nMemFree:        21060896 kB\nMemAvailable:   23369828 kB\n", 23369828LL * 1024},
        {"MemAvailable: 1 kB", 1024},
        {"MemTotal: 5 kB\n", -1},
        {"XMemAvailable: 5 kB\n", -1},
        {"MemAvailable: 5 MB\n", -1},
        {"MemAvailable: -5 kB\n", -1},
        {"MemAvailable: 99999999999999999999 kB\n", -1},
        {"MemAvailable: 9007199254740993 kB\n", -1},   // bytes beyond 64 bits
        {"MemAvailable:\n", -1},
        {"", -1},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ParseMemAvailable(r.text), r.bytes) << r.text;
}

} // namespace
