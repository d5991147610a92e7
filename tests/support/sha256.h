#pragma once
// SHA-256 of a byte string or a file, as lower-case hex, to compare saved files with the
// fixture manifest.

#include <filesystem>
#include <string>
#include <string_view>

namespace lazarine::testing {

std::string sha256Hex(std::string_view data);
std::string sha256OfFile(const std::filesystem::path& path);

}  // namespace lazarine::testing
