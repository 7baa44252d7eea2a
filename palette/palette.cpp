#include "palette/palette.h"

#include "components/errors.h"
#include "components/plaintext.h"

namespace pictaron {

Palette WebSafePalette()
{
    Palette palette;
    palette.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back(PaletteEntry{std::uint8_t(51 * r), std::uint8_t(51 * g), std::uint8_t(51 * b), 0});
    return palette;
}

std::vector<Argb> ToColorTable(const Palette& palette)
{
    std::vector<Argb> table;
    table.reserve(palette.size());
    for (const PaletteEntry& entry : palette)
        table.push_back(PackRgb(entry.red, entry.green, entry.blue));
    return table;
}

Bitmap NewIndexedPicture(int width, int height, const Palette& palette)
{
    Bitmap picture(width, height, Bitmap::Format_Indexed8);
    if (picture.isNull() && width > 0 && height > 0)
        throw PictaronError(Substitute("There is not enough memory for a picture of %1 by %2 pixels.", width, height));
    picture.setColorTable(ToColorTable(palette));
    return picture;
}

} // namespace pictaron
