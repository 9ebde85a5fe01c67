// The C lexer: multi-character operators, C comments and macro expansion.
#pragma once

#include "lexical/QbLexical.h"

#include <map>
#include <string>

// Created by the C driver with it. Operators of up to three characters ("<<=", "->", "++") are
// single tokens. An identifier that names a macro is replaced by the macro's text, read from a
// line source pushed on the stack; the front-end defines the macros as it reads #define lines.
class QbCLexical : public QbLexical
{
  public:
    explicit QbCLexical(QbSyntaxe& driver);

    void ScanSymbol(std::string& token) override;
    bool CheckComment(char& ch) override;
    void IdentifierHook(const std::string& token) override;
    void RestOfLine(std::string& text) override;

    void DefineMacro(const std::string& name, const std::string& replacement);
    void UndefineMacro(const std::string& name);
    // The replacement text, or null when `name` is no macro.
    const std::string* FindMacro(const std::string& name) const;
    void ClearMacros();

  private:
    std::map<std::string, std::string> macros;
};
