#include "panes/walking.h"

#include <algorithm>
#include <vector>

namespace tetrafot {

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

WalkResult Next(int s, int n, const std::array<QString, 4>& paths, bool pageMode, const EntryPath& entryPath,
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

WalkResult Previous(int s, const std::array<QString, 4>& paths, bool pageMode, const EntryPath& entryPath,
                    int pinned)
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

// The list as the walking panes see it: the pinned pane's entry left out.
// Indices into it are mapped to and from the file list's.
struct WalkList {
    WalkList(int n, const EntryPath& entryPath, Pin pin)
        : skipped(pin.pane >= 1 && pin.pane <= 4 && pin.entry >= 0 && pin.entry < n ? pin.entry : -1),
          n(skipped >= 0 ? n - 1 : n), pane(pin.pane >= 1 && pin.pane <= 4 ? pin.pane : 0),
          entryPath(skipped < 0 ? entryPath : [entryPath, this](int v) { return entryPath(toList(v)); })
    {
    }
    WalkList(const WalkList&) = delete;   // entryPath refers to this one
    // A selection on the pinned entry itself counts as the entry before it,
    // the last one the walking panes can show.
    int fromList(int s) const { return skipped < 0 || s < skipped ? s : s - 1; }
    int toList(int v) const { return skipped < 0 || v < skipped ? v : v + 1; }
    WalkResult mapped(WalkResult r) const
    {
        if (r.changed)
            r.selection = toList(r.selection);
        return r;
    }
    const int skipped;
    const int n;
    const int pane;
    const EntryPath entryPath;
};

} // namespace

WalkResult NextFiles(int s, int n, const std::array<QString, 4>& paths, bool pageMode, const EntryPath& entryPath,
                     Pin pin)
{
    const WalkList list(n, entryPath, pin);
    return list.mapped(Next(list.fromList(s), list.n, paths, pageMode, list.entryPath, list.pane));
}

WalkResult PreviousFiles(int s, int n, const std::array<QString, 4>& paths, bool pageMode,
                         const EntryPath& entryPath, Pin pin)
{
    const WalkList list(n, entryPath, pin);
    return list.mapped(Previous(list.fromList(s), paths, pageMode, list.entryPath, list.pane));
}

WalkResult FilesFrom(int first, int n, const std::array<QString, 4>& paths, const EntryPath& entryPath, Pin pin)
{
    const WalkList list(n, entryPath, pin);
    // From the pinned entry itself: from the one after it.
    const int from = first < 0 ? -1 : list.fromList(first) + (first == list.skipped ? 1 : 0);
    if (from < 0 || from >= list.n)
        return {};
    return list.mapped(Show(from, list.n, paths, list.entryPath, list.pane));
}

WalkResult FirstFiles(int n, const std::array<QString, 4>& paths, const EntryPath& entryPath, Pin pin)
{
    return FilesFrom(0, n, paths, entryPath, pin);
}

WalkResult LastFiles(int n, const std::array<QString, 4>& paths, const EntryPath& entryPath, Pin pin)
{
    const WalkList list(n, entryPath, pin);
    const int walking = list.pane ? 3 : 4;
    return list.mapped(Show(std::max(0, list.n - walking), list.n, paths, list.entryPath, list.pane));
}

} // namespace tetrafot
