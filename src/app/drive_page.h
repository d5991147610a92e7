#pragma once
// The first page: the machine's volumes and physical drives in one tree, and disk images
// the user adds.

#include <optional>
#include <string>
#include <vector>

#include "app/wizard_page.h"
#include "disk/drive_list.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace lazarine::app {

inline constexpr const char* kVolumesHeading = "     VOLUMES:";
inline constexpr const char* kDrivesHeading = "     PHYSICAL DRIVES:";
inline constexpr const char* kSelectVolumeOrDriveText = "Please select a volume or a drive..";

// The row of an image file whose first sector is a volume's boot sector (or that holds an
// ext or HFS+ volume at byte 1024); nothing for anything else, which is then a whole disk.
std::optional<VolumeRow> volumeOfImage(const std::string& path);

class Physical_DriveDialog : public WizardPage {
    Q_OBJECT
public:
    explicit Physical_DriveDialog(MainWindow& window);

    // The selection the next pages read.
    const VolumeRow* selectedVolume() const;
    std::string selectedDrivePath() const;

    QTreeWidget* tree() const { return tree_; }
    // "Open disk image...": adds `path` under the volumes or the drives and selects it.
    void addImage(const std::string& path);

protected:
    void onNext() override;

private:
    void fill();
    void addVolumeItem(size_t index);
    void addDriveItem(size_t index);

    QTreeWidget* tree_;
    QTreeWidgetItem* volumesItem_;
    QTreeWidgetItem* drivesItem_;
    // Tree items hold indexes into these; they live as long as the page.
    std::vector<VolumeRow> volumes_;
    std::vector<PhysicalDrive> drives_;
};

}  // namespace lazarine::app
