// movila-ide: the desktop environment.
#include "ide/IdeSupport.h"
#include "ide/TMainForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {
// Types one key of the "--keys" debug switch: a key name, or text typed letter by letter.
void TypeKey(TMainForm& window, const QString& key)
{
    static const QMap<QString, int> named = {{"F6", Qt::Key_F6},      {"F7", Qt::Key_F7},
                                             {"F8", Qt::Key_F8},      {"F9", Qt::Key_F9},
                                             {"ESC", Qt::Key_Escape}, {"Enter", Qt::Key_Return}};
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget()
                                                             : static_cast<QWidget*>(&window);
    if (named.contains(key)) {
        const QString text = key == "Enter" ? "\r" : key == "ESC" ? "\x1b" : "";
        QKeyEvent press(QEvent::KeyPress, named[key], Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        return;
    }
    for (const QChar ch : key) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &press);
    }
}

// A debug aid: a picture of the window after the start-up and the check, or after the keys
// typed during a step-by-step run.
void TakeScreenshot(TMainForm& window, const StartupArguments& startup)
{
    if (startup.CheckAtStart) {
        window.CheckProgram();
    }
    if (!startup.StepAtStart) {
        QApplication::processEvents();
        window.grab().save(startup.Screenshot);
        return;
    }
    auto* timer = new QTimer(&window);
    auto keys = std::make_shared<QStringList>(startup.Keys);
    QObject::connect(timer, &QTimer::timeout, &window, [&window, timer, keys, startup] {
        if (!keys->isEmpty()) {
            TypeKey(window, keys->takeFirst());
            return;
        }
        timer->stop();
        window.grab().save(startup.Screenshot);
        window.Host().RequestCancel();
    });
    timer->start(150);
    const int result = window.RunProgram(true);
    qInfo("run ended with %d after %d step points", result, window.Host().WaitCount());
    if (timer->isActive()) {
        timer->stop();
        window.grab().save(startup.Screenshot);
    }
}
} // namespace

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
        if (!startup.Screenshot.isEmpty()) {
            TakeScreenshot(window, startup);
            QApplication::quit();
        }
    });
    return QApplication::exec();
}
