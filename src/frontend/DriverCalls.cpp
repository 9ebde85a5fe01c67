// The driver's routine calls, USES support and the front-end slots' defaults.
#include "frontend/QbSyntaxe.h"

#include "diagnostics/Exceptions.h"

// A front-end that lacks a construct refuses it with the catalogue's own message.
void QbSyntaxe::ParseCondition()
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

TypePair QbSyntaxe::ParseExpression()
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

TypePair QbSyntaxe::ParseConstant(bool)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

void QbSyntaxe::ParseActualParameter(std::uint16_t)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

void QbSyntaxe::CallRoutine(int kind, std::uint16_t routine)
{
    Call(kind, routine);
}

int QbSyntaxe::ParseSignedArguments(const std::string&, std::vector<SignedArgument>&)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

bool QbSyntaxe::Compatible(std::uint16_t targetType, std::uint16_t sourceType, std::uint16_t,
                           std::uint16_t, std::int32_t, std::int32_t)
{
    return targetType == sourceType;
}

void QbSyntaxe::Call(int kind, std::uint16_t routine)
{
    ExecuteCall(kind, routine);
}

void QbSyntaxe::ExecuteCall(int, std::uint16_t)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

void QbSyntaxe::CallPredefined(std::uint16_t)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

void QbSyntaxe::ParseActualParameters(int, int, std::uint16_t, bool)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

TypePair QbSyntaxe::EvaluateForView()
{
    const bool executing = Execute;
    Execute = true;
    ++ViewEvaluations;
    try {
        const TypePair type = ParseExpression();
        --ViewEvaluations;
        Execute = executing;
        return type;
    } catch (...) {
        --ViewEvaluations;
        Execute = executing;
        throw;
    }
}

bool QbSyntaxe::ShowPosition(std::uint16_t, int, int)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

void QbSyntaxe::UseUnit(const std::string&)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

void QbSyntaxe::ActivateModule(int)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

int QbSyntaxe::FindModule(const std::string& name) const
{
    for (int slot = 0; slot < SlotCount && !ModuleSlots[slot].Name.empty(); ++slot) {
        if (ModuleSlots[slot].Name == name || ModuleSlots[slot].AltName == name) {
            return slot;
        }
    }
    return -1;
}

void QbSyntaxe::Emit(int, std::int32_t, std::int32_t)
{
    // The machine's code blocks receive instructions here once the compiler exists.
}
