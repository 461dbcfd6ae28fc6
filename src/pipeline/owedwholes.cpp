#include "pipeline/owedwholes.h"

namespace tetrafot {

void OwedWholes::delivered(const WholeKey& key, std::shared_ptr<const DecodedPhoto> photo)
{
    m_wholes[key] = std::move(photo);
}

void OwedWholes::failed(const WholeKey& key, const QString& error)
{
    m_errors[key] = error;
}

std::optional<WholeResult> OwedWholes::take(const WholeKey& key)
{
    // Both are held only when two decodes of the file ended differently
    // (one ran out of memory, say): the error is not to be missed.
    if (auto it = m_errors.find(key); it != m_errors.end()) {
        WholeResult result{key, nullptr, std::move(it->second)};
        m_errors.erase(it);
        return result;
    }
    if (auto it = m_wholes.find(key); it != m_wholes.end()) {
        WholeResult result{key, std::move(it->second), QString()};
        m_wholes.erase(it);
        return result;
    }
    return std::nullopt;
}

bool OwedWholes::takeIf(const WholeResult& result)
{
    if (result.ok()) {
        auto it = m_wholes.find(result.key);
        if (it == m_wholes.end() || it->second != result.photo)
            return false;
        m_wholes.erase(it);
        return true;
    }
    auto it = m_errors.find(result.key);
    if (it == m_errors.end() || it->second != result.error)
        return false;
    m_errors.erase(it);
    return true;
}

void OwedWholes::keepOnly(const std::function<bool(const WholeKey&)>& kept)
{
    std::erase_if(m_errors, [&](const auto& entry) { return !kept(entry.first); });
    std::erase_if(m_wholes, [&](const auto& entry) { return !kept(entry.first); });
}

void OwedWholes::dropWholesOf(const QString& path)
{
    std::erase_if(m_wholes, [&](const auto& entry) { return entry.first.identity.path == path; });
}

} // namespace tetrafot
