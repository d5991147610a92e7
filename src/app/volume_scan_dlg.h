#pragma once
// The scan page: runs the scan job of the chosen volume on a worker with Pause, Resume
// and Stop, then shows the results tree and file list and saves what the user picked.

#include <memory>

#include "app/app_state.h"
#include "app/wizard_page.h"
#include "scan/result_tree.h"
#include "scan/scan_job.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace lazarine::ui {
class CCheckListCtrl;
class CXHtmlTree;
class JobRunner;
class PageReporter;
}  // namespace lazarine::ui

namespace lazarine::app {

inline constexpr const char* kPleaseWaitText = "Please wait for other process to complete";
inline constexpr const char* kChooseFolderTitle = "Please choose a folder.";
inline constexpr const char* kStopPressedStatus =
    "stop button pressed.Please wait for the process to be stopped.";
inline constexpr const char* kAllThreadsStoppedText = "All thread Stopped";

class VolumeScanDlg : public WizardPage {
    Q_OBJECT
public:
    VolumeScanDlg(MainWindow& window, ScanSelection selection, ScanRequest request);
    ~VolumeScanDlg() override;

    void pageShown() override;
    void stopWork() override;
    void enterPressed() override;

    bool scanRunning() const { return scanRunning_; }
    bool saveRunning() const { return saveRunning_; }
    bool stopPressed() const { return stopPressed_; }
    bool searchRunning() const { return job_ == Job::Search; }
    // The list holds search results: its ticks do not reach the tree.
    bool showingSearchResults() const { return searchResults_; }
    FileSystemParser* parser() const;

    ui::CXHtmlTree* tree() const { return tree_; }
    ui::CCheckListCtrl* list() const { return list_; }
    QLabel* status() const { return status_; }
    QLabel* sizeLabel() const { return sizeLabel_; }
    QProgressBar* progress() const { return progress_; }
    QPushButton* pauseButton() const { return pause_; }
    QPushButton* resumeButton() const { return resume_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* saveButton() const { return save_; }
    QLineEdit* volumeData() const { return volumeData_; }
    QLineEdit* outputFolder() const { return outputFolder_; }
    QLineEdit* searchField() const { return searchField_; }
    QPushButton* searchButton() const { return search_; }

    // The page's commands, as their buttons and the tree run them.
    void pauseJob();
    void resumeJob();
    void stopJob();
    void saveSelected();
    void fillList(ItemId item);
    void itemDoubleClicked(ItemId item);
    void searchNames();

signals:
    // A scan or save job ended (for whoever waits on the page).
    void jobFinished();

private:
    void startScan();
    void scanFinished(bool ok);
    void saveFinished();
    void searchFinished();
    void startSave(std::function<bool()> job);
    void syncListTicks();
    void setJobControlsShown(bool shown);
    bool busy() const { return job_ != Job::None; }
    enum class Job { None, Scan, Save, Search };

    ScanSelection selection_;
    ScanRequest request_;
    std::unique_ptr<ScanBackend> backend_;
    ui::PageReporter* reporter_;
    ui::JobRunner* runner_;
    Job job_ = Job::Scan;
    bool scanRunning_ = true;
    bool saveRunning_ = false;
    bool searchResults_ = false;
    bool stopPressed_ = false;

    ui::CXHtmlTree* tree_;
    ui::CCheckListCtrl* list_;
    QLineEdit* volumeData_;
    QLineEdit* outputFolder_;
    QLabel* status_;
    QLabel* sizeLabel_;
    QProgressBar* progress_;
    QPushButton* pause_;
    QPushButton* resume_;
    QPushButton* stop_;
    QPushButton* save_;
    QLineEdit* searchField_;
    QPushButton* search_;
};

}  // namespace lazarine::app
