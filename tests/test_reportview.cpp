#include "app/reportview.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A report of 1,000 numbered lines ("line 0" ...), as the scan writes it: CR LF between lines.
std::string numberedReport() {
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += (i ? "\r\n" : "") + ("line " + std::to_string(i));
    return text;
}

class ReportViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(361, 433);
        view.setReportText(numberedReport());
        view.show();
    }
    void TearDown() override { view.close(); }

    ReportView view;
};

TEST_F(ReportViewTest, KeysMoveTheCaretAndTheViewFollows) {
    const int page = view.verticalScrollBar()->pageStep();
    const int last = view.verticalScrollBar()->maximum();
    const auto line = [](int number) { return QStringLiteral("line %1").arg(number); };
    struct Row {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int times;
        QString caretLine;
        int caretColumn;
        int firstVisible;
        QString selected;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Row rows[] = {
        {Qt::Key_Down, none, 1, line(1), 0, 0, {}},
        {Qt::Key_End, none, 1, line(1), 6, 0, {}},
        {Qt::Key_Right, none, 1, line(2), 0, 0, {}}, // past the line's end
        {Qt::Key_Left, none, 1, line(1), 6, 0, {}},
        {Qt::Key_Up, Qt::ShiftModifier, 1, line(0), 6, 0, QStringLiteral("\nline 1")},
        {Qt::Key_Left, none, 1, line(0), 6, 0, {}}, // to the selection's start
        {Qt::Key_Home, Qt::ShiftModifier, 1, line(0), 0, 0, line(0)},
        {Qt::Key_PageDown, none, 1, line(page), 0, page, {}},
        {Qt::Key_End, Qt::ControlModifier, 1, line(999), 8, last, {}},
        {Qt::Key_Up, none, 1, line(998), 8, last, {}},
        {Qt::Key_PageUp, none, 1, line(998 - page), 8, last - page, {}},
        {Qt::Key_Home, Qt::ControlModifier, 1, line(0), 0, 0, {}},
        {Qt::Key_Down, none, page, line(page), 0, 1, {}}, // the view keeps the caret in sight
        {Qt::Key_Up, none, page - 10, line(10), 0, 1, {}},
        {Qt::Key_End, none, 1, line(10), 7, 1, {}},
        {Qt::Key_Up, none, 1, line(9), 6, 1, {}},
        {Qt::Key_Down, none, 1, line(10), 7, 1, {}}, // back where up and down started
    };
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&view)->textInterface();
    for (const Row& row : rows) {
        for (int i = 0; i < row.times; ++i)
            QTest::keyClick(&view, row.key, row.modifiers);
        const std::string step = QKeySequence(row.modifiers | row.key).toString().toStdString() +
                                 " x" + std::to_string(row.times) + " to " +
                                 row.caretLine.toStdString();
        int start = 0;
        int end = 0;
        const int caret = text->cursorPosition();
        EXPECT_EQ(text->textAtOffset(caret, QAccessible::LineBoundary, &start, &end).trimmed(),
                  row.caretLine)
            << step;
        EXPECT_EQ(caret - start, row.caretColumn) << step;
        EXPECT_EQ(view.firstVisibleLine(), row.firstVisible) << step;
        EXPECT_EQ(view.selectedText(), row.selected) << step;
    }
}

TEST_F(ReportViewTest, SelectAllCopiesTheWholeText) {
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), view.toPlainText());
    EXPECT_TRUE(view.toPlainText().startsWith(QStringLiteral("line 0\nline 1\n")));
    EXPECT_TRUE(view.toPlainText().endsWith(QStringLiteral("\nline 999")));
}

TEST_F(ReportViewTest, ADragSelectsFromLineToLine) {
    const int height = view.fontMetrics().lineSpacing();
    QWidget* area = view.viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(1, 4 + height / 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 4 + 2 * height + height / 2),
                     area->mapToGlobal(QPointF(1, 4 + 2 * height + height / 2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &move);
    QTest::mouseRelease(area, Qt::LeftButton);
    EXPECT_EQ(view.selectedText(), QStringLiteral("line 0\nline 1\n"));
}

// What a screen reader asks of a text box, by character offsets into the text as shown.
TEST_F(ReportViewTest, ToolsReadItByOffsetsAndSetItsCaretAndSelection) {
    // As the window shows a date block: an empty first line, and a name in UTF-8, so that the
    // later lines' offsets differ from their bytes'.
    view.setReportText("\r\nFiles cut on 12/04/2026\r\n      Tr\xc3\xa4ger.mv  -  08:00  -  1:0:0"
                       "\r\nTotal  -  1:0:0");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
    QAccessibleTextInterface* text = accessible->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(accessible->state().readOnly);

    enum class Ask { At, Before, After };
    struct Row {
        Ask ask;
        QAccessible::TextBoundaryType boundary;
        int offset;
        const char* text;
        int start;
        int end;
    };
    const Row rows[] = {
        {Ask::At, QAccessible::CharBoundary, 0, "\n", 0, 1},
        {Ask::At, QAccessible::CharBoundary, 1, "F", 1, 2},
        {Ask::Before, QAccessible::CharBoundary, 1, "\n", 0, 1},
        {Ask::After, QAccessible::CharBoundary, 24, " ", 25, 26},
        {Ask::At, QAccessible::WordBoundary, 3, "Files", 1, 6},
        {Ask::Before, QAccessible::WordBoundary, 7, " ", 6, 7},
        {Ask::After, QAccessible::WordBoundary, 6, "cut", 7, 10},
        {Ask::At, QAccessible::LineBoundary, 0, "\n", 0, 1},
        {Ask::At, QAccessible::LineBoundary, 5, "Files cut on 12/04/2026\n", 1, 25},
        {Ask::Before, QAccessible::LineBoundary, 5, "\n", 0, 1},
        {Ask::After, QAccessible::LineBoundary, 0, "Files cut on 12/04/2026\n", 1, 25},
        {Ask::At, QAccessible::CharBoundary, 1000, "", -1, -1},
    };
    for (const Row& row : rows) {
        int start = 0;
        int end = 0;
        const QString found = row.ask == Ask::At
                                  ? text->textAtOffset(row.offset, row.boundary, &start, &end)
                              : row.ask == Ask::Before
                                  ? text->textBeforeOffset(row.offset, row.boundary, &start, &end)
                                  : text->textAfterOffset(row.offset, row.boundary, &start, &end);
        EXPECT_EQ(std::tuple(found, start, end),
                  std::tuple(QString::fromUtf8(row.text), row.start, row.end))
            << static_cast<int>(row.ask) << " " << row.boundary << " at " << row.offset;
    }

    // Past the name in UTF-8: the whole text, and the last line.
    const int count = text->characterCount();
    EXPECT_EQ(count, view.toPlainText().size());
    EXPECT_EQ(text->text(0, count), view.toPlainText());
    int start = 0;
    int end = 0;
    EXPECT_EQ(text->textAtOffset(count, QAccessible::LineBoundary, &start, &end),
              QStringLiteral("Total  -  1:0:0"));
    EXPECT_EQ(std::pair(start, end), std::pair(count - 15, count));

    text->setCursorPosition(3);
    EXPECT_EQ(std::pair(text->cursorPosition(), text->selectionCount()), std::pair(3, 0));
    text->setSelection(0, 7, 10);
    text->selection(0, &start, &end);
    EXPECT_EQ(std::tuple(view.selectedText(), start, end, text->cursorPosition()),
              std::tuple(QStringLiteral("cut"), 7, 10, 10));
    text->removeSelection(0);
    EXPECT_EQ(std::pair(text->cursorPosition(), text->selectionCount()), std::pair(10, 0));

    // A character's box and the character at a point in it agree.
    const QRect box = text->characterRect(8);
    EXPECT_EQ(text->offsetAtPoint(QPoint(box.left() + 1, box.center().y())), 8);
}

TEST(ReportViewWidth, ALineWiderThanMeasuredWidensTheBarAfterThePaint) {
    // The lines longest in bytes are measured first; a shorter but wider one is met when painted.
    std::string text = std::string(60, 'W');
    for (int i = 0; i < 100; ++i)
        text += "\r\n" + std::string(100, 'i');
    ReportView view;
    view.resize(361, 433);
    view.setReportText(text);
    view.show();
    const int before = view.horizontalScrollBar()->maximum();
    view.grab();                                              // paints every line in sight
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), before); // the paint left the bars alone
    QCoreApplication::processEvents();
    EXPECT_GE(view.horizontalScrollBar()->maximum(),
              view.fontMetrics().horizontalAdvance(QString(60, QLatin1Char('W'))) -
                  view.viewport()->width());
    view.close();
}

} // namespace
