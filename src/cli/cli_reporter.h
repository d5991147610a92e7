#pragma once
// Reporter for the command line: status texts and messages as lines on stderr, progress
// as a bar on stderr when it is a terminal.

#include <chrono>
#include <cstdint>
#include <string>

#include "scan/job_control.h"

namespace lazarine::cli {

class CliReporter final : public Reporter {
public:
    explicit CliReporter(bool quiet);
    ~CliReporter() override;

    void setStatus(std::string_view text) override;
    void setProgressRange(uint32_t low, uint32_t high) override;
    void setProgressPosition(uint32_t position) override;
    void message(std::string_view text) override;
    bool ask(std::string_view question) override;

    // Ends the progress bar line, if one is drawn.
    void finish();

private:
    void clearBar();
    void printStatus(const std::string& text);
    void drawBar();

    bool quiet_;
    bool terminal_;
    bool barShown_ = false;
    uint32_t low_ = 0;
    uint32_t high_ = 0;
    uint32_t position_ = 0;
    int lastPercent_ = -1;
    std::string lastStatus_;
    std::string lastShape_;
    std::string pending_;
    std::chrono::steady_clock::time_point lastPrinted_{};
};

}  // namespace lazarine::cli
