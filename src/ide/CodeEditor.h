// The editor's text control: plain text with a gutter of line numbers and breakpoint marks.
#pragma once

#include <QPlainTextEdit>

#include <functional>

class Qbbklist;

// The gutter paints line numbers and the marks of a borrowed breakpoint list (may be null), and
// reports clicks by 0-based line. The highlighted lines are the current step line (green) and
// the line of an error (red); either is -1 when none.
class CodeEditor : public QPlainTextEdit
{
    Q_OBJECT

  public:
    explicit CodeEditor(QWidget* parent = nullptr);

    void SetBreakpoints(const Qbbklist* list) { breakpoints = list; }
    int GutterWidth() const;
    void PaintGutter(QPaintEvent* event);
    void SetErrorLine(int line, int column);
    void SetStepLine(int line);
    int ErrorLine() const { return errorLine; }
    int StepLine() const { return stepLine; }
    void ClearMarks();
    void RedrawGutter();
    // A 0-based line under a gutter position, -1 below the text.
    int LineAt(int y) const;

  signals:
    void GutterClicked(int line, Qt::MouseButton button, bool doubleClick);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    friend class LineGutter;
    void UpdateGutterWidth();
    void UpdateGutter(const QRect& rect, int dy);
    void UpdateHighlights();
    void MoveCursorTo(int line, int column);

    QWidget* gutter;
    const Qbbklist* breakpoints = nullptr; // may be null
    int errorLine = -1;
    int stepLine = -1;
};

// The gutter widget itself: it hands painting and clicks back to its editor.
class LineGutter : public QWidget
{
    Q_OBJECT

  public:
    explicit LineGutter(CodeEditor* owner) : QWidget(owner), editor(owner) {}
    QSize sizeHint() const override { return {editor->GutterWidth(), 0}; }

  protected:
    void paintEvent(QPaintEvent* event) override { editor->PaintGutter(event); }
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    CodeEditor* editor;
};
