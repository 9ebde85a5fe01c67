// The editor's text control and its gutter.
#include "ide/CodeEditor.h"

#include "ide/Qbbkpoint.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>

CodeEditor::CodeEditor(QWidget* parent) : QPlainTextEdit(parent), gutter(new LineGutter(this))
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { UpdateGutterWidth(); });
    connect(this, &QPlainTextEdit::updateRequest, this, &CodeEditor::UpdateGutter);
    UpdateGutterWidth();
}

int CodeEditor::GutterWidth() const
{
    int digits = 1;
    for (int count = std::max(1, blockCount()); count >= 10; count /= 10) {
        ++digits;
    }
    // Room for the breakpoint mark on the left of the number.
    return 20 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 3);
}

void CodeEditor::UpdateGutterWidth()
{
    setViewportMargins(GutterWidth(), 0, 0, 0);
}

void CodeEditor::UpdateGutter(const QRect& rect, int dy)
{
    if (dy != 0) {
        gutter->scroll(0, dy);
    } else {
        gutter->update(0, rect.y(), gutter->width(), rect.height());
    }
    if (rect.contains(viewport()->rect())) {
        UpdateGutterWidth();
    }
}

void CodeEditor::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    gutter->setGeometry(QRect(area.left(), area.top(), GutterWidth(), area.height()));
}

void CodeEditor::RedrawGutter()
{
    gutter->update();
}

int CodeEditor::LineAt(int y) const
{
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid()) {
        const int bottom = top + qRound(blockBoundingRect(block).height());
        if (y >= top && y < bottom) {
            return block.blockNumber();
        }
        block = block.next();
        top = bottom;
    }
    return -1;
}

void CodeEditor::PaintGutter(QPaintEvent* event)
{
    QPainter painter(gutter);
    painter.fillRect(event->rect(), QColor(236, 236, 236));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    int bottom = top + qRound(blockBoundingRect(block).height());
    const int lineHeight = fontMetrics().height();
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible() && bottom >= event->rect().top()) {
            const int line = block.blockNumber();
            if (breakpoints != nullptr) {
                if (const Qbbkpoint* point = breakpoints->Find(line)) {
                    static const QColor colours[] = {QColor(200, 0, 0), QColor(150, 150, 150),
                                                     QColor(60, 60, 200), QColor(230, 180, 180)};
                    const int size = std::min(12, lineHeight - 2);
                    painter.setRenderHint(QPainter::Antialiasing);
                    painter.setBrush(colours[point->GetStatus()]);
                    painter.setPen(Qt::NoPen);
                    painter.drawEllipse(3, top + (lineHeight - size) / 2, size, size);
                    painter.setRenderHint(QPainter::Antialiasing, false);
                }
            }
            painter.setPen(line == stepLine ? QColor(0, 110, 0) : QColor(120, 120, 120));
            painter.drawText(0, top, gutter->width() - 4, lineHeight, Qt::AlignRight,
                             QString::number(line + 1));
        }
        block = block.next();
        top = bottom;
        bottom = top + qRound(blockBoundingRect(block).height());
    }
}

void CodeEditor::MoveCursorTo(int line, int column)
{
    const QTextBlock block = document()->findBlockByNumber(line);
    if (!block.isValid()) {
        return;
    }
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                        std::clamp(column, 0, std::max(0, block.length() - 1)));
    setTextCursor(cursor);
    centerCursor();
}

void CodeEditor::SetErrorLine(int line, int column)
{
    errorLine = line;
    if (line >= 0) {
        MoveCursorTo(line, column);
    }
    UpdateHighlights();
}

void CodeEditor::SetStepLine(int line)
{
    stepLine = line;
    if (line >= 0) {
        MoveCursorTo(line, 0);
    }
    UpdateHighlights();
    RedrawGutter();
}

void CodeEditor::ClearMarks()
{
    errorLine = -1;
    stepLine = -1;
    UpdateHighlights();
    RedrawGutter();
}

void CodeEditor::UpdateHighlights()
{
    QList<QTextEdit::ExtraSelection> selections;
    const auto addLine = [&](int line, const QColor& colour) {
        const QTextBlock block = document()->findBlockByNumber(line);
        if (!block.isValid()) {
            return;
        }
        QTextEdit::ExtraSelection selection;
        selection.format.setBackground(colour);
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selection.cursor = QTextCursor(block);
        selections.append(selection);
    };
    if (stepLine >= 0) {
        addLine(stepLine, QColor(190, 240, 190));
    }
    if (errorLine >= 0) {
        addLine(errorLine, QColor(255, 190, 190));
    }
    setExtraSelections(selections);
}

void LineGutter::mousePressEvent(QMouseEvent* event)
{
    const int line = editor->LineAt(qRound(event->position().y()));
    if (line >= 0) {
        emit editor->GutterClicked(line, event->button(), false);
    }
}

void LineGutter::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int line = editor->LineAt(qRound(event->position().y()));
    if (line >= 0) {
        emit editor->GutterClicked(line, event->button(), true);
    }
}
