// The colour picker's custom colours: sixteen swatches of the chosen scheme,
// their pop-up menu, and adding and removing schemes.
#include "colour/colorpicker.h"

#include "colour/messages.h"
#include "colour/swatch.h"
#include "components/colourtext.h"
#include "components/settingstext.h"

#include <QComboBox>
#include <QMenu>

namespace pictaron {

namespace {

constexpr int kSwatchSide = 11;
constexpr int kSwatchPitch = 13;

QString SwatchHint(TColor colour)
{
    return QLatin1Char('#') + ColorToHexText(colour) + QLatin1Char('\n') + ColorToDecimalText(colour);
}

} // namespace

void TfrmColorPicker::BuildCustomControls(QWidget* panel)
{
    for (int i = 0; i < kCustomColourCount; ++i) {
        auto* swatch = new ColourSwatch(panel);
        swatch->setObjectName(QStringLiteral("shCustom%1").arg(i));
        swatch->setGeometry(1 + kSwatchPitch * i, 2, kSwatchSide, kSwatchSide);
        connect(swatch, &ColourSwatch::Pressed, this,
                [this, i](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint at) { CustomPressed(i, button, at); });
        custom_[static_cast<std::size_t>(i)] = swatch;
    }
}

void TfrmColorPicker::CustomPressed(int index, Qt::MouseButton button, QPoint globalPosition)
{
    if (button == Qt::LeftButton) {
        SetCurrentColour(custom_[static_cast<std::size_t>(index)]->Colour());
        return;
    }
    if (button != Qt::RightButton)
        return;
    QMenu menu(this);
    menu.addAction(tr("&Set Current Color"), this, [this, index] { SetCustomToCurrent(index); });
    menu.addAction(tr("&Delete Color"), this, [this, index] { DeleteCustom(index); });
    menu.addAction(tr("&Clear All Colors"), this, &TfrmColorPicker::ClearAllCustom);
    menu.exec(globalPosition);
}

void TfrmColorPicker::ShowCustomColours(const CustomColours& colours)
{
    for (int i = 0; i < kCustomColourCount; ++i) {
        ColourSwatch* swatch = custom_[static_cast<std::size_t>(i)];
        swatch->SetColour(colours[static_cast<std::size_t>(i)]);
        swatch->setToolTip(SwatchHint(colours[static_cast<std::size_t>(i)]));
    }
}

CustomColours TfrmColorPicker::Customs() const
{
    CustomColours colours;
    for (int i = 0; i < kCustomColourCount; ++i)
        colours[static_cast<std::size_t>(i)] = custom_[static_cast<std::size_t>(i)]->Colour();
    return colours;
}

void TfrmColorPicker::SaveCustoms()
{
    SaveCustomColours(*settings_, cmbSchemes_->currentText(), Customs());
}

void TfrmColorPicker::SetCustomToCurrent(int index)
{
    ColourSwatch* swatch = custom_[static_cast<std::size_t>(index)];
    swatch->SetColour(current_);
    swatch->setToolTip(SwatchHint(current_));
    SaveCustoms();
}

void TfrmColorPicker::DeleteCustom(int index)
{
    ColourSwatch* swatch = custom_[static_cast<std::size_t>(index)];
    swatch->SetColour(clWhite);
    swatch->setToolTip(SwatchHint(clWhite));
    SaveCustoms();
}

// Not saved: Cancel afterwards keeps the stored colours.
void TfrmColorPicker::ClearAllCustom()
{
    if (!Messages().Confirm(this, QStringLiteral("Are you sure you want to clear all custom colors ?")))
        return;
    for (ColourSwatch* swatch : custom_) {
        swatch->SetColour(clWhite);
        swatch->setToolTip(QString());
    }
}

void TfrmColorPicker::FillSchemeList()
{
    cmbSchemes_->clear();
    cmbSchemes_->addItems(SchemeNames(*settings_));
    const int last = cmbSchemes_->findText(
        ReadTextSetting(*settings_, QStringLiteral("Last Scheme"), kDefaultScheme));
    cmbSchemes_->setCurrentIndex(last >= 0 ? last : cmbSchemes_->findText(kDefaultScheme));
}

void TfrmColorPicker::SchemeChosen()
{
    settings_->setValue(QStringLiteral("Last Scheme"), cmbSchemes_->currentText());
    ShowCustomColours(LoadCustomColours(*settings_, cmbSchemes_->currentText()));
}

void TfrmColorPicker::AddScheme()
{
    const std::optional<QString> answer = Messages().AskText(this, QStringLiteral("New Scheme Name"),
                                                             QStringLiteral("Please choose a name for this scheme"));
    const QString name = answer.value_or(QString()).trimmed();
    if (name.isEmpty() || cmbSchemes_->findText(name) >= 0)
        return;
    // The name becomes a settings group; a separator in it would nest groups.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))) {
        Messages().Show(this, QStringLiteral("A scheme name cannot contain \"/\" or \"\\\"."));
        return;
    }
    QStringList names;
    for (int i = 0; i < cmbSchemes_->count(); ++i)
        names << cmbSchemes_->itemText(i);
    names << name;
    SortSchemeNames(names);
    cmbSchemes_->clear();
    cmbSchemes_->addItems(names);
    cmbSchemes_->setCurrentIndex(cmbSchemes_->findText(name));
    SchemeChosen();
}

void TfrmColorPicker::DeleteScheme()
{
    const QString scheme = cmbSchemes_->currentText();
    if (scheme == kDefaultScheme) {
        Messages().Show(this, QStringLiteral("The [Default] scheme cannot be deleted."));
        return;
    }
    if (!Messages().Confirm(this, QStringLiteral("Are you sure you want to remove this scheme ?")))
        return;
    RemoveScheme(*settings_, scheme);
    cmbSchemes_->removeItem(cmbSchemes_->currentIndex());
    cmbSchemes_->setCurrentIndex(cmbSchemes_->findText(kDefaultScheme));
    SchemeChosen();
}

} // namespace pictaron
