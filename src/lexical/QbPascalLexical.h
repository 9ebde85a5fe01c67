// The Pascal lexer: one-character symbols and the Pascal comments and directives.
#pragma once

#include "lexical/QbLexical.h"

// Created by the Pascal driver with it. Every symbol is one character long: ":=", "<=", "<>",
// ">=" and ".." reach the parsers as two tokens, which they join with AcceptSymbol and the
// look-ahead. "(." and ".)" are read as "[" and "]".
class QbPascalLexical : public QbLexical
{
  public:
    explicit QbPascalLexical(QbSyntaxe& driver);

    void ScanSymbol(std::string& token) override;
    bool CheckComment(char& ch) override;
    void IdentifierHook(const std::string&) override {}
    void RestOfLine(std::string&) override {}
};
