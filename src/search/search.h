#pragma once
// Search in results: a case-insensitive ECMAScript regular expression searched (not fully
// matched) in every file name below the volume's top-level folders.

#include <cstdint>
#include <functional>
#include <string>

#include "scan/job_control.h"
#include "scan/parser.h"

namespace lazarine {

inline constexpr const char* kBadPatternText =
    "such characters are not allowed for search.Try again with different pattern.";
inline constexpr const char* kSearchFinishedText = "Searching Finished";

struct SearchMatch {
    std::string path;  // "ROOT\dir\name"
    EntryId entry = 0;
};

// Runs the search walk. `onMatch` receives each match in order; the status shows
// "searched file %lld". Returns false (after the message) for an invalid pattern.
bool searchEntries(FileSystemParser& parser, const std::string& pattern, Reporter& reporter,
                   JobControl& control, const std::function<void(const SearchMatch&)>& onMatch,
                   const std::string& rootText = "ROOT");

}  // namespace lazarine
