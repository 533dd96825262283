// The progress a browser panel keeps between a download's begin and end.
#include <gtest/gtest.h>

#include "ui/browser_progress.h"

using namespace ui;

TEST(BrowserProgress, MaximumFollowsTheRuleOfTheNotification) {
    struct example {
        int progress, progress_max, want_progress, want_maximum;
    };
    for (const example& e : {example{0, 0, 0, 0}, example{0, -5, 0, 0}, example{30, 0, 30, 30},
                             example{80, 50, 80, 80}, example{20, 100, 20, 100}}) {
        browser_progress state;
        progress_download_begin(state);
        EXPECT_TRUE(progress_change(state, e.progress, e.progress_max));
        EXPECT_EQ(state.progress, e.want_progress) << e.progress << "/" << e.progress_max;
        EXPECT_EQ(state.maximum, e.want_maximum) << e.progress << "/" << e.progress_max;
    }
}

TEST(BrowserProgress, NegativeOrInactiveProgressIsIgnored) {
    browser_progress state;
    EXPECT_FALSE(progress_change(state, 10, 100));  // no download under way
    EXPECT_EQ(state.maximum, 0);
    progress_download_begin(state);
    ASSERT_TRUE(progress_change(state, 20, 100));
    EXPECT_FALSE(progress_change(state, -1, 100));
    EXPECT_EQ(state.progress, 20);
    EXPECT_EQ(state.maximum, 100);
}

TEST(BrowserProgress, CompletionSetsProgressToTheMaximumEvenWithoutABegin) {
    browser_progress state;
    state.maximum = 40;
    progress_download_complete(state);
    EXPECT_FALSE(state.active);
    EXPECT_EQ(state.progress, 40);

    progress_download_begin(state);
    progress_change(state, 30, 90);
    progress_download_complete(state);
    EXPECT_EQ(state.progress, 90);
    EXPECT_FALSE(progress_change(state, 50, 90));
}
