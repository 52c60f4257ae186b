#include "app/reportview.h"

#include "app/accessiblereportview.h"
#include "report/displaytext.h"
#include "report/reportlayout.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cstring>

namespace {

using report::kLineEnd;
constexpr int kMargin = 4;            // pixels between the frame and the text
constexpr size_t kLinesMeasured = 64; // the longest lines, measured up front for the bar
constexpr int kCaretWidth = 1;

bool isAscii(std::string_view bytes) {
    return std::none_of(bytes.begin(), bytes.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Accessibility events carry offsets as int.
int eventOffset(qsizetype offset) {
    return static_cast<int>(std::min<qsizetype>(offset, INT_MAX));
}

} // namespace

ReportView::ReportView(QWidget* parent) : QAbstractScrollArea(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleReportViewFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    webPageAction_ = new QAction(tr("Show as a web page"), this);
    webPageAction_->setShortcut(showAsWebPageShortcut());
    webPageAction_->setShortcutContext(Qt::WindowShortcut);
    addAction(webPageAction_);
    connect(webPageAction_, &QAction::triggered, this, &ReportView::showAsWebPageRequested);
}

void ReportView::setReportText(std::string bytes) {
    bytes_ = std::move(bytes);
    lineStarts_.clear();
    lineStarts_.push_back(0);
    for (size_t at = bytes_.find(kLineEnd); at != std::string::npos;
         at = bytes_.find(kLineEnd, at + kLineEnd.size()))
        lineStarts_.push_back(at + kLineEnd.size());
    lineOffsets_.clear();

    // The bar's width comes from the longest lines; a wider one widens it when it is shown.
    std::vector<std::pair<size_t, qsizetype>> lengths;
    lengths.reserve(lineStarts_.size());
    for (qsizetype line = 0; line < lineCount(); ++line)
        lengths.emplace_back(lineBytes(line).size(), line);
    const size_t measured = std::min(kLinesMeasured, lengths.size());
    std::partial_sort(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(measured),
                      lengths.end(), std::greater<>());
    widest_ = 0;
    for (size_t i = 0; i < measured; ++i)
        widest_ = std::max(widest_, lineWidth(lineText(lengths[i].second)));

    anchor_ = cursor_ = Position{};
    caretX_ = -1;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

std::string_view ReportView::lineBytes(qsizetype line) const {
    const size_t start = lineStarts_[line];
    const size_t end =
        line + 1 < lineCount() ? lineStarts_[line + 1] - kLineEnd.size() : bytes_.size();
    return std::string_view(bytes_).substr(start, end - start);
}

QString ReportView::lineText(qsizetype line) const {
    return report::displayText(lineBytes(line));
}

// A line of ASCII has as many characters as bytes: only the others need decoding.
qsizetype ReportView::shownLength(qsizetype line) const {
    const std::string_view bytes = lineBytes(line);
    return isAscii(bytes) ? static_cast<qsizetype>(bytes.size()) : lineText(line).size();
}

QString ReportView::toPlainText() const {
    return report::displayReportText(bytes_);
}

QString ReportView::textBetween(Position from, Position to) const {
    QString text;
    for (qsizetype line = from.line; line <= to.line && line < lineCount(); ++line) {
        const QString whole = lineText(line);
        const qsizetype start = line == from.line ? from.column : 0;
        const qsizetype end = line == to.line ? to.column : whole.size();
        text += whole.mid(start, end - start);
        if (line != to.line) text += QLatin1Char('\n');
    }
    return text;
}

QString ReportView::selectedText() const {
    const auto [from, to] = std::minmax(anchor_, cursor_);
    return textBetween(from, to);
}

qsizetype ReportView::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

ReportView::Position ReportView::endOfText() const {
    return {lineCount() - 1, lineText(lineCount() - 1).size()};
}

void ReportView::selectAll() {
    setCaret(Position{}, endOfText());
}

void ReportView::copy() const {
    if (anchor_ != cursor_) QApplication::clipboard()->setText(selectedText());
}

// Offsets into the text as shown.

const std::vector<qsizetype>& ReportView::lineOffsets() const {
    if (!lineOffsets_.empty()) return lineOffsets_;
    lineOffsets_.reserve(lineStarts_.size() + 1);
    qsizetype offset = 0;
    for (qsizetype line = 0; line < lineCount(); ++line) {
        lineOffsets_.push_back(offset);
        offset += shownLength(line) + 1; // and its "\n"
    }
    lineOffsets_.push_back(offset);
    return lineOffsets_;
}

qsizetype ReportView::characterCount() const {
    return lineOffsets().back() - 1;
}

qsizetype ReportView::offsetOf(Position position) const {
    return lineOffsets()[position.line] + position.column;
}

ReportView::Position ReportView::positionOf(qsizetype offset) const {
    const std::vector<qsizetype>& offsets = lineOffsets();
    offset = std::clamp<qsizetype>(offset, 0, characterCount());
    const auto next = std::upper_bound(offsets.begin(), offsets.end() - 1, offset);
    const qsizetype line = next - offsets.begin() - 1;
    return {line, offset - offsets[line]};
}

QString ReportView::textBetween(qsizetype from, qsizetype to) const {
    if (from >= to) return {};
    return textBetween(positionOf(from), positionOf(to));
}

qsizetype ReportView::lineAtOffset(qsizetype offset) const {
    return positionOf(offset).line;
}

qsizetype ReportView::lineStartOffset(qsizetype line) const {
    return lineOffsets()[line];
}

qsizetype ReportView::lineEndOffset(qsizetype line) const {
    return lineOffsets()[line + 1] - 1;
}

qsizetype ReportView::caretOffset() const {
    return offsetOf(cursor_);
}

std::pair<qsizetype, qsizetype> ReportView::selectionOffsets() const {
    const auto [from, to] = std::minmax(anchor_, cursor_);
    return {offsetOf(from), offsetOf(to)};
}

void ReportView::select(qsizetype anchor, qsizetype caret) {
    setCaret(positionOf(anchor), positionOf(caret));
    scrollToShow(cursor_);
}

QRect ReportView::characterRect(qsizetype offset) const {
    const Position position = positionOf(offset);
    const QString text = lineText(position.line);
    const QFontMetrics metrics = fontMetrics();
    const int left = metrics.horizontalAdvance(text.left(position.column));
    const int width = position.column < text.size()
                          ? metrics.horizontalAdvance(text.left(position.column + 1)) - left
                          : metrics.averageCharWidth(); // the line end
    const int top = kMargin + static_cast<int>(position.line - firstVisibleLine()) * lineHeight();
    return {kMargin - horizontalScrollBar()->value() + left, top, width, lineHeight()};
}

qsizetype ReportView::offsetAt(const QPoint& point) const {
    return offsetOf(positionAt(point));
}

void ReportView::scrollToShow(qsizetype from, qsizetype to) {
    scrollToShow(positionOf(to));
    scrollToShow(positionOf(from));
}

// The caret.

ReportView::Position ReportView::positionAt(const QPoint& point) const {
    const qsizetype line = std::clamp<qsizetype>(
        firstVisibleLine() + (point.y() - kMargin) / lineHeight(), 0, lineCount() - 1);
    return {line, columnAt(lineText(line), point.x() - kMargin + horizontalScrollBar()->value())};
}

// The first character whose middle lies right of x, x counted from the start of `text`.
qsizetype ReportView::columnAt(const QString& text, int x) const {
    const QFontMetrics metrics = fontMetrics();
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        const int centre = (metrics.horizontalAdvance(text.left(middle)) +
                            metrics.horizontalAdvance(text.left(middle + 1))) /
                           2;
        if (centre < x)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

int ReportView::xOf(Position position) const {
    return fontMetrics().horizontalAdvance(lineText(position.line).left(position.column));
}

// A character at a time, a pair of surrogates as one; past a line's end to the next line.
ReportView::Position ReportView::previousChar(Position from) const {
    if (from.column == 0)
        return from.line == 0 ? from : Position{from.line - 1, shownLength(from.line - 1)};
    const QString text = lineText(from.line);
    qsizetype column = from.column - 1;
    if (column > 0 && text[column].isLowSurrogate() && text[column - 1].isHighSurrogate()) --column;
    return {from.line, column};
}

ReportView::Position ReportView::nextChar(Position from) const {
    const QString text = lineText(from.line);
    if (from.column >= text.size())
        return from.line + 1 == lineCount() ? from : Position{from.line + 1, 0};
    qsizetype column = from.column + 1;
    if (column < text.size() && text[column].isLowSurrogate() && text[column - 1].isHighSurrogate())
        ++column;
    return {from.line, column};
}

// The keys that move the caret, as the platform binds them; with the selecting ones, true.
std::optional<std::pair<ReportView::Step, bool>> ReportView::stepFor(const QKeyEvent* event) {
    struct Binding {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        Step step;
    };
    static constexpr Binding kBindings[] = {
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Step::PreviousChar},
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Step::NextChar},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Step::PreviousLine},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Step::NextLine},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Step::PreviousPage},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Step::NextPage},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Step::LineStart},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Step::LineEnd},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Step::TextStart},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Step::TextEnd},
    };
    for (const Binding& binding : kBindings) {
        if (event->matches(binding.move)) return std::pair(binding.step, false);
        if (event->matches(binding.select)) return std::pair(binding.step, true);
    }
    return std::nullopt;
}

// Where `step` takes the caret; up and down keep it near x. The page keys also scroll a page, so
// that the caret keeps its place in the view.
ReportView::Position ReportView::stepped(Step step, int x) {
    const auto onLine = [&](qsizetype line) {
        line = std::clamp<qsizetype>(line, 0, lineCount() - 1);
        return Position{line, columnAt(lineText(line), x)};
    };
    const qsizetype line = cursor_.line;
    switch (step) {
    case Step::PreviousChar:
        return previousChar(cursor_);
    case Step::NextChar:
        return nextChar(cursor_);
    case Step::PreviousLine:
        return onLine(line - 1);
    case Step::NextLine:
        return onLine(line + 1);
    case Step::PreviousPage:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
        return onLine(line - visibleLines());
    case Step::NextPage:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return onLine(line + visibleLines());
    case Step::LineStart:
        return {line, 0};
    case Step::LineEnd:
        return {line, shownLength(line)};
    case Step::TextStart:
        return {};
    case Step::TextEnd:
        return endOfText();
    }
    return cursor_;
}

void ReportView::setCaret(Position anchor, Position caret) {
    const Position oldAnchor = std::exchange(anchor_, anchor);
    const Position oldCaret = std::exchange(cursor_, caret);
    caretX_ = -1;
    restartCaretBlink();
    viewport()->update();
    tellAccessibilityTools(oldAnchor, oldCaret);
}

void ReportView::moveCaret(Position to, bool extendSelection) {
    setCaret(extendSelection ? anchor_ : to, to);
    scrollToShow(cursor_);
}

// As a text box does: the selection when it changes, then the caret when it moves. Only when a
// tool listens, as the offsets index the text.
void ReportView::tellAccessibilityTools(Position oldAnchor, Position oldCaret) {
    if (!QAccessible::isActive()) return;
    const bool selected = anchor_ != cursor_ || oldAnchor != oldCaret;
    if (selected && (anchor_ != oldAnchor || cursor_ != oldCaret)) {
        const auto [from, to] = selectionOffsets();
        QAccessibleTextSelectionEvent event(this, eventOffset(from), eventOffset(to));
        event.setCursorPosition(eventOffset(caretOffset()));
        QAccessible::updateAccessibility(&event);
    }
    if (cursor_ != oldCaret) {
        QAccessibleTextCursorEvent event(this, eventOffset(caretOffset()));
        QAccessible::updateAccessibility(&event);
    }
}

void ReportView::scrollToShow(Position position) {
    QScrollBar* vertical = verticalScrollBar();
    const qsizetype first = vertical->value();
    if (position.line < first)
        vertical->setValue(static_cast<int>(position.line));
    else if (position.line >= first + visibleLines())
        vertical->setValue(static_cast<int>(position.line - visibleLines() + 1));

    const QString text = lineText(position.line);
    if (widen(text)) updateScrollBars();
    QScrollBar* horizontal = horizontalScrollBar();
    const int x = fontMetrics().horizontalAdvance(text.left(position.column));
    const int room = std::max(0, viewport()->width() - 2 * kMargin - kCaretWidth);
    if (x < horizontal->value())
        horizontal->setValue(x);
    else if (x > horizontal->value() + room)
        horizontal->setValue(x - room);
}

// The caret shows, and blinks, only while the view has the focus.
void ReportView::restartCaretBlink() {
    caretOn_ = true;
    const int flashTime = QApplication::cursorFlashTime();
    if (hasFocus() && flashTime > 0)
        caretBlink_.start(flashTime / 2, this);
    else
        caretBlink_.stop();
}

void ReportView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartCaretBlink();
    viewport()->update();
}

void ReportView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    caretBlink_.stop();
    viewport()->update();
}

void ReportView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != caretBlink_.timerId()) return QAbstractScrollArea::timerEvent(event);
    caretOn_ = !caretOn_;
    viewport()->update();
}

// Sizes and painting.

int ReportView::lineHeight() const {
    return fontMetrics().lineSpacing();
}

int ReportView::visibleLines() const {
    return std::max(1, (viewport()->height() - kMargin) / lineHeight());
}

int ReportView::lineWidth(const QString& text) const {
    return fontMetrics().horizontalAdvance(text) + 2 * kMargin;
}

// Whether `text` is wider than any line measured so far.
bool ReportView::widen(const QString& text) {
    const int width = lineWidth(text);
    if (width <= widest_) return false;
    widest_ = width;
    return true;
}

// A paint must not change the scroll bars, which would change what is being painted: a line
// wider than any measured so far widens the horizontal bar once the paint is done.
void ReportView::widenLater(const QString& text) {
    if (!widen(text) || widthPending_) return;
    widthPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            widthPending_ = false;
            updateScrollBars();
        },
        Qt::QueuedConnection);
}

void ReportView::updateScrollBars() {
    const int pageLines = visibleLines();
    verticalScrollBar()->setRange(
        0, static_cast<int>(std::max<qsizetype>(0, lineCount() - pageLines)));
    verticalScrollBar()->setPageStep(pageLines);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, widest_ - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth() * 2);
}

void ReportView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ReportView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) updateScrollBars();
}

std::optional<ReportView::Span> ReportView::selectedOn(qsizetype line, qsizetype length) const {
    const auto [from, to] = std::minmax(anchor_, cursor_);
    if (from == to || line < from.line || line > to.line) return std::nullopt;
    return Span{line == from.line ? from.column : 0, line == to.line ? to.column : length,
                line != to.line};
}

void ReportView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int height = lineHeight();
    const int x = kMargin - horizontalScrollBar()->value();
    const QPalette& colors = palette();
    const QFontMetrics metrics = fontMetrics();
    const qsizetype first = firstVisibleLine();
    for (qsizetype line = first; line < lineCount(); ++line) {
        const int top = kMargin + static_cast<int>(line - first) * height;
        if (top > viewport()->height()) break;
        const QString text = lineText(line);
        widenLater(text);
        const std::optional<Span> selected = selectedOn(line, text.size());
        if (selected) {
            const int left = metrics.horizontalAdvance(text.left(selected->start));
            int right = metrics.horizontalAdvance(text.left(selected->end));
            if (selected->throughLineEnd) right += metrics.averageCharWidth();
            painter.fillRect(x + left, top, right - left, height, colors.highlight());
        }
        painter.setPen(colors.text().color());
        painter.drawText(x, top + metrics.ascent(), text);
        if (selected) {
            painter.save();
            painter.setClipRect(x + metrics.horizontalAdvance(text.left(selected->start)), top,
                                metrics.horizontalAdvance(
                                    text.mid(selected->start, selected->end - selected->start)),
                                height);
            painter.setPen(colors.highlightedText().color());
            painter.drawText(x, top + metrics.ascent(), text);
            painter.restore();
        }
    }
    paintCaret(painter, first);
}

void ReportView::paintCaret(QPainter& painter, qsizetype firstLine) const {
    if (!hasFocus() || !caretOn_ || cursor_.line < firstLine) return;
    const int top = kMargin + static_cast<int>(cursor_.line - firstLine) * lineHeight();
    if (top > viewport()->height()) return;
    const int x = kMargin - horizontalScrollBar()->value() + xOf(cursor_);
    painter.fillRect(x, top, kCaretWidth, lineHeight(), palette().text());
}

// Mouse and keys.

void ReportView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const Position at = positionAt(event->position().toPoint());
    setCaret(event->modifiers() & Qt::ShiftModifier ? anchor_ : at, at);
}

void ReportView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPoint point = event->position().toPoint();
    // Dragging past the top or the bottom scrolls on.
    if (point.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (point.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    setCaret(anchor_, positionAt(point));
}

void ReportView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) return copy();
    if (event->matches(QKeySequence::SelectAll)) return selectAll();
    const auto step = stepFor(event);
    // Tab and the rest go on as usual; Ctrl with an arrow scrolls without moving the caret.
    if (!step) return QAbstractScrollArea::keyPressEvent(event);
    const auto [where, extend] = *step;
    if (!extend && anchor_ != cursor_ && (where == Step::PreviousChar || where == Step::NextChar))
        // Left and right leave a selection at its start or end.
        return moveCaret(where == Step::PreviousChar ? std::min(anchor_, cursor_)
                                                     : std::max(anchor_, cursor_),
                         false);
    const bool upOrDown = where == Step::PreviousLine || where == Step::NextLine ||
                          where == Step::PreviousPage || where == Step::NextPage;
    const int x = caretX_ >= 0 ? caretX_ : xOf(cursor_);
    moveCaret(stepped(where, x), extend);
    if (upOrDown) caretX_ = x;
}

void ReportView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &ReportView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(anchor_ != cursor_);
    menu.addSeparator();
    menu.addAction(tr("Select &All"), this, &ReportView::selectAll)
        ->setShortcut(QKeySequence::SelectAll);
    menu.addSeparator();
    menu.addAction(webPageAction_);
    menu.exec(event->globalPos());
}
