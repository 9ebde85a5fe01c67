// The translator: a three-item queue of tokens re-worded as the parsers recognise them.
#include "lexical/QbTranslator.h"

#include "frontend/QbSyntaxe.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"

#include <algorithm>
#include <array>

namespace {
constexpr int IndentationLimit = 255;
constexpr std::array<int, 4> StyleOfBits = {4, 1, 2, 8};

int StyleField(std::uint32_t styles, int field)
{
    return StyleOfBits[(styles >> (2 * field)) & 3];
}
} // namespace

void QbTranslator::Start(QbDico& dico, int source, std::uint32_t styles,
                         std::vector<std::string>& lines, int target)
{
    queue.assign(3, Item{});
    lineBuffer.clear();
    pendingIndentation = 0;
    dico.LoadVocabulary(source);
    dico.LoadVocabulary(target);
    dictionary = &dico;
    sourceVocabulary = source;
    targetVocabulary = target;
    output = &lines;
    output->clear();
    reservedStyle = StyleField(styles, 0);
    typeStyle = StyleField(styles, 1);
    routineStyle = StyleField(styles, 2);
    assignmentStyle = StyleField(styles, 3);
    identifierStyle = StyleField(styles, 4);
}

std::string QbTranslator::Translate(const std::string& text, std::uint16_t code) const
{
    if (dictionary == nullptr || sourceVocabulary == targetVocabulary || code == 0) {
        return text;
    }
    return dictionary->WordText(code, targetVocabulary);
}

void QbTranslator::Report(char kind, const std::string& text, std::uint16_t code)
{
    if (!Active() || queue.size() != 3) {
        return;
    }
    // Past the end of the program the lexer reads the null source, which holds no program text.
    const QbSyntaxe& driver = dictionary->Driver();
    if (driver.Lexer != nullptr && !driver.Lexer->IsNestedSource() &&
        (kind == 'L' || kind == '-' || kind == 'A' || kind == 'S')) {
        return;
    }
    Item& oldest = queue[0];
    Item& middle = queue[1];
    Item& newest = queue[2];
    switch (kind) {
    case 'L':
        Shift(QbDico::ApplyCaseStyle(text, identifierStyle));
        break;
    case 'T':
        oldest.Text = QbDico::ApplyCaseStyle(Translate(text, code), reservedStyle);
        break;
    case 'C':
    case 'V':
        middle.Text = QbDico::ApplyCaseStyle(Translate(text, code), reservedStyle);
        break;
    case 'Y':
        middle.Text = QbDico::ApplyCaseStyle(Translate(text, code), typeStyle);
        break;
    case 'P':
        oldest.Text = QbDico::ApplyCaseStyle(Translate(text, code), routineStyle);
        break;
    case 'G':
    case 'F': {
        // An empty wording is the symbol ":=" itself; a worded assignment is set off by blanks.
        const std::string wording = dictionary->WordText(code, targetVocabulary);
        middle.Text =
            wording.empty() ? ":=" : QbDico::ApplyCaseStyle(wording, assignmentStyle) + " ";
        if (kind == 'F') {
            oldest.Text = " ";
        }
        break;
    }
    case 'M':
        oldest.Text +=
            QbDico::ApplyCaseStyle(dictionary->WordText(code, targetVocabulary), reservedStyle);
        break;
    case 'S':
        middle.Text = text;
        middle.Followers.insert(middle.Followers.end(), newest.Followers.begin(),
                                newest.Followers.end());
        newest.Followers.clear();
        break;
    case 'A':
        FollowedItem().Followers.push_back({false, text, 0});
        break;
    case '-':
        FollowedItem().Followers.push_back({true, std::string(), code});
        break;
    default:
        break;
    }
}

void QbTranslator::Finish()
{
    if (!Active()) {
        return;
    }
    // Three empty tokens push every waiting item through the queue, with the comments and line
    // breaks that followed the last token.
    for (int i = 0; i < 3; ++i) {
        Shift(std::string());
    }
    if (!lineBuffer.empty()) {
        output->push_back(lineBuffer);
    }
    lineBuffer.clear();
    output = nullptr;
}

bool QbTranslator::IsIdentifierChar(char ch) const
{
    const char mapped = dictionary != nullptr ? dictionary->MapAccent(ch) : ch;
    const auto byte = static_cast<unsigned char>(mapped);
    if ((mapped >= 'A' && mapped <= 'Z') || (mapped >= 'a' && mapped <= 'z') ||
        (mapped >= '0' && mapped <= '9') || mapped == '_') {
        return true;
    }
    return dictionary != nullptr && dictionary->Driver().ExtraLetters.test(byte);
}

void QbTranslator::Shift(const std::string& text)
{
    WriteOldest();
    queue.erase(queue.begin());
    queue.back().Text = text;
    queue.emplace_back();
}

QbTranslator::Item& QbTranslator::FollowedItem()
{
    const QbSyntaxe& driver = dictionary->Driver();
    if (driver.Lexer != nullptr) {
        const char lookAhead = driver.Lexer->CurrentChar();
        if (lookAhead == ' ' || lookAhead == '\t') {
            return queue[1];
        }
    }
    return queue[2];
}

void QbTranslator::AppendToLine(const std::string& text)
{
    if (lineBuffer.empty() && pendingIndentation > 0) {
        lineBuffer.assign(static_cast<std::size_t>(std::min(pendingIndentation, IndentationLimit)),
                          ' ');
    }
    pendingIndentation = 0;
    // Re-worded lines may outgrow the 255 characters of a source line; they are kept whole.
    lineBuffer += text;
}

void QbTranslator::WriteOldest()
{
    const Item& item = queue.front();
    if (!item.Text.empty()) {
        // Two words would run together; so would a literal and the word after it ('' THEN).
        const bool separate = !lineBuffer.empty() && IsIdentifierChar(item.Text.front()) &&
                              (IsIdentifierChar(lineBuffer.back()) || lineBuffer.back() == '\'' ||
                               lineBuffer.back() == '"');
        AppendToLine(separate ? " " + item.Text : item.Text);
    }
    for (const Follower& follower : item.Followers) {
        if (follower.IsBreak) {
            output->push_back(lineBuffer);
            lineBuffer.clear();
            pendingIndentation = follower.Indentation;
        } else if (!follower.Comment.empty()) {
            const bool separate = !lineBuffer.empty() && lineBuffer.back() != ' ';
            AppendToLine(separate ? " " + follower.Comment : follower.Comment);
        }
    }
}
