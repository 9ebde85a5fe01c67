// The lexer's matching of vocabulary words and symbols, and its reading of literals.
#include "frontend/QbSyntaxe.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {
bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

bool StartsWithDigit(const std::string& text)
{
    return !text.empty() && IsDigit(text[0]);
}

std::string LeadingDigits(const std::string& text)
{
    std::size_t count = 0;
    while (count < text.size() && IsDigit(text[count])) {
        ++count;
    }
    return text.substr(0, count);
}

// A decimal real as the parsers wrote it: digits, an optional fraction and exponent. Beyond the
// range of the type the value is infinite or zero.
long double ToReal(const std::string& text, bool negativeExponent)
{
    long double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        return negativeExponent ? 0.0L : HUGE_VALL;
    }
    return error == std::errc() ? value : 0.0L;
}

// Byte equality with the cheap tests first: most comparisons of a token with a word or symbol
// fail on the length or the first character.
bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && (a.empty() || (a[0] == b[0] && a == b));
}

const std::string NoWord;

inline const std::string& WordOf(const QbSyntaxe& driver, std::uint16_t code)
{
    return driver.Dictionary ? driver.Dictionary->WordTextRef(code) : NoWord;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Matching

bool QbLexical::MayBeWord() const
{
    return !driver.Dictionary || driver.Dictionary->MayBeWord(TokenText());
}

bool QbLexical::MayBeOneOf(WordShapes& shapes, std::initializer_list<std::uint16_t> codes) const
{
    const QbDico* dictionary = driver.Dictionary.get();
    const std::string& text = TokenText();
    if (dictionary == nullptr || text.empty() || text.size() >= 64) {
        return true;
    }
    const std::uint64_t stamp = dictionary->WordingStamp();
    if (!shapes.Known || shapes.Stamp != stamp) {
        shapes.Bits.fill(0);
        shapes.Known = true;
        shapes.Unsure = false;
        shapes.Stamp = stamp;
        for (const std::uint16_t code : codes) {
            const std::string& word = dictionary->WordTextRef(code);
            if (word.empty() || word.size() >= 64) {
                shapes.Unsure = true;
            } else {
                shapes.Bits[static_cast<std::uint8_t>(word[0])] |= std::uint64_t{1} << word.size();
            }
        }
    }
    if (shapes.Unsure) {
        return true;
    }
    return ((shapes.Bits[static_cast<std::uint8_t>(text[0])] >> text.size()) & 1) != 0;
}

bool QbLexical::IsWord(std::uint16_t code)
{
    if (driver.Dictionary && !driver.Dictionary->MayBeWord(TokenText())) {
        return false;
    }
    const bool match = SameText(TokenText(), WordOf(driver, code));
    if (match) {
        Notify('C', TokenText(), code);
    }
    return match;
}

bool QbLexical::AcceptWord(std::uint16_t code)
{
    if (driver.Dictionary && !driver.Dictionary->MayBeWord(TokenText())) {
        return false;
    }
    if (!SameText(TokenText(), WordOf(driver, code))) {
        return false;
    }
    if (!translating) {
        NextToken();
        return true;
    }
    const std::string token = TokenText();
    NextToken();
    Notify('T', token, code);
    return true;
}

void QbLexical::ExpectWord(std::uint16_t code)
{
    // Only read before the next token, which is the last thing done here.
    const std::string& word = WordOf(driver, code);
    if (word.empty()) {
        return;
    }
    Notify('V', TokenText(), code);
    if (TokenText() != word) {
        driver.Errors->RaiseWith(ErrorNumber::ReservedWordExpected, word);
    }
    NextToken();
}

bool QbLexical::AcceptSymbol(std::string_view text)
{
    // A token holds at most MaxTokenLength characters: a longer symbol matches by its prefix.
    if (!SameText(TokenText(), text.substr(0, QbSource::MaxTokenLength))) {
        return false;
    }
    NextToken();
    return true;
}

void QbLexical::ExpectSymbol(std::string_view text)
{
    if (!AcceptSymbol(text)) {
        driver.Errors->RaiseWith(ErrorNumber::ReservedWordExpected, std::string(text));
    }
}

// The assignment symbols (words 93 and 94): ":" "=" when unworded, a word, or a symbol whose
// characters arrive as one-character tokens.
void QbLexical::ExpectCompound(std::uint16_t code)
{
    const std::string word = WordOf(driver, code);
    if (word.empty()) {
        ExpectSymbol(":");
        Notify('F', TokenText(), code);
        ExpectSymbol("=");
        return;
    }
    Notify('G', TokenText(), code);
    if (IsIdentifierChar(word[0])) {
        if (TokenText() != word) {
            driver.Errors->RaiseWith(ErrorNumber::ReservedWordExpected, word);
        }
        NextToken();
        return;
    }
    for (const char ch : word) {
        ExpectSymbol(std::string(1, ch));
    }
}

std::string QbLexical::ExpectIdentifier()
{
    const std::string name = TokenText();
    if (name.empty() || !IsIdentifierStart(name[0])) {
        driver.Errors->Raise(ErrorNumber::IdentifierExpected);
    }
    NextToken();
    return name;
}

int QbLexical::WhichSimpleType()
{
    // BOOLEAN, CHAR, BOOLEAN, BYTE, INTEGER, WORD, LONGINT, REAL: the position is the type's
    // place in the parsers' tables.
    static constexpr std::array<std::uint16_t, 8> Codes = {67, 68, 67, 63, 64, 65, 66, 69};
    for (std::size_t i = 0; i < Codes.size(); ++i) {
        if (SameText(TokenText(), WordOf(driver, Codes[i]))) {
            Notify('Y', TokenText(), Codes[i]);
            return static_cast<int>(i);
        }
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Literals

// The current token is the opening quote and the look-ahead the literal's first character, read
// past the quote with comment detection off. The literal is taken again from the line itself so
// that no accent mapping or case folding touches it.
std::string QbLexical::ReadQuoted(char quote)
{
    QbSource& source = Current();
    source.CommentDetection = true;
    const std::string line = source.LineText;
    if (source.LineNumber != tokenLine || source.Column < 2 ||
        static_cast<std::size_t>(source.Column) - 2 >= line.size()) {
        driver.Errors->Raise(ErrorNumber::StringNotFinished);
    }
    const std::size_t first = static_cast<std::size_t>(source.Column) - 2;
    std::size_t at = first;
    std::string text;
    for (;;) {
        if (at >= line.size()) {
            driver.Errors->Raise(ErrorNumber::StringNotFinished);
        }
        const char ch = line[at++];
        if (backslashEscapes && ch == '\\' && at < line.size()) {
            text += ch;
            text += line[at++];
            continue;
        }
        if (ch == quote) {
            if (at < line.size() && line[at] == quote) {
                text += quote;
                ++at;
                continue;
            }
            break;
        }
        text += ch;
    }
    // The translator takes the literal as written after the line break its look-ahead may cross.
    const std::size_t opening = first > 0 ? first - 1 : 0;
    source.Column = static_cast<int>(at) + 1;
    Advance();
    Notify('S', line.substr(opening, at - opening), 0);
    return text;
}

std::uint32_t QbLexical::ReadHexDigits()
{
    std::uint32_t value = 0;
    for (;;) {
        const char ch = CurrentChar();
        std::uint32_t digit = 0;
        if (IsDigit(ch)) {
            digit = static_cast<std::uint32_t>(ch - '0');
        } else if (ch >= 'A' && ch <= 'F') {
            digit = static_cast<std::uint32_t>(ch - 'A' + 10);
        } else if (lowerCaseHex && ch >= 'a' && ch <= 'f') {
            digit = static_cast<std::uint32_t>(ch - 'a' + 10);
        } else {
            return value;
        }
        value = value * 16 + digit;
        Advance();
    }
}

// Called with the integer part as the current token; leaves the token after the number current.
// A fraction may be followed by an exponent (1.5E3 is 1500).
long double QbLexical::ReadRealRest()
{
    std::string text = TokenText();
    const auto isExponent = [](char ch) { return ch == 'E' || ch == 'e'; };
    if (CurrentChar() == '.') {
        Advance();
        NextToken();
        if (!StartsWithDigit(TokenText())) {
            return ToReal(text, false);
        }
        text += "." + TokenText();
        const bool exponentFollows = isExponent(CurrentChar());
        NextToken();
        if (!exponentFollows) {
            return ToReal(text, false);
        }
    } else if (isExponent(CurrentChar())) {
        NextToken();
    } else {
        NextToken();
        return ToReal(text, false);
    }
    // The current token begins with the exponent letter: "E3", or "E" before a sign.
    if (TokenText().empty() || !isExponent(TokenText()[0])) {
        return ToReal(text, false);
    }
    std::string exponent = TokenText().substr(1);
    if (exponent.empty()) {
        NextToken();
        if (TokenText() == "+" || TokenText() == "-") {
            exponent = TokenText();
            NextToken();
        }
        if (StartsWithDigit(TokenText())) {
            exponent += TokenText();
            NextToken();
        }
    } else {
        exponent = LeadingDigits(exponent);
        NextToken();
    }
    text += "E" + exponent;
    return ToReal(text, !exponent.empty() && exponent[0] == '-');
}
