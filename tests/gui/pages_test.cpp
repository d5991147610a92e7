// The wizard's page chain and the enabling and hiding rules of its pages.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fstream>

#include "app/drive_page.h"
#include "app/drive_parsing_modes.h"
#include "app/main_window.h"
#include "app/parce_mode_ntfs_dlg.h"
#include "app/populate_drive_dlg.h"
#include "app/volume_operations.h"
#include "app/volume_scan_dlg.h"
#include "gui/gui_support.h"
#include "support/fixture.h"
#include "ui/sector_edit.h"

namespace lazarine::testing {
namespace {

using namespace lazarine::app;

struct MbrEntry {
    uint8_t type;
    uint32_t start;
    uint32_t count;
};

// A sparse disk image whose MBR holds `entries`.
std::filesystem::path writeMbrImage(const std::string& name, const std::vector<MbrEntry>& entries) {
    std::filesystem::path path = fixtureTempDir() / name;
    std::vector<uint8_t> mbr(512, 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        uint8_t* e = mbr.data() + 446 + 16 * i;
        e[4] = entries[i].type;
        for (int b = 0; b < 4; ++b) {
            e[8 + b] = static_cast<uint8_t>(entries[i].start >> (8 * b));
            e[12 + b] = static_cast<uint8_t>(entries[i].count >> (8 * b));
        }
    }
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(mbr.data()), 512);
    }
    std::filesystem::resize_file(path, 256ull << 20);
    return path;
}

VolumeRow memVolume() {
    VolumeRow row;
    row.fileSystem = "MEMFS";
    row.rootPath = "/mnt/mem";
    row.volumeText = "/dev/mem-volume";
    row.sizeText = "100  MB";
    return row;
}

class Wizard : public ::testing::Test {
protected:
    explicit Wizard(std::vector<PhysicalDrive> drives = {}) {
        DriveSource source;
        source.drives = [drives] { return drives; };
        source.volumes = [] {
            VolumeRow ntfs;
            ntfs.fileSystem = "NTFS";
            ntfs.rootPath = "/mnt/win";
            ntfs.volumeText = "/dev/sdz1";
            ntfs.sizeText = "512000  MB";
            return std::vector<VolumeRow>{ntfs, memVolume()};
        };
        window = std::make_unique<MainWindow>(prompter, source, memoryBackends(lastParser));
        window->quit = [this](int code) { quitCodes.push_back(code); };
    }

    template <typename Page>
    Page* current() const {
        return dynamic_cast<Page*>(window->currentPage());
    }
    Physical_DriveDialog* drivePage() const {
        return dynamic_cast<Physical_DriveDialog*>(window->pages().front());
    }
    // Selects the drive-page item with `text` below `heading`.
    void selectItem(const char* heading, const QString& text) {
        QTreeWidget* tree = drivePage()->tree();
        for (int h = 0; h < tree->topLevelItemCount(); ++h) {
            QTreeWidgetItem* head = tree->topLevelItem(h);
            if (head->text(0) != heading) continue;
            for (int i = 0; i < head->childCount(); ++i) {
                if (head->child(i)->text(0) == text) {
                    tree->setCurrentItem(head->child(i));
                    return;
                }
            }
        }
        FAIL() << "no item " << text.toStdString();
    }

    ScriptedPrompter prompter;
    MemoryParser* lastParser = nullptr;
    std::unique_ptr<MainWindow> window;
    std::vector<int> quitCodes;
};

TEST_F(Wizard, DrivePageListsBothHeadingsAndNeedsAnItemBelowOne) {
    QTreeWidget* tree = drivePage()->tree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), kVolumesHeading);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), kDrivesHeading);
    // The volumes are listed from the last found to the first.
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "/mnt/mem");
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), "/mnt/win");
    EXPECT_EQ(window->windowTitle(), ui::kApplicationTitle);

    drivePage()->nextButton()->click();
    tree->setCurrentItem(tree->topLevelItem(0));
    drivePage()->nextButton()->click();
    EXPECT_EQ(prompter.messages, (std::vector<std::string>(2, kSelectVolumeOrDriveText)));
    EXPECT_EQ(window->pages().size(), 1u);
}

TEST_F(Wizard, VolumePathAndBackShowPagesAsTheyWereLeft) {
    selectItem(kVolumesHeading, "/mnt/mem");
    drivePage()->nextButton()->click();
    auto* info = current<VolumeOperations>();
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(window->state().isVolumeSelected);
    EXPECT_EQ(window->state().previousPageId, kDrivePageId);
    EXPECT_EQ(info->previousPageId(), kDrivePageId);
    EXPECT_EQ(info->findChild<QLabel*>("volumeFileSystem")->text(), "MEMFS");
    EXPECT_EQ(info->findChild<QLabel*>("volumeSize")->text(), "100  MB");
    EXPECT_NE(window->state().currentReader, nullptr);

    info->nextButton()->click();
    auto* modes = current<ParceModeNtfsDlg>();
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(modes->previousPageId(), kVolumeInfoPageId);
    modes->deep()->click();
    modes->nextButton()->click();
    auto* scan = current<VolumeScanDlg>();
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(scan->previousPageId(), kRecoveryModePageId);
    ASSERT_TRUE(waitUntil([&] { return !scan->scanRunning(); }));
    EXPECT_TRUE(scan->backButton()->isEnabled());

    scan->backButton()->click();
    EXPECT_EQ(current<ParceModeNtfsDlg>(), modes);
    EXPECT_TRUE(modes->deep()->isChecked());
    EXPECT_EQ(modes->selection().recoveryMode, 3);
    modes->backButton()->click();
    EXPECT_EQ(current<VolumeOperations>(), info);
    info->backButton()->click();
    EXPECT_EQ(window->currentPage(), drivePage());
    EXPECT_EQ(drivePage()->tree()->currentItem()->text(0), "/mnt/mem");
}

TEST_F(Wizard, CloseAsksAndEndsOnlyOnYes) {
    prompter.answers = {false, true};
    window->close();
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0], kCloseQuestion);
    EXPECT_EQ(prompter.questionIcons[0], ui::Prompter::Icon::Question);
    EXPECT_TRUE(quitCodes.empty());
    window->close();
    EXPECT_EQ(quitCodes, (std::vector<int>{0}));
}

TEST_F(Wizard, EscapeAsksOnAnyPageAndEnterEndsTheApplication) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    selectItem(kVolumesHeading, "/mnt/mem");
    drivePage()->nextButton()->click();
    ASSERT_NE(current<VolumeOperations>(), nullptr);
    prompter.answers = {false};
    QTest::keyClick(window->currentPage(), Qt::Key_Escape);
    EXPECT_EQ(prompter.questions, (std::vector<std::string>{kCloseQuestion}));
    EXPECT_TRUE(quitCodes.empty());
    EXPECT_NE(current<VolumeOperations>(), nullptr);
    QTest::keyClick(window->currentPage(), Qt::Key_Return);
    EXPECT_EQ(quitCodes, (std::vector<int>{0}));
    EXPECT_EQ(prompter.questions.size(), 1u);
}

TEST_F(Wizard, OpenDiskImageSortsImagesByTheirFirstSector) {
    std::filesystem::path disk = writeMbrImage("added-disk.img", {{0x83, 2048, 2048}});
    std::filesystem::path volume = fixtureTempDir() / "added-volume.img";
    {
        std::vector<uint8_t> boot(512, 0);
        const uint8_t head[] = {0xEB, 0x52, 0x90, 'N', 'T', 'F', 'S', ' ', ' ', ' ', ' '};
        std::copy(std::begin(head), std::end(head), boot.begin());
        boot[11] = 0x00;
        boot[12] = 0x02;  // 512 bytes per sector
        boot[510] = 0x55;
        boot[511] = 0xAA;
        std::ofstream out(volume, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(boot.data()), 512);
    }
    std::filesystem::resize_file(volume, 4 << 20);

    prompter.files = {QString::fromStdString(disk.string()),
                      QString::fromStdString(volume.string())};
    auto* open = drivePage()->findChild<QPushButton*>("openImageButton");
    open->click();
    EXPECT_EQ(drivePage()->selectedDrivePath(), disk.string());
    open->click();
    ASSERT_NE(drivePage()->selectedVolume(), nullptr);
    EXPECT_EQ(drivePage()->selectedVolume()->fileSystem, "NTFS");
    EXPECT_EQ(drivePage()->selectedVolume()->volumeText, volume.string());
    EXPECT_EQ(drivePage()->selectedVolume()->sizeText, "4  MB");
}

class DriveWizard : public Wizard {
protected:
    DriveWizard() : Wizard(drives()) {}
    static std::vector<PhysicalDrive> drives() {
        image = writeMbrImage("three-partitions.img",
                              {{0x07, 2048, 204800}, {0x83, 206848, 2048}, {0x99, 208896, 2048}});
        PhysicalDrive d;
        d.devicePath = image.string();
        d.text = "Test Disk";
        return {d};
    }
    PopulateDriveDlg* openPartitionList() {
        selectItem(kDrivesHeading, "Test Disk");
        drivePage()->nextButton()->click();
        auto* modes = current<DriveParsingModes>();
        EXPECT_NE(modes, nullptr);
        if (modes == nullptr) return nullptr;
        EXPECT_EQ(modes->findChild<QLabel*>("selectedDrive")->text(),
                  "Currently Selected Drive :  " + QString::fromStdString(image.string()));
        modes->nextButton()->click();
        return current<PopulateDriveDlg>();
    }
    static inline std::filesystem::path image;
};

TEST_F(DriveWizard, PartitionListNumbersTheTableRowsAndFillsTheCustomFields) {
    PopulateDriveDlg* list = openPartitionList();
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(window->state().isVolumeSelected);
    QTreeWidget* rows = list->volumeList();
    ASSERT_EQ(rows->topLevelItemCount(), 3);
    const char* expected[3][4] = {{"0", "NTFS", "100   MB", "2048"},
                                  {"1", "extX", "1   MB", "206848"},
                                  {"2", "Unknown", "1   MB", "208896"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(rows->topLevelItem(r)->text(c), expected[r][c]);
    EXPECT_EQ(list->status()->text(), kSelectVolumeStatus);
    EXPECT_TRUE(list->progress()->isHidden());
    EXPECT_TRUE(list->customSettings()->isEnabled());
    EXPECT_FALSE(list->treatAs()->isEnabled());

    list->nextButton()->click();
    EXPECT_TRUE(prompter.saw(kSelectValidVolumeText));

    rows->setCurrentItem(rows->topLevelItem(0));
    EXPECT_EQ(list->selectedVolume()->text(), "0");
    EXPECT_EQ(list->startSector()->value(), 2048);
    EXPECT_EQ(list->endSector()->value(), 206847);
    emit rows->itemClicked(rows->topLevelItem(1), 0);
    EXPECT_EQ(list->treatAs()->currentText(), "EXTX");

    rows->setCurrentItem(rows->topLevelItem(2));
    list->nextButton()->click();
    EXPECT_TRUE(prompter.saw(kUnknownVolumeText));
    EXPECT_EQ(window->currentPage(), list);
}

TEST_F(DriveWizard, CustomSettingsChangeTheRowAndAreUndoneWhenUnticked) {
    PopulateDriveDlg* list = openPartitionList();
    ASSERT_NE(list, nullptr);
    QTreeWidget* rows = list->volumeList();
    rows->setCurrentItem(rows->topLevelItem(1));
    list->customSettings()->setChecked(true);
    EXPECT_TRUE(list->treatAs()->isEnabled());
    list->startSector()->setValue(2048);
    list->endSector()->setValue(206847);
    list->treatAs()->setCurrentText("NTFS");
    list->nextButton()->click();
    auto* modes = current<ParceModeNtfsDlg>();
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(modes->previousPageId(), kPartitionListPageId);
    EXPECT_EQ(modes->selection().volume.fileSystem, "ntfs");
    EXPECT_EQ(modes->selection().volume.sizeText, "100");
    EXPECT_EQ(modes->selection().volume.startSector, 2048);

    modes->backButton()->click();
    list->customSettings()->setChecked(false);
    list->nextButton()->click();
    modes = current<ParceModeNtfsDlg>();
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(modes->selection().volume.fileSystem, "extX");
    EXPECT_EQ(modes->selection().volume.sizeText, "1");
    EXPECT_EQ(modes->selection().volume.startSector, 206848);
    modes->backButton()->click();

    // "RAW" is refused, even for a row of an unknown file system.
    rows->setCurrentItem(rows->topLevelItem(2));
    list->customSettings()->setChecked(true);
    list->treatAs()->setCurrentText("RAW");
    list->nextButton()->click();
    EXPECT_TRUE(prompter.saw(kRawNotAvailableText));
    EXPECT_FALSE(prompter.saw(kUnknownVolumeText));
    EXPECT_EQ(window->currentPage(), list);
}

class FilterWizard : public Wizard {
protected:
    FilterWizard() : Wizard(drives()) {}
    static std::vector<PhysicalDrive> drives() {
        PhysicalDrive d;
        d.devicePath =
            writeMbrImage("adjacent.img", {{0x83, 63, 1}, {0x83, 64, 2048}, {0x83, 2048, 4096}})
                .string();
        d.text = "Adjacent";
        return {d};
    }
};

TEST_F(FilterWizard, FilterEntriesKeepsRowsStartingOneSectorAfterThePrevious) {
    selectItem(kDrivesHeading, "Adjacent");
    drivePage()->nextButton()->click();
    current<DriveParsingModes>()->nextButton()->click();
    auto* list = current<PopulateDriveDlg>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->volumeList()->topLevelItemCount(), 3);
    list->filterButton()->click();
    ASSERT_EQ(list->volumeList()->topLevelItemCount(), 1);
    EXPECT_EQ(list->volumeList()->topLevelItem(0)->text(0), "1");
    EXPECT_EQ(list->volumeList()->topLevelItem(0)->text(3), "64");
}

TEST_F(Wizard, DriveParseModeEnablesTheSearchOptionsOnlyForAdvanceScan) {
    DriveParsingModes page(*window, "/dev/none");
    EXPECT_TRUE(page.standardScan()->isChecked());
    EXPECT_FALSE(page.doNotSkip()->isEnabled());
    EXPECT_FALSE(page.customSetting()->isEnabled());
    EXPECT_FALSE(page.startingSector()->isEnabled());
    EXPECT_EQ(page.startingSector()->text(), "0");

    page.advanceScan()->click();
    EXPECT_FALSE(page.standardScan()->isChecked());
    EXPECT_TRUE(page.doNotSkip()->isEnabled());
    EXPECT_TRUE(page.customSetting()->isEnabled());
    EXPECT_FALSE(page.startingSector()->isEnabled());
    page.customSetting()->setChecked(true);
    EXPECT_TRUE(page.startingSector()->isEnabled());
    EXPECT_TRUE(page.endingSector()->isEnabled());
    page.startingSector()->setText("2048");
    page.endingSector()->setText("4095");
    page.doNotSkip()->setChecked(true);
    PartitionSearchRequest r = page.request();
    EXPECT_EQ(r.searchMode, 2);
    EXPECT_TRUE(r.customRange);
    EXPECT_EQ(r.startSector, 2048);
    EXPECT_EQ(r.endSector, 4095);
    EXPECT_TRUE(r.doNotSkip);

    page.standardScan()->click();
    EXPECT_FALSE(page.customSetting()->isChecked());
    EXPECT_FALSE(page.startingSector()->isEnabled());
    EXPECT_EQ(page.request().searchMode, 1);
    EXPECT_FALSE(page.request().customRange);
}

struct ModeCase {
    const char* fileSystem;
    bool advanced;
    bool deep;
    bool formattedWithAdvanced;
};

class RecoveryModes : public Wizard, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(RecoveryModes, HideWhatTheFileSystemDoesNotOffer) {
    const ModeCase& c = GetParam();
    VolumeRow row;
    row.fileSystem = c.fileSystem;
    auto* page = new ParceModeNtfsDlg(*window, row);
    window->showPage(page);
    EXPECT_FALSE(page->standard()->isHidden());
    EXPECT_EQ(!page->advanced()->isHidden(), c.advanced) << c.fileSystem;
    EXPECT_EQ(!page->deep()->isHidden(), c.deep) << c.fileSystem;
    EXPECT_TRUE(page->standard()->isChecked());
    EXPECT_EQ(page->selection().recoveryMode, 1);
    EXPECT_TRUE(page->driveFormatted()->isHidden());
    EXPECT_TRUE(page->maxFileSystems()->isHidden());

    page->advanced()->click();
    EXPECT_EQ(page->selection().recoveryMode, 2);
    EXPECT_FALSE(page->standard()->isChecked());
    EXPECT_FALSE(page->maxFileSystems()->isHidden());
    EXPECT_EQ(page->maxFileSystems()->text(), "3");
    EXPECT_EQ(!page->driveFormatted()->isHidden(), c.formattedWithAdvanced) << c.fileSystem;
    page->driveFormatted()->setChecked(true);
    EXPECT_EQ(window->state().driveFormatted, true);
    page->standard()->click();
    EXPECT_FALSE(window->state().driveFormatted);
    EXPECT_TRUE(page->driveFormatted()->isHidden());
    EXPECT_FALSE(page->driveFormatted()->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Pages, RecoveryModes,
                         ::testing::Values(ModeCase{"NTFS", true, true, false},
                                           ModeCase{"FAT32", true, false, true},
                                           ModeCase{"  fat16", true, false, true},
                                           ModeCase{"exFAT", true, false, false},
                                           ModeCase{"extX", false, false, false},
                                           ModeCase{"HFS+", false, true, false}),
                         [](const auto& param) { return "Case" + std::to_string(param.index); });

class SearchWizard : public Wizard {
protected:
    SearchWizard() : Wizard(drives()) {}
    static std::vector<PhysicalDrive> drives() {
        PhysicalDrive d;
        d.devicePath = fixtureImage("mbr-disk.img").string();
        d.text = "Fixture Disk";
        return {d};
    }
};

TEST_F(SearchWizard, AdvanceScanSearchesOnAWorkerAndThenAllowsCustomVolumes) {
    selectItem(kDrivesHeading, "Fixture Disk");
    drivePage()->nextButton()->click();
    auto* modes = current<DriveParsingModes>();
    modes->advanceScan()->click();
    modes->nextButton()->click();
    auto* list = current<PopulateDriveDlg>();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(waitUntil([&] { return prompter.saw("populated partitions...."); }, 60000));
    ASSERT_TRUE(waitUntil([&] { return list->nextButton()->isEnabled(); }));
    EXPECT_EQ(list->status()->text(), kSelectVolumeStatus);
    EXPECT_TRUE(list->backButton()->isEnabled());
    EXPECT_TRUE(list->addCustomButton()->isEnabled());
    EXPECT_TRUE(list->stopButton()->isHidden());

    std::vector<std::pair<std::string, long long>> found;
    for (const VolumeRow& row : list->rows()) found.emplace_back(row.fileSystem, row.startSector);
    EXPECT_NE(std::find(found.begin(), found.end(), std::make_pair(std::string("NTFS"), 36864LL)),
              found.end());
    EXPECT_NE(std::find(found.begin(), found.end(), std::make_pair(std::string("FAT32"), 81920LL)),
              found.end());
    EXPECT_EQ(list->volumeList()->topLevelItemCount(), static_cast<int>(found.size()));

    list->addCustomButton()->click();
    QTreeWidgetItem* top = list->volumeList()->topLevelItem(0);
    EXPECT_EQ(top->text(1), "CUSTOM ");
    EXPECT_EQ(top->text(0), QString::number(found.size()));
    EXPECT_EQ(list->volumeList()->currentItem(), top);
    EXPECT_TRUE(list->customSettings()->isChecked());
    EXPECT_TRUE(list->startSector()->isEnabled());
}

}  // namespace
}  // namespace lazarine::testing
