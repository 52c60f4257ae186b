#pragma once

#include <QAbstractScrollArea>
#include <QKeySequence>
#include <QString>
#include <string>
#include <vector>

// A read-only view of the report text that lays out only the lines in sight, so that a report
// of a million lines opens at once. It keeps what a user does with a text box: scrolling by
// wheel, keys and bars, selecting with the mouse (Shift extends), copying, Select All and a
// context menu with both; and it gives its text to accessibility tools.
//
// The text is kept as the scan's bytes and decoded line by line when shown.
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

private:
    // A place in the text: a line and a character within its decoded text.
    struct Position {
        qsizetype line = 0;
        qsizetype column = 0;
        friend auto operator<=>(const Position&, const Position&) = default;
    };

    QString lineText(qsizetype line) const;
    Position positionAt(const QPoint& point) const;
    void updateScrollBars();
    int lineWidth(const QString& text) const;
    void widenLater(const QString& text);
    int lineHeight() const;
    int visibleLines() const;

    QAction* webPageAction_ = nullptr;
    std::string bytes_;
    std::vector<size_t> lineStarts_{0}; // offset of each line in bytes_
    int widest_ = 0;                    // widest line seen, in pixels
    bool widthPending_ = false;         // the bars are yet to take widest_
    Position anchor_;
    Position cursor_; // the selection runs from anchor_ to cursor_
};
