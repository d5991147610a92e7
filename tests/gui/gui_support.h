#pragma once
// What the GUI tests share: a prompter that answers from a script and records what it
// was shown, a parser over files kept in memory, and waiting with the event loop running.

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "scan/parser.h"
#include "ui/prompter.h"

namespace lazarine::testing {

class ScriptedPrompter final : public ui::Prompter {
public:
    void message(QWidget*, const QString& text, Icon icon) override;
    bool ask(QWidget*, const QString& text, Icon icon) override;
    QString chooseFolder(QWidget*, const QString& title, const QString& start) override;
    QString chooseFile(QWidget*, const QString& title) override;

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<Icon> questionIcons;
    std::vector<std::string> folderTitles;
    std::deque<bool> answers;  // then `defaultAnswer`
    bool defaultAnswer = true;
    std::deque<QString> folders;
    std::deque<QString> files;
    // Runs inside message(), for tests that act while a message box would be open.
    std::function<void(const std::string&)> onMessage;

    bool saw(const std::string& text) const;
    void forget() { messages.clear(); questions.clear(); }
};

// Pumps events until `done` holds or `ms` passed; returns `done()`.
bool waitUntil(const std::function<bool()>& done, int ms = 10000);

// A volume kept in memory: folders and files with their bytes.
class MemoryParser final : public FileSystemParser {
public:
    struct Entry {
        std::string name;
        EntryId parent;  // kRootEntry for the top level
        bool folder = false;
        bool deleted = false;
        std::string bytes;
    };
    // ROOT: docs/ (a.txt, b.txt, deep/ (c.txt)), photo.jpg (deleted), empty/
    MemoryParser();

    // The scan loop polls the job control this many times; blocking while `hold` is set.
    int scanSteps = 3;
    std::atomic<bool> hold{false};
    std::atomic<int> stepsDone{0};
    // SaveEntry waits while `holdSave` is set (after counting the call).
    std::atomic<bool> holdSave{false};
    std::atomic<int> saveCalls{0};

    bool scan(const ScanRequest&, Reporter& reporter, JobControl& control) override;
    std::vector<EntryId> rootEntries() override { return childrenOf(kRootEntry); }
    std::vector<EntryId> children(EntryId folder) override { return childrenOf(folder); }
    bool hasChildren(EntryId folder) override { return !childrenOf(folder).empty(); }
    bool isValid(EntryId id) const override { return entries_.count(id) != 0; }
    std::string name(EntryId id) const override { return entries_.at(id).name; }
    bool isFolder(EntryId id) const override { return entries_.at(id).folder; }
    bool isDeleted(EntryId id) const override { return entries_.at(id).deleted; }
    EntryColumns columns(EntryId id) override;
    std::string sizeText(EntryId id) override;
    uint64_t sizeBytes(EntryId id) override { return entries_.at(id).bytes.size(); }
    FileTimes times(EntryId) override { return {}; }
    bool SaveEntry(EntryId id, const std::filesystem::path& path, Reporter&) override;
    void rename(EntryId id, std::string n) override { entries_.at(id).name = std::move(n); }

    EntryId idOf(const std::string& name) const;
    const std::string& bytesOf(const std::string& name) const {
        return entries_.at(idOf(name)).bytes;
    }

private:
    std::vector<EntryId> childrenOf(EntryId folder) const;
    std::map<EntryId, Entry> entries_;
};

// A scan backend around a MemoryParser, for volumes whose file system is "MEMFS"; any
// other volume goes to the program's own scan job.
app::ScanBackendFactory memoryBackends(MemoryParser*& lastParser);

// The bytes of a file, or an empty string.
std::string readFile(const std::filesystem::path& path);
// A fresh empty folder below the fixtures' temporary folder.
std::filesystem::path freshFolder(const std::string& name);

}  // namespace lazarine::testing
