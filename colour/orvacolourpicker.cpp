#include "colour/orvacolourpicker.h"

#include "colour/colorpicker.h"
#include "colour/messages.h"
#include "colour/pickerglyphs.h"
#include "components/colourtext.h"
#include "components/errors.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QToolButton>
#include <QValidator>

#include <functional>

namespace pictaron {

namespace {

constexpr int kBorder = 3;

const QString kRangeMessage = QStringLiteral("All values must be between 0 and 255.");
const QString kHexMessage = QStringLiteral("HTML colours must be entered using hexadecimal characters.  This "
                                           "includes the numbers from 0 to 9 and the letters from A to F.");

// The list is filled afresh each time it opens.
class EntryCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;

    void showPopup() override
    {
        if (beforePopup)
            beforePopup();
        QComboBox::showPopup();
    }
};

QColor ToQColor(TColor colour)
{
    const RGBTriple t = ColorToTriple(colour);
    return QColor(t.red, t.green, t.blue);
}

// The longest text the entry holds.
const QString kWidestText = QStringLiteral("255,255,255");

} // namespace

// Checks every edit of the user's, whichever way it came (keys, paste,
// selection, drop, input method): blanks are dropped, a text typing could not
// make is refused and the entry keeps what it had.
class TOrvaColourPicker::EntryValidator : public QValidator {
public:
    explicit EntryValidator(TOrvaColourPicker* owner) : QValidator(owner), owner_(owner) {}

    State validate(QString& input, int& position) const override
    {
        if (owner_->writing_)
            return Acceptable;
        QString kept;
        int keptPosition = position;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const QChar c = input[i];
            if (c.isSpace() || c.category() == QChar::Other_Control) {
                if (i < position)
                    --keptPosition;
                continue;
            }
            kept += c;
        }
        if (!EntryTextAllowed(kept, owner_->mode_))
            return Invalid;
        input = kept;
        position = keptPosition;
        return Acceptable;
    }

private:
    TOrvaColourPicker* owner_;
};

TOrvaColourPicker::TOrvaColourPicker(TColor designedColour, QWidget* parent)
    : QWidget(parent), colour_(designedColour)
{
    auto* combo = new EntryCombo(this);
    combo->beforePopup = [this] { FillList(); };
    entry_ = combo;
    entry_->setEditable(true);
    entry_->setInsertPolicy(QComboBox::NoInsert);
    entry_->setCompleter(nullptr);
    entry_->setToolTip(tr("Six hexadecimal digits (FF8000) or red, green and blue from 0 to 255 (255,128,0); "
                          "Ctrl+Enter opens the colour picker"));
    // The combo box holds the focus (its text edit's focus goes to it) and
    // hands keys to the text edit directly, past any filter of the edit's own:
    // both are watched.
    entry_->installEventFilter(this);
    entry_->lineEdit()->installEventFilter(this);
    entry_->lineEdit()->setValidator(new EntryValidator(this));
    // The edit's own menu, whose Paste is checked like any other edit.
    entry_->lineEdit()->setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(entry_->lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (!fillingList_)
            ProcessText();
    });
    connect(entry_, &QComboBox::activated, this, &TOrvaColourPicker::ListChosen);

    button_ = new QToolButton(this);
    button_->setAutoRaise(true);
    button_->setToolTip(tr("Choose a colour"));
    button_->setFocusPolicy(Qt::NoFocus);
    connect(button_, &QToolButton::clicked, this, &TOrvaColourPicker::ShowPicker);

    setFocusProxy(entry_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(sizeHint());
}

int TOrvaColourPicker::EntryWidthFor(int textWidth) const
{
    // The text edit inside keeps two pixels each side and a pixel for the caret.
    const int editWidth = textWidth + 2 * 2 + 1 + 2;
    QStyleOptionComboBox option;
    option.initFrom(entry_);
    option.editable = true;
    option.frame = entry_->hasFrame();
    QStyle* style = entry_->style();
    int width = style->sizeFromContents(QStyle::CT_ComboBox, &option,
                                        QSize(editWidth, entry_->fontMetrics().height()), entry_)
                    .width();
    // Styles differ in how much of that they give the edit: measured, not trusted.
    option.rect = QRect(0, 0, width, entry_->sizeHint().height());
    const int given = style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, entry_).width();
    if (given < editWidth)
        width += editWidth - given;
    return width;
}

QSize TOrvaColourPicker::sizeHint() const
{
    const int height = std::max(27, entry_->sizeHint().height() + 2 * kBorder);
    const int side = height - 2 * kBorder;
    const int textWidth = entry_->lineEdit()->fontMetrics().horizontalAdvance(kWidestText);
    return QSize(2 * kBorder + EntryWidthFor(textWidth) + 2 + side, height);
}

QSize TOrvaColourPicker::minimumSizeHint() const
{
    return sizeHint();
}

RGBTriple TOrvaColourPicker::GetRGB() const
{
    return valid_ ? ColorToTriple(colour_) : RGBTriple{};
}

void TOrvaColourPicker::SetColour(TColor colour)
{
    SetEntryText(mode_ == EntryMode::Hex ? ColorToHexText(colour) : ColorToDecimalText(colour));
}

QString TOrvaColourPicker::Text() const
{
    return entry_->lineEdit()->text();
}

void TOrvaColourPicker::SetText(const QString& text)
{
    SetEntryText(text);
}

// Setting the same text again is still a change to process.
void TOrvaColourPicker::SetEntryText(const QString& text)
{
    if (Text() == text)
        ProcessText();
    else
        WriteEntry(text);
}

void TOrvaColourPicker::WriteEntry(const QString& text)
{
    const bool outer = !writing_;
    writing_ = true;
    entry_->lineEdit()->setText(text);
    if (outer)
        writing_ = false;
}

void TOrvaColourPicker::ProcessText()
{
    const QString text = Text();
    mode_ = EntryModeOfText(text, mode_);

    if (mode_ == EntryMode::Decimal) {
        const EntryCheck check = CheckEntryText(text, EntryMode::Decimal);
        if (check == EntryCheck::OutOfRange && Warnings)
            Messages().Show(this, kRangeMessage);
        valid_ = check == EntryCheck::Valid;
        colour_ = valid_ ? DecimalTextToColor(text) : clBtnFace;
    } else {
        if (text.startsWith(QLatin1Char('#'))) {
            WriteEntry(text.mid(1)); // processed as a change of its own
            return;
        }
        valid_ = CheckEntryText(text, EntryMode::Hex) == EntryCheck::Valid;
        colour_ = clBtnFace;
        if (valid_) {
            try {
                colour_ = HexTextToColor(text);
            } catch (const PictaronError&) {
                // Six characters that are not all hexadecimal are no colour.
                valid_ = false;
                Messages().Show(this, kHexMessage);
            }
        }
    }
    update();
    emit OnChange();
}

bool TOrvaColourPicker::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == entry_ || watched == entry_->lineEdit()) && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return KeyDown(key->key(), key->modifiers(), key->text());
    }
    return QWidget::eventFilter(watched, event);
}

bool TOrvaColourPicker::KeyDown(int key, Qt::KeyboardModifiers modifiers, const QString& typed)
{
    QLineEdit* edit = entry_->lineEdit();
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (ctrl && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        ShowPicker();
        return true;
    }
    if (key == Qt::Key_Comma && mode_ == EntryMode::Hex) {
        const QString converted = HexEntryToDecimal(Text());
        if (converted != Text()) {
            WriteEntry(converted);
            edit->setCursorPosition(static_cast<int>(converted.size()));
        }
        mode_ = EntryMode::Decimal;
        if (CheckEntryText(Text(), EntryMode::Decimal) == EntryCheck::Valid)
            return true;
    }
    if (mode_ == EntryMode::Decimal && key >= Qt::Key_A && key <= Qt::Key_F && !ctrl
        && !(modifiers & Qt::AltModifier)) {
        const QString shortened = DecimalEntryToHex(Text());
        WriteEntry(shortened);
        edit->setCursorPosition(static_cast<int>(shortened.size()));
        mode_ = EntryMode::Hex;
    }

    // The allowed characters; a full stop and the control keys always pass.
    if (typed.isEmpty() || !typed[0].isPrint() || ctrl || (modifiers & Qt::AltModifier))
        return false;
    const QChar c = typed[0].toLower();
    if (c == QLatin1Char('.'))
        return false;
    if (!AllowedEntryCharacters(mode_).contains(c))
        return true;
    // Six characters at most in hex mode; only typing is limited, so a text
    // set with a leading "#" still arrives whole.
    return mode_ == EntryMode::Hex && Text().size() - edit->selectedText().size() >= 6;
}

void TOrvaColourPicker::FillList()
{
    fillingList_ = true;
    QLineEdit* edit = entry_->lineEdit();
    const QString text = edit->text();
    const int caret = edit->cursorPosition();
    entry_->clear();
    if (valid_) {
        entry_->addItem(mode_ == EntryMode::Hex ? text : ColorToHexText(colour_));
        entry_->addItem(mode_ == EntryMode::Decimal ? text : ColorToDecimalText(colour_));
    }
    entry_->setCurrentIndex(-1);
    WriteEntry(text);
    edit->setCursorPosition(caret);
    fillingList_ = false;
}

void TOrvaColourPicker::ListChosen(int index)
{
    mode_ = index == 0 ? EntryMode::Hex : EntryMode::Decimal;
    SetEntryText(entry_->itemText(index));
}

void TOrvaColourPicker::ShowPicker()
{
    {
        TfrmColorPicker picker(this);
        if (valid_)
            picker.SetCurrentColour(colour_);
        if (picker.exec() == QDialog::Accepted)
            SetColour(picker.ChosenColour());
    }
    emit Clicked();
}

void TOrvaColourPicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(colour_));
}

// A click on the border gives the entry the focus, as a click on the entry does.
void TOrvaColourPicker::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled())
        entry_->setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

void TOrvaColourPicker::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

void TOrvaColourPicker::resizeEvent(QResizeEvent*)
{
    const int side = std::max(1, height() - 2 * kBorder);
    entry_->setGeometry(kBorder, kBorder, std::max(1, width() - 2 * kBorder - side - 2), side);
    button_->setGeometry(entry_->geometry().right() + 3, kBorder, side, side);
    button_->setIconSize(QSize(side - 3, side - 3));
    button_->setIcon(QIcon(FourCirclesGlyph(side - 3)));
}

} // namespace pictaron
