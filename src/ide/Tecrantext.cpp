// The text screen: grid operations and the window that paints them.
#include "ide/Tecrantext.h"

#include "lexical/TextEncoding.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include <algorithm>

Tecrantext::Tecrantext(QWidget* parent) : QWidget(parent)
{
    setWindowTitle("Text screen");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    font = QFont("Courier");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(8);
    UpdateMetrics();
    cursorTimer.setInterval(500);
    connect(&cursorTimer, &QTimer::timeout, this, [this] {
        cursorShown = !cursorShown;
        update();
    });
    cursorTimer.start();
    changeTimer.setInterval(100);
    connect(&changeTimer, &QTimer::timeout, this, [this] {
        if (grid.ChangeCount() != paintedChanges) {
            Refresh();
        }
    });
    changeTimer.start();
}

void Tecrantext::UpdateMetrics()
{
    const QFontMetrics metrics(font);
    cellWidth = std::max(1, metrics.horizontalAdvance('W'));
    lineHeight = metrics.height() + 3;
    setMinimumSize(sizeHint());
    updateGeometry();
}

QSize Tecrantext::sizeHint() const
{
    return {grid.Columns() * cellWidth + 2, grid.Rows() * lineHeight + 4};
}

void Tecrantext::Write(const std::string& text)
{
    grid.PutString(text);
    Refresh();
}

void Tecrantext::Echo(char ch)
{
    grid.PutChar(static_cast<unsigned char>(ch), true);
    Refresh();
}

void Tecrantext::Refresh()
{
    // Painting reads the whole grid each time: the partial-repaint flag only matters to a
    // bitmap that keeps old rows, which this window does not.
    grid.TakeFullRepaint();
    paintedChanges = grid.ChangeCount();
    cursorShown = true;
    cursorTimer.start();
    update();
}

void Tecrantext::ClearScreen()
{
    grid.Clear();
    Refresh();
}

void Tecrantext::SetColours(const QColor& background, const QColor& text, const QColor& echo)
{
    backgroundColour = background;
    textColour = text;
    echoColour = echo;
    Refresh();
}

void Tecrantext::SetFontSize(int size)
{
    font.setPointSize(std::clamp(size, 8, 20));
    UpdateMetrics();
    ClearScreen();
}

void Tecrantext::SetScreenSize(int rows, int columns)
{
    grid.SetSize(rows, columns);
    UpdateMetrics();
    Refresh();
}

int Tecrantext::TakeKey()
{
    if (keys.empty()) {
        return -1;
    }
    const int key = keys.front();
    keys.pop_front();
    return key;
}

void Tecrantext::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColour);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (int row = 1; row <= grid.Rows(); ++row) {
        for (int column = 1; column <= grid.Columns(); ++column) {
            const TextScreen::Cell cell = grid.CellAt(column, row);
            const char ch = static_cast<char>(cell.Character);
            if (ch == ' ') {
                continue;
            }
            painter.setPen(cell.Echo ? echoColour : textColour);
            const QString shown =
                QString::fromUtf8(TextEncoding::Windows1252ToUtf8(std::string(1, ch)));
            painter.drawText(1 + (column - 1) * cellWidth,
                             (row - 1) * lineHeight + metrics.ascent(), shown);
        }
    }
    if (cursorShown) {
        const int column = std::min(grid.WhereX(), grid.Columns());
        painter.fillRect((column - 1) * cellWidth, grid.WhereY() * lineHeight - 3, cellWidth, 3,
                         textColour);
    }
}

void Tecrantext::keyPressEvent(QKeyEvent* event)
{
    static const std::pair<int, int> extended[] = {
        {Qt::Key_Up, 72},     {Qt::Key_Down, 80},  {Qt::Key_Left, 75},   {Qt::Key_Right, 77},
        {Qt::Key_Home, 71},   {Qt::Key_End, 79},   {Qt::Key_PageUp, 73}, {Qt::Key_PageDown, 81},
        {Qt::Key_Delete, 83}, {Qt::Key_Insert, 82}};
    for (const auto& [key, scan] : extended) {
        if (event->key() == key) {
            keys.push_back(0);
            keys.push_back(scan);
            emit KeyTyped();
            return;
        }
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        keys.push_back(13);
    } else if (event->key() == Qt::Key_Backspace) {
        keys.push_back(8);
    } else if (event->key() == Qt::Key_Tab) {
        keys.push_back(9);
    } else if (!event->text().isEmpty()) {
        const std::string bytes = TextEncoding::Utf8ToWindows1252(event->text().toStdString());
        if (bytes.empty()) {
            QWidget::keyPressEvent(event);
            return;
        }
        for (char ch : bytes) {
            keys.push_back(static_cast<unsigned char>(ch));
        }
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    emit KeyTyped();
}

void Tecrantext::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QString::fromUtf8("Effacer l'écran"), this, &Tecrantext::ClearScreen);
    menu.exec(event->globalPos());
}
