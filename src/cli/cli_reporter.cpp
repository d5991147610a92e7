#include "cli/cli_reporter.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace lazarine::cli {

CliReporter::CliReporter(bool quiet) : quiet_(quiet), terminal_(::isatty(STDERR_FILENO) == 1) {}

CliReporter::~CliReporter() { finish(); }

void CliReporter::clearBar() {
    if (barShown_) {
        std::fputs("\r\033[K", stderr);
        barShown_ = false;
    }
}

void CliReporter::drawBar() {
    if (quiet_ || !terminal_ || high_ <= low_) return;
    uint32_t span = high_ - low_;
    uint32_t done = position_ < low_ ? 0 : std::min(position_ - low_, span);
    int percent = static_cast<int>(static_cast<uint64_t>(done) * 100 / span);
    if (barShown_ && percent == lastPercent_) return;
    lastPercent_ = percent;
    constexpr int kWidth = 40;
    int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################",
                 kWidth - filled, "", percent);
    std::fflush(stderr);
    barShown_ = true;
}

namespace {

// A status with its numbers blanked: "parsing MFT entry 17..." and "... 18..." share one.
std::string shapeOf(std::string_view text) {
    std::string shape;
    for (char c : text) {
        bool digit = c >= '0' && c <= '9';
        if (!digit || shape.empty() || shape.back() != '#') shape += digit ? '#' : c;
    }
    return shape;
}

}  // namespace

void CliReporter::setStatus(std::string_view text) {
    // Jobs repeat a status many times in a row ("found NTFS 3..."); print each change once.
    if (quiet_ || text.empty() || text == lastStatus_) return;
    // Per-item statuses ("parsing MFT entry %d...") arrive thousands of times a second:
    // print at most one a second of each kind, and the last one before the next kind.
    std::string shape = shapeOf(text);
    auto now = std::chrono::steady_clock::now();
    if (shape == lastShape_ && now - lastPrinted_ < std::chrono::seconds(1)) {
        pending_ = std::string(text);
        return;
    }
    if (!pending_.empty() && shape != lastShape_) printStatus(pending_);
    pending_.clear();
    lastShape_ = std::move(shape);
    lastPrinted_ = now;
    printStatus(std::string(text));
}

void CliReporter::printStatus(const std::string& text) {
    lastStatus_ = text;
    clearBar();
    std::fprintf(stderr, "%s\n", text.c_str());
    drawBar();
}

void CliReporter::setProgressRange(uint32_t low, uint32_t high) {
    low_ = low;
    high_ = high;
    position_ = low;
    lastPercent_ = -1;
    drawBar();
}

void CliReporter::setProgressPosition(uint32_t position) {
    position_ = position;
    drawBar();
}

void CliReporter::message(std::string_view text) {
    if (!pending_.empty()) printStatus(pending_);
    pending_.clear();
    clearBar();
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    drawBar();
}

bool CliReporter::ask(std::string_view question) {
    // The command line runs unattended: questions are answered yes and shown as such.
    if (!quiet_) {
        clearBar();
        std::fprintf(stderr, "%.*s yes\n", static_cast<int>(question.size()), question.data());
        drawBar();
    }
    return true;
}

void CliReporter::finish() {
    if (barShown_) {
        std::fputc('\n', stderr);
        barShown_ = false;
    }
}

}  // namespace lazarine::cli
