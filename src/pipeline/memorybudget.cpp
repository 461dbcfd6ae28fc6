#include "pipeline/memorybudget.h"

#include "common/safefile.h"

#include <QList>

#include <algorithm>
#include <limits>

namespace tetrafot {

qint64 WalkBudget(qint64 reachable, qint64 memAvailable, qint64 photoBytes)
{
    reachable = std::max<qint64>(0, reachable);
    const qint64 spare = memAvailable < kShortOfMemoryBytes ? 0 : (memAvailable - kShortOfMemoryBytes) / 8;
    const qint64 extra = std::max(reachable / 3, std::max<qint64>(0, photoBytes));
    return std::max(kMinWalkBudgetBytes, reachable + std::min(extra, spare));
}

WalkShares SplitWalkBudget(qint64 reachable, qint64 memAvailable, qint64 photoBytes, qint64 budgetCap,
                           qint64 poolCap)
{
    reachable = std::max<qint64>(0, reachable);
    const qint64 total = std::max<qint64>(0, std::min(budgetCap, WalkBudget(reachable, memAvailable, photoBytes)));
    const qint64 poolBound = std::max<qint64>(0, std::min(poolCap, std::max(total / 2, photoBytes)));
    const qint64 pool = std::clamp(total - reachable, qint64(0), poolBound);
    return {total - pool, pool};
}

qint64 ParseMemAvailable(const QByteArray& meminfo)
{
    // "MemAvailable:   12345678 kB"
    const QByteArray key = "MemAvailable:";
    qsizetype at = 0;
    while ((at = meminfo.indexOf(key, at)) >= 0) {
        if (at == 0 || meminfo[at - 1] == '\n')
            break;
        at += key.size();
    }
    if (at < 0)
        return -1;
    const qsizetype end = meminfo.indexOf('\n', at);
    const QList<QByteArray> fields = meminfo.mid(at + key.size(), end < 0 ? -1 : end - at - key.size()).simplified().split(' ');
    if (fields.size() != 2 || fields[1] != "kB")
        return -1;
    bool ok = false;
    const qint64 kib = fields[0].toLongLong(&ok);
    if (!ok || kib < 0 || kib > std::numeric_limits<qint64>::max() / 1024)
        return -1;
    return kib * 1024;
}

qint64 MemAvailableBytes()
{
    const RegularFileRead file = ReadRegularFile(QStringLiteral("/proc/meminfo"), qint64(1) << 20);
    return file.ok() ? ParseMemAvailable(file.data) : -1;
}

} // namespace tetrafot
