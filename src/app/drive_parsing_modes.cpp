#include "app/drive_parsing_modes.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/populate_drive_dlg.h"

namespace lazarine::app {

DriveParsingModes::DriveParsingModes(MainWindow& window, std::string drivePath)
    : WizardPage(window, kDriveParseModePageId, "How should the partitions be found?"),
      drivePath_(std::move(drivePath)) {
    auto* selected = new QLabel("Currently Selected Drive :  " + QString::fromStdString(drivePath_),
                                this);
    selected->setObjectName("selectedDrive");
    body()->addWidget(selected);

    auto* modes = new QGroupBox(this);
    auto* modesLayout = new QVBoxLayout(modes);
    standard_ = new QRadioButton("Standard Scan", modes);
    gpt_ = new QCheckBox("GPT format", modes);
    auto* gptHint = new QLabel("* Check If Partition type is GPT", modes);
    gptHint->setIndent(24);
    advance_ = new QRadioButton("Advance Scan", modes);
    doNotSkip_ = new QCheckBox("Do not Skip Volume Size While Parsing in Advance  Scan ", modes);
    custom_ = new QCheckBox("Custom Setting:", modes);
    modesLayout->addWidget(standard_);
    modesLayout->addWidget(gpt_);
    modesLayout->addWidget(gptHint);
    modesLayout->addSpacing(8);
    modesLayout->addWidget(advance_);
    modesLayout->addWidget(doNotSkip_);
    modesLayout->addWidget(custom_);

    auto* sectors = new QFormLayout;
    sectors->setContentsMargins(24, 0, 0, 0);
    auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]{0,19}"), this);
    start_ = new QLineEdit("0", modes);
    end_ = new QLineEdit("0", modes);
    start_->setValidator(digits);
    end_->setValidator(digits);
    start_->setMaximumWidth(200);
    end_->setMaximumWidth(200);
    startLabel_ = new QLabel("Starting Sector:", modes);
    endLabel_ = new QLabel("Ending Sector:", modes);
    sectors->addRow(startLabel_, start_);
    sectors->addRow(endLabel_, end_);
    modesLayout->addLayout(sectors);
    body()->addWidget(modes);
    body()->addWidget(new QLabel("Choose any one of the mode and Click Next....", this));
    body()->addStretch(1);

    connect(standard_, &QRadioButton::clicked, this, &DriveParsingModes::chooseStandard);
    connect(advance_, &QRadioButton::clicked, this, &DriveParsingModes::chooseAdvance);
    connect(custom_, &QCheckBox::toggled, this, &DriveParsingModes::enableSectorEdits);

    if (MainWindow& w = this->window(); w.state().currentReader) {
        w.state().currentReader->Open(drivePath_);
    }
    enableSectorEdits(false);
    chooseStandard();
}

void DriveParsingModes::chooseStandard() {
    standard_->setChecked(true);
    advance_->setChecked(false);
    doNotSkip_->setEnabled(false);
    custom_->setEnabled(false);
    if (custom_->isChecked()) custom_->setChecked(false);
    enableSectorEdits(false);
}

void DriveParsingModes::chooseAdvance() {
    advance_->setChecked(true);
    standard_->setChecked(false);
    doNotSkip_->setEnabled(true);
    custom_->setEnabled(true);
}

void DriveParsingModes::enableSectorEdits(bool enabled) {
    start_->setEnabled(enabled);
    end_->setEnabled(enabled);
    startLabel_->setEnabled(enabled);
    endLabel_->setEnabled(enabled);
}

PartitionSearchRequest DriveParsingModes::request() const {
    PartitionSearchRequest r;
    r.drivePath = drivePath_;
    r.searchMode = standard_->isChecked() ? 1 : 2;
    r.useGpt = gpt_->isChecked();
    r.doNotSkip = doNotSkip_->isChecked();
    if (custom_->isChecked()) {
        long long start = start_->text().toLongLong();
        long long end = end_->text().toLongLong();
        if ((start > 0 && start < end) || end >= 0) {
            r.customRange = true;
            r.startSector = start;
            r.endSector = end;
        }
    }
    return r;
}

void DriveParsingModes::onNext() {
    window().showPage(new PopulateDriveDlg(window(), request()));
}

}  // namespace lazarine::app
