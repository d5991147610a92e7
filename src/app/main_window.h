#pragma once
// The one window of the wizard: the common frame (title, banner, Help menu, the close
// question) around a stack of pages. Creating a page shows it in place of its creator;
// Back destroys it and shows the creator as it was left.

#include <QWidget>

#include <functional>
#include <vector>

#include "app/app_state.h"
#include "ui/page_reporter.h"
#include "ui/prompter.h"

class QStackedWidget;

namespace lazarine::app {

class WizardPage;

inline constexpr const char* kCloseQuestion = "Do you want to Close Application ?";

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(ui::Prompter& prompter, DriveSource drives = {},
               ScanBackendFactory scanBackends = makeScanJobBackend, QWidget* parent = nullptr);
    ~MainWindow() override;

    AppState& state() { return state_; }
    ui::Prompter& prompter() { return prompter_; }
    // For what pages report outside a job ("invalid handle ..." of the reader).
    ui::PageReporter& reporter() { return *reporter_; }
    const DriveSource& driveSource() const { return drives_; }
    const ScanBackendFactory& scanBackends() const { return scanBackends_; }

    // Destroys the current reader and puts a new, unopened one in its place.
    void replaceReader();

    // Shows `page`, created by the current page, in its place.
    void showPage(WizardPage* page);
    // Destroys the current page and shows the one that created it.
    void goBack();
    WizardPage* currentPage() const;
    const std::vector<WizardPage*>& pages() const { return pages_; }

    // Stops every page's worker and ends the application with exit code 0.
    void endApplication();
    // How the application ends; tests replace it.
    std::function<void(int)> quit;

    // The Help menu's commands.
    void showHelp();
    void showAbout();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeBanner();

    ui::Prompter& prompter_;
    DriveSource drives_;
    ScanBackendFactory scanBackends_;
    AppState state_;
    ui::PageReporter* reporter_;
    QStackedWidget* stack_;
    std::vector<WizardPage*> pages_;
    bool ending_ = false;
};

}  // namespace lazarine::app
