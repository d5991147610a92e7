#include "ui/page_reporter.h"

#include <QThread>

#include <memory>

namespace lazarine::ui {

namespace {

QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int clampToInt(uint32_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<int>(v); }

}  // namespace

PageReporter::PageReporter(Prompter& prompter, QWidget* page)
    : QObject(page), prompter_(prompter), page_(page) {}

void PageReporter::setStatus(std::string_view text) { emit statusChanged(qText(text)); }

void PageReporter::setProgressRange(uint32_t low, uint32_t high) {
    emit progressRangeChanged(clampToInt(low), clampToInt(high));
}

void PageReporter::setProgressPosition(uint32_t position) {
    emit progressPositionChanged(clampToInt(position));
}

void PageReporter::setSizeText(std::string_view text) { emit sizeTextChanged(qText(text)); }

void PageReporter::message(std::string_view text) {
    QString q = qText(text);
    runOnUi([this, q] {
        prompter_.message(page_, q, Prompter::Icon::Information);
        return true;
    });
}

bool PageReporter::ask(std::string_view question) {
    QString q = qText(question);
    // The save question carries no icon.
    return runOnUi([this, q] { return prompter_.ask(page_, q, Prompter::Icon::None); });
}

bool PageReporter::runOnUi(std::function<bool()> fn) {
    if (QThread::currentThread() == thread()) return fn();

    struct Call {
        bool done = false;
        bool result = false;
    };
    auto call = std::make_shared<Call>();
    {
        std::lock_guard lock(mutex_);
        if (abandoned_) return false;
    }
    QMetaObject::invokeMethod(
        this,
        [this, call, fn = std::move(fn)] {
            {
                std::lock_guard lock(mutex_);
                if (abandoned_) return;
            }
            bool result = fn();
            {
                std::lock_guard lock(mutex_);
                call->result = result;
                call->done = true;
            }
            answered_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&] { return call->done || abandoned_; });
    return call->done && call->result;
}

void PageReporter::abandon() {
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
    }
    answered_.notify_all();
}

void PageReporter::reinstate() {
    std::lock_guard lock(mutex_);
    abandoned_ = false;
}

}  // namespace lazarine::ui
