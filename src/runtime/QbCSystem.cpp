// The C System module: default words, word lists and the complexity usage text.
#include "runtime/QbCSystem.h"

#include <array>

namespace {
// Words 33 and 34 are both "while": the loop and the tail of do ... while. Word 27 is the
// selection statement that takes a parenthesised expression.
constexpr std::array<const char*, 44> ReservedWords = {
    "asm",     "auto",   "break",    "case",     "bool",   "char",     "const",  "continue",
    "default", "do",     "double",   "enum",     "extern", "float",    "for",    "goto",
    "if",      "int",    "long",     "register", "return", "short",    "signed", "sizeof",
    "static",  "struct", "end",      "typedef",  "union",  "unsigned", "void",   "volatile",
    "while",   "while",  "database", "user",     "=",      "model",    "true",   "false",
    "NULL",    "else",   "include",  "define"};

std::array<const char*, QbCSystem::WordTotal> MakeWordList()
{
    std::array<const char*, QbCSystem::WordTotal> words{};
    words.fill("");
    for (std::size_t i = 0; i < ReservedWords.size(); ++i) {
        words[i] = ReservedWords[i];
    }
    words[QbCSystem::ComplexityWord - 1] = "complexity";
    return words;
}
} // namespace

std::uint16_t QbCSystem::DefaultWords()
{
    const auto words = MakeWordList();
    return FillDefaults("SYSTEM", words.data(), WordTotal);
}

std::uint8_t QbCSystem::ModuleNumber(std::uint8_t& /*counter*/)
{
    return 128;
}

std::uint8_t QbCSystem::WordCategory() const
{
    return WordStyle::Reserved;
}

void QbCSystem::ListWords(std::vector<std::string>& list, int vocabulary) const
{
    for (int index = 1; index <= WordCount(); ++index) {
        const std::string& word = RawWord(vocabulary, index);
        if (!word.empty()) {
            const auto style =
                index == ComplexityWord ? WordStyle::SystemRoutine : WordStyle::Reserved;
            list.push_back(word + ";" + std::to_string(style));
        }
    }
}

std::string QbCSystem::WordHint(const std::string& word, int vocabulary) const
{
    if (FindWord(word, vocabulary) != CodeOf(ComplexityWord)) {
        return {};
    }
    return "complexity(n): measures the instructions of the function as a function of the int n";
}
