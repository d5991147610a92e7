#include "app/populate_drive_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/parce_mode_ntfs_dlg.h"
#include "disk/partition.h"
#include "scan/display_format.h"
#include "ui/job_runner.h"
#include "ui/page_reporter.h"
#include "ui/sector_edit.h"

namespace lazarine::app {

namespace {

constexpr int kRowRole = Qt::UserRole + 1;
constexpr int kSectorCountRole = Qt::UserRole + 2;  // the row's exact size when listed

long long leadingNumber(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

// The file-system names "Treat file system as:" gives a row.
std::string treatedName(const QString& entry) {
    QString e = entry.toUpper();
    if (e == "NTFS") return "ntfs";
    if (e == "FAT16") return "fat16";
    if (e == "FAT32") return "fat32";
    if (e == "FAT64") return "fat64";
    if (e == "EXTX") return "extX";
    if (e == "HFS+") return "HFS+";
    return {};
}

}  // namespace

PopulateDriveDlg::PopulateDriveDlg(MainWindow& window, PartitionSearchRequest request)
    : WizardPage(window, kPartitionListPageId, "Select the partition to recover from"),
      request_(std::move(request)),
      reporter_(new ui::PageReporter(window.prompter(), this)),
      runner_(new ui::JobRunner(*reporter_, this)) {
    body()->addWidget(new QLabel("Volume List:", this));
    list_ = new QTreeWidget(this);
    list_->setObjectName("volumeList");
    list_->setRootIsDecorated(false);
    list_->setAllColumnsShowFocus(true);
    list_->setHeaderLabels({"VOLUME", "FILE_SYSTEM", "VOLUME_SIZE", "START_SECTOR"});
    list_->setColumnWidth(0, 90);
    list_->setColumnWidth(1, 140);
    list_->setColumnWidth(2, 120);
    body()->addWidget(list_, 1);

    auto* listButtons = new QHBoxLayout;
    filter_ = new QPushButton("Filter Entries", this);
    filter_->setToolTip("Filter volume entries.");
    addCustom_ = new QPushButton("Add Custom Volume", this);
    addCustom_->setToolTip("Add Custom Volume entry.");
    listButtons->addWidget(filter_);
    listButtons->addWidget(addCustom_);
    listButtons->addStretch(1);
    body()->addLayout(listButtons);

    auto* custom = new QGroupBox(this);
    auto* grid = new QGridLayout(custom);
    customBox_ = new QCheckBox("Custom Settings For Selected Volume ", custom);
    selectedLabel_ = new QLabel("Selected Volume :", custom);
    selectedVolume_ = new QLabel(custom);
    selectedVolume_->setMinimumWidth(60);
    startLabel_ = new QLabel("Start Sector:", custom);
    startEdit_ = new ui::SectorEdit(custom);
    endLabel_ = new QLabel("End Sector :", custom);
    endEdit_ = new ui::SectorEdit(custom);
    treatLabel_ = new QLabel("Treat file system as:", custom);
    treatAs_ = new QComboBox(custom);
    // Kept in sorted order, as the list shows them.
    QStringList entries{"EXTX", "FAT64", "FAT32", "FAT16", "NTFS", "HFS+", "RAW"};
    entries.sort();
    treatAs_->addItems(entries);
    treatAs_->setCurrentIndex(-1);
    grid->addWidget(customBox_, 0, 0, 1, 4);
    grid->addWidget(selectedLabel_, 1, 0);
    grid->addWidget(selectedVolume_, 1, 1);
    grid->addWidget(treatLabel_, 1, 2);
    grid->addWidget(treatAs_, 1, 3);
    grid->addWidget(startLabel_, 2, 0);
    grid->addWidget(startEdit_, 2, 1);
    grid->addWidget(endLabel_, 2, 2);
    grid->addWidget(endEdit_, 2, 3);
    grid->setColumnStretch(4, 1);
    body()->addWidget(custom);

    auto* progressRow = new QHBoxLayout;
    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    stop_ = new QPushButton("Stop", this);
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(stop_);
    body()->addLayout(progressRow);
    status_ = new QLabel(this);
    status_->setObjectName("status");
    body()->addWidget(status_);
    for (QPushButton* b : {filter_, addCustom_, stop_}) b->setAutoDefault(false);

    connect(reporter_, &ui::PageReporter::statusChanged, status_, &QLabel::setText);
    connect(reporter_, &ui::PageReporter::progressRangeChanged, progress_,
            &QProgressBar::setRange);
    connect(reporter_, &ui::PageReporter::progressPositionChanged, progress_,
            &QProgressBar::setValue);
    connect(runner_, &ui::JobRunner::finished, this, [this] { searchFinished(); });
    connect(stop_, &QPushButton::clicked, this, [this] {
        runner_->control().requestStop();
        backButton()->setEnabled(true);
    });
    connect(filter_, &QPushButton::clicked, this, &PopulateDriveDlg::filterEntries);
    connect(addCustom_, &QPushButton::clicked, this, &PopulateDriveDlg::addCustomVolume);
    connect(customBox_, &QCheckBox::toggled, this, &PopulateDriveDlg::enableCustomControls);
    connect(list_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { rowSelected(item); });
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { rowClicked(item); });

    customBox_->setEnabled(false);
    enableCustomControls(false);
    addCustom_->setEnabled(false);
}

PopulateDriveDlg::~PopulateDriveDlg() { stopWork(); }

bool PopulateDriveDlg::searchRunning() const { return runner_->running(); }

void PopulateDriveDlg::stopWork() { runner_->stopAndWait(); }

void PopulateDriveDlg::setStatus(const QString& text) { status_->setText(text); }

void PopulateDriveDlg::pageShown() {
    if (window().state().previousPageId == kDrivePageId) window().replaceReader();
    if (request_.searchMode == 1) {
        progress_->setRange(0, 1000);
        standardListing();
        progress_->setValue(1000);
    } else {
        startDiskSearch();
    }
}

void PopulateDriveDlg::standardListing() {
    addCustom_->hide();
    search_ = std::make_unique<Partition>(*reporter_, runner_->control());
    search_->useGpt = request_.useGpt;
    if (window().state().previousPageId == kDrivePageId) window().replaceReader();
    FileReadSeek* reader = window().state().currentReader.get();
    if (reader == nullptr) {
        message("information lost ..go back and parse again");
        return;
    }
    if (!reader->Open(request_.drivePath)) {
        message(kFileNotOpenedText);
    } else {
        list_->clear();
        rows_.clear();
        search_->ReadPartitionTable(*reader);
        rows_ = search_->rows;
        relistAll();
        if (!rows_.empty()) customBox_->setEnabled(true);
    }
    filter_->setEnabled(true);
    setStatus(kFinishedScanningStatus);
    progress_->hide();
    stop_->hide();
    setStatus(kSelectVolumeStatus);
}

void PopulateDriveDlg::startDiskSearch() {
    addCustom_->setEnabled(false);
    nextButton()->setEnabled(false);
    search_ = std::make_unique<Partition>(*reporter_, runner_->control());
    search_->skipFoundVolumes = !request_.doNotSkip;
    if (request_.customRange) {
        search_->scanStartSector = request_.startSector;
        search_->scanEndSector = request_.endSector;
    }
    if (window().state().previousPageId == kDrivePageId) window().replaceReader();
    FileReadSeek* reader = window().state().currentReader.get();
    if (reader == nullptr || !reader->Open(request_.drivePath)) {
        nextButton()->setEnabled(true);
        message(kFileNotOpenedText);
        return;
    }
    list_->clear();
    rows_.clear();
    search_->onRowFound = [this](const VolumeRow& row) {
        QMetaObject::invokeMethod(
            this,
            [this, row] {
                rows_.push_back(row);
                appendRow(rows_.size() - 1, false);
            },
            Qt::QueuedConnection);
    };
    backButton()->setEnabled(false);
    // The rows' list changes under the search: nothing may relist it meanwhile.
    filter_->setEnabled(false);
    Partition* search = search_.get();
    runner_->start([search, reader] {
        search->ScanDiskForVolumes(*reader);
        return true;
    });
}

void PopulateDriveDlg::searchFinished() {
    backButton()->setEnabled(true);
    setStatus("Scanned Partitions");
    message("populated partitions....");
    setStatus(kFinishedScanningStatus);
    search_.reset();
    if (!rows_.empty()) customBox_->setEnabled(true);
    addCustom_->setEnabled(true);
    filter_->setEnabled(true);
    progress_->hide();
    stop_->hide();
    nextButton()->setEnabled(true);
    setStatus(kSelectVolumeStatus);
}

void PopulateDriveDlg::appendRow(size_t index, bool atTop) {
    const VolumeRow& row = rows_[index];
    auto* item = new QTreeWidgetItem(
        {QString::fromStdString(row.volumeText), QString::fromStdString(row.fileSystem),
         QString::fromStdString(row.sizeText),
         QString::number(static_cast<long long>(row.startSector))});
    item->setData(0, kRowRole, static_cast<qulonglong>(index));
    item->setData(0, kSectorCountRole, static_cast<qulonglong>(row.sectorCount));
    if (atTop)
        list_->insertTopLevelItem(0, item);
    else
        list_->addTopLevelItem(item);
}

void PopulateDriveDlg::relistAll() {
    list_->clear();
    for (size_t i = rows_.size(); i-- > 0;) {
        rows_[i].volumeText = printfText("%d", static_cast<int>(i));
        appendRow(i, true);
    }
}

void PopulateDriveDlg::rowSelected(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    const VolumeRow& row = rows_.at(item->data(0, kRowRole).toULongLong());
    selectedVolume_->setText(item->text(0));
    startEdit_->setValue(row.startSector);
    long long sizeMb = leadingNumber(row.sizeText);
    endEdit_->setValue(sizeMb > 0 ? row.startSector + sizeMb * 2048 - 1 : 0);
}

void PopulateDriveDlg::rowClicked(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    const VolumeRow& row = rows_.at(item->data(0, kRowRole).toULongLong());
    QString fs = QString::fromStdString(row.fileSystem);
    if (fs.isEmpty()) return;
    int found = treatAs_->findText(fs, Qt::MatchStartsWith);
    if (found >= 0) treatAs_->setCurrentIndex(found);
}

void PopulateDriveDlg::enableCustomControls(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{selectedLabel_, selectedVolume_, startLabel_,
                                                      startEdit_, endLabel_, endEdit_,
                                                      treatLabel_, treatAs_})
        w->setEnabled(enabled);
}

void PopulateDriveDlg::filterEntries() {
    list_->clear();
    if (rows_.size() < 2) return;
    // A volume that starts one sector after the one before it in the list of finds.
    for (size_t i = rows_.size() - 1; i >= 1; --i) {
        if (rows_[i].startSector == rows_[i - 1].startSector + 1) {
            rows_[i].volumeText = printfText("%d", static_cast<int>(i));
            appendRow(i, true);
        }
    }
}

void PopulateDriveDlg::addCustomVolume() {
    VolumeRow row;
    row.volumeText = printfText("%d", static_cast<int>(rows_.size()));
    row.fileSystem = "CUSTOM ";
    row.sizeText = "0";
    row.startSector = 0;
    rows_.push_back(row);
    customBox_->setEnabled(true);
    customBox_->setChecked(true);
    enableCustomControls(true);
    appendRow(rows_.size() - 1, request_.searchMode == 2);
    QTreeWidgetItem* item =
        request_.searchMode == 2 ? list_->topLevelItem(0)
                                 : list_->topLevelItem(list_->topLevelItemCount() - 1);
    list_->setCurrentItem(item);
    startEdit_->setValue(0);
    endEdit_->setValue(0);
}

void PopulateDriveDlg::onNext() {
    QTreeWidgetItem* item = list_->currentItem();
    if (item == nullptr) {
        message(kSelectValidVolumeText);
        return;
    }
    selectedIndex_ = item->data(0, kRowRole).toULongLong();
    VolumeRow& row = rows_.at(selectedIndex_);
    if (!customBox_->isChecked() && customApplied_) {
        // The custom values of an earlier Next are undone from the list's texts.
        row.volumeText = item->text(0).toStdString();
        row.fileSystem = item->text(1).toStdString();
        row.sizeText = item->text(2).remove("MB").trimmed().toStdString();
        row.startSector = item->text(3).toLongLong();
        row.sectorCount = item->data(0, kSectorCountRole).toULongLong();
    }
    bool raw = false;
    if (customBox_->isChecked()) {
        customApplied_ = true;
        long long start = startEdit_->value();
        long long end = endEdit_->value();
        row.startSector = start;
        row.sizeText = end > start ? printfText("%lld", (end - start + 1) / 2048) : "0";
        QString entry = treatAs_->currentIndex() >= 0 ? treatAs_->currentText() : QString();
        if (entry.compare("RAW", Qt::CaseInsensitive) == 0) {
            raw = true;
        } else if (!entry.isEmpty()) {
            row.fileSystem = treatedName(entry);
        }
        row.sectorCount = end > start ? static_cast<uint64_t>(end - start + 1) : 0;
    }
    if (raw) {
        row.fileSystem = "RAW";
        message(kRawNotAvailableText);
    } else if (QString::fromStdString(row.fileSystem).compare("unknown", Qt::CaseInsensitive) ==
               0) {
        message(kUnknownVolumeText);
    } else {
        window().showPage(new ParceModeNtfsDlg(window(), row));
    }
    search_.reset();
}

void PopulateDriveDlg::onBack() {
    stopWork();
    WizardPage::onBack();
}

}  // namespace lazarine::app
