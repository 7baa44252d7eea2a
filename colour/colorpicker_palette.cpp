// The colour picker's palettes: the list of the palette folder, loading the
// chosen file into the grid (in palette or luminance order) and finding the
// grid cell nearest to the current colour.
#include "colour/colorpicker.h"

#include "colour/messages.h"
#include "colour/palettegrid.h"
#include "colour/spectrumpanel.h"
#include "colour/websafefile.h"
#include "components/errors.h"
#include "components/pathutils.h"
#include "components/qtbridge.h"
#include "components/settingstext.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QToolButton>

#include <algorithm>

namespace pictaron {

namespace {

const QString kWebSafeName = QStringLiteral("websafe.pal");
const QString kLoadFilter = QStringLiteral(
    "GIF files (*.gif)|*.gif|Palette Files (RIFF & JASC) (*.pal)|*.pal|Photoshop Palettes (*.act)|*.act");

QString Quoted(const QString& path)
{
    QString quoted = path;
    if (!quoted.startsWith(QLatin1Char('"')))
        quoted.prepend(QLatin1Char('"'));
    if (!quoted.endsWith(QLatin1Char('"')) || quoted.size() == 1)
        quoted.append(QLatin1Char('"'));
    return quoted;
}

} // namespace

QString TfrmColorPicker::WebSafeFile()
{
    return WebSafePalettePath();
}

// "websafe.pal" and the palette folder's *.pal, *.gif and *.act files, shown
// sorted (a folder file named websafe.pal appears a second time).
void TfrmColorPicker::FillPaletteList()
{
    QStringList names{kWebSafeName};
    const QDir folder(paletteFolder_);
    for (const char* pattern : {"*.pal", "*.gif", "*.act"})
        names << folder.entryList({QString::fromLatin1(pattern)}, QDir::Files, QDir::Name);
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    cmbPal_->clear();
    cmbPal_->addItems(names);
}

void TfrmColorPicker::SelectPaletteEntry(const QString& name)
{
    cmbPal_->setCurrentIndex(std::max(0, cmbPal_->findText(name)));
}

void TfrmColorPicker::PaletteChosen()
{
    const QString name = cmbPal_->currentText();
    if (name == kWebSafeName) {
        currentFile_ = WebSafeFile();
    } else {
        currentFile_ = ToQString(JoinPath(ToUtf8(paletteFolder_), ToUtf8(name)));
        if (!QFileInfo::exists(currentFile_)) {
            Messages().Show(this, QStringLiteral("The file %1 does not exist.  The default websafe palette will be "
                                                 "displayed instead.")
                                      .arg(Quoted(currentFile_)));
            SelectPaletteEntry(kWebSafeName);
            currentFile_ = WebSafeFile();
        }
    }
    LoadCurrentPalette();
    settings_->setValue(QStringLiteral("Last File"), cmbPal_->currentText());
}

// A file that cannot be read keeps the grid as it was, with the reader's
// message (it names the file, and the line of a faulty JASC palette).
void TfrmColorPicker::LoadCurrentPalette()
{
    PickerPalette palette;
    try {
        // When the web-safe file could not be written its colours still show.
        const bool builtIn = currentFile_ == WebSafeFile() && !QFileInfo(currentFile_).isFile();
        palette = builtIn ? BuiltInWebSafePalette() : LoadPickerPalette(currentFile_);
    } catch (const PictaronError& error) {
        Messages().Show(this, ToQString(error.message()));
        return;
    }
    if (cmbSort_->currentIndex() == 1)
        SortByLuminance(palette);
    shownPalette_ = palette;
    grid1_->ShowPalette(palette, FadeOn());
}

void TfrmColorPicker::BrowseForPalette()
{
    const QString suffix = QFileInfo(currentFile_).suffix().toLower();
    const QStringList filters = ToQString(QtFileFilter(ToUtf8(kLoadFilter))).split(QStringLiteral(";;"));
    QString selected = filters.value(suffix == QLatin1String("pal") ? 1 : suffix == QLatin1String("act") ? 2 : 0);
    const QString start = ReadTextSetting(*settings_, QStringLiteral("InitialDir"));
    const QString path = QFileDialog::getOpenFileName(this, tr("Load palette"), start, filters.join(QStringLiteral(";;")),
                                                      &selected);
    if (!path.isEmpty())
        LoadPaletteFromFile(path);
}

void TfrmColorPicker::LoadPaletteFromFile(const QString& path)
{
    currentFile_ = path;
    LoadCurrentPalette();
    const QFileInfo file(path);
    paletteFolder_ = file.absolutePath();
    settings_->setValue(QStringLiteral("InitialDir"), paletteFolder_);
    FillPaletteList();
    SelectPaletteEntry(file.fileName());
}

void TfrmColorPicker::CellSelected(QPoint cell)
{
    SetCurrentColour(grid1_->CellColour(cell));
}

void TfrmColorPicker::FindNearestColour()
{
    if (!pnlSpectrum_->isHidden())
        pnlSpectrum_->Locate(current_);
    grid1_->Select(pictaron::FindNearestColour(shownPalette_, current_));
    grid1_->setFocus();
}

void TfrmColorPicker::ToggleSpectrum()
{
    const bool show = pnlSpectrum_->isHidden();
    if (show) {
        pnlSpectrum_->EnsureDrawn();
        setFixedSize(pnlSpectrum_->geometry().right() + 1, height());
        pnlSpectrum_->show();
        pnlSpectrum_->Locate(current_);
        btnFind_->setToolTip(tr("Find nearest color in palette and spectrum"));
    } else {
        pnlSpectrum_->hide();
        setFixedSize(pnlSpectrum_->x() - 2, height());
        btnFind_->setToolTip(tr("Find nearest color in palette"));
    }
    btnMoreColor_->setChecked(show);
    WritePickerBool(*settings_, QStringLiteral("Show "), show);
}

} // namespace pictaron
