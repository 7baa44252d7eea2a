// The option pages' handlers: enabling rules, track bar and edit pairs, the
// format choice, the palette list and the caption font; and gathering every
// control into the conversion settings when a run starts.
#include "app/mainwindow.h"
#include "components/qtbridge.h"

#include "app/appsettings.h"
#include "app/outputformat.h"
#include "app/pictureview.h"
#include "colour/orvacolourpicker.h"
#include "components/controlhelpers.h"
#include "components/orvaedit.h"
#include "components/pathutils.h"
#include "components/qtbridge.h"
#include "components/settingstext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QScopedValueRollback>

#include <algorithm>
#include <functional>
#include <memory>

namespace pictaron {

namespace {

const QString kPaletteFilter = QStringLiteral("pal,act,gif|*.pal;*.act;*.gif|All Files (*.*)|*.*");

// A track bar and its edit box mirror each other. A change that came from the
// other side is not echoed back, so text being typed ("", "-") stays as typed
// while the bar shows the nearest value it can.
void PairTrackBar(QSlider* bar, TOrvaEdit* edit, QObject* context, const std::function<void()>& restart)
{
    auto syncing = std::make_shared<bool>(false);
    QObject::connect(bar, &QSlider::valueChanged, context, [edit, syncing](int position) {
        if (*syncing)
            return;
        const QScopedValueRollback guard(*syncing, true);
        if (edit->text() != QString::number(position))
            edit->setText(QString::number(position));
    });
    QObject::connect(edit, &QLineEdit::textChanged, context, [bar, edit, syncing, restart] {
        if (!*syncing) {
            const QScopedValueRollback guard(*syncing, true);
            bar->setValue(std::clamp(edit->IntValue(), bar->minimum(), bar->maximum()));
        }
        restart();
    });
}

} // namespace

void TfrmPictaron::FillFixedLists()
{
    opt.cmbResizeMethod->addItems({QStringLiteral("Box"), QStringLiteral("Triangle"), QStringLiteral("Hermite"),
                                   QStringLiteral("Bell"), QStringLiteral("B-Spline"), QStringLiteral("Lanczos3"),
                                   QStringLiteral("Mitchell")});
    opt.cmbResizeMethod->setCurrentIndex(static_cast<int>(ResizeFilter::Lanczos3));
    opt.cmbPalette->addItems({ToQString(kOptimizedPalette), ToQString(kWebsafePalette)});
    opt.cmbPalette->setCurrentIndex(0);
    paletteSelection = ToQString(kOptimizedPalette);
    opt.cmbPalette->setToolTip(paletteSelection);
}

void TfrmPictaron::ConnectOptionHandlers()
{
    const auto restart = [this] { RestartAutoApply(); };
    const auto onToggle = [this](QCheckBox* box, auto handler) {
        connect(box, &QCheckBox::toggled, this, handler);
    };

    // Check boxes heading a group enable it, and restart the timer.
    const std::pair<QCheckBox*, QGroupBox*> headed[] = {
        {opt.chkSmoothing, opt.fraBlur},     {opt.chkSharpen, opt.fraSharpen},
        {opt.chkBrightness, opt.fraBrightness}, {opt.chkContrast, opt.fraContrast},
        {opt.chkBlendImage, opt.fraBlend},
    };
    for (const auto& [box, frame] : headed) {
        onToggle(box, [this, frame = frame](bool checked) {
            EnableChildren(frame, checked);
            RestartAutoApply();
        });
    }
    onToggle(opt.chkRotate, [this](bool checked) {
        EnableChildren(opt.fraRotate, checked);
        if (checked)
            opt.txtRotateAngle->setFocus();
        RestartAutoApply();
    });
    onToggle(opt.chkResize, [this](bool checked) {
        if (checked) {
            if (opt.txtResizeWidth->IntValue() == 0)
                opt.txtResizeWidth->setText(QString::number(imgSource->width()));
            if (opt.txtResizeHeight->IntValue() == 0)
                opt.txtResizeHeight->setText(QString::number(imgSource->height()));
        }
        EnableChildren(opt.fraResize, checked);
        RestartAutoApply();
    });
    onToggle(opt.chkButtonize, [this](bool checked) {
        EnableChildren(opt.fraButtonize, checked);
        if (opt.cmbLighting->currentIndex() < 0)
            opt.cmbLighting->setCurrentIndex(static_cast<int>(Lighting::TopLeft));
        RestartAutoApply();
    });
    onToggle(opt.chkAddCaption, [this](bool checked) {
        EnableChildren(opt.fraCaption, checked);
        if (checked && opt.cmbCaptionLocation->currentIndex() < 0)
            opt.cmbCaptionLocation->setCurrentIndex(static_cast<int>(CaptionLocation::Center));
        RestartAutoApply();
    });
    onToggle(opt.chkTransparent, [this](bool checked) {
        opt.btnTransparentColourPicker->setEnabled(checked);
        opt.ocpTransparentColour->setEnabled(checked);
    });
    onToggle(opt.chkCrop, [this](bool checked) { chkCropClick(checked); });
    onToggle(opt.chkFitUnder, [this](bool checked) {
        EnableChildren(opt.fraFitUnder, checked);
        RestartAutoApply();
    });
    for (QCheckBox* box : {opt.chkFlip, opt.chkMirror, opt.chkFade, opt.chkInvert, opt.chkProgressive,
                           opt.chkGreyscale, opt.chkInterlaced})
        connect(box, &QCheckBox::toggled, this, restart);
    // Lossless has no quality, and an AVIF keeps its colours whole.
    onToggle(opt.chkWebPLossless, [this](bool checked) {
        EnableChildren(opt.fraWebPQuality, !checked);
        RestartAutoApply();
    });
    onToggle(opt.chkAVIFLossless, [this](bool checked) {
        EnableChildren(opt.fraAVIFQuality, !checked);
        EnableChildren(opt.fraAVIFChroma, !checked);
        RestartAutoApply();
    });

    for (QRadioButton* radio : {opt.rbRotateRight, opt.rbRotateLeft, opt.rbFlat, opt.rbDither, opt.rbBlendStretch,
                                opt.rbBlendTile, opt.rbPNGTruecolour, opt.rbPNGIndexed, opt.rbAVIF420,
                                opt.rbAVIF444})
        connect(radio, &QRadioButton::clicked, this, restart);
    // However the format changes (a click, the arrow keys, an accelerator),
    // its options show, and a result of another format is no longer the one
    // to save. A click on the format already chosen renames the result again.
    for (const auto& [format, radio] : FormatButtons(opt)) {
        connect(radio, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                FormatChosen();
            UpdateSaveCommands();
        });
        connect(radio, &QRadioButton::clicked, this, &TfrmPictaron::FormatChosen);
    }
    // The kind of PNG decides whether the palette applies, and the interval.
    connect(opt.rbPNGIndexed, &QRadioButton::toggled, this, &TfrmPictaron::ShowFormatOptions);

    PairTrackBar(opt.tbCompression, opt.txtCompression, this, restart);
    PairTrackBar(opt.tbWebPQuality, opt.txtWebPQuality, this, restart);
    PairTrackBar(opt.tbAVIFQuality, opt.txtAVIFQuality, this, restart);
    PairTrackBar(opt.tbSharpen, opt.txtSharpen, this, restart);
    PairTrackBar(opt.tbSmoothing, opt.txtSmoothing, this, restart);
    PairTrackBar(opt.tbBrightness, opt.txtBrightness, this, restart);
    PairTrackBar(opt.tbContrast, opt.txtContrast, this, restart);
    connect(opt.tbBlendFactor, &QSlider::valueChanged, this, restart);

    for (QLineEdit* edit : {static_cast<QLineEdit*>(opt.txtRotateAngle), static_cast<QLineEdit*>(opt.txtMaxColours),
                            opt.txtCaption})
        connect(edit, &QLineEdit::textChanged, this, restart);
    for (QSpinBox* box : {opt.txtButtonWidth, opt.txtWebPEffort, opt.txtAVIFSpeed, opt.txtFitUnder})
        connect(box, &QSpinBox::valueChanged, this, restart);
    connect(opt.txtBlendFile, &QLineEdit::textChanged, this, [this](const QString& file) {
        if (QFileInfo(file).isFile())
            RestartAutoApply();
    });

    for (QComboBox* list : {opt.cmbResizeMethod, opt.cmbLighting, opt.cmbCaptionLocation, opt.cmbMetadata})
        connect(list, &QComboBox::currentIndexChanged, this, restart);
    for (TOrvaColourPicker* colour : {opt.ocpCornerColour, opt.ocpButtonLine, opt.ocpCaptionColour})
        connect(colour, &TOrvaColourPicker::OnChange, this, [this, colour] {
            if (colour->IsValid())
                RestartAutoApply();
        });

    connect(opt.cmbPalette, &QComboBox::activated, this, &TfrmPictaron::cmbPaletteClick);
    connect(opt.btnOpenPalette, &QToolButton::clicked, this, &TfrmPictaron::btnOpenPaletteClick);
    connect(opt.btnCaptionFont, &QPushButton::clicked, this, &TfrmPictaron::btnCaptionFontClick);
}

void TfrmPictaron::ChangeResultExtension(const QString& extension)
{
    if (resultFileName.isEmpty())
        return;
    const QString renamed = ToQString(ChangeFileExt(ToUtf8(resultFileName), ToUtf8(extension)));
    if (renamed != resultFileName)
        resultNameDerived = true;
    resultFileName = renamed;
}

OutputFormat TfrmPictaron::ChosenFormat() const
{
    for (const auto& [format, radio] : FormatButtons(opt)) {
        if (radio->isChecked())
            return format;
    }
    return OutputFormat::Jpeg;
}

void TfrmPictaron::FormatChosen()
{
    const OutputFormatFacts& facts = FactsOf(ChosenFormat());
    saveFilter = ToQString(facts.filter);
    saveDefaultExt = ToQString(facts.extension);
    ChangeResultExtension(QLatin1Char('.') + ToQString(facts.extension));
    ShowFormatOptions();
}

void TfrmPictaron::ShowFormatOptions()
{
    const OutputFormat format = ChosenFormat();
    const bool png = format == OutputFormat::Png;
    const bool indexed = format == OutputFormat::Gif || (png && opt.rbPNGIndexed->isChecked());
    const std::pair<QWidget*, bool> panels[] = {
        {opt.pnlJPEGOptions, format == OutputFormat::Jpeg},
        {opt.pnlPNGOptions, png},
        {opt.pnlGIFOptions, format == OutputFormat::Gif || png},
        {opt.pnlWebPOptions, format == OutputFormat::Webp},
        {opt.pnlAVIFOptions, format == OutputFormat::Avif},
    };
    PlaceMetadataList(opt, format);
    // Hidden first, then shown, so the page never holds two formats' panels at once.
    for (const auto& [panel, shown] : panels) {
        if (!shown)
            panel->hide();
    }
    for (const auto& [panel, shown] : panels) {
        if (shown)
            panel->show();
    }
    // The palette serves a GIF and an indexed PNG; a truecolour PNG shows it
    // unused, and the other formats hide it. The transparent colour keeps
    // following its check box, and a pick under way ends with the palette.
    if (opt.cmbPalette->isEnabled() != indexed) {
        EnableChildren(opt.pnlGIFOptions, indexed);
        const bool transparent = indexed && opt.chkTransparent->isChecked();
        opt.ocpTransparentColour->setEnabled(transparent);
        opt.btnTransparentColourPicker->setEnabled(transparent);
        if (!indexed)
            opt.btnTransparentColourPicker->setChecked(false);
    }
    // A result that needs the palette's passes waits longer for the next change.
    tmrAutoSave->setInterval(indexed ? 2000 : 500);
}

void TfrmPictaron::cmbPaletteClick()
{
    paletteSelection = opt.cmbPalette->currentText();
    opt.cmbPalette->setToolTip(paletteSelection);
}

void TfrmPictaron::btnOpenPaletteClick()
{
    const QString folder = ReadTextSetting(*settingsKey, kPaletteFolderSetting);
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Open Palette"), folder,
                                                      ToQString(QtFileFilter(ToUtf8(kPaletteFilter))));
    if (file.isEmpty())
        return;
    settingsKey->setValue(kPaletteFolderSetting, ToQString(FolderWithSeparator(ToUtf8(file))));
    paletteSelection = file;
    opt.cmbPalette->setEditText(file);
    opt.cmbPalette->setToolTip(file);
}

void TfrmPictaron::btnCaptionFontClick()
{
    QFont current(ToQString(captionFont.family));
    current.setPixelSize(captionFont.pixelHeight);
    current.setBold(captionFont.bold);
    current.setItalic(captionFont.italic);
    current.setUnderline(captionFont.underline);
    current.setStrikeOut(captionFont.strikeOut);
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, current, this, QStringLiteral("Font"));
    if (chosen) {
        captionFont.family = ToUtf8(font.family());
        captionFont.pixelHeight = QFontInfo(font).pixelSize();
        // The style as chosen: a bold or italic face of the family counts.
        const QFontInfo face(font);
        captionFont.bold = face.bold();
        captionFont.italic = face.italic();
        captionFont.underline = font.underline();
        captionFont.strikeOut = font.strikeOut();
    }
    RestartAutoApply();
}

ConversionSettings TfrmPictaron::GatherSettings() const
{
    ConversionSettings s;
    s.crop = opt.chkCrop->isChecked();
    s.cropTopLeft = ToPoint(cropTopLeft);
    s.cropBottomRight = ToPoint(cropBottomRight);
    s.flip = opt.chkFlip->isChecked();
    s.mirror = opt.chkMirror->isChecked();
    s.rotate = opt.chkRotate->isChecked();
    // Pasted text can pass the key filter; the settings keep their ranges.
    s.rotateAngle = std::clamp(opt.txtRotateAngle->IntValue(), 0, 359);
    s.rotateRight = opt.rbRotateRight->isChecked();
    s.cornerColour = opt.ocpCornerColour->Color();

    s.resize = opt.chkResize->isChecked();
    s.resizeWidth = opt.txtResizeWidth->IntValue();
    s.resizeHeight = opt.txtResizeHeight->IntValue();
    s.resizeMethod = static_cast<ResizeFilter>(std::max(0, opt.cmbResizeMethod->currentIndex()));

    s.blend = opt.chkBlendImage->isChecked();
    s.blendFile = ToUtf8(opt.txtBlendFile->text());
    s.blendBias = opt.tbBlendFactor->value();
    s.blendStretch = opt.rbBlendStretch->isChecked();

    s.contrast = opt.chkContrast->isChecked();
    s.contrastAmount = std::clamp(opt.txtContrast->IntValue(), -255, 255);
    s.brightness = opt.chkBrightness->isChecked();
    s.brightnessAmount = std::clamp(opt.txtBrightness->IntValue(), -255, 255);
    s.sharpen = opt.chkSharpen->isChecked();
    s.sharpenAmount = opt.tbSharpen->value();
    s.blur = opt.chkSmoothing->isChecked();
    s.blurAmount = opt.tbSmoothing->value();

    s.buttonize = opt.chkButtonize->isChecked();
    s.buttonWidth = opt.txtButtonWidth->value();
    s.buttonLine = opt.ocpButtonLine->GetRGB();
    s.lighting = static_cast<Lighting>(opt.cmbLighting->currentIndex());
    s.fade = opt.chkFade->isChecked();
    s.invert = opt.chkInvert->isChecked();

    s.caption = opt.chkAddCaption->isChecked();
    s.captionText = ToUtf8(opt.txtCaption->text());
    s.captionFont = captionFont;
    // While the entry holds no colour, the text takes the window text colour.
    if (opt.ocpCaptionColour->IsValid())
        s.captionFont.colour = opt.ocpCaptionColour->Color();
    s.captionLocation = static_cast<CaptionLocation>(opt.cmbCaptionLocation->currentIndex());

    s.format = ChosenFormat();
    s.jpegQuality = opt.tbCompression->value();
    s.progressive = opt.chkProgressive->isChecked();
    s.greyscale = opt.chkGreyscale->isChecked();
    s.keepMetadata = static_cast<KeepMetadata>(qBound(0, opt.cmbMetadata->currentIndex(), 2));

    s.palette = ToUtf8(paletteSelection);
    s.maxColours = std::clamp(opt.txtMaxColours->IntValue(), 2, 256);
    s.dither = opt.rbDither->isChecked();
    if (opt.chkTransparent->isChecked() && opt.ocpTransparentColour->IsValid())
        s.transparentColour = opt.ocpTransparentColour->Color();

    s.pngIndexed = opt.rbPNGIndexed->isChecked();
    s.interlace = opt.chkInterlaced->isChecked();
    s.webpQuality = opt.tbWebPQuality->value();
    s.webpLossless = opt.chkWebPLossless->isChecked();
    s.webpEffort = opt.txtWebPEffort->value();
    s.avifQuality = opt.tbAVIFQuality->value();
    s.avifLossless = opt.chkAVIFLossless->isChecked();
    s.avifSpeed = opt.txtAVIFSpeed->value();
    s.avifChroma = opt.rbAVIF444->isChecked() ? AvifChroma::Yuv444 : AvifChroma::Yuv420;
    // Kilobytes of 1024 bytes, as the report counts them.
    s.maxBytes = opt.chkFitUnder->isChecked() ? qint64(opt.txtFitUnder->value()) * 1024 : 0;
    return s;
}

} // namespace pictaron
