#pragma once
// A Reporter that records what a job reported, in order, for tests to assert on.

#include <deque>
#include <string>
#include <vector>

#include "scan/job_control.h"

namespace lazarine::testing {

class RecordingReporter final : public Reporter {
public:
    void setStatus(std::string_view text) override {
        statuses.emplace_back(text);
        events.push_back("status: " + std::string(text));
    }
    void setProgressRange(uint32_t low, uint32_t high) override {
        events.push_back("range: " + std::to_string(low) + "-" + std::to_string(high));
    }
    void setProgressPosition(uint32_t position) override {
        positions.push_back(position);
    }
    void message(std::string_view text) override {
        messages.emplace_back(text);
        events.push_back("message: " + std::string(text));
    }
    // Answers from `answers` in order, then `defaultAnswer`.
    bool ask(std::string_view question) override {
        questions.emplace_back(question);
        events.push_back("ask: " + std::string(question));
        if (answers.empty()) return defaultAnswer;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }

    std::vector<std::string> events;  // statuses, ranges, messages and questions in order
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<uint32_t> positions;
    std::deque<bool> answers;
    bool defaultAnswer = true;
};

}  // namespace lazarine::testing
