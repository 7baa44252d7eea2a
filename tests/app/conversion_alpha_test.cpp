// A picture with transparency through a run: the results that keep alpha
// (truecolour PNG, WebP, AVIF) carry it through crop, flip, mirror, rotate and
// resize, and every other result is made as if it had none. Results are read
// back with Qt's own PNG reader, independent of the encoder.
#include "app/conversion.h"

#include "components/qtbridge.h"
#include "effects/pixels.h"
#include "formats/pictureloader.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace pictaron;

namespace {

// 48 × 32: colours from x and y, alpha opaque on the left half, a ramp down
// to 0 on the right half, with a fully transparent 4-pixel band of hidden red
// at the right edge.
QImage SourceRgba()
{
    QImage picture(48, 32, QImage::Format_RGBA8888);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) {
            const int alpha = x < 24 ? 255 : x >= 44 ? 0 : 255 - (x - 24) * 12;
            const QColor colour = x >= 44 ? QColor(255, 0, 0, 0) : QColor(x * 5, y * 7, 200, alpha);
            picture.setPixelColor(x, y, colour);
        }
    return picture;
}

struct Loaded {
    Bitmap picture;
    Bitmap alpha;
};

class ConversionAlphaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = folder_.filePath(QStringLiteral("source.png"));
        ASSERT_TRUE(SourceRgba().save(path_));
        source_.picture = PictureLoader().Load(ToUtf8(path_), nullptr, &source_.alpha);
        ASSERT_FALSE(source_.alpha.isNull());
    }
    EncodedResult Run(const ConversionSettings& settings, bool withAlpha = true)
    {
        RunProgress progress;
        CancelFlag cancel;
        RunContext context{progress, cancel, std::string()};
        return RunConversion(source_.picture, settings, context, withAlpha ? source_.alpha : Bitmap());
    }
    // The PNG result's pixels as straight RGBA.
    Bitmap PngPixels(const ConversionSettings& settings)
    {
        const EncodedResult result = Run(settings);
        return ToBitmap(QImage::fromData(ToQByteArray(result.bytes.view()), "PNG").convertToFormat(QImage::Format_RGBA8888));
    }

    QTemporaryDir folder_;
    QString path_;
    Loaded source_;
};

ConversionSettings Png()
{
    ConversionSettings settings;
    settings.format = OutputFormat::Png;
    return settings;
}

// The result matches the source seen through the mapping from result pixels
// to source pixels: alpha exactly, colours exactly where opaque and within the
// rounding of the flattened source where partly transparent.
template <typename Map>
void ExpectMovedPixels(const Bitmap& result, const Bitmap& source, Map sourceOf)
{
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x) {
            const QPoint from = sourceOf(x, y);
            const QColor got = ImageView(result).pixelColor(x, y);
            const QColor want = ImageView(source).pixelColor(from);
            ASSERT_EQ(got.alpha(), want.alpha()) << x << "," << y;
            if (want.alpha() == 0)
                continue;
            const int tolerance = want.alpha() == 255 ? 0 : 1 + 255 / (2 * want.alpha());
            ASSERT_LE(std::abs(got.red() - want.red()), tolerance) << x << "," << y;
            ASSERT_LE(std::abs(got.green() - want.green()), tolerance) << x << "," << y;
            ASSERT_LE(std::abs(got.blue() - want.blue()), tolerance) << x << "," << y;
        }
}

} // namespace

TEST_F(ConversionAlphaTest, AlphaFollowsEveryStepThatMovesPixels)
{
    const Bitmap source = ToBitmap(SourceRgba());
    {
        SCOPED_TRACE("as it is");
        ExpectMovedPixels(PngPixels(Png()), source, [](int x, int y) { return QPoint(x, y); });
    }
    {
        SCOPED_TRACE("cropped, flipped and mirrored");
        ConversionSettings s = Png();
        s.crop = true;
        s.cropTopLeft = Point(10, 4);
        s.cropBottomRight = Point(46, 30);
        s.flip = s.mirror = true;
        const Bitmap result = PngPixels(s);
        ASSERT_EQ(result.size(), Size(36, 26));
        ExpectMovedPixels(result, source, [](int x, int y) { return QPoint(45 - x, 29 - y); });
    }
}

TEST_F(ConversionAlphaTest, ShownOverWhiteTheResultIsTheFlattenedPicturesResult)
{
    // Flattening is linear in the premultiplied colours and the alpha, so a
    // rotation by any angle, which mixes neighbouring pixels, gives over
    // white what it gives the flattened picture (corners white there,
    // transparent here).
    struct Case {
        const char* name;
        ConversionSettings settings;
    };
    std::vector<Case> cases;
    for (const int angle : {90, 30, 217}) {
        ConversionSettings s = Png();
        s.rotate = true;
        s.rotateAngle = angle;
        s.cornerColour = clWhite;
        cases.push_back({"rotated", s});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap kept = PngPixels(c.settings);
        const Bitmap flat = ToBitmap(QImage::fromData(ToQByteArray(Run(c.settings, false).bytes.view()), "PNG").convertToFormat(QImage::Format_RGB888));
        ASSERT_EQ(kept.size(), flat.size());
        for (int y = 0; y < kept.height(); ++y)
            for (int x = 0; x < kept.width(); ++x) {
                const QColor k = ImageView(kept).pixelColor(x, y);
                const QColor f = ImageView(flat).pixelColor(x, y);
                const auto over = [&](int c) { return (c * k.alpha() + 255 * (255 - k.alpha()) + 127) / 255; };
                ASSERT_LE(std::abs(over(k.red()) - f.red()), 2) << x << "," << y;
                ASSERT_LE(std::abs(over(k.green()) - f.green()), 2) << x << "," << y;
                ASSERT_LE(std::abs(over(k.blue()) - f.blue()), 2) << x << "," << y;
            }
    }
}

TEST_F(ConversionAlphaTest, RotatedCornersAreTransparentWhateverTheCornerColour)
{
    ConversionSettings s = Png();
    s.rotate = true;
    s.rotateAngle = 30;
    s.cornerColour = 0x00FF00;
    const Bitmap result = PngPixels(s);
    for (const QPoint corner : {QPoint(0, 0), QPoint(result.width() - 1, 0), QPoint(0, result.height() - 1),
                                QPoint(result.width() - 1, result.height() - 1)})
        EXPECT_EQ(ImageView(result).pixelColor(corner).alpha(), 0);
    // The same picture without its alpha keeps the corner colour, as a JPEG would.
    RunProgress progress;
    CancelFlag cancel;
    RunContext context{progress, cancel, std::string()};
    const Bitmap opaque =
        ToBitmap(QImage::fromData(ToQByteArray(RunConversion(source_.picture, s, context).bytes.view()), "PNG").convertToFormat(QImage::Format_RGBA8888));
    EXPECT_EQ(ImageView(opaque).pixelColor(0, 0), QColor(0, 255, 0));
}

TEST_F(ConversionAlphaTest, ResizingNeverBleedsHiddenColoursIntoTheirNeighbours)
{
    // The transparent band hides pure red; every visible colour of the source
    // has at most 235 red. A resampler that weighed colours without their
    // alpha would pull red into the visible pixels beside the band.
    for (const ResizeFilter filter : {ResizeFilter::Box, ResizeFilter::Triangle, ResizeFilter::Lanczos3}) {
        ConversionSettings s = Png();
        s.resize = true;
        s.resizeWidth = 17;
        s.resizeHeight = 11;
        s.resizeMethod = filter;
        const Bitmap result = PngPixels(s);
        ASSERT_EQ(result.size(), Size(17, 11));
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 17; ++x) {
                const QColor pixel = ImageView(result).pixelColor(x, y);
                if (pixel.alpha() > 8) {
                    ASSERT_LE(pixel.red(), 240) << "filter " << static_cast<int>(filter) << " at " << x << "," << y;
                }
            }
        // The opaque half stays opaque out to its edges, in its own colours
        // (the resampler's weights fall off at the edges, which darkens an
        // opaque picture's border, but must not make it transparent), and
        // the band's side goes transparent.
        for (const QPoint at : {QPoint(0, 0), QPoint(0, 10), QPoint(3, 5), QPoint(5, 0)}) {
            EXPECT_EQ(ImageView(result).pixelColor(at).alpha(), 255) << at.x() << "," << at.y();
            EXPECT_NEAR(ImageView(result).pixelColor(at).blue(), 200, 3) << at.x() << "," << at.y() << " filter " << static_cast<int>(filter);
        }
        EXPECT_LT(ImageView(result).pixelColor(16, 5).alpha(), 40);
    }
}

TEST_F(ConversionAlphaTest, ResultsWithoutAlphaAreMadeFromTheFlattenedPictureAlone)
{
    // JPEG, GIF and indexed PNG: the same bytes with or without the plane.
    ConversionSettings jpeg;
    jpeg.rotate = true;
    jpeg.rotateAngle = 30;
    ConversionSettings gif = jpeg;
    gif.format = OutputFormat::Gif;
    ConversionSettings indexed = jpeg;
    indexed.format = OutputFormat::Png;
    indexed.pngIndexed = true;
    for (const ConversionSettings& s : {jpeg, gif, indexed}) {
        SCOPED_TRACE(static_cast<int>(s.format));
        EXPECT_EQ(Run(s, true).bytes, Run(s, false).bytes);
    }
    // A truecolour PNG of the flattened picture is opaque and shows what
    // the one with alpha shows over white.
    const EncodedResult kept = Run(Png(), true);
    const EncodedResult flat = Run(Png(), false);
    EXPECT_TRUE(QImage::fromData(ToQByteArray(kept.bytes.view()), "PNG").hasAlphaChannel());
    EXPECT_FALSE(QImage::fromData(ToQByteArray(flat.bytes.view()), "PNG").hasAlphaChannel());
    const Bitmap shown = ToWorkingBitmap(kept.picture);
    const Bitmap flattened = ToWorkingBitmap(flat.picture);
    ASSERT_EQ(shown.size(), flattened.size());
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const RGBTriple a = RowPixels(shown, y)[x], b = RowPixels(flattened, y)[x];
            ASSERT_LE(std::max({std::abs(a.red - b.red), std::abs(a.green - b.green), std::abs(a.blue - b.blue)}), 1)
                << x << "," << y;
        }
}
