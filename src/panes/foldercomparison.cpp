#include "panes/foldercomparison.h"

#include "common/paths.h"
#include "files/folderlisting.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>

namespace tetrafot {

namespace {

QString BaseName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

} // namespace

QString MatchKey(const QString& name)
{
    return DisplayName(BaseName(name)).toLower();
}

QString FolderComparison::list(const QStringList& folders, const QStringList& masks, Options options)
{
    std::vector<QStringList> names;
    for (const QString& folder : folders) {
        FolderListing listing = ListFolderEntries(folder, masks);
        if (!listing.ok())
            return QStringLiteral("%1: %2").arg(DisplayName(folder), listing.error);
        names.push_back(std::move(listing.names));
    }
    build(folders, names, options);
    return {};
}

void FolderComparison::build(const QStringList& folders, const std::vector<QStringList>& names, Options options)
{
    m_folders = folders;
    m_options = options;
    m_names = names;
    m_steps.clear();
    m_stepNames.clear();
    m_selection = -1;
    const int folderCount = int(names.size());
    if (options.match == Match::ByPosition) {
        // Every folder's n-th file, or with commonOnly only as far as the
        // shortest folder goes.
        qsizetype steps = names.empty() ? 0 : names.front().size();
        for (const QStringList& list : names)
            steps = options.commonOnly ? std::min(steps, list.size()) : std::max(steps, list.size());
        for (int i = 0; i < int(steps); ++i) {
            std::vector<int> entries(size_t(folderCount), -1);
            QString name;
            for (int f = 0; f < folderCount; ++f)
                if (i < names[size_t(f)].size()) {
                    entries[size_t(f)] = i;
                    if (name.isEmpty())
                        name = DisplayName(BaseName(names[size_t(f)][i]));
                }
            m_steps.push_back(std::move(entries));
            m_stepNames.push_back(name);
        }
        return;
    }
    // Each key with the entry of each folder; a folder's first file of a
    // name (in its sorted order) stands for the name.
    QHash<QString, std::vector<int>> byKey;
    std::vector<QString> keys;
    QHash<QString, QString> shownName;
    for (int f = 0; f < folderCount; ++f) {
        const QStringList& list = names[size_t(f)];
        for (int i = 0; i < list.size(); ++i) {
            const QString key = MatchKey(list[i]);
            auto it = byKey.find(key);
            if (it == byKey.end()) {
                it = byKey.insert(key, std::vector<int>(size_t(folderCount), -1));
                keys.push_back(key);
                shownName.insert(key, DisplayName(BaseName(list[i])));
            }
            if (it.value()[size_t(f)] < 0)
                it.value()[size_t(f)] = i;
        }
    }
    std::sort(keys.begin(), keys.end());
    for (const QString& key : keys) {
        const std::vector<int>& entries = byKey[key];
        if (options.commonOnly && std::find(entries.begin(), entries.end(), -1) != entries.end())
            continue;
        m_steps.push_back(entries);
        m_stepNames.push_back(shownName[key]);
    }
}

void FolderComparison::clear()
{
    *this = FolderComparison();
}

QString FolderComparison::stepName(int step) const
{
    return step >= 0 && step < count() ? m_stepNames[size_t(step)] : QString();
}

FolderComparison::Entry FolderComparison::entry(int step, int folder) const
{
    if (step < 0 || step >= count() || folder < 0 || folder >= folderCount())
        return {};
    const int i = m_steps[size_t(step)][size_t(folder)];
    if (i >= 0)
        return {WithTrailingSeparator(m_folders[folder]) + m_names[size_t(folder)][i], {}};
    const QString where = DisplayName(m_folders[folder]);
    if (m_options.match == Match::ByPosition)
        return {{}, QCoreApplication::translate("FolderComparison", "Нет файла № %1 в папке %2").arg(step + 1).arg(where)};
    return {{}, QCoreApplication::translate("FolderComparison", "Нет файла «%1» в папке %2").arg(stepName(step), where)};
}

int FolderComparison::paneFolder(int pane) const
{
    return folderCount() > 0 ? (pane - 1) % folderCount() : -1;
}

int FolderComparison::paneStep(int pane, int step) const
{
    return folderCount() > 0 ? step + (pane - 1) / folderCount() : -1;
}

std::array<FolderComparison::Entry, 4> FolderComparison::panes(int step) const
{
    std::array<Entry, 4> result;
    for (int pane = 1; pane <= 4; ++pane)
        result[size_t(pane - 1)] = entry(paneStep(pane, step), paneFolder(pane));
    return result;
}

WalkResult FolderComparison::showStep(int step, const std::array<QString, 4>& shown) const
{
    WalkResult walk;
    if (step < 0 || step >= count())
        return walk;
    const std::array<Entry, 4> entries = panes(step);
    walk.changed = true;
    walk.selection = step;
    for (size_t k = 0; k < 4; ++k) {
        walk.paths[k] = entries[k].path;
        // A pane that keeps its file keeps its place and picture.
        walk.load[k] = !entries[k].path.isEmpty() && entries[k].path != shown[k];
        walk.clear[k] = entries[k].path.isEmpty();
    }
    return walk;
}

WalkResult FolderComparison::step(Step step, const std::array<QString, 4>& shown) const
{
    if (count() == 0)
        return {};
    const int s = m_selection;
    int to = s;
    switch (step) {
    case Step::Next: to = s < 0 ? 0 : s + 1; break;
    case Step::Previous: to = s - 1; break;
    case Step::First: to = 0; break;
    case Step::Last: to = count() - 1; break;
    }
    if (to < 0 || to >= count() || to == s)
        return {};
    return showStep(to, shown);
}

} // namespace tetrafot
