// The reader operations shared by every source: characters, positions, comments and directives.
#include "lexical/QbSource.h"

#include "diagnostics/QbGeserreurs.h"
#include "frontend/ProgramOptions.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"

#include <algorithm>
#include <cassert>
#include <limits>

namespace {
char UpperAscii(char ch)
{
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

// Characters of a file name in an include directive; "/" is accepted beside "\".
bool IsIncludeNameChar(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || IsDigit(ch) || ch == '_' ||
           ch == '.' || ch == ':' || ch == '\\' || ch == '/';
}
} // namespace

bool QbSource::Open(const std::string& sourceName, QbLexical& lexer)
{
    owner = &lexer;
    name = sourceName.substr(0, MaxNameLength);
    CommentDetection = true;
    LookAhead = ' ';
    Token.clear();
    LineText.clear();
    CommentText.clear();
    LineNumber = 0;
    Column = 1;
    directiveA = 0;
    directiveB = 0;
    return true;
}

bool QbSource::AtEndOfLine() const
{
    return Column < 1 || static_cast<std::size_t>(Column) > LineText.size();
}

bool QbSource::Close()
{
    return true;
}

std::string QbSource::GetName() const
{
    if (!name.empty() || owner == nullptr) {
        return name;
    }
    SourceText* pages = Driver().Environment().Pages; // may be null
    return pages != nullptr ? pages->CurrentPageName() : std::string();
}

QbLexical& QbSource::Lexer() const
{
    assert(owner != nullptr);
    return *owner;
}

QbSyntaxe& QbSource::Driver() const
{
    return Lexer().Driver();
}

void QbSource::CheckLineLength(const std::string& text, int line) const
{
    if (text.size() > MaxLineLength) {
        // Shown at the first character beyond the limit.
        Lexer().MarkTokenStart(line, static_cast<int>(MaxLineLength) + 2);
        Driver().Errors->Raise(ErrorNumber::LineTooLong);
    }
}

char QbSource::NextRawChar()
{
    if (AtEndOfLine()) {
        return ' ';
    }
    return LineText[static_cast<std::size_t>(Column++) - 1];
}

char QbSource::NextChar()
{
    char ch = NextRawChar();
    if (CommentDetection && Lexer().CheckComment(ch)) {
        return ' ';
    }
    const QbSyntaxe& driver = Driver();
    if (driver.OptionA(OptionA::ReplaceAccents) && driver.Dictionary) {
        ch = driver.Dictionary->MapAccent(ch);
    }
    if (driver.OptionA(OptionA::CaseInsensitive)) {
        ch = UpperAscii(ch);
    }
    return ch;
}

void QbSource::Advance()
{
    LookAhead = NextChar();
}

bool QbSource::LineContainsWord(std::uint16_t code) const
{
    const QbSyntaxe& driver = Driver();
    if (!driver.Dictionary) {
        return false;
    }
    const std::string word = driver.Dictionary->WordText(code);
    if (word.empty()) {
        return false;
    }
    std::string line = LineText;
    if (driver.OptionA(OptionA::CaseInsensitive)) {
        std::transform(line.begin(), line.end(), line.begin(), UpperAscii);
    }
    return line.find(word) != std::string::npos;
}

void QbSource::TakeVDirective(std::uint16_t& a, std::uint16_t& b)
{
    a = directiveA;
    b = directiveB;
    directiveA = 0;
    directiveB = 0;
}

int QbSource::LastLineIndex() const
{
    const int index = Column == 1 ? LineNumber - 2 : LineNumber - 1;
    return std::max(index, 0);
}

void QbSource::SavePosition(LexicalPosition& position, bool withLine) const
{
    position.Token = Token;
    position.LookAhead = LookAhead;
    position.Line = LineNumber;
    position.Column = Column;
    position.LineKept = withLine;
    if (withLine) {
        position.LineText = LineText;
    } else {
        position.LineText.clear();
    }
}

void QbSource::RestorePosition(const LexicalPosition& position, bool withLine)
{
    // Assigned in place: a loop comes back here on every pass.
    Token.assign(position.Token, 0, MaxTokenLength);
    LookAhead = position.LookAhead;
    LineNumber = position.Line;
    Column = position.Column;
    if (withLine) {
        LineText.assign(position.LineText, 0, MaxLineLength);
    }
}

// ---------------------------------------------------------------------------------------------
// Comments

bool QbSource::PeekChar(char& ch) const
{
    if (AtEndOfLine()) {
        return false;
    }
    ch = LineText[static_cast<std::size_t>(Column) - 1];
    return true;
}

void QbSource::AppendComment(char ch)
{
    // The comment text only feeds the translator; like every short string it holds 255 chars.
    if (CommentText.size() < MaxLineLength) {
        CommentText += ch;
    }
}

void QbSource::ReportComment()
{
    Lexer().Notify('A', CommentText, 0);
    CommentText.clear();
}

void QbSource::ReadCommentLine()
{
    Lexer().ReadLineAt(-1);
    ++LineNumber;
    Column = 1;
    Lexer().Notify('-', std::string(), 0);
}

bool QbSource::CheckPascalComment(char& ch)
{
    if (ch == '{') {
        BeginComment("{");
        SkipPascalComment('}');
        return true;
    }
    char next = 0;
    if (!PeekChar(next)) {
        return false;
    }
    if (ch == '(' && next == '*') {
        ++Column;
        BeginComment("(*");
        SkipPascalComment('*');
        return true;
    }
    if (ch == '(' && next == '.') {
        ++Column;
        ch = '[';
    } else if (ch == '.' && next == ')') {
        ++Column;
        ch = ']';
    } else if (ch == '/' && next == '/') {
        LineComment();
        ch = ' ';
    }
    return false;
}

bool QbSource::CheckCComment(char& ch)
{
    char next = 0;
    if (ch != '/' || !PeekChar(next)) {
        return false;
    }
    if (next == '/') {
        LineComment();
        ch = ' ';
        return false;
    }
    if (next == '*') {
        ++Column;
        BeginComment("/*");
        SkipCComment('*');
        return true;
    }
    return false;
}

// "//" up to the end of the line; the first "/" is consumed already, the column is on the second.
void QbSource::BeginComment(const char* opener)
{
    CommentText = opener;
    commentLine = LineNumber;
    commentColumn = Column - static_cast<int>(CommentText.size());
}

void QbSource::RaiseInComment(ErrorNumber number) const
{
    Lexer().MarkTokenStart(commentLine, commentColumn + 1);
    Driver().Errors->Raise(number);
}

void QbSource::LineComment()
{
    CommentText = "/";
    SkipComment('\r', 0);
}

void QbSource::SkipPascalComment(char closer)
{
    char next = 0;
    if (closer != '\r' && PeekChar(next) && next == '$' && !Lexer().InHeaderPeek()) {
        ++Column;
        AppendComment('$');
        ++SideEffects;
        Lexer().NoteDirective();
        ProcessDirective();
    }
    SkipComment(closer, ')');
}

void QbSource::SkipCComment(char closer)
{
    SkipComment(closer, '/');
}

// Consumes comment text up to `closer` ("*" only counts when `after` follows it). A closer of
// carriage return ends the comment at the end of its line.
void QbSource::SkipComment(char closer, char after)
{
    for (;;) {
        if (AtEndOfLine()) {
            ReportComment();
            if (closer == '\r') {
                return;
            }
            if (AtEnd()) {
                RaiseInComment(ErrorNumber::CommentNotFinished);
            }
            ReadCommentLine();
            continue;
        }
        const char ch = NextRawChar();
        AppendComment(ch);
        if (ch != closer) {
            continue;
        }
        if (closer != '*') {
            break;
        }
        char next = 0;
        if (PeekChar(next) && next == after) {
            ++Column;
            AppendComment(after);
            break;
        }
    }
    // A comment that ends its line leaves the line break to the lexer, which reports it with the
    // indentation of the next line.
    ReportComment();
}

// ---------------------------------------------------------------------------------------------
// Directives: the "$" is consumed; the letter follows.

void QbSource::ProcessDirective()
{
    char letter = 0;
    if (!PeekChar(letter)) {
        return;
    }
    ++Column;
    AppendComment(letter);
    QbSyntaxe& driver = Driver();
    char sign = 0;
    switch (UpperAscii(letter)) {
    case 'F':
        if (!PeekChar(sign) || (sign != '+' && sign != '-')) {
            RaiseInComment(ErrorNumber::FarOptionInvalid);
        }
        ++Column;
        AppendComment(sign);
        driver.SetOptionA(OptionA::FarCalls, sign == '+');
        break;
    case 'I':
        if (PeekChar(sign) && (sign == '+' || sign == '-')) {
            ++Column;
            AppendComment(sign);
            driver.SetOptionA(OptionA::IoChecks, sign == '+');
        } else {
            IncludeDirective();
        }
        break;
    case 'V':
        VDirective();
        break;
    default:
        break;
    }
}

void QbSource::SkipDirectiveBlanks()
{
    char ch = 0;
    while (PeekChar(ch) && (ch == ' ' || ch == '\t')) {
        ++Column;
        AppendComment(ch);
    }
}

// {$I name}: the name is left for the lexer, which opens it before the next token. The character
// that ends the name is not consumed, so it is read again as comment text (it may be the closer).
void QbSource::IncludeDirective()
{
    if (Driver().OptionA(OptionA::ForbidInclude)) {
        RaiseInComment(ErrorNumber::IncludeNotAllowed);
    }
    SkipDirectiveBlanks();
    std::string fileName;
    char ch = 0;
    while (PeekChar(ch) && IsIncludeNameChar(ch)) {
        ++Column;
        AppendComment(ch);
        fileName += ch;
    }
    Lexer().SetPendingInclude(fileName);
}

std::uint16_t QbSource::ReadDirectiveNumber()
{
    unsigned value = 0;
    char ch = 0;
    while (PeekChar(ch) && IsDigit(ch)) {
        ++Column;
        AppendComment(ch);
        value = std::min(value * 10 + static_cast<unsigned>(ch - '0'),
                         unsigned{std::numeric_limits<std::uint16_t>::max()});
    }
    return static_cast<std::uint16_t>(value);
}

// {$V a:b}: two numbers for the declaration that follows.
void QbSource::VDirective()
{
    SkipDirectiveBlanks();
    const std::uint16_t a = ReadDirectiveNumber();
    SkipDirectiveBlanks();
    char ch = 0;
    if (!PeekChar(ch) || ch != ':') {
        RaiseInComment(ErrorNumber::ColonExpected);
    }
    ++Column;
    AppendComment(ch);
    SkipDirectiveBlanks();
    directiveA = a;
    directiveB = ReadDirectiveNumber();
}
