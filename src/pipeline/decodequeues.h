#pragma once
#include "pipeline/owedwholes.h"

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace tetrafot {

// A photo asked for at a pane's scale code (1..5, as the settings hold
// them); maxSize is the fit rule's limit.
struct DecodeRequest {
    DecodeRequest(QString path = QString(), int scaleCode = 1, int maxSize = 0,
                  std::function<QRect(QSize)> visibleOf = nullptr)
        : path(std::move(path)), scaleCode(scaleCode), maxSize(maxSize), visibleOf(std::move(visibleOf))
    {
    }
    QString path;
    int scaleCode;
    int maxSize;
    // The part of the picture (given its size at the scale) that its pane
    // will show at first; when set, getFirst may decode just that part.
    std::function<QRect(QSize)> visibleOf;
    // The file as the caller looked it up for this load: the pipeline takes
    // it rather than looking the file up again. Unset: looked up here.
    std::optional<FileIdentity> identity;
};

// A whole decode owed to a part shown first, from the bytes the part was
// decoded from.
struct OwedDecode {
    WholeKey key;
    QByteArray bytes;
    bool raw = false;        // bytes are a RAW file's preview
    QByteArray tiffHead;     // and this the start of the RAW file
};

// The work waiting for the pipeline's workers, in the order they take it:
// a getMany's share of its files, the whole photos owed to parts on show,
// setting the budget for a new look-ahead, and the look-ahead itself, and
// what of it is running. Not thread-safe: the pipeline holds its lock
// around every call.
class DecodeQueues {
public:
    enum class Task { None, Urgent, Owed, Budget, Ahead };
    // What a worker is to do next.
    Task next() const;

    void pushUrgent(std::function<void()> task) { m_urgent.push_back(std::move(task)); }
    std::function<void()> takeUrgent();

    // Queues the decode unless one for the same key is queued or running;
    // true when queued.
    bool owe(OwedDecode owed);
    // The first owed decode, or the one for `key` (empty when that is not
    // queued), now counted as running until finishOwed.
    OwedDecode startOwed();
    std::optional<OwedDecode> startOwed(const WholeKey& key);
    void finishOwed(const WholeKey& key);
    // Drops the queued owed decodes that `kept` refuses; running ones finish.
    void keepOwed(const std::function<bool(const WholeKey&)>& kept);
    // Owed decodes queued or running.
    size_t owedCount() const { return m_owed.size() + m_owedRunning.size(); }

    // Replaces the look-ahead; the budget is set anew before the first of it.
    void setAhead(const std::vector<DecodeRequest>& requests);
    // The budget's turn: the look-ahead's requests, counted as running
    // until finishAhead.
    std::vector<DecodeRequest> startBudget();
    DecodeRequest startAhead();
    void finishAhead() { --m_aheadRunning; }

    // Nothing owed or looked ahead is queued or running (getMany's share
    // is its caller's to wait for).
    bool idle() const;
    // Drops everything queued (at shutdown).
    void clear();

private:
    std::deque<std::function<void()>> m_urgent;
    std::deque<OwedDecode> m_owed;
    std::vector<WholeKey> m_owedRunning;
    std::deque<DecodeRequest> m_ahead;
    bool m_budgetDue = false;
    int m_aheadRunning = 0;
};

} // namespace tetrafot
