// Flat mapping and serpentine Floyd–Steinberg dithering to a palette.
#include "palette/mapping.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "palette/nearestcolour.h"
#include "testbitmaps.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

using namespace pictaron;
using namespace pictaron::testbitmaps;

namespace {

// Cancels the run once the bar has passed a percentage, as Escape would.
class CancelAt : public ProgressView {
public:
    CancelAt(CancelFlag& flag, int percent) : flag_(flag), percent_(percent) {}
    void ProgressChanged(const std::string&, int percent) override
    {
        if (percent >= percent_)
            flag_.Cancel();
    }

private:
    CancelFlag& flag_;
    int percent_;
};

// Dithering written out plainly: the same fixed-point rules, but over a full
// grid of errors with every pixel's error in its own cell instead of two
// rolling rows per channel.
std::vector<int> ReferenceDither(const Bitmap& source, const Palette& palette)
{
    TPaletteCluster cluster;
    cluster.Build(palette);
    const int width = source.width(), height = source.height();
    std::vector<std::array<int, 3>> error(static_cast<std::size_t>((width + 2) * (height + 1)), {0, 0, 0});
    const auto at = [&](int x, int y) -> std::array<int, 3>& { return error[static_cast<std::size_t>(y * (width + 2) + x + 1)]; };
    std::vector<int> indices(static_cast<std::size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        const bool leftToRight = y % 2 == 0;
        for (int i = 0; i < width; ++i) {
            const int x = leftToRight ? i : width - 1 - i;
            const RGBTriple pixel = RowPixels(source, y)[x];
            const int in[3] = {pixel.red, pixel.green, pixel.blue};
            int c[3];
            for (int k = 0; k < 3; ++k)
                c[k] = std::clamp(in[k] + at(x, y)[k] / 1024, 0, 255);
            const int index = cluster.Lookup(c[0], c[1], c[2]);
            indices[static_cast<std::size_t>(y * width + x)] = index;
            const PaletteEntry& p = palette[static_cast<std::size_t>(index)];
            const int chosen[3] = {p.red, p.green, p.blue};
            const int ahead = leftToRight ? 1 : -1;
            for (int k = 0; k < 3; ++k) {
                const int e = (c[k] - chosen[k]) * 1024;
                at(x + ahead, y)[k] += 7 * e / 16;
                at(x - ahead, y + 1)[k] += 3 * e / 16;
                at(x, y + 1)[k] += 5 * e / 16;
                at(x + ahead, y + 1)[k] += e / 16;
            }
        }
    }
    return indices;
}

class MappingTest : public ::testing::Test {
protected:
    Bitmap Map(const Bitmap& source, const Palette& palette)
    {
        Bitmap target;
        MapToPalette(source, palette, target, progress_, cancel_);
        return target;
    }
    Bitmap Dither(const Bitmap& source, const Palette& palette)
    {
        Bitmap target;
        DitherToPalette(source, palette, target, progress_, cancel_);
        return target;
    }

    RunProgress progress_;
    CancelFlag cancel_;
};

const Palette kBlackWhite = MakePalette({{0, 0, 0}, {255, 255, 255}});

} // namespace

TEST_F(MappingTest, FlatMappingGivesEachPixelItsCellColour)
{
    const Bitmap source = Noise(37, 23, 5);
    const Palette palette = WebSafePalette();
    const Bitmap target = Map(source, palette);
    ASSERT_EQ(target.format(), Bitmap::Format_Indexed8);
    ASSERT_EQ(target.size(), source.size());
    EXPECT_EQ(target.colorTable(), ToColorTable(palette));
    TPaletteCluster cluster;
    cluster.Build(palette);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const RGBTriple p = RowPixels(source, y)[x];
            ASSERT_EQ(ImageView(target).pixelIndex(x, y), cluster.Lookup(p.red, p.green, p.blue)) << x << "," << y;
        }
}

TEST_F(MappingTest, ThreadedFlatMappingGivesEveryRowItsCellColours)
{
    // Tall enough for several strips and batches on each thread count, with
    // a last strip that is cut short.
    const Bitmap source = Noise(23, 403, 8);
    const Palette palette = WebSafePalette();
    TPaletteCluster cluster;
    cluster.Build(palette);
    for (const int threads : {1, 2, 3}) {
        Bitmap target;
        MapToPalette(source, palette, target, progress_, cancel_, threads);
        ASSERT_EQ(target.size(), source.size());
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x) {
                const RGBTriple p = RowPixels(source, y)[x];
                ASSERT_EQ(ImageView(target).pixelIndex(x, y), cluster.Lookup(p.red, p.green, p.blue))
                    << threads << " threads, " << x << "," << y;
            }
    }
}

TEST_F(MappingTest, ThreadedFlatMappingStopsAtTheRowWhereItWasCancelled)
{
    const Bitmap source = Noise(23, 403, 8);
    const Bitmap full = Map(source, WebSafePalette());
    CancelFlag cancel;
    CancelAt view(cancel, 40);
    RunProgress progress(&view);
    Bitmap target;
    EXPECT_THROW(MapToPalette(source, WebSafePalette(), target, progress, cancel, 3), RunCancelled);
    // The bar shows 40% (rounded) from row 160 of 0..402, inside the first
    // batch of three threads; that row is finished, the next is not reported.
    EXPECT_EQ(progress.done(), 160);
    for (int y = 0; y <= 160; ++y)
        ASSERT_EQ(0, memcmp(target.constScanLine(y), full.constScanLine(y), 23)) << "row " << y;
}

TEST_F(MappingTest, OneEntryPaletteGivesIndexZeroEverywhere)
{
    const Palette one = MakePalette({{90, 10, 200}});
    for (const Bitmap& target : {Map(Noise(9, 7, 1), one), Dither(Noise(9, 7, 1), one)})
        for (const int index : Indices(target))
            ASSERT_EQ(index, 0);
}

TEST_F(MappingTest, FirstRowRunsLeftToRight)
{
    // Grey 100 becomes black; its error, 7/16 of 100, lifts the next pixel to
    // 143, which becomes white.
    EXPECT_EQ(Indices(Dither(PictureOf({{{100, 100, 100}, {100, 100, 100}}}), kBlackWhite)), (std::vector<int>{0, 1}));
}

TEST_F(MappingTest, SecondRowRunsRightToLeft)
{
    // The black first row is exact and passes no error down, so the second
    // row starts from its right end: the right pixel becomes black and pushes
    // the left one to white.
    const Bitmap source = PictureOf({{{0, 0, 0}, {0, 0, 0}}, {{100, 100, 100}, {100, 100, 100}}});
    EXPECT_EQ(Indices(Dither(source, kBlackWhite)), (std::vector<int>{0, 0, 1, 0}));
}

TEST_F(MappingTest, DitheringMatchesTheRulesOnAFullErrorGrid)
{
    const Palette palettes[] = {kBlackWhite, WebSafePalette(),
                                MakePalette({{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {250, 250, 10}, {40, 40, 40}})};
    for (const Palette& palette : palettes) {
        for (const Bitmap& source : {Noise(31, 17, 2), Uniform(16, 9, {130, 77, 200})}) {
            const Bitmap target = Dither(source, palette);
            EXPECT_EQ(Indices(target), ReferenceDither(source, palette));
            EXPECT_EQ(target.colorTable(), ToColorTable(palette));
        }
    }
}

TEST_F(MappingTest, DitheringAUniformGreyMixesBlackAndWhite)
{
    // Grey 128 over 64 by 64 pixels comes out as half black, half white,
    // within the error that leaves the picture at its edges.
    const std::vector<int> indices = Indices(Dither(Uniform(64, 64, {128, 128, 128}), kBlackWhite));
    const long white = std::count(indices.begin(), indices.end(), 1);
    EXPECT_NEAR(static_cast<double>(white) / static_cast<double>(indices.size()), 128.0 / 255.0, 0.02);
}

TEST_F(MappingTest, CancellingStopsAtTheNextRowAndKeepsTheRowsDone)
{
    const Bitmap source = Noise(50, 100, 9);
    const Bitmap full = Map(source, WebSafePalette());
    for (const bool dither : {false, true}) {
        CancelFlag cancel;
        CancelAt view(cancel, 40);
        RunProgress progress(&view);
        Bitmap target;
        if (dither)
            EXPECT_THROW(DitherToPalette(source, WebSafePalette(), target, progress, cancel), RunCancelled);
        else
            EXPECT_THROW(MapToPalette(source, WebSafePalette(), target, progress, cancel), RunCancelled);
        // Progress reaches 40% at row 40 (reported every fifth row); that row
        // is still finished, the next one is not begun.
        EXPECT_EQ(progress.done(), 40);
        ASSERT_EQ(target.size(), source.size());
        const Bitmap reference = dither ? Dither(source, WebSafePalette()) : full;
        for (int y = 0; y <= 40; ++y)
            ASSERT_EQ(0, memcmp(target.constScanLine(y), reference.constScanLine(y), 50)) << "row " << y;
    }
}

TEST_F(MappingTest, ExpandingGivesThePaletteColours)
{
    const Palette palette = MakePalette({{1, 2, 3}, {250, 128, 7}});
    const Bitmap indexed = Map(PictureOf({{{0, 0, 0}, {255, 128, 0}}, {{250, 128, 7}, {2, 2, 2}}}), palette);
    const Bitmap expanded = ExpandIndexedPicture(indexed);
    ASSERT_EQ(expanded.format(), Bitmap::Format_BGR888);
    EXPECT_EQ(RowPixels(expanded, 0)[0], (RGBTriple{3, 2, 1}));
    EXPECT_EQ(RowPixels(expanded, 0)[1], (RGBTriple{7, 128, 250}));
    EXPECT_EQ(RowPixels(expanded, 1)[0], (RGBTriple{7, 128, 250}));
    EXPECT_EQ(RowPixels(expanded, 1)[1], (RGBTriple{3, 2, 1}));
}
