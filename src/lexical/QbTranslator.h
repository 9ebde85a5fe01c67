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
// being scanned (newest). Line breaks and comment pieces follow a token in the source; each item
// keeps those that follow its token, in their order, and they are written after its text. A
// break or comment met while a token is scanned (the look-ahead after its last character) goes
// to the newest item; one met between tokens (the lexer's look-ahead is a blank) follows the
// current token and goes to the middle item.
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
    // A line break (with the indentation of the line it opens) or a piece of comment text.
    struct Follower
    {
        bool IsBreak = false;
        std::string Comment;
        int Indentation = 0;
    };
    struct Item
    {
        std::string Text;
        std::vector<Follower> Followers;
    };
    // The item that a line break or comment reported now follows.
    Item& FollowedItem();
    // A token arrives: the oldest item is written and leaves, `text` becomes the current token.
    void Shift(const std::string& text);
    void WriteOldest();
    // Letters, digits, "_" and the program's extra letters, after accent mapping.
    bool IsIdentifierChar(char ch) const;
    // Appends to the output line being built, after the pending indentation when it opens it.
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
