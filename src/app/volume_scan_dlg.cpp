#include "app/volume_scan_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "scan/save_walker.h"
#include "search/search.h"
#include "ui/check_list_ctrl.h"
#include "ui/cx_html_tree.h"
#include "ui/file_icons.h"
#include "ui/job_runner.h"
#include "ui/page_reporter.h"

namespace lazarine::app {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

VolumeScanDlg::VolumeScanDlg(MainWindow& window, ScanSelection selection, ScanRequest request)
    : WizardPage(window, kScanPageId, "Scan and save"),
      selection_(std::move(selection)),
      request_(request),
      reporter_(new ui::PageReporter(window.prompter(), this)),
      runner_(new ui::JobRunner(*reporter_, this)) {
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Volume Data:", this));
    volumeData_ = new QLineEdit(this);
    volumeData_->setReadOnly(true);
    top->addWidget(volumeData_, 1);
    top->addSpacing(12);
    searchField_ = new QLineEdit(this);
    searchField_->setObjectName("searchField");
    searchField_->setMinimumWidth(200);
    search_ = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), "Search",
                              this);
    search_->setToolTip("Search");
    search_->setAutoDefault(false);
    top->addWidget(searchField_, 1);
    top->addWidget(search_);
    body()->addLayout(top);
    auto* hint = new QLabel("* Use \"|\" to find multiple file type ", this);
    hint->setAlignment(Qt::AlignRight);
    body()->addWidget(hint);

    auto* split = new QSplitter(Qt::Horizontal, this);
    tree_ = new ui::CXHtmlTree(split);
    tree_->setObjectName("resultTree");
    list_ = new ui::CCheckListCtrl(split);
    list_->setObjectName("fileList");
    split->addWidget(tree_);
    split->addWidget(list_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 3);
    split->setSizes({240, 620});
    body()->addWidget(split, 1);

    outputFolder_ = new QLineEdit(this);
    outputFolder_->hide();
    sizeLabel_ = new QLabel(this);
    sizeLabel_->setObjectName("sizeLabel");
    status_ = new QLabel(this);
    status_->setObjectName("status");
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(status_, 1);
    statusRow->addWidget(sizeLabel_);
    body()->addLayout(statusRow);
    body()->addWidget(progress_);

    pause_ = new QPushButton(style()->standardIcon(QStyle::SP_MediaPause), "Pause", this);
    resume_ = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), "Resume", this);
    stop_ = new QPushButton(style()->standardIcon(QStyle::SP_MediaStop), "Stop", this);
    save_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), "Save", this);
    int at = 0;
    for (QPushButton* b : {pause_, resume_, stop_, save_}) {
        b->setAutoDefault(false);
        buttonRow()->insertWidget(at++, b);
    }
    nextButton()->hide();

    connect(pause_, &QPushButton::clicked, this, &VolumeScanDlg::pauseJob);
    connect(resume_, &QPushButton::clicked, this, &VolumeScanDlg::resumeJob);
    connect(stop_, &QPushButton::clicked, this, &VolumeScanDlg::stopJob);
    connect(save_, &QPushButton::clicked, this, &VolumeScanDlg::saveSelected);
    connect(search_, &QPushButton::clicked, this, &VolumeScanDlg::searchNames);
    connect(tree_, &ui::CXHtmlTree::labelClicked, this, &VolumeScanDlg::fillList);
    connect(tree_, &ui::CXHtmlTree::itemDoubleClicked, this, &VolumeScanDlg::itemDoubleClicked);
    connect(tree_, &ui::CXHtmlTree::checksChanged, this, &VolumeScanDlg::syncListTicks);
    connect(list_, &ui::CCheckListCtrl::rowTickChanged, this,
            [this](ItemId item, bool ticked) {
                if (!searchResults_) tree_->setCheck(item, ticked);
            });
    connect(reporter_, &ui::PageReporter::statusChanged, status_, &QLabel::setText);
    connect(reporter_, &ui::PageReporter::sizeTextChanged, sizeLabel_, &QLabel::setText);
    connect(reporter_, &ui::PageReporter::progressRangeChanged, progress_,
            &QProgressBar::setRange);
    connect(reporter_, &ui::PageReporter::progressPositionChanged, progress_,
            &QProgressBar::setValue);
    connect(runner_, &ui::JobRunner::finished, this, [this](bool ok) {
        Job finished = job_;
        job_ = Job::None;
        if (finished == Job::Scan)
            scanFinished(ok);
        else if (finished == Job::Save)
            saveFinished();
        else if (finished == Job::Search)
            searchFinished();
        emit jobFinished();
    });

    backButton()->setEnabled(false);
    const VolumeRow& v = selection_.volume;
    volumeData_->setText(q(v.rootPath.empty() ? v.volumeText : v.rootPath));
}

VolumeScanDlg::~VolumeScanDlg() { stopWork(); }

FileSystemParser* VolumeScanDlg::parser() const { return backend_ ? backend_->parser() : nullptr; }

void VolumeScanDlg::pageShown() { startScan(); }

void VolumeScanDlg::stopWork() { runner_->stopAndWait(); }

void VolumeScanDlg::startScan() {
    AppState& state = window().state();
    backend_ = window().scanBackends()(state.currentReader.get(), selection_, request_,
                                       state.isVolumeSelected);
    if (!backend_->prepare(*reporter_)) {
        backButton()->setEnabled(true);
        scanRunning_ = false;
        job_ = Job::None;
        return;
    }
    tree_->setParser(backend_->parser());
    tree_->setEnabled(false);
    list_->setEnabled(false);
    std::string rootText = state.rootItemText;
    ScanBackend* backend = backend_.get();
    runner_->start([this, backend, rootText] {
        return backend->run(*reporter_, runner_->control(), [this, rootText](FileSystemParser& p) {
            // The top level is built on the user-interface thread while the worker waits.
            reporter_->runOnUi([this, &p, rootText] {
                tree_->buildTopLevel(p, rootText);
                return true;
            });
        });
    });
}

void VolumeScanDlg::scanFinished(bool ok) {
    backButton()->setEnabled(true);
    if (ok) setJobControlsShown(false);
    tree_->setEnabled(true);
    list_->setEnabled(true);
    scanRunning_ = false;
}

void VolumeScanDlg::setJobControlsShown(bool shown) {
    progress_->setVisible(shown);
    pause_->setVisible(shown);
    resume_->setVisible(shown);
    stop_->setVisible(shown);
}

void VolumeScanDlg::pauseJob() {
    if (!runner_->started()) return;
    runner_->control().pause();
    status_->setText("Pause button pressed");
}

void VolumeScanDlg::resumeJob() {
    if (!runner_->started()) return;
    runner_->control().resume();
    status_->setText("Resume button pressed");
}

void VolumeScanDlg::stopJob() {
    if (parser() == nullptr) return;
    runner_->control().requestStop();
    stopPressed_ = true;
    status_->setText(kStopPressedStatus);
}

void VolumeScanDlg::enterPressed() {
    if (parser() != nullptr) {
        runner_->control().requestStop();
        message(kAllThreadsStoppedText);
    }
    window().endApplication();
}

void VolumeScanDlg::fillList(ItemId item) {
    FileSystemParser* p = parser();
    if (p == nullptr || busy()) return;
    ResultTree& model = tree_->model();
    if (!model.valid(item)) return;
    if (model.hasPlaceholder(item)) tree_->expandFolder(item);
    searchResults_ = false;
    list_->clearRows();
    for (ItemId row : model.listRows(item, *p)) {
        EntryId entry = *model.item(row).entry;
        EntryColumns c = p->columns(entry);
        list_->addRow(row, tree_->iconOf(row),
                      {q(model.item(row).text), q(c.created), q(c.accessed), q(c.modified),
                       q(p->sizeText(entry)), q(c.attributes)},
                      model.check(row));
    }
}

void VolumeScanDlg::syncListTicks() {
    const ResultTree& model = tree_->model();
    for (int row = 0; row < list_->rowCount(); ++row)
        list_->showRowTick(row, model.check(list_->rowItem(row)));
}

void VolumeScanDlg::itemDoubleClicked(ItemId item) {
    FileSystemParser* p = parser();
    if (p == nullptr) return;
    if (busy()) {
        message(kPleaseWaitText);
        return;
    }
    const ResultTree& model = tree_->model();
    if (!model.valid(item) || !model.item(item).entry) return;
    if (model.isFolderItem(item)) {
        fillList(item);
        if (QTreeWidgetItem* view = tree_->viewItem(item)) view->setExpanded(true);
        return;
    }
    if (model.item(item).icon != IconKind::File) return;
    if (outputFolder_->text().isEmpty()) {
        outputFolder_->setText(
            window().prompter().chooseFolder(this, kChooseFolderTitle, QString()));
    }
    std::filesystem::path folder = outputFolder_->text().toStdString();
    if (folder.empty()) {
        message(kSelectOutputFolderText);
        return;
    }
    EntryId entry = *model.item(item).entry;
    startSave([this, p, entry, folder] {
        saveSingleFile(*p, entry, folder, *reporter_);
        return true;
    });
}

void VolumeScanDlg::saveSelected() {
    if (busy()) {
        message(kPleaseWaitText);
        return;
    }
    FileSystemParser* p = parser();
    if (p == nullptr) return;
    outputFolder_->setText(
        window().prompter().chooseFolder(this, kChooseFolderTitle, outputFolder_->text()));
    std::filesystem::path folder = outputFolder_->text().toStdString();
    if (folder.empty()) {
        message(kSelectOutputFolderText);
        return;
    }
    // Ticked files win over the selection: exactly they are saved, below their folders
    // from the top level down.
    std::vector<EntryId> ticked = tree_->model().tickedSelection(*p).files;
    EntryId target = kRootEntry;
    if (ticked.empty()) {
        const ResultTree& model = tree_->model();
        ItemId selected = tree_->currentItemId();
        if (!model.valid(selected) || !model.item(selected).entry) return;
        target = *model.item(selected).entry;
        if (!isFolderEntry(*p, target)) return;
    }
    startSave([this, p, target, folder, only = std::move(ticked)] {
        saveSelectedFolder(*p, target, folder, *reporter_, runner_->control(), reporter_,
                           only.empty() ? nullptr : &only);
        return true;
    });
}

void VolumeScanDlg::startSave(std::function<bool()> job) {
    // A Stop pressed during an earlier job must not end this one.
    stopPressed_ = false;
    saveRunning_ = true;
    job_ = Job::Save;
    tree_->setEnabled(false);
    list_->setEnabled(false);
    backButton()->setEnabled(false);
    progress_->show();
    stop_->show();
    runner_->start(std::move(job));
}

void VolumeScanDlg::saveFinished() {
    saveRunning_ = false;
    tree_->setEnabled(true);
    list_->setEnabled(true);
    backButton()->setEnabled(true);
    progress_->hide();
    stop_->hide();
    sizeLabel_->clear();
}

}  // namespace lazarine::app

namespace lazarine::app {

void VolumeScanDlg::searchNames() {
    if (busy()) {
        window().prompter().message(this, kPleaseWaitText, ui::Prompter::Icon::None);
        return;
    }
    FileSystemParser* p = parser();
    if (p == nullptr) return;
    job_ = Job::Search;
    stopPressed_ = false;
    setJobControlsShown(true);
    list_->clearRows();
    searchResults_ = true;
    tree_->setEnabled(false);
    save_->setEnabled(false);
    search_->setEnabled(false);
    backButton()->setEnabled(false);
    std::string pattern = searchField_->text().toStdString();
    std::string rootText = window().state().rootItemText;
    runner_->start([this, p, pattern, rootText] {
        return searchEntries(
            *p, pattern, *reporter_, runner_->control(),
            [this, p](const SearchMatch& match) {
                // The worker owns the parser while it searches: the row's texts are made
                // here and only shown on the user-interface thread.
                EntryColumns c = p->columns(match.entry);
                QStringList texts{q(match.path), q(c.created), q(c.accessed), q(c.modified),
                                  q(p->sizeText(match.entry)), q(c.attributes)};
                QString name = q(p->name(match.entry));
                QMetaObject::invokeMethod(
                    this,
                    [this, texts, name] {
                        list_->addRow(kNoItem, ui::fileIconForName(name), texts, false);
                    },
                    Qt::QueuedConnection);
            },
            rootText);
    });
}

void VolumeScanDlg::searchFinished() {
    // A finished search is what clears an earlier Stop.
    stopPressed_ = false;
    setJobControlsShown(false);
    tree_->setEnabled(true);
    save_->setEnabled(true);
    search_->setEnabled(true);
    backButton()->setEnabled(true);
}

}  // namespace lazarine::app
