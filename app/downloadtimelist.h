// The download-time list at the top right of the main window.
//
// A drop-down list without an edit field whose items are texts with fields
// separated by "|": item 0 the header ("Speed|Current|New"), items 1 to 7 the
// line speeds, and with today's lines shown three more. Each item is drawn in columns: the first field bold at 2 pixels,
// the second at 45 and a third at 95, in the normal style; an item of fewer
// than two fields draws "Download Time". The closed list draws its selected
// item the same way. Where the font is wider than the one those places were
// made for, the columns move right by what its widest fields need, so they
// never run into each other, and the list grows to hold them.
#pragma once

#include <QComboBox>

class QPainter;

namespace pictaron {

class DownloadTimeList : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 13;
    static constexpr int kWidth = 155;

    explicit DownloadTimeList(QWidget* parent = nullptr);

    // Where the second and third fields start, and the width all three need;
    // todaysLines makes room for the names of today's lines too.
    struct Columns {
        int current = 45;
        int fresh = 95;
        int width = 0;
    };
    static Columns ColumnsFor(const QFont& font, bool todaysLines = false);

    // Draws one item's fields into rect (the list's draw-item handler).
    static void cmbDownloadTimeDrawItem(QPainter& painter, const QRect& rect, const QString& item,
                                        const QFont& font, bool todaysLines = false);

    // Whether the rows of today's lines may be among the items: the columns
    // then stand where their longer names leave room.
    void SetTodaysLines(bool shown);
    bool TodaysLines() const { return todaysLines_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FitWidth();

    bool todaysLines_ = false;
};

} // namespace pictaron
