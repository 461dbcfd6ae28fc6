#include "pipeline/memorybudget.h"

#include <gtest/gtest.h>

using namespace tetrafot;

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

// With a photo's buffer of 74 MiB: the extra is that buffer or a third of
// what the walk reaches, whichever is more, still within an eighth of the
// spare memory.
TEST(WalkBudget, AllowsOnePhotoBufferBeyondAFewPhotosOnShow)
{
    const struct {
        qint64 reachable, available, photo, budget;
    } rows[] = {
        {72 * MiB, 9 * GiB, 74 * MiB, 146 * MiB},           // one photo on show: its buffer, not a third
        {600 * MiB, 9 * GiB, 74 * MiB, 800 * MiB},          // a third is more than one buffer
        {72 * MiB, GiB + 400 * MiB, 74 * MiB, 122 * MiB},   // 400 MiB spare: an eighth of it
        {72 * MiB, GiB, 74 * MiB, 72 * MiB},                // short: nothing more
        {72 * MiB, -1, 74 * MiB, 72 * MiB},                 // unknown: as short
        {0, 9 * GiB, 74 * MiB, 74 * MiB},                   // nothing on show: one buffer
        {0, 9 * GiB, 4 * MiB, 16 * MiB},                    // small photos: the floor
        {600 * MiB, 9 * GiB, -5, 800 * MiB},
    };
    for (const auto& r : rows)
        EXPECT_EQ(WalkBudget(r.reachable, r.available, r.photo), r.budget)
            << r.reachable << " " << r.available << " " << r.photo;
}

// The pool gets what the budget has beyond the walk, within its cap and half
// the budget (unless one buffer needs more); the cache the rest.
TEST(SplitWalkBudget, GivesThePoolOnlyWhatTheWalkDoesNotReach)
{
    const struct {
        qint64 reachable, available, photo, budgetCap, poolCap;
        WalkShares shares;
    } rows[] = {
        {72 * MiB, 9 * GiB, 74 * MiB, 4 * GiB, 256 * MiB, {72 * MiB, 74 * MiB}},   // one buffer beyond half
        {600 * MiB, 9 * GiB, 74 * MiB, 4 * GiB, 256 * MiB, {600 * MiB, 200 * MiB}},
        {600 * MiB, 9 * GiB, 74 * MiB, 4 * GiB, 128 * MiB, {672 * MiB, 128 * MiB}},   // the pool's cap
        {600 * MiB, 9 * GiB, 74 * MiB, 700 * MiB, 256 * MiB, {600 * MiB, 100 * MiB}}, // the budget's cap
        {600 * MiB, 9 * GiB, 74 * MiB, 500 * MiB, 256 * MiB, {500 * MiB, 0}},         // cap below the walk
        {600 * MiB, GiB, 74 * MiB, 4 * GiB, 256 * MiB, {600 * MiB, 0}},               // short: nothing kept
        {72 * MiB, 9 * GiB, 74 * MiB, 4 * GiB, 0, {146 * MiB, 0}},                    // no pool: all to the cache
        {0, 9 * GiB, 0, 4 * GiB, 256 * MiB, {8 * MiB, 8 * MiB}},                      // the floor, halved
    };
    for (const auto& r : rows) {
        const WalkShares got = SplitWalkBudget(r.reachable, r.available, r.photo, r.budgetCap, r.poolCap);
        EXPECT_EQ(got.cache, r.shares.cache) << r.reachable << " " << r.available << " " << r.budgetCap;
        EXPECT_EQ(got.pool, r.shares.pool) << r.reachable << " " << r.available << " " << r.budgetCap;
    }
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
