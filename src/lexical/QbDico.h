// The vocabulary dictionary: word codes to wordings and back, in up to four vocabularies.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QbSyntaxe;
class QbModule;

// One per driver. Owns the modules that hold the words (the language's system module first),
// knows which vocabulary is current, maps accented letters and names program files by
// vocabulary. Parsers never compare keywords as strings: they ask for a code's wording here.
class QbDico
{
  public:
    static constexpr int VocabularyCount = 4;
    static constexpr std::uint8_t NoVocabulary = 255;

    QbDico(QbSyntaxe& driver, std::uint8_t language);
    ~QbDico();
    QbDico(const QbDico&) = delete;
    QbDico& operator=(const QbDico&) = delete;

    // Empties the vocabularies and modules, then adds the language's system module.
    void Clear();
    // CRT when option A 0x80 is set, GRAPH when A 0x100 is set (each once).
    void AddOptionalModules();

    // Creates a module of class `moduleClass` (see ModuleClass in QbModule.h), attaches it, reads
    // the vocabulary names from its file and appends it.
    QbModule* AddModule(int moduleClass, const std::string& vocabulary0Name);
    void RemoveModule(QbModule* module);
    QbModule* ModuleByName(const std::string& name) const;
    const std::vector<std::unique_ptr<QbModule>>& Modules() const { return modules; }

    // The wording of `code` in the current vocabulary (or in `vocabulary`); empty when no
    // module has one. Accents are mapped and, with case-insensitive reading, upper-cased.
    std::string WordText(std::uint16_t code) const;
    std::string WordText(std::uint16_t code, int vocabulary) const;
    // The wording of `code` in the current vocabulary, kept by its module: valid until a word or
    // the module list changes. For comparisons on every token.
    const std::string& WordTextRef(std::uint16_t code) const
    {
        // Hot path: several keyword tests on every token. The special letters and their
        // replacements change only with the whole options (the driver then calls WordsChanged);
        // the slow path compares them too.
        if (fastGeneration == wordGeneration && fastVocabulary == currentVocabulary &&
            fastBits == (*optionsA & FastOptionBits) && code < fastWords.size() &&
            fastWords[code] != nullptr) {
            return *fastWords[code];
        }
        return SlowWordTextRef(code);
    }
    // False when no word of the current vocabulary has `text`'s first character and length: the
    // parsers' keyword tests then fail at once. True when unsure.
    bool MayBeWord(const std::string& text) const
    {
        if (shapesKnown && fastGeneration == wordGeneration &&
            fastVocabulary == currentVocabulary && fastBits == (*optionsA & FastOptionBits) &&
            !text.empty() && text.size() < 64) {
            return ((wordShapes[static_cast<std::uint8_t>(text[0])] >> text.size()) & 1) != 0;
        }
        return SlowMayBeWord(text);
    }
    // Counts the tokens the lexer reads. Within one token the special letters and their
    // replacements cannot change, so WordTextRef compares them with those its module's wordings
    // were mapped under once per token instead of on every call (the option bits are compared on
    // every call: a directive may change them).
    void NewToken() { ++tokenCount; }
    // Every module's mapped wordings were forgotten or changed: the dictionary's own index of
    // them (see WordTextRef) starts again.
    void WordsChanged() const { ++wordGeneration; }
    // Changes whenever a wording may have changed (the words, the vocabulary, the reading
    // options that map letters): what is derived from wordings holds while it stays.
    std::uint64_t WordingStamp() const
    {
        return (static_cast<std::uint64_t>(wordGeneration) << 32) ^
               (static_cast<std::uint64_t>(static_cast<std::uint32_t>(currentVocabulary)) << 20) ^
               (*optionsA & FastOptionBits);
    }
    // The code of a wording in the current vocabulary (or in `vocabulary`); 0 when none.
    std::uint16_t FindWord(const std::string& text) const;
    std::uint16_t FindWord(const std::string& text, int vocabulary) const;
    bool IsVocabularyWord(const std::string& text) const;
    bool HasText(std::uint16_t code) const;

    void ReadVocabularyNames(const std::string& fileName, const std::string& vocabulary0Name);
    void RenewVocabularyNames(const std::string& fileName, const std::string& vocabulary0Name);
    void SelectVocabulary(int vocabulary);
    // Loads a named vocabulary's wordings into every module without making it current (the
    // translator writes into a vocabulary that may never have been selected).
    void LoadVocabulary(int vocabulary);
    int CurrentVocabulary() const { return currentVocabulary; }
    std::uint8_t FindVocabulary(const std::string& name) const;
    // The name; the current vocabulary's name comes with "*" before it.
    std::string VocabularyName(int vocabulary) const;
    std::string VocabularyExtension(int vocabulary) const;
    std::uint8_t VocabularyOfFile(const std::string& fileName) const;
    bool IsProgramExtension(const std::string& extension) const;
    int OpenDialogFilter(std::string& filter) const;

    static int CaseStyleOf(const std::string& word);
    static std::string ApplyCaseStyle(const std::string& word, int style);
    // The accent table of the program options; MapAccent always maps, MapAccents only when
    // option A 1 is set.
    char MapAccent(char ch) const;
    std::string MapAccents(const std::string& text) const;
    std::string TranslateText(const std::string& text) const;
    std::vector<std::string> WordListFor() const;
    std::string HintFor(const std::string& word) const;
    std::string TypeNameFor(int typeCode) const;
    std::string NextWordLike(const std::string& word, std::uint16_t& code) const;

    QbSyntaxe& Driver() const { return driver; }
    std::uint8_t GetLanguage() const { return language; }
    // The vocabulary file of a module: configuration directory + "/" + name + ".mvv" or ".icv".
    std::string VocabularyFileFor(const std::string& moduleName) const;
    // Whether a vocabulary file's stamp lets it be read (scenarist level, no main window, or a
    // stamp within 200 of its modification time).
    bool AcceptsFile(const std::string& fileName) const;

  private:
    struct Vocabulary
    {
        std::string Name;
        bool Loaded = false;
    };

    QbSyntaxe& driver;
    std::uint8_t language;
    Vocabulary vocabularies[VocabularyCount];
    bool nameGiven = false;
    int currentVocabulary = 0;
    std::uint16_t countCounter = 0;
    std::uint8_t moduleCounter = 136;
    std::uint32_t tokenCount = 1;
    std::vector<std::unique_ptr<QbModule>> modules;

    // WordTextRef's index by code of the wordings the modules keep: a keyword test on every
    // token is then one load. Valid while the reading options, the vocabulary and every
    // module's words stay as they were when it was filled.
    // True when the index was emptied because something it depends on changed.
    bool CheckFastWords() const;
    const std::string& SlowWordTextRef(std::uint16_t code) const;
    bool SlowMayBeWord(const std::string& text) const;
    // By first character, the lengths (bit n for length n) of the current wordings.
    mutable std::array<std::uint64_t, 256> wordShapes{};
    mutable bool shapesKnown = false;
    // ReplaceAccents and CaseInsensitive: the option bits that change a wording.
    static constexpr std::uint32_t FastOptionBits = 1 | 4096;
    const std::uint32_t* optionsA = nullptr; // the driver's option word A
    mutable std::vector<const std::string*> fastWords;
    mutable std::uint32_t wordGeneration = 0;
    mutable std::uint32_t fastGeneration = 0;
    mutable std::uint32_t fastBits = 0;
    mutable int fastVocabulary = -1;
    mutable std::string fastSpecial;
    mutable std::string fastReplacement;
};
