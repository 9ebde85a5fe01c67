// Breakpoint conditions: an expression of the program, read from its own one-line source at a
// step point and evaluated in the scope the run has reached.
#include "diagnostics/Exceptions.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbLexical.h"
#include "runtime/QbGesdata.h"

bool QbSyntaxe::EvaluateCondition(const std::string& name, const std::string& text)
{
    if (!Execute || Lexer == nullptr) {
        return false;
    }
    const std::size_t depth = Lexer->Depth();
    const int stacked = Data->EvaluationCount();
    const bool wasSilent = silent;
    const bool microStep = MicroStep;
    // The condition's own step points (calls, pushes) must not reach the pupil's views.
    SetSilent(true);
    MicroStep = false;
    const auto restore = [&] {
        while (Lexer->Depth() > depth) {
            Lexer->CloseSource();
        }
        while (Data->EvaluationCount() > stacked) {
            Data->Pop();
        }
        SetSilent(wasSilent);
        MicroStep = microStep;
    };
    try {
        if (!Lexer->OpenSource("#" + name + "#" + text)) {
            Errors->RaiseWith(ErrorNumber::CannotOpenInclude, name);
        }
        ParseCondition();
        // The whole text is the condition: a token left in its source is not part of it.
        if (Lexer->Depth() > depth) {
            Errors->Raise(ErrorNumber::BooleanExpected);
        }
        Data->Pop();
        const bool value = Data->Acc.Integer != 0;
        restore();
        return value;
    } catch (const InterpExcept&) {
        const int number = Errors->Number();
        const std::string message = Errors->Message();
        const int line = Errors->Line();
        const int column = Errors->Column();
        restore();
        // The report names the condition; the run then ends at this step point as if the pupil
        // had pressed ESC, with the program's own error state left clear.
        Errors->RaiseWith(0, "");
        conditionFailed = true;
        Host().ShowReport(name, number, message, line, column);
        return true;
    }
}
