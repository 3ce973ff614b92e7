// Which wallpaper "next" moves on to, and when the automatic change falls due.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "changer/AutoChangeTimer.h"
#include "changer/NextWallpaperOrder.h"

namespace {
struct OrderFixture : ::testing::Test {
    std::vector<std::string> keys;
    std::string current;
    NextWallpaperOrder order{12345};

    void List(int count) {
        keys.clear();
        for (int i = 0; i < count; ++i) keys.push_back(WallpaperKey("C:\\p" + std::to_string(i) + ".bmp", 2));
    }
    // One change: the first candidate that `shows` accepts becomes current.
    std::string Next(const std::function<bool(const std::string&)>& shows = nullptr,
                     const std::set<std::string>& avoid = {}) {
        std::vector<size_t> candidates = order.Candidates(keys, current, avoid);
        for (size_t i = 0; i < candidates.size(); ++i) {
            const std::string& key = keys[candidates[i]];
            if (shows && !shows(key)) continue;
            order.Taken(i);
            current = key;
            return key;
        }
        return std::string();
    }
};
}  // namespace

TEST_F(OrderFixture, ListOrderStartsAfterTheCurrentAndWraps) {
    List(4);
    current = keys[2];
    EXPECT_EQ((std::vector<size_t>{3, 0, 1}), order.Candidates(keys, current));
    EXPECT_EQ(keys[3], Next());
    EXPECT_EQ(keys[0], Next()) << "wraps to the first";
    EXPECT_EQ(keys[1], Next());

    current = "gone from the list";
    EXPECT_EQ((std::vector<size_t>{0, 1, 2, 3}), order.Candidates(keys, current)) << "from the first entry";

    // One entry: it is the only choice; none: nothing.
    List(1);
    current = keys[0];
    EXPECT_EQ((std::vector<size_t>{0}), order.Candidates(keys, current));
    List(0);
    EXPECT_TRUE(order.Candidates(keys, current).empty());

    // A key listed twice counts once, at its first position.
    keys = {"a", "b", "a", "c"};
    current = "b";
    EXPECT_EQ((std::vector<size_t>{3, 0}), order.Candidates(keys, current));
}

TEST_F(OrderFixture, ListOrderSkipsWhatCannotBeShown) {
    List(5);
    current = keys[0];
    std::set<std::string> broken = {keys[1], keys[2]};
    auto shows = [&](const std::string& key) { return !broken.count(key); };
    EXPECT_EQ(keys[3], Next(shows));
    EXPECT_EQ(keys[4], Next(shows));
    EXPECT_EQ(keys[0], Next(shows));
    EXPECT_EQ(keys[3], Next(shows)) << "the broken ones are passed over again";
    broken = {keys[0], keys[1], keys[2], keys[4]};
    EXPECT_EQ("", Next(shows)) << "nothing else can be shown";
}

TEST_F(OrderFixture, ShuffledShowsEveryEntryOnceARoundAndNeverTheSameTwice) {
    for (int size : {2, 3, 7, 20}) {
        List(size);
        order = NextWallpaperOrder(static_cast<uint32_t>(size * 77));
        order.SetShuffled(true);
        current = keys[0];
        std::string previous = current;
        std::vector<std::string> shown;
        for (int round = 0; round < 30; ++round) {
            std::vector<std::string> thisRound;
            for (int i = 0; i < size; ++i) {
                std::string key = Next();
                ASSERT_NE(previous, key) << "the same wallpaper twice in a row, size " << size;
                previous = key;
                thisRound.push_back(key);
                shown.push_back(key);
            }
            if (round == 0) continue;  // the first round counts the starting wallpaper
            std::vector<std::string> sorted = thisRound, all = keys;
            std::sort(sorted.begin(), sorted.end());
            std::sort(all.begin(), all.end());
            EXPECT_EQ(all, sorted) << "round " << round << " of " << size << " is not every entry once";
        }
        // The rounds differ: the order is shuffled, not fixed.
        if (size >= 7) {
            EXPECT_NE(std::vector<std::string>(shown.begin() + size, shown.begin() + 2 * size),
                      std::vector<std::string>(shown.begin() + 2 * size, shown.begin() + 3 * size));
        }
    }
}

TEST_F(OrderFixture, ShuffledSkipsAnUndecodableEntryForItsRoundAndFollowsListChanges) {
    List(6);
    order.SetShuffled(true);
    current = keys[0];
    const std::string broken = keys[3];
    auto shows = [&](const std::string& key) { return key != broken; };
    std::multiset<std::string> counted;
    for (int i = 0; i < 25; ++i) counted.insert(Next(shows));
    EXPECT_EQ(0u, counted.count(broken));
    for (int i : {0, 1, 2, 4, 5}) EXPECT_EQ(5u, counted.count(keys[i])) << i;

    // Entries removed from the list leave the round; new ones join the next.
    keys.erase(keys.begin() + 1, keys.begin() + 3);
    keys.push_back("new");
    std::set<std::string> seen;
    for (int i = 0; i < 12; ++i) seen.insert(Next());
    EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()), seen);

    // Everything undecodable but the current: nothing.
    EXPECT_EQ("", Next([&](const std::string& key) { return key == current; }));
    // Switching back to list order goes on after the current wallpaper.
    order.SetShuffled(false);
    size_t at = std::find(keys.begin(), keys.end(), current) - keys.begin();
    EXPECT_EQ(keys[(at + 1) % keys.size()], Next());
}

TEST_F(OrderFixture, TwoMonitorsNeverShowTheSamePictureWhenThereAreEnough) {
    for (bool shuffled : {false, true}) {
        List(3);
        order.SetShuffled(shuffled);
        NextWallpaperOrder second(99);
        second.SetShuffled(shuffled);
        std::string left = keys[0], right = keys[1];
        for (int i = 0; i < 30; ++i) {
            current = left;
            left = Next(nullptr, {right});
            std::vector<size_t> c = second.Candidates(keys, right, {left});
            ASSERT_FALSE(c.empty());
            second.Taken(0);
            right = keys[c[0]];
            ASSERT_NE(left, right) << "step " << i << (shuffled ? " shuffled" : " in list order");
        }
    }
    // With fewer entries than monitors the shared picture is the last resort.
    List(1);
    order.SetShuffled(false);
    current = keys[0];
    EXPECT_EQ(keys[0], Next(nullptr, {keys[0]}));
}

TEST(AutoChangeTimerTest, DueFromTheLastChangeOnceAfterAnyGap) {
    AutoChangeTimer timer;
    EXPECT_FALSE(timer.Due(1000000)) << "off";
    EXPECT_EQ(AutoChangeTimer::kLongestWaitMs, timer.NextLookIn(0, false));

    timer.SetInterval(15 * 60 * 1000);
    timer.NoteChange(1000);
    EXPECT_FALSE(timer.Due(1000 + 15 * 60 * 1000 - 1));
    EXPECT_TRUE(timer.Due(1000 + 15 * 60 * 1000));
    EXPECT_EQ(AutoChangeTimer::kLongestWaitMs, timer.NextLookIn(1000, false)) << "a minute at most";
    EXPECT_EQ(30000u, timer.NextLookIn(1000 + 15 * 60 * 1000 - 30000, false));

    // A change by the menu restarts the count.
    timer.NoteChange(500000);
    EXPECT_FALSE(timer.Due(1000 + 15 * 60 * 1000));

    // Eight hours asleep: due once; after the change it is an interval away again.
    uint64_t woke = 500000 + 8ull * 3600 * 1000;
    EXPECT_TRUE(timer.Due(woke));
    EXPECT_EQ(0u, timer.NextLookIn(woke, false));
    EXPECT_EQ(AutoChangeTimer::kBlockedRetryMs, timer.NextLookIn(woke, true)) << "waits while something is in the way";
    timer.NoteChange(woke);
    EXPECT_FALSE(timer.Due(woke + 1));

    // A clock behind the last change is not due.
    EXPECT_FALSE(timer.Due(woke - 5));
    EXPECT_EQ(AutoChangeTimer::kLongestWaitMs, timer.NextLookIn(woke - 5, false));
}
