// Where the interpreter goes back to when it reads a loop body or a routine again.
#pragma once

#include "lexical/QbLexical.h"

// A reading position and the start of the token read there, so that an error raised on that
// token when it is read again points at it.
struct ReadingPosition
{
    LexicalPosition Lexical;
    int Line = 0;
    int Column = 0;
};

inline void SaveReading(const QbLexical& lexer, ReadingPosition& position)
{
    lexer.SavePosition(position.Lexical);
    lexer.TokenStart(position.Line, position.Column);
}

inline void RestoreReading(QbLexical& lexer, const ReadingPosition& position)
{
    lexer.RestorePosition(position.Lexical);
    lexer.MarkTokenStart(position.Line + 1, position.Column + 1);
}
