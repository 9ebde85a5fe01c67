// The translator: re-words a program, token by token as it is read, into another vocabulary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QbDico;

// Lives in the lexer; idle until Start, writes its lines into the borrowed output at Finish.
// The lexer reports every token ("L"), line end ("-"), string literal ("S") and comment piece
// ("A"); the parsers report the words they recognise ("T", "C", "V", "Y", "P", "G", "F", "M").
// Three items wait in a queue: the previous token (oldest), the current one (middle) and the one
// being scanned (newest). Line breaks and comment pieces go to the newest item and are written
// after its text, so they must be reported while the token they follow is scanned, before that
// token's own "L" (as a line end crossed by the look-ahead after a token is).
class QbTranslator
{
  public:
    // `styles`: five 2-bit case styles, lowest first: reserved words, type words, predefined
    // routines, assignment symbols, identifiers.
    // The source and target vocabularies are loaded if they were never selected.
    void Start(QbDico& dictionary, int sourceVocabulary, std::uint32_t styles,
               std::vector<std::string>& output, int targetVocabulary);
    void Report(char kind, const std::string& text, std::uint16_t code);
    void Finish();
    bool Active() const { return output != nullptr; }
    std::string Translate(const std::string& text, std::uint16_t code) const;

  private:
    struct Item
    {
        std::vector<std::string> Comments;
        std::string Text;
        int LineBreaks = 0;
        int Indentation = 0;
    };
    void WriteOldest();
    // Letters, digits, "_" and the program's extra letters, after accent mapping.
    bool IsIdentifierChar(char ch) const;
    // Appends to the output line being built.
    void AppendToLine(const std::string& text);

    std::vector<Item> queue;
    std::string lineBuffer;
    int pendingIndentation = 0;
    const QbDico* dictionary = nullptr;
    int sourceVocabulary = 0;
    int targetVocabulary = 0;
    std::vector<std::string>* output = nullptr;
    int identifierStyle = 4;
    int reservedStyle = 4;
    int typeStyle = 4;
    int routineStyle = 4;
    int assignmentStyle = 4;
};
