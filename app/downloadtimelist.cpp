#include "app/downloadtimelist.h"

#include "components/textutils.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace pictaron {

namespace {

class ItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // The current brush: the selection colour on the highlighted row.
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
        painter->setPen(selected ? option.palette.highlightedText().color() : option.palette.text().color());
        DownloadTimeList::cmbDownloadTimeDrawItem(*painter, option.rect, index.data().toString(), option.font);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), DownloadTimeList::kItemHeight);
    }
};

} // namespace

DownloadTimeList::DownloadTimeList(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("cmbDownloadTime"));
    setEditable(false);
    setFixedWidth(kWidth);
    setItemDelegate(new ItemDelegate(this));
    addItem(QStringLiteral("Download Time (secs):"));
    setCurrentIndex(-1);
    view()->setMinimumWidth(kWidth);
}

void DownloadTimeList::cmbDownloadTimeDrawItem(QPainter& painter, const QRect& rect, const QString& item,
                                               const QFont& font)
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
    draw(2, fields[0]);
    painter.setFont(font);
    draw(45, fields[1]);
    if (fields.size() == 3)
        draw(95, fields[2]);
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
    cmbDownloadTimeDrawItem(painter, field.adjusted(-2, 0, 0, 0), item, font());
}

} // namespace pictaron
