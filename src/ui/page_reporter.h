#pragma once
// Reporter for a page's worker: status, progress and size texts travel to the page as
// queued signals; messages and questions run on the user-interface thread while the
// worker waits for the answer.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <condition_variable>
#include <functional>
#include <mutex>

#include "scan/job_control.h"
#include "scan/save_walker.h"
#include "ui/prompter.h"

namespace lazarine::ui {

class PageReporter : public QObject, public Reporter, public SizeLabel {
    Q_OBJECT
public:
    PageReporter(Prompter& prompter, QWidget* page);

    void setStatus(std::string_view text) override;
    void setProgressRange(uint32_t low, uint32_t high) override;
    void setProgressPosition(uint32_t position) override;
    void message(std::string_view text) override;
    bool ask(std::string_view question) override;
    void setSizeText(std::string_view text) override;

    // Runs `fn` on the user-interface thread and returns its result; from a worker it
    // waits until the user-interface thread ran it, or returns false once abandoned.
    bool runOnUi(std::function<bool()> fn);

    // While the page waits for its worker to end, nothing may wait for the page:
    // pending and later calls return at once (questions answered No).
    void abandon();
    void reinstate();

    Prompter& prompter() { return prompter_; }

signals:
    void statusChanged(const QString& text);
    void progressRangeChanged(int low, int high);
    void progressPositionChanged(int position);
    void sizeTextChanged(const QString& text);

private:
    Prompter& prompter_;
    QPointer<QWidget> page_;
    std::mutex mutex_;
    std::condition_variable answered_;
    bool abandoned_ = false;
};

}  // namespace lazarine::ui
