#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QShortcut>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/drive_page.h"
#include "app/wizard_page.h"

namespace lazarine::app {

namespace {

// The band across the top of every page.
class Banner : public QWidget {
public:
    explicit Banner(QWidget* parent) : QWidget(parent) { setFixedHeight(64); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QLinearGradient g(rect().topLeft(), rect().topRight());
        g.setColorAt(0, QColor(0x12, 0x3a, 0x5c));
        g.setColorAt(1, QColor(0x2f, 0x7e, 0x9e));
        p.fillRect(rect(), g);
        p.setPen(Qt::white);
        QFont title = font();
        title.setPointSizeF(title.pointSizeF() * 1.8);
        title.setBold(true);
        p.setFont(title);
        p.drawText(rect().adjusted(18, 6, 0, -24), Qt::AlignLeft | Qt::AlignVCenter, "Lazarine");
        QFont sub = font();
        p.setFont(sub);
        p.drawText(rect().adjusted(20, 34, 0, -4), Qt::AlignLeft | Qt::AlignVCenter,
                   "Deleted file recovery");
    }
};

}  // namespace

MainWindow::MainWindow(ui::Prompter& prompter, DriveSource drives,
                       ScanBackendFactory scanBackends, QWidget* parent)
    : QWidget(parent),
      prompter_(prompter),
      drives_(std::move(drives)),
      scanBackends_(std::move(scanBackends)),
      reporter_(new ui::PageReporter(prompter, this)) {
    quit = [](int code) { QCoreApplication::exit(code); };
    setWindowTitle(QString::fromUtf8(ui::kApplicationTitle));
    resize(960, 660);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeBanner());
    stack_ = new QStackedWidget(this);
    layout->addWidget(stack_, 1);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { close(); });
    for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, [this] {
            if (WizardPage* page = currentPage()) page->enterPressed();
        });
    }

    state_.driveFormatted = false;
    auto* first = new Physical_DriveDialog(*this);
    showPage(first);
}

MainWindow::~MainWindow() {
    for (auto it = pages_.rbegin(); it != pages_.rend(); ++it) (*it)->stopWork();
}

QWidget* MainWindow::makeBanner() {
    auto* banner = new Banner(this);
    auto* row = new QHBoxLayout(banner);
    row->setContentsMargins(0, 0, 14, 0);
    row->addStretch(1);
    auto* help = new QPushButton("Help", banner);
    help->setObjectName("helpButton");
    help->setAutoDefault(false);
    help->setMinimumWidth(80);
    auto* menu = new QMenu(help);
    menu->addAction("Help", this, &MainWindow::showHelp);
    menu->addAction("About", this, &MainWindow::showAbout);
    // There is no web page to open; the entry stays, inert.
    menu->addAction("Software Webpage")->setEnabled(false);
    help->setMenu(menu);
    row->addWidget(help);
    return banner;
}

void MainWindow::replaceReader() {
    state_.currentReader.reset();
    state_.currentReader = std::make_unique<FileReadSeek>(reporter_);
}

WizardPage* MainWindow::currentPage() const { return pages_.empty() ? nullptr : pages_.back(); }

void MainWindow::showPage(WizardPage* page) {
    if (WizardPage* creator = currentPage()) page->setPreviousPageId(creator->pageId());
    pages_.push_back(page);
    stack_->addWidget(page);
    stack_->setCurrentWidget(page);
    page->pageShown();
}

void MainWindow::goBack() {
    if (pages_.size() < 2) return;
    WizardPage* page = pages_.back();
    page->stopWork();
    pages_.pop_back();
    stack_->setCurrentWidget(pages_.back());
    stack_->removeWidget(page);
    page->deleteLater();
}

void MainWindow::endApplication() {
    if (ending_) return;
    ending_ = true;
    for (auto it = pages_.rbegin(); it != pages_.rend(); ++it) (*it)->stopWork();
    quit(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (ending_) {
        event->accept();
        return;
    }
    event->ignore();
    if (prompter_.ask(this, kCloseQuestion, ui::Prompter::Icon::Question)) endApplication();
}

void MainWindow::showHelp() {
    QDialog dialog(this);
    dialog.setWindowTitle(QString::fromUtf8(ui::kApplicationTitle));
    dialog.resize(720, 560);
    auto* layout = new QVBoxLayout(&dialog);
    auto* browser = new QTextBrowser(&dialog);
    browser->setOpenExternalLinks(false);
    browser->setSource(QUrl("qrc:/lazarine/user-guide.html"));
    layout->addWidget(browser);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}

void MainWindow::showAbout() {
    QDialog dialog(this);
    dialog.setWindowTitle("About Lazarine");
    auto* layout = new QVBoxLayout(&dialog);
    auto* title = new QLabel(QString::fromUtf8(ui::kApplicationTitle), &dialog);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title);
    layout->addWidget(new QLabel(
        "Finds deleted files on disks and disk images and copies them out,\n"
        "reading every source read-only.",
        &dialog));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.exec();
}

}  // namespace lazarine::app
