#include "app/drive_page.h"

#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>

#include "app/drive_parsing_modes.h"
#include "app/main_window.h"
#include "app/volume_operations.h"
#include "disk/boot_sector.h"
#include "disk/partition.h"
#include "scan/display_format.h"

namespace lazarine::app {

namespace {

constexpr int kKindRole = Qt::UserRole + 1;
constexpr int kIndexRole = Qt::UserRole + 2;
enum ItemKind { kVolumeItem = 1, kDriveItem = 2 };

// The file-system name a volume row carries, as the scan dispatch reads it.
std::string volumeName(VolumeKind kind) {
    switch (kind) {
        case VolumeKind::Fat12:
        case VolumeKind::Fat16:
            return "FAT";
        case VolumeKind::Fat32:
            return "FAT32";
        case VolumeKind::ExFat:
            return "exFAT";
        default:
            return fileSystemName(kind);
    }
}

}  // namespace

std::optional<VolumeRow> volumeOfImage(const std::string& path) {
    FileReadSeek reader;
    if (!reader.Open(path)) return std::nullopt;
    std::array<uint8_t, 512> boot{};
    std::array<uint8_t, 512> at1024{};
    if (!reader.ReadExact(0, boot.data(), boot.size())) return std::nullopt;
    VolumeMatch match = classifyBootSector(boot, true);
    if (match.kind == VolumeKind::None || match.kind == VolumeKind::FatUnknown) {
        match = {};
        if (reader.ReadExact(1024, at1024.data(), at1024.size())) {
            match = classifyExtSuperblock(at1024);
            if (match.kind == VolumeKind::None) match = classifyHfsPlusHeader(at1024);
        }
    }
    if (match.kind == VolumeKind::None || match.kind == VolumeKind::FatUnknown)
        return std::nullopt;
    VolumeRow row;
    row.fileSystem = volumeName(match.kind);
    row.volumeText = path;
    row.sizeText = volumeSizeText(reader.sizeBytes());
    row.startSector = 0;
    row.sectorCount = reader.deviceSectorCount();
    return row;
}

Physical_DriveDialog::Physical_DriveDialog(MainWindow& window)
    : WizardPage(window, kDrivePageId, "Select the drive or volume to recover from") {
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setObjectName("driveTree");
    body()->addWidget(tree_);
    auto* openImage = new QPushButton("Open disk image...", this);
    openImage->setObjectName("openImageButton");
    openImage->setAutoDefault(false);
    buttonRow()->insertWidget(0, openImage);
    connect(openImage, &QPushButton::clicked, this, [this] {
        QString path = this->window().prompter().chooseFile(this, "Open disk image...");
        if (!path.isEmpty()) addImage(path.toStdString());
    });
    backButton()->hide();
    fill();
}

void Physical_DriveDialog::fill() {
    volumesItem_ = new QTreeWidgetItem(tree_, {kVolumesHeading});
    drivesItem_ = new QTreeWidgetItem(tree_, {kDrivesHeading});
    QIcon computer = style()->standardIcon(QStyle::SP_ComputerIcon);
    volumesItem_->setIcon(0, computer);
    drivesItem_->setIcon(0, computer);
    drives_ = window().driveSource().drives();
    for (size_t i = 0; i < drives_.size(); ++i) addDriveItem(i);
    volumes_ = window().driveSource().volumes();
    // The volumes are listed from the last found to the first.
    for (size_t i = volumes_.size(); i-- > 0;) addVolumeItem(i);
    volumesItem_->setExpanded(true);
    drivesItem_->setExpanded(true);
}

void Physical_DriveDialog::addVolumeItem(size_t index) {
    const VolumeRow& row = volumes_[index];
    // An unmounted volume has no mount point to show: its device path stands in.
    QString text = QString::fromStdString(row.rootPath.empty() ? row.volumeText : row.rootPath);
    auto* item = new QTreeWidgetItem(volumesItem_, {text});
    item->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
    item->setData(0, kKindRole, kVolumeItem);
    item->setData(0, kIndexRole, static_cast<qulonglong>(index));
}

void Physical_DriveDialog::addDriveItem(size_t index) {
    auto* item = new QTreeWidgetItem(drivesItem_, {QString::fromStdString(drives_[index].text)});
    item->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
    item->setData(0, kKindRole, kDriveItem);
    item->setData(0, kIndexRole, static_cast<qulonglong>(index));
}

void Physical_DriveDialog::addImage(const std::string& path) {
    if (std::optional<VolumeRow> row = volumeOfImage(path)) {
        volumes_.push_back(*row);
        addVolumeItem(volumes_.size() - 1);
        tree_->setCurrentItem(volumesItem_->child(volumesItem_->childCount() - 1));
        return;
    }
    PhysicalDrive drive;
    drive.number = static_cast<int>(drives_.size());
    drive.devicePath = path;
    drive.text = path;
    drives_.push_back(drive);
    addDriveItem(drives_.size() - 1);
    tree_->setCurrentItem(drivesItem_->child(drivesItem_->childCount() - 1));
}

const VolumeRow* Physical_DriveDialog::selectedVolume() const {
    QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr || item->data(0, kKindRole).toInt() != kVolumeItem) return nullptr;
    return &volumes_.at(item->data(0, kIndexRole).toULongLong());
}

std::string Physical_DriveDialog::selectedDrivePath() const {
    QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr || item->data(0, kKindRole).toInt() != kDriveItem) return {};
    return drives_.at(item->data(0, kIndexRole).toULongLong()).devicePath;
}

void Physical_DriveDialog::onNext() {
    window().replaceReader();
    window().state().previousPageId = kDrivePageId;
    QTreeWidgetItem* item = tree_->currentItem();
    QString heading = item && item->parent() ? item->parent()->text(0).trimmed() : QString();
    if (heading == "VOLUMES:") {
        window().state().isVolumeSelected = true;
        window().showPage(new VolumeOperations(window(), *selectedVolume()));
    } else if (heading == "PHYSICAL DRIVES:") {
        window().state().isVolumeSelected = false;
        window().showPage(new DriveParsingModes(window(), selectedDrivePath()));
    } else {
        message(kSelectVolumeOrDriveText);
    }
}

}  // namespace lazarine::app
