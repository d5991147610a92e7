// One walk through the wizard on a real NTFS image: add the image, choose Standard, scan,
// expand, list, tick, save, and compare the saved bytes with the fixture manifest.

#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "app/drive_page.h"
#include "app/main_window.h"
#include "app/parce_mode_ntfs_dlg.h"
#include "app/volume_operations.h"
#include "app/volume_scan_dlg.h"
#include "fs/ntfs/ntfs.h"
#include "gui/gui_support.h"
#include "support/fixture.h"
#include "support/sha256.h"
#include "ui/check_list_ctrl.h"
#include "ui/cx_html_tree.h"

namespace lazarine::testing {
namespace {

using namespace lazarine::app;
namespace fs = std::filesystem;

std::string manifestSha(const std::string& path) {
    for (const auto& file : manifestImage("ntfs-volume.img")["partitions"][0]["files"])
        if (file["path"] == path) return file["sha256"];
    return {};
}

TEST(NtfsWalk, ScanExpandTickAndSaveThroughTheWizard) {
    fs::path image = fixtureImage("ntfs-volume.img");
    {
        FileReadSeek probe;
        ASSERT_TRUE(probe.Open(image.string()));
        if (createNtfsParser(probe, VolumeRow{}) == nullptr)
            GTEST_SKIP() << "this build has no NTFS parser yet";
    }
    ScriptedPrompter prompter;
    DriveSource none;
    none.drives = [] { return std::vector<PhysicalDrive>{}; };
    none.volumes = [] { return std::vector<VolumeRow>{}; };
    MainWindow window(prompter, none);
    window.quit = [](int) {};

    auto* drives = dynamic_cast<Physical_DriveDialog*>(window.currentPage());
    prompter.files.push_back(QString::fromStdString(image.string()));
    drives->findChild<QPushButton*>("openImageButton")->click();
    ASSERT_NE(drives->selectedVolume(), nullptr);
    drives->nextButton()->click();
    window.currentPage()->nextButton()->click();  // volume information
    auto* modes = dynamic_cast<ParceModeNtfsDlg*>(window.currentPage());
    ASSERT_NE(modes, nullptr);
    EXPECT_FALSE(modes->deep()->isHidden());
    modes->nextButton()->click();
    auto* scan = dynamic_cast<VolumeScanDlg*>(window.currentPage());
    ASSERT_NE(scan, nullptr);
    ASSERT_TRUE(waitUntil([&] { return !scan->scanRunning(); }, 60000));
    ASSERT_TRUE(prompter.saw(kScanDoneText)) << (prompter.messages.empty() ? "" : prompter.messages[0]);

    const ResultTree& model = scan->tree()->model();
    auto find = [&](const std::string& name) {
        for (ItemId id = 0; id < model.size(); ++id)
            if (model.valid(id) && model.item(id).text == name) return id;
        return kNoItem;
    };
    ItemId docs = find("docs");
    ASSERT_NE(docs, kNoItem);
    scan->tree()->viewItem(docs)->setExpanded(true);
    ASSERT_NE(find("2023"), kNoItem);
    scan->fillList(docs);
    ui::CCheckListCtrl* list = scan->list();
    int notes = -1;
    int oldNotes = -1;
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->rowText(row, 0) == "notes.txt") notes = row;
        if (list->rowText(row, 0) == "old-notes.txt") oldNotes = row;
        EXPECT_NE(list->rowText(row, 0), "2023");  // folders are not listed
    }
    ASSERT_GE(notes, 0);
    ASSERT_GE(oldNotes, 0);
    EXPECT_TRUE(model.item(find("old-notes.txt")).deleted);
    EXPECT_EQ(list->rowText(notes, 4), "19.53 KB");
    list->toggleRow(notes);
    list->toggleRow(oldNotes);

    fs::path out = freshFolder("ntfs-walk");
    prompter.forget();
    prompter.folders.push_back(QString::fromStdString(out.string()));
    scan->saveButton()->click();
    ASSERT_TRUE(waitUntil([&] { return !scan->saveRunning(); }, 60000));
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_NE(prompter.questions[0].find("= 2 ."), std::string::npos);
    EXPECT_TRUE(prompter.saw("work done"));
    EXPECT_EQ(sha256OfFile(out / "docs" / "notes.txt"), manifestSha("docs/notes.txt"));
    EXPECT_EQ(sha256OfFile(out / "docs" / "old-notes.txt"), manifestSha("docs/old-notes.txt"));
    EXPECT_FALSE(fs::exists(out / "docs" / "memo700.txt"));

    // A double-click saves one file into the same output folder.
    scan->itemDoubleClicked(find("readme.txt"));
    ASSERT_TRUE(waitUntil([&] { return !scan->saveRunning(); }, 60000));
    EXPECT_EQ(sha256OfFile(out / "readme.txt"), manifestSha("readme.txt"));
}

}  // namespace
}  // namespace lazarine::testing
