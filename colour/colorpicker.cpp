#include "colour/colorpicker.h"
#include "components/qtbridge.h"

#include "colour/messages.h"
#include "colour/palettegrid.h"
#include "colour/pickerglyphs.h"
#include "colour/screengrab.h"
#include "colour/spectrumpanel.h"
#include "colour/swatch.h"
#include "colour/websafefile.h"
#include "components/errors.h"
#include "components/formposition.h"
#include "components/orvaedit.h"
#include "components/settingstext.h"
#include "preview/zoom.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>

namespace pictaron {

namespace {

constexpr int kNarrowWidth = 245;
constexpr int kWideWidth = 366;
constexpr int kClientHeight = 443;
constexpr int kToolSide = 28;

bool gFade = false;

const QString kArrowStepKey = QStringLiteral(" Arrow Key Movement");

QToolButton* ToolButton(QWidget* parent, const char* name, PickerGlyph glyph, const QString& hint,
                        QRect geometry, bool toggle = false)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(PickerIcon(glyph));
    button->setToolTip(hint);
    button->setCheckable(toggle);
    button->setGeometry(geometry);
    return button;
}

// Spaces and control characters, then one double quote, off each end.
QString CleanPastedHex(QString text)
{
    text.remove(QLatin1Char('#'));
    const auto blank = [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; };
    while (!text.isEmpty() && blank(text.front()))
        text.remove(0, 1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    if (text.startsWith(QLatin1Char('"')))
        text.remove(0, 1);
    if (text.endsWith(QLatin1Char('"')))
        text.chop(1);
    return text;
}

void SetKeepingCaret(QLineEdit* field, const QString& text)
{
    const int caret = field->cursorPosition();
    field->setText(text);
    field->setCursorPosition(std::min(caret, static_cast<int>(text.size())));
}

} // namespace

TfrmColorPicker::TfrmColorPicker(QWidget* parent)
    : QDialog(parent), settings_(OpenPickerSettings())
{
    setObjectName(QStringLiteral("frmColorPicker"));
    setWindowTitle(tr("Color Picker"));
    BuildControls();
    Open();
}

TfrmColorPicker::~TfrmColorPicker() = default;

bool TfrmColorPicker::FadeOn()
{
    return gFade;
}

void TfrmColorPicker::BuildControls()
{
    cmbPal_ = new QComboBox(this);
    cmbPal_->setObjectName(QStringLiteral("cmbPal"));
    cmbPal_->setToolTip(tr("Select palette or GIF"));
    cmbPal_->setGeometry(8, 8, 165, 24);
    btnLoadFile_ = ToolButton(this, "btnLoadFile", PickerGlyph::Open, tr("Load palette"), QRect(177, 8, 28, 24));
    btnMoreColor_ = ToolButton(this, "btnMoreColor", PickerGlyph::MoreColours, tr("More colors"),
                               QRect(209, 8, 28, 24), true);

    cmbSort_ = new QComboBox(this);
    cmbSort_->setObjectName(QStringLiteral("cmbSort"));
    cmbSort_->addItems({QStringLiteral("Palette Order"), QStringLiteral("Luminance")});
    cmbSort_->setGeometry(8, 38, 229, 24);

    grid1_ = new PaletteGrid(this);
    grid1_->setObjectName(QStringLiteral("grid1"));
    grid1_->move(17, 68);

    cmbSchemes_ = new QComboBox(this);
    cmbSchemes_->setObjectName(QStringLiteral("cmbSchemes"));
    cmbSchemes_->setToolTip(tr("Custom color scheme"));
    cmbSchemes_->setGeometry(8, 286, 165, 24);
    btnAddScheme_ = ToolButton(this, "btnAddScheme", PickerGlyph::Add, tr("Create new group of custom colors"),
                               QRect(177, 286, 28, 24));
    btnDeleteScheme_ = ToolButton(this, "btnDeleteScheme", PickerGlyph::Remove,
                                  tr("Remove a group of custom colors"), QRect(209, 286, 28, 24));
    pnlCustom_ = new QWidget(this);
    pnlCustom_->setObjectName(QStringLiteral("pnlCustom"));
    pnlCustom_->setGeometry(17, 314, 210, 15);
    BuildCustomControls(pnlCustom_);

    BuildCurrentColourControls();

    pnlSpectrum_ = new SpectrumPanel(this);
    pnlSpectrum_->setObjectName(QStringLiteral("pnlSpectrum"));
    pnlSpectrum_->move(kNarrowWidth + 2, 0);
    pnlSpectrum_->hide();
    setFixedSize(kNarrowWidth, kClientHeight);

    // What the swatch shows is what OK returns: white, the swatch's own colour,
    // until a colour is set.
    SetCurrentColour(clWhite);

    connect(cmbPal_, &QComboBox::activated, this, &TfrmColorPicker::PaletteChosen);
    connect(btnLoadFile_, &QToolButton::clicked, this, &TfrmColorPicker::BrowseForPalette);
    connect(btnMoreColor_, &QToolButton::clicked, this, &TfrmColorPicker::ToggleSpectrum);
    connect(cmbSort_, &QComboBox::activated, this, &TfrmColorPicker::LoadCurrentPalette);
    connect(grid1_, &PaletteGrid::CellSelected, this, &TfrmColorPicker::CellSelected);
    connect(grid1_, &PaletteGrid::CellDoubleClicked, this, &QDialog::accept);
    connect(cmbSchemes_, &QComboBox::activated, this, &TfrmColorPicker::SchemeChosen);
    connect(btnAddScheme_, &QToolButton::clicked, this, &TfrmColorPicker::AddScheme);
    connect(btnDeleteScheme_, &QToolButton::clicked, this, &TfrmColorPicker::DeleteScheme);
    connect(pnlSpectrum_, &SpectrumPanel::ColourChosen, this, &TfrmColorPicker::SetCurrentColour);

    // The dialog sees the arrow keys before its controls.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TfrmColorPicker::BuildCurrentColourControls()
{
    shColor_ = new ColourSwatch(this);
    shColor_->setObjectName(QStringLiteral("shColor"));
    shColor_->setToolTip(tr("Selected color"));
    shColor_->setGeometry(8, 340, 56, 52);
    connect(shColor_, &ColourSwatch::Pressed, this, &TfrmColorPicker::SwatchPressed);

    fadeMenu_ = new QMenu(this);
    QAction* fade = fadeMenu_->addAction(tr("&Fade"));
    fade->setObjectName(QStringLiteral("mnuFade"));
    fade->setCheckable(true);
    connect(fade, &QAction::triggered, this, [this](bool on) {
        gFade = on;
        WritePickerBool(*settings_, QStringLiteral("Fade"), on);
    });

    const char* decimalNames[3] = {"txtRed", "txtGreen", "txtBlue"};
    const char* hexNames[3] = {"txtHexRed", "txtHexGreen", "txtHexBlue"};
    auto* rgb = new QLabel(tr("RGB"), this);
    rgb->setGeometry(72, 340, 32, 24);
    auto* hex = new QLabel(tr("Hex"), this);
    hex->setGeometry(72, 368, 32, 24);
    for (int c = 0; c < 3; ++c) {
        TOrvaEdit* decimal = new TOrvaEdit(this);
        decimal->setObjectName(QString::fromLatin1(decimalNames[c]));
        decimal->NumericOnly = true;
        decimal->Max = 255;
        decimal->setMaxLength(3);
        decimal->setGeometry(105 + 44 * c, 340, 42, 24);
        // Typing is filtered by the field's own rules; the validator holds a
        // paste by any other route (menu, selection, drop) to the same.
        decimal->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("|[0-9]|[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5]|0[0-9]{1,2}")),
            decimal));
        connect(decimal, &QLineEdit::textChanged, this, [this, c] { DecimalChanged(c); });
        txtDecimal_[static_cast<std::size_t>(c)] = decimal;

        TOrvaEdit* hexField = new TOrvaEdit(this);
        hexField->setObjectName(QString::fromLatin1(hexNames[c]));
        hexField->AllowChars = QStringLiteral("1234567890ABCDEFabcdef");
        hexField->setMaxLength(2);
        hexField->setGeometry(105 + 44 * c, 368, 42, 24);
        hexField->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,2}")), hexField));
        connect(hexField, &QLineEdit::textChanged, this, [this, c] { HexChanged(c); });
        txtHex_[static_cast<std::size_t>(c)] = hexField;
    }
    rgb->setBuddy(txtDecimal_[0]);
    hex->setBuddy(txtHex_[0]);

    btnSample_ = ToolButton(this, "btnSample", PickerGlyph::Sample, tr("Take a color from the screen"),
                            QRect(8, 404, kToolSide, kToolSide), true);
    btnZoom_ = ToolButton(this, "btnZoom", PickerGlyph::Zoom, tr("Magnify the screen to pick a pixel"),
                          QRect(40, 404, kToolSide, kToolSide), true);
    btnFind_ = ToolButton(this, "btnFind", PickerGlyph::Find, tr("Find nearest color in the palette"),
                          QRect(72, 404, kToolSide, kToolSide));
    btnOK_ = new QPushButton(tr("&OK"), this);
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnOK_->setDefault(true);
    btnOK_->setGeometry(109, 404, 62, kToolSide);
    btnCancel_ = new QPushButton(tr("&Cancel"), this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnCancel_->setGeometry(175, 404, 62, kToolSide);

    connect(btnSample_, &QToolButton::clicked, this, &TfrmColorPicker::StartSampling);
    connect(btnZoom_, &QToolButton::clicked, this, &TfrmColorPicker::ShowZoom);
    connect(btnFind_, &QToolButton::clicked, this, &TfrmColorPicker::FindNearestColour);
    connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmColorPicker::Open()
{
    FillSchemeList();
    SchemeChosen();

    const QString websafe = WebSafeFile();
    try {
        EnsureWebSafePaletteFile(websafe);
    } catch (const PictaronError& error) {
        Messages().Show(this, QStringLiteral("An error occurred while trying to extract WEBSAFE to %1.\n\n%2")
                                  .arg(websafe, ToQString(error.message())));
    }

    const QString stored = ReadTextSetting(*settings_, QStringLiteral("InitialDir"));
    paletteFolder_ = stored.isEmpty() ? QCoreApplication::applicationDirPath() : stored;
    FillPaletteList();
    const QString last = ReadTextSetting(*settings_, QStringLiteral("Last File"),
                                         ReadTextSetting(*settings_, QStringLiteral("Last file"),
                                                         QStringLiteral("websafe.pal")));
    SelectPaletteEntry(cmbPal_->findText(last) >= 0 ? last : QStringLiteral("websafe.pal"));
    PaletteChosen();

    if (ReadPickerBool(*settings_, QStringLiteral("Show "), false)) {
        btnMoreColor_->setChecked(true);
        ToggleSpectrum();
    }
    gFade = ReadPickerBool(*settings_, QStringLiteral("Fade"), false);
    fadeMenu_->actions().constFirst()->setChecked(gFade);
}

void TfrmColorPicker::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    grid1_->setFocus();
}

void TfrmColorPicker::done(int result)
{
    EndSampling();
    if (result == QDialog::Accepted) {
        chosen_ = current_;
        SaveCustoms();
    }
    QDialog::done(result);
}

void TfrmColorPicker::SetCurrentColour(TColor colour)
{
    const RGBTriple t = ColorToTriple(colour);
    const int channels[3] = {t.red, t.green, t.blue};
    for (int c = 0; c < 3; ++c)
        txtDecimal_[static_cast<std::size_t>(c)]->setText(QString::number(channels[c]));
    ShowCurrent(TripleToColor(t));
}

void TfrmColorPicker::ShowCurrent(TColor colour)
{
    current_ = colour;
    shColor_->SetColour(colour);
}

void TfrmColorPicker::ColourFromDecimalFields()
{
    int channels[3];
    for (int c = 0; c < 3; ++c)
        channels[c] = Clamp(txtDecimal_[static_cast<std::size_t>(c)]->IntValue(), 0, 255);
    ShowCurrent(TripleToColor(RGBTriple{std::uint8_t(channels[2]), std::uint8_t(channels[1]), std::uint8_t(channels[0])}));
}

void TfrmColorPicker::DecimalChanged(int channel)
{
    TOrvaEdit* decimal = txtDecimal_[static_cast<std::size_t>(channel)];
    if (decimal->text().isEmpty())
        return;
    const QString hex = QStringLiteral("%1").arg(Clamp(decimal->IntValue(), 0, 255), 2, 16, QLatin1Char('0')).toUpper();
    TOrvaEdit* partner = txtHex_[static_cast<std::size_t>(channel)];
    if (hex != partner->text()) {
        SetKeepingCaret(partner, hex);
        ColourFromDecimalFields();
    }
}

void TfrmColorPicker::HexChanged(int channel)
{
    TOrvaEdit* hex = txtHex_[static_cast<std::size_t>(channel)];
    if (hex->text().size() != 2)
        return;
    bool ok = false;
    const int value = hex->text().toInt(&ok, 16);
    TOrvaEdit* partner = txtDecimal_[static_cast<std::size_t>(channel)];
    if (ok && value != partner->IntValue()) {
        SetKeepingCaret(partner, QString::number(value));
        ColourFromDecimalFields();
    }
}

// Ctrl+V or Shift+Insert in a colour field with a colour code on the
// clipboard. A handled paste consumes the key: the field's own paste would
// put the whole code into a field of two or three characters. A code is
// taken only whole and valid, as typing could have made it: six hexadecimal
// digits, or three numbers from 0 to 255; anything else changes no field.
bool TfrmColorPicker::PasteInto(bool hex)
{
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty())
        return false;
    if (hex) {
        const QString code = CleanPastedHex(text);
        bool ok = code.size() == 6;
        for (const QChar c : code)
            ok = ok && QStringLiteral("0123456789ABCDEFabcdef").contains(c);
        if (!ok) {
            Messages().Show(this, code + QStringLiteral(" is not a valid HTML color code."));
            return true;
        }
        for (int c = 0; c < 3; ++c)
            txtHex_[static_cast<std::size_t>(c)]->setText(code.mid(2 * c, 2).toUpper());
        return true;
    }
    if (!text.contains(QLatin1Char(',')))
        return false;
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return false;
    QStringList numbers;
    for (const QString& part : parts) {
        const QString number = part.trimmed();
        bool ok = !number.isEmpty() && number.size() <= 3;
        for (const QChar c : number)
            ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!ok || number.toInt() > 255) {
            Messages().Show(this, text.trimmed() + QStringLiteral(" is not a valid RGB color."));
            return true;
        }
        numbers << QString::number(number.toInt());
    }
    for (int c = 0; c < 3; ++c)
        txtDecimal_[static_cast<std::size_t>(c)]->setText(numbers[c]);
    return true;
}

bool TfrmColorPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (btnMoreColor_->isChecked()
            && pnlSpectrum_->ArrowKey(key->key(), key->modifiers() & Qt::ControlModifier,
                                      static_cast<int>(ReadPickerInteger(*settings_, kArrowStepKey, 10))))
            return true;
        if (key->matches(QKeySequence::Paste)) {
            for (int c = 0; c < 3; ++c) {
                if (watched == txtHex_[static_cast<std::size_t>(c)])
                    return PasteInto(true);
                if (watched == txtDecimal_[static_cast<std::size_t>(c)])
                    return PasteInto(false);
            }
        }
    }
    if (watched == btnSample_ && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton || (mouse->modifiers() & Qt::ShiftModifier)) {
            StartSampling();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmColorPicker::SwatchPressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPosition)
{
    if (button == Qt::RightButton && (modifiers & Qt::ShiftModifier))
        fadeMenu_->popup(globalPosition);
}

// Screen sampling: the dialog holds the mouse until the next release and
// every move takes the pixel under the pointer.
void TfrmColorPicker::StartSampling()
{
    sampling_ = true;
    btnSample_->setChecked(true);
    setMouseTracking(true);
    grabMouse(SampleCursor());
}

void TfrmColorPicker::EndSampling()
{
    if (!sampling_)
        return;
    sampling_ = false;
    btnSample_->setChecked(false);
    setMouseTracking(false);
    releaseMouse();
}

void TfrmColorPicker::SampleAt(QPoint globalPosition)
{
    const std::optional<TColor> colour = ScreenPixel(globalPosition);
    if (colour) {
        SetCurrentColour(*colour);
        return;
    }
    EndSampling();
    if (!refusedShown_) {
        refusedShown_ = true;
        Messages().Show(this, ScreenRefusedText());
    }
}

void TfrmColorPicker::mousePressEvent(QMouseEvent* event)
{
    if (!sampling_)
        releaseMouse();
    QDialog::mousePressEvent(event);
}

void TfrmColorPicker::mouseMoveEvent(QMouseEvent* event)
{
    if (sampling_ || (event->buttons() & Qt::LeftButton))
        SampleAt(event->globalPosition().toPoint());
    QDialog::mouseMoveEvent(event);
}

void TfrmColorPicker::mouseReleaseEvent(QMouseEvent* event)
{
    EndSampling();
    QDialog::mouseReleaseEvent(event);
}

void TfrmColorPicker::ShowZoom()
{
    setFocus();
    if (!zoom_)
        zoom_ = new TfrmZoom(this, [this](TColor colour) { SetCurrentColour(colour); }, *settings_);
    LoadFormPosition(*settings_, zoom_, QStringLiteral("Color Picker Zoom"));
    zoom_->exec();
    btnZoom_->setChecked(false);
}

} // namespace pictaron
