// The single-instance lock and the bridge between workers and pages.

#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>

#include "gui/gui_support.h"
#include "platform/instance_lock.h"
#include "support/fixture.h"
#include "ui/job_runner.h"
#include "ui/page_reporter.h"

namespace lazarine::testing {
namespace {

TEST(InstanceLock, OnlyOneHolderAtATime) {
    std::filesystem::path folder = freshFolder("locks");
    platform::InstanceLock first;
    platform::InstanceLock second;
    ASSERT_TRUE(first.acquire(folder, "lazarine"));
    EXPECT_FALSE(second.acquire(folder, "lazarine"));
    EXPECT_FALSE(second.held());
    first.release();
    EXPECT_TRUE(second.acquire(folder, "lazarine"));
    EXPECT_FALSE(platform::InstanceLock().acquire(folder / "missing", "lazarine"));
}

TEST(PageReporter, WorkerQuestionsAreAnsweredOnTheUiThread) {
    ScriptedPrompter prompter;
    prompter.answers = {true, false};
    QWidget page;
    ui::PageReporter reporter(prompter, &page);
    ui::JobRunner runner(reporter, &page);
    std::vector<std::string> statuses;
    QObject::connect(&reporter, &ui::PageReporter::statusChanged,
                     [&](const QString& s) { statuses.push_back(s.toStdString()); });
    std::atomic<int> answers{0};
    std::atomic<bool> done{false};
    QObject::connect(&runner, &ui::JobRunner::finished, [&] { done = true; });
    runner.start([&] {
        reporter.setStatus("before");
        if (reporter.ask("first?")) answers += 1;
        if (reporter.ask("second?")) answers += 10;
        reporter.message("told");
        return true;
    });
    ASSERT_TRUE(waitUntil([&] { return done.load(); }));
    EXPECT_EQ(answers.load(), 1);
    EXPECT_EQ(prompter.questions, (std::vector<std::string>{"first?", "second?"}));
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{"told"}));
    EXPECT_EQ(statuses, (std::vector<std::string>{"before"}));
}

TEST(PageReporter, StoppingAWorkerThatWaitsForAnAnswerDoesNotHang) {
    ScriptedPrompter prompter;
    QWidget page;
    ui::PageReporter reporter(prompter, &page);
    ui::JobRunner runner(reporter, &page);
    std::atomic<bool> asked{false};
    std::atomic<bool> answer{true};
    runner.start([&] {
        asked = true;
        answer = reporter.ask("never answered");
        return true;
    });
    // The event loop does not run here, so the question stays pending.
    while (!asked) QThread::msleep(1);
    QThread::msleep(20);
    runner.stopAndWait();
    EXPECT_FALSE(runner.running());
    EXPECT_FALSE(answer.load());
}

}  // namespace
}  // namespace lazarine::testing
