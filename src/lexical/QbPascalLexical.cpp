// The Pascal lexer.
#include "lexical/QbPascalLexical.h"

QbPascalLexical::QbPascalLexical(QbSyntaxe& driverRef) : QbLexical(driverRef)
{
    keepTokens = true;
}

void QbPascalLexical::ScanSymbol(std::string& token)
{
    token.assign(1, CurrentChar());
    Advance();
}

bool QbPascalLexical::CheckComment(char& ch)
{
    return Current().CheckPascalComment(ch);
}
