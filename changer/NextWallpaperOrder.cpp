#include "changer/NextWallpaperOrder.h"

#include <algorithm>

std::string WallpaperKey(const std::string& path, int32_t style) {
    // A path never holds a control character, so the key cannot be ambiguous.
    return path + '\x01' + std::to_string(style);
}

NextWallpaperOrder::NextWallpaperOrder(uint32_t seed) : m_state(seed ? seed : 1) {}

void NextWallpaperOrder::SetShuffled(bool shuffled) {
    if (shuffled != m_shuffled) m_pending.clear();  // a new round with the next change
    m_shuffled = shuffled;
}

uint32_t NextWallpaperOrder::Random(uint32_t bound) {
    // xorshift64*: the same sequence on every platform for a given seed.
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    uint64_t value = m_state * 0x2545F4914F6CDD1DULL;
    return bound ? static_cast<uint32_t>((value >> 32) % bound) : 0;
}

void NextWallpaperOrder::Shuffle(std::vector<std::string>* keys) {
    for (size_t i = keys->size(); i > 1; --i) std::swap((*keys)[i - 1], (*keys)[Random(static_cast<uint32_t>(i))]);
}

std::vector<size_t> NextWallpaperOrder::Candidates(const std::vector<std::string>& keys, const std::string& current,
                                                   const std::set<std::string>& avoid) {
    // Each key once, at its first position.
    std::vector<std::string> unique;
    std::set<std::string> seen;
    for (const std::string& key : keys)
        if (seen.insert(key).second) unique.push_back(key);

    std::vector<std::string> order;
    m_fromRound = 0;
    if (!m_shuffled) {
        auto at = std::find(unique.begin(), unique.end(), current);
        size_t start = at == unique.end() ? 0 : static_cast<size_t>(at - unique.begin()) + 1;
        for (size_t i = 0; i < unique.size(); ++i) {
            const std::string& key = unique[(start + i) % unique.size()];
            if (key != current) order.push_back(key);
        }
    } else {
        // Entries gone from the list leave the round.
        m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                       [&](const std::string& key) { return !seen.count(key); }),
                        m_pending.end());
        bool othersDue = std::any_of(m_pending.begin(), m_pending.end(),
                                     [&](const std::string& key) { return key != current; });
        if (!othersDue) m_pending = NewRound(unique, current);
        // The current wallpaper stays due later in its round; it is not shown twice in a row.
        for (const std::string& key : m_pending)
            if (key != current) order.push_back(key);
        m_fromRound = order.size();
        // When none of the round's rest can be shown, the next round begins.
        m_nextRound = NewRound(unique, current);
        std::set<std::string> tried(order.begin(), order.end());
        for (const std::string& key : m_nextRound)
            if (key != current && !tried.count(key)) order.push_back(key);
    }
    if (order.empty() && seen.count(current)) order.push_back(current);  // the only entry

    // What other monitors show goes last, in the same order; the round's keys
    // that stay in front are still the first ones.
    m_fromRound = static_cast<size_t>(std::count_if(order.begin(), order.begin() + m_fromRound,
                                                    [&](const std::string& key) { return !avoid.count(key); }));
    std::stable_partition(order.begin(), order.end(), [&](const std::string& key) { return !avoid.count(key); });

    m_candidates = order;
    std::vector<size_t> positions;
    for (const std::string& key : order)
        positions.push_back(static_cast<size_t>(std::find(keys.begin(), keys.end(), key) - keys.begin()));
    return positions;
}

void NextWallpaperOrder::Taken(size_t index) {
    if (!m_shuffled || index >= m_candidates.size()) return;
    // Taken from the next round: nothing left of this one could be shown.
    if (index >= m_fromRound) m_pending = m_nextRound;
    // What was tried is done for its round: shown, or skipped.
    for (size_t i = 0; i <= index; ++i)
        m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), m_candidates[i]), m_pending.end());
}

std::vector<std::string> NextWallpaperOrder::NewRound(const std::vector<std::string>& unique,
                                                      const std::string& current) {
    // Every entry once, never the current one first.
    std::vector<std::string> round = unique;
    Shuffle(&round);
    if (round.size() > 1 && round.front() == current)
        std::swap(round.front(), round[1 + Random(static_cast<uint32_t>(round.size() - 1))]);
    return round;
}
