// A Pascal driver with a small program in its symbol table, and helpers that read one-line
// expression texts through the expression readers, checking or executing them.
#pragma once

#include "diagnostics/Exceptions.h"
#include "frontend/QbPascalSyntaxe.h"
#include "lexical/QbLexical.h"
#include "runtime/QbGesdata.h"
#include "symbols/QbTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

// What reading an expression gave: its type code (after subranges and named types), the value
// popped from the evaluation stack when executing, and the error number (0 for none).
struct Evaluation
{
    int Error = 0;
    std::uint16_t Type = 0;
    std::uint8_t Code = 0;
    std::int32_t Integer = 0;
    double Real = 0.0;
    std::string Text;
    SetBits Set{};
    std::string Rest; // the token that stopped the reader
};

class ExpressionTest : public ::testing::Test
{
  protected:
    ExpressionTest()
        : driver(std::make_unique<QbPascalSyntaxe>(DriverEnvironment{})), table(*driver->Table),
          data(*driver->Data)
    {
        table.Reset();
        program = table.NewEntry("MAIN", EntryKind::Procedure, 0);
        table.MarkPredefTypesStart();
        for (const auto& [name, code, size] : {std::tuple{"BOOLEAN", TypeCode::Boolean, 1},
                                               {"CHAR", TypeCode::Char, 1},
                                               {"BYTE", TypeCode::Byte, 1},
                                               {"INTEGER", TypeCode::Integer, 2},
                                               {"WORD", TypeCode::Word, 2},
                                               {"LONGINT", TypeCode::Longint, 4},
                                               {"REAL", TypeCode::Real, 8},
                                               {"STRING", TypeCode::String, 256},
                                               {"POINTER", TypeCode::Pointer, 4}}) {
            const EntryNumber type = table.Declare(name, EntryKind::Type, program);
            table.SetCode(type, code);
            table.SetValue(type, static_cast<std::uint16_t>(size));
        }
        table.MarkPredefTypesEnd();
        // Declared types get entry numbers above every type code, as after the System unit.
        while (table.NextFree() < 40) {
            table.NewEntry("", EntryKind::Label, program);
        }
        table.MarkUserStart();
        driver->CurrentRoutine = program;
    }

    EntryNumber Predefined(std::uint8_t code) { return table.PredefTypeOfCode(code); }

    EntryNumber TypeEntry(const std::string& name, std::uint8_t code, std::uint16_t size,
                          std::uint16_t link1 = 0, std::uint16_t link2 = 0, std::uint16_t aux = 0)
    {
        const EntryNumber type = name.empty() ? table.NewEntry("", EntryKind::Type, program)
                                              : table.Declare(name, EntryKind::Type, program);
        table.SetCode(type, code);
        table.SetValue(type, size);
        table.SetLink1(type, link1);
        table.SetLink2(type, link2);
        table.SetAux(type, aux);
        return type;
    }

    EntryNumber Subrange(std::int16_t low, std::int16_t high, std::uint8_t host)
    {
        return TypeEntry("", TypeCode::Subrange, 2, static_cast<std::uint16_t>(low),
                         static_cast<std::uint16_t>(high), host);
    }

    // A global of `type` at the next global offset.
    EntryNumber Global(const std::string& name, EntryNumber type)
    {
        const EntryNumber variable = table.Declare(name, EntryKind::Variable, program);
        table.SetLink1(variable, type);
        table.SetValue(variable, table.GlobalSize());
        table.SetValue(1, static_cast<std::uint16_t>(table.GlobalSize() + table.SizeOf(type)));
        table.PushVariable(program, variable);
        return variable;
    }

    // A field of `record` at `offset`, chained after `previous` (0 for the first).
    EntryNumber Field(EntryNumber record, const std::string& name, EntryNumber type,
                      std::uint16_t offset, EntryNumber previous)
    {
        const EntryNumber field = table.NewEntry(name, EntryKind::Variable, record);
        table.SetLink1(field, type);
        table.SetValue(field, offset);
        if (previous == 0) {
            table.SetLink2(record, field);
        } else {
            table.ChainAfter(field, previous);
        }
        return field;
    }

    void OpenData() { ASSERT_TRUE(data.Open(table.GlobalSize())); }

    // Stores an integer-like value into `variable` (plus `offset` bytes), as `type`.
    void Store(EntryNumber variable, std::int32_t value, std::uint16_t type,
               std::uint32_t offset = 0)
    {
        data.SetCurrentAddress(data.AddressOf(variable) + offset);
        data.Acc.SetInteger(value);
        data.StoreValue(type);
    }

    void StoreText(EntryNumber variable, const std::string& text)
    {
        data.SetCurrentAddress(data.AddressOf(variable));
        data.Acc.SetText(text);
        data.StoreValue(TypeCode::String);
    }

    // Reads `text` as one expression: executing when `execute`, else only checking.
    Evaluation Read(const std::string& text, bool execute,
                    const std::function<TypePair()>& reader = {})
    {
        Evaluation result;
        driver->Execute = execute;
        try {
            if (!driver->Lexer->OpenSource("#T#" + text)) {
                ADD_FAILURE() << "cannot open " << text;
                return result;
            }
            const TypePair type = reader ? reader() : driver->ParseExpression();
            result.Type = type.Type;
            result.Code = driver->BaseCode(type.Type);
            result.Rest = driver->Lexer->TokenText();
            if (execute && data.EvaluationCount() > 0) {
                data.Pop();
                result.Integer = data.Acc.Integer;
                result.Real = data.Acc.Real;
                result.Text = data.Acc.Text();
                result.Set = data.Acc.Set;
            }
        } catch (const InterpExcept& e) {
            result.Error = e.Number;
        }
        driver->Lexer->CloseAllSources();
        data.ClearEvaluationStack();
        driver->Execute = false;
        return result;
    }

    Evaluation Run(const std::string& text) { return Read(text, true); }
    Evaluation Check(const std::string& text) { return Read(text, false); }

    std::unique_ptr<QbPascalSyntaxe> driver;
    QbTable& table;
    QbGesdata& data;
    EntryNumber program = 0;
};
