#pragma once
// What was chosen when the user picked a volume: its name, file system and size.

#include "app/wizard_page.h"
#include "disk/volume_row.h"

class QLabel;

namespace lazarine::app {

class VolumeOperations : public WizardPage {
    Q_OBJECT
public:
    VolumeOperations(MainWindow& window, VolumeRow volume);
    const VolumeRow& volume() const { return volume_; }

protected:
    void onNext() override;

private:
    VolumeRow volume_;
};

}  // namespace lazarine::app
