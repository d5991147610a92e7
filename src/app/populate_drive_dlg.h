#pragma once
// The partitions of the chosen drive: read from its tables, or found by a search of its
// sectors on a worker. The user picks one, may correct its start, end and file system, or
// adds a volume of their own.

#include <memory>
#include <vector>

#include "app/drive_parsing_modes.h"
#include "app/wizard_page.h"
#include "disk/volume_row.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace lazarine {
class Partition;
}

namespace lazarine::ui {
class JobRunner;
class PageReporter;
class SectorEdit;
}  // namespace lazarine::ui

namespace lazarine::app {

inline constexpr const char* kSelectVolumeStatus = "Select volume and click next button...";
inline constexpr const char* kFinishedScanningStatus = "Finished Scanning.";
inline constexpr const char* kFileNotOpenedText = "file not opened..";
inline constexpr const char* kUnknownVolumeText = "can not parse unknown volume";
inline constexpr const char* kSelectValidVolumeText = "please select a valid volume.";
inline constexpr const char* kRawNotAvailableText =
    "Raw recovery is not available in this version.";

class PopulateDriveDlg : public WizardPage {
    Q_OBJECT
public:
    PopulateDriveDlg(MainWindow& window, PartitionSearchRequest request);
    ~PopulateDriveDlg() override;

    void pageShown() override;
    void stopWork() override;

    const std::vector<VolumeRow>& rows() const { return rows_; }
    bool searchRunning() const;

    QTreeWidget* volumeList() const { return list_; }
    QPushButton* filterButton() const { return filter_; }
    QPushButton* addCustomButton() const { return addCustom_; }
    QPushButton* stopButton() const { return stop_; }
    QCheckBox* customSettings() const { return customBox_; }
    QLabel* selectedVolume() const { return selectedVolume_; }
    ui::SectorEdit* startSector() const { return startEdit_; }
    ui::SectorEdit* endSector() const { return endEdit_; }
    QComboBox* treatAs() const { return treatAs_; }
    QLabel* status() const { return status_; }
    QProgressBar* progress() const { return progress_; }

    // The row that Next handed on (valid after Next).
    const VolumeRow& selectedRow() const { return rows_.at(selectedIndex_); }

    void filterEntries();
    void addCustomVolume();

protected:
    void onNext() override;
    void onBack() override;

private:
    void standardListing();
    void startDiskSearch();
    void searchFinished();
    void appendRow(size_t index, bool atTop);
    void relistAll();
    void rowSelected(QTreeWidgetItem* item);
    void rowClicked(QTreeWidgetItem* item);
    void enableCustomControls(bool enabled);
    void setStatus(const QString& text);

    PartitionSearchRequest request_;
    std::vector<VolumeRow> rows_;
    size_t selectedIndex_ = 0;
    bool customApplied_ = false;

    ui::PageReporter* reporter_;
    ui::JobRunner* runner_;
    std::unique_ptr<Partition> search_;

    QTreeWidget* list_;
    QPushButton* filter_;
    QPushButton* addCustom_;
    QCheckBox* customBox_;
    QLabel* selectedVolume_;
    QLabel* startLabel_;
    QLabel* endLabel_;
    QLabel* treatLabel_;
    QLabel* selectedLabel_;
    ui::SectorEdit* startEdit_;
    ui::SectorEdit* endEdit_;
    QComboBox* treatAs_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* stop_;
};

}  // namespace lazarine::app
