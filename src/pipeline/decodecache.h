#pragma once
#include "pipeline/decodedphoto.h"

#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tetrafot {

// Decoded photos by file identity and DCT denominator, within a memory
// budget, the least recently used out first. A photo that someone besides
// the cache still holds (a pane shows it) counts against the budget but is
// never pushed out: dropping it would free nothing. Thread-safe.
class DecodeCache {
public:
    // A share of physical memory: an eighth, but at least 512 MiB.
    static qint64 DefaultBudget();

    explicit DecodeCache(qint64 budgetBytes = DefaultBudget());

    // The photo, now the most recently used; null when not held. Entries of
    // the same path with another identity are stale and dropped.
    std::shared_ptr<const DecodedPhoto> find(const FileIdentity& identity, int denom);
    // The full size of the file if any of its scales is held: lets a fitted
    // pane find its denominator without reading the file.
    std::optional<QSize> fullSize(const FileIdentity& identity) const;

    // Pushes out the least recently used photos nobody else holds until
    // `bytes` more fit in the budget; false, pushing out nothing, if even
    // that would not make them fit.
    bool makeRoom(qint64 bytes);
    // Adds the photo as the most recently used and makes room behind it (it
    // stays even if it alone exceeds the budget). When the same identity and
    // denominator are held already, that photo is kept and returned.
    std::shared_ptr<const DecodedPhoto> insert(std::shared_ptr<const DecodedPhoto> photo);

    void remove(const QString& path);   // every scale of the path
    void clear();

    // A new budget: the least recently used photos nobody else holds go
    // until the rest fit in it.
    void setBudget(qint64 budgetBytes);
    qint64 budget() const;
    // The bytes of the photos someone besides the cache holds, and the cost
    // of the largest of them (what a photo of the same folder may take).
    qint64 heldBytes(qint64* largest = nullptr) const;
    qint64 usedBytes() const;
    int count() const;

private:
    struct Key {
        FileIdentity identity;
        int denom;
        bool operator<(const Key& o) const
        {
            return std::tie(identity.path, identity.size, identity.mtimeNs, identity.inode, denom)
                < std::tie(o.identity.path, o.identity.size, o.identity.mtimeNs, o.identity.inode, o.denom);
        }
    };
    using Lru = std::list<std::shared_ptr<const DecodedPhoto>>;   // most recent first

    void evictLocked(qint64 bytes, const DecodedPhoto* keep, std::vector<std::shared_ptr<const DecodedPhoto>>* out);
    void eraseLocked(std::map<Key, Lru::iterator>::iterator it,
                     std::vector<std::shared_ptr<const DecodedPhoto>>* out);

    qint64 m_budget;
    mutable std::mutex m_mutex;
    Lru m_lru;
    std::map<Key, Lru::iterator> m_index;
    qint64 m_used = 0;
};

} // namespace tetrafot
