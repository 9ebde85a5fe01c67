// Command line, file kinds, password digest and stepping keys of the main window.
#include "ide/IdeSupport.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

StartupArguments ParseStartupArguments(const QStringList& arguments)
{
    StartupArguments result;
    QStringList nameParts;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--screenshot" && i + 1 < arguments.size()) {
            result.Screenshot = arguments[++i];
        } else if (argument == "--check") {
            result.CheckAtStart = true;
        } else if (argument == "--keys" && i + 1 < arguments.size()) {
            result.Keys = arguments[++i].split(',');
        } else if (argument == "--step") {
            result.StepAtStart = true;
        } else if (argument.startsWith('-')) {
            for (const QChar letter : argument.mid(1).toUpper()) {
                if (letter == 'C') {
                    result.NewFileLanguage = Language::C;
                } else if (letter == 'P') {
                    result.NewFileLanguage = Language::Pascal;
                }
            }
        } else {
            nameParts << argument;
        }
    }
    result.FileName = nameParts.join(' ');
    return result;
}

QString OpenExtension(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const int dot = name.indexOf('.');
    if (dot < 0 || name.size() - dot > 4) {
        return {};
    }
    return name.mid(dot + 1, 3).toUpper();
}

OpenKind KindOfFile(const QString& path)
{
    const QString extension = OpenExtension(path);
    if (extension.isEmpty()) {
        return OpenKind::NotOpened;
    }
    if (extension == "MVS") {
        return OpenKind::Scenario;
    }
    if (extension == "MVC") {
        return OpenKind::Environment;
    }
    if (extension == "MVG") {
        return OpenKind::ProgramOptions;
    }
    if (extension == "MVP") {
        return OpenKind::Project;
    }
    return OpenKind::Source;
}

std::uint16_t PasswordDigest(const std::string& password)
{
    std::uint32_t digest = 0;
    for (char ch : password) {
        digest = (2 * digest + static_cast<unsigned char>(ch)) % 65536;
    }
    return static_cast<std::uint16_t>(digest);
}

std::uint32_t DefaultPasswordDigest()
{
    return PasswordDigest("MOVILA");
}

bool ReadDigestFile(const QString& path, std::uint32_t& digest)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.read(4);
    if (bytes.size() != 4) {
        return false;
    }
    digest = 0;
    for (int i = 3; i >= 0; --i) {
        digest = (digest << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return true;
}

bool WriteDigestFile(const QString& path, std::uint32_t digest)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((digest >> (8 * i)) & 0xFF);
    }
    return file.write(bytes) == 4;
}

QString StepKeysText(bool interpreterPaused, bool seeEvaluationStack, bool machinePaused)
{
    QString text;
    if (interpreterPaused && seeEvaluationStack) {
        text += "F6 = extremal step     ";
    }
    text += "F7 = in depth step";
    text += "      F8 = next step";
    text += "      F9 = quick execution";
    if (machinePaused) {
        text += "    F11 = next line";
        text += "    F12 = end of procedure";
    }
    text += "    ESC = cancel";
    return text;
}

int StepAnswer(int qtKey, bool interpreterPaused, bool seeEvaluationStack, bool machinePaused)
{
    switch (qtKey) {
    case Qt::Key_F6:
        return interpreterPaused && seeEvaluationStack ? 25 : -1;
    case Qt::Key_F7:
        return 9;
    case Qt::Key_F8:
        return 1;
    case Qt::Key_F9:
        return 2;
    case Qt::Key_F11:
        return machinePaused ? 8194 : -1;
    case Qt::Key_F12:
        return machinePaused ? 16386 : -1;
    default:
        return -1;
    }
}

bool MinimizeOnClose::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close) {
        event->ignore();
        static_cast<QWidget*>(watched)->showMinimized();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
