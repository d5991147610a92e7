#include "gui/gui_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <fstream>
#include <sstream>

#include "platform/output_file.h"
#include "scan/display_format.h"
#include "support/fixture.h"

namespace lazarine::testing {

void ScriptedPrompter::message(QWidget*, const QString& text, Icon) {
    messages.push_back(text.toStdString());
    if (onMessage) onMessage(text.toStdString());
}

bool ScriptedPrompter::ask(QWidget*, const QString& text, Icon icon) {
    questions.push_back(text.toStdString());
    questionIcons.push_back(icon);
    if (answers.empty()) return defaultAnswer;
    bool a = answers.front();
    answers.pop_front();
    return a;
}

QString ScriptedPrompter::chooseFolder(QWidget*, const QString& title, const QString&) {
    folderTitles.push_back(title.toStdString());
    if (folders.empty()) return {};
    QString f = folders.front();
    folders.pop_front();
    return f;
}

QString ScriptedPrompter::chooseFile(QWidget*, const QString&) {
    if (files.empty()) return {};
    QString f = files.front();
    files.pop_front();
    return f;
}

bool ScriptedPrompter::saw(const std::string& text) const {
    for (const auto& m : messages)
        if (m == text) return true;
    return false;
}

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

MemoryParser::MemoryParser() {
    entries_[1] = {"docs", kRootEntry, true, false, {}};
    entries_[2] = {"a.txt", 1, false, false, "alpha contents\n"};
    entries_[3] = {"b.txt", 1, false, true, std::string(3000, 'b')};
    entries_[4] = {"deep", 1, true, false, {}};
    entries_[5] = {"c.txt", 4, false, false, "gamma"};
    entries_[6] = {"photo.jpg", kRootEntry, false, true, "\xFF\xD8\xFF jpeg"};
    entries_[7] = {"empty", kRootEntry, true, false, {}};
}

bool MemoryParser::scan(const ScanRequest&, Reporter& reporter, JobControl& control) {
    reporter.setStatus("scanning memory volume");
    reporter.setProgressRange(0, static_cast<uint32_t>(scanSteps));
    for (int i = 0; i < scanSteps; ++i) {
        while (hold.load() && !control.stopRequested()) QThread::msleep(1);
        if (control.shouldStop()) break;
        stepsDone.fetch_add(1);
        if (i % 1000 == 0) reporter.setProgressPosition(static_cast<uint32_t>(i + 1));
        QThread::usleep(20);
    }
    return true;
}

EntryColumns MemoryParser::columns(EntryId id) {
    return {"01/02/2024  10:00 AM", "01/03/2024  11:00 AM", "01/04/2024  01:05 PM",
            entries_.at(id).deleted ? "deleted" : "file"};
}

std::string MemoryParser::sizeText(EntryId id) { return lazarine::sizeText(sizeBytes(id)); }

bool MemoryParser::SaveEntry(EntryId id, const std::filesystem::path& path, Reporter&) {
    saveCalls.fetch_add(1);
    while (holdSave.load()) QThread::msleep(1);
    platform::OutputFile out;
    const std::string& bytes = entries_.at(id).bytes;
    return out.create(path) && out.write(bytes.data(), bytes.size()) && out.close();
}

EntryId MemoryParser::idOf(const std::string& name) const {
    for (const auto& [id, e] : entries_)
        if (e.name == name) return id;
    return kRootEntry;
}

std::vector<EntryId> MemoryParser::childrenOf(EntryId folder) const {
    std::vector<EntryId> out;
    for (const auto& [id, e] : entries_)
        if (e.parent == folder) out.push_back(id);
    return out;
}

namespace {

class MemoryBackend final : public app::ScanBackend {
public:
    explicit MemoryBackend(MemoryParser*& last) { last = &parser_; }
    bool prepare(Reporter&) override { return true; }
    bool run(Reporter& reporter, JobControl& control,
             const std::function<void(FileSystemParser&)>& topLevelReady) override {
        if (!parser_.scan({}, reporter, control)) return false;
        if (topLevelReady) topLevelReady(parser_);
        reporter.message(kScanDoneText);
        reporter.setStatus(kScanDoneText);
        return true;
    }
    FileSystemParser* parser() override { return &parser_; }

private:
    MemoryParser parser_;
};

}  // namespace

app::ScanBackendFactory memoryBackends(MemoryParser*& lastParser) {
    return [&lastParser](readWriteInterface* reader, const ScanSelection& selection,
                         const ScanRequest& request,
                         bool isVolumeSelected) -> std::unique_ptr<app::ScanBackend> {
        if (selection.volume.fileSystem == "MEMFS")
            return std::make_unique<MemoryBackend>(lastParser);
        return app::makeScanJobBackend(reader, selection, request, isVolumeSelected);
    };
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path freshFolder(const std::string& name) {
    std::filesystem::path p = fixtureTempDir() / name;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p;
}

}  // namespace lazarine::testing
