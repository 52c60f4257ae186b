#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QKeySequence>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A read-only view of the report text that lays out only the lines in sight, so that a report
// of a million lines opens at once. It keeps what a user does with a read-only text box: a caret
// moved by the arrow keys, Home, End and the page keys (Shift extends the selection), scrolling
// by wheel and bars, selecting with the mouse, copying, Select All and a context menu with both;
// and it gives its text, caret and selection to accessibility tools.
//
// The text is kept as the scan's bytes and decoded line by line when shown. Accessibility tools
// see it as the lines shown joined by "\n", by character offsets.
class ReportView final : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ReportView(QWidget* parent = nullptr);

    // Shows a report whose lines are separated by CR LF.
    void setReportText(std::string bytes);
    // The whole text, lines separated by "\n".
    QString toPlainText() const;
    QString selectedText() const;
    qsizetype lineCount() const { return static_cast<qsizetype>(lineStarts_.size()); }
    // The line at the top of the view.
    qsizetype firstVisibleLine() const;

    void selectAll();
    void copy() const;

    // The text by character offsets, as accessibility tools ask for it. The first question
    // indexes the lines' offsets; the text is never built whole for one.
    qsizetype characterCount() const;
    QString textBetween(qsizetype from, qsizetype to) const;
    // The line holding the character at `offset`, and the offsets where it starts and ends (its
    // "\n" not counted).
    qsizetype lineAtOffset(qsizetype offset) const;
    qsizetype lineStartOffset(qsizetype line) const;
    qsizetype lineEndOffset(qsizetype line) const;
    qsizetype caretOffset() const;
    // The selection as offsets, the smaller first; empty (both the caret's) when nothing is
    // selected.
    std::pair<qsizetype, qsizetype> selectionOffsets() const;
    // Selects from `anchor` to `caret` (the same offset to select nothing), as the keys would,
    // and scrolls the caret into view.
    void select(qsizetype anchor, qsizetype caret);
    // A character's box, and the offset of the character under a point; in the viewport's
    // coordinates.
    QRect characterRect(qsizetype offset) const;
    qsizetype offsetAt(const QPoint& point) const;
    // Scrolls so that as much of the text from `from` to `to` is in sight as fits, its start first.
    void scrollToShow(qsizetype from, qsizetype to);

    // "Show as a web page": in the context menu, and on its shortcut anywhere in the window.
    QAction* showAsWebPageAction() const { return webPageAction_; }
    static QKeySequence showAsWebPageShortcut() { return QKeySequence(Qt::CTRL | Qt::Key_B); }

signals:
    void showAsWebPageRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // A place in the text: a line and a character within its decoded text.
    struct Position {
        qsizetype line = 0;
        qsizetype column = 0;
        friend auto operator<=>(const Position&, const Position&) = default;
    };
    // Where a key takes the caret.
    enum class Step {
        PreviousChar,
        NextChar,
        PreviousLine,
        NextLine,
        PreviousPage,
        NextPage,
        LineStart,
        LineEnd,
        TextStart,
        TextEnd
    };

    // The columns of a line that are selected, and whether the selection goes on past its end.
    struct Span {
        qsizetype start = 0;
        qsizetype end = 0;
        bool throughLineEnd = false;
    };

    std::string_view lineBytes(qsizetype line) const;
    QString lineText(qsizetype line) const;
    qsizetype shownLength(qsizetype line) const;
    QString textBetween(Position from, Position to) const;
    Position endOfText() const;
    const std::vector<qsizetype>& lineOffsets() const;
    qsizetype offsetOf(Position position) const;
    Position positionOf(qsizetype offset) const;

    Position positionAt(const QPoint& point) const;
    qsizetype columnAt(const QString& text, int x) const;
    int xOf(Position position) const;
    Position previousChar(Position from) const;
    Position nextChar(Position from) const;
    static std::optional<std::pair<Step, bool>> stepFor(const QKeyEvent* event);
    Position stepped(Step step, int x);
    void setCaret(Position anchor, Position caret);
    void moveCaret(Position to, bool extendSelection);
    void tellAccessibilityTools(Position oldAnchor, Position oldCaret);
    void scrollToShow(Position position);
    void restartCaretBlink();

    void updateScrollBars();
    int lineWidth(const QString& text) const;
    bool widen(const QString& text);
    void widenLater(const QString& text);
    int lineHeight() const;
    int visibleLines() const;
    std::optional<Span> selectedOn(qsizetype line, qsizetype length) const;
    void paintCaret(QPainter& painter, qsizetype firstLine) const;

    QAction* webPageAction_ = nullptr;
    std::string bytes_;
    std::vector<size_t> lineStarts_{0}; // offset of each line in bytes_
    // The character offset of each line in the text as shown, and past the end the offset one
    // beyond the last line's end; empty until an accessibility tool asks.
    mutable std::vector<qsizetype> lineOffsets_;
    int widest_ = 0;            // widest line seen, in pixels
    bool widthPending_ = false; // the bars are yet to take widest_
    Position anchor_;
    Position cursor_;      // the caret; the selection runs from anchor_ to cursor_
    int caretX_ = -1;      // where up and down keep the caret, in pixels; -1 when anywhere
    bool caretOn_ = false; // the caret's blink
    QBasicTimer caretBlink_;
};
