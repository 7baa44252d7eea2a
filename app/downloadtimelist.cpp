#include "app/downloadtimelist.h"

#include "app/report.h"
#include "components/textutils.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>

namespace pictaron {

namespace {

class ItemDelegate : public QStyledItemDelegate {
public:
    explicit ItemDelegate(DownloadTimeList* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // The current brush: the selection colour on the highlighted row.
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
        painter->setPen(selected ? option.palette.highlightedText().color() : option.palette.text().color());
        DownloadTimeList::cmbDownloadTimeDrawItem(*painter, option.rect, index.data().toString(), option.font,
                                                  list_->TodaysLines());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), DownloadTimeList::kItemHeight);
    }

private:
    const DownloadTimeList* list_;
};

} // namespace

DownloadTimeList::DownloadTimeList(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("cmbDownloadTime"));
    setEditable(false);
    setItemDelegate(new ItemDelegate(this));
    addItem(QStringLiteral("Download Time (secs):"));
    setCurrentIndex(-1);
    FitWidth();
}

DownloadTimeList::Columns DownloadTimeList::ColumnsFor(const QFont& font, bool todaysLines)
{
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics names(bold), times(font);
    constexpr int kGap = 6;
    int widestName = names.horizontalAdvance(QStringLiteral("Speed"));
    for (const LineSpeed& speed : kLineSpeeds)
        widestName = std::max(widestName, names.horizontalAdvance(QString::fromLatin1(speed.label)));
    if (todaysLines)
        for (const LineSpeed& speed : kTodaysLineSpeeds)
            widestName = std::max(widestName, names.horizontalAdvance(QString::fromLatin1(speed.label)));
    // The widest times: five digits cover an original of a day at the slowest
    // line; a new picture for the web takes four at most.
    const int widestCurrent = std::max(times.horizontalAdvance(QStringLiteral("(88888 sec)")),
                                       times.horizontalAdvance(QStringLiteral("Current")));
    const int widestNew = std::max(times.horizontalAdvance(QStringLiteral("8888 sec")),
                                   times.horizontalAdvance(QStringLiteral("New")));
    Columns columns;
    columns.current = std::max(columns.current, 2 + widestName + kGap);
    columns.fresh = std::max(columns.fresh, columns.current + widestCurrent + kGap);
    columns.width = columns.fresh + widestNew + kGap;
    return columns;
}

void DownloadTimeList::FitWidth()
{
    // Room for the columns beside the drop-down arrow.
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const int arrow = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this).width();
    const Columns columns = ColumnsFor(font(), todaysLines_);
    setFixedWidth(std::max(int(kWidth), columns.width + arrow));
    view()->setMinimumWidth(width());
}

void DownloadTimeList::changeEvent(QEvent* event)
{
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitWidth();
}

void DownloadTimeList::SetTodaysLines(bool shown)
{
    todaysLines_ = shown;
    FitWidth();
    update();
}

void DownloadTimeList::cmbDownloadTimeDrawItem(QPainter& painter, const QRect& rect, const QString& item,
                                               const QFont& font, bool todaysLines)
{
    const QStringList fields = SplitText(item, QStringLiteral("|"));
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    const auto draw = [&painter, &rect](int left, const QString& text) {
        painter.drawText(QRect(rect.left() + left, rect.top(), rect.width() - left, rect.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    };
    if (fields.size() < 2) {
        draw(2, QStringLiteral("Download Time"));
        return;
    }
    const Columns columns = ColumnsFor(font, todaysLines);
    draw(2, fields[0]);
    painter.setFont(font);
    draw(columns.current, fields[1]);
    if (fields.size() == 3)
        draw(columns.fresh, fields[2]);
}

void DownloadTimeList::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    // With nothing selected the closed list draws like its design-time item.
    const QString item = currentIndex() >= 0 ? currentText() : QString();
    cmbDownloadTimeDrawItem(painter, field.adjusted(-2, 0, 0, 0), item, font(), todaysLines_);
}

} // namespace pictaron
