#pragma once
#include "panes/walking.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace tetrafot {

// Two to four folders walked side by side: the camera's JPEGs beside their
// edited exports, two cameras on one scene. A file of one folder matches a
// file of another by its name without the extension, whatever the case
// (IMG_0001.JPG, img_0001.jpg and IMG_0001.jpeg are one name), and the walk
// steps over the sorted union of those names. With ByPosition the n-th
// file of each folder makes step n instead, for exports that were renamed.
//
// When one folder holds several files of one name (IMG_1.jpg beside
// IMG_1.jpeg), the first in the folder's sorted order stands for it.
//
// The panes show the folders in order at the current step and fill the
// rest of the grid with the following steps: with two folders panes 1-2
// show a name and panes 3-4 the next; with three, panes 1-3 and pane 4 the
// next name of folder 1; with four, one pane each.
class FolderComparison {
public:
    enum class Match { ByName, ByPosition };
    struct Options {
        Match match = Match::ByName;
        bool commonOnly = false;   // only the names every folder holds
    };

    // Lists the folders (absolute paths, 2 to 4) with the masks. On failure
    // returns the folder and the system's reason and changes nothing.
    QString list(const QStringList& folders, const QStringList& masks, Options options);
    // The same over names already listed, one list per folder, each sorted
    // as the folder listing sorts.
    void build(const QStringList& folders, const std::vector<QStringList>& names, Options options);
    // Back to no comparison.
    void clear();

    bool active() const { return !m_folders.isEmpty(); }
    const QStringList& folders() const { return m_folders; }
    int folderCount() const { return int(m_folders.size()); }
    Options options() const { return m_options; }
    // The steps of the walk and the name each stands for (its readable form).
    int count() const { return int(m_steps.size()); }
    QString stepName(int step) const;

    // What folder f (0-based) has at a step: its file's full path, or ""
    // with the note of what is missing.
    struct Entry {
        QString path;
        QString missing;
    };
    Entry entry(int step, int folder) const;
    // Which step and folder a pane (1..4) shows while the walk is at `step`.
    int paneFolder(int pane) const;
    int paneStep(int pane, int step) const;
    // What each pane shows at a step: paths, and the notes of missing files.
    std::array<Entry, 4> panes(int step) const;

    int selection() const { return m_selection; }
    void select(int step) { m_selection = step >= 0 && step < count() ? step : -1; }

    enum class Step { Next, Previous, First, Last };
    // The walk from the selection; every pane walks. `shown`: the panes'
    // paths now, so that a pane keeping its file is not loaded again.
    WalkResult step(Step step, const std::array<QString, 4>& shown) const;
    WalkResult showStep(int step, const std::array<QString, 4>& shown) const;

private:
    QStringList m_folders;
    Options m_options;
    std::vector<QStringList> m_names;               // per folder, as listed
    std::vector<std::vector<int>> m_steps;          // per step, the entry of each folder or -1
    std::vector<QString> m_stepNames;
    int m_selection = -1;
};

// The name a file is matched by: without its last extension (a leading dot
// is no extension), lower case as the list shows it.
QString MatchKey(const QString& name);

} // namespace tetrafot
