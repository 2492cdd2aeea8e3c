#include <QObject>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "ui/queued_call.h"
#include "ui_test_support.h"

namespace talven::ui {
namespace {

TEST(QueuedCall, CallsFromAnotherThreadRunOnTheTargetsThreadInTheOrderQueued) {
    QObject target;
    std::vector<int> order;
    std::vector<QThread*> threads;
    std::thread poster([&] {
        for (int i = 1; i <= 3; ++i) {
            EXPECT_TRUE(queueCall(&target, [&, i] {
                order.push_back(i);
                threads.push_back(QThread::currentThread());
            }));
        }
    });
    poster.join();
    EXPECT_TRUE(order.empty());  // nothing runs before the target's loop does
    ASSERT_TRUE(test::WaitUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    for (QThread* thread : threads) EXPECT_EQ(thread, target.thread());
}

// A blocking send relies on this: the dropped call lets go of what it holds,
// so a promise inside it breaks instead of leaving the sender waiting.
TEST(QueuedCall, ACallToAnObjectDestroyedFirstIsDroppedAndLetsGoOfWhatItHolds) {
    auto target = std::make_unique<QObject>();
    auto held = std::make_shared<int>(0);
    bool ran = false;
    ASSERT_TRUE(queueCall(target.get(), [held, &ran] { ran = true; }));
    EXPECT_EQ(held.use_count(), 2);
    target.reset();
    EXPECT_EQ(held.use_count(), 1);
    test::Spin(20);
    EXPECT_FALSE(ran);
}

TEST(QueuedCall, ANullTargetIsRefused) {
    bool ran = false;
    EXPECT_FALSE(queueCall(nullptr, [&ran] { ran = true; }));
    test::Spin(10);
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace talven::ui
