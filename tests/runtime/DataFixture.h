// A driver whose symbol table holds a program with a few predefined types, and helpers
// to declare variables and routines and to run values through its data manager.
#pragma once

#include "diagnostics/Exceptions.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbPascalLexical.h"
#include "runtime/QbGesdata.h"
#include "symbols/QbTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

// The driver with a Pascal lexer and no front-end: the data manager's tests need only its
// options, error manager, symbol table and step points.
class DataDriver : public QbSyntaxe
{
  public:
    explicit DataDriver(const DriverEnvironment& setting = {})
        : QbSyntaxe(setting, Language::Pascal)
    {
        Lexer = std::make_unique<QbPascalLexical>(*this);
        AttachLexer();
    }
    void ParseHeading(std::string&) override {}
    void ParseMainBlock() override {}
    void PrepareRun(int) override {}
    int HeadingKind(const std::string&) override { return 0; }
    bool IsRoutineHeading(const std::string&) override { return false; }
    void ExecuteRoutineBody(std::uint16_t) override {}
};

class DataTest : public ::testing::Test
{
  protected:
    DataTest() : driver(std::make_unique<DataDriver>()), table(*driver->Table), data(*driver->Data)
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
                                               {"STRING", TypeCode::String, 256}}) {
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
    }

    // The error number `action` raises; 0 when it raises nothing.
    static int ErrorOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const InterpExcept& e) {
            return e.Number;
        }
        return 0;
    }

    EntryNumber Predefined(std::uint8_t code) { return table.PredefTypeOfCode(code); }

    EntryNumber TypeEntry(const std::string& name, std::uint8_t code, std::uint16_t size,
                          EntryNumber link1 = 0)
    {
        const EntryNumber type = table.NewEntry(name, EntryKind::Type, program);
        table.SetCode(type, code);
        table.SetValue(type, size);
        table.SetLink1(type, link1);
        return type;
    }

    // A global of `type` (a type entry) at the next global offset.
    EntryNumber Global(const std::string& name, EntryNumber type)
    {
        const EntryNumber variable = table.Declare(name, EntryKind::Variable, program);
        table.SetLink1(variable, type);
        table.SetValue(variable, table.GlobalSize());
        table.SetValue(1, static_cast<std::uint16_t>(table.GlobalSize() + table.SizeOf(type)));
        table.PushVariable(program, variable);
        return variable;
    }

    EntryNumber Routine(const std::string& name, EntryKind kind = EntryKind::Procedure)
    {
        return table.Declare(name, kind, program);
    }

    // A variable of `routine`: a local at `offset` below the frame base, or a parameter.
    EntryNumber Local(const std::string& name, EntryNumber routine, EntryNumber type, int offset,
                      std::uint8_t mode = VariableMode::Plain)
    {
        const EntryNumber variable = table.NewEntry(name, EntryKind::Variable, routine);
        table.SetLink1(variable, type);
        table.SetCode(variable, mode);
        table.SetValue(variable, static_cast<std::uint16_t>(offset));
        table.PushVariable(routine, variable);
        return variable;
    }

    void Open() { ASSERT_TRUE(data.Open(table.GlobalSize())); }

    // Enters `routine` with no parameters: frame, locals, header.
    void Enter(EntryNumber routine)
    {
        data.MarkStackPointer();
        data.AllocateFrame(4);
        data.CreateLocals(routine);
        data.EnterRoutine(routine);
    }

    void Leave()
    {
        data.LeaveRoutine();
        data.ReleaseFrame();
    }

    void PushInteger(std::int32_t value, std::uint16_t type = TypeCode::Integer)
    {
        data.Acc.SetInteger(value);
        data.Push(type);
    }
    void PushReal(double value)
    {
        data.Acc.SetReal(value);
        data.Push(TypeCode::Real);
    }
    void PushText(const std::string& text)
    {
        data.Acc.SetText(text);
        data.Push(TypeCode::String);
    }

    // The room a plan asks for before holding integers is exactly what pushing them finds: the
    // most RoomFor grants are pushed, one more stops the run.
    void ExpectRoomAsPushesFindIt()
    {
        EXPECT_FALSE(data.RoomFor(0));
        EXPECT_FALSE(data.RoomFor(-1));
        int room = 0;
        while (room <= QbGesdata::EvaluationEntries && data.RoomFor(room + 1)) {
            ++room;
        }
        EXPECT_FALSE(data.RoomFor(room + 1));
        for (int i = 0; i < room; ++i) {
            PushInteger(i);
        }
        EXPECT_EQ(ErrorOf([&] { PushInteger(0); }), 250);
    }

    void Store(EntryNumber variable, std::uint16_t type)
    {
        data.SetCurrentAddress(data.AddressOf(variable));
        data.StoreValue(type);
    }
    void Load(EntryNumber variable, std::uint16_t type)
    {
        data.SetCurrentAddress(data.AddressOf(variable));
        data.LoadValue(type);
    }

    std::unique_ptr<DataDriver> driver;
    QbTable& table;
    QbGesdata& data;
    EntryNumber program = 0;
};
