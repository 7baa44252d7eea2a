#include "app/optionpages.h"

#include "components/qtbridge.h"
#include "app/glyphs.h"
#include "app/appsettings.h"
#include "app/outputformat.h"
#include "colour/orvacolourpicker.h"
#include "components/controlhelpers.h"
#include "components/clampingspinbox.h"
#include "components/orvaedit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace pictaron {

namespace {

template <typename Control>
Control* Named(Control* control, const char* name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& text)
{
    return Named(new QCheckBox(text, parent), name);
}

QRadioButton* Radio(QWidget* parent, const char* name, const QString& text, bool checked = false)
{
    auto* radio = Named(new QRadioButton(text, parent), name);
    radio->setChecked(checked);
    return radio;
}

TOrvaEdit* Edit(QWidget* parent, const char* name, int width, const QString& text = {})
{
    auto* edit = Named(new TOrvaEdit(parent), name);
    edit->setFixedWidth(width);
    edit->setText(text);
    return edit;
}

QSlider* TrackBar(QWidget* parent, const char* name, int low, int high, int pageStep, int tickInterval,
                  int position)
{
    auto* bar = Named(new QSlider(Qt::Horizontal, parent), name);
    bar->setRange(low, high);
    bar->setPageStep(pageStep);
    bar->setTickInterval(tickInterval);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setValue(position);
    bar->setMinimumWidth(140);
    return bar;
}

QComboBox* FixedList(QWidget* parent, const char* name, const QStringList& items)
{
    auto* list = Named(new QComboBox(parent), name);
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

QGroupBox* Frame(QWidget* parent, const char* name, const QString& title = {})
{
    auto* frame = Named(new QGroupBox(title, parent), name);
    frame->setFlat(false);
    return frame;
}

QHBoxLayout* Row(QWidget* owner)
{
    auto* row = new QHBoxLayout(owner);
    row->setContentsMargins(6, 4, 6, 4);
    row->setSpacing(6);
    return row;
}

// A check box heading the group it switches: the box above the frame.
QWidget* Headed(QWidget* page, QCheckBox* heading, QGroupBox* frame, bool enabled)
{
    auto* column = new QWidget(page);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    heading->setParent(column);
    frame->setParent(column);
    layout->addWidget(heading);
    layout->addWidget(frame, 1);
    EnableChildren(frame, enabled);
    return column;
}

QWidget* NewPage(QTabWidget* pages, const QString& title, int helpContext)
{
    auto* page = new QWidget(pages);
    page->setProperty(kHelpContextProperty, helpContext);
    pages->addTab(page, title);
    return page;
}

QHBoxLayout* PageRow(QWidget* page)
{
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(6, 3, 6, 3);
    row->setSpacing(10);
    return row;
}

QVBoxLayout* Column(QWidget* owner = nullptr)
{
    auto* column = new QVBoxLayout(owner);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    return column;
}

// A format's radio button caption: its name from the table, with the
// accelerator on the given letter. N, W and V are no other key of the page,
// the tool bar or the menu bar; G and J are GIF's and JPEG's as ever (G is
// also Grayscale's).
QString FormatCaption(OutputFormat format, QChar key)
{
    QString name = ToQString(FactsOf(format).name);
    name.insert(std::max<qsizetype>(0, name.indexOf(key)), QLatin1Char('&'));
    return name;
}

// A quality track bar and its edit box, 0..100, in a frame as the JPEG's
// compression pair stands.
QGroupBox* QualityPair(QWidget* panel, const char* frameName, const char* barName, const char* editName,
                       int position, QSlider** bar, TOrvaEdit** edit)
{
    QGroupBox* frame = Frame(panel, frameName, QStringLiteral("Quality"));
    QHBoxLayout* layout = Row(frame);
    *bar = TrackBar(frame, barName, 0, 100, 5, 10, position);
    *edit = Edit(frame, editName, 40, QString::number(position));
    (*edit)->NumericOnly = true;
    (*edit)->Max = 100;
    layout->addWidget(*bar, 1);
    layout->addWidget(*edit);
    frame->setMaximumWidth(360);
    return frame;
}

// Check boxes between frames, centred on their height.
QVBoxLayout* CentredChecks(std::initializer_list<QCheckBox*> boxes)
{
    QVBoxLayout* column = Column();
    column->addStretch();
    for (QCheckBox* box : boxes)
        column->addWidget(box);
    column->addStretch();
    return column;
}

// A small number in a titled frame: the WebP effort, the AVIF speed.
QGroupBox* NumberFrame(QWidget* panel, const QString& title, QSpinBox* box, int low, int high, int value,
                       const QString& tip)
{
    auto* frame = new QGroupBox(title, panel);
    QHBoxLayout* layout = Row(frame);
    box->setParent(frame);
    box->setRange(low, high);
    box->setValue(value);
    box->setToolTip(tip);
    layout->addWidget(box);
    return frame;
}

QWidget* OptionsPanel(QWidget* parent, const char* name)
{
    auto* panel = Named(new QWidget(parent), name);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    return panel;
}

void BuildJpegPanel(OptionPages& o, QWidget* panels)
{
    o.pnlJPEGOptions = OptionsPanel(panels, "pnlJPEGOptions");
    auto* jpeg = static_cast<QHBoxLayout*>(o.pnlJPEGOptions->layout());
    auto* compression = new QGroupBox(QStringLiteral("Compression"), o.pnlJPEGOptions);
    QHBoxLayout* compressionRow = Row(compression);
    o.tbCompression = TrackBar(compression, "tbCompression", 1, 100, 5, 10, 80);
    o.txtCompression = Edit(compression, "txtCompression", 40, QStringLiteral("80"));
    o.txtCompression->Min = 1;
    o.txtCompression->Max = 100;
    compressionRow->addWidget(o.tbCompression, 1);
    compressionRow->addWidget(o.txtCompression);
    compression->setMaximumWidth(360);
    jpeg->addWidget(compression, 1);
    o.chkProgressive = Check(o.pnlJPEGOptions, "chkProgressive", QStringLiteral("&Progressive Encoding"));
    o.chkGreyscale = Check(o.pnlJPEGOptions, "chkGreyscale", QStringLiteral("&Grayscale"));
    jpeg->addLayout(CentredChecks({o.chkProgressive, o.chkGreyscale}));
    jpeg->addStretch();
}

// What the result keeps of the source's EXIF and XMP. JPEG, PNG, WebP and
// AVIF all hold them, so the one list moves to whichever of their panels
// shows (ShowFormatOptions); a GIF has no place for them.
void BuildMetadata(OptionPages& o, QWidget* panels)
{
    o.fraMetadata = Frame(panels, "fraMetadata", QStringLiteral("Metadata"));
    QHBoxLayout* metadataRow = Row(o.fraMetadata);
    o.cmbMetadata = Named(new QComboBox(o.fraMetadata), "cmbMetadata");
    o.cmbMetadata->addItems({QStringLiteral("Strip metadata"), QStringLiteral("Keep copyright"),
                             QStringLiteral("Keep all")});
    o.cmbMetadata->setCurrentIndex(0);
    o.cmbMetadata->setToolTip(QStringLiteral("What the result keeps of the picture's EXIF and XMP"));
    metadataRow->addWidget(o.cmbMetadata);
}

void BuildGifPanel(OptionPages& o, QWidget* panels)
{
    o.pnlGIFOptions = OptionsPanel(panels, "pnlGIFOptions");
    auto* gif = static_cast<QHBoxLayout*>(o.pnlGIFOptions->layout());
    auto* optimisation = new QGroupBox(QStringLiteral("Palette Optimization"), o.pnlGIFOptions);
    QHBoxLayout* optimisationRow = Row(optimisation);
    o.cmbPalette = Named(new QComboBox(optimisation), "cmbPalette");
    o.cmbPalette->setEditable(true);
    o.cmbPalette->setInsertPolicy(QComboBox::NoInsert);
    o.cmbPalette->setMinimumWidth(110);
    o.btnOpenPalette = Named(new QToolButton(optimisation), "btnOpenPalette");
    o.btnOpenPalette->setIcon(PaletteGlyph());
    o.btnOpenPalette->setToolTip(QStringLiteral("Load a palette file"));
    o.txtMaxColours = Edit(optimisation, "txtMaxColours", 36, QStringLiteral("256"));
    o.txtMaxColours->NumericOnly = true;
    o.txtMaxColours->Min = 2;
    o.txtMaxColours->Max = 256;
    auto* maxColoursLabel = new QLabel(QStringLiteral("Max. Colors"), optimisation);
    maxColoursLabel->setBuddy(o.txtMaxColours);
    o.rbDither = Radio(optimisation, "rbDither", QStringLiteral("Dither"));
    o.rbFlat = Radio(optimisation, "rbFlat", QStringLiteral("Flat"), true);
    optimisationRow->addWidget(o.cmbPalette, 1);
    optimisationRow->addWidget(o.btnOpenPalette);
    optimisationRow->addSpacing(4);
    optimisationRow->addWidget(maxColoursLabel);
    optimisationRow->addWidget(o.txtMaxColours);
    QVBoxLayout* mapping = Column();
    mapping->addWidget(o.rbDither);
    mapping->addWidget(o.rbFlat);
    optimisationRow->addLayout(mapping);
    gif->addWidget(optimisation, 1);

    o.chkTransparent = Check(o.pnlGIFOptions, "chkTransparent", QStringLiteral("&Transparent"));
    auto* transparency = new QGroupBox(o.pnlGIFOptions);
    QHBoxLayout* transparencyRow = Row(transparency);
    o.ocpTransparentColour = Named(new TOrvaColourPicker(clBtnFace, transparency), "ocpTransparentColour");
    o.btnTransparentColourPicker = Named(new QToolButton(transparency), "btnTransparentColourPicker");
    o.btnTransparentColourPicker->setIcon(PickerGlyph());
    o.btnTransparentColourPicker->setCheckable(true);
    o.btnTransparentColourPicker->setToolTip(QStringLiteral("Pick color from new image"));
    transparencyRow->addWidget(o.ocpTransparentColour);
    transparencyRow->addWidget(o.btnTransparentColourPicker);
    o.ocpTransparentColour->setEnabled(false);
    o.btnTransparentColourPicker->setEnabled(false);
    auto* transparentColumn = new QWidget(o.pnlGIFOptions);
    QVBoxLayout* transparentLayout = Column(transparentColumn);
    o.chkTransparent->setParent(transparentColumn);
    transparency->setParent(transparentColumn);
    transparentLayout->addWidget(o.chkTransparent);
    transparentLayout->addWidget(transparency, 1);
    gif->addWidget(transparentColumn);
}

// A row above the GIF panel: which kind of PNG, and whether it is interlaced.
void BuildPngPanel(OptionPages& o, QWidget* panels)
{
    o.pnlPNGOptions = OptionsPanel(panels, "pnlPNGOptions");
    auto* png = static_cast<QHBoxLayout*>(o.pnlPNGOptions->layout());
    o.rbPNGTruecolour = Radio(o.pnlPNGOptions, "rbPNGTruecolour", QStringLiteral("Truecolor"), true);
    o.rbPNGTruecolour->setToolTip(QStringLiteral("Every color of the picture, and its transparency"));
    o.rbPNGIndexed = Radio(o.pnlPNGOptions, "rbPNGIndexed", QStringLiteral("Indexed"));
    o.rbPNGIndexed->setToolTip(QStringLiteral("The palette below, as a GIF has it"));
    o.chkInterlaced = Check(o.pnlPNGOptions, "chkInterlaced", QStringLiteral("&Interlaced"));
    o.chkInterlaced->setToolTip(QStringLiteral("Lets browsers show a rough picture early"));
    png->addWidget(o.rbPNGTruecolour);
    png->addWidget(o.rbPNGIndexed);
    png->addSpacing(16);
    png->addWidget(o.chkInterlaced);
    png->addStretch();
}

void BuildWebpPanel(OptionPages& o, QWidget* panels)
{
    o.pnlWebPOptions = OptionsPanel(panels, "pnlWebPOptions");
    auto* webp = static_cast<QHBoxLayout*>(o.pnlWebPOptions->layout());
    o.fraWebPQuality = QualityPair(o.pnlWebPOptions, "fraWebPQuality", "tbWebPQuality", "txtWebPQuality", 80,
                                   &o.tbWebPQuality, &o.txtWebPQuality);
    webp->addWidget(o.fraWebPQuality, 1);
    o.chkWebPLossless = Check(o.pnlWebPOptions, "chkWebPLossless", QStringLiteral("&Lossless"));
    webp->addLayout(CentredChecks({o.chkWebPLossless}));
    o.txtWebPEffort = Named(new ClampingSpinBox(o.pnlWebPOptions), "txtWebPEffort");
    webp->addWidget(NumberFrame(o.pnlWebPOptions, QStringLiteral("Effort"), o.txtWebPEffort, 0, 6, 4,
                                QStringLiteral("0 is fastest, 6 gives the smallest file")));
    webp->addStretch();
}

void BuildAvifPanel(OptionPages& o, QWidget* panels)
{
    o.pnlAVIFOptions = OptionsPanel(panels, "pnlAVIFOptions");
    auto* avif = static_cast<QHBoxLayout*>(o.pnlAVIFOptions->layout());
    o.fraAVIFQuality = QualityPair(o.pnlAVIFOptions, "fraAVIFQuality", "tbAVIFQuality", "txtAVIFQuality", 60,
                                   &o.tbAVIFQuality, &o.txtAVIFQuality);
    avif->addWidget(o.fraAVIFQuality, 1);
    o.chkAVIFLossless = Check(o.pnlAVIFOptions, "chkAVIFLossless", QStringLiteral("&Lossless"));
    avif->addLayout(CentredChecks({o.chkAVIFLossless}));
    o.txtAVIFSpeed = Named(new ClampingSpinBox(o.pnlAVIFOptions), "txtAVIFSpeed");
    avif->addWidget(NumberFrame(o.pnlAVIFOptions, QStringLiteral("Speed"), o.txtAVIFSpeed, 0, 10, 6,
                                QStringLiteral("0 gives the smallest file, 10 is fastest")));
    o.fraAVIFChroma = Frame(o.pnlAVIFOptions, "fraAVIFChroma", QStringLiteral("Chroma"));
    QHBoxLayout* chroma = Row(o.fraAVIFChroma);
    o.rbAVIF420 = Radio(o.fraAVIFChroma, "rbAVIF420", QStringLiteral("4:2:0"), true);
    o.rbAVIF420->setToolTip(QStringLiteral("Colors at half the resolution both ways: smaller"));
    o.rbAVIF444 = Radio(o.fraAVIFChroma, "rbAVIF444", QStringLiteral("4:4:4"));
    o.rbAVIF444->setToolTip(QStringLiteral("Colors at full resolution: sharper colored edges"));
    QVBoxLayout* subsampling = Column();
    subsampling->addWidget(o.rbAVIF420);
    subsampling->addWidget(o.rbAVIF444);
    chroma->addLayout(subsampling);
    avif->addWidget(o.fraAVIFChroma);
    avif->addStretch();
}

// Fit under a byte budget, "Max. [150] KB" as "Max. Colors" reads, under the formats since it serves every one: the run
// then searches the quality or colour count, and the controls of the panels
// keep the user's own. No wider than a format's name, so the page is no wider
// than its panels.
void BuildBudget(OptionPages& o, QWidget* page, QVBoxLayout* column)
{
    o.chkFitUnder = Check(page, "chkFitUnder", QStringLiteral("Ma&x."));
    o.chkFitUnder->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    o.chkFitUnder->setToolTip(QStringLiteral("Fit under: the best quality, or the most colors, whose file is no larger"));
    o.fraFitUnder = Frame(page, "fraFitUnder");
    o.fraFitUnder->setFlat(true);
    auto* size = new QHBoxLayout(o.fraFitUnder);
    size->setContentsMargins(0, 0, 0, 0);
    size->setSpacing(2);
    o.txtFitUnder = Named(new ClampingSpinBox(o.fraFitUnder), "txtFitUnder");
    o.txtFitUnder->setRange(1, 9999);
    o.txtFitUnder->setValue(150);
    o.txtFitUnder->setButtonSymbols(QAbstractSpinBox::NoButtons);
    o.txtFitUnder->setFixedWidth(32);
    size->addWidget(o.txtFitUnder);
    size->addWidget(new QLabel(QStringLiteral("KB"), o.fraFitUnder));
    EnableChildren(o.fraFitUnder, false);
    column->addWidget(o.chkFitUnder);
    column->addWidget(o.fraFitUnder);
}

void BuildFormatPage(OptionPages& o, QWidget* page)
{
    QHBoxLayout* row = PageRow(page);
    o.rbGIF = Radio(page, "rbGIF", FormatCaption(OutputFormat::Gif, QLatin1Char('G')));
    o.rbJPEG = Radio(page, "rbJPEG", FormatCaption(OutputFormat::Jpeg, QLatin1Char('J')), true);
    o.rbPNG = Radio(page, "rbPNG", FormatCaption(OutputFormat::Png, QLatin1Char('N')));
    o.rbWebP = Radio(page, "rbWebP", FormatCaption(OutputFormat::Webp, QLatin1Char('W')));
    o.rbAVIF = Radio(page, "rbAVIF", FormatCaption(OutputFormat::Avif, QLatin1Char('V')));
    QVBoxLayout* formats = Column();
    auto* formatGroup = new QButtonGroup(page);
    for (const auto& [format, radio] : FormatButtons(o)) {
        formats->addWidget(radio);
        formatGroup->addButton(radio);
    }
    formats->addStretch();
    BuildBudget(o, page, formats);
    row->addLayout(formats);

    // One column of panels, of which the chosen format's show: PNG's above
    // the GIF's.
    auto* panels = Named(new QWidget(page), "pnlFormatOptions");
    QVBoxLayout* column = Column(panels);
    BuildJpegPanel(o, panels);
    BuildPngPanel(o, panels);
    BuildGifPanel(o, panels);
    BuildWebpPanel(o, panels);
    BuildAvifPanel(o, panels);
    BuildMetadata(o, panels);
    for (QWidget* panel : {o.pnlJPEGOptions, o.pnlPNGOptions, o.pnlGIFOptions, o.pnlWebPOptions, o.pnlAVIFOptions})
        column->addWidget(panel, panel == o.pnlPNGOptions ? 0 : 1);
    column->addWidget(o.fraMetadata, 0, Qt::AlignLeft);
    // The page is as high as its tallest choice, whichever shows at start;
    // the metadata list may make the PNG row taller, and it lies under the
    // other formats' panels.
    const int metadata = o.fraMetadata->sizeHint().height();
    int tallest = std::max(o.pnlPNGOptions->sizeHint().height(), metadata) + column->spacing();
    tallest += o.pnlGIFOptions->sizeHint().height();
    for (QWidget* panel : {o.pnlJPEGOptions, o.pnlWebPOptions, o.pnlAVIFOptions})
        tallest = std::max(tallest, panel->sizeHint().height() + column->spacing() + metadata);
    panels->setMinimumHeight(tallest);
    row->addWidget(panels, 1);
    for (QWidget* panel : {o.pnlPNGOptions, o.pnlGIFOptions, o.pnlWebPOptions, o.pnlAVIFOptions})
        panel->hide();
}

void BuildRotatePage(OptionPages& o, QWidget* page)
{
    QHBoxLayout* row = PageRow(page);
    o.chkRotate = Check(page, "chkRotate", QStringLiteral("&Rotate"));
    o.fraRotate = Frame(page, "fraRotate");
    QHBoxLayout* rotate = Row(o.fraRotate);
    o.txtRotateAngle = Edit(o.fraRotate, "txtRotateAngle", 40);
    o.txtRotateAngle->NumericOnly = true;
    o.txtRotateAngle->Max = 359;
    o.rbRotateRight = Radio(o.fraRotate, "rbRotateRight", QStringLiteral("Right"), true);
    o.rbRotateLeft = Radio(o.fraRotate, "rbRotateLeft", QStringLiteral("Left"));
    o.ocpCornerColour = Named(new TOrvaColourPicker(clBtnFace, o.fraRotate), "ocpCornerColour");
    rotate->addWidget(o.txtRotateAngle);
    rotate->addWidget(new QLabel(QStringLiteral("degrees"), o.fraRotate));
    QVBoxLayout* direction = Column();
    direction->addWidget(o.rbRotateRight);
    direction->addWidget(o.rbRotateLeft);
    rotate->addLayout(direction);
    rotate->addSpacing(8);
    rotate->addWidget(new QLabel(QStringLiteral("Corner Color"), o.fraRotate));
    rotate->addWidget(o.ocpCornerColour);
    // A wide window widens the frame, never the gaps between its fields.
    rotate->addStretch();
    row->addWidget(Headed(page, o.chkRotate, o.fraRotate, false));

    QVBoxLayout* beside = Column();
    o.chkFlip = Check(page, "chkFlip", QStringLiteral("Flip Top to Bottom"));
    o.chkMirror = Check(page, "chkMirror", QStringLiteral("&Mirror left to right"));
    beside->addStretch();
    beside->addWidget(o.chkFlip);
    beside->addWidget(o.chkMirror);
    beside->addStretch();
    row->addLayout(beside);
    row->addStretch();
}

void BuildSizePage(OptionPages& o, QWidget* page)
{
    QHBoxLayout* row = PageRow(page);
    o.chkResize = Check(page, "chkResize", QStringLiteral("Resize"));
    o.fraResize = Frame(page, "fraResize");
    QHBoxLayout* resize = Row(o.fraResize);
    o.cmbResizeMethod = FixedList(o.fraResize, "cmbResizeMethod", {});
    o.chkKeepRatio = Check(o.fraResize, "chkKeepRatio", QStringLiteral("&Keep Ratio"));
    o.txtResizeWidth = Edit(o.fraResize, "txtResizeWidth", 50);
    o.txtResizeWidth->NumericOnly = true;
    o.txtResizeHeight = Edit(o.fraResize, "txtResizeHeight", 50);
    o.txtResizeHeight->NumericOnly = true;
    resize->addWidget(new QLabel(QStringLiteral("Method"), o.fraResize));
    resize->addWidget(o.cmbResizeMethod);
    resize->addWidget(o.chkKeepRatio);
    resize->addSpacing(6);
    resize->addWidget(o.txtResizeWidth);
    resize->addWidget(new QLabel(QStringLiteral("by"), o.fraResize));
    resize->addWidget(o.txtResizeHeight);
    resize->addStretch();
    row->addWidget(Headed(page, o.chkResize, o.fraResize, false));

    o.chkCrop = Check(page, "chkCrop", QStringLiteral("Crop"));
    auto* cropFrame = new QGroupBox(page);
    QVBoxLayout* crop = Column(cropFrame);
    crop->setContentsMargins(8, 4, 8, 4);
    o.lblCrop = Named(new QLabel(cropFrame), "lblCrop");
    o.lblCrop2 = Named(new QLabel(cropFrame), "lblCrop2");
    o.lblCrop->setMinimumWidth(120);
    crop->addWidget(o.lblCrop);
    crop->addWidget(o.lblCrop2);
    o.lblCrop->hide();
    o.lblCrop2->hide();
    row->addWidget(Headed(page, o.chkCrop, cropFrame, true));
    row->addStretch();
}

// A track bar and its edit box in a frame headed by a check box.
QWidget* TrackGroup(QWidget* page, QCheckBox* heading, QGroupBox* frame, QSlider* bar, TOrvaEdit* edit)
{
    bar->setParent(frame);
    edit->setParent(frame);
    QHBoxLayout* layout = Row(frame);
    layout->addWidget(bar, 1);
    layout->addWidget(edit);
    return Headed(page, heading, frame, false);
}

void BuildEffectsPage(OptionPages& o, QWidget* page)
{
    QHBoxLayout* row = PageRow(page);
    o.chkSmoothing = Check(page, "chkSmoothing", QStringLiteral("&Blur"));
    o.fraBlur = Frame(page, "fraBlur");
    o.tbSmoothing = TrackBar(page, "tbSmoothing", 0, 20, 2, 2, 0);
    o.txtSmoothing = Edit(page, "txtSmoothing", 36, QStringLiteral("0"));
    o.txtSmoothing->NumericOnly = true;
    row->addWidget(TrackGroup(page, o.chkSmoothing, o.fraBlur, o.tbSmoothing, o.txtSmoothing), 1);

    o.chkSharpen = Check(page, "chkSharpen", QStringLiteral("&Sharpen"));
    o.fraSharpen = Frame(page, "fraSharpen");
    o.tbSharpen = TrackBar(page, "tbSharpen", 0, 20, 2, 2, 0);
    o.txtSharpen = Edit(page, "txtSharpen", 36, QStringLiteral("0"));
    o.txtSharpen->NumericOnly = true;
    row->addWidget(TrackGroup(page, o.chkSharpen, o.fraSharpen, o.tbSharpen, o.txtSharpen), 1);
}

void BuildTonePage(OptionPages& o, QWidget* page)
{
    QHBoxLayout* row = PageRow(page);
    const QString signedDigits = QStringLiteral("1234567890-");
    o.chkBrightness = Check(page, "chkBrightness", QStringLiteral("Brightness"));
    o.fraBrightness = Frame(page, "fraBrightness");
    o.tbBrightness = TrackBar(page, "tbBrightness", -255, 255, 50, 51, 0);
    o.txtBrightness = Edit(page, "txtBrightness", 44, QStringLiteral("0"));
    o.txtBrightness->AllowChars = signedDigits;
    row->addWidget(TrackGroup(page, o.chkBrightness, o.fraBrightness, o.tbBrightness, o.txtBrightness), 1);

    o.chkContrast = Check(page, "chkContrast", QStringLiteral("Contrast"));
    o.fraContrast = Frame(page, "fraContrast");
    o.tbContrast = TrackBar(page, "tbContrast", -255, 255, 50, 51, 0);
    o.txtContrast = Edit(page, "txtContrast", 44, QStringLiteral("0"));
    o.txtContrast->AllowChars = signedDigits;
    row->addWidget(TrackGroup(page, o.chkContrast, o.fraContrast, o.tbContrast, o.txtContrast), 1);
}

void BuildBlendPage(OptionPages& o, QWidget* page)
{
    QHBoxLayout* row = PageRow(page);
    o.chkBlendImage = Check(page, "chkBlendImage", QStringLiteral("Blend Image"));
    o.fraBlend = Frame(page, "fraBlend");
    QHBoxLayout* blend = Row(o.fraBlend);
    o.txtBlendFile = Named(new TOrvaEdit(o.fraBlend), "txtBlendFile");
    o.txtBlendFile->setMinimumWidth(160);
    o.txtBlendFile->FileFilter = QStringLiteral("*.*|*.*");
    o.txtBlendFile->FileBrowserInitDirRegPath = kSettingsPath;
    o.txtBlendFile->FileBrowserInitDirRegValue = kBlendFolderSetting;
    o.txtBlendFile->SetFileBrowser(true);
    o.tbBlendFactor = TrackBar(o.fraBlend, "tbBlendFactor", -100, 100, 20, 20, 0);
    o.rbBlendStretch = Radio(o.fraBlend, "rbBlendStretch", QStringLiteral("Stretch to fit"), true);
    o.rbBlendTile = Radio(o.fraBlend, "rbBlendTile", QStringLiteral("Tile to fit"));
    blend->addWidget(o.txtBlendFile, 1);
    blend->addSpacing(24 + 4);  // the browse button stands here, beside the edit
    blend->addWidget(new QLabel(QStringLiteral("Bias"), o.fraBlend));
    blend->addWidget(o.tbBlendFactor);
    QVBoxLayout* fit = Column();
    fit->addWidget(o.rbBlendStretch);
    fit->addWidget(o.rbBlendTile);
    blend->addLayout(fit);
    row->addWidget(Headed(page, o.chkBlendImage, o.fraBlend, false), 1);
}

void BuildButtonizePage(OptionPages& o, QWidget* page)
{
    QHBoxLayout* row = PageRow(page);
    o.chkButtonize = Check(page, "chkButtonize", QStringLiteral("Buttonize"));
    o.fraButtonize = Frame(page, "fraButtonize");
    QHBoxLayout* button = Row(o.fraButtonize);
    o.txtButtonWidth = Named(new ClampingSpinBox(o.fraButtonize), "txtButtonWidth");
    o.txtButtonWidth->setRange(0, 100);
    o.txtButtonWidth->setValue(5);
    auto* percent = new QLabel(QStringLiteral("%"), o.fraButtonize);
    o.ocpButtonLine = Named(new TOrvaColourPicker(clSilver, o.fraButtonize), "ocpButtonLine");
    o.cmbLighting = FixedList(o.fraButtonize, "cmbLighting",
                              {QStringLiteral("None"), QStringLiteral("Top Left"), QStringLiteral("Top Right"),
                               QStringLiteral("Bottom Left"), QStringLiteral("Bottom Right")});
    o.chkFade = Check(o.fraButtonize, "chkFade", QStringLiteral("Fade"));
    o.chkInvert = Check(o.fraButtonize, "chkInvert", QStringLiteral("Invert"));
    button->addWidget(new QLabel(QStringLiteral("Width"), o.fraButtonize));
    button->addWidget(o.txtButtonWidth);
    button->addWidget(percent);
    button->addSpacing(6);
    button->addWidget(new QLabel(QStringLiteral("Color"), o.fraButtonize));
    button->addWidget(o.ocpButtonLine);
    button->addSpacing(6);
    button->addWidget(new QLabel(QStringLiteral("Highlight"), o.fraButtonize));
    button->addWidget(o.cmbLighting);
    QVBoxLayout* checks = Column();
    checks->addWidget(o.chkFade);
    checks->addWidget(o.chkInvert);
    button->addLayout(checks);
    row->addWidget(Headed(page, o.chkButtonize, o.fraButtonize, false));
    percent->setEnabled(true);  // the "%" label starts enabled
    row->addStretch();
}

void BuildCaptionPage(OptionPages& o, QWidget* page)
{
    QHBoxLayout* row = PageRow(page);
    o.chkAddCaption = Check(page, "chkAddCaption", QStringLiteral("Add Caption"));
    o.fraCaption = Frame(page, "fraCaption");
    QHBoxLayout* caption = Row(o.fraCaption);
    o.txtCaption = Named(new QLineEdit(o.fraCaption), "txtCaption");
    o.txtCaption->setMinimumWidth(150);
    o.btnCaptionFont = Named(new QPushButton(QStringLiteral("&Select Font"), o.fraCaption), "btnCaptionFont");
    // Empty at start, framed in the text colour it stands for. Made before
    // the location list, so that Tab goes through the fields as they stand.
    o.ocpCaptionColour = Named(new TOrvaColourPicker(clWindowText, o.fraCaption), "ocpCaptionColour");
    o.cmbCaptionLocation = FixedList(
        o.fraCaption, "cmbCaptionLocation",
        {QStringLiteral("Top"), QStringLiteral("Center"), QStringLiteral("Bottom"), QStringLiteral("Caption")});
    caption->addWidget(new QLabel(QStringLiteral("Caption"), o.fraCaption));
    caption->addWidget(o.txtCaption, 1);
    caption->addWidget(o.btnCaptionFont);
    caption->addSpacing(6);
    caption->addWidget(new QLabel(QStringLiteral("Color"), o.fraCaption));
    caption->addWidget(o.ocpCaptionColour);
    caption->addSpacing(6);
    caption->addWidget(new QLabel(QStringLiteral("Location"), o.fraCaption));
    caption->addWidget(o.cmbCaptionLocation);
    row->addWidget(Headed(page, o.chkAddCaption, o.fraCaption, false), 1);
}

} // namespace

void PlaceMetadataList(const OptionPages& pages, OutputFormat format)
{
    QGroupBox* list = pages.fraMetadata;
    // In PNG's row, where the palette's panel fills the space below; under
    // the other formats' panel, at the end of the column of panels.
    auto* row = static_cast<QBoxLayout*>(pages.pnlPNGOptions->layout());
    auto* column = static_cast<QBoxLayout*>(pages.pnlPNGOptions->parentWidget()->layout());
    const bool inRow = format == OutputFormat::Png;
    QBoxLayout* from = inRow ? column : row;
    if (from->indexOf(list) >= 0) {
        from->removeWidget(list);
        QBoxLayout* to = inRow ? row : column;
        to->insertWidget(inRow ? row->count() - 1 : -1, list, 0, Qt::AlignLeft);
    }
    // Shown after the move, which gives the list a new parent.
    list->setVisible(format != OutputFormat::Gif);
}

std::array<std::pair<OutputFormat, QRadioButton*>, 5> FormatButtons(const OptionPages& pages)
{
    return {{{OutputFormat::Gif, pages.rbGIF},
             {OutputFormat::Jpeg, pages.rbJPEG},
             {OutputFormat::Png, pages.rbPNG},
             {OutputFormat::Webp, pages.rbWebP},
             {OutputFormat::Avif, pages.rbAVIF}}};
}

OptionPages BuildOptionPages(QWidget* parent)
{
    OptionPages o;
    o.PageControl1 = Named(new QTabWidget(parent), "PageControl1");
    o.PageControl1->setDocumentMode(false);
    BuildFormatPage(o, NewPage(o.PageControl1, QStringLiteral("Graphic Format"), 4));
    BuildRotatePage(o, NewPage(o.PageControl1, QStringLiteral("Rotate"), 5));
    BuildSizePage(o, NewPage(o.PageControl1, QStringLiteral("Size"), 6));
    BuildEffectsPage(o, NewPage(o.PageControl1, QStringLiteral("Effects"), 7));
    BuildTonePage(o, NewPage(o.PageControl1, QStringLiteral("Brightness, Contrast"), 8));
    BuildBlendPage(o, NewPage(o.PageControl1, QStringLiteral("Blend"), 10));
    BuildButtonizePage(o, NewPage(o.PageControl1, QStringLiteral("Buttonize"), 11));
    BuildCaptionPage(o, NewPage(o.PageControl1, QStringLiteral("Caption"), 58));
    o.PageControl1->setCurrentIndex(0);
    return o;
}

} // namespace pictaron
