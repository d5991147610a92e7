#pragma once
// How the partitions of a physical drive are found: from its tables (Standard Scan) or by
// searching its sectors (Advance Scan), with the GPT, do-not-skip and sector-range options.

#include <string>

#include "app/wizard_page.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace lazarine::app {

// What the partition list page is given.
struct PartitionSearchRequest {
    std::string drivePath;
    int searchMode = 1;  // 1 read the tables, 2 search the disk
    bool useGpt = false;
    bool doNotSkip = false;
    bool customRange = false;
    long long startSector = 0;
    long long endSector = 0;
};

class DriveParsingModes : public WizardPage {
    Q_OBJECT
public:
    DriveParsingModes(MainWindow& window, std::string drivePath);

    // The request Next hands to the partition list page.
    PartitionSearchRequest request() const;

    QRadioButton* standardScan() const { return standard_; }
    QRadioButton* advanceScan() const { return advance_; }
    QCheckBox* gptFormat() const { return gpt_; }
    QCheckBox* doNotSkip() const { return doNotSkip_; }
    QCheckBox* customSetting() const { return custom_; }
    QLineEdit* startingSector() const { return start_; }
    QLineEdit* endingSector() const { return end_; }

protected:
    void onNext() override;

private:
    void chooseStandard();
    void chooseAdvance();
    void enableSectorEdits(bool enabled);

    std::string drivePath_;
    QRadioButton* standard_;
    QRadioButton* advance_;
    QCheckBox* gpt_;
    QCheckBox* doNotSkip_;
    QCheckBox* custom_;
    QLabel* startLabel_;
    QLabel* endLabel_;
    QLineEdit* start_;
    QLineEdit* end_;
};

}  // namespace lazarine::app
