// A Pascal driver that checks whole programs held in memory, and readers of its symbol table.
#pragma once

#include "frontend/QbPascalSyntaxe.h"
#include "lexical/SourceText.h"
#include "symbols/QbTable.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

// Editor pages served from memory.
class MemoryPages : public SourceText
{
  public:
    bool PageText(const std::string& name, std::string& text) override
    {
        const auto found = pages.find(name);
        if (found == pages.end()) {
            return false;
        }
        text = found->second;
        return true;
    }
    std::string CurrentPageName() override { return "TEST.PAS"; }

    std::map<std::string, std::string> pages;
};

// Where a check stopped: the error number (0 for none) and its 1-based line and column.
struct Outcome
{
    int Error = 0;
    int Line = 0;
    int Column = 0;
};

class DeclarationTest : public ::testing::Test
{
  protected:
    DeclarationTest()
    {
        environment.Pages = &pages;
        driver = std::make_unique<QbPascalSyntaxe>(environment);
    }

    Outcome Check(const std::string& text)
    {
        pages.pages["TEST.PAS"] = text;
        Outcome outcome;
        outcome.Error = driver->Run("+TEST.PAS", RunMode::Check);
        if (outcome.Error != 0) {
            outcome.Line = driver->Errors->Line() + 1;
            outcome.Column = driver->Errors->Column();
        }
        return outcome;
    }

    // Checks a text that must be correct.
    void CheckClean(const std::string& text)
    {
        const Outcome outcome = Check(text);
        ASSERT_EQ(outcome.Error, 0) << "at " << outcome.Line << ":" << outcome.Column << " in\n"
                                    << text;
    }

    QbTable& Table() { return *driver->Table; }

    // The entry `name` of `kind` declared in `block`; 0 when there is none.
    EntryNumber Find(const std::string& name, EntryKind kind, EntryNumber block = 1)
    {
        EntryNumber node = 0;
        return Table().FindInBlock(name, kind, block, node) ? node : 0;
    }

    std::int16_t Offset(EntryNumber variable)
    {
        return static_cast<std::int16_t>(Table().Value(variable));
    }

    MemoryPages pages;
    DriverEnvironment environment;
    std::unique_ptr<QbPascalSyntaxe> driver;
};
