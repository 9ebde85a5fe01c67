// The error manager: numbered messages, the replaceable catalogue, and the one place errors are thrown.
#pragma once

#include "diagnostics/ErrorNumber.h"

#include <array>
#include <string>

// Whoever knows where the token being read started: the lexer during a run.
class TokenLocator
{
public:
    virtual ~TokenLocator() = default;
    // 0-based line and column of the current token's start.
    virtual void TokenStart(int& line, int& column) const = 0;
};

// One per driver. Every check of the system ends in Raise or RaiseWith here: the number becomes a
// message from the loaded catalogue (or the built-in one), the current token's position is
// recorded, and InterpExcept is thrown to the driver, which reads number, position and message
// back from this object to report them.
class QbGeserreurs
{
public:
    static constexpr int CatalogueSize = 256;

    QbGeserreurs();

    // Binds the position source (may be null: positions stay 0) and forgets any loaded catalogue.
    void Reset(const TokenLocator* locator);
    // Changes only the position source (may be null), keeping the catalogue.
    void SetLocator(const TokenLocator* newLocator) { locator = newLocator; }

    [[noreturn]] void Raise(int number);
    [[noreturn]] void Raise(ErrorNumber number) { Raise(ToInt(number)); }

    // Stores the detail for the next message; raises `number` when it is above 0, otherwise sets
    // the error number to 0 and returns (the start of every run calls RaiseWith(0, "")).
    void RaiseWith(int number, const std::string& detail);
    [[noreturn]] void RaiseWith(ErrorNumber number, const std::string& detail);

    // The catalogue text of `number`, with " ( detail )" appended when a detail waits; the detail
    // is used up.
    std::string MessageText(int number);

    // The error just raised placed again where the locator now stands: a reader that skipped
    // part of the text is put back where reading it would stand, then the error follows it.
    void Relocate();

    // Records an error without throwing, at a position given by the caller (machine and host use).
    void Record(int number, int line, int column);

    int Number() const { return errorNumber; }
    int Line() const { return errorLine; }
    int Column() const { return errorColumn; }
    const std::string& Message() const { return message; }

    // Reads a catalogue file ("number:text" lines); false when it cannot be opened, in which case
    // nothing changes.
    bool LoadCatalogue(const std::string& fileName);
    bool CatalogueLoaded() const { return catalogueLoaded; }

    // Writes the 256 built-in lines; false when the file cannot be written.
    static bool WriteDefaultCatalogue(const std::string& fileName);
    static std::string DefaultMessage(int number);

private:
    const TokenLocator* locator = nullptr;
    int errorNumber = 0;
    int errorLine = 0;
    int errorColumn = 0;
    std::string message;
    std::string detail;
    bool catalogueLoaded = false;
    std::array<std::string, CatalogueSize> catalogue;
};
