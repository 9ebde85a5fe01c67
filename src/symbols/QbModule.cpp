// The modules' common part: word tables, chains and vocabulary loading.
#include "symbols/QbModule.h"

#include "frontend/QbSyntaxe.h"
#include "lexical/QbDico.h"
#include "lexical/VocabularyFile.h"
#include "runtime/QbCSystem.h"
#include "runtime/QbCrt.h"
#include "runtime/QbGraph.h"
#include "runtime/QbPSystem.h"
#include "runtime/QbStdio.h"

#include <cstdlib>

namespace {
const std::string EmptyWord;

std::string UpperAscii(std::string text)
{
    for (char& ch : text) {
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    return text;
}

bool ParseIndex(const std::string& field, int& index)
{
    if (field.empty() || field.size() > 5) {
        return false;
    }
    int value = 0;
    for (char ch : field) {
        if (ch < '0' || ch > '9') {
            return false;
        }
        value = value * 10 + (ch - '0');
    }
    index = value;
    return true;
}
} // namespace

QbModule::QbModule(QbDico& owner) : dictionary(owner) {}

QbModule::~QbModule() = default;

std::unique_ptr<QbModule> QbModule::Create(int moduleClass, QbDico& owner)
{
    switch (static_cast<ModuleClass>(moduleClass)) {
    case ModuleClass::PSystem:
        return std::make_unique<QbPSystem>(owner);
    case ModuleClass::Crt:
        return std::make_unique<QbCrt>(owner);
    case ModuleClass::Graph:
        return std::make_unique<QbGraph>(owner);
    case ModuleClass::CSystem:
        return std::make_unique<QbCSystem>(owner);
    case ModuleClass::Stdio:
        return std::make_unique<QbStdio>(owner);
    }
    return nullptr;
}

void QbModule::RegisterNames(QbTable& /*table*/, std::uint16_t /*unit*/) {}

std::uint8_t QbModule::ModuleNumber(std::uint8_t& counter)
{
    return counter++;
}

std::uint8_t QbModule::WordCategory() const
{
    return WordStyle::Default;
}

void QbModule::BeforeRun(QbSyntaxe& /*driver*/, int /*vocabulary*/) {}

void QbModule::AfterRun(QbSyntaxe& /*driver*/, int /*vocabulary*/) {}

std::string QbModule::TypeName(int /*typeCode*/, int /*vocabulary*/) const
{
    return "???";
}

void QbModule::ListWords(std::vector<std::string>& list, int vocabulary) const
{
    const std::string style = std::to_string(WordCategory());
    for (int index = 1; index <= WordCount(); ++index) {
        const std::string& word = RawWord(vocabulary, index);
        if (!word.empty()) {
            list.push_back(word + ";" + style);
        }
    }
}

std::string QbModule::WordHint(const std::string& /*word*/, int /*vocabulary*/) const
{
    return {};
}

void QbModule::Attach(std::uint8_t& moduleCounter, std::uint16_t& countCounter)
{
    moduleNumber = ModuleNumber(moduleCounter);
    countBase = countCounter;
    countEnd = DefaultWords();
    countCounter = static_cast<std::uint16_t>(countEnd + 1);
    BuildChains(0);
    vocabularyFile = dictionary.VocabularyFileFor(name);
}

void QbModule::Register(QbTable& table, std::uint16_t unit)
{
    RegisterNames(table, unit);
    BuildChains(0);
    const int current = dictionary.CurrentVocabulary();
    if (current != 0 && LoadVocabulary(current)) {
        BuildChains(current);
        prepared[static_cast<std::size_t>(current)] = true;
    } else {
        PrepareVocabulary(current);
    }
}

void QbModule::PrepareVocabulary(int vocabulary)
{
    if (vocabulary < 1 || vocabulary >= VocabularyCount ||
        prepared[static_cast<std::size_t>(vocabulary)]) {
        return;
    }
    if (!LoadVocabulary(vocabulary)) {
        tables[static_cast<std::size_t>(vocabulary)].Words = tables[0].Words;
        ForgetMapped(vocabulary);
    }
    BuildChains(vocabulary);
    prepared[static_cast<std::size_t>(vocabulary)] = true;
}

int QbModule::WordCount() const
{
    const int count = countEnd - countBase;
    return count < 0 ? 0 : (count > MaxWords ? MaxWords : count);
}

const std::string& QbModule::RawWord(int vocabulary, int index) const
{
    if (vocabulary < 0 || vocabulary >= VocabularyCount || index < 1 || index > MaxWords) {
        return EmptyWord;
    }
    return tables[static_cast<std::size_t>(vocabulary)].Words[static_cast<std::size_t>(index)];
}

void QbModule::SetWord(int vocabulary, int index, const std::string& word)
{
    if (vocabulary < 0 || vocabulary >= VocabularyCount || index < 1 || index > MaxWords) {
        return;
    }
    tables[static_cast<std::size_t>(vocabulary)].Words[static_cast<std::size_t>(index)] =
        word.substr(0, VocabularyFile::WordLimit);
    ForgetMapped(vocabulary);
}

std::uint16_t QbModule::FillDefaults(const std::string& moduleName, const char* const* words,
                                     int count)
{
    name = moduleName;
    if (count > MaxWords) {
        count = MaxWords;
    }
    for (int i = 0; i < count; ++i) {
        SetWord(0, i + 1, words[i]);
    }
    return static_cast<std::uint16_t>(countBase + count);
}

std::string QbModule::WordText(std::uint16_t code, int vocabulary) const
{
    return WordTextRef(code, vocabulary);
}

const std::string& QbModule::WordTextRef(std::uint16_t code, int vocabulary,
                                         const std::uint32_t* token) const
{
    if ((code >> 8) != ((moduleNumber - 128) & 0xFF)) {
        return EmptyWord;
    }
    const int index = code & 0xFF;
    if (index > WordCount() || index < 1 || vocabulary < 0 || vocabulary >= VocabularyCount) {
        return EmptyWord;
    }
    const QbSyntaxe& driver = dictionary.Driver();
    const bool accents = driver.OptionA(OptionA::ReplaceAccents);
    const bool upper = driver.OptionA(OptionA::CaseInsensitive);
    const bool compareLetters = accents && (token == nullptr || *token != mappedToken);
    if (token != nullptr) {
        mappedToken = *token;
    }
    if (accents != mappedAccents || upper != mappedUpper ||
        (compareLetters && (driver.GetOptions().SpecialLetters != mappedSpecial ||
                            driver.GetOptions().ReplaceBy != mappedReplacement))) {
        for (int v = 0; v < VocabularyCount; ++v) {
            ForgetMapped(v);
        }
        mappedAccents = accents;
        mappedUpper = upper;
        mappedSpecial = driver.GetOptions().SpecialLetters;
        mappedReplacement = driver.GetOptions().ReplaceBy;
    }
    MappedWords& words = mapped[static_cast<std::size_t>(vocabulary)];
    const auto at = static_cast<std::size_t>(index);
    if (!words.Known[at]) {
        std::string text = dictionary.MapAccents(RawWord(vocabulary, index));
        if (upper) {
            text = UpperAscii(text);
        }
        words.Texts[at] = std::move(text);
        words.Known[at] = true;
    }
    return words.Texts[at];
}

void QbModule::ForgetMapped(int vocabulary) const
{
    dictionary.WordsChanged();
    if (vocabulary >= 0 && vocabulary < VocabularyCount) {
        mapped[static_cast<std::size_t>(vocabulary)].Known.fill(false);
    }
}

bool QbModule::HasWord(std::uint16_t code, int vocabulary) const
{
    return !WordText(code, vocabulary).empty();
}

int QbModule::ChainIndexOf(char initial)
{
    if (initial >= 'a' && initial <= 'z') {
        return initial - 'a' + 1;
    }
    if (initial >= 'A' && initial <= 'Z') {
        return initial - 'A' + 1;
    }
    return 0;
}

std::vector<int> QbModule::ChainOf(char initial, int vocabulary) const
{
    std::vector<int> indexes;
    if (vocabulary < 0 || vocabulary >= VocabularyCount) {
        return indexes;
    }
    const WordTable& table = tables[static_cast<std::size_t>(vocabulary)];
    // Links only go forward (indexes are appended in increasing order), so the walk ends.
    for (int index = table.Heads[static_cast<std::size_t>(ChainIndexOf(initial))];
         index != 0 && index <= MaxWords; index = table.Links[static_cast<std::size_t>(index)]) {
        indexes.push_back(index);
    }
    return indexes;
}

std::uint16_t QbModule::FindWord(const std::string& text, int vocabulary) const
{
    return FindWord(text, vocabulary, 1);
}

std::uint16_t QbModule::FindWord(const std::string& text, int vocabulary, int firstIndex) const
{
    if (text.empty() || vocabulary < 0 || vocabulary >= VocabularyCount) {
        return 0;
    }
    const std::string wanted = UpperAscii(dictionary.MapAccents(text));
    // The chains are built from the words as stored, so a word whose stored initial is an
    // accented letter sits in the non-letter chain although its mapped text begins with a letter:
    // the non-letter chain is searched after the initial's own.
    const char initials[2] = {wanted.front(), '_'};
    for (int c = 0; c < 2; ++c) {
        if (c == 1 && ChainIndexOf(initials[0]) == 0) {
            break;
        }
        for (int index : ChainOf(initials[c], vocabulary)) {
            if (index >= firstIndex &&
                UpperAscii(dictionary.MapAccents(RawWord(vocabulary, index))) == wanted) {
                return CodeOf(index);
            }
        }
    }
    return 0;
}

void QbModule::BuildChains(int vocabulary)
{
    if (vocabulary < 0 || vocabulary >= VocabularyCount) {
        return;
    }
    WordTable& table = tables[static_cast<std::size_t>(vocabulary)];
    table.Heads.fill(0);
    table.Links.fill(0);
    std::array<std::uint16_t, ChainCount> tails{};
    for (int index = 1; index <= WordCount(); ++index) {
        const std::string& word = table.Words[static_cast<std::size_t>(index)];
        if (word.empty()) {
            continue;
        }
        const auto chain = static_cast<std::size_t>(ChainIndexOf(word.front()));
        if (tails[chain] == 0) {
            table.Heads[chain] = static_cast<std::uint16_t>(index);
        } else {
            table.Links[tails[chain]] = static_cast<std::uint16_t>(index);
        }
        tails[chain] = static_cast<std::uint16_t>(index);
    }
}

bool QbModule::LoadVocabulary(int vocabulary)
{
    if (vocabulary < 1 || vocabulary >= VocabularyCount ||
        !dictionary.AcceptsFile(vocabularyFile)) {
        return false;
    }
    // A file that does not name the vocabulary has no wordings for it.
    std::vector<std::string> lines;
    if (!VocabularyFile::ReadLines(vocabularyFile, lines) || lines.empty() ||
        VocabularyFile::HeaderNames(lines.front()).size() < static_cast<std::size_t>(vocabulary)) {
        return false;
    }
    // Words are collected apart and stored only when the whole file reads well, so a malformed
    // line never leaves a vocabulary half replaced.
    std::array<std::string, MaxWords + 1> words;
    int read = 0;
    for (std::size_t line = 1; line < lines.size() && read < WordCount(); ++line, ++read) {
        const std::vector<std::string> fields = VocabularyFile::SplitAllFields(lines[line]);
        int index = 0;
        if (fields.size() < 2 || !ParseIndex(fields[1], index)) {
            return false;
        }
        if (index < 1 || index > WordCount()) {
            continue;
        }
        const std::size_t field = static_cast<std::size_t>(vocabulary) + 1;
        words[static_cast<std::size_t>(index)] = field < fields.size() ? fields[field] : "";
    }
    for (int index = 1; index <= MaxWords; ++index) {
        SetWord(vocabulary, index, words[static_cast<std::size_t>(index)]);
    }
    return true;
}
