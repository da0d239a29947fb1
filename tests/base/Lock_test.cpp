#include "base/Lock.h"

#include <gtest/gtest.h>

#include <thread>

TEST(RecursiveLock, SameThreadNestsAndCountsHolds) {
    RecursiveLock lock;
    EXPECT_EQ(0, lock.Lock(-1));
    EXPECT_EQ(0, lock.Lock(0));
    EXPECT_EQ(2, lock.HeldByCaller());
    EXPECT_EQ(0, lock.Unlock());
    EXPECT_EQ(1, lock.HeldByCaller());
    EXPECT_EQ(0, lock.Unlock());
    EXPECT_EQ(0, lock.HeldByCaller());
    // A release too many changes nothing.
    EXPECT_EQ(RecursiveLock::kLockNotOwner, lock.Unlock());
}

TEST(RecursiveLock, OtherThreadTimesOutAndCannotRelease) {
    RecursiveLock lock;
    ASSERT_EQ(0, lock.Lock(-1));
    int tryResult = -1, waitResult = -1, unlockResult = -1, heldThere = -1;
    std::thread other([&] {
        tryResult = lock.Lock(0);
        waitResult = lock.Lock(20);
        unlockResult = lock.Unlock();
        heldThere = lock.HeldByCaller();
    });
    other.join();
    EXPECT_EQ(RecursiveLock::kLockTimeout, tryResult);
    EXPECT_EQ(RecursiveLock::kLockTimeout, waitResult);
    EXPECT_EQ(RecursiveLock::kLockNotOwner, unlockResult);
    EXPECT_EQ(0, heldThere);
    EXPECT_EQ(1, lock.HeldByCaller());
    ASSERT_EQ(0, lock.Unlock());

    // Free again: the other thread gets it and becomes the owner.
    std::thread taker([&] {
        tryResult = lock.Lock(0);
        heldThere = lock.HeldByCaller();
        unlockResult = lock.Unlock();
    });
    taker.join();
    EXPECT_EQ(0, tryResult);
    EXPECT_EQ(1, heldThere);
    EXPECT_EQ(0, unlockResult);
}
