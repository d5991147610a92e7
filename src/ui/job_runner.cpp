#include "ui/job_runner.h"

namespace lazarine::ui {

JobRunner::JobRunner(PageReporter& reporter, QObject* parent)
    : QObject(parent), reporter_(reporter) {}

JobRunner::~JobRunner() {
    stopAndWait();
    if (thread_ != nullptr) {
        thread_->wait();
        delete thread_;
    }
}

void JobRunner::start(std::function<bool()> job) {
    if (thread_ != nullptr) {
        thread_->wait();
        delete thread_;
    }
    control_.reset();
    thread_ = QThread::create([this, job = std::move(job)] {
        result_.store(job(), std::memory_order_release);
    });
    QThread* thread = thread_;
    connect(thread, &QThread::finished, this, [this, thread] {
        if (thread == thread_) emit finished(result_.load(std::memory_order_acquire));
    });
    thread_->start();
}

void JobRunner::stopAndWait() {
    if (thread_ == nullptr || thread_->isFinished()) return;
    control_.requestStop();
    reporter_.abandon();
    thread_->wait();
    reporter_.reinstate();
}

}  // namespace lazarine::ui
