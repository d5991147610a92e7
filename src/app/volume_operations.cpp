#include "app/volume_operations.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/parce_mode_ntfs_dlg.h"

namespace lazarine::app {

VolumeOperations::VolumeOperations(MainWindow& window, VolumeRow volume)
    : WizardPage(window, kVolumeInfoPageId, "Volume information"), volume_(std::move(volume)) {
    auto* box = new QGroupBox(this);
    auto* form = new QFormLayout(box);
    auto value = [box](const std::string& text, const char* name) {
        auto* label = new QLabel(QString::fromStdString(text), box);
        label->setObjectName(name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    // A volume without a mount point is named by its device.
    form->addRow("Volume Name:",
                 value(volume_.rootPath.empty() ? volume_.volumeText : volume_.rootPath,
                       "volumeName"));
    form->addRow("Volume File System:", value(volume_.fileSystem, "volumeFileSystem"));
    form->addRow("Volume Size:", value(volume_.sizeText, "volumeSize"));
    body()->addWidget(box);
    body()->addStretch(1);
    nextButton()->setEnabled(true);
}

void VolumeOperations::onNext() { window().showPage(new ParceModeNtfsDlg(window(), volume_)); }

}  // namespace lazarine::app
