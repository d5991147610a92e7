#include "app/parce_mode_ntfs_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/volume_scan_dlg.h"

namespace lazarine::app {

ParceModeNtfsDlg::ParceModeNtfsDlg(MainWindow& window, VolumeRow volume)
    : WizardPage(window, kRecoveryModePageId, "Choose the recovery mode") {
    selection_.volume = std::move(volume);
    selection_.recoveryMode = 0;

    auto* info = new QLabel(QString("Volume: %1    File system: %2    Size: %3")
                                .arg(QString::fromStdString(selection_.volume.rootPath.empty()
                                                                ? selection_.volume.volumeText
                                                                : selection_.volume.rootPath),
                                     QString::fromStdString(selection_.volume.fileSystem),
                                     QString::fromStdString(selection_.volume.sizeText)),
                            this);
    info->setObjectName("volumeSummary");
    body()->addWidget(info);
    auto* box = new QGroupBox(this);
    auto* grid = new QGridLayout(box);
    standard_ = new QRadioButton("Standard", box);
    advanced_ = new QRadioButton("Advanced", box);
    deep_ = new QRadioButton("Deep", box);
    standard_->setAutoExclusive(false);
    advanced_->setAutoExclusive(false);
    deep_->setAutoExclusive(false);
    formatted_ = new QCheckBox("Is Drive Formated..?", box);
    maxLabel_ = new QLabel("Please Enter Max File Systems to Find :", box);
    maxEdit_ = new QLineEdit("3", box);
    maxEdit_->setMaximumWidth(80);
    maxHint_ = new QLabel("( By  Default  it's  = 3 )", box);
    grid->addWidget(standard_, 0, 0);
    grid->addWidget(advanced_, 1, 0);
    grid->addWidget(deep_, 2, 0);
    grid->addWidget(formatted_, 3, 0);
    grid->addWidget(maxLabel_, 1, 1);
    grid->addWidget(maxEdit_, 1, 2);
    grid->addWidget(maxHint_, 1, 3);
    grid->setColumnStretch(4, 1);
    grid->setColumnMinimumWidth(0, 190);
    body()->addWidget(box);
    body()->addStretch(1);

    connect(standard_, &QRadioButton::clicked, this, [this] { chooseMode(1); });
    connect(advanced_, &QRadioButton::clicked, this, [this] { chooseMode(2); });
    connect(deep_, &QRadioButton::clicked, this, [this] { chooseMode(3); });
    connect(formatted_, &QCheckBox::toggled, this,
            [this](bool on) { this->window().state().driveFormatted = on; });

    // The first three letters of the file-system name decide which modes it offers.
    prefix_ = QString::fromStdString(selection_.volume.fileSystem).trimmed().left(3);
    showMaxControls(false);
    formatted_->hide();
    chooseMode(1);

    auto is = [this](const char* p) { return prefix_.compare(p, Qt::CaseInsensitive) == 0; };
    if (is("fat") || is("exF")) deep_->hide();
    if (is("ext")) {
        deep_->hide();
        advanced_->hide();
    }
    if (is("HFS")) advanced_->hide();
}

void ParceModeNtfsDlg::showMaxControls(bool shown) {
    maxLabel_->setVisible(shown);
    maxEdit_->setVisible(shown);
    maxHint_->setVisible(shown);
}

void ParceModeNtfsDlg::chooseMode(int mode) {
    window().state().driveFormatted = false;
    formatted_->setChecked(false);
    standard_->setChecked(mode == 1);
    advanced_->setChecked(mode == 2);
    deep_->setChecked(mode == 3);
    showMaxControls(mode == 2);
    bool fat = prefix_.compare("fat", Qt::CaseInsensitive) == 0;
    formatted_->setVisible(mode == 2 && fat);
    selection_.recoveryMode = mode;
}

ScanRequest ParceModeNtfsDlg::request() const {
    ScanRequest r;
    r.recoveryMode = selection_.recoveryMode;
    int max = maxEdit_->text().trimmed().toInt();
    r.maxCandidates = max < 1 ? 3 : max;
    r.driveFormatted = window().state().driveFormatted;
    return r;
}

void ParceModeNtfsDlg::onNext() {
    if (selection_.recoveryMode == 0) return;
    window().showPage(new VolumeScanDlg(window(), selection_, request()));
}

}  // namespace lazarine::app
