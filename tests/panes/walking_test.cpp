#include "panes/walking.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

using namespace tetrafot;

namespace {

// Entry i of the list has the path "/f/i"; a pane's expected state is
// written as its path, "" for a pane that is cleared or left untouched.
QString Entry(int i)
{
    return QStringLiteral("/f/%1").arg(i);
}

std::array<QString, 4> Panes(int a, int b, int c, int d)
{
    return {Entry(a), Entry(b), Entry(c), Entry(d)};
}

// "L" load, "C" clear, "-" neither, for panes 1..4.
std::string Actions(const WalkResult& r)
{
    std::string s;
    for (int k = 0; k < 4; ++k)
        s += r.load[k] ? 'L' : r.clear[k] ? 'C' : '-';
    return s;
}

struct WalkCase {
    const char* name;
    bool next;
    bool pageMode;
    int s, n;
    bool changed;
    std::array<int, 4> shown;   // entry per pane, -1 for an empty path
    const char* actions;
    int selection;
};

class Walking : public ::testing::TestWithParam<WalkCase> {};

TEST_P(Walking, Cases)
{
    const WalkCase& c = GetParam();
    // Before the command the panes show entries s-3 .. s (or the paths "/f/-3" and
    // so on, which no command may hand on to another pane in page mode).
    const auto before = Panes(c.s - 3, c.s - 2, c.s - 1, c.s);
    const WalkResult r = c.next ? NextFiles(c.s, c.n, before, c.pageMode, Entry)
                                : PreviousFiles(c.s, c.n, before, c.pageMode, Entry);
    ASSERT_EQ(r.changed, c.changed);
    if (!c.changed) {
        EXPECT_EQ(Actions(r), "----");
        return;
    }
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(r.paths[k], c.shown[k] < 0 ? QString() : Entry(c.shown[k])) << "pane " << k + 1;
    EXPECT_EQ(Actions(r), c.actions);
    EXPECT_EQ(r.selection, c.selection);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Walking,
    ::testing::Values(
        // Shift mode over 10 entries.
        WalkCase{"ShiftNextFrom3", true, false, 3, 10, true, {1, 2, 3, 4}, "LLLL", 4},
        WalkCase{"ShiftBackFrom4", false, false, 4, 10, true, {0, 1, 2, 3}, "LLLL", 3},
        WalkCase{"ShiftBackAt3Nothing", false, false, 3, 10, false, {}, "", 0},
        WalkCase{"ShiftNextAtLastNothing", true, false, 9, 10, false, {}, "", 0},
        WalkCase{"ShiftNextFrom8", true, false, 8, 10, true, {6, 7, 8, 9}, "LLLL", 9},
        // Page mode over 10 entries: 0-3 -> 4-7, then nothing (8 and 9 are never paged to).
        WalkCase{"PageNextFrom3", true, true, 3, 10, true, {4, 5, 6, 7}, "LLLL", 7},
        WalkCase{"PageNextFrom7Nothing", true, true, 7, 10, false, {}, "", 0},
        WalkCase{"PageNextFrom6", true, true, 6, 10, true, {7, 8, 9, -1}, "LLLC", 9},
        // 11 entries, s = 7: 8, 9, 10 and a cleared pane 4.
        WalkCase{"PageNextFrom7Of11", true, true, 7, 11, true, {8, 9, 10, -1}, "LLLC", 10},
        WalkCase{"PageNextFrom0", true, true, 0, 10, true, {1, 2, 3, 4}, "LLLL", 4},
        WalkCase{"PageBackFrom7", false, true, 7, 10, true, {0, 1, 2, 3}, "LLLL", 3},
        WalkCase{"PageBackFrom9", false, true, 9, 10, true, {2, 3, 4, 5}, "LLLL", 5},
        // s = 5: entries 0 and 1 right-aligned, panes 1 and 2 cleared.
        WalkCase{"PageBackFrom5", false, true, 5, 10, true, {-1, -1, 0, 1}, "CCLL", 0},
        WalkCase{"PageBackFrom4", false, true, 4, 10, true, {-1, -1, -1, 0}, "CCCL", 0},
        WalkCase{"PageBackFrom6", false, true, 6, 10, true, {-1, 0, 1, 2}, "CLLL", 0},
        WalkCase{"PageBackFrom3Nothing", false, true, 3, 10, false, {}, "", 0},
        // Fewer than four entries.
        WalkCase{"ThreeShiftNextAtEnd", true, false, 2, 3, false, {}, "", 0},
        WalkCase{"ThreePageNextAtEnd", true, true, 2, 3, false, {}, "", 0},
        WalkCase{"ThreePageNextNoSelection", true, true, -1, 3, true, {0, 1, 2, -1}, "LLLC", 2},
        WalkCase{"OnePageNextNoSelection", true, true, -1, 1, false, {}, "", 0},
        // An empty list: s = -1 = N - 1.
        WalkCase{"EmptyShiftNext", true, false, -1, 0, false, {}, "", 0},
        WalkCase{"EmptyShiftBack", false, false, -1, 0, false, {}, "", 0},
        WalkCase{"EmptyPageNext", true, true, -1, 0, false, {}, "", 0},
        WalkCase{"EmptyPageBack", false, true, -1, 0, false, {}, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A pinned pane keeps entry 99 while the other three walk; Home and End.
struct PinnedCase {
    const char* name;
    char command;   // 'N' next, 'P' previous, 'H' Home, 'E' End
    bool pageMode;
    int pinned, s, n;
    std::array<int, 4> shown;   // after the command; -1 for a cleared pane
    const char* actions;        // "" when the command does nothing
    int selection;
};

class PinnedWalking : public ::testing::TestWithParam<PinnedCase> {};

TEST_P(PinnedWalking, Cases)
{
    const PinnedCase& c = GetParam();
    // Before: the walking panes show entries up to s in pane order.
    std::array<QString, 4> before;
    for (int k = 0, e = c.s - (c.pinned ? 2 : 3); k < 4; ++k)
        before[size_t(k)] = k + 1 == c.pinned ? Entry(99) : Entry(e++);
    const WalkResult r = c.command == 'N' ? NextFiles(c.s, c.n, before, c.pageMode, Entry, c.pinned)
        : c.command == 'P'                ? PreviousFiles(c.s, c.n, before, c.pageMode, Entry, c.pinned)
        : c.command == 'H'                ? FirstFiles(c.n, before, Entry, c.pinned)
                                          : LastFiles(c.n, before, Entry, c.pinned);
    ASSERT_EQ(r.changed, *c.actions != 0);
    if (!r.changed)
        return;
    for (size_t k = 0; k < 4; ++k)
        EXPECT_EQ(r.paths[k], c.shown[k] < 0 ? QString() : Entry(c.shown[k])) << "pane " << k + 1;
    EXPECT_EQ(Actions(r), c.actions);
    EXPECT_EQ(r.selection, c.selection);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PinnedWalking,
    ::testing::Values(PinnedCase{"ShiftNextPin1", 'N', false, 1, 3, 10, {99, 2, 3, 4}, "-LLL", 4},
                      // Page mode: three at a time, on while two entries follow.
                      PinnedCase{"PageNextPin2", 'N', true, 2, 7, 10, {8, 99, 9, -1}, "L-LC", 9},
                      PinnedCase{"PageNextPin2At8", 'N', true, 2, 8, 10, {}, "", 0},
                      PinnedCase{"PageBackPin1From4", 'P', true, 1, 4, 10, {99, -1, 0, 1}, "-CLL", 0},
                      PinnedCase{"EndOfTwo", 'E', true, 0, 1, 2, {0, 1, -1, -1}, "LLCC", 1},
                      PinnedCase{"EndPin3", 'E', false, 3, 3, 10, {7, 8, 99, 9}, "LL-L", 9},
                      PinnedCase{"HomeOfNone", 'H', false, 2, -1, 0, {}, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A pane pinned on a file of the list: from a fresh start on 8 entries
// (panes 0 1 2 3, entry 3 selected) the pane is pinned, then the keys run
// one after another. After each key the panes show, in pane order, the
// listed entries (the pinned one staying where it is); "." marks a pane
// cleared, and a key that does nothing leaves the line as it was.
struct PinnedRun {
    const char* name;
    bool pageMode;
    int pinned;          // pane 1..4, pinned on the file it shows at the start
    int n;
    const char* keys;    // N next, P previous, H Home, E End
    std::vector<const char*> after;   // the panes after each key
};

class PinnedInList : public ::testing::TestWithParam<PinnedRun> {};

TEST_P(PinnedInList, WalkingPanesNeverShowThePinnedFile)
{
    const PinnedRun& c = GetParam();
    std::array<QString, 4> paths;
    for (int k = 0; k < 4 && k < c.n; ++k)
        paths[size_t(k)] = Entry(k);
    int s = std::min(3, c.n - 1);
    const int pinnedEntry = c.pinned - 1;
    const Pin pin(c.pinned, pinnedEntry);
    ASSERT_EQ(std::string(c.keys).size(), c.after.size());
    for (size_t i = 0; c.keys[i]; ++i) {
        const char key = c.keys[i];
        const WalkResult r = key == 'N' ? NextFiles(s, c.n, paths, c.pageMode, Entry, pin)
            : key == 'P'                ? PreviousFiles(s, c.n, paths, c.pageMode, Entry, pin)
            : key == 'H'                ? FirstFiles(c.n, paths, Entry, pin)
                                        : LastFiles(c.n, paths, Entry, pin);
        if (r.changed) {
            paths = r.paths;
            s = r.selection;
        }
        std::string shown;
        for (const QString& p : paths)
            shown += p.isEmpty() ? "." : p.mid(3).toStdString();
        EXPECT_EQ(shown, c.after[i]) << "after key " << i + 1 << " (" << key << ")";
        // In shift mode the selection is the file of the last walking pane
        // that shows one (page mode's step back to the start ends on the first).
        for (int k = 3; k >= 0 && !c.pageMode; --k)
            if (k + 1 != c.pinned && !paths[size_t(k)].isEmpty()) {
                EXPECT_EQ(Entry(s), paths[size_t(k)]) << "after key " << i + 1;
                break;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, PinnedInList,
    ::testing::Values(
        // Pane 4 pinned on entry 3: Space brings 1 2 4, Backspace 0 1 2, then nothing.
        PinnedRun{"Pin4ShiftForthAndBack", false, 4, 8, "NPPN", {"1243", "0123", "0123", "1243"}},
        PinnedRun{"Pin4ShiftToTheEnd", false, 4, 8, "NNNNNN", {"1243", "2453", "4563", "5673", "5673", "5673"}},
        // Pane 2 pinned on entry 1 right at the start: Backspace does nothing.
        PinnedRun{"Pin2ShiftBackAtStart", false, 2, 8, "PNP", {"0123", "2134", "0123"}},
        PinnedRun{"Pin1ShiftWalk", false, 1, 8, "NNPPP", {"0234", "0345", "0234", "0123", "0123"}},
        // Home and End leave the pinned file out too.
        PinnedRun{"Pin2HomeAndEnd", false, 2, 8, "EHNE", {"5167", "0123", "2134", "5167"}},
        PinnedRun{"Pin4End", false, 4, 8, "EPH", {"5673", "4563", "0123"}},
        // Page mode: three files a step over the seven others.
        PinnedRun{"Pin4Page", true, 4, 8, "NNPP", {"4563", "4563", "0123", "0123"}},
        // The first files stand right-aligned, as without a pin.
        PinnedRun{"Pin1Page", true, 1, 9, "NNPPP", {"0456", "078.", "0345", "0.12", "0.12"}},
        PinnedRun{"Pin3PageLastShort", true, 3, 9, "NNP", {"4526", "782.", "3425"}},
        // With fewer files than panes the walkers start at the first.
        PinnedRun{"Pin2OfThree", false, 2, 3, "HEN", {"012.", "012.", "012."}}),
    [](const auto& info) { return std::string(info.param.name); });

// The files from an entry on (a file named at start), with a pin whose
// file may be that entry: the walking panes start after it.
TEST(WalkingFrom, StartsAfterThePinnedEntryAndNeverPastTheEnd)
{
    const auto before = Panes(0, 1, 2, 3);
    const struct { int first, n; Pin pin; bool changed; std::array<int, 4> shown; int selection; } cases[] = {
        {5, 10, {}, true, {5, 6, 7, 8}, 8},
        {8, 10, {}, true, {8, 9, -1, -1}, 9},
        {1, 6, {2, 1}, true, {2, 1, 3, 4}, 4},
        {3, 4, {4, 3}, false, {}, 0},   // the pinned file is the last: nothing after it
        {10, 10, {}, false, {}, 0},
        {-1, 10, {}, false, {}, 0},
    };
    for (const auto& c : cases) {
        const WalkResult r = FilesFrom(c.first, c.n, before, Entry, c.pin);
        ASSERT_EQ(r.changed, c.changed) << c.first;
        if (!c.changed)
            continue;
        for (size_t k = 0; k < 4; ++k)
            EXPECT_EQ(r.paths[k], c.shown[k] < 0 ? QString() : Entry(c.shown[k])) << c.first << " pane " << k + 1;
        EXPECT_EQ(r.selection, c.selection) << c.first;
    }
}

TEST(WalkingShift, PathsMoveEvenWhenEmpty)
{
    // Pane 2 was cleared: its empty path moves on to pane 1.
    const std::array<QString, 4> before{Entry(0), QString(), Entry(2), Entry(3)};
    const WalkResult r = NextFiles(3, 10, before, false, Entry);
    const std::array<QString, 4> expected{QString(), Entry(2), Entry(3), Entry(4)};
    EXPECT_EQ(r.paths, expected);
}

TEST(WalkingPage, ForwardAfterBackFrom5)
{
    // Back from 5 ends on entry 0; forward from there shows 1 to 4.
    const auto back = PreviousFiles(5, 10, Panes(2, 3, 4, 5), true, Entry);
    const auto forward = NextFiles(back.selection, 10, back.paths, true, Entry);
    EXPECT_EQ(forward.paths, Panes(1, 2, 3, 4));
    EXPECT_EQ(forward.selection, 4);
}

}  // namespace
