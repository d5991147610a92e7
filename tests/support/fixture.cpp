#include "support/fixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace lazarine::testing {

namespace fs = std::filesystem;

namespace {

// Owns the process's temporary folder and removes it at exit.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "lazarine-fixtures-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
        }
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::mutex& cacheMutex() {
    static std::mutex m;
    return m;
}

}  // namespace

const fs::path& fixtureTempDir() {
    static TempDir dir;
    return dir.path();
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

CommandResult runCommand(const std::string& commandLine) {
    static std::atomic<int> counter{0};
    std::string stem = "command-" + std::to_string(counter++);
    fs::path out = fixtureTempDir() / (stem + ".out");
    fs::path err = fixtureTempDir() / (stem + ".err");
    std::string full = "(" + commandLine + ") >" + shellQuote(out.string()) + " 2>" +
                       shellQuote(err.string()) + " </dev/null";
    int status = std::system(full.c_str());
    CommandResult result;
    if (status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.out = readWhole(out);
    result.err = readWhole(err);
    std::error_code ignored;
    fs::remove(out, ignored);
    fs::remove(err, ignored);
    return result;
}

const nlohmann::json& fixtureManifest() {
    static const nlohmann::json manifest = [] {
        fs::path path = fs::path(LAZARINE_FIXTURE_DIR) / "manifest.json";
        std::ifstream in(path);
        if (!in) throw std::runtime_error("cannot read " + path.string());
        return nlohmann::json::parse(in);
    }();
    return manifest;
}

const nlohmann::json& manifestImage(const std::string& name) {
    for (const nlohmann::json& image : fixtureManifest().at("images")) {
        if (image.at("image") == name) return image;
    }
    throw std::runtime_error("manifest.json lists no image " + name);
}

fs::path fixtureImage(const std::string& name) {
    std::lock_guard lock(cacheMutex());
    static std::map<std::string, fs::path> unpacked;
    if (auto it = unpacked.find(name); it != unpacked.end()) return it->second;

    const nlohmann::json& entry = manifestImage(name);
    fs::path packed = fs::path(LAZARINE_FIXTURE_DIR) / entry.at("file").get<std::string>();
    fs::path target = fixtureTempDir() / name;
    fs::path partial = target;
    partial += ".part";
    std::string command = "xz -dc " + shellQuote(packed.string()) + " > " +
                          shellQuote(partial.string());
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("cannot unpack " + packed.string() + " with xz");
    }
    auto expected = entry.at("size").get<uintmax_t>();
    if (fs::file_size(partial) != expected) {
        throw std::runtime_error(packed.string() + " unpacked to " +
                                 std::to_string(fs::file_size(partial)) + " bytes, the manifest says " +
                                 std::to_string(expected));
    }
    fs::rename(partial, target);
    unpacked.emplace(name, target);
    return target;
}

}  // namespace lazarine::testing
