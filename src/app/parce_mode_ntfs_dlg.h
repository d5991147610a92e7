#pragma once
// The recovery mode for the chosen partition or volume: Standard, Advanced or Deep, with
// the choices a file system does not offer hidden. Holds the selection the scan reads.

#include "app/wizard_page.h"
#include "scan/parser.h"
#include "scan/scan_job.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace lazarine::app {

class ParceModeNtfsDlg : public WizardPage {
    Q_OBJECT
public:
    ParceModeNtfsDlg(MainWindow& window, VolumeRow volume);

    const ScanSelection& selection() const { return selection_; }
    // What the scan is asked to do, from the mode and the options of this page.
    ScanRequest request() const;

    QRadioButton* standard() const { return standard_; }
    QRadioButton* advanced() const { return advanced_; }
    QRadioButton* deep() const { return deep_; }
    QCheckBox* driveFormatted() const { return formatted_; }
    QLineEdit* maxFileSystems() const { return maxEdit_; }

protected:
    void onNext() override;

private:
    void chooseMode(int mode);
    void showMaxControls(bool shown);

    ScanSelection selection_;
    QString prefix_;
    QRadioButton* standard_;
    QRadioButton* advanced_;
    QRadioButton* deep_;
    QCheckBox* formatted_;
    QLabel* maxLabel_;
    QLineEdit* maxEdit_;
    QLabel* maxHint_;
};

}  // namespace lazarine::app
