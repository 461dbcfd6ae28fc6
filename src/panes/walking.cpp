#include "panes/walking.h"

// The panes are indexed 0..3 here for panes 1..4.

WalkResult NextFiles(int s, int n, const std::array<QString, 4>& paths, bool pageMode, const EntryPath& entryPath)
{
    WalkResult r;
    if (!pageMode) {
        if (s >= n - 1)
            return r;
        r.paths = {paths[1], paths[2], paths[3], entryPath(s + 1)};
        r.load.fill(true);
        r.selection = s + 1;
        r.changed = true;
        return r;
    }

    // Page mode walks on only while three entries follow the selection.
    if (s > n - 4)
        return r;
    int selected = s;
    for (int k = 0; k < 4 && selected != n - 1; ++k) {
        ++selected;
        r.paths[k] = entryPath(selected);
        r.load[k] = true;
    }
    for (int k = 0; k < 4; ++k)
        r.clear[k] = !r.load[k];
    r.selection = selected;
    r.changed = true;
    return r;
}

WalkResult PreviousFiles(int s, int /*n*/, const std::array<QString, 4>& paths, bool pageMode,
                         const EntryPath& entryPath)
{
    WalkResult r;
    if (!pageMode) {
        if (s < 4)
            return r;
        r.paths = {entryPath(s - 4), paths[0], paths[1], paths[2]};
        r.load.fill(true);
        r.selection = s - 1;
        r.changed = true;
        return r;
    }

    if (s >= 7) {
        for (int k = 0; k < 4; ++k)
            r.paths[k] = entryPath(s - 7 + k);
        r.load.fill(true);
        r.selection = s - 4;
    } else if (s >= 4) {
        // The first files of the list stand right-aligned in the grid.
        int selected = s - 4;
        for (int k = 3; k >= 0; --k) {
            r.paths[k] = entryPath(selected);
            r.load[k] = true;
            if (selected == 0)
                break;
            --selected;
        }
        for (int k = 0; k < 4; ++k)
            r.clear[k] = !r.load[k];
        r.selection = 0;
    } else {
        return r;
    }
    r.changed = true;
    return r;
}
