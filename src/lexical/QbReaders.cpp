// The concrete source readers: end-of-program lines, editor pages and files, single lines.
#include "diagnostics/QbGeserreurs.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbLexical.h"
#include "lexical/QbSource.h"
#include "lexical/SourcePaths.h"
#include "lexical/TextEncoding.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

bool QbSource::ReadWholeFile(const std::string& fileName, std::string& text)
{
    const std::string path = SourcePaths::MakeAbsolute(fileName);
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error)) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    if (file.bad()) {
        return false;
    }
    text.clear();
    bool first = true;
    for (const std::string& line : SplitLines(TextEncoding::DecodeFileText(bytes))) {
        if (!first) {
            text += "\r\n";
        }
        text += line;
        first = false;
    }
    return true;
}

std::vector<std::string> QbSource::SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char ch = text[i];
        if (ch != '\r' && ch != '\n') {
            ++i;
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        i += (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

// ---------------------------------------------------------------------------------------------

bool QbNullSource::Open(const std::string& sourceName, QbLexical& lexer)
{
    QbSource::Open(sourceName, lexer);
    remainingEndLines = EndLines;
    return true;
}

void QbNullSource::ReadLine(int)
{
    LineText = ".";
    if (remainingEndLines == 0) {
        Driver().Errors->Raise(ErrorNumber::UnexpectedEndOfSource);
    }
    --remainingEndLines;
}

void QbNullSource::TakeOver(const QbSource& last)
{
    name = last.GetName();
    LineNumber = last.LineNumber;
    Column = last.Column;
    remainingEndLines = EndLines;
    Token.clear();
    LookAhead = ' ';
    LineText.clear();
    CommentText.clear();
    CommentDetection = true;
}

// ---------------------------------------------------------------------------------------------

bool QbTextSource::SetText(const std::string& text)
{
    static std::atomic<std::uint64_t> texts{0};
    number = ++texts;
    lines = SplitLines(text);
    kept.clear();
    skips.clear();
    plans.clear();
    lineIndex = 0;
    return !lines.empty();
}

bool QbTextSource::AtEnd() const
{
    return lineIndex >= lines.size();
}

void QbTextSource::ReadLine(int index)
{
    if (index >= 0) {
        lineIndex = std::min(static_cast<std::size_t>(index), lines.size());
    }
    if (lineIndex >= lines.size()) {
        LineText.clear();
        return;
    }
    const std::string& line = lines[lineIndex];
    CheckLineLength(line, static_cast<int>(lineIndex) + 1);
    LineText = line;
    ++lineIndex;
}

bool QbTextSource::Close()
{
    lines.clear();
    kept.clear();
    skips.clear();
    plans.clear();
    lineIndex = 0;
    return true;
}

const QbTextSource::KeptToken* QbTextSource::FindKept(std::uint32_t options) const
{
    return Find(kept, options, 0, 0);
}

const QbTextSource::KeptToken* QbTextSource::FindSkip(std::uint32_t options, int tokenLine,
                                                      int tokenColumn) const
{
    return Find(skips, options, tokenLine, tokenColumn);
}

const QbTextSource::KeptToken* QbTextSource::Find(const std::vector<KeptLine>& from,
                                                  std::uint32_t options, int tokenLine,
                                                  int tokenColumn) const
{
    if (!OnTextLine() || static_cast<std::size_t>(LineNumber) >= from.size()) {
        return nullptr;
    }
    const KeptLine& line = from[static_cast<std::size_t>(LineNumber)];
    const auto column = static_cast<std::size_t>(Column);
    if (column >= line.FirstAt.size()) {
        return nullptr;
    }
    for (std::int16_t at = line.FirstAt[column]; at >= 0;) {
        const KeptToken& entry = line.Tokens[static_cast<std::size_t>(at)];
        if (entry.LookAhead == LookAhead && entry.CommentDetection == CommentDetection &&
            entry.Options == options && entry.KeyTokenLine == tokenLine &&
            entry.KeyTokenColumn == tokenColumn) {
            return &entry;
        }
        at = entry.Next;
    }
    return nullptr;
}

const QbTextSource::KeptToken* QbTextSource::FindPlan(std::uint32_t options, int tokenLine,
                                                      int tokenColumn) const
{
    return Find(plans, options, tokenLine, tokenColumn);
}

void QbTextSource::Replay(const KeptToken& entry)
{
    Token = entry.Token;
    if (entry.EndLine != LineNumber) {
        // Keep only ends on lines of this text (see Keep), so the index is in range.
        LineNumber = entry.EndLine;
        lineIndex = static_cast<std::size_t>(entry.EndLine);
        LineText = lines[lineIndex - 1];
    }
    Column = entry.EndColumn;
    LookAhead = entry.EndLookAhead;
    CommentDetection = entry.EndCommentDetection;
}

void QbTextSource::Capture(KeptToken& entry) const
{
    entry.Token = Token;
    entry.EndLine = LineNumber;
    entry.EndColumn = Column;
    entry.EndLookAhead = LookAhead;
    entry.EndCommentDetection = CommentDetection;
}

void QbTextSource::Keep(KeptToken entry, int startLine)
{
    Store(kept, std::move(entry), startLine);
}

void QbTextSource::KeepSkip(KeptToken entry, int startLine)
{
    Store(skips, std::move(entry), startLine);
}

bool QbTextSource::KeepPlan(KeptToken entry, int startLine)
{
    return Store(plans, std::move(entry), startLine);
}

bool QbTextSource::Store(std::vector<KeptLine>& into, KeptToken entry, int startLine)
{
    if (!OnTextLine() || startLine < 1 || static_cast<std::size_t>(startLine) > lines.size() ||
        entry.Column < 1) {
        return false;
    }
    if (into.size() <= lines.size()) {
        into.resize(lines.size() + 1);
    }
    KeptLine& line = into[static_cast<std::size_t>(startLine)];
    // A line is entered in few states; beyond a handful something unusual is going on and
    // reading it the slow way is cheaper than a long search.
    constexpr std::size_t MaxKeptPerLine = 256;
    if (line.Tokens.size() >= MaxKeptPerLine) {
        return false;
    }
    const auto column = static_cast<std::size_t>(entry.Column);
    if (line.FirstAt.size() <= column) {
        line.FirstAt.resize(column + 1, -1);
    }
    Capture(entry);
    entry.Next = line.FirstAt[column];
    line.FirstAt[column] = static_cast<std::int16_t>(line.Tokens.size());
    line.Tokens.push_back(std::move(entry));
    return true;
}

bool QbEditSource::Open(const std::string& sourceName, QbLexical& lexer)
{
    QbSource::Open(sourceName, lexer);
    SourceText* pages = Driver().Environment().Pages; // may be null
    const std::string pageName =
        sourceName.empty() && pages != nullptr ? pages->CurrentPageName() : sourceName;
    std::string text;
    if (pages != nullptr && pages->PageText(pageName, text)) {
        return SetText(text);
    }
    return !pageName.empty() && ReadWholeFile(pageName, text) && SetText(text);
}

bool QbFileSource::Open(const std::string& sourceName, QbLexical& lexer)
{
    QbSource::Open(sourceName, lexer);
    std::string text;
    return ReadWholeFile(sourceName, text) && SetText(text);
}

bool QbLineSource::Open(const std::string& request, QbLexical& lexer)
{
    const auto hash = request.find('#');
    QbSource::Open(request.substr(0, hash), lexer);
    if (hash == std::string::npos || hash + 1 >= request.size()) {
        return false;
    }
    const std::string text = request.substr(hash + 1);
    // The line is not in any file: the error stays at the token that asked for it.
    if (text.size() > MaxLineLength) {
        Driver().Errors->Raise(ErrorNumber::LineTooLong);
    }
    LineText = text;
    return true;
}
