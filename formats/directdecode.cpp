#include "formats/directdecode.h"

#include "effects/pixels.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace pictaron {

namespace {

// Reads the next whitespace-separated decimal field of a PPM header, skipping
// comments; -1 when there is none.
int PpmField(std::string_view bytes, std::size_t& at)
{
    while (at < bytes.size()) {
        const char c = bytes[at];
        if (c == '#') {
            while (at < bytes.size() && bytes[at] != '\n')
                ++at;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++at;
        } else {
            break;
        }
    }
    long long value = -1;
    while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9') {
        value = (value < 0 ? 0 : value) * 10 + (bytes[at] - '0');
        if (value > 1'000'000'000)
            return -1;
        ++at;
    }
    return static_cast<int>(value);
}

struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    const DecodeGuard* guard;
};

void JumpOnError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Of the library's warnings, those that mean pixels are missing: the data
// ends early, or a marker turns up in the middle of it. Others (extra bytes
// between markers, say) leave the picture whole and stay unsaid.
void NoteWarning(j_common_ptr cinfo, int level)
{
    const auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    const int code = errors->pub.msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC))
        errors->guard->WarnPartlyRead();
}

constexpr char kExifHeader[] = "Exif\0\0";  // 6 bytes
constexpr char kXmpHeader[] = "http://ns.adobe.com/xap/1.0/";  // and a NUL
constexpr char kIccHeader[] = "ICC_PROFILE";  // and a NUL

bool Starts(const jpeg_saved_marker_ptr marker, const char* header, unsigned length)
{
    return marker->data_length >= length && std::memcmp(marker->data, header, length) == 0;
}

// The tags of the saved markers; the first EXIF and XMP block counts.
void ReadTags(j_decompress_ptr cinfo, RawTags& tags)
{
    bool hasIcc = false;
    for (jpeg_saved_marker_ptr marker = cinfo->marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && tags.exif.empty() && Starts(marker, kExifHeader, 6))
            tags.exif = std::string(reinterpret_cast<const char*>(marker->data) + 6, marker->data_length - 6);
        else if (marker->marker == JPEG_APP0 + 1 && tags.xmp.empty() && Starts(marker, kXmpHeader, 29))
            tags.xmp = std::string(reinterpret_cast<const char*>(marker->data) + 29, marker->data_length - 29);
        else if (marker->marker == JPEG_APP0 + 2 && Starts(marker, kIccHeader, 12))
            hasIcc = true;
    }
    if (!hasIcc)
        return;
    JOCTET* icc = nullptr;
    unsigned int length = 0;
    if (jpeg_read_icc_profile(cinfo, &icc, &length) && icc) {
        tags.icc = std::string(reinterpret_cast<const char*>(icc), length);
    } else {
        tags.iccDamaged = true;
    }
    std::free(icc);
}

// Sets the smallest DCT scale whose upright width is at least minimumWidth;
// the full size when none is.
void ChooseScale(j_decompress_ptr cinfo, const JpegShrink& shrink, int orientation)
{
    const bool turned = shrink.upright && orientation >= 5;  // width and height change places
    for (unsigned eighths = 1; eighths < 8; ++eighths) {
        cinfo->scale_num = eighths;
        cinfo->scale_denom = 8;
        jpeg_calc_output_dimensions(cinfo);
        const JDIMENSION width = turned ? cinfo->output_height : cinfo->output_width;
        if (width >= static_cast<JDIMENSION>(shrink.minimumWidth))
            return;
    }
    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
}

} // namespace

std::optional<PpmPixels> FindPpmPixels(std::string_view bytes, const DecodeGuard& guard)
{
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6')
        return std::nullopt;
    std::size_t at = 2;
    const int width = PpmField(bytes, at);
    const int height = PpmField(bytes, at);
    const int maxval = PpmField(bytes, at);
    if (width <= 0 || height <= 0 || maxval != 255 || at >= bytes.size())
        return std::nullopt;
    ++at;  // the single whitespace after the header
    guard.CheckSize(Size(width, height));
    if (static_cast<long long>(bytes.size() - at) < 3LL * width * height)
        guard.Fail("The file ends before the picture does.");
    return PpmPixels{Size(width, height), at};
}

std::optional<Bitmap> DecodePpm(std::string_view bytes, const DecodeGuard& guard)
{
    const std::optional<PpmPixels> pixels = FindPpmPixels(bytes, guard);
    if (!pixels)
        return std::nullopt;
    const Bitmap rgb = Bitmap::WrapReadOnly(reinterpret_cast<const std::uint8_t*>(bytes.data() + pixels->offset),
                                            pixels->size.width(), pixels->size.height(), 3 * pixels->size.width(),
                                            Bitmap::Format_RGB888, {});
    return ToWorkingBitmap(rgb);
}

std::optional<Bitmap> DecodeJpeg(std::string_view bytes, const DecodeGuard& guard, RawTags* tags,
                                 JpegShrink shrink)
{
    if (bytes.size() < 3 || static_cast<std::uint8_t>(bytes[0]) != 0xFF
        || static_cast<std::uint8_t>(bytes[1]) != 0xD8 || static_cast<std::uint8_t>(bytes[2]) != 0xFF)
        return std::nullopt;

    // Declared before the jump target: nothing with a destructor may be
    // created between setjmp and the library calls that can jump back.
    Bitmap picture;
    jpeg_decompress_struct cinfo{};
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JumpOnError;
    errors.pub.emit_message = NoteWarning;
    errors.guard = &guard;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return std::nullopt;  // the general library gives the reason
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    if (tags) {
        jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
        jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
    }
    jpeg_read_header(&cinfo, TRUE);
    if (tags)
        ReadTags(&cinfo, *tags);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        jpeg_destroy_decompress(&cinfo);
        return std::nullopt;
    }
    // May throw to refuse the size; the library holds no resources we would
    // lose except the decompressor, released first.
    const Size size(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height));
    if (shrink.minimumWidth > 0)
        ChooseScale(&cinfo, shrink, tags ? ExifOrientation(tags->exif) : 1);
    jpeg_calc_output_dimensions(&cinfo);
    try {
        guard.CheckSize(size);
        picture = NewWorkingBitmap(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
        if (tags && picture.size() != size)
            tags->storedSize = size;
    } catch (...) {
        jpeg_destroy_decompress(&cinfo);
        throw;
    }
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = picture.scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return picture;
}

} // namespace pictaron
