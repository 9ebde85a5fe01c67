// The lexers: characters from the stacked source readers become tokens, with their positions.
#pragma once

#include "diagnostics/QbGeserreurs.h"
#include "lexical/QbSource.h"
#include "lexical/QbTranslator.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QbSyntaxe;

// Owned by the driver. Owns the stack of source readers (the null source always at the bottom)
// and the translator. A token is its text: keywords are recognised by the parsers through
// IsWord/AcceptWord/ExpectWord, which compare with the current wording of a vocabulary word, so
// the lexer only knows which characters make identifiers, numbers and symbols.
class QbLexical : public TokenLocator
{
  public:
    explicit QbLexical(QbSyntaxe& driver);
    ~QbLexical() override;
    QbLexical(const QbLexical&) = delete;
    QbLexical& operator=(const QbLexical&) = delete;

    // Language-specific slots.
    virtual void ScanSymbol(std::string& token) = 0;
    virtual bool CheckComment(char& ch) = 0;
    virtual void IdentifierHook(const std::string& token) = 0;
    virtual void RestOfLine(std::string& text) = 0;

    // Reading.
    void NextToken();
    const std::string& TokenText() const { return sources.back()->Token; }
    void SetTokenText(const std::string& text);
    char CurrentChar() const { return sources.back()->LookAhead; }
    void SetChar(char ch);
    char NextChar();
    void SkipBlanks();
    const std::string& LineText() const;
    int LineNumber() const;
    void SetLineNumber(int line);
    int Column() const;
    void SetColumn(int column);
    void GetPosition(int& line, int& column) const;
    void TokenStart(int& line, int& column) const override;
    int LastLineIndex() const;
    std::string SourceName(bool stripExtension) const;
    bool IsNestedSource() const;

    // Matching by vocabulary word code.
    // False when the token cannot be the wording of any vocabulary word: a chain of IsWord and
    // AcceptWord tests can then be skipped. True when unsure.
    bool MayBeWord() const;
    bool IsWord(std::uint16_t code);
    bool AcceptWord(std::uint16_t code);
    void ExpectWord(std::uint16_t code);
    bool AcceptSymbol(std::string_view text);
    void ExpectSymbol(std::string_view text);
    void ExpectCompound(std::uint16_t code);
    std::string ExpectIdentifier();
    int WhichSimpleType();

    // Literals.
    std::string ReadQuoted(char quote);
    std::uint32_t ReadHexDigits();
    long double ReadRealRest();

    // Sources.
    bool OpenSource(const std::string& name);
    void CloseSource();
    void CloseAllSources();
    void ReadLineAt(int index);
    void StartRecording(std::vector<std::string>* list);
    void PeekHeader(const std::string& name, std::string& first, std::string& second);

    // Positions.
    void SavePosition(LexicalPosition& position) const;
    void RestorePosition(const LexicalPosition& position);
    void Reposition(int line, int column);
    void TakeVDirective(std::uint16_t& a, std::uint16_t& b);

    // Statements read without being executed (the branch not taken, a CASE arm not chosen, a
    // loop's last reading): once such a statement has been read from a text, reading it again
    // from the same place jumps to where it ended. The parser brackets the reading with
    // BeginSkip and EndSkip and asks SkipKept first; a reading that obeyed a directive or
    // changed source is never kept.
    struct SkipMark
    {
        QbTextSource* Text = nullptr; // null: nothing can be kept from here
        QbTextSource::KeptToken Start;
        int StartLine = 0;
        std::size_t Depth = 0;
        std::uint32_t Directives = 0;
    };
    SkipMark BeginSkip() const;
    // The reading since `mark` stayed in its text and obeyed no directive.
    bool SameReading(const SkipMark& mark) const;
    bool SkipKept(const SkipMark& mark);
    void EndSkip(const SkipMark& mark);
    // Expressions executed where they stand, with the same marks: PlanKept gives what was kept
    // from the mark's place (null: nothing; its Tag is the parser's number for it), ReplayPlan
    // jumps over the expression, EndPlan keeps the tag with the place the reading ended (false
    // when the reading cannot be kept).
    const QbTextSource::KeptToken* PlanKept(const SkipMark& mark) const;
    void ReplayPlan(const SkipMark& mark, const QbTextSource::KeptToken& kept);
    bool EndPlan(const SkipMark& mark, std::int32_t tag);
    // The reader's state now, for ReplayPlan to come back to: false when the reading since the
    // mark cannot be jumped over (another source, a directive obeyed).
    bool TakeState(const SkipMark& mark, QbTextSource::KeptToken& state) const;
    // Back to a state TakeState gave in `text`: false, the reader unmoved, when the current
    // source is not that text.
    bool JumpTo(const void* text, const QbTextSource::KeptToken& state);
    // The Number of the text the reader reads, 0 when it reads none (a line, the end).
    std::uint64_t TextNumber() const;
    void NoteDirective() { ++directivesRead; }

    // Translation (mode 256): the translator receives the token stream.
    void SetTranslation(bool on, int vocabulary, std::uint32_t styles,
                        std::vector<std::string>* output, int target);
    // A parser's report to the translator ("T", "C", "V", "Y", "P", "G", "F", "M").
    void Notify(char kind, const std::string& text, std::uint16_t code)
    {
        if (translating) {
            ReportToTranslator(kind, text, code);
        }
    }

    QbSyntaxe& Driver() const { return driver; }

    // Nested sources (includes, macro expansions) beyond this depth raise error 199.
    static constexpr std::size_t MaxNesting = 16;

    // For the readers: the reader on top of the stack, the include a directive asks for, the
    // header-peek mode (directives are not obeyed then), and the position given to the error
    // manager (1-based line and column) for an error found outside any token.
    QbSource& Current() const { return *sources.back(); }
    std::size_t Depth() const { return sources.size() - 1; }
    void SetPendingInclude(const std::string& name) { pendingInclude = name.substr(0, 255); }
    bool InHeaderPeek() const { return headerPeek; }
    void MarkTokenStart(int line, int column)
    {
        tokenLine = line;
        tokenColumn = column;
    }
    bool Translating() const { return translating; }

    // A few words a parser tests one after the other (a statement's first words): the first
    // characters and lengths of their wordings, kept while the wordings stand. MayBeOneOf is
    // false when the token can be none of them, true when unsure.
    struct WordShapes
    {
        bool Known = false;
        bool Unsure = false; // a wording the bits cannot say (empty, or too long)
        std::uint64_t Stamp = 0;
        std::array<std::uint64_t, 256> Bits{};
    };
    bool MayBeOneOf(WordShapes& shapes, std::initializer_list<std::uint16_t> codes) const;

    bool IsIdentifierStart(char ch) const;
    bool IsIdentifierChar(char ch) const;

  protected:
    // Raises 199 when one more nested source would go beyond MaxNesting, or when a source named
    // `name` of the same family (line sources for macros, files for includes) is already open:
    // a macro or include that reaches itself would otherwise never end.
    void CheckNesting(const std::string& name, bool lineSource) const;
    // The look-ahead becomes the next character.
    void Advance();

    QbSyntaxe& driver;
    // Characters that open a literal: comment detection is off from the quote on.
    std::string quoteChars = "'";
    // C literals: a backslash takes the next character with it (an escaped quote does not end
    // the literal); both characters stay in the text for the front-end.
    bool backslashEscapes = false;
    // C hexadecimal constants may use a-f as well as A-F.
    bool lowerCaseHex = false;
    // Tokens read from program text may be replayed (see NextToken): only for a language whose
    // identifiers never start anything of their own (IdentifierHook does nothing).
    bool keepTokens = false;

  private:
    void ReportToTranslator(char kind, const std::string& text, std::uint16_t code);
    void ScanToken(bool& identifier);
    bool OpenPendingInclude();
    std::string IncludeFolder() const;

    std::vector<std::unique_ptr<QbSource>> sources; // the null source first, always
    std::vector<std::string>* recording = nullptr;  // borrowed, may be null
    QbTranslator translator;
    int tokenLine = 0;
    int tokenColumn = 0;
    bool headerPeek = false;
    bool translating = false;
    std::string pendingInclude;
    std::uint32_t directivesRead = 0;
};
