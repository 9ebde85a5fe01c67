// Small rules of the main window that need no window: command line, file kinds, password digest.
#pragma once

#include "frontend/QbSyntaxe.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>

// What the command line asks for. Switches are "-" followed by letters read case-insensitively
// ("C" makes C the language of new files, "P" Pascal); every other argument is part of one file
// name, the parts joined by a blank so that an unquoted path with blanks still opens. Two debug
// switches are taken out first: "--screenshot FILE" saves a picture of the window once the file
// is open (and checked with "--check"), then quits.
struct StartupArguments
{
    Language NewFileLanguage = Language::Pascal;
    QString FileName;
    QString Screenshot;
    bool CheckAtStart = false;
    bool StepAtStart = false;
    QStringList Keys; // "--keys F8,F8,Ann,Enter": typed one by one before the picture
};
StartupArguments ParseStartupArguments(const QStringList& arguments); // without the program name

// How "Ouvrir" treats a file, by the three characters after the first "." of its own name.
enum class OpenKind
{
    NotOpened,      // no extension, or the first "." lies too far from the end
    Scenario,       // .mvs: not opened by this command
    Environment,    // .mvc
    ProgramOptions, // .mvg
    Project,        // .mvp
    Source          // anything else: an editor, when the language accepts the extension
};
// The extension in capitals, empty when the name has none or its first "." lies more than four
// characters before the end. Only the name counts, not the folders above it.
QString OpenExtension(const QString& path);
OpenKind KindOfFile(const QString& path);

// The teacher password's 16-bit digest: digest := 2 x digest + character code, modulo 65536.
std::uint16_t PasswordDigest(const std::string& password);
// The digest written when no password file exists yet (the digest of "MOVILA").
std::uint32_t DefaultPasswordDigest();
// The password file holds the digest as a 4-byte little-endian integer.
bool ReadDigestFile(const QString& path, std::uint32_t& digest);
bool WriteDigestFile(const QString& path, std::uint32_t digest);

// The texts of the status bar while a run waits for a step command, and the answer to a key.
QString StepKeysText(bool interpreterPaused, bool seeEvaluationStack, bool machinePaused);
// The mode bits answered by a key, or -1 when the key gives no answer; ESC is not answered
// here (it ends an interpreted run, or answers 4096 to the machine).
int StepAnswer(int qtKey, bool interpreterPaused, bool seeEvaluationStack, bool machinePaused);

// Installed on a child window that must outlive its closing (the views, the array windows, which
// the next step would open again): closing it only minimizes it.
class MinimizeOnClose : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
