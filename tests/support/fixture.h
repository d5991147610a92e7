#pragma once
// The disk images under tests/fixtures/ (made by scripts/make-fixtures) and their manifest.
// Images are stored xz-compressed; each test process unpacks the ones it asks for, once,
// into a temporary folder of its own that is removed when the process ends.

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace lazarine::testing {

// The temporary folder of this test process (created on first use).
const std::filesystem::path& fixtureTempDir();

// Path of the unpacked image `name` ("mbr-disk.img"), from LAZARINE_FIXTURE_DIR/name.xz.
// Throws std::runtime_error when it cannot be unpacked or its size differs from the
// manifest's.
std::filesystem::path fixtureImage(const std::string& name);

// tests/fixtures/manifest.json, parsed once.
const nlohmann::json& fixtureManifest();
// The manifest entry of the image `name` ("mbr-disk.img"); throws when there is none.
const nlohmann::json& manifestImage(const std::string& name);

// Exit code and captured output of a shell command line.
struct CommandResult {
    int exitCode = -1;  // -1 when the command did not exit normally
    std::string out;
    std::string err;
};
CommandResult runCommand(const std::string& commandLine);

// `text` quoted for /bin/sh.
std::string shellQuote(const std::string& text);

}  // namespace lazarine::testing
