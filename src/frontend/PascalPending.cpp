// Pascal front-end slots whose constructs are not read yet: each is refused with error 240.
// A routine leaves this file when its construct family is written.
#include "frontend/QbPascalSyntaxe.h"

void QbPascalSyntaxe::ParseCondition()
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

TypePair QbPascalSyntaxe::ParseExpression()
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

TypePair QbPascalSyntaxe::ParseConstant(bool)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

void QbPascalSyntaxe::ParseActualParameter(std::uint16_t)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

int QbPascalSyntaxe::ParseSignedArguments(const std::string&, std::vector<SignedArgument>&)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

bool QbPascalSyntaxe::Compatible(std::uint16_t targetType, std::uint16_t sourceType,
                                 std::uint16_t, std::uint16_t, std::int32_t, std::int32_t)
{
    return targetType == sourceType;
}

bool QbPascalSyntaxe::FindWithField(std::string_view, EntryNumber, EntryNumber&)
{
    return false;
}

void QbPascalSyntaxe::StoreWithDepth(EntryNumber) {}
