// The text screen: the console of the pupil's programs, a grid of characters with a cursor.
#pragma once

#include <QColor>
#include <QFont>
#include <QTimer>
#include <QWidget>

#include "runtime/TextScreen.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// The window that paints the text screen's model (which it owns): a child of the main window's
// area, created once. It also collects the keys typed for the program's keyboard reads while a
// run is in progress. It repaints whenever the model changed, also when the CRT unit changed it
// directly.
class Tecrantext : public QWidget
{
    Q_OBJECT

  public:
    explicit Tecrantext(QWidget* parent = nullptr);

    TextScreen& Grid() { return grid; }
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

    TextScreen grid;
    std::uint64_t paintedChanges = 0;
    QTimer changeTimer;
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
