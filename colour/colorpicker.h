// The "Color Picker" dialog that the colour entry control opens.
//
// The current colour can come from the 16 x 16 palette grid (the web-safe
// palette or one read from a palette file or a GIF), the 16 custom colours of
// the chosen scheme, the spectrum panel, the red/green/blue fields in decimal
// or hexadecimal, a pixel sampled from the screen, or the zoom window. OK
// hands it back as ChosenColour().
//
// Settings live in the group "Color Picker" as text (see pickersettings.h).
// The dialog is split by concern: this file's .cpp builds it and handles the
// current colour, sampling and the keys; colorpicker_palette.cpp the palettes;
// colorpicker_custom.cpp the custom colours and schemes.
#pragma once

#include "colour/pickerpalette.h"
#include "colour/pickersettings.h"
#include "effects/pixels.h"

#include <QDialog>

#include <array>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class QPushButton;
class QWidget;

namespace pictaron {

class ColourSwatch;
class PaletteGrid;
class SpectrumPanel;
class TOrvaEdit;
class TfrmZoom;

class TfrmColorPicker : public QDialog {
    Q_OBJECT
public:
    explicit TfrmColorPicker(QWidget* parent = nullptr);
    ~TfrmColorPicker() override;

    // The red, green and blue fields take the colour (system colours resolved)
    // and the swatch shows it.
    void SetCurrentColour(TColor colour);
    TColor CurrentColour() const { return current_; }
    // Set by OK.
    TColor ChosenColour() const { return chosen_; }

    // The web-safe palette file the list's "websafe.pal" stands for.
    static QString WebSafeFile();
    // Whether grid changes fade (one flag for the whole program run).
    static bool FadeOn();

    // What the buttons do, callable on their own.
    void FindNearestColour();
    void ToggleSpectrum();
    void LoadPaletteFromFile(const QString& path); // btnLoadFile after its dialog
    void StartSampling();
    bool Sampling() const { return sampling_; }

    const PickerPalette& ShownPalette() const { return shownPalette_; }
    QString CurrentPaletteFile() const { return currentFile_; }
    QString PaletteFolder() const { return paletteFolder_; }
    PaletteGrid* Grid() const { return grid1_; }
    SpectrumPanel* Spectrum() const { return pnlSpectrum_; }
    ColourSwatch* CustomSwatch(int index) const { return custom_[static_cast<std::size_t>(index)]; }

    // The custom swatch commands of the pop-up menu.
    void SetCustomToCurrent(int index);
    void DeleteCustom(int index);
    void ClearAllCustom();
    void AddScheme();
    void DeleteScheme();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void BuildControls();
    void BuildCurrentColourControls();
    void Open();

    // Palettes (colorpicker_palette.cpp).
    void FillPaletteList();
    void SelectPaletteEntry(const QString& name);
    void PaletteChosen();
    void LoadCurrentPalette();
    void BrowseForPalette();
    void CellSelected(QPoint cell);

    // Custom colours and schemes (colorpicker_custom.cpp).
    void BuildCustomControls(QWidget* panel);
    void FillSchemeList();
    void SchemeChosen();
    void ShowCustomColours(const CustomColours& colours);
    CustomColours Customs() const;
    void SaveCustoms();
    void CustomPressed(int index, Qt::MouseButton button, QPoint globalPosition);

    // The current colour (colorpicker.cpp).
    void DecimalChanged(int channel);
    void HexChanged(int channel);
    bool PasteInto(bool hex);
    void ColourFromDecimalFields();
    void ShowCurrent(TColor colour);
    void SampleAt(QPoint globalPosition);
    void EndSampling();
    void ShowZoom();
    void SwatchPressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPosition);

    std::unique_ptr<QSettings> settings_;
    PickerPalette shownPalette_;
    QString currentFile_;
    QString paletteFolder_;
    TColor current_ = clBlack;
    TColor chosen_ = clBlack;
    bool sampling_ = false;
    bool refusedShown_ = false;

    QComboBox* cmbPal_ = nullptr;
    QToolButton* btnLoadFile_ = nullptr;
    QToolButton* btnMoreColor_ = nullptr;
    QComboBox* cmbSort_ = nullptr;
    PaletteGrid* grid1_ = nullptr;
    QComboBox* cmbSchemes_ = nullptr;
    QToolButton* btnAddScheme_ = nullptr;
    QToolButton* btnDeleteScheme_ = nullptr;
    QWidget* pnlCustom_ = nullptr;
    std::array<ColourSwatch*, kCustomColourCount> custom_{};
    ColourSwatch* shColor_ = nullptr;
    std::array<TOrvaEdit*, 3> txtDecimal_{};
    std::array<TOrvaEdit*, 3> txtHex_{};
    QToolButton* btnSample_ = nullptr;
    QToolButton* btnZoom_ = nullptr;
    QToolButton* btnFind_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    SpectrumPanel* pnlSpectrum_ = nullptr;
    QMenu* fadeMenu_ = nullptr;
    TfrmZoom* zoom_ = nullptr;
};

} // namespace pictaron
