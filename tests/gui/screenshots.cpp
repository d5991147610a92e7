// Renders every wizard page to a PNG file, offscreen: lazarine_screenshots OUTPUT_FOLDER.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

#include "app/drive_page.h"
#include "app/drive_parsing_modes.h"
#include "app/main_window.h"
#include "app/parce_mode_ntfs_dlg.h"
#include "app/populate_drive_dlg.h"
#include "app/volume_operations.h"
#include "app/volume_scan_dlg.h"
#include "gui/gui_support.h"
#include "support/fixture.h"
#include "ui/check_list_ctrl.h"
#include "ui/cx_html_tree.h"

using namespace lazarine;
using namespace lazarine::app;
using namespace lazarine::testing;

namespace {

QString outputFolder;

void shoot(MainWindow& window, const char* name) {
    waitUntil([] { return false; }, 150);
    QString path = QDir(outputFolder).filePath(QString(name) + ".png");
    if (!window.grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

QTreeWidgetItem* findChild(QTreeWidget* tree, const QString& heading, const QString& text) {
    for (int h = 0; h < tree->topLevelItemCount(); ++h) {
        QTreeWidgetItem* head = tree->topLevelItem(h);
        if (head->text(0) != heading) continue;
        for (int i = 0; i < head->childCount(); ++i)
            if (head->child(i)->text(0) == text) return head->child(i);
    }
    return nullptr;
}

// Shows a modal dialog of the window, saves its picture and closes it.
void shootDialog(const std::function<void()>& open, const char* name) {
    QTimer::singleShot(300, [name] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) return;
        QString path = QDir(outputFolder).filePath(QString(name) + ".png");
        dialog->grab().save(path);
        std::printf("%s\n", qPrintable(path));
        dialog->close();
    });
    open();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    outputFolder = argc > 1 ? argv[1] : "screenshots";
    QDir().mkpath(outputFolder);

    std::string disk = fixtureImage("mbr-disk.img").string();
    DriveSource source;
    source.drives = [disk] {
        PhysicalDrive a;
        a.devicePath = disk;
        a.text = "Samsung SSD 870 EVO 1TB";
        PhysicalDrive b;
        b.devicePath = "/dev/sdb";
        b.text = "WDC WD20EZRZ-00Z5HB0";
        return std::vector<PhysicalDrive>{a, b};
    };
    source.volumes = [] {
        VolumeRow home{"extX", "/home", "/dev/sda2", "921600  MB", 0, 0};
        VolumeRow windows{"NTFS", "/mnt/windows", "/dev/sdb1", "476940  MB", 0, 0};
        VolumeRow stick{"MEMFS", "/media/usb", "/dev/sdc1", "14910  MB", 0, 0};
        return std::vector<VolumeRow>{home, windows, stick};
    };
    ScriptedPrompter prompter;
    MemoryParser* parser = nullptr;
    MainWindow window(prompter, source, memoryBackends(parser));
    window.quit = [](int) {};
    window.show();

    auto* drives = dynamic_cast<Physical_DriveDialog*>(window.currentPage());
    drives->tree()->setCurrentItem(
        findChild(drives->tree(), kDrivesHeading, "Samsung SSD 870 EVO 1TB"));
    shoot(window, "1-drive-page");
    shootDialog([&] { window.showHelp(); }, "0-help");
    shootDialog([&] { window.showAbout(); }, "0-about");

    drives->nextButton()->click();
    auto* modes = dynamic_cast<DriveParsingModes*>(window.currentPage());
    modes->advanceScan()->click();
    modes->customSetting()->setChecked(true);
    shoot(window, "2-drive-parse-mode-page");
    modes->standardScan()->click();

    modes->nextButton()->click();
    auto* list = dynamic_cast<PopulateDriveDlg*>(window.currentPage());
    list->volumeList()->setCurrentItem(list->volumeList()->topLevelItem(2));
    list->customSettings()->setChecked(true);
    emit list->volumeList()->itemClicked(list->volumeList()->topLevelItem(2), 0);
    shoot(window, "3-partition-list-page");
    list->backButton()->click();
    modes->backButton()->click();

    drives->tree()->setCurrentItem(findChild(drives->tree(), kVolumesHeading, "/media/usb"));
    drives->nextButton()->click();
    shoot(window, "4-volume-information-page");
    window.currentPage()->nextButton()->click();
    auto* recovery = dynamic_cast<ParceModeNtfsDlg*>(window.currentPage());
    recovery->advanced()->click();
    shoot(window, "5-recovery-mode-page");
    recovery->standard()->click();

    recovery->nextButton()->click();
    auto* scan = dynamic_cast<VolumeScanDlg*>(window.currentPage());
    waitUntil([&] { return !scan->scanRunning(); });
    const ResultTree& model = scan->tree()->model();
    ItemId docs = kNoItem;
    for (ItemId id = 0; id < model.size(); ++id)
        if (model.valid(id) && model.item(id).text == "docs") docs = id;
    scan->tree()->viewItem(docs)->setExpanded(true);
    scan->tree()->setCurrentItem(scan->tree()->viewItem(docs));
    scan->fillList(docs);
    scan->list()->toggleRow(0);
    shoot(window, "6-scan-page");

    // The scan page while its job runs: the run-control buttons and the progress bar.
    scan->backButton()->click();
    VolumeRow slow{"MEMFS", "/media/usb", "/dev/sdc1", "14910  MB", 0, 0};
    ScanSelection selection{slow, 1};
    auto* running = new VolumeScanDlg(window, selection, ScanRequest{});
    window.showPage(running);
    parser->scanSteps = 1000000;
    running->pauseJob();
    shoot(window, "7-scan-page-running");
    window.endApplication();
    return 0;
}
