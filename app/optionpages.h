// The eight option pages of the main window.
//
// The pages only hold and edit values: the window connects their change
// handlers (mainwindow_options.cpp) and gathers their values into the
// conversion settings when a run starts. Every control carries its name as its
// object name, so tests and help find it as the user knows it.
#pragma once

#include "app/conversionsettings.h"

#include <QString>

#include <array>
#include <utility>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QWidget;

namespace pictaron {

class TOrvaColourPicker;
class TOrvaEdit;

// The help page of each option page is found through this property.
inline constexpr char kHelpContextProperty[] = "helpContext";

struct OptionPages {
    QTabWidget* PageControl1 = nullptr;

    // "Graphic Format" (4): one radio button for each format, in the order
    // of OutputFormats(), and one panel of options for each. PNG shows its
    // own panel above the GIF's, whose palette controls an indexed PNG shares.
    QRadioButton* rbGIF = nullptr;
    QRadioButton* rbJPEG = nullptr;
    QRadioButton* rbPNG = nullptr;
    QRadioButton* rbWebP = nullptr;
    QRadioButton* rbAVIF = nullptr;
    QWidget* pnlJPEGOptions = nullptr;
    QSlider* tbCompression = nullptr;
    TOrvaEdit* txtCompression = nullptr;
    QCheckBox* chkProgressive = nullptr;
    QCheckBox* chkGreyscale = nullptr;
    QWidget* pnlGIFOptions = nullptr;
    QComboBox* cmbPalette = nullptr;
    QToolButton* btnOpenPalette = nullptr;
    TOrvaEdit* txtMaxColours = nullptr;
    QRadioButton* rbDither = nullptr;
    QRadioButton* rbFlat = nullptr;
    QCheckBox* chkTransparent = nullptr;
    TOrvaColourPicker* ocpTransparentColour = nullptr;
    QToolButton* btnTransparentColourPicker = nullptr;
    QWidget* pnlPNGOptions = nullptr;
    QRadioButton* rbPNGTruecolour = nullptr;
    QRadioButton* rbPNGIndexed = nullptr;
    QCheckBox* chkInterlaced = nullptr;
    QWidget* pnlWebPOptions = nullptr;
    QGroupBox* fraWebPQuality = nullptr;
    QSlider* tbWebPQuality = nullptr;
    TOrvaEdit* txtWebPQuality = nullptr;
    QCheckBox* chkWebPLossless = nullptr;
    QSpinBox* txtWebPEffort = nullptr;  // 0..6
    QWidget* pnlAVIFOptions = nullptr;
    QGroupBox* fraAVIFQuality = nullptr;
    QSlider* tbAVIFQuality = nullptr;
    TOrvaEdit* txtAVIFQuality = nullptr;
    QCheckBox* chkAVIFLossless = nullptr;
    QSpinBox* txtAVIFSpeed = nullptr;  // 0..10
    QGroupBox* fraAVIFChroma = nullptr;
    QRadioButton* rbAVIF420 = nullptr;
    QRadioButton* rbAVIF444 = nullptr;
    // What every format but GIF keeps of the source's EXIF and XMP: under
    // the chosen format's panel, or in PNG's own row above the palette.
    QGroupBox* fraMetadata = nullptr;
    QComboBox* cmbMetadata = nullptr;  // KeepMetadata, in its order
    // A byte budget for every format: "Fit under [150] KB".
    QCheckBox* chkFitUnder = nullptr;
    QGroupBox* fraFitUnder = nullptr;
    QSpinBox* txtFitUnder = nullptr;  // kilobytes

    // "Rotate" (5)
    QCheckBox* chkRotate = nullptr;
    QGroupBox* fraRotate = nullptr;
    TOrvaEdit* txtRotateAngle = nullptr;
    QRadioButton* rbRotateRight = nullptr;
    QRadioButton* rbRotateLeft = nullptr;
    TOrvaColourPicker* ocpCornerColour = nullptr;
    QCheckBox* chkFlip = nullptr;
    QCheckBox* chkMirror = nullptr;

    // "Size" (6)
    QCheckBox* chkResize = nullptr;
    QGroupBox* fraResize = nullptr;
    QComboBox* cmbResizeMethod = nullptr;
    QCheckBox* chkKeepRatio = nullptr;
    TOrvaEdit* txtResizeWidth = nullptr;
    TOrvaEdit* txtResizeHeight = nullptr;
    QCheckBox* chkCrop = nullptr;
    QLabel* lblCrop = nullptr;
    QLabel* lblCrop2 = nullptr;

    // "Effects" (7)
    QCheckBox* chkSmoothing = nullptr;
    QGroupBox* fraBlur = nullptr;
    QSlider* tbSmoothing = nullptr;
    TOrvaEdit* txtSmoothing = nullptr;
    QCheckBox* chkSharpen = nullptr;
    QGroupBox* fraSharpen = nullptr;
    QSlider* tbSharpen = nullptr;
    TOrvaEdit* txtSharpen = nullptr;

    // "Brightness, Contrast" (8)
    QCheckBox* chkBrightness = nullptr;
    QGroupBox* fraBrightness = nullptr;
    QSlider* tbBrightness = nullptr;
    TOrvaEdit* txtBrightness = nullptr;
    QCheckBox* chkContrast = nullptr;
    QGroupBox* fraContrast = nullptr;
    QSlider* tbContrast = nullptr;
    TOrvaEdit* txtContrast = nullptr;

    // "Blend" (10)
    QCheckBox* chkBlendImage = nullptr;
    QGroupBox* fraBlend = nullptr;
    TOrvaEdit* txtBlendFile = nullptr;
    QSlider* tbBlendFactor = nullptr;
    QRadioButton* rbBlendStretch = nullptr;
    QRadioButton* rbBlendTile = nullptr;

    // "Buttonize" (11)
    QCheckBox* chkButtonize = nullptr;
    QGroupBox* fraButtonize = nullptr;
    QSpinBox* txtButtonWidth = nullptr;
    TOrvaColourPicker* ocpButtonLine = nullptr;
    QComboBox* cmbLighting = nullptr;
    QCheckBox* chkFade = nullptr;
    QCheckBox* chkInvert = nullptr;

    // "Caption" (58)
    QCheckBox* chkAddCaption = nullptr;
    QGroupBox* fraCaption = nullptr;
    QLineEdit* txtCaption = nullptr;
    QPushButton* btnCaptionFont = nullptr;
    TOrvaColourPicker* ocpCaptionColour = nullptr;  // the text's colour; empty: the window text colour
    QComboBox* cmbCaptionLocation = nullptr;
};

// Builds the pages with their start-up values and enabled states.
OptionPages BuildOptionPages(QWidget* parent);

// Each format's radio button, in the order of OutputFormats().
std::array<std::pair<OutputFormat, QRadioButton*>, 5> FormatButtons(const OptionPages& pages);

// Puts the metadata list where the chosen format's options show it, and
// hides it for a GIF.
void PlaceMetadataList(const OptionPages& pages, OutputFormat format);

} // namespace pictaron
