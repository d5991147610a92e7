#include "app/wizard_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/main_window.h"

namespace lazarine::app {

WizardPage::WizardPage(MainWindow& window, int pageId, const QString& heading)
    : window_(window), pageId_(pageId) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 10, 16, 12);
    auto* title = new QLabel(heading, this);
    QFont font = title->font();
    font.setPointSizeF(font.pointSizeF() * 1.25);
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title);
    body_ = new QVBoxLayout;
    layout->addLayout(body_, 1);
    buttons_ = new QHBoxLayout;
    buttons_->addStretch(1);
    back_ = new QPushButton(style()->standardIcon(QStyle::SP_ArrowBack), "Back", this);
    next_ = new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward), "Next", this);
    back_->setAutoDefault(false);
    next_->setAutoDefault(false);
    buttons_->addWidget(back_);
    buttons_->addWidget(next_);
    layout->addLayout(buttons_);
    connect(next_, &QPushButton::clicked, this, [this] { onNext(); });
    connect(back_, &QPushButton::clicked, this, [this] { onBack(); });
}

void WizardPage::enterPressed() { window_.endApplication(); }

void WizardPage::onBack() { window_.goBack(); }

void WizardPage::message(const QString& text) {
    window_.prompter().message(this, text, ui::Prompter::Icon::Information);
}

}  // namespace lazarine::app
