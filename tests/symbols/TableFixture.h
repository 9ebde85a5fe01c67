// A Pascal driver with a fresh symbol table, and helpers to build small scopes in it.
#pragma once

#include "diagnostics/Exceptions.h"
#include "frontend/QbPascalSyntaxe.h"
#include "symbols/QbTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

class TableTest : public ::testing::Test
{
  protected:
    TableTest()
        : driver(std::make_unique<QbPascalSyntaxe>(DriverEnvironment{})),
          table(std::make_unique<QbTable>(*driver))
    {
        program = table->NewEntry("MAIN", EntryKind::Procedure, 0);
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

    EntryNumber Routine(const std::string& name, EntryNumber owner,
                        EntryKind kind = EntryKind::Procedure)
    {
        return table->Declare(name, kind, owner);
    }

    EntryNumber Variable(const std::string& name, EntryNumber owner, EntryNumber type = 0)
    {
        const EntryNumber entry = table->Declare(name, EntryKind::Variable, owner);
        table->SetLink1(entry, type);
        table->PushVariable(owner, entry);
        return entry;
    }

    EntryNumber TypeEntry(const std::string& name, EntryNumber owner, std::uint8_t code,
                          std::uint16_t size = 0)
    {
        const EntryNumber entry = table->Declare(name, EntryKind::Type, owner);
        table->SetCode(entry, code);
        table->SetValue(entry, size);
        return entry;
    }

    // A unit named `name` used by `user`.
    EntryNumber UsedUnit(const std::string& name, EntryNumber user)
    {
        const EntryNumber use = table->NewEntry(name, EntryKind::Use, user);
        table->SetCode(use, UseState::Loaded);
        return table->NewUnit(name);
    }

    EntryNumber Find(const std::string& name, EntryKind kind, EntryNumber block)
    {
        EntryNumber entry = 0;
        return table->Lookup(name, kind, entry, block) ? entry : 0;
    }

    std::unique_ptr<QbPascalSyntaxe> driver;
    std::unique_ptr<QbTable> table;
    EntryNumber program = 0;
};
