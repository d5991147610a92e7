#include "support/fake_parser.h"

#include <sstream>
#include <stdexcept>

#include "platform/output_file.h"

namespace lazarine::testing {

TempFolder::TempFolder() : path_(platform::makePrivateTempFolder("lazarine-test-")) {
    if (path_.empty()) throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace lazarine::testing
