// The vocabulary dictionary: modules, vocabularies, accents, case styles and file extensions.
#include "lexical/QbDico.h"

#include "frontend/QbSyntaxe.h"
#include "lexical/VocabularyFile.h"
#include "symbols/QbModule.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {
struct LanguageInfo
{
    const char* Vocabulary0Name;
    ModuleClass SystemModule;
    const char* VocabularyExtension;
};

constexpr LanguageInfo Languages[2] = {{"pascal", ModuleClass::PSystem, ".mvv"},
                                       {"c", ModuleClass::CSystem, ".icv"}};

bool IsLetter(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

bool IsIdentifierChar(char ch)
{
    return IsLetter(ch) || (ch >= '0' && ch <= '9') || ch == '_';
}

char ToLower(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

char ToUpper(char ch)
{
    return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), ToLower);
    return text;
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), ToUpper);
    return text;
}
} // namespace

QbDico::QbDico(QbSyntaxe& owner, std::uint8_t languageNumber)
    : driver(owner), language(languageNumber > 1 ? 0 : languageNumber),
      optionsA(&owner.GetOptions().A)
{
    Clear();
}

QbDico::~QbDico() = default;

void QbDico::Clear()
{
    for (auto& vocabulary : vocabularies) {
        vocabulary = Vocabulary{};
    }
    nameGiven = false;
    currentVocabulary = 0;
    countCounter = 0;
    moduleCounter = 136;
    modules.clear();
    WordsChanged();
    const LanguageInfo& info = Languages[language];
    AddModule(static_cast<int>(info.SystemModule), info.Vocabulary0Name);
}

void QbDico::AddOptionalModules()
{
    if (driver.OptionA(OptionA::AutoCrt) && ModuleByName("CRT") == nullptr) {
        AddModule(static_cast<int>(ModuleClass::Crt), "");
    }
    if (driver.OptionA(OptionA::AutoGraph) && ModuleByName("GRAPH") == nullptr) {
        AddModule(static_cast<int>(ModuleClass::Graph), "");
    }
}

QbModule* QbDico::AddModule(int moduleClass, const std::string& vocabulary0Name)
{
    std::unique_ptr<QbModule> module = QbModule::Create(moduleClass, *this);
    if (!module) {
        return nullptr;
    }
    module->Attach(moduleCounter, countCounter);
    // A module may be added while a program is read in another vocabulary (a unit used by the
    // program): reading the names must not switch the program back to the default wording.
    const int current = currentVocabulary;
    ReadVocabularyNames(module->VocabularyFile(), vocabulary0Name);
    if (current != 0 && !vocabularies[current].Name.empty()) {
        currentVocabulary = current;
        module->PrepareVocabulary(current);
    }
    modules.push_back(std::move(module));
    WordsChanged();
    return modules.back().get();
}

void QbDico::RemoveModule(QbModule* module)
{
    // The language's system module stays: every parser needs its words.
    auto found = std::find_if(modules.begin(), modules.end(),
                              [module](const auto& owned) { return owned.get() == module; });
    if (found != modules.end() && found != modules.begin()) {
        modules.erase(found);
        WordsChanged();
    }
}

QbModule* QbDico::ModuleByName(const std::string& name) const
{
    for (const auto& module : modules) {
        if (module->Name() == name) {
            return module.get();
        }
    }
    return nullptr;
}

std::string QbDico::WordText(std::uint16_t code) const
{
    return WordTextRef(code);
}

std::string QbDico::WordText(std::uint16_t code, int vocabulary) const
{
    for (const auto& module : modules) {
        const std::string& text = module->WordTextRef(code, vocabulary);
        if (!text.empty()) {
            return text;
        }
    }
    return {};
}

bool QbDico::CheckFastWords() const
{
    const ProgramOptions& options = driver.GetOptions();
    static_assert(FastOptionBits == (OptionA::ReplaceAccents | OptionA::CaseInsensitive));
    const std::uint32_t bits = options.A & FastOptionBits;
    bool valid =
        bits == fastBits && currentVocabulary == fastVocabulary && wordGeneration == fastGeneration;
    // The special letters only matter with accent replacement.
    if (valid && (bits & OptionA::ReplaceAccents) != 0) {
        valid = options.SpecialLetters == fastSpecial && options.ReplaceBy == fastReplacement;
    }
    if (valid) {
        return false;
    }
    std::fill(fastWords.begin(), fastWords.end(), nullptr);
    shapesKnown = false;
    fastBits = bits;
    fastVocabulary = currentVocabulary;
    fastGeneration = wordGeneration;
    fastSpecial = options.SpecialLetters;
    fastReplacement = options.ReplaceBy;
    return true;
}

bool QbDico::SlowMayBeWord(const std::string& text) const
{
    CheckFastWords();
    // Mapping the wordings may make a module forget its old ones, which empties the index
    // again: the shapes count only when a whole pass left it as it was.
    for (int attempt = 0; attempt < 2 && !shapesKnown; ++attempt) {
        std::array<std::uint64_t, 256> shapes{};
        for (const auto& module : modules) {
            for (int index = 1; index <= module->WordCount(); ++index) {
                const std::string& word =
                    module->WordTextRef(module->CodeOf(index), currentVocabulary);
                if (word.empty()) {
                    continue;
                }
                std::uint64_t& lengths = shapes[static_cast<std::uint8_t>(word[0])];
                lengths |= word.size() < 64 ? std::uint64_t{1} << word.size() : ~std::uint64_t{0};
            }
        }
        if (!CheckFastWords()) {
            wordShapes = shapes;
            shapesKnown = true;
        }
    }
    if (!shapesKnown || text.empty() || text.size() >= 64) {
        return true;
    }
    return ((wordShapes[static_cast<std::uint8_t>(text[0])] >> text.size()) & 1) != 0;
}

const std::string& QbDico::SlowWordTextRef(std::uint16_t code) const
{
    static const std::string none;
    // After a change of the options the modules must compare the special letters too, even
    // within one token (without a token count they always do).
    const bool renewed = CheckFastWords();
    if (code < fastWords.size() && fastWords[code] != nullptr) {
        return *fastWords[code];
    }
    const std::string* found = &none;
    for (const auto& module : modules) {
        const std::string& text =
            module->WordTextRef(code, currentVocabulary, renewed ? nullptr : &tokenCount);
        if (!text.empty()) {
            found = &text;
            break;
        }
    }
    // The module may have just forgotten its wordings (its own check of the options): the
    // index is only filled from a state both agree on.
    CheckFastWords();
    if (code >= fastWords.size()) {
        fastWords.resize(std::size_t{code} + 1, nullptr);
    }
    fastWords[code] = found;
    return *found;
}

std::uint16_t QbDico::FindWord(const std::string& text) const
{
    return FindWord(text, currentVocabulary);
}

std::uint16_t QbDico::FindWord(const std::string& text, int vocabulary) const
{
    for (const auto& module : modules) {
        const std::uint16_t code = module->FindWord(text, vocabulary);
        if (code != 0) {
            return code;
        }
    }
    return 0;
}

bool QbDico::IsVocabularyWord(const std::string& text) const
{
    return FindWord(text) != 0;
}

bool QbDico::HasText(std::uint16_t code) const
{
    return !WordText(code).empty();
}

void QbDico::ReadVocabularyNames(const std::string& fileName, const std::string& vocabulary0Name)
{
    if (!vocabulary0Name.empty()) {
        vocabularies[0].Name = vocabulary0Name.substr(0, VocabularyFile::NameLimit);
        nameGiven = true;
    }
    currentVocabulary = 0;
    std::vector<std::string> lines;
    if (!AcceptsFile(fileName) || !VocabularyFile::ReadLines(fileName, lines) || lines.empty()) {
        return;
    }
    const std::vector<std::string> names = VocabularyFile::HeaderNames(lines.front());
    for (std::size_t i = 0; i < names.size(); ++i) {
        vocabularies[i + 1].Name = names[i];
    }
}

void QbDico::RenewVocabularyNames(const std::string& fileName, const std::string& vocabulary0Name)
{
    for (auto& vocabulary : vocabularies) {
        vocabulary.Name.clear();
    }
    ReadVocabularyNames(fileName, vocabulary0Name);
}

void QbDico::SelectVocabulary(int vocabulary)
{
    if (vocabulary < 0 || vocabulary >= VocabularyCount || vocabulary == currentVocabulary ||
        vocabularies[vocabulary].Name.empty()) {
        return;
    }
    LoadVocabulary(vocabulary);
    currentVocabulary = vocabulary;
}

void QbDico::LoadVocabulary(int vocabulary)
{
    if (vocabulary < 1 || vocabulary >= VocabularyCount || vocabularies[vocabulary].Name.empty() ||
        vocabularies[vocabulary].Loaded) {
        return;
    }
    for (const auto& module : modules) {
        module->PrepareVocabulary(vocabulary);
    }
    vocabularies[vocabulary].Loaded = true;
}

std::uint8_t QbDico::FindVocabulary(const std::string& name) const
{
    for (int v = 0; v < VocabularyCount; ++v) {
        if (!vocabularies[v].Name.empty() && vocabularies[v].Name == name) {
            return static_cast<std::uint8_t>(v);
        }
    }
    return NoVocabulary;
}

std::string QbDico::VocabularyName(int vocabulary) const
{
    if (vocabulary < 0 || vocabulary >= VocabularyCount) {
        return {};
    }
    const std::string& name = vocabularies[vocabulary].Name;
    return vocabulary == currentVocabulary ? "*" + name : name;
}

std::string QbDico::VocabularyExtension(int vocabulary) const
{
    std::string extension;
    if (vocabulary < 0 || vocabulary >= VocabularyCount) {
        return extension;
    }
    for (char ch : vocabularies[vocabulary].Name) {
        if (extension.size() == 3) {
            break;
        }
        if (IsIdentifierChar(ch)) {
            extension += ch;
        }
    }
    return extension;
}

std::uint8_t QbDico::VocabularyOfFile(const std::string& fileName) const
{
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::string baseName = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = baseName.rfind('.');
    if (dot == std::string::npos || dot + 1 == baseName.size()) {
        return static_cast<std::uint8_t>(currentVocabulary);
    }
    const std::string extension = Lower(baseName.substr(dot + 1));
    for (int v = 0; v < VocabularyCount; ++v) {
        const std::string own = Lower(VocabularyExtension(v));
        if (own.empty()) {
            continue;
        }
        if (extension.front() == '~') {
            // A backup keeps two characters of the extension after the "~".
            if (extension.substr(1, 2) == own.substr(0, 2)) {
                return static_cast<std::uint8_t>(v);
            }
        } else if (extension == own) {
            return static_cast<std::uint8_t>(v);
        }
    }
    return NoVocabulary;
}

bool QbDico::IsProgramExtension(const std::string& extension) const
{
    const std::string bare =
        !extension.empty() && extension.front() == '.' ? extension.substr(1) : extension;
    return !bare.empty() && VocabularyOfFile("x." + bare) != NoVocabulary;
}

int QbDico::OpenDialogFilter(std::string& filter) const
{
    filter.clear();
    int selected = 1;
    int position = 0;
    for (int v = 0; v < VocabularyCount; ++v) {
        const std::string& name = vocabularies[v].Name;
        if (name.empty()) {
            continue;
        }
        ++position;
        const std::string extension = VocabularyExtension(v);
        filter += "Programs " + name + "|*." + extension + "|";
        if (v == currentVocabulary) {
            selected = position;
        }
    }
    return selected;
}

int QbDico::CaseStyleOf(const std::string& word)
{
    if (word.empty()) {
        return 4;
    }
    int style = 0;
    if (word.front() >= 'A' && word.front() <= 'Z') {
        style |= 1;
    }
    const bool hasLower =
        std::any_of(word.begin(), word.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; });
    const bool hasUpper =
        std::any_of(word.begin(), word.end(), [](char ch) { return ch >= 'A' && ch <= 'Z'; });
    if (!hasLower) {
        style |= 2;
    }
    if (!hasUpper) {
        style |= 4;
    }
    return style;
}

std::string QbDico::ApplyCaseStyle(const std::string& word, int style)
{
    std::string text = (style & 2) != 0 ? Upper(word) : Lower(word);
    if ((style & 1) != 0 && !text.empty()) {
        text.front() = ToUpper(text.front());
    }
    return text;
}

char QbDico::MapAccent(char ch) const
{
    const std::string& special = driver.GetOptions().SpecialLetters;
    const std::string& replacement = driver.GetOptions().ReplaceBy;
    const std::size_t at = special.find(ch);
    if (at == std::string::npos || at >= replacement.size()) {
        return ch;
    }
    return replacement[at];
}

std::string QbDico::MapAccents(const std::string& text) const
{
    if (!driver.OptionA(OptionA::ReplaceAccents)) {
        return text;
    }
    std::string mapped = text;
    for (char& ch : mapped) {
        ch = MapAccent(ch);
    }
    return mapped;
}

std::string QbDico::TranslateText(const std::string& text) const
{
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!IsLetter(text[i]) && text[i] != '_') {
            result += text[i++];
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && (IsLetter(text[end]) || text[end] == '_')) {
            ++end;
        }
        const std::string run = text.substr(i, end - i);
        const std::uint16_t code = FindWord(run, 0);
        // A word the current vocabulary leaves without wording keeps its default text.
        const std::string wording = code != 0 ? WordText(code) : std::string();
        result += wording.empty() ? run : wording;
        i = end;
    }
    return result;
}

std::vector<std::string> QbDico::WordListFor() const
{
    std::vector<std::string> list;
    for (const auto& module : modules) {
        module->ListWords(list, currentVocabulary);
    }
    return list;
}

std::string QbDico::HintFor(const std::string& word) const
{
    for (const auto& module : modules) {
        const std::string hint = module->WordHint(word, currentVocabulary);
        if (!hint.empty()) {
            return currentVocabulary != 0 ? TranslateText(hint) : hint;
        }
    }
    return {};
}

std::string QbDico::TypeNameFor(int typeCode) const
{
    for (const auto& module : modules) {
        std::string name = module->TypeName(typeCode, currentVocabulary);
        if (!name.empty() && name != "???") {
            return name;
        }
    }
    return "???";
}

std::string QbDico::NextWordLike(const std::string& word, std::uint16_t& code) const
{
    if (modules.empty()) {
        code = 0;
        return {};
    }
    const QbModule& system = *modules.front();
    std::string start = code != 0 ? system.WordText(code, currentVocabulary) : word;
    if (start.empty()) {
        start = word;
    }
    if (start.empty()) {
        code = 0;
        return {};
    }
    // Words worded alike (the several END and DO) are offered once, so that cycling from one of
    // them does not fall back on an earlier twin and loop.
    std::vector<int> chain;
    std::vector<std::string> texts;
    for (int index : system.ChainOf(start.front(), currentVocabulary)) {
        std::string text = Upper(MapAccents(system.RawWord(currentVocabulary, index)));
        if (std::find(texts.begin(), texts.end(), text) == texts.end()) {
            chain.push_back(index);
            texts.push_back(std::move(text));
        }
    }
    if (chain.empty()) {
        code = 0;
        return {};
    }
    const auto found = std::find(texts.begin(), texts.end(), Upper(MapAccents(start)));
    std::size_t next = 0;
    if (found != texts.end() && found + 1 != texts.end()) {
        next = static_cast<std::size_t>(found - texts.begin()) + 1;
    }
    code = system.CodeOf(chain[next]);
    return ApplyCaseStyle(system.RawWord(currentVocabulary, chain[next]), CaseStyleOf(word));
}

std::string QbDico::VocabularyFileFor(const std::string& moduleName) const
{
    const std::string& directory = driver.Environment().ConfigDirectory;
    const std::string fileName = moduleName + Languages[language].VocabularyExtension;
    return directory.empty() ? fileName : directory + "/" + fileName;
}

bool QbDico::AcceptsFile(const std::string& fileName) const
{
    std::error_code error;
    if (fileName.empty() || !std::filesystem::is_regular_file(fileName, error) ||
        !std::ifstream(fileName, std::ios::binary)) {
        return false;
    }
    const DriverEnvironment& environment = driver.Environment();
    if (environment.ScenaristLevel || !environment.HasMainWindow) {
        return true;
    }
    return VocabularyFile::IsStampValid(fileName);
}
