#include "colour/palettegrid.h"

#include "colour/spectrum.h"
#include "components/colourtext.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace pictaron {

namespace {

constexpr int kLastFadeStep = 13;
constexpr int kFadeInterval = 20; // milliseconds per drawn step

int Index(QPoint cell) { return cell.x() + kPickerColumns * cell.y(); }

QColor ToQColor(TColor colour)
{
    const RGBTriple t = ColorToTriple(colour);
    return QColor(t.red, t.green, t.blue);
}

} // namespace

PaletteGrid::PaletteGrid(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
    fadeTimer_.setInterval(kFadeInterval);
    connect(&fadeTimer_, &QTimer::timeout, this, &PaletteGrid::FadeStep);
}

QSize PaletteGrid::sizeHint() const
{
    const int side = kLine + kPickerColumns * kPitch;
    return QSize(side, side);
}

void PaletteGrid::ShowPalette(const PickerPalette& palette, bool fade)
{
    for (int i = 0; i < kPickerCells; ++i)
        colours_[static_cast<std::size_t>(i)] = palette.ColourAt(i);
    fadeTimer_.stop();
    if (!fade) {
        shown_ = colours_;
        update();
        return;
    }
    steps_.assign(kPickerCells, {});
    for (int i = 0; i < kPickerCells; ++i)
        GradientFill(steps_[static_cast<std::size_t>(i)].data(), 0, 15, ColorToTriple(shown_[static_cast<std::size_t>(i)]),
                     ColorToTriple(colours_[static_cast<std::size_t>(i)]));
    step_ = 0;
    FadeStep();
    fadeTimer_.start();
}

void PaletteGrid::FadeStep()
{
    if (step_ > kLastFadeStep) {
        fadeTimer_.stop();
        steps_.clear();
        shown_ = colours_;
    } else {
        for (int i = 0; i < kPickerCells; ++i)
            shown_[static_cast<std::size_t>(i)] = TripleToColor(steps_[static_cast<std::size_t>(i)][static_cast<std::size_t>(step_)]);
        ++step_;
    }
    update();
}

TColor PaletteGrid::CellColour(QPoint cell) const
{
    return colours_[static_cast<std::size_t>(Index(cell))];
}

TColor PaletteGrid::ShownColour(QPoint cell) const
{
    return shown_[static_cast<std::size_t>(Index(cell))];
}

QString PaletteGrid::CellText(QPoint cell) const
{
    return ColorToDecimalText(CellColour(cell));
}

void PaletteGrid::Select(QPoint cell)
{
    selected_ = QPoint(std::clamp(cell.x(), 0, kPickerColumns - 1), std::clamp(cell.y(), 0, kPickerColumns - 1));
    update();
    emit CellSelected(selected_);
}

QRect PaletteGrid::CellRect(QPoint cell) const
{
    return QRect(kLine + kPitch * cell.x(), kLine + kPitch * cell.y(), kCell, kCell);
}

QPoint PaletteGrid::CellAt(QPoint position) const
{
    const QPoint cell((position.x() - kLine) / kPitch, (position.y() - kLine) / kPitch);
    if (position.x() < kLine || position.y() < kLine || cell.x() >= kPickerColumns || cell.y() >= kPickerColumns)
        return QPoint(-1, -1);
    return cell;
}

void PaletteGrid::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Mid));
    for (int row = 0; row < kPickerColumns; ++row)
        for (int column = 0; column < kPickerColumns; ++column)
            p.fillRect(CellRect(QPoint(column, row)), ToQColor(ShownColour(QPoint(column, row))));
    // The selected cell is ringed on the grid lines around it.
    const QRect ring = CellRect(selected_).adjusted(-2, -2, 1, 1);
    p.setPen(QPen(hasFocus() ? palette().color(QPalette::Highlight) : Qt::black, 1));
    p.drawRect(ring);
    p.setPen(Qt::white);
    p.drawRect(ring.adjusted(1, 1, -1, -1));
}

void PaletteGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint cell = CellAt(event->position().toPoint());
    if (cell.x() >= 0 && event->button() == Qt::LeftButton)
        Select(cell);
}

void PaletteGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint cell = CellAt(event->position().toPoint());
    if (cell.x() >= 0 && event->button() == Qt::LeftButton)
        emit CellDoubleClicked(cell);
}

void PaletteGrid::keyPressEvent(QKeyEvent* event)
{
    QPoint cell = selected_;
    switch (event->key()) {
    case Qt::Key_Left: cell.rx() -= 1; break;
    case Qt::Key_Right: cell.rx() += 1; break;
    case Qt::Key_Up: cell.ry() -= 1; break;
    case Qt::Key_Down: cell.ry() += 1; break;
    case Qt::Key_Home: cell.rx() = 0; break;
    case Qt::Key_End: cell.rx() = kPickerColumns - 1; break;
    default: QWidget::keyPressEvent(event); return;
    }
    Select(cell);
}

bool PaletteGrid::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QPoint cell = CellAt(help->pos());
        if (cell.x() >= 0)
            QToolTip::showText(help->globalPos(), CellText(cell), this, CellRect(cell));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace pictaron
