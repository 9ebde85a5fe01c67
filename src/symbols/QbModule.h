// The predefined modules' common part: word tables in four vocabularies, chains, vocabulary files.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QbDico;
class QbSyntaxe;
class QbTable;

// Which module the dictionary creates for a class number (the driver's module slots name
// modules by this number).
enum class ModuleClass : int
{
    PSystem = 0,
    Crt = 1,
    Graph = 2,
    CSystem = 3,
    Stdio = 4
};

// Editor colouring classes of words (the style a word list line carries after ";").
namespace WordStyle {
constexpr std::uint8_t Default = 0;
constexpr std::uint8_t Reserved = 2;
constexpr std::uint8_t SystemRoutine = 4;
constexpr std::uint8_t Crt = 5;
constexpr std::uint8_t Graph = 6;
constexpr std::uint8_t Stdio = 5;
} // namespace WordStyle

// A built-in unit: a named package of predefined words and, later, of the constants, types,
// variables and routines it declares. Owned by the dictionary, which creates it with Attach and
// destroys it with the driver. Vocabulary 0 is the default wording the module fills itself; 1 to
// 3 come from the module's vocabulary file when first selected. A word's code is
// (module number - 128) * 256 + index, index 1 to WordCount().
class QbModule
{
  public:
    static constexpr int VocabularyCount = 4;
    static constexpr int MaxWords = 255;
    // Chain 0 holds words whose initial is not a letter A-Z, chains 1-26 the letters.
    static constexpr int ChainCount = 27;

    explicit QbModule(QbDico& owner);
    virtual ~QbModule();
    QbModule(const QbModule&) = delete;
    QbModule& operator=(const QbModule&) = delete;

    // The module of a class; null for an unknown class number.
    static std::unique_ptr<QbModule> Create(int moduleClass, QbDico& owner);

    // Fills vocabulary 0 and the name; returns the count base + the number of words.
    virtual std::uint16_t DefaultWords() = 0;
    // Declares the module's constants, types, variables and routines in `unit`. The base
    // declares nothing.
    virtual void RegisterNames(QbTable& table, std::uint16_t unit);
    // A module with a fixed number returns it; the base takes the dictionary's next number.
    virtual std::uint8_t ModuleNumber(std::uint8_t& counter);
    virtual std::uint8_t WordCategory() const;
    virtual void BeforeRun(QbSyntaxe& driver, int vocabulary);
    virtual void AfterRun(QbSyntaxe& driver, int vocabulary);
    // The wording of the name of type code `typeCode`; "???" when the module has none.
    virtual std::string TypeName(int typeCode, int vocabulary) const;
    // Editor colouring lines "word;style" for the non-empty words of `vocabulary`.
    virtual void ListWords(std::vector<std::string>& list, int vocabulary) const;
    // A usage text for the predefined routine worded `word`; empty when it has none.
    virtual std::string WordHint(const std::string& word, int vocabulary) const;

    // Sets the module number, word range and vocabulary-file name, fills vocabulary 0 and builds
    // its chains. `countCounter` is the dictionary's running word total and is advanced.
    void Attach(std::uint8_t& moduleCounter, std::uint16_t& countCounter);
    // RegisterNames, then the chains of vocabulary 0 and of the current vocabulary are renewed.
    void Register(QbTable& table, std::uint16_t unit);

    // Empty unless `code` belongs to this module; accents mapped, upper-cased under
    // case-insensitive reading.
    std::string WordText(std::uint16_t code, int vocabulary) const;
    // The same text, kept by the module: valid until the next call that changes a word or until
    // the module is destroyed. Parsers compare every token against it.
    // With `token`, the special letters are compared only when *token changed since the last
    // such call (the dictionary counts the lexer's tokens).
    const std::string& WordTextRef(std::uint16_t code, int vocabulary,
                                   const std::uint32_t* token = nullptr) const;
    bool HasWord(std::uint16_t code, int vocabulary) const;
    // The code of a wording (compared after accent mapping, case-insensitively); 0 when none.
    std::uint16_t FindWord(const std::string& text, int vocabulary) const;
    // The same, among the words of index `firstIndex` and above.
    std::uint16_t FindWord(const std::string& text, int vocabulary, int firstIndex) const;
    void BuildChains(int vocabulary);
    // Reads vocabulary `vocabulary` (1-3) from the module's file; false when the file is refused,
    // missing or has a malformed word line.
    bool LoadVocabulary(int vocabulary);
    // Makes vocabulary `vocabulary` usable once: loaded from the file and chained, or, when the
    // file cannot give it, a copy of the default wording, so that a module without a vocabulary
    // file keeps its words under every vocabulary.
    void PrepareVocabulary(int vocabulary);

    // The raw word at `index` (1 to 255) of `vocabulary`, as stored; empty when out of range.
    const std::string& RawWord(int vocabulary, int index) const;
    // The indexes of the words of `vocabulary` whose initial shares `initial`'s chain, in chain
    // (increasing index) order; letters are taken in either case.
    std::vector<int> ChainOf(char initial, int vocabulary) const;
    static int ChainIndexOf(char initial);

    std::uint8_t Number() const { return moduleNumber; }
    std::uint16_t CountBase() const { return countBase; }
    std::uint16_t CountEnd() const { return countEnd; }
    int WordCount() const;
    const std::string& Name() const { return name; }
    const std::string& VocabularyFile() const { return vocabularyFile; }
    QbDico& Dictionary() const { return dictionary; }
    std::uint16_t CodeOf(int index) const
    {
        return static_cast<std::uint16_t>(((moduleNumber - 128) & 0xFF) * 256 + index);
    }

  protected:
    // For DefaultWords: stores the default words, `words[i]` at index i + 1 (an empty string
    // leaves the index without a default wording), sets the name, and returns the count end.
    std::uint16_t FillDefaults(const std::string& moduleName, const char* const* words, int count);
    void SetWord(int vocabulary, int index, const std::string& word);

  private:
    struct WordTable
    {
        std::array<std::string, MaxWords + 1> Words;
        std::array<std::uint16_t, MaxWords + 1> Links{};
        std::array<std::uint16_t, ChainCount> Heads{};
    };

    QbDico& dictionary;
    std::uint8_t moduleNumber = 0;
    std::uint16_t countBase = 0;
    std::uint16_t countEnd = 0;
    std::string name;
    std::string vocabularyFile;
    std::array<WordTable, VocabularyCount> tables;
    std::array<bool, VocabularyCount> prepared{true, false, false, false};

    // Mapped wordings, computed on first use. A wording depends on the raw word (SetWord and
    // PrepareVocabulary forget the vocabulary's entries) and on the reading options (accent
    // replacement, case-insensitive reading, the special letters and their replacements), which
    // are compared with those the entries were made under before every use.
    struct MappedWords
    {
        std::array<std::string, MaxWords + 1> Texts;
        std::array<bool, MaxWords + 1> Known{};
    };
    void ForgetMapped(int vocabulary) const;
    mutable std::array<MappedWords, VocabularyCount> mapped;
    mutable bool mappedAccents = false;
    mutable bool mappedUpper = false;
    mutable std::string mappedSpecial;
    mutable std::string mappedReplacement;
    mutable std::uint32_t mappedToken = 0;
};
