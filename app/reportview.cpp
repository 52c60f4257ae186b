#include "app/reportview.h"

#include "report/displaytext.h"
#include "report/reportlayout.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cstring>

namespace {

using report::kLineEnd;
constexpr int kMargin = 4;            // pixels between the frame and the text
constexpr size_t kLinesMeasured = 64; // the longest lines, measured up front for the bar

// Gives the report's text to screen readers as the value of a read-only text field.
class AccessibleReportView final : public QAccessibleWidget {
public:
    explicit AccessibleReportView(ReportView* view)
        : QAccessibleWidget(view, QAccessible::EditableText) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return static_cast<ReportView*>(widget())->toPlainText();
        return QAccessibleWidget::text(kind);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("ReportView") && object && object->isWidgetType())
        return new AccessibleReportView(static_cast<ReportView*>(object));
    return nullptr;
}

} // namespace

ReportView::ReportView(QWidget* parent) : QAbstractScrollArea(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
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

    // The bar's width comes from the longest lines; a wider one widens it when it is shown.
    std::vector<std::pair<size_t, qsizetype>> lengths;
    lengths.reserve(lineStarts_.size());
    for (qsizetype line = 0; line < lineCount(); ++line) {
        const size_t end =
            line + 1 < lineCount() ? lineStarts_[line + 1] - kLineEnd.size() : bytes_.size();
        lengths.emplace_back(end - lineStarts_[line], line);
    }
    const size_t measured = std::min(kLinesMeasured, lengths.size());
    std::partial_sort(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(measured),
                      lengths.end(), std::greater<>());
    widest_ = 0;
    for (size_t i = 0; i < measured; ++i)
        widest_ = std::max(widest_, lineWidth(lineText(lengths[i].second)));

    anchor_ = cursor_ = Position{};
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

QString ReportView::lineText(qsizetype line) const {
    const size_t start = lineStarts_[line];
    const size_t end =
        line + 1 < lineCount() ? lineStarts_[line + 1] - kLineEnd.size() : bytes_.size();
    return report::displayText(std::string_view(bytes_).substr(start, end - start));
}

QString ReportView::toPlainText() const {
    return report::displayReportText(bytes_);
}

QString ReportView::selectedText() const {
    const auto [from, to] = std::minmax(anchor_, cursor_);
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

qsizetype ReportView::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

void ReportView::selectAll() {
    anchor_ = Position{};
    cursor_ = Position{lineCount() - 1, lineText(lineCount() - 1).size()};
    viewport()->update();
}

void ReportView::copy() const {
    if (anchor_ != cursor_) QApplication::clipboard()->setText(selectedText());
}

int ReportView::lineHeight() const {
    return fontMetrics().lineSpacing();
}

int ReportView::visibleLines() const {
    return std::max(1, (viewport()->height() - kMargin) / lineHeight());
}

int ReportView::lineWidth(const QString& text) const {
    return fontMetrics().horizontalAdvance(text) + 2 * kMargin;
}

// A paint must not change the scroll bars, which would change what is being painted: a line
// wider than any measured so far widens the horizontal bar once the paint is done.
void ReportView::widenLater(const QString& text) {
    const int width = lineWidth(text);
    if (width <= widest_) return;
    widest_ = width;
    if (widthPending_) return;
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

void ReportView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int height = lineHeight();
    const int x = kMargin - horizontalScrollBar()->value();
    const auto [from, to] = std::minmax(anchor_, cursor_);
    const QPalette& colors = palette();
    const QFontMetrics metrics = fontMetrics();
    const qsizetype first = firstVisibleLine();
    for (qsizetype line = first; line < lineCount(); ++line) {
        const int top = kMargin + static_cast<int>(line - first) * height;
        if (top > viewport()->height()) break;
        const QString text = lineText(line);
        widenLater(text);
        if (from != to && line >= from.line && line <= to.line) {
            const qsizetype start = line == from.line ? from.column : 0;
            const qsizetype end = line == to.line ? to.column : text.size();
            const int left = metrics.horizontalAdvance(text.left(start));
            int right = metrics.horizontalAdvance(text.left(end));
            if (line != to.line) right += metrics.averageCharWidth(); // the line end
            painter.fillRect(x + left, top, right - left, height, colors.highlight());
        }
        painter.setPen(colors.text().color());
        painter.drawText(x, top + metrics.ascent(), text);
        if (from != to && line >= from.line && line <= to.line) {
            const qsizetype start = line == from.line ? from.column : 0;
            const qsizetype end = line == to.line ? to.column : text.size();
            painter.save();
            painter.setClipRect(x + metrics.horizontalAdvance(text.left(start)), top,
                                metrics.horizontalAdvance(text.mid(start, end - start)), height);
            painter.setPen(colors.highlightedText().color());
            painter.drawText(x, top + metrics.ascent(), text);
            painter.restore();
        }
    }
}

ReportView::Position ReportView::positionAt(const QPoint& point) const {
    const qsizetype line = std::clamp<qsizetype>(
        firstVisibleLine() + (point.y() - kMargin) / lineHeight(), 0, lineCount() - 1);
    const QString text = lineText(line);
    const int x = point.x() - kMargin + horizontalScrollBar()->value();
    const QFontMetrics metrics = fontMetrics();
    // The first character whose middle lies right of x.
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
    return {line, low};
}

void ReportView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    cursor_ = positionAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = cursor_;
    viewport()->update();
}

void ReportView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPoint point = event->position().toPoint();
    // Dragging past the top or the bottom scrolls on.
    if (point.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (point.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    cursor_ = positionAt(point);
    viewport()->update();
}

void ReportView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) return copy();
    if (event->matches(QKeySequence::SelectAll)) return selectAll();
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up:
        return vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
    case Qt::Key_Down:
        return vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    case Qt::Key_PageUp:
        return vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
    case Qt::Key_PageDown:
        return vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    case Qt::Key_Left:
        return horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
    case Qt::Key_Right:
        return horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    case Qt::Key_Home:
        horizontal->setValue(0);
        if (event->modifiers() & Qt::ControlModifier) vertical->setValue(0);
        return;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier)
            vertical->setValue(vertical->maximum());
        else
            horizontal->setValue(horizontal->maximum());
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event); // Tab and the rest go on as usual
    }
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
