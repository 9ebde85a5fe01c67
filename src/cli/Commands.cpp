// check, run, translate and catalogue: the engine driven from a terminal.
#include "cli/Commands.h"

#include "cli/TerminalHosts.h"

#include "diagnostics/QbGeserreurs.h"
#include "frontend/QbCSyntaxe.h"
#include "frontend/QbPascalSyntaxe.h"
#include "lexical/QbDico.h"
#include "lexical/TextEncoding.h"
#include "runtime/QbHeap.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

namespace {
namespace fs = std::filesystem;

// Output to a terminal is UTF-8; the engine's text is Windows-1252.
std::string Shown(const std::string& text)
{
    return TextEncoding::Windows1252ToUtf8(text);
}

std::string DefaultConfigDirectory()
{
    if (const char* dir = std::getenv("MOVILA_CONFIG_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::string(home) + "/.config/movila";
    }
    return ".";
}

bool IsCFile(const std::string& path)
{
    std::string extension = fs::path(path).extension().string();
    for (char& ch : extension) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    return extension == ".c" || extension == ".h" || extension == ".~c";
}

// A readable regular file, or a message saying why not.
bool CheckReadable(const std::string& path, std::ostream& err)
{
    std::error_code code;
    const auto status = fs::status(path, code);
    if (code || !fs::exists(status)) {
        err << "movila: cannot read " << path << ": no such file\n";
        return false;
    }
    if (fs::is_directory(status)) {
        err << "movila: cannot read " << path << ": it is a directory\n";
        return false;
    }
    std::ifstream probe(path, std::ios::binary);
    if (!probe) {
        err << "movila: cannot read " << path << ": permission denied\n";
        return false;
    }
    return true;
}

// The program options of the command line, applied over the driver's defaults.
void ApplyProgramOptions(QbSyntaxe& driver, const CommandRequest& request)
{
    ProgramOptions options = driver.GetOptions();
    for (const OptionSetting& setting : request.Settings) {
        std::uint32_t& word = setting.Word == 'A'   ? options.A
                              : setting.Word == 'B' ? options.B
                                                    : options.C;
        word = setting.On ? (word | setting.Bit) : (word & ~setting.Bit);
    }
    if (request.KeyboardPrefix) {
        options.KeyboardPrefix = *request.KeyboardPrefix;
        options.B |= OptionB::LimitKeyboard;
    }
    if (request.ScreenPrefix) {
        options.ScreenPrefix = *request.ScreenPrefix;
        options.B |= OptionB::LimitScreen;
    }
    const auto limit = [](int given, int current) { return given >= 0 ? given : current; };
    options.MaxNesting = limit(request.MaxNesting, options.MaxNesting);
    options.MaxStack = limit(request.MaxStack, options.MaxStack);
    options.MaxPasses = limit(request.MaxPasses, options.MaxPasses);
    options.RealDigits = limit(request.RealDigits, options.RealDigits);
    driver.SetOptions(options);
}

std::unique_ptr<QbSyntaxe> MakeDriver(const CommandRequest& request, const std::string& path,
                                      RunHost* host = nullptr, ConsoleHost* console = nullptr)
{
    DriverEnvironment environment;
    environment.Host = host;
    environment.Console = console;
    environment.ConfigDirectory =
        request.ConfigDirectory.empty() ? DefaultConfigDirectory() : request.ConfigDirectory;
    environment.CatalogueFile = request.CatalogueFile;
    environment.HasMainWindow = false;
    std::unique_ptr<QbSyntaxe> driver;
    if (IsCFile(path)) {
        driver = std::make_unique<QbCSyntaxe>(environment);
    } else {
        driver = std::make_unique<QbPascalSyntaxe>(environment);
    }
    ApplyProgramOptions(*driver, request);
    return driver;
}

// The source file an error belongs to, as the user would name it: the main file as given on the
// command line, an included file by its own name.
std::string ReportedFile(const QbSyntaxe& driver, const std::string& mainPath)
{
    const std::string& name = driver.ReportSourceName();
    if (name.empty()) {
        return mainPath;
    }
    std::error_code code;
    if (fs::equivalent(fs::path(name), fs::path(mainPath), code)) {
        return mainPath;
    }
    auto upper = [](std::string text) {
        for (char& ch : text) {
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        }
        return text;
    };
    if (upper(name) == upper(mainPath) ||
        upper(name) == upper(fs::absolute(mainPath, code).string())) {
        return mainPath;
    }
    return name;
}

void PrintError(const QbSyntaxe& driver, const std::string& path, std::ostream& err)
{
    const QbGeserreurs& errors = *driver.Errors;
    err << Shown(ReportedFile(driver, path)) << ':' << errors.Line() + 1 << ':'
        << std::max(errors.Column(), 1) << ": error " << errors.Number() << ": "
        << Shown(errors.Message()) << "\n";
}

// Chooses the vocabulary the program is written in: --from, else its extension.
bool SelectSourceVocabulary(QbSyntaxe& driver, const CommandRequest& request,
                            const std::string& path, std::ostream& err)
{
    QbDico& dictionary = *driver.Dictionary;
    std::uint8_t vocabulary = 0;
    if (!request.TranslateFrom.empty()) {
        vocabulary = dictionary.FindVocabulary(request.TranslateFrom);
        if (vocabulary == QbDico::NoVocabulary) {
            err << "movila: unknown vocabulary '" << request.TranslateFrom << "'\n";
            return false;
        }
    } else {
        vocabulary = dictionary.VocabularyOfFile(path);
        if (vocabulary == QbDico::NoVocabulary) {
            vocabulary = 0;
        }
    }
    dictionary.SelectVocabulary(vocabulary);
    return true;
}

int CheckFiles(const CommandRequest& request, std::ostream& out, std::ostream& err)
{
    int status = ExitStatus::Ok;
    for (const std::string& path : request.Files) {
        if (!CheckReadable(path, err)) {
            status = std::max(status, ExitStatus::NoInput);
            continue;
        }
        auto driver = MakeDriver(request, path);
        if (!SelectSourceVocabulary(*driver, request, path, err)) {
            return ExitStatus::Usage;
        }
        const int number = driver->Run("+" + path, RunMode::Check);
        if (number != 0) {
            PrintError(*driver, path, err);
            status = std::max(status, ExitStatus::ProgramError);
        } else {
            out << (request.Files.size() > 1 ? path + ": " : std::string())
                << Shown(driver->Errors->MessageText(0)) << "\n";
        }
    }
    return status;
}

// The exit status of a program ended by HALT(code).
int HaltStatus(int code, std::ostream& err)
{
    if (code == 0 || (code >= ExitStatus::FirstHaltCode && code <= ExitStatus::LastHaltCode)) {
        return code;
    }
    err << "movila: the program halted with code " << code << "\n";
    return ExitStatus::HaltCodeNotShown;
}

// A check, then a quick execution of the same driver: program output on `out` only, errors of
// either pass on `err` in the check's format.
int RunProgram(const CommandRequest& request, std::istream& in, std::ostream& out,
               std::ostream& err)
{
    const std::string& path = request.Files.front();
    if (!CheckReadable(path, err)) {
        return ExitStatus::NoInput;
    }
    if (IsCFile(path)) {
        err << "movila: C programs are checked, not run: use 'movila check'\n";
        return ExitStatus::Usage;
    }
    TerminalConsole console(in, out);
    if (request.Screen) {
        console.ShowScreen(request.ScreenRows, request.ScreenColumns);
    }
    TerminalRunHost host;
    auto driver = MakeDriver(request, path, &host, &console);
    if (!SelectSourceVocabulary(*driver, request, path, err)) {
        return ExitStatus::Usage;
    }
    // Ctrl-C from here on ends the program cleanly, also when it comes during the check.
    const InterruptGuard interrupts;
    if (driver->Run("+" + path, RunMode::Check) != 0) {
        PrintError(*driver, path, err);
        return ExitStatus::ProgramError;
    }
    const int number = driver->Run("+" + path, RunMode::Execute);
    console.PrintScreen();
    if (request.Heap && driver->Heap != nullptr) {
        // Laid out as the heap view draws it once reorganised.
        driver->Heap->Reorganize();
        out << "heap:\n" << driver->Heap->Dump();
    }
    out.flush();
    if (number != 0) {
        PrintError(*driver, path, err);
        return ExitStatus::RunTimeError;
    }
    if (driver->Escaped) {
        err << "movila: interrupted\n";
        return ExitStatus::Interrupted;
    }
    if (driver->Halted) {
        return HaltStatus(driver->HaltCode, err);
    }
    return ExitStatus::Ok;
}

std::string KnownVocabularies(const QbDico& dictionary)
{
    std::string names;
    for (int v = 0; v < QbDico::VocabularyCount; ++v) {
        std::string name = dictionary.VocabularyName(v);
        if (!name.empty() && name[0] == '*') {
            name.erase(0, 1);
        }
        if (!name.empty()) {
            names += (names.empty() ? "" : ", ") + name;
        }
    }
    return names;
}

int Translate(const CommandRequest& request, std::ostream& out, std::ostream& err)
{
    const std::string& path = request.Files.front();
    if (!CheckReadable(path, err)) {
        return ExitStatus::NoInput;
    }
    auto driver = MakeDriver(request, path);
    if (!SelectSourceVocabulary(*driver, request, path, err)) {
        return ExitStatus::Usage;
    }
    const std::uint8_t target = driver->Dictionary->FindVocabulary(request.TranslateTo);
    if (target == QbDico::NoVocabulary) {
        err << "movila: unknown vocabulary '" << request.TranslateTo
            << "' (known: " << KnownVocabularies(*driver->Dictionary) << ")\n";
        return ExitStatus::Usage;
    }
    if (target != 0) {
        // The target's wordings must be loaded to be written.
        const int source = driver->Dictionary->CurrentVocabulary();
        driver->Dictionary->SelectVocabulary(target);
        driver->Dictionary->SelectVocabulary(source);
    }
    driver->TranslateTo = target;
    // Reserved words, types, routines and assignments in upper case; identifiers as written.
    driver->TranslateStyles = 0b11'10'10'10'10;
    const int number = driver->Run("+" + path, RunMode::Check | RunMode::Translate);
    if (number != 0) {
        PrintError(*driver, path, err);
        return ExitStatus::ProgramError;
    }
    for (const std::string& line : driver->TranslatedLines) {
        out << Shown(line) << "\n";
    }
    return ExitStatus::Ok;
}

int WriteCatalogue(const CommandRequest& request, std::ostream& out, std::ostream& err)
{
    std::error_code code;
    std::string extension = fs::path(request.WriteFile).extension().string();
    for (char& ch : extension) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    if (extension != ".mve") {
        err << "movila: refusing to write " << request.WriteFile
            << ": a message catalogue is a .mve file\n";
        return ExitStatus::CannotCreate;
    }
    if (fs::is_directory(request.WriteFile, code)) {
        err << "movila: cannot write " << request.WriteFile << ": it is a directory\n";
        return ExitStatus::CannotCreate;
    }
    if (!QbGeserreurs::WriteDefaultCatalogue(request.WriteFile)) {
        err << "movila: cannot write " << request.WriteFile << "\n";
        return ExitStatus::CannotCreate;
    }
    out << "wrote " << request.WriteFile << " (" << QbGeserreurs::CatalogueSize << " messages)\n";
    return ExitStatus::Ok;
}
} // namespace

int RunCommand(const CommandRequest& request, std::istream& in, std::ostream& out,
               std::ostream& err)
{
    if (!request.CatalogueFile.empty() && !CheckReadable(request.CatalogueFile, err)) {
        return ExitStatus::NoInput;
    }
    if (request.Command == "help") {
        out << UsageText();
        return ExitStatus::Ok;
    }
    if (request.Command == "version") {
        out << "movila 0.1\n";
        return ExitStatus::Ok;
    }
    if (request.Command == "check") {
        return CheckFiles(request, out, err);
    }
    if (request.Command == "run") {
        return RunProgram(request, in, out, err);
    }
    if (request.Command == "translate") {
        return Translate(request, out, err);
    }
    if (request.Command == "catalogue") {
        return WriteCatalogue(request, out, err);
    }
    err << "movila: unknown command '" << request.Command << "'\n";
    return ExitStatus::Usage;
}
