#pragma once
#include <QString>
#include <array>
#include <functional>

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

// s: selected index, n: number of entries, paths: the panes' paths now,
// entryPath(i): the full path of entry i.
using EntryPath = std::function<QString(int)>;
WalkResult NextFiles(int s, int n, const std::array<QString, 4>& paths, bool pageMode, const EntryPath& entryPath);
WalkResult PreviousFiles(int s, int n, const std::array<QString, 4>& paths, bool pageMode, const EntryPath& entryPath);
