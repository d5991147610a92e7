#include "scan/job_control.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace lazarine {
namespace {

TEST(JobControl, PauseHoldsTheJobAtItsNextTestAndResumeContinuesIt) {
    JobControl control;
    std::atomic<int> steps{0};
    control.pause();
    std::thread job([&] {
        while (!control.shouldStop() && steps < 3) ++steps;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(steps.load(), 0);  // held at the first test
    control.resume();
    job.join();
    EXPECT_EQ(steps.load(), 3);  // the same job ran on
}

TEST(JobControl, StopReleasesAPausedJob) {
    JobControl control;
    control.pause();
    std::atomic<bool> ended{false};
    std::thread job([&] {
        while (!control.shouldStop()) {
        }
        ended = true;
    });
    control.requestStop();
    job.join();
    EXPECT_TRUE(ended.load());
    control.reset();
    EXPECT_FALSE(control.shouldStop());
    EXPECT_FALSE(control.paused());
}

}  // namespace
}  // namespace lazarine
