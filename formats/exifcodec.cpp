#include "formats/exifcodec.h"

#include "formats/moduleexport.h"

#include <libexif/exif-data.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace pictaron {

namespace {

struct ExifDataDeleter {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};
using OwnedExif = std::unique_ptr<ExifData, ExifDataDeleter>;

constexpr std::string_view kApp1Header("Exif\0\0", 6);

// The block as libexif reads it, which is with the APP1 header. Unknown tags
// are kept or dropped as ignoreUnknown says.
OwnedExif ReadExif(std::string_view exif, bool ignoreUnknown)
{
    OwnedExif data(exif_data_new());
    if (!data)
        return data;
    if (!ignoreUnknown)
        exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    const std::string block = std::string(kApp1Header) + std::string(exif);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(block.data()),
                        static_cast<unsigned int>(block.size()));
    return data;
}

// The data saved as a block; empty when libexif made nothing sound.
std::string SavedBlock(ExifData* data)
{
    unsigned char* saved = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &saved, &size);
    std::string segment(reinterpret_cast<const char*>(saved), saved ? size : 0);
    std::free(saved);
    if (segment.size() <= kApp1Header.size() || !segment.starts_with(kApp1Header))
        return std::string();
    return segment.substr(kApp1Header.size());
}

// A new, empty block in the given byte order.
OwnedExif NewExif(ExifByteOrder order)
{
    OwnedExif data(exif_data_new());
    if (!data)
        return data;
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_byte_order(data.get(), order);
    return data;
}

// An ASCII entry of IFD0 holding text and its NUL; nothing for empty text.
void AddText(ExifData* data, ExifTag tag, std::string_view text)
{
    if (text.empty())
        return;
    ExifEntry* entry = exif_entry_new();
    if (!entry)
        return;
    const std::size_t size = text.size() + 1;
    entry->data = static_cast<unsigned char*>(std::malloc(size));
    if (entry->data) {
        std::memcpy(entry->data, text.data(), text.size());
        entry->data[text.size()] = 0;
        entry->size = static_cast<unsigned int>(size);
        entry->tag = tag;
        entry->format = EXIF_FORMAT_ASCII;
        entry->components = size;
        exif_content_add_entry(data->ifd[EXIF_IFD_0], entry);
    }
    exif_entry_unref(entry);
}

// A copy of the entry into content.
void CopyEntry(const ExifEntry* from, ExifContent* content)
{
    if (!from || !from->data || from->size == 0)
        return;
    ExifEntry* entry = exif_entry_new();
    if (!entry)
        return;
    entry->data = static_cast<unsigned char*>(std::malloc(from->size));
    if (entry->data) {
        std::memcpy(entry->data, from->data, from->size);
        entry->size = from->size;
        entry->tag = from->tag;
        entry->format = from->format;
        entry->components = from->components;
        exif_content_add_entry(content, entry);
    }
    exif_entry_unref(entry);
}

void SetNumber(ExifEntry* entry, ExifByteOrder order, unsigned value)
{
    if (!entry || !entry->data || entry->components != 1)
        return;
    if (entry->format == EXIF_FORMAT_SHORT && entry->size >= 2)
        exif_set_short(entry->data, order, static_cast<ExifShort>(value));
    else if (entry->format == EXIF_FORMAT_LONG && entry->size >= 4)
        exif_set_long(entry->data, order, value);
}

} // namespace

int ReadExifOrientation(std::string_view exif)
{
    const OwnedExif data = ReadExif(exif, true);
    if (!data)
        return 1;
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || !entry->data || entry->size < 2)
        return 1;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    return value >= 1 && value <= 8 ? value : 1;
}

std::string ExifOfTextFields(std::string_view artist, std::string_view copyright)
{
    const OwnedExif data = NewExif(EXIF_BYTE_ORDER_INTEL);
    if (!data)
        return std::string();
    AddText(data.get(), EXIF_TAG_ARTIST, artist);
    AddText(data.get(), EXIF_TAG_COPYRIGHT, copyright);
    return SavedBlock(data.get());
}

std::string RewriteExif(std::string_view exif, bool copyrightOnly, Size resultSize)
{
    OwnedExif source = ReadExif(exif, false);
    if (!source)
        return std::string();
    const ExifByteOrder order = exif_data_get_byte_order(source.get());
    OwnedExif result;
    if (copyrightOnly) {
        result = NewExif(order);
        if (!result)
            return std::string();
        ExifContent* ifd0 = source->ifd[EXIF_IFD_0];
        CopyEntry(exif_content_get_entry(ifd0, EXIF_TAG_ARTIST), result->ifd[EXIF_IFD_0]);
        CopyEntry(exif_content_get_entry(ifd0, EXIF_TAG_COPYRIGHT), result->ifd[EXIF_IFD_0]);
        if (result->ifd[EXIF_IFD_0]->count == 0)
            return std::string();
    } else {
        result = std::move(source);
        // No thumbnail: neither its picture nor the directory that describes it.
        std::free(result->data);
        result->data = nullptr;
        result->size = 0;
        ExifContent* ifd1 = result->ifd[EXIF_IFD_1];
        while (ifd1->count > 0)
            exif_content_remove_entry(ifd1, ifd1->entries[0]);
        SetNumber(exif_content_get_entry(result->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION), order, 1);
        ExifContent* exifIfd = result->ifd[EXIF_IFD_EXIF];
        SetNumber(exif_content_get_entry(exifIfd, EXIF_TAG_PIXEL_X_DIMENSION), order,
                  static_cast<unsigned>(resultSize.width()));
        SetNumber(exif_content_get_entry(exifIfd, EXIF_TAG_PIXEL_Y_DIMENSION), order,
                  static_cast<unsigned>(resultSize.height()));
        bool any = false;
        for (int ifd = 0; ifd < EXIF_IFD_COUNT; ++ifd)
            any = any || result->ifd[ifd]->count > 0;
        if (!any)
            return std::string();
    }
    return SavedBlock(result.get());
}

} // namespace pictaron

extern "C" {

PICTARON_MODULE_EXPORT int PictaronReadExifOrientation(const std::string_view* exif)
{
    return pictaron::ReadExifOrientation(*exif);
}

PICTARON_MODULE_EXPORT void PictaronExifOfTextFields(const std::string_view* artist,
                                                     const std::string_view* copyright, std::string* exif)
{
    *exif = pictaron::ExifOfTextFields(*artist, *copyright);
}

PICTARON_MODULE_EXPORT void PictaronRewriteExif(const std::string_view* exif, bool copyrightOnly,
                                                const pictaron::Size* resultSize, std::string* kept)
{
    *kept = pictaron::RewriteExif(*exif, copyrightOnly, *resultSize);
}

}
