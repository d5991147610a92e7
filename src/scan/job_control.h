#pragma once
// What every long job (partition search, scan, save, search, carving) reports through and
// polls. The GUI adapts Reporter to Qt signals, the CLI to stderr, tests to a recorder.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace lazarine {

class Reporter {
public:
    virtual ~Reporter() = default;
    // The status line under the page.
    virtual void setStatus(std::string_view text) = 0;
    // Progress bar range and position.
    virtual void setProgressRange(uint32_t low, uint32_t high) = 0;
    virtual void setProgressPosition(uint32_t position) = 0;
    // A modal message; returns when the user has seen it.
    virtual void message(std::string_view text) = 0;
    // A yes/no question; true for yes.
    virtual bool ask(std::string_view question) = 0;
};

// Reports nowhere and answers every question with `answer`.
class NullReporter final : public Reporter {
public:
    explicit NullReporter(bool answer = true) : answer_(answer) {}
    void setStatus(std::string_view) override {}
    void setProgressRange(uint32_t, uint32_t) override {}
    void setProgressPosition(uint32_t) override {}
    void message(std::string_view) override {}
    bool ask(std::string_view) override { return answer_; }

private:
    bool answer_;
};

// Stop flag and pause gate of one job. Jobs call shouldStop() where the original loops
// tested their stop byte; a pause takes effect there and nowhere else, so a paused job
// never holds a half-finished read.
class JobControl {
public:
    // Called by the job: blocks while paused (unless a stop arrives), then tells whether
    // the job must end.
    bool shouldStop() {
        if (paused_.load(std::memory_order_acquire)) {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] {
                return !paused_.load(std::memory_order_acquire) ||
                       stop_.load(std::memory_order_acquire);
            });
        }
        return stop_.load(std::memory_order_acquire);
    }
    // Non-blocking look at the flag, for code that must not wait.
    bool stopRequested() const { return stop_.load(std::memory_order_acquire); }

    void requestStop() {
        {
            std::lock_guard lock(mutex_);
            stop_.store(true, std::memory_order_release);
        }
        wake_.notify_all();
    }
    void pause() {
        std::lock_guard lock(mutex_);
        paused_.store(true, std::memory_order_release);
    }
    void resume() {
        {
            std::lock_guard lock(mutex_);
            paused_.store(false, std::memory_order_release);
        }
        wake_.notify_all();
    }
    bool paused() const { return paused_.load(std::memory_order_acquire); }
    // A new job starts with neither flag set.
    void reset() {
        {
            std::lock_guard lock(mutex_);
            stop_.store(false, std::memory_order_release);
            paused_.store(false, std::memory_order_release);
        }
        wake_.notify_all();
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> paused_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};

}  // namespace lazarine
