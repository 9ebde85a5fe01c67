// The lexer's reading loop, its stack of sources and the positions it saves and restores.
#include "lexical/QbLexical.h"

#include "frontend/ProgramOptions.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbDico.h"
#include "lexical/SourcePaths.h"

#include <algorithm>

namespace {
bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

char UpperAscii(char ch)
{
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

int LeadingSpaces(const std::string& line)
{
    const auto first = line.find_first_not_of(' ');
    return static_cast<int>(first == std::string::npos ? line.size() : first);
}

bool EndsWithUnitCode(const std::string& name)
{
    static const std::string extension = ".MVU";
    if (name.size() < extension.size()) {
        return false;
    }
    std::string tail = name.substr(name.size() - extension.size());
    std::transform(tail.begin(), tail.end(), tail.begin(), UpperAscii);
    return tail == extension;
}
} // namespace

QbLexical::QbLexical(QbSyntaxe& driverRef) : driver(driverRef)
{
    auto bottom = std::make_unique<QbNullSource>();
    bottom->Open(std::string(), *this);
    sources.push_back(std::move(bottom));
}

QbLexical::~QbLexical() = default;

bool QbLexical::IsIdentifierStart(char ch) const
{
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_') {
        return true;
    }
    // A blank never belongs to a word, whatever the extra letters say: an exhausted reader
    // delivers blanks for ever.
    return ch != ' ' && ch != '\t' && driver.ExtraLetters[static_cast<unsigned char>(ch)];
}

bool QbLexical::IsIdentifierChar(char ch) const
{
    return IsDigit(ch) || IsIdentifierStart(ch);
}

// ---------------------------------------------------------------------------------------------
// Reading

void QbLexical::Advance()
{
    Current().LookAhead = NextChar();
}

char QbLexical::NextChar()
{
    QbSource& source = Current();
    bool crossed = false;
    while (source.AtEndOfLine()) {
        if (source.AtEnd()) {
            source.Column = 0;
            break;
        }
        ReadLineAt(-1);
        ++source.LineNumber;
        source.Column = 1;
        if (source.LineNumber > 1) {
            Notify('-', std::string(), static_cast<std::uint16_t>(LeadingSpaces(source.LineText)));
        }
        crossed = true;
    }
    if (crossed || source.Column == 0) {
        return ' ';
    }
    return source.NextChar();
}

void QbLexical::SkipBlanks()
{
    QbSource& source = Current();
    while ((source.LookAhead == ' ' || source.LookAhead == '\t') && pendingInclude.empty()) {
        if (source.Column == 0 && source.AtEnd()) {
            break;
        }
        Advance();
    }
}

void QbLexical::ScanToken(bool& identifier)
{
    QbSource& source = Current();
    std::string token;
    const char first = source.LookAhead;
    if (IsDigit(first) || IsIdentifierStart(first)) {
        identifier = !IsDigit(first);
        while (identifier ? IsIdentifierChar(source.LookAhead) : IsDigit(source.LookAhead)) {
            if (token.size() < QbSource::MaxTokenLength) {
                token += source.LookAhead;
            }
            Advance();
        }
    } else {
        ScanSymbol(token);
    }
    source.Token = token.substr(0, QbSource::MaxTokenLength);
}

void QbLexical::NextToken()
{
    if (driver.Dictionary) {
        driver.Dictionary->NewToken();
    }
    // Program text is read again and again by the interpreter: a token already read from the
    // same state of the same text is replayed instead of scanned. Only plain reading is kept:
    // no translation, recording, header peek or include pending; and a token is kept (at the end
    // of this function) only when no directive was obeyed and the source did not change while it
    // was read.
    QbTextSource* text = nullptr;
    QbTextSource::KeptToken start;
    int startLine = 0;
    std::uint32_t effects = 0;
    const std::size_t depth = sources.size();
    if (keepTokens && !translating && !headerPeek && recording == nullptr &&
        pendingInclude.empty()) {
        QbSource& source = Current();
        const std::uint8_t kind = source.Kind();
        if (kind == QbSource::EditKind || kind == QbSource::FileKind) {
            text = static_cast<QbTextSource*>(&source);
            if (!text->OnTextLine()) {
                text = nullptr;
            }
        }
        if (text != nullptr) {
            start.Options = driver.GetOptions().A & (OptionA::ReplaceAccents | OptionA::CaseInsensitive);
            if (const QbTextSource::KeptToken* kept = text->FindKept(start.Options)) {
                text->Replay(*kept);
                tokenLine = kept->TokenLine;
                tokenColumn = kept->TokenColumn;
                return;
            }
            start.Column = text->Column;
            start.LookAhead = text->LookAhead;
            start.CommentDetection = text->CommentDetection;
            startLine = text->LineNumber;
            effects = text->SideEffects;
        }
    }
    bool identifier = false;
    for (;;) {
        QbSource& source = Current();
        if (source.Column == 0 && IsNestedSource()) {
            if (headerPeek) {
                source.Token.clear();
                return;
            }
            CloseSource();
            if (!Current().Token.empty()) {
                return;
            }
            continue;
        }
        if (!pendingInclude.empty()) {
            if (OpenPendingInclude()) {
                return;
            }
            continue;
        }
        // A quote token whose literal was never read must not leave comments unrecognised.
        source.CommentDetection = true;
        SkipBlanks();
        if (!pendingInclude.empty() || (source.Column == 0 && IsNestedSource())) {
            continue;
        }
        tokenLine = source.LineNumber;
        tokenColumn = source.Column;
        if (quoteChars.find(source.LookAhead) != std::string::npos) {
            source.CommentDetection = false;
        }
        identifier = false;
        ScanToken(identifier);
        if (source.Token != " ") {
            break;
        }
    }
    if (text != nullptr && sources.size() == depth && &Current() == text &&
        text->SideEffects == effects && pendingInclude.empty()) {
        start.TokenLine = tokenLine;
        start.TokenColumn = tokenColumn;
        text->Keep(std::move(start), startLine);
    }
    if (translating || (identifier && !headerPeek && !keepTokens)) {
        const std::string token = Current().Token;
        Notify('L', token, 0);
        if (identifier && !headerPeek) {
            IdentifierHook(token);
        }
    }
}

QbLexical::SkipMark QbLexical::BeginSkip() const
{
    SkipMark mark;
    if (!keepTokens || translating || headerPeek || recording != nullptr ||
        !pendingInclude.empty()) {
        return mark;
    }
    QbSource& source = Current();
    const std::uint8_t kind = source.Kind();
    if (kind != QbSource::EditKind && kind != QbSource::FileKind) {
        return mark;
    }
    auto* text = static_cast<QbTextSource*>(&source);
    if (!text->OnTextLine()) {
        return mark;
    }
    mark.Text = text;
    mark.Start.Options = driver.GetOptions().A & (OptionA::ReplaceAccents | OptionA::CaseInsensitive);
    mark.Start.Column = text->Column;
    mark.Start.LookAhead = text->LookAhead;
    mark.Start.CommentDetection = text->CommentDetection;
    mark.Start.KeyTokenLine = tokenLine;
    mark.Start.KeyTokenColumn = tokenColumn;
    mark.StartLine = text->LineNumber;
    mark.Depth = sources.size();
    mark.Directives = directivesRead;
    return mark;
}

bool QbLexical::SkipKept(const SkipMark& mark)
{
    if (mark.Text == nullptr || &Current() != mark.Text) {
        return false;
    }
    const QbTextSource::KeptToken* kept =
        mark.Text->FindSkip(mark.Start.Options, tokenLine, tokenColumn);
    if (kept == nullptr) {
        return false;
    }
    mark.Text->Replay(*kept);
    tokenLine = kept->TokenLine;
    tokenColumn = kept->TokenColumn;
    return true;
}

bool QbLexical::SameReading(const SkipMark& mark) const
{
    return mark.Text != nullptr && sources.size() == mark.Depth && &Current() == mark.Text &&
           directivesRead == mark.Directives && !translating && pendingInclude.empty() &&
           mark.Text->OnTextLine();
}

void QbLexical::EndSkip(const SkipMark& mark)
{
    if (!SameReading(mark)) {
        return;
    }
    QbTextSource::KeptToken entry = mark.Start;
    entry.TokenLine = tokenLine;
    entry.TokenColumn = tokenColumn;
    mark.Text->KeepSkip(std::move(entry), mark.StartLine);
}

const QbTextSource::KeptToken* QbLexical::PlanKept(const SkipMark& mark) const
{
    if (mark.Text == nullptr || &Current() != mark.Text) {
        return nullptr;
    }
    return mark.Text->FindPlan(mark.Start.Options, tokenLine, tokenColumn);
}

void QbLexical::ReplayPlan(const SkipMark& mark, const QbTextSource::KeptToken& kept)
{
    mark.Text->Replay(kept);
    tokenLine = kept.TokenLine;
    tokenColumn = kept.TokenColumn;
}

bool QbLexical::TakeState(const SkipMark& mark, QbTextSource::KeptToken& state) const
{
    if (!SameReading(mark)) {
        return false;
    }
    mark.Text->Capture(state);
    state.TokenLine = tokenLine;
    state.TokenColumn = tokenColumn;
    return true;
}

bool QbLexical::JumpTo(const void* text, const QbTextSource::KeptToken& state)
{
    QbSource& source = Current();
    const std::uint8_t kind = source.Kind();
    if (kind != QbSource::EditKind && kind != QbSource::FileKind) {
        return false;
    }
    auto& current = static_cast<QbTextSource&>(source);
    if (static_cast<const void*>(&current) != text || !current.CanReplay(state)) {
        return false;
    }
    current.Replay(state);
    tokenLine = state.TokenLine;
    tokenColumn = state.TokenColumn;
    return true;
}

std::uint64_t QbLexical::TextNumber() const
{
    const QbSource& source = Current();
    const std::uint8_t kind = source.Kind();
    if (kind != QbSource::EditKind && kind != QbSource::FileKind) {
        return 0;
    }
    return static_cast<const QbTextSource&>(source).Number();
}

bool QbLexical::EndPlan(const SkipMark& mark, std::int32_t tag)
{
    if (!SameReading(mark)) {
        return false;
    }
    QbTextSource::KeptToken entry = mark.Start;
    entry.TokenLine = tokenLine;
    entry.TokenColumn = tokenColumn;
    entry.Tag = tag;
    return mark.Text->KeepPlan(std::move(entry), mark.StartLine);
}

// Opens the file of an include directive; true when its first token is current.
bool QbLexical::OpenPendingInclude()
{
    const std::string requested = pendingInclude;
    pendingInclude.clear();
    Current().Token.clear();
    std::string fileName;
    if (!SourcePaths::ResolveInclude(IncludeFolder(), requested, fileName)) {
        driver.Errors->RaiseWith(ErrorNumber::CannotOpenInclude, requested);
    }
    CheckNesting(fileName, false);
    std::string text;
    SourceText* pages = driver.Environment().Pages; // may be null
    const bool onPage = pages != nullptr && pages->PageText(fileName, text);
    if (!OpenSource(onPage ? "+" + fileName : fileName)) {
        driver.Errors->RaiseWith(ErrorNumber::CannotOpenInclude, requested);
    }
    return true;
}

// The folder of the nearest source on the stack that lives in a file or on a page.
std::string QbLexical::IncludeFolder() const
{
    for (auto reader = sources.rbegin(); reader != sources.rend(); ++reader) {
        if ((*reader)->HasFolder()) {
            return SourcePaths::FolderOf((*reader)->GetName());
        }
    }
    return SourcePaths::FolderOf("x");
}

void QbLexical::CheckNesting(const std::string& name, bool lineSource) const
{
    const bool tooDeep = Depth() >= MaxNesting;
    const bool reopened = std::any_of(sources.begin() + 1, sources.end(), [&](const auto& reader) {
        const bool isLine = reader->Kind() == QbSource::LineKind;
        return isLine == lineSource &&
               (isLine ? reader->GetName() : SourcePaths::MakeAbsolute(reader->GetName())) == name;
    });
    if (tooDeep || reopened) {
        driver.Errors->RaiseWith(ErrorNumber::NestingTooDeep, name);
    }
}

void QbLexical::SetTokenText(const std::string& text)
{
    Current().Token = text.substr(0, QbSource::MaxTokenLength);
}

void QbLexical::SetChar(char ch)
{
    Current().LookAhead = ch;
}

const std::string& QbLexical::LineText() const
{
    return Current().LineText;
}

int QbLexical::LineNumber() const
{
    return Current().LineNumber;
}

void QbLexical::SetLineNumber(int line)
{
    Current().LineNumber = line;
}

int QbLexical::Column() const
{
    return Current().Column;
}

void QbLexical::SetColumn(int column)
{
    Current().Column = column;
}

void QbLexical::GetPosition(int& line, int& column) const
{
    line = Current().LineNumber;
    column = Current().Column;
}

void QbLexical::TokenStart(int& line, int& column) const
{
    line = std::max(tokenLine - 1, 0);
    column = std::max(tokenColumn - 1, 0);
}

int QbLexical::LastLineIndex() const
{
    return Current().LastLineIndex();
}

std::string QbLexical::SourceName(bool stripExtension) const
{
    std::string name = Current().GetName();
    if (stripExtension) {
        const auto separator = name.find_last_of("/\\");
        const auto dot = name.find('.', separator == std::string::npos ? 0 : separator + 1);
        if (dot != std::string::npos) {
            name.resize(dot);
        }
    }
    std::transform(name.begin(), name.end(), name.begin(), UpperAscii);
    return name;
}

bool QbLexical::IsNestedSource() const
{
    return sources.size() > 1;
}

// ---------------------------------------------------------------------------------------------
// Sources

bool QbLexical::OpenSource(const std::string& name)
{
    recording = nullptr;
    driver.SetOptionA(OptionA::FarCalls, false);
    std::unique_ptr<QbSource> reader;
    std::string rest = name;
    if (name.empty()) {
        reader = std::make_unique<QbEditSource>();
    } else if (name[0] == '+') {
        reader = std::make_unique<QbEditSource>();
        rest = name.substr(1);
    } else if (name[0] == '#') {
        reader = std::make_unique<QbLineSource>();
        rest = name.substr(1);
    } else if (EndsWithUnitCode(name)) {
        driver.Errors->Raise(ErrorNumber::NotImplemented);
    } else {
        reader = std::make_unique<QbFileSource>();
    }
    sources.push_back(std::move(reader));
    if (Current().Open(rest, *this)) {
        NextToken();
        return true;
    }
    CloseSource();
    return false;
}

void QbLexical::CloseSource()
{
    if (!Current().Close()) {
        return;
    }
    const std::unique_ptr<QbSource> popped = std::move(sources.back());
    sources.pop_back();
    if (sources.size() == 1) {
        static_cast<QbNullSource&>(*sources.front()).TakeOver(*popped);
    }
}

void QbLexical::CloseAllSources()
{
    while (IsNestedSource()) {
        CloseSource();
    }
    pendingInclude.clear();
    recording = nullptr;
    headerPeek = false;
    if (translating) {
        translator.Finish();
        translating = false;
    }
}

void QbLexical::ReadLineAt(int index)
{
    QbSource& source = Current();
    source.ReadLine(index);
    if (index > 0) {
        tokenLine = index;
    }
    if (recording == nullptr) {
        return;
    }
    constexpr std::uint16_t ImplementationWord = 74;
    if (source.LineContainsWord(ImplementationWord)) {
        recording = nullptr;
    } else {
        recording->push_back(source.LineText);
    }
}

void QbLexical::StartRecording(std::vector<std::string>* list)
{
    recording = list;
    if (recording != nullptr) {
        recording->push_back(LineText());
    }
}

namespace {
// Puts back what PeekHeader changes, also when the peek raises: a stray header-peek mode would
// switch directives off for every later run.
class PeekScope
{
  public:
    PeekScope(QbLexical& owner, bool& peek, std::vector<std::string>*& recordingList)
        : lexer(owner), peekFlag(peek), recordingRef(recordingList), depth(owner.Depth()),
          wasPeeking(peek), wasRecording(recordingList),
          farCalls(owner.Driver().OptionA(OptionA::FarCalls))
    {
        peekFlag = true;
    }
    ~PeekScope()
    {
        while (lexer.Depth() > depth) {
            lexer.CloseSource();
        }
        peekFlag = wasPeeking;
        recordingRef = wasRecording;
        lexer.Driver().SetOptionA(OptionA::FarCalls, farCalls);
    }
    PeekScope(const PeekScope&) = delete;
    PeekScope& operator=(const PeekScope&) = delete;

  private:
    QbLexical& lexer;
    bool& peekFlag;
    std::vector<std::string>*& recordingRef;
    std::size_t depth;
    bool wasPeeking;
    std::vector<std::string>* wasRecording;
    bool farCalls;
};
} // namespace

void QbLexical::PeekHeader(const std::string& name, std::string& first, std::string& second)
{
    first.clear();
    second.clear();
    const PeekScope scope(*this, headerPeek, recording);
    if (!OpenSource("+" + name)) {
        return;
    }
    first = TokenText();
    NextToken();
    second = TokenText();
}

// ---------------------------------------------------------------------------------------------
// Positions

void QbLexical::SavePosition(LexicalPosition& position) const
{
    // A text's reader reads the line again from its own lines when it comes back (a call saves
    // a position on every execution: the copy of the line would be its only allocation).
    const QbSource& source = Current();
    const std::uint8_t kind = source.Kind();
    const bool ownLines = kind == QbSource::EditKind || kind == QbSource::FileKind;
    source.SavePosition(position, !(ownLines && source.LineNumber >= 1));
}

void QbLexical::RestorePosition(const LexicalPosition& position)
{
    QbSource& source = Current();
    const std::uint8_t kind = source.Kind();
    const bool reread = kind != QbSource::NullKind && position.Line >= 1;
    // A text's reader sets the line from its own lines: the saved copy is not needed.
    const bool ownLines = kind == QbSource::EditKind || kind == QbSource::FileKind;
    if (source.LineNumber == position.Line && reread && ownLines && recording == nullptr &&
        static_cast<QbTextSource&>(source).OnTextLine()) {
        // Back on the line it stands on: the line it holds is the one it would read again.
        source.RestorePosition(position, false);
        if (position.Line > 1) {
            tokenLine = position.Line - 1;
        }
        return;
    }
    source.RestorePosition(position, !(reread && ownLines) && position.LineKept);
    if (reread) {
        ReadLineAt(position.Line - 1);
    }
}

void QbLexical::Reposition(int line, int column)
{
    QbSource& source = Current();
    source.LineNumber = line;
    source.Column = std::max(column, 1);
    if (source.Kind() != QbSource::NullKind && line >= 1) {
        ReadLineAt(line - 1);
    }
    source.LookAhead = ' ';
    NextToken();
}

void QbLexical::TakeVDirective(std::uint16_t& a, std::uint16_t& b)
{
    Current().TakeVDirective(a, b);
}

// ---------------------------------------------------------------------------------------------
// Translation

void QbLexical::SetTranslation(bool on, int vocabulary, std::uint32_t styles,
                               std::vector<std::string>* output, int target)
{
    translating = on && output != nullptr && driver.Dictionary != nullptr;
    if (translating) {
        translator.Start(*driver.Dictionary, vocabulary, styles, *output, target);
    }
}

void QbLexical::ReportToTranslator(char kind, const std::string& text, std::uint16_t code)
{
    translator.Report(kind, text, code);
}
