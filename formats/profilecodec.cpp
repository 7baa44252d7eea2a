#include "formats/profilecodec.h"

#include "formats/moduleexport.h"

#include <lcms2.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace pictaron {

namespace {

// The library's own complaints about a damaged profile stay quiet; the
// loader gives the user one warning of its own.
void QuietLog(cmsContext, cmsUInt32Number, const char*) {}

void QuietenLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { cmsSetLogErrorHandler(QuietLog); });
}

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

Profile OpenProfile(std::string_view icc)
{
    QuietenLibrary();
    if (icc.size() < 128)
        return Profile();
    return Profile(cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size())));
}

// The description as the library gives it, one byte a character (Latin-1),
// without the white space around it, as UTF-8.
std::string DescriptionText(const char* latin1)
{
    const auto isSpace = [](unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x85 || c == 0xA0; };
    std::string_view text(latin1);
    while (!text.empty() && isSpace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    std::string utf8;
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | code >> 6);
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDeleter>;

constexpr cmsUInt32Number kFlags = cmsFLAGS_BLACKPOINTCOMPENSATION;

Transform ToSrgb(cmsHPROFILE source, cmsUInt32Number inputFormat)
{
    const Profile srgb(cmsCreate_sRGBProfile());
    if (!srgb)
        return Transform();
    return Transform(cmsCreateTransform(source, inputFormat, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, kFlags));
}

ProfileSpace SpaceOf(cmsHPROFILE profile)
{
    switch (cmsGetColorSpace(profile)) {
    case cmsSigRgbData:
        return ProfileSpace::Rgb;
    case cmsSigGrayData:
        return ProfileSpace::Grey;
    case cmsSigCmykData:
        return ProfileSpace::Cmyk;
    default:
        return ProfileSpace::Other;
    }
}

// Every level of every channel and a grid of mixtures come back as they went.
bool MapsToItself(void* transform)
{
    std::vector<unsigned char> in;
    for (int v = 0; v < 256; ++v)
        for (int c = 0; c < 3; ++c) {
            const std::array<unsigned char, 3> pixel{static_cast<unsigned char>(c == 0 ? v : 0),
                                                     static_cast<unsigned char>(c == 1 ? v : 0),
                                                     static_cast<unsigned char>(c == 2 ? v : 0)};
            in.insert(in.end(), pixel.begin(), pixel.end());
            in.insert(in.end(), 3, static_cast<unsigned char>(v));
        }
    for (int b = 0; b < 256; b += 17)
        for (int g = 0; g < 256; g += 17)
            for (int r = 0; r < 256; r += 17)
                in.insert(in.end(), {static_cast<unsigned char>(b), static_cast<unsigned char>(g),
                                     static_cast<unsigned char>(r)});
    std::vector<unsigned char> out(in.size());
    cmsDoTransform(transform, in.data(), out.data(), static_cast<cmsUInt32Number>(in.size() / 3));
    // Within a level: the many published sRGB profiles differ from the
    // library's own by rounding, which is no reason to touch a pixel.
    for (std::size_t i = 0; i < in.size(); ++i)
        if (std::abs(in[i] - out[i]) > 1)
            return false;
    return true;
}

} // namespace

ProfileFacts ReadProfile(std::string_view icc)
{
    ProfileFacts facts;
    const Profile profile = OpenProfile(icc);
    if (!profile) {
        facts.problem = "its colour profile is damaged";
        return facts;
    }
    facts.space = SpaceOf(profile.get());
    char text[256] = {};
    if (cmsGetProfileInfoASCII(profile.get(), cmsInfoDescription, "en", "US", text, sizeof text) > 0)
        facts.name = DescriptionText(text);
    if (facts.name.empty())
        facts.name = "an embedded profile";
    switch (facts.space) {
    case ProfileSpace::Rgb: {
        const Transform transform = ToSrgb(profile.get(), TYPE_BGR_8);
        if (!transform) {
            facts.problem = "its colour profile cannot be used";
            return facts;
        }
        facts.actsAsSrgb = MapsToItself(transform.get());
        break;
    }
    case ProfileSpace::Grey:
    case ProfileSpace::Cmyk:
        break;
    case ProfileSpace::Other:
        facts.problem = "its colour profile is for neither RGB, grey nor CMYK";
        return facts;
    }
    facts.readable = true;
    return facts;
}

bool TransformToSrgb(Bitmap& picture, std::string_view icc, std::string& problem)
{
    const Profile profile = OpenProfile(icc);
    if (!profile) {
        problem = "its colour profile is damaged";
        return false;
    }
    const ProfileSpace space = SpaceOf(profile.get());
    if (space != ProfileSpace::Rgb && space != ProfileSpace::Grey) {
        problem = "its colour profile does not fit its pixels";
        return false;
    }
    const Transform transform = ToSrgb(profile.get(), space == ProfileSpace::Rgb ? TYPE_BGR_8 : TYPE_GRAY_8);
    if (!transform) {
        problem = "its colour profile cannot be used";
        return false;
    }
    const int width = picture.width();
    if (space == ProfileSpace::Rgb) {
        for (int y = 0; y < picture.height(); ++y) {
            std::uint8_t* row = picture.scanLine(y);
            cmsDoTransform(transform.get(), row, row, static_cast<cmsUInt32Number>(width));
        }
        return true;
    }
    // Grey: one lookup per level.
    std::array<unsigned char, 256> levels{};
    for (int v = 0; v < 256; ++v)
        levels[v] = static_cast<unsigned char>(v);
    std::array<unsigned char, 3 * 256> table{};
    cmsDoTransform(transform.get(), levels.data(), table.data(), 256);
    for (int y = 0; y < picture.height(); ++y) {
        std::uint8_t* row = picture.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const unsigned char* rgb = &table[3 * row[3 * x]];
            row[3 * x] = rgb[0];
            row[3 * x + 1] = rgb[1];
            row[3 * x + 2] = rgb[2];
        }
    }
    return true;
}

CmykConverter::CmykConverter(std::string_view icc)
{
    const Profile profile = OpenProfile(icc);
    if (profile && SpaceOf(profile.get()) == ProfileSpace::Cmyk)
        transform_ = ToSrgb(profile.get(), TYPE_CMYK_8).release();
}

CmykConverter::~CmykConverter()
{
    if (transform_)
        cmsDeleteTransform(transform_);
}

void CmykConverter::ConvertRow(const unsigned char* cmyk, unsigned char* bgr, int width) const
{
    cmsDoTransform(transform_, cmyk, bgr, static_cast<cmsUInt32Number>(width));
}

} // namespace pictaron

extern "C" {

PICTARON_MODULE_EXPORT void PictaronReadProfile(const std::string_view* icc, pictaron::ProfileFacts* facts)
{
    *facts = pictaron::ReadProfile(*icc);
}

PICTARON_MODULE_EXPORT bool PictaronTransformToSrgb(pictaron::Bitmap* picture, const std::string_view* icc,
                                                    std::string* problem)
{
    return pictaron::TransformToSrgb(*picture, *icc, *problem);
}

}
