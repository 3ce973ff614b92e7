#pragma once
// Which wallpaper "next" moves on to.  The entries are identified by a key
// (image path and style, see WallpaperKey), given in the order the list
// shows them.  In list order the next one is the entry after the current
// wallpaper, wrapping around.  Shuffled, every entry is shown once in a
// round before any comes again, and a new round never starts with the
// wallpaper that ended the last one.  Standard C++ only.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

// The key of one choice: the same picture in another style is another choice.
std::string WallpaperKey(const std::string& path, int32_t style);

class NextWallpaperOrder {
public:
    explicit NextWallpaperOrder(uint32_t seed = 1);

    void SetShuffled(bool shuffled);
    bool shuffled() const { return m_shuffled; }

    // The entries to try for the next change, best first, as positions in
    // `keys` (a key listed twice counts once, at its first position).  The
    // current wallpaper is left out unless it is the only entry.  Keys in
    // `avoid` (what other monitors show) come last, so two monitors never
    // show the same picture while the list has enough entries.
    std::vector<size_t> Candidates(const std::vector<std::string>& keys, const std::string& current,
                                   const std::set<std::string>& avoid = {});
    // The change was made with the `index`-th of the last Candidates; those
    // before it could not be shown and are skipped for this round.
    void Taken(size_t index);

    // The keys still due in the current shuffled round (for a look in tests).
    const std::vector<std::string>& pendingRound() const { return m_pending; }

private:
    uint32_t Random(uint32_t bound);
    void Shuffle(std::vector<std::string>* keys);
    std::vector<std::string> NewRound(const std::vector<std::string>& unique, const std::string& current);

    bool m_shuffled = false;
    uint64_t m_state;
    std::vector<std::string> m_pending;    // shuffled: the rest of this round, in order
    std::vector<std::string> m_candidates;  // the keys of the last Candidates
    size_t m_fromRound = 0;                 // how many of them came from the round
    std::vector<std::string> m_nextRound;   // the round that follows, should this one's rest fail
};
