// lazarine: the desktop wizard.

#include <QApplication>
#include <QMessageBox>

#include "app/main_window.h"
#include "platform/instance_lock.h"
#include "ui/prompter.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("lazarine");
    QApplication::setApplicationDisplayName(QString::fromUtf8(lazarine::ui::kApplicationTitle));
    QApplication::setDesktopFileName("lazarine");
    QApplication::setWindowIcon(QIcon(":/lazarine/lazarine.svg"));

    lazarine::platform::InstanceLock lock;
    lazarine::ui::DialogPrompter prompter;
    if (!lock.acquire(lazarine::platform::InstanceLock::runtimeFolder(), "lazarine")) {
        prompter.message(nullptr, "Another instance of application is already running",
                         lazarine::ui::Prompter::Icon::Information);
        return 0;
    }

    lazarine::app::MainWindow window(prompter);
    window.show();
    return app.exec();
}
