// The text screen: the console of the pupil's programs, a grid of characters with a cursor.
#pragma once

#include <QColor>
#include <QFont>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// The characters and cursor of the text screen, without any drawing: what WRITE, the CRT unit
// and keyboard echo change. Rows and columns are 1-based as the programs see them.
class TextScreenGrid
{
  public:
    static constexpr std::uint16_t EchoBit = 0x100;

    TextScreenGrid(int rows, int columns);

    // Writes one character at the cursor: line feed, carriage return (clears to the end of the
    // line), backspace, printable characters; wraps at the last column and scrolls at the last
    // row.
    void PutChar(unsigned char ch, bool echo);
    void PutString(const std::string& text, bool echo);
    void Clear();
    void ClearToEndOfLine();
    // Each coordinate is taken only when it lies on the screen.
    void GotoXY(int x, int y);
    void SetSize(int rows, int columns);

    int Rows() const { return rows; }
    int Columns() const { return columns; }
    int CursorRow() const { return cursorRow; }
    int CursorColumn() const { return cursorColumn; }
    std::uint16_t Cell(int row, int column) const; // blank outside the screen
    std::string RowText(int row) const;            // the characters of one row, blanks included
    bool TakeFullRepaint();

    int TextAttribute = 15;
    int WindowX1 = 1, WindowY1 = 1, WindowX2 = 40, WindowY2 = 24;

  private:
    void Scroll();

    int rows;
    int columns;
    int cursorRow = 1;
    int cursorColumn = 1;
    bool fullRepaint = true;
    std::vector<std::uint16_t> cells;
};

// The window that paints the grid: a child of the main window's area, created once. It also
// collects the keys typed for the program's keyboard reads while a run is in progress.
class Tecrantext : public QWidget
{
    Q_OBJECT

  public:
    explicit Tecrantext(QWidget* parent = nullptr);

    TextScreenGrid& Grid() { return grid; }
    // Program output (Windows-1252 text); shown at once.
    void Write(const std::string& text);
    void Echo(char ch);
    void Refresh();
    void ClearScreen();
    void SetColours(const QColor& background, const QColor& text, const QColor& echo);
    void SetFontSize(int size);
    void SetScreenSize(int rows, int columns);

    // Keys typed in the window, oldest first (Windows-1252 codes; 0 followed by a scan code for
    // function and arrow keys).
    bool HasKey() const { return !keys.empty(); }
    int TakeKey();
    void DropKeys() { keys.clear(); }

    QSize sizeHint() const override;

  signals:
    void KeyTyped();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void UpdateMetrics();

    TextScreenGrid grid;
    QFont font;
    int cellWidth = 8;
    int lineHeight = 16;
    QColor backgroundColour = Qt::black;
    QColor textColour = Qt::white;
    QColor echoColour = Qt::yellow;
    bool cursorShown = false;
    QTimer cursorTimer;
    std::deque<int> keys;
};
