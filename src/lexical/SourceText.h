// What the lexer needs from the editors of a notebook: the text of an open page.
#pragma once

#include <bitset>
#include <string>

// A notebook's open editor pages, as the engine sees them. The IDE answers from its editor
// windows; the terminal and the tests answer from files or from memory.
class SourceText
{
public:
    virtual ~SourceText() = default;
    // The text of the page named `name` (lines separated by line breaks); false when no page of
    // that name is open, in which case the reader falls back on the file itself.
    virtual bool PageText(const std::string& name, std::string& text) = 0;
    // The file name of the page that is current (opened by the empty source name).
    virtual std::string CurrentPageName() = 0;
};

// Letters a program may use in identifiers beyond A-Z, a-z and "_" (a program option).
using ExtraLetterSet = std::bitset<256>;
