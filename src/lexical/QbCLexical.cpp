// The C lexer.
#include "lexical/QbCLexical.h"

QbCLexical::QbCLexical(QbSyntaxe& driverRef) : QbLexical(driverRef)
{
    quoteChars = "'\"";
    backslashEscapes = true;
    lowerCaseHex = true;
}

void QbCLexical::ScanSymbol(std::string& token)
{
    const char first = CurrentChar();
    token.assign(1, first);
    Advance();
    const char next = CurrentChar();
    bool taken = false;
    switch (first) {
    case '&':
    case '+':
    case '|':
        taken = next == '=' || next == first;
        break;
    case '-':
        taken = next == '=' || next == '>' || next == '-';
        break;
    case '<':
    case '>':
        taken = next == '=' || next == first;
        break;
    case '!':
    case '%':
    case '*':
    case '/':
    case '=':
    case '^':
        taken = next == '=';
        break;
    default:
        break;
    }
    if (!taken) {
        return;
    }
    token += next;
    Advance();
    // "<<=" and ">>=": only a doubled shift takes a third character.
    if ((first == '<' || first == '>') && next == first && CurrentChar() == '=') {
        token += '=';
        Advance();
    }
}

bool QbCLexical::CheckComment(char& ch)
{
    return Current().CheckCComment(ch);
}

void QbCLexical::IdentifierHook(const std::string& token)
{
    const std::string* replacement = FindMacro(token);
    if (replacement == nullptr) {
        return;
    }
    CheckNesting(token, true);
    SetTokenText(std::string());
    // An empty macro still gets a source, which ends at once: the token after it is read from
    // the text that follows the macro's name.
    OpenSource("#" + token + "#" + (replacement->empty() ? std::string(" ") : *replacement));
}

// The text of a #define after its name: the current token, the look-ahead when it is not a
// blank, the rest of the line, and the lines a final "\" continues. When the look-ahead was read
// across the line end (column 1) the token ended its line: the line now current is the next one
// and is left to be read.
void QbCLexical::RestOfLine(std::string& text)
{
    QbSource& source = Current();
    text = source.Token;
    if (source.Column < 2) {
        return;
    }
    if (source.LookAhead != ' ' && source.LookAhead != '\t') {
        text += source.LookAhead;
    }
    if (static_cast<std::size_t>(source.Column) <= source.LineText.size()) {
        text += source.LineText.substr(static_cast<std::size_t>(source.Column) - 1);
    }
    while (!text.empty() && text.back() == '\\' && !source.AtEnd()) {
        text.pop_back();
        ReadLineAt(-1);
        ++source.LineNumber;
        text += " " + source.LineText;
    }
    if (!text.empty() && text.back() == '\\') {
        text.pop_back();
    }
    source.Column = static_cast<int>(source.LineText.size()) + 1;
    source.LookAhead = ' ';
}

void QbCLexical::DefineMacro(const std::string& name, const std::string& replacement)
{
    macros[name] = replacement;
}

void QbCLexical::UndefineMacro(const std::string& name)
{
    macros.erase(name);
}

const std::string* QbCLexical::FindMacro(const std::string& name) const
{
    const auto found = macros.find(name);
    return found == macros.end() ? nullptr : &found->second;
}

void QbCLexical::ClearMacros()
{
    macros.clear();
}
