#pragma once
#include <QString>
#include <array>
#include <functional>

namespace tetrafot {

// What a walking command does to the four panes: the paths it gives them,
// which panes it loads (in the order 1..4) or clears, and where the file
// list's selection ends. A command that does nothing has changed == false.
struct WalkResult {
    bool changed = false;
    std::array<QString, 4> paths;
    std::array<bool, 4> load{};
    std::array<bool, 4> clear{};
    int selection = -1;
};

// A pane (1..4) that keeps its file while the other three walk in
// pane-number order, or 0 for none; entry: the index of its file in the
// list, or -1 when the list does not hold it. The walking panes walk over
// the list with that entry left out, so they never show it a second time.
struct Pin {
    Pin(int pane = 0, int entry = -1) : pane(pane), entry(entry) {}
    int pane;
    int entry;
};

// s: selected index, n: number of entries, paths: the panes' paths now,
// entryPath(i): the full path of entry i. Shift mode slides the walking
// panes one file at a time, page mode by as many files as there are
// walking panes.
using EntryPath = std::function<QString(int)>;
WalkResult NextFiles(int s, int n, const std::array<QString, 4>& paths, bool pageMode, const EntryPath& entryPath,
                     Pin pin = {});
WalkResult PreviousFiles(int s, int n, const std::array<QString, 4>& paths, bool pageMode,
                         const EntryPath& entryPath, Pin pin = {});
// The files from entry `first` on, the first and the last files of the
// list in the walking panes, left to right; with fewer entries than panes they start at the first pane and the
// panes left over are cleared. The selection ends on the last file shown.
WalkResult FilesFrom(int first, int n, const std::array<QString, 4>& paths, const EntryPath& entryPath, Pin pin = {});
WalkResult FirstFiles(int n, const std::array<QString, 4>& paths, const EntryPath& entryPath, Pin pin = {});
WalkResult LastFiles(int n, const std::array<QString, 4>& paths, const EntryPath& entryPath, Pin pin = {});

} // namespace tetrafot
