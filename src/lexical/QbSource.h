// The source readers: program text delivered line by line and character by character to the lexer.
#pragma once

#include "diagnostics/ErrorNumber.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class QbLexical;
class QbSyntaxe;

// Where the lexer stood: enough to come back and read the same text again. The interpreter saves
// one before a loop body or a call and restores it to repeat the body or to return.
struct LexicalPosition
{
    std::string Token;
    char LookAhead = ' ';
    int Line = 0;
    int Column = 1;
    // Left empty where the reader reads its line again from its own lines on coming back.
    std::string LineText;
    bool LineKept = true;
};

// One reader of program text, stacked by the lexer (which owns it, from OpenSource until
// CloseSource). The reader keeps the current line, the 1-based column of the next character to
// read (0 once the reader is exhausted), the current token and the look-ahead character, and it
// recognises comments and compiler directives as it delivers characters.
//
// Invariant: LineText never holds more than MaxLineLength characters; a longer line is refused
// with error 198 when it is read, never cut silently.
class QbSource
{
  public:
    static constexpr std::size_t MaxLineLength = 255;
    static constexpr std::size_t MaxTokenLength = 32;
    static constexpr std::size_t MaxNameLength = 255;

    enum : std::uint8_t
    {
        NullKind = 0,
        EditKind = 1,
        FileKind = 2,
        LineKind = 5
    };

    QbSource() = default;
    virtual ~QbSource() = default;
    QbSource(const QbSource&) = delete;
    QbSource& operator=(const QbSource&) = delete;

    virtual std::uint8_t Kind() const = 0;
    // Binds the reader to its lexer and resets its position; each reader then prepares its text.
    // False when the text cannot be had (the caller raises its own error).
    virtual bool Open(const std::string& name, QbLexical& lexer);
    virtual bool AtEnd() const = 0;
    // Past the last character of the line; an exhausted reader (column 0) is at the end too.
    bool AtEndOfLine() const;
    // Makes the line of 0-based `index` current (random-access readers), or the next line (-1).
    virtual void ReadLine(int index) = 0;
    // False for a reader that must never leave the stack.
    virtual bool Close();
    virtual std::string GetName() const;
    // The source's text lives in files or editor pages (includes are resolved against it).
    virtual bool HasFolder() const { return false; }

    char NextRawChar();
    char NextChar();
    void Advance();
    bool LineContainsWord(std::uint16_t code) const;
    void TakeVDirective(std::uint16_t& a, std::uint16_t& b);
    int LastLineIndex() const;
    void SavePosition(LexicalPosition& position, bool withLine = true) const;
    // `withLine` false leaves the line's text to the ReadLine that follows.
    void RestorePosition(const LexicalPosition& position, bool withLine = true);
    void SkipPascalComment(char closer);
    void SkipCComment(char closer);
    bool CheckPascalComment(char& ch);
    bool CheckCComment(char& ch);

    // The whole file, lines joined with CR LF, decoded to the engine's text. False when the file
    // cannot be read; no error is raised.
    static bool ReadWholeFile(const std::string& name, std::string& text);
    // Splits text at CR LF, LF or CR; a final line break does not open an empty last line.
    static std::vector<std::string> SplitLines(const std::string& text);

    // The current token (at most MaxTokenLength characters) and the character after it.
    std::string Token;
    char LookAhead = ' ';
    // When false (inside a literal) comment delimiters are ordinary characters.
    bool CommentDetection = true;
    std::string LineText;
    int Column = 1;
    int LineNumber = 0;
    // The comment being skipped, from its opening delimiter, for the translator.
    std::string CommentText;
    // Counts what reading did beyond delivering characters (directives obeyed): a token whose
    // reading changed it cannot be replayed from the source's kept tokens.
    std::uint32_t SideEffects = 0;

  protected:
    QbLexical& Lexer() const;
    QbSyntaxe& Driver() const;
    // Error 198 at 1-based `line` when `text` is longer than a line may be.
    void CheckLineLength(const std::string& text, int line) const;

    std::string name;

  private:
    bool PeekChar(char& ch) const;
    void AppendComment(char ch);
    void ReportComment();
    void ReadCommentLine();
    void LineComment();
    // Starts a comment whose opening delimiter was just consumed; remembers where it began.
    void BeginComment(const char* opener);
    // A mistake inside a comment or directive is shown at the comment's opening delimiter,
    // where the pupil can see it, not at the token before it.
    [[noreturn]] void RaiseInComment(ErrorNumber number) const;
    void SkipComment(char closer, char after);
    void ProcessDirective();
    void IncludeDirective();
    void VDirective();
    std::uint16_t ReadDirectiveNumber();
    void SkipDirectiveBlanks();

    QbLexical* owner = nullptr;
    int commentLine = 0;   // 1-based line of the opening delimiter
    int commentColumn = 0; // its 1-based column
    std::uint16_t directiveA = 0;
    std::uint16_t directiveB = 0;
};

// The bottom of every source stack: never popped, it supplies the end-of-program lines "." (two
// of them) after the last real source, then error 131.
class QbNullSource : public QbSource
{
  public:
    static constexpr int EndLines = 2;

    std::uint8_t Kind() const override { return NullKind; }
    bool Open(const std::string& sourceName, QbLexical& lexer) override;
    bool AtEnd() const override { return false; }
    void ReadLine(int index) override;
    bool Close() override { return false; }
    // Continues the numbering and the name of the source that was just popped.
    void TakeOver(const QbSource& last);

  private:
    int remainingEndLines = EndLines;
};

// Text held as lines with random access: the edit and file readers. The line index is the 0-based
// index of the next line to deliver.
class QbTextSource : public QbSource
{
  public:
    bool AtEnd() const override;
    void ReadLine(int index) override;
    bool Close() override;
    bool HasFolder() const override { return true; }

    // A token read from this text once, kept so that reading it again (a loop body, a routine
    // called again) costs no character scanning. The key is the reader's state before the
    // token and the reading options that change characters; the rest is the state after it.
    struct KeptToken
    {
        int Column = 0;
        char LookAhead = ' ';
        bool CommentDetection = true;
        std::uint32_t Options = 0;
        std::string Token;
        int TokenLine = 0;
        int TokenColumn = 0;
        int EndLine = 0;
        int EndColumn = 0;
        char EndLookAhead = ' ';
        bool EndCommentDetection = true;
        std::int16_t Next = -1; // the next token kept from the same column, or -1
        // For a statement read without execution (FindSkip), the start of its first token.
        int KeyTokenLine = 0;
        int KeyTokenColumn = 0;
        // For an expression (FindPlan), the number its parser gave what it keeps of it.
        std::int32_t Tag = -1;
    };
    // True when the reader stands on a line of its text (not before the first, not exhausted),
    // the only states a kept token starts from or ends in.
    bool OnTextLine() const
    {
        return LineNumber >= 1 && static_cast<std::size_t>(LineNumber) == lineIndex &&
               lineIndex <= lines.size() && Column >= 1;
    }
    const KeptToken* FindKept(std::uint32_t options) const;
    void Replay(const KeptToken& kept);
    // Whether `state` ends on a line of this text, as every state Replay takes must.
    bool CanReplay(const KeptToken& state) const
    {
        return state.EndLine >= 1 && static_cast<std::size_t>(state.EndLine) <= lines.size();
    }
    // The reader's state now, as the end of `entry` (what Replay restores).
    void Capture(KeptToken& entry) const;
    void Keep(KeptToken kept, int startLine);
    // The same for whole statements read without being executed: from the state after their
    // first token (which started at `tokenLine`, `tokenColumn`) to the state after the token
    // that follows them.
    const KeptToken* FindSkip(std::uint32_t options, int tokenLine, int tokenColumn) const;
    void KeepSkip(KeptToken kept, int startLine);
    // The same for expressions executed where they stand, each with its parser's tag.
    const KeptToken* FindPlan(std::uint32_t options, int tokenLine, int tokenColumn) const;
    bool KeepPlan(KeptToken kept, int startLine); // false: not kept
    // Every text taken gets a number of its own, never given again in the process: what was
    // kept of one reading is known to belong to the text being read, whatever reader object
    // holds it now.
    std::uint64_t Number() const { return number; }

  protected:
    // Takes the text's lines; false when there is none.
    bool SetText(const std::string& text);

  private:
    std::vector<std::string> lines;
    std::size_t lineIndex = 0;
    std::uint64_t number = 0;
    // By 1-based line of the state before the token; on a line, chained by starting column.
    struct KeptLine
    {
        std::vector<KeptToken> Tokens;
        std::vector<std::int16_t> FirstAt; // by column: the first token kept from it, or -1
    };
    std::vector<KeptLine> kept;
    std::vector<KeptLine> skips;
    std::vector<KeptLine> plans;
    const KeptToken* Find(const std::vector<KeptLine>& lines, std::uint32_t options, int tokenLine,
                          int tokenColumn) const;
    bool Store(std::vector<KeptLine>& lines, KeptToken entry, int startLine);
};

// An editor page's text, or the file of that name when no page holds it. Program and unit text is
// always read through this reader so that it can be read again from any line.
class QbEditSource : public QbTextSource
{
  public:
    std::uint8_t Kind() const override { return EditKind; }
    bool Open(const std::string& sourceName, QbLexical& lexer) override;
};

// A text file from disk (include files). Its lines are held after decoding, so it can be
// positioned back like an edit reader.
class QbFileSource : public QbTextSource
{
  public:
    std::uint8_t Kind() const override { return FileKind; }
    bool Open(const std::string& sourceName, QbLexical& lexer) override;
};

// One line given with the request "name#text": macro expansions, calls by name, breakpoint
// conditions.
class QbLineSource : public QbSource
{
  public:
    std::uint8_t Kind() const override { return LineKind; }
    bool Open(const std::string& request, QbLexical& lexer) override;
    bool AtEnd() const override { return AtEndOfLine(); }
    void ReadLine(int) override {}
};
