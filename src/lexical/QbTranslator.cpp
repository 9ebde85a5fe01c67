// The translator: a three-item queue of tokens re-worded as the parsers recognise them.
#include "lexical/QbTranslator.h"

#include "frontend/QbSyntaxe.h"
#include "lexical/QbDico.h"

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
    Item& oldest = queue[0];
    Item& middle = queue[1];
    Item& newest = queue[2];
    switch (kind) {
    case 'L':
        WriteOldest();
        queue.erase(queue.begin());
        queue.back().Text = QbDico::ApplyCaseStyle(text, identifierStyle);
        queue.emplace_back();
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
        middle.LineBreaks += newest.LineBreaks;
        newest.LineBreaks = 0;
        break;
    case 'A':
        newest.Comments.push_back(text);
        break;
    case '-':
        ++newest.LineBreaks;
        newest.Indentation = code;
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
        Report('L', "", 0);
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

void QbTranslator::AppendToLine(const std::string& text)
{
    // Re-worded lines may outgrow the 255 characters of a source line; they are kept whole.
    lineBuffer += text;
}

void QbTranslator::WriteOldest()
{
    const Item& item = queue.front();
    if (!item.Text.empty() || !item.Comments.empty()) {
        // The indentation of a line is put down with its first text.
        if (lineBuffer.empty() && pendingIndentation > 0) {
            lineBuffer.assign(
                static_cast<std::size_t>(std::min<int>(pendingIndentation, IndentationLimit)), ' ');
        }
        pendingIndentation = 0;
    }
    if (!item.Text.empty()) {
        if (!lineBuffer.empty() && IsIdentifierChar(lineBuffer.back()) &&
            IsIdentifierChar(item.Text.front())) {
            AppendToLine(" ");
        }
        AppendToLine(item.Text);
    }
    if (!item.Comments.empty()) {
        const bool blankBefore = !lineBuffer.empty() && lineBuffer.back() != ' ';
        AppendToLine((blankBefore ? " " : "") + item.Comments.front());
    }
    if (item.LineBreaks > 0) {
        pendingIndentation = item.Indentation;
    }
    const std::size_t commentLines = item.Comments.size();
    int breaks = item.LineBreaks;
    if (breaks == 0 && commentLines > 1) {
        // Pieces of a comment reported without their breaks still go on lines of their own; the
        // text that follows continues the comment's last line.
        output->push_back(lineBuffer);
        for (std::size_t i = 1; i + 1 < commentLines; ++i) {
            output->push_back(item.Comments[i]);
        }
        lineBuffer = item.Comments.back();
        return;
    }
    bool first = true;
    while (breaks > 0) {
        output->push_back(lineBuffer);
        lineBuffer.clear();
        --breaks;
        if (first && commentLines > 1) {
            // A comment spanning lines carries its own breaks: each further piece ends one.
            for (std::size_t i = 1; i < commentLines; ++i) {
                output->push_back(item.Comments[i]);
            }
            breaks -= static_cast<int>(commentLines) - 1;
        }
        first = false;
    }
}
