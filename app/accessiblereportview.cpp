#include "app/accessiblereportview.h"

#include "app/reportview.h"

#include <QAccessibleWidget>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

namespace {

using Range = std::pair<qsizetype, qsizetype>;

// The item of `type` that holds the character at `at` in `text`: from the nearest boundary at or
// before it that starts or ends an item, to the next such boundary after it.
Range itemAround(QTextBoundaryFinder::BoundaryType type, const QString& text, qsizetype at) {
    const auto isItemEdge = [](const QTextBoundaryFinder& finder) {
        return finder.isAtBoundary() &&
               (finder.boundaryReasons() &
                (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem));
    };
    QTextBoundaryFinder finder(type, text);
    finder.setPosition(at);
    qsizetype start = at;
    while (start > 0 && !isItemEdge(finder))
        start = finder.toPreviousBoundary();
    finder.setPosition(at);
    qsizetype end = finder.toNextBoundary();
    while (end > 0 && end < text.size() && !isItemEdge(finder))
        end = finder.toNextBoundary();
    return {std::max<qsizetype>(start, 0), end < 0 ? text.size() : end};
}

QTextBoundaryFinder::BoundaryType finderType(QAccessible::TextBoundaryType boundary) {
    switch (boundary) {
    case QAccessible::WordBoundary:
        return QTextBoundaryFinder::Word;
    case QAccessible::SentenceBoundary:
        return QTextBoundaryFinder::Sentence;
    default:
        return QTextBoundaryFinder::Grapheme;
    }
}

int toInt(qsizetype offset) {
    return static_cast<int>(std::min<qsizetype>(offset, INT_MAX));
}

// Asks the view for what a question needs, a line or a range, never for the whole text. Items
// of characters, words and sentences end at a line's end: the line's "\n" is an item of its own.
class AccessibleReportView final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleReportView(ReportView* view)
        : QAccessibleWidget(view, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }
    using QAccessibleWidget::text;

    int characterCount() const override { return toInt(view()->characterCount()); }
    QString text(int start, int end) const override {
        return view()->textBetween(clamped(start), clamped(end));
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                         int* end) const override {
        return itemText(itemAt(offset, boundary), start, end);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                             int* end) const override {
        const std::optional<Range> at = itemAt(offset, boundary);
        if (at && at->first > 0)
            return itemText(itemAt(toInt(at->first - 1), boundary), start, end);
        return itemText(at ? std::optional(Range{0, 0}) : std::nullopt, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                            int* end) const override {
        const std::optional<Range> at = itemAt(offset, boundary);
        const qsizetype count = view()->characterCount();
        if (at && at->second < count)
            return itemText(itemAt(toInt(at->second), boundary), start, end);
        return itemText(at ? std::optional(Range{count, count}) : std::nullopt, start, end);
    }

    int cursorPosition() const override { return toInt(view()->caretOffset()); }
    void setCursorPosition(int position) override {
        view()->select(clamped(position), clamped(position));
    }
    int selectionCount() const override {
        const auto [from, to] = view()->selectionOffsets();
        return from == to ? 0 : 1;
    }
    void selection(int index, int* start, int* end) const override {
        const auto [from, to] = view()->selectionOffsets();
        const bool exists = index == 0 && from != to;
        *start = exists ? toInt(from) : -1;
        *end = exists ? toInt(to) : -1;
    }
    // There is one selection at most: the first is the only one to add or set.
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void setSelection(int index, int start, int end) override {
        if (index == 0) view()->select(clamped(start), clamped(end));
    }
    void removeSelection(int index) override {
        if (index == 0) setCursorPosition(cursorPosition());
    }

    QRect characterRect(int offset) const override {
        if (offset < 0 || offset > characterCount()) return {};
        const QRect inView = view()->characterRect(offset);
        return {view()->viewport()->mapToGlobal(inView.topLeft()), inView.size()};
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint inView = view()->viewport()->mapFromGlobal(point);
        return view()->viewport()->rect().contains(inView) ? toInt(view()->offsetAt(inView)) : -1;
    }
    void scrollToSubstring(int start, int end) override {
        view()->scrollToShow(clamped(start), clamped(end));
    }
    // One font and colour throughout: no attributes, over the whole text.
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    ReportView* view() const { return static_cast<ReportView*>(widget()); }

    // An offset from a tool, in the text; -1 stands for the text's end.
    qsizetype clamped(int offset) const {
        const qsizetype count = view()->characterCount();
        return offset == -1 ? count : std::clamp<qsizetype>(offset, 0, count);
    }

    // The item of `boundary` that holds `offset`, lines with their "\n"; none for an offset
    // outside the text. -2 stands for the caret, -1 for the text's end.
    std::optional<Range> itemAt(int offset, QAccessible::TextBoundaryType boundary) const {
        const qsizetype count = view()->characterCount();
        const qsizetype at = offset == -2 ? view()->caretOffset() : offset == -1 ? count : offset;
        if (at < 0 || at > count) return std::nullopt;
        if (boundary == QAccessible::NoBoundary) return Range{0, count};
        const qsizetype line = view()->lineAtOffset(at);
        const qsizetype lineStart = view()->lineStartOffset(line);
        const qsizetype lineEnd = std::min(view()->lineEndOffset(line) + 1, count);
        if (boundary == QAccessible::LineBoundary || boundary == QAccessible::ParagraphBoundary)
            return Range{lineStart, lineEnd};
        if (at == count) return Range{count, count};
        const Range item = itemAround(finderType(boundary), view()->textBetween(lineStart, lineEnd),
                                      at - lineStart);
        return Range{lineStart + item.first, lineStart + item.second};
    }

    QString itemText(std::optional<Range> item, int* start, int* end) const {
        *start = item ? toInt(item->first) : -1;
        *end = item ? toInt(item->second) : -1;
        return item ? view()->textBetween(item->first, item->second) : QString();
    }
};

} // namespace

QAccessibleInterface* accessibleReportViewFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("ReportView") && object && object->isWidgetType())
        return new AccessibleReportView(static_cast<ReportView*>(object));
    return nullptr;
}
