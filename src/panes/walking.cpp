#include "panes/walking.h"

#include <algorithm>
#include <vector>

// The panes are indexed 0..3 here for panes 1..4.

namespace {

// The panes that walk, in pane-number order, and a result that leaves the
// pinned pane as it is.
struct Walk {
    std::vector<size_t> panes;
    WalkResult r;

    Walk(const std::array<QString, 4>& paths, int pinned)
    {
        for (size_t k = 0; k < 4; ++k)
            if (int(k) + 1 != pinned)
                panes.push_back(k);
        r.paths = paths;
    }
    int count() const { return int(panes.size()); }
    void give(int slot, const QString& path)
    {
        r.paths[panes[size_t(slot)]] = path;
        r.load[panes[size_t(slot)]] = true;
    }
    // Every walking pane that was given no file is emptied.
    void clearTheRest()
    {
        for (size_t k : panes)
            if (!r.load[k]) {
                r.clear[k] = true;
                r.paths[k].clear();
            }
    }
    WalkResult done(int selection)
    {
        r.selection = selection;
        r.changed = true;
        return r;
    }
};

// Entries first .. first+count-1 (within 0..n-1) from the first walking pane on.
WalkResult Show(int first, int n, const std::array<QString, 4>& paths, const EntryPath& entryPath, int pinned)
{
    Walk w(paths, pinned);
    if (n <= 0)
        return {};
    int last = first;
    for (int slot = 0; slot < w.count() && first + slot < n; ++slot) {
        last = first + slot;
        w.give(slot, entryPath(last));
    }
    w.clearTheRest();
    return w.done(last);
}

} // namespace

WalkResult NextFiles(int s, int n, const std::array<QString, 4>& paths, bool pageMode, const EntryPath& entryPath,
                     int pinned)
{
    Walk w(paths, pinned);
    const int k = w.count();
    if (!pageMode) {
        if (s >= n - 1)
            return {};
        for (int slot = 0; slot + 1 < k; ++slot)
            w.give(slot, paths[w.panes[size_t(slot) + 1]]);
        w.give(k - 1, entryPath(s + 1));
        return w.done(s + 1);
    }

    // Page mode walks on only while all panes but one can be filled.
    if (s > n - k)
        return {};
    int selected = s;
    for (int slot = 0; slot < k && selected != n - 1; ++slot) {
        ++selected;
        w.give(slot, entryPath(selected));
    }
    w.clearTheRest();
    return w.done(selected);
}

WalkResult PreviousFiles(int s, int /*n*/, const std::array<QString, 4>& paths, bool pageMode,
                         const EntryPath& entryPath, int pinned)
{
    Walk w(paths, pinned);
    const int k = w.count();
    if (!pageMode) {
        if (s < k)
            return {};
        w.give(0, entryPath(s - k));
        for (int slot = 1; slot < k; ++slot)
            w.give(slot, paths[w.panes[size_t(slot) - 1]]);
        return w.done(s - 1);
    }

    if (s >= 2 * k - 1) {
        for (int slot = 0; slot < k; ++slot)
            w.give(slot, entryPath(s - (2 * k - 1) + slot));
        return w.done(s - k);
    }
    if (s < k)
        return {};
    // The first files of the list stand right-aligned in the grid.
    for (int slot = k - 1, selected = s - k; slot >= 0 && selected >= 0; --slot, --selected)
        w.give(slot, entryPath(selected));
    w.clearTheRest();
    return w.done(0);
}

WalkResult FirstFiles(int n, const std::array<QString, 4>& paths, const EntryPath& entryPath, int pinned)
{
    return Show(0, n, paths, entryPath, pinned);
}

WalkResult LastFiles(int n, const std::array<QString, 4>& paths, const EntryPath& entryPath, int pinned)
{
    const int walking = pinned >= 1 && pinned <= 4 ? 3 : 4;
    return Show(std::max(0, n - walking), n, paths, entryPath, pinned);
}
