// The text screen's model.
#include "runtime/TextScreen.h"

#include <algorithm>

namespace {
int ClampRows(int rows)
{
    return std::clamp(rows, TextScreen::MinRows, TextScreen::MaxRows);
}

int ClampColumns(int columns)
{
    return std::clamp(columns, TextScreen::MinColumns, TextScreen::MaxColumns);
}

constexpr unsigned char LineFeed = 10;
constexpr unsigned char CarriageReturn = 13;
constexpr unsigned char Backspace = 8;
constexpr int Escape = 27;
constexpr std::size_t MaxLine = 255;
} // namespace

TextScreen::TextScreen(int rowCount, int columnCount)
    : rows(ClampRows(rowCount)), columns(ClampColumns(columnCount)), window{1, 1, columns, rows},
      cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), Blank())
{
}

TextScreen::Cell& TextScreen::At(int x, int y)
{
    return cells[static_cast<std::size_t>(y - 1) * static_cast<std::size_t>(columns) +
                 static_cast<std::size_t>(x - 1)];
}

TextScreen::Cell TextScreen::Blank() const
{
    return Cell{' ', attribute, false};
}

void TextScreen::PutChar(unsigned char character, bool echo)
{
    ++changes;
    if (character == LineFeed) {
        ++cursorRow;
    } else if (character == CarriageReturn) {
        ClearToEndOfLine();
        cursorColumn = 1;
    } else if (character == Backspace) {
        if (cursorColumn > 1) {
            --cursorColumn;
            At(cursorColumn, cursorRow) = Blank();
        }
    } else if (character >= 32) {
        At(cursorColumn, cursorRow) = Cell{character, attribute, echo};
        ++cursorColumn;
    }
    if (cursorColumn > columns) {
        NewLine();
    }
    if (cursorRow > rows) {
        Scroll();
        cursorRow = rows;
    }
}

void TextScreen::NewLine()
{
    cursorColumn = 1;
    ++cursorRow;
}

void TextScreen::Scroll()
{
    const auto width = static_cast<std::ptrdiff_t>(columns);
    std::move(cells.begin() + width, cells.end(), cells.begin());
    std::fill(cells.end() - width, cells.end(), Blank());
    fullRepaint = true;
}

void TextScreen::PutString(const std::string& text, bool echo)
{
    for (const char ch : text) {
        PutChar(static_cast<unsigned char>(ch), echo);
    }
}

void TextScreen::Clear()
{
    std::fill(cells.begin(), cells.end(), Blank());
    cursorRow = 1;
    cursorColumn = 1;
    fullRepaint = true;
    ++changes;
}

void TextScreen::ClearToEndOfLine()
{
    for (int x = cursorColumn; x <= columns; ++x) {
        At(x, cursorRow) = Blank();
    }
    ++changes;
}

void TextScreen::GotoXY(int x, int y)
{
    if (y >= 1 && y <= rows) {
        cursorRow = y;
    }
    if (x >= 1 && x <= columns) {
        cursorColumn = x;
    }
    ++changes;
}

void TextScreen::SetTextAttr(int textColour, int background)
{
    if (textColour >= 0) {
        attribute = static_cast<std::uint8_t>((attribute & 0xF0) | (textColour & 0x0F));
    }
    if (background >= 0) {
        attribute = static_cast<std::uint8_t>((attribute & 0x0F) | ((background & 0x0F) << 4));
    }
    ++changes;
}

void TextScreen::SetWindow(int x1, int y1, int x2, int y2)
{
    if (x1 < 1 || x1 > x2 || x2 > columns || y1 < 1 || y1 > y2 || y2 > rows) {
        return;
    }
    window = Window{x1, y1, x2, y2};
    ++changes;
}

void TextScreen::SetSize(int rowCount, int columnCount)
{
    rowCount = ClampRows(rowCount);
    columnCount = ClampColumns(columnCount);
    if (rowCount == rows && columnCount == columns) {
        return;
    }
    rows = rowCount;
    columns = columnCount;
    cells.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), Blank());
    window = Window{1, 1, columns, rows};
    Clear();
}

TextScreen::LineKey TextScreen::TypeKey(std::string& line, int key)
{
    if (key == CarriageReturn) {
        return LineKey::Finished;
    }
    if (key == Escape) {
        return LineKey::Cancelled;
    }
    if (key == Backspace) {
        if (line.empty()) {
            return LineKey::Ignored;
        }
        line.pop_back();
        PutChar(Backspace, true);
        return LineKey::Removed;
    }
    if (key < 32 || key > 255 || line.size() >= MaxLine) {
        return LineKey::Ignored;
    }
    line += static_cast<char>(key);
    PutChar(static_cast<unsigned char>(key), true);
    return LineKey::Added;
}

TextScreen::Cell TextScreen::CellAt(int x, int y) const
{
    if (x < 1 || x > columns || y < 1 || y > rows) {
        return Cell{};
    }
    return cells[static_cast<std::size_t>(y - 1) * static_cast<std::size_t>(columns) +
                 static_cast<std::size_t>(x - 1)];
}

std::string TextScreen::RowText(int y) const
{
    std::string text;
    if (y < 1 || y > rows) {
        return text;
    }
    text.reserve(static_cast<std::size_t>(columns));
    for (int x = 1; x <= columns; ++x) {
        text += static_cast<char>(CellAt(x, y).Character);
    }
    return text;
}

std::string TextScreen::Text() const
{
    std::vector<std::string> lines;
    for (int y = 1; y <= rows; ++y) {
        std::string row = RowText(y);
        row.erase(row.find_last_not_of(' ') + 1);
        lines.push_back(std::move(row));
    }
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

bool TextScreen::TakeFullRepaint()
{
    const bool full = fullRepaint;
    fullRepaint = false;
    return full;
}
