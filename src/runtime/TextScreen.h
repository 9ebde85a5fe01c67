// The text screen's model: the character grid that program output, keyboard echo and the CRT
// unit change, without any drawing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The console of the programs run: rows x columns cells, a cursor and the CRT unit's text
// attribute and window. Owned by whoever shows it (the IDE's text-screen window, the terminal
// console under `movila run --screen`); the engine reaches it through ConsoleHost::Screen. Rows
// and columns are 1-based as programs see them; the cursor always lies on the grid (column up to
// Columns(), row up to Rows()). Every change increments ChangeCount(), so that a view repaints
// only when something happened.
class TextScreen
{
  public:
    static constexpr int MinRows = 6;
    static constexpr int MaxRows = 24;
    static constexpr int MinColumns = 15;
    static constexpr int MaxColumns = 80;
    static constexpr int DefaultRows = 24;
    static constexpr int DefaultColumns = 40;
    static constexpr std::uint8_t DefaultAttribute = 15;

    struct Cell
    {
        unsigned char Character = ' ';
        std::uint8_t Attribute = DefaultAttribute; // low nibble text, high nibble background
        bool Echo = false;                         // typed by the user
    };

    // The window of the CRT unit: stored for the renderers, neither drawing nor wrapping uses it.
    struct Window
    {
        int X1 = 1;
        int Y1 = 1;
        int X2 = DefaultColumns;
        int Y2 = DefaultRows;
    };

    // What a typed key did to the line being read (TypeKey).
    enum class LineKey
    {
        Added,     // a character appended and echoed
        Removed,   // the last character taken back, a backspace echoed
        Ignored,   // nothing happened
        Finished,  // Return: the line is complete (not echoed)
        Cancelled, // Escape: the program is to stop
    };

    // Sizes outside the limits are brought into them.
    TextScreen(int rows = DefaultRows, int columns = DefaultColumns);

    // Line feed goes one row down, carriage return clears to the end of the row and goes to
    // column 1, backspace erases the cell left of the cursor (none at column 1), codes 32 and
    // above are written at the cursor (marked typed when `echo`); other control codes are
    // ignored. Beyond the last column the text wraps; beyond the last row the grid scrolls up.
    void PutChar(unsigned char character, bool echo = false);
    void PutString(const std::string& text, bool echo = false);
    // Every cell blank in the current attribute, the cursor at (1, 1).
    void Clear();
    // The cells from the cursor to the end of its row become blanks; the cursor stays.
    void ClearToEndOfLine();
    // Each coordinate is taken only when it lies on the screen, independently of the other.
    void GotoXY(int x, int y);
    int WhereX() const { return cursorColumn; }
    int WhereY() const { return cursorRow; }
    // Sets the text colour (low nibble) and the background (high nibble); -1 keeps a part.
    // Values are taken modulo 16: the CRT routines refuse out-of-range colours before.
    void SetTextAttr(int textColour, int background);
    std::uint8_t TextAttr() const { return attribute; }
    // Stored when 1 <= x1 <= x2 <= columns and 1 <= y1 <= y2 <= rows; otherwise ignored.
    void SetWindow(int x1, int y1, int x2, int y2);
    const Window& GetWindow() const { return window; }
    // A different size (brought into the limits) clears the screen and resets the window.
    void SetSize(int rows, int columns);

    // The keyboard rules of a READ line: a character of code 32 to 255 is appended to `line`
    // and echoed; Backspace takes the last character back and echoes a backspace (nothing
    // when the line is empty); Return finishes and Escape cancels, neither echoed; any other
    // key is ignored. A line holds at most 255 characters.
    LineKey TypeKey(std::string& line, int key);

    // Read side, for the views.
    int Rows() const { return rows; }
    int Columns() const { return columns; }
    // The cell at column x, row y; a blank outside the grid.
    Cell CellAt(int x, int y) const;
    // The characters of row y, trailing blanks included; empty outside the grid.
    std::string RowText(int y) const;
    // Every row with its trailing blanks removed, ending in a line feed; the blank rows after
    // the last written one are left out.
    std::string Text() const;
    std::uint64_t ChangeCount() const { return changes; }
    // True once after a change that moved or cleared many rows (Clear, scrolling, resizing).
    bool TakeFullRepaint();

  private:
    Cell& At(int x, int y);
    Cell Blank() const;
    void NewLine();
    void Scroll();

    int rows;
    int columns;
    int cursorRow = 1;
    int cursorColumn = 1;
    std::uint8_t attribute = DefaultAttribute;
    Window window;
    std::vector<Cell> cells;
    std::uint64_t changes = 0;
    bool fullRepaint = true;
};
