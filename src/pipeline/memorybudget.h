#pragma once
#include <QByteArray>
#include <QtGlobal>

namespace tetrafot {

// How much the decoded photos may take while the user walks a folder. What
// the walk can reach (the photos on show and those the next Space and
// Backspace bring) is always kept; more only while the system has memory to
// spare, and that is given back as soon as it runs short.

// Below this much memory available, the system is short: nothing is kept
// beyond what the walk can reach.
constexpr qint64 kShortOfMemoryBytes = qint64(1) << 30;
// Never less than this: small photos are not worth a look-ahead that gives up.
constexpr qint64 kMinWalkBudgetBytes = qint64(16) << 20;

// What the cache and the buffers kept for reuse may hold together, given
// the bytes the walk can reach and the system's available memory (negative
// when unknown: treated as short). The extra is at most a third of what the
// walk reaches or one photo's buffer (photoBytes), whichever is more, and
// at most an eighth of what the system has beyond being short; the whole
// never less than kMinWalkBudgetBytes. One buffer is allowed even when
// little is on show: a photo replaced is held until the next one is
// decoded, so keeping its buffer for that next one adds nothing to the peak
// and spares the decode fresh memory.
qint64 WalkBudget(qint64 reachable, qint64 memAvailable, qint64 photoBytes = 0);

// The budget split between the cache and the buffers kept for reuse: the
// pool gets what the budget has beyond what the walk reaches, at most
// poolCap, and at most half the budget unless one photo's buffer needs more;
// the whole at most budgetCap.
struct WalkShares {
    qint64 cache = 0;
    qint64 pool = 0;
    bool operator==(const WalkShares&) const = default;
};
WalkShares SplitWalkBudget(qint64 reachable, qint64 memAvailable, qint64 photoBytes, qint64 budgetCap,
                           qint64 poolCap);

// MemAvailable of /proc/meminfo in bytes; -1 when the text holds no such line.
qint64 ParseMemAvailable(const QByteArray& meminfo);
// The same, read from the running system.
qint64 MemAvailableBytes();

} // namespace tetrafot
