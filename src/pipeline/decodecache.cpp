#include "pipeline/decodecache.h"

#include <algorithm>
#include <limits>

#include <unistd.h>

namespace tetrafot {

qint64 DecodeCache::DefaultBudget()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const qint64 physical = pages > 0 && pageSize > 0 ? qint64(pages) * pageSize : 0;
    return std::max(physical / 8, qint64(512) << 20);
}

DecodeCache::DecodeCache(qint64 budgetBytes) : m_budget(budgetBytes) {}

void DecodeCache::eraseLocked(std::map<Key, Lru::iterator>::iterator it,
                              std::vector<std::shared_ptr<const DecodedPhoto>>* out)
{
    m_used -= (*it->second)->costBytes();
    out->push_back(std::move(*it->second));   // released after the lock
    m_lru.erase(it->second);
    m_index.erase(it);
}

std::shared_ptr<const DecodedPhoto> DecodeCache::find(const FileIdentity& identity, int denom)
{
    std::vector<std::shared_ptr<const DecodedPhoto>> dropped;
    std::lock_guard lock(m_mutex);
    std::shared_ptr<const DecodedPhoto> found;
    auto it = m_index.lower_bound(Key{{identity.path, std::numeric_limits<qint64>::min(), 0, 0}, 0});
    while (it != m_index.end() && it->first.identity.path == identity.path) {
        if (!(it->first.identity == identity)) {
            eraseLocked(it++, &dropped);
            continue;
        }
        if (it->first.denom == denom) {
            m_lru.splice(m_lru.begin(), m_lru, it->second);
            found = *it->second;
        }
        ++it;
    }
    return found;
}

std::optional<QSize> DecodeCache::fullSize(const FileIdentity& identity) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_index.lower_bound(Key{identity, 0});
    if (it != m_index.end() && it->first.identity == identity)
        return (*it->second)->fullSize;
    return std::nullopt;
}

void DecodeCache::evictLocked(qint64 bytes, const DecodedPhoto* keep,
                              std::vector<std::shared_ptr<const DecodedPhoto>>* out)
{
    // Oldest first; a photo held elsewhere (use_count above the cache's own
    // reference) is passed over.
    auto it = m_lru.end();
    while (m_used + bytes > m_budget && it != m_lru.begin()) {
        --it;
        if (it->get() == keep || it->use_count() > 1)
            continue;
        const DecodedPhoto& p = **it;
        auto pos = m_index.find(Key{p.identity, p.denom});
        ++it;   // stays valid: the older neighbour, already passed over
        eraseLocked(pos, out);
    }
}

bool DecodeCache::makeRoom(qint64 bytes)
{
    std::vector<std::shared_ptr<const DecodedPhoto>> dropped;
    std::lock_guard lock(m_mutex);
    qint64 held = 0;
    for (const auto& p : m_lru)
        held += p.use_count() > 1 ? p->costBytes() : 0;
    if (held + bytes > m_budget)
        return false;   // pushing photos out would not be enough: keep them
    evictLocked(bytes, nullptr, &dropped);
    return true;
}

std::shared_ptr<const DecodedPhoto> DecodeCache::insert(std::shared_ptr<const DecodedPhoto> photo)
{
    std::vector<std::shared_ptr<const DecodedPhoto>> dropped;
    std::lock_guard lock(m_mutex);
    const Key key{photo->identity, photo->denom};
    if (auto it = m_index.find(key); it != m_index.end()) {
        m_lru.splice(m_lru.begin(), m_lru, it->second);
        return *it->second;
    }
    m_lru.push_front(photo);
    m_index.emplace(key, m_lru.begin());
    m_used += photo->costBytes();
    evictLocked(0, photo.get(), &dropped);
    return photo;
}

void DecodeCache::remove(const QString& path)
{
    std::vector<std::shared_ptr<const DecodedPhoto>> dropped;
    std::lock_guard lock(m_mutex);
    auto it = m_index.lower_bound(Key{{path, std::numeric_limits<qint64>::min(), 0, 0}, 0});
    while (it != m_index.end() && it->first.identity.path == path)
        eraseLocked(it++, &dropped);
}

void DecodeCache::clear()
{
    std::vector<std::shared_ptr<const DecodedPhoto>> dropped;
    std::lock_guard lock(m_mutex);
    while (!m_index.empty())
        eraseLocked(m_index.begin(), &dropped);
}

void DecodeCache::setBudget(qint64 budgetBytes)
{
    std::vector<std::shared_ptr<const DecodedPhoto>> dropped;
    std::lock_guard lock(m_mutex);
    m_budget = budgetBytes;
    evictLocked(0, nullptr, &dropped);
}

qint64 DecodeCache::budget() const
{
    std::lock_guard lock(m_mutex);
    return m_budget;
}

qint64 DecodeCache::heldBytes(qint64* largest) const
{
    std::lock_guard lock(m_mutex);
    qint64 held = 0, most = 0;
    for (const auto& p : m_lru)
        if (p.use_count() > 1) {
            held += p->costBytes();
            most = std::max(most, p->costBytes());
        }
    if (largest)
        *largest = most;
    return held;
}

qint64 DecodeCache::usedBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_used;
}

int DecodeCache::count() const
{
    std::lock_guard lock(m_mutex);
    return int(m_index.size());
}

} // namespace tetrafot
