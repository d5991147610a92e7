// The scan page: run control, the results tree and list, and saving.

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/volume_scan_dlg.h"
#include "gui/gui_support.h"
#include "ui/check_list_ctrl.h"
#include "ui/cx_html_tree.h"

namespace lazarine::testing {
namespace {

using namespace lazarine::app;
namespace fs = std::filesystem;

class ScanPage : public ::testing::Test {
protected:
    ScanPage() {
        DriveSource none;
        none.drives = [] { return std::vector<PhysicalDrive>{}; };
        none.volumes = [] { return std::vector<VolumeRow>{}; };
        window = std::make_unique<MainWindow>(prompter, none, memoryBackends(parser));
        window->quit = [this](int code) { quitCodes.push_back(code); };
    }

    VolumeScanDlg* open(const std::string& fileSystem = "MEMFS") {
        window->replaceReader();
        ScanSelection selection;
        selection.volume.fileSystem = fileSystem;
        selection.volume.rootPath = "/mnt/mem";
        selection.recoveryMode = 1;
        auto* page = new VolumeScanDlg(*window, selection, ScanRequest{});
        window->showPage(page);
        return page;
    }

    // Waits for the scan to end and the top level to be shown.
    void finishScan(VolumeScanDlg* page) {
        ASSERT_TRUE(waitUntil([&] { return !page->scanRunning(); }));
    }

    ItemId itemNamed(VolumeScanDlg* page, const std::string& name) {
        const ResultTree& model = page->tree()->model();
        for (ItemId id = 0; id < model.size(); ++id)
            if (model.valid(id) && model.item(id).text == name) return id;
        return kNoItem;
    }

    void select(VolumeScanDlg* page, const std::string& name) {
        page->tree()->setCurrentItem(page->tree()->viewItem(itemNamed(page, name)));
    }

    void save(VolumeScanDlg* page, const fs::path& out) {
        prompter.folders.push_back(QString::fromStdString(out.string()));
        page->saveButton()->click();
        ASSERT_TRUE(waitUntil([&] { return !page->saveRunning(); }));
    }

    ScriptedPrompter prompter;
    MemoryParser* parser = nullptr;
    std::unique_ptr<MainWindow> window;
    std::vector<int> quitCodes;
};

TEST_F(ScanPage, ScanShowsTheTopLevelAndEndsWithItsControlsHidden) {
    VolumeScanDlg* page = open();
    EXPECT_EQ(page->volumeData()->text(), "/mnt/mem");
    finishScan(page);
    EXPECT_TRUE(prompter.saw(kScanDoneText));
    EXPECT_EQ(page->status()->text(), kScanDoneText);
    EXPECT_TRUE(page->backButton()->isEnabled());
    EXPECT_TRUE(page->pauseButton()->isHidden());
    EXPECT_TRUE(page->stopButton()->isHidden());
    EXPECT_TRUE(page->progress()->isHidden());

    QTreeWidgetItem* root = page->tree()->topLevelItem(0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), "ROOT");
    ASSERT_EQ(root->childCount(), 3);
    EXPECT_EQ(root->child(0)->text(0), "docs");
    EXPECT_EQ(root->child(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(root->child(0)->childCount(), 0);  // inserted when expanded
    EXPECT_EQ(root->child(1)->foreground(0).color(), QColor(255, 0, 0));  // photo.jpg, deleted
}

TEST_F(ScanPage, ExpandingAndLabelClicksFillTheList) {
    VolumeScanDlg* page = open();
    finishScan(page);
    QTreeWidgetItem* docs = page->tree()->viewItem(itemNamed(page, "docs"));
    docs->setExpanded(true);
    ASSERT_EQ(docs->childCount(), 3);
    EXPECT_EQ(docs->child(2)->text(0), "deep");

    page->fillList(itemNamed(page, "docs"));
    ui::CCheckListCtrl* list = page->list();
    ASSERT_EQ(list->rowCount(), 2);  // the files, not the sub-folder
    EXPECT_EQ(list->rowText(0, 0), "a.txt");
    EXPECT_EQ(list->rowText(1, 4), "2.93 KB");
    EXPECT_EQ(list->rowText(1, 5), "deleted");
    EXPECT_EQ(list->rowText(0, 1), "01/02/2024  10:00 AM");

    // A folder clicked before it was expanded is expanded first.
    page->fillList(itemNamed(page, "deep"));
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->rowText(0, 0), "c.txt");
    page->fillList(itemNamed(page, "photo.jpg"));
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->rowText(0, 0), "photo.jpg");
}

TEST_F(ScanPage, ListTicksReachTheTreeAndTheHeaderTicksEveryRow) {
    VolumeScanDlg* page = open();
    finishScan(page);
    page->fillList(itemNamed(page, "docs"));
    ui::CCheckListCtrl* list = page->list();
    const ResultTree& model = page->tree()->model();
    ItemId docs = itemNamed(page, "docs");

    list->toggleRow(0);
    EXPECT_TRUE(model.check(itemNamed(page, "a.txt")));
    EXPECT_EQ(model.checkImage(docs), CheckImage::Partial);
    EXPECT_EQ(page->tree()->viewItem(docs)->checkState(0), Qt::PartiallyChecked);
    EXPECT_FALSE(list->checkHeader()->ticked());

    emit list->checkHeader()->toggled(true);
    EXPECT_TRUE(list->rowTicked(0));
    EXPECT_TRUE(list->rowTicked(1));
    EXPECT_TRUE(list->checkHeader()->ticked());
    EXPECT_TRUE(model.check(itemNamed(page, "b.txt")));
    list->toggleRow(1);
    EXPECT_FALSE(list->checkHeader()->ticked());

    // A tick in the tree shows in the list.
    page->tree()->setCheck(docs, true);
    EXPECT_TRUE(list->rowTicked(1));
    EXPECT_EQ(page->tree()->viewItem(itemNamed(page, "deep"))->checkState(0), Qt::Checked);
}

TEST_F(ScanPage, SavingTheSelectedFolderMirrorsItAfterTheQuestion) {
    VolumeScanDlg* page = open();
    finishScan(page);
    fs::path out = freshFolder("save-folder");
    select(page, "docs");
    prompter.forget();
    save(page, out);
    EXPECT_EQ(prompter.folderTitles.back(), kChooseFolderTitle);
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0],
              "number of files found inside this folder = 3 .do u want to continue dumping "
              "these files..?");
    EXPECT_EQ(prompter.questionIcons[0], ui::Prompter::Icon::None);
    EXPECT_TRUE(prompter.saw("work done"));
    EXPECT_EQ(readFile(out / "a.txt"), parser->bytesOf("a.txt"));
    EXPECT_EQ(readFile(out / "b.txt"), parser->bytesOf("b.txt"));
    EXPECT_EQ(readFile(out / "deep" / "c.txt"), "gamma");
    EXPECT_EQ(page->progress()->value(), 3);
    EXPECT_TRUE(page->sizeLabel()->text().isEmpty());
    EXPECT_EQ(page->status()->text().toStdString(), "saving File  " + (out / "deep/c.txt").string());

    // No writes nothing; a cancelled folder choice is refused.
    fs::path other = freshFolder("save-no");
    prompter.answers = {false};
    prompter.forget();
    save(page, other);
    EXPECT_TRUE(fs::is_empty(other));
    EXPECT_FALSE(prompter.saw("work done"));
    page->saveButton()->click();
    EXPECT_TRUE(prompter.saw(kSelectOutputFolderText));
}

TEST_F(ScanPage, TickedFilesAreSavedAloneBelowTheirFolders) {
    VolumeScanDlg* page = open();
    finishScan(page);
    page->tree()->viewItem(itemNamed(page, "docs"))->setExpanded(true);
    page->tree()->setCheck(itemNamed(page, "deep"), true);  // never expanded
    page->tree()->setCheck(itemNamed(page, "photo.jpg"), true);
    select(page, "empty");  // the selection does not matter once files are ticked
    fs::path out = freshFolder("save-ticked");
    prompter.forget();
    save(page, out);
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_NE(prompter.questions[0].find("= 2 ."), std::string::npos);
    EXPECT_EQ(readFile(out / "docs" / "deep" / "c.txt"), "gamma");
    EXPECT_EQ(readFile(out / "photo.jpg"), parser->bytesOf("photo.jpg"));
    EXPECT_FALSE(fs::exists(out / "docs" / "a.txt"));
    EXPECT_FALSE(fs::exists(out / "empty"));
}

TEST_F(ScanPage, DoubleClickSavesOneFileAndFolderDoubleClickLists) {
    VolumeScanDlg* page = open();
    finishScan(page);
    page->itemDoubleClicked(itemNamed(page, "docs"));
    EXPECT_EQ(page->list()->rowCount(), 2);
    EXPECT_TRUE(page->tree()->viewItem(itemNamed(page, "docs"))->isExpanded());

    fs::path out = freshFolder("save-one");
    prompter.folders.push_back(QString::fromStdString(out.string()));
    page->itemDoubleClicked(itemNamed(page, "a.txt"));
    ASSERT_TRUE(waitUntil([&] { return !page->saveRunning(); }));
    EXPECT_EQ(readFile(out / "a.txt"), parser->bytesOf("a.txt"));
    // The output folder is kept for the next one.
    page->itemDoubleClicked(itemNamed(page, "b.txt"));
    ASSERT_TRUE(waitUntil([&] { return !page->saveRunning(); }));
    EXPECT_EQ(readFile(out / "b.txt"), parser->bytesOf("b.txt"));
}

class HeldScanPage : public ScanPage {
protected:
    HeldScanPage() {
        // Parsers made for this page start held and run many steps.
        DriveSource none;
        none.drives = [] { return std::vector<PhysicalDrive>{}; };
        none.volumes = [] { return std::vector<VolumeRow>{}; };
        auto inner = memoryBackends(parser);
        window = std::make_unique<MainWindow>(
            prompter, none,
            [this, inner](readWriteInterface* r, const ScanSelection& s, const ScanRequest& q,
                          bool v) {
                auto backend = inner(r, s, q, v);
                parser->scanSteps = 1000000;
                parser->hold = true;
                return backend;
            });
        window->quit = [this](int code) { quitCodes.push_back(code); };
    }
};

TEST_F(HeldScanPage, RunControlWhileScanning) {
    VolumeScanDlg* page = open();
    ASSERT_TRUE(page->scanRunning());
    page->saveButton()->click();
    EXPECT_TRUE(prompter.saw(kPleaseWaitText));
    prompter.forget();
    page->searchButton()->click();
    EXPECT_TRUE(prompter.saw(kPleaseWaitText));
    EXPECT_FALSE(page->backButton()->isEnabled());

    page->pauseJob();
    EXPECT_EQ(page->status()->text(), "Pause button pressed");
    parser->hold = false;
    QThread::msleep(50);
    int held = parser->stepsDone.load();
    QThread::msleep(50);
    EXPECT_EQ(parser->stepsDone.load(), held);  // paused at its next stop test
    EXPECT_LE(held, 1);

    page->resumeJob();
    EXPECT_EQ(page->status()->text(), "Resume button pressed");
    ASSERT_TRUE(waitUntil([&] { return parser->stepsDone.load() > held + 100; }));

    page->stopJob();
    EXPECT_EQ(page->status()->text(), kStopPressedStatus);
    EXPECT_TRUE(page->stopPressed());
    finishScan(page);
    EXPECT_LT(parser->stepsDone.load(), 1000000);

    // The earlier Stop does not end the next save.
    fs::path out = freshFolder("after-stop");
    select(page, "docs");
    save(page, out);
    EXPECT_FALSE(page->stopPressed());
    EXPECT_EQ(readFile(out / "deep" / "c.txt"), "gamma");
}

TEST_F(HeldScanPage, StopEndsARunningSaveAndEnterEndsTheApplication) {
    VolumeScanDlg* page = open();
    parser->hold = false;
    page->stopJob();  // the scan ends at once, its top level shown
    finishScan(page);
    fs::path out = freshFolder("stopped-save");
    select(page, "docs");
    parser->holdSave = true;
    prompter.folders.push_back(QString::fromStdString(out.string()));
    page->saveButton()->click();
    ASSERT_TRUE(page->saveRunning());
    EXPECT_FALSE(page->stopButton()->isHidden());
    ASSERT_TRUE(waitUntil([&] { return parser->saveCalls.load() == 1; }));
    page->stopJob();
    parser->holdSave = false;
    ASSERT_TRUE(waitUntil([&] { return !page->saveRunning(); }));
    EXPECT_EQ(parser->saveCalls.load(), 1);
    EXPECT_TRUE(prompter.saw("work done"));
    EXPECT_TRUE(page->stopButton()->isHidden());

    page->enterPressed();
    EXPECT_TRUE(prompter.saw(kAllThreadsStoppedText));
    EXPECT_EQ(quitCodes, (std::vector<int>{0}));
}

TEST_F(ScanPage, SearchListsMatchingFilesWithTheirPaths) {
    VolumeScanDlg* page = open();
    finishScan(page);
    auto search = [&](const char* pattern) {
        prompter.forget();
        page->searchField()->setText(pattern);
        page->searchButton()->click();
        ASSERT_TRUE(waitUntil([&] { return !page->searchRunning(); }));
    };
    search("c\\.txt|JPG");
    ui::CCheckListCtrl* list = page->list();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->rowText(0, 0), "ROOT\\docs\\deep\\c.txt");
    EXPECT_EQ(list->rowText(1, 0), "ROOT\\photo.jpg");
    EXPECT_EQ(list->rowText(1, 4), "8 Bytes");
    EXPECT_TRUE(prompter.saw("Searching Finished"));
    EXPECT_EQ(page->status()->text(), "Searching Finished");
    EXPECT_TRUE(page->stopButton()->isHidden());
    EXPECT_TRUE(page->tree()->isEnabled());

    // Result rows are not tree items: their ticks stay in the list.
    list->toggleRow(0);
    EXPECT_EQ(page->tree()->model().checkImage(page->tree()->model().topLevel()[0]),
              CheckImage::Unticked);
    // A label click shows the folder again.
    page->fillList(itemNamed(page, "docs"));
    EXPECT_FALSE(page->showingSearchResults());
    EXPECT_EQ(list->rowText(0, 0), "a.txt");

    search("*txt");
    EXPECT_TRUE(prompter.saw(
        "such characters are not allowed for search.Try again with different pattern."));
    EXPECT_FALSE(prompter.saw("Searching Finished"));
    EXPECT_EQ(list->rowCount(), 0);
}

TEST_F(ScanPage, VolumesWithoutAParserAreRefused) {
    for (const char* fs : {"FAT12", "FAT32", "RAW"}) {
        prompter.forget();
        VolumeScanDlg* page = open(fs);
        EXPECT_TRUE(prompter.saw(kNotValidDriveText)) << fs;
        EXPECT_EQ(page->status()->text(), kNotValidDriveStatus) << fs;
        EXPECT_TRUE(page->backButton()->isEnabled());
        EXPECT_FALSE(page->scanRunning());
        page->saveButton()->click();  // no parser: nothing happens
        EXPECT_TRUE(prompter.folderTitles.empty());
        page->backButton()->click();
    }
}

}  // namespace
}  // namespace lazarine::testing
