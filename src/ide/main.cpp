// movila-ide: the desktop environment.
#include "ide/IdeSupport.h"
#include "ide/TMainForm.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("movila");
    TMainForm window;
    const QStringList arguments = QApplication::arguments().mid(1);
    const StartupArguments startup = ParseStartupArguments(arguments);
    if (startup.Screenshot.isEmpty()) {
        window.showMaximized();
    } else {
        window.resize(1280, 800);
        window.show();
    }
    QTimer::singleShot(0, &window, [&] {
        window.Start(arguments);
        if (startup.Screenshot.isEmpty()) {
            return;
        }
        // A debug aid: a picture of the window after the start-up (and check, or first steps).
        if (startup.CheckAtStart) {
            window.CheckProgram();
        }
        if (startup.StepAtStart) {
            QTimer::singleShot(300, &window, [&] {
                window.grab().save(startup.Screenshot);
                window.Host().RequestCancel();
            });
            window.RunProgram(true);
        } else {
            QApplication::processEvents();
            window.grab().save(startup.Screenshot);
        }
        QApplication::quit();
    });
    return QApplication::exec();
}
