#include "ui/prompter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace lazarine::ui {

namespace {

QMessageBox::Icon boxIcon(Prompter::Icon icon) {
    switch (icon) {
        case Prompter::Icon::Information:
            return QMessageBox::Information;
        case Prompter::Icon::Question:
            return QMessageBox::Question;
        case Prompter::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void DialogPrompter::message(QWidget* parent, const QString& text, Icon icon) {
    QMessageBox box(boxIcon(icon), QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool DialogPrompter::ask(QWidget* parent, const QString& text, Icon icon) {
    QMessageBox box(boxIcon(icon), QString::fromUtf8(kApplicationTitle), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

QString DialogPrompter::chooseFolder(QWidget* parent, const QString& title,
                                     const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parent, title, startFolder,
                                             QFileDialog::ShowDirsOnly);
}

QString DialogPrompter::chooseFile(QWidget* parent, const QString& title) {
    return QFileDialog::getOpenFileName(parent, title, QString(),
                                        "Disk images (*.img *.dd *.raw *.bin *.iso);;All files (*)");
}

}  // namespace lazarine::ui
