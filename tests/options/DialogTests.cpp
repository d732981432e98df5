// The outs and player-type dialogs: values shown on opening and after each click, "OK" ending the dialog.
#include "OptionsTestSupport.h"

namespace {

using options_test::Session;
using Values = std::map<int64_t, int64_t>;

constexpr int64_t rrMenu = 261, outsItem = 4, playerItem = 5;

// Each case, then the same dialog opened again and closed at once: it shows the last choice. Pushes: the opening,
// then one per control value set (2 at opening, 2 per radio click).
TEST(OptionDialogs, ValuesPushedAndOptionsSetByClicks) {
    const struct {
        const char* name;
        int64_t menuItem;
        std::vector<int64_t> clicks; // ends with "OK" (3)
        int64_t firstOn, pushes;     // the radio button on at the end
    } cases[] = {
        {"outs OK at once", outsItem, {3}, 2, 3},          {"outs winners", outsItem, {1, 3}, 1, 5},
        {"outs winners then losers", outsItem, {1, 2, 3}, 2, 7}, {"outs button already on", outsItem, {2, 3}, 2, 5},
        {"outs static items ignored", outsItem, {4, 5, 6, 9, 3}, 2, 3}, {"outs static between radios", outsItem, {1, 4, 3}, 1, 5},
        {"player OK at once", playerItem, {3}, 1, 3},       {"player sierra", playerItem, {2, 3}, 2, 5},
        {"player sierra then rambo", playerItem, {2, 1, 3}, 1, 7}, {"player static items ignored", playerItem, {7, 4, 3}, 1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        for (const std::vector<int64_t>& clicks : {c.clicks, std::vector<int64_t>{3}}) {
            s.host->chooseMenu(rrMenu, c.menuItem);
            s.host->answerDialog(c.menuItem == outsItem ? 1000 : 1002, clicks);
        }
        s.host->quit();
        ASSERT_TRUE(s.play());
        ASSERT_EQ(s.host->dialogs().size(), 2u);
        const auto& first = s.host->dialogs()[0];
        const Values atOpening = c.menuItem == outsItem ? Values{{1, 0}, {2, 1}} : Values{{1, 1}, {2, 0}};
        const Values atEnd{{1, c.firstOn == 1 ? 1 : 0}, {2, c.firstOn == 2 ? 1 : 0}};
        EXPECT_EQ(first.hits, c.clicks) << "every click up to OK is read, nothing after";
        ASSERT_EQ(static_cast<int64_t>(first.pushes.size()), c.pushes);
        EXPECT_EQ(first.pushes[2], atOpening);
        EXPECT_EQ(first.pushes.back(), atEnd);
        EXPECT_EQ(s.host->dialogs()[1].pushes.back(), atEnd) << "the next opening";
        // Outs: button 2 is "Losers Outs"; player type: button 1 is "Rambo Fan Club".
        EXPECT_EQ(c.menuItem == outsItem ? s.game.gLosersOut : s.game.gRambo, c.firstOn == (c.menuItem == outsItem ? 2 : 1));
    }
}

} // namespace
