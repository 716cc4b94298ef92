#pragma once
// A bounded cache that keeps the values used last: the file list keeps the
// pictures of the rows it drew most recently in one, so scrolling back and
// forth over the rows in view does not make them again, and a long list
// never holds more than the limit.
#include <cstddef>
#include <list>
#include <unordered_map>
#include <utility>

namespace gw {

template <class Key, class Value>
class RecentCache {
public:
    explicit RecentCache(size_t limit) : m_limit(limit < 1 ? 1 : limit) {}

    // The value kept under key, which becomes the most recently used; null
    // when none is kept.
    Value* Find(const Key& key) {
        const auto found = m_where.find(key);
        if (found == m_where.end()) return nullptr;
        m_order.splice(m_order.begin(), m_order, found->second);
        return &found->second->second;
    }

    // Keeps value under key as the most recently used, replacing what was
    // kept under it; beyond the limit the least recently used value goes.
    Value& Put(const Key& key, Value value) {
        if (Value* kept = Find(key)) return *kept = std::move(value);
        m_order.emplace_front(key, std::move(value));
        m_where.emplace(key, m_order.begin());
        if (m_order.size() > m_limit) {
            m_where.erase(m_order.back().first);
            m_order.pop_back();
        }
        return m_order.front().second;
    }

    // Drops every value, and the room the index took.
    void Clear() {
        m_order.clear();
        std::unordered_map<Key, typename Order::iterator>().swap(m_where);
    }

    size_t Size() const { return m_order.size(); }
    size_t Limit() const { return m_limit; }

private:
    using Order = std::list<std::pair<Key, Value>>; // most recently used first
    size_t m_limit;
    Order m_order;
    std::unordered_map<Key, typename Order::iterator> m_where;
};

} // namespace gw
