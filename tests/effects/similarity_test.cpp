// The structural similarity index against scikit-image's, computed from the
// same pictures with the same window (Gaussian, σ = 1.5, population
// variances), and its invariants.
#include "effects/similarity.h"

#include "effectpictures.h"
#include "effects/convolve.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

using namespace pictaron;
using namespace pictaron::effecttests;

namespace {

// Binary PPM of a working bitmap.
QByteArray Ppm(const Bitmap& picture)
{
    QByteArray bytes = QStringLiteral("P6\n%1 %2\n255\n").arg(picture.width()).arg(picture.height()).toLatin1();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const RGBTriple p = Pixel(picture, x, y);
            bytes += char(p.red);
            bytes += char(p.green);
            bytes += char(p.blue);
        }
    return bytes;
}

// scikit-image's mean SSIM of the two pictures' luma.
double ScikitSimilarity(const Bitmap& a, const Bitmap& b)
{
    QTemporaryDir folder;
    const QString pa = folder.filePath(QStringLiteral("a.ppm")), pb = folder.filePath(QStringLiteral("b.ppm"));
    for (const auto& [path, picture] : {std::pair(pa, a), std::pair(pb, b)}) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Ppm(picture));
    }
    const QString script = QStringLiteral(R"(
import sys
import numpy as np
from PIL import Image
from skimage.metrics import structural_similarity
def luma(path):
    rgb = np.asarray(Image.open(path).convert("RGB"), dtype=np.float64)
    return 0.299 * rgb[..., 0] + 0.587 * rgb[..., 1] + 0.114 * rgb[..., 2]
print(repr(structural_similarity(luma(sys.argv[1]), luma(sys.argv[2]), gaussian_weights=True, sigma=1.5,
                                 use_sample_covariance=False, data_range=255)))
)");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, pa, pb});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return python.readAllStandardOutput().trimmed().toDouble();
}

// A picture with gradients, edges and texture.
Bitmap Scene(int width, int height)
{
    Bitmap picture = NewWorkingBitmap(width, height);
    const Bitmap noise = Noise(width, height, 7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const RGBTriple n = Pixel(noise, x, y);
            const int edge = (x / 17 + y / 13) % 2 ? 60 : 0;
            RowPixels(picture, y)[x] = RGBTriple{std::uint8_t((x * 3 + n.blue / 8) % 256),
                                                 std::uint8_t(std::min(255, y * 2 + edge)),
                                                 std::uint8_t((x + y + n.red / 4) % 256)};
        }
    return picture;
}

// The picture with each channel moved by a pseudo-random amount within ±spread.
Bitmap WithNoise(const Bitmap& picture, int spread, unsigned seed)
{
    Bitmap out = picture.copy();
    const Bitmap noise = Noise(picture.width(), picture.height(), seed);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            RGBTriple& p = RowPixels(out, y)[x];
            const RGBTriple n = Pixel(noise, x, y);
            p.red = std::uint8_t(Clamp(p.red + n.red % (2 * spread + 1) - spread, 0, 255));
            p.green = std::uint8_t(Clamp(p.green + n.green % (2 * spread + 1) - spread, 0, 255));
            p.blue = std::uint8_t(Clamp(p.blue + n.blue % (2 * spread + 1) - spread, 0, 255));
        }
    return out;
}

} // namespace

TEST(SimilarityTest, AgreesWithScikitImage)
{
    const Bitmap scene = Scene(157, 93);
    // Slight and heavy noise, a blur, a flat grey, and a picture just one
    // window high and wide.
    const std::pair<Bitmap, Bitmap> cases[] = {
        {scene, WithNoise(scene, 3, 2)},
        {scene, WithNoise(scene, 60, 3)},
        {scene, Convolve3x3(scene, ConvolveKind::Blur, 1)},
        {scene, Filled(157, 93, Grey(128))},
        {Scene(11, 11), WithNoise(Scene(11, 11), 20, 4)},
    };
    for (const auto& [a, b] : cases) {
        const std::optional<double> ours = StructuralSimilarity(a, b);
        ASSERT_TRUE(ours.has_value());
        const double theirs = ScikitSimilarity(a, b);
        EXPECT_NEAR(*ours, theirs, 1e-4) << "ours " << *ours << ", scikit-image " << theirs;
    }
}

TEST(SimilarityTest, IdenticalIsOneSymmetricAndIndependentOfThreads)
{
    const Bitmap scene = Scene(300, 200);
    const Bitmap noisy = WithNoise(scene, 25, 9);
    EXPECT_DOUBLE_EQ(*StructuralSimilarity(scene, scene), 1.0);
    const double forward = *StructuralSimilarity(scene, noisy);
    EXPECT_LT(forward, 0.99);
    EXPECT_NEAR(*StructuralSimilarity(noisy, scene), forward, 1e-6);  // sums in single precision
    for (const char* threads : {"1", "2", "5"}) {
        ThreadsVariable variable(threads);
        EXPECT_EQ(*StructuralSimilarity(scene, noisy), forward) << threads << " threads";
    }
    // The same pixels in another layout score the same.
    EXPECT_NEAR(*StructuralSimilarity(scene, ToBitmap(ImageView(noisy).convertToFormat(QImage::Format_RGB888))), forward, 1e-12);
}

TEST(SimilarityTest, NoScoreBelowTheWindowOrForDifferentSizes)
{
    EXPECT_FALSE(StructuralSimilarity(Scene(10, 40), Scene(10, 40)).has_value());
    EXPECT_FALSE(StructuralSimilarity(Scene(40, 10), Scene(40, 10)).has_value());
    EXPECT_FALSE(StructuralSimilarity(Scene(40, 40), Scene(41, 40)).has_value());
}
