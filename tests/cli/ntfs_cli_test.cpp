// lazarine-cli scan, recover and search over the real-tool NTFS fixtures; every expected
// value comes from tests/fixtures/manifest.json.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "support/fixture.h"
#include "support/sha256.h"

namespace lazarine {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::CommandResult;
using testing::fixtureImage;
using testing::fixtureTempDir;
using testing::manifestImage;
using testing::runCommand;
using testing::sha256OfFile;
using testing::shellQuote;

CommandResult cli(const std::string& arguments) {
    return runCommand(shellQuote(LAZARINE_CLI_PATH) + " " + arguments);
}

const json& volumeFiles(const std::string& image) {
    return manifestImage(image).at("partitions").at(0).at("files");
}

// The path a manifest entry is shown and saved under: recycled data files get back the
// name their $I partner records.
std::string shownPath(const json& file) {
    std::string path = file.at("path");
    if (file.contains("originalName") && file.at("originalName").is_string()) {
        path = path.substr(0, path.rfind('/') + 1) + file.at("originalName").get<std::string>();
    }
    return path;
}

std::string isoTime(int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::map<std::string, json> scanJson(const std::string& arguments) {
    CommandResult r = cli("-q scan " + arguments + " --json");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::map<std::string, json> byPath;
    for (json& entry : json::parse(r.out)) byPath[entry.at("path").get<std::string>()] = entry;
    return byPath;
}

void expectListsManifest(const std::map<std::string, json>& entries, const std::string& image) {
    for (const json& file : volumeFiles(image)) {
        std::string path = "ROOT/" + shownPath(file);
        auto found = entries.find(path);
        ASSERT_NE(found, entries.end()) << path;
        const json& e = found->second;
        EXPECT_EQ(e.at("folder"), file.at("folder")) << path;
        EXPECT_EQ(e.at("deleted"), file.at("deleted")) << path;
        EXPECT_EQ(e.at("modified"), isoTime(file.at("mtime"))) << path;
        if (!file.at("folder").get<bool>()) EXPECT_EQ(e.at("size"), file.at("size")) << path;
    }
}

// Checks a saved file against its manifest entry: bytes and modification time.
void expectSaved(const fs::path& out, const json& file) {
    fs::path saved = out / shownPath(file);
    ASSERT_TRUE(fs::is_regular_file(saved)) << saved;
    // The times first: reading the file may move its access time.
    struct stat st {};
    ASSERT_EQ(::stat(saved.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, file.at("mtime").get<int64_t>()) << saved;
    EXPECT_EQ(st.st_atime, file.at("atime").get<int64_t>()) << saved;
    EXPECT_EQ(sha256OfFile(saved), file.at("sha256").get<std::string>()) << saved;
}

bool recoverable(const json& file) {
    return !file.at("folder").get<bool>() && !file.at("reused").get<bool>();
}

TEST(NtfsCli, ScanListsEveryFileAndFolderWithItsDeletedMarkSizeAndTime) {
    fs::path image = fixtureImage("ntfs-volume.img");
    std::map<std::string, json> entries = scanJson(shellQuote(image));
    expectListsManifest(entries, "ntfs-volume.img");
    EXPECT_TRUE(entries.count("ROOT/ORPHAN_ENTRY"));
    // The information file of 2048 bytes or more is ignored: its partner keeps its name.
    EXPECT_TRUE(entries.count(
        "ROOT/$RECYCLE.BIN/S-1-5-21-1111111111-2222222222-3333333333-1001/$RBIG0001.pdf"));
}

TEST(NtfsCli, RecoverSavesLiveAndIntactDeletedFilesByteExactWithTheirTimes) {
    fs::path image = fixtureImage("ntfs-volume.img");
    fs::path out = fixtureTempDir() / "ntfs-recover-all";
    fs::remove_all(out);
    CommandResult r = cli("-q recover " + shellQuote(image) + " " + shellQuote(out));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("saved "), std::string::npos);
    for (const json& file : volumeFiles("ntfs-volume.img")) {
        if (recoverable(file)) expectSaved(out, file);
    }
}

TEST(NtfsCli, DeletedOnlyRecoverOfTheSampleDiskSavesJustTheDeletedFiles) {
    fs::path image = fixtureImage("ntfs-disk.img");
    fs::path out = fixtureTempDir() / "ntfs-recover-deleted";
    fs::remove_all(out);
    // No selection: the first partition with a known file system.
    CommandResult r = cli("-q recover " + shellQuote(image) + " " + shellQuote(out) +
                          " --deleted-only");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const json& file : volumeFiles("ntfs-disk.img")) {
        if (file.at("folder").get<bool>()) continue;
        bool deleted = file.at("deleted").get<bool>();
        if (deleted && recoverable(file)) expectSaved(out, file);
        if (!deleted) EXPECT_FALSE(fs::exists(out / shownPath(file))) << shownPath(file);
    }
}

TEST(NtfsCli, RecoverOfOnePathSavesThatFolderOnly) {
    fs::path image = fixtureImage("ntfs-volume.img");
    fs::path out = fixtureTempDir() / "ntfs-recover-path";
    fs::remove_all(out);
    CommandResult r =
        cli("-q recover " + shellQuote(image) + " " + shellQuote(out) + " --path ROOT/docs/2023");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_regular_file(out / "report.txt"));
    EXPECT_FALSE(fs::exists(out / "readme.txt"));
    EXPECT_EQ(cli("-q recover " + shellQuote(image) + " " + shellQuote(out) + " --path nope")
                  .exitCode,
              1);
}

TEST(NtfsCli, SearchPrintsMatchingPathsAndCountsThem) {
    fs::path image = fixtureImage("ntfs-volume.img");
    CommandResult r = cli("search " + shellQuote(image) + " 'img_000[12]\\.JPG$'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("ROOT\\photos\\IMG_0001.jpg  | "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("ROOT\\photos\\IMG_0002.jpg  | "), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("searched file 2"), std::string::npos);
    EXPECT_NE(r.err.find("Searching Finished"), std::string::npos);

    CommandResult bad = cli("search " + shellQuote(image) + " '*'");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("such characters are not allowed for search"), std::string::npos);
}

TEST(NtfsCli, WipedBootSectorIsScannedInEveryMode) {
    fs::path image = fixtureImage("ntfs-wiped.img");
    CommandResult none = cli("-q scan " + shellQuote(image));
    EXPECT_EQ(none.exitCode, 4);
    EXPECT_NE(none.err.find("no volume with a known file system"), std::string::npos);

    std::string at = shellQuote(image) + " --start 0 --fs NTFS";
    // Standard mode finds the MFT by searching for its first record.
    expectListsManifest(scanJson(at), "ntfs-wiped.img");
    // Advanced mode offers the MFT found before $Boot as candidate 0.
    expectListsManifest(scanJson(at + " --mode advanced --candidate 0 --sectors-per-cluster 8"),
                        "ntfs-wiped.img");
    // Deep mode groups every named record under ORPHAN_ENTRY.
    std::map<std::string, json> deep = scanJson(at + " --mode deep");
    ASSERT_TRUE(deep.count("ROOT/ORPHAN_ENTRY"));
    bool foundReport = false;
    for (const auto& [path, entry] : deep) {
        EXPECT_EQ(path.rfind("ROOT/ORPHAN_ENTRY", 0), 0u) << path;
        if (path.size() > 11 && path.substr(path.size() - 11) == "/report.txt") foundReport = true;
    }
    EXPECT_TRUE(foundReport);
}

TEST(NtfsCli, DamagedImagesEndWithAClearMessage) {
    fs::path image = fixtureImage("ntfs-volume.img");
    fs::path cut = fixtureTempDir() / "ntfs-cut.img";
    {
        std::ifstream in(image, std::ios::binary);
        std::ofstream out(cut, std::ios::binary | std::ios::trunc);
        std::string head(20 * 4096, '\0');  // boot sector and the first MFT records only
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        out << head;
    }
    CommandResult r = cli("scan " + shellQuote(cut) + " --json");
    EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 4) << r.err;
    if (r.exitCode == 0) EXPECT_TRUE(json::parse(r.out).is_array());

    fs::path noise = fixtureTempDir() / "noise.img";
    {
        std::ofstream out(noise, std::ios::binary | std::ios::trunc);
        uint32_t x = 12345;
        for (int i = 0; i < 1 << 20; ++i) {
            x = x * 1103515245u + 12345u;
            out.put(static_cast<char>(x >> 24));
        }
    }
    CommandResult n = cli("scan " + shellQuote(noise));
    EXPECT_EQ(n.exitCode, 4);
    CommandResult forced = cli("-q scan " + shellQuote(noise) + " --start 0 --fs NTFS --json");
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
}

}  // namespace
}  // namespace lazarine
