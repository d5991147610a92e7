#pragma once
// One worker thread of a page at a time, with the job's stop flag and pause gate.

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>

#include "scan/job_control.h"
#include "ui/page_reporter.h"

namespace lazarine::ui {

class JobRunner : public QObject {
    Q_OBJECT
public:
    JobRunner(PageReporter& reporter, QObject* parent);
    ~JobRunner() override;

    // Starts `job` on a new worker with fresh stop and pause flags; finished(result) is
    // emitted on the user-interface thread when it returns.
    void start(std::function<bool()> job);
    bool running() const { return thread_ != nullptr && !thread_->isFinished(); }
    // True once a worker was started (Pause and Resume act only then).
    bool started() const { return thread_ != nullptr; }
    JobControl& control() { return control_; }

    // Asks the job to stop and waits for its worker to end.
    void stopAndWait();

signals:
    void finished(bool result);

private:
    PageReporter& reporter_;
    JobControl control_;
    QThread* thread_ = nullptr;
    std::atomic<bool> result_{false};
};

}  // namespace lazarine::ui
