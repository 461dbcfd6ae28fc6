#include "pipeline/decodequeues.h"

#include <algorithm>

namespace tetrafot {

DecodeQueues::Task DecodeQueues::next() const
{
    // A key waits on getMany's share; the whole photo behind a part on show
    // comes before the files the next step may need, and those only once the
    // budget knows of them.
    if (!m_urgent.empty())
        return Task::Urgent;
    if (!m_owed.empty())
        return Task::Owed;
    if (m_budgetDue)
        return Task::Budget;
    if (!m_ahead.empty())
        return Task::Ahead;
    return Task::None;
}

std::function<void()> DecodeQueues::takeUrgent()
{
    std::function<void()> task = std::move(m_urgent.front());
    m_urgent.pop_front();
    return task;
}

bool DecodeQueues::owe(OwedDecode owed)
{
    const auto same = [&](const OwedDecode& o) { return o.key == owed.key; };
    if (std::any_of(m_owed.begin(), m_owed.end(), same)
        || std::find(m_owedRunning.begin(), m_owedRunning.end(), owed.key) != m_owedRunning.end())
        return false;
    m_owed.push_back(std::move(owed));
    return true;
}

OwedDecode DecodeQueues::startOwed()
{
    OwedDecode owed = std::move(m_owed.front());
    m_owed.pop_front();
    m_owedRunning.push_back(owed.key);
    return owed;
}

std::optional<OwedDecode> DecodeQueues::startOwed(const WholeKey& key)
{
    const auto it = std::find_if(m_owed.begin(), m_owed.end(), [&](const OwedDecode& o) { return o.key == key; });
    if (it == m_owed.end())
        return std::nullopt;
    OwedDecode owed = std::move(*it);
    m_owed.erase(it);
    m_owedRunning.push_back(owed.key);
    return owed;
}

void DecodeQueues::finishOwed(const WholeKey& key)
{
    // One entry: a key is never running twice.
    if (auto it = std::find(m_owedRunning.begin(), m_owedRunning.end(), key); it != m_owedRunning.end())
        m_owedRunning.erase(it);
}

void DecodeQueues::keepOwed(const std::function<bool(const WholeKey&)>& kept)
{
    std::erase_if(m_owed, [&](const OwedDecode& owed) { return !kept(owed.key); });
}

void DecodeQueues::setAhead(const std::vector<DecodeRequest>& requests)
{
    m_budgetDue = true;
    m_ahead.assign(requests.begin(), requests.end());
}

std::vector<DecodeRequest> DecodeQueues::startBudget()
{
    m_budgetDue = false;
    ++m_aheadRunning;
    return {m_ahead.begin(), m_ahead.end()};
}

DecodeRequest DecodeQueues::startAhead()
{
    DecodeRequest request = std::move(m_ahead.front());
    m_ahead.pop_front();
    ++m_aheadRunning;
    return request;
}

bool DecodeQueues::idle() const
{
    return m_ahead.empty() && !m_budgetDue && m_aheadRunning == 0 && m_owed.empty() && m_owedRunning.empty();
}

void DecodeQueues::clear()
{
    m_urgent.clear();
    m_owed.clear();
    m_ahead.clear();
    m_budgetDue = false;
}

} // namespace tetrafot
