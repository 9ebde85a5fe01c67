// The concrete source readers: end-of-program lines, editor pages and files, single lines.
#include "diagnostics/QbGeserreurs.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbLexical.h"
#include "lexical/QbSource.h"
#include "lexical/SourcePaths.h"
#include "lexical/TextEncoding.h"

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
    lines = SplitLines(text);
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
    lineIndex = 0;
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
