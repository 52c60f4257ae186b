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

TEST_F(ReportViewTest, KeysScrollLikeATextBox) {
    const qsizetype page = view.verticalScrollBar()->pageStep();
    const qsizetype last = view.verticalScrollBar()->maximum();
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, qsizetype> steps[] = {
        {Qt::Key_Down, Qt::NoModifier, 1},        {Qt::Key_PageDown, Qt::NoModifier, 1 + page},
        {Qt::Key_Up, Qt::NoModifier, page},       {Qt::Key_End, Qt::ControlModifier, last},
        {Qt::Key_PageDown, Qt::NoModifier, last}, {Qt::Key_Home, Qt::ControlModifier, 0}};
    for (const auto& [key, modifiers, expected] : steps) {
        QTest::keyClick(&view, key, modifiers);
        EXPECT_EQ(view.firstVisibleLine(), expected) << QTest::toString(key);
    }
    EXPECT_EQ(last, view.lineCount() - page);
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

TEST_F(ReportViewTest, GivesItsTextToAccessibilityTools) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Value), view.toPlainText());
    EXPECT_TRUE(accessible->state().readOnly);
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
