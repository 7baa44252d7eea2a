// A JPEG picture: its encoded bytes and the settings to make and show them.
//
// Encoding goes straight through libjpeg-turbo with the library's defaults and
// only three changes: the quality with baseline quantisation tables forced,
// greyscale output, and the library's standard progressive script. The bytes
// therefore equal those of the library's own cjpeg with
// "-quality Q -baseline [-progressive] [-grayscale]" for the same pixels.
#pragma once

#include "app/progress.h"

#include "components/sharedbytes.h"
#include "effects/bitmap.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace pictaron {

// The encoded form of a JPEG picture; a run's result shares its bytes.
struct TJPEGData {
    SharedBytes bytes;
    int width = 0;
    int height = 0;
    bool grayscale = false;
};

class TJPEGImage {
public:
    // Called with a percentage: 0 when compression starts, throttled values while
    // it runs, 100 when it ends.
    using ProgressHandler = std::function<void(int percent)>;

    void SetGrayscale(bool grayscale) { grayscale_ = grayscale; }
    void SetQuality(int quality) { quality_ = quality; }
    void SetProgressiveEncoding(bool progressive) { progressive_ = progressive; }
    void SetProgressHandler(ProgressHandler handler) { onProgress_ = std::move(handler); }
    // Tested during compression; a cancel discards the encoded bytes.
    void SetCancelFlag(const CancelFlag* cancel) { cancel_ = cancel; }
    // Segments written after the JFIF header, in order: the marker (JPEG_APP0
    // + n) and its payload. None by default.
    void SetMarkers(std::vector<std::pair<int, std::string>> markers) { markers_ = std::move(markers); }
    // An ICC profile to embed (APP2, split over as many segments as it
    // takes); none by default.
    void SetIccProfile(std::string icc) { icc_ = std::move(icc); }

    // Takes the picture to encode, a working bitmap or RGB888 (any other
    // format becomes a working bitmap); drops any encoded bytes held so far.
    void Assign(const Bitmap& bitmap);
    // Encodes the assigned bitmap into Data(). Throws PictaronError
    // ("JPEG error #N") on a library failure, RunCancelled when cancelled.
    void Compress();

    // Reads encoded bytes and their header (size, greyscale, progressive).
    void LoadFromBytes(SharedBytes bytes);
    void LoadFromFile(const std::string& path);

    // Decodes for display: full size, block smoothing, accurate integer IDCT.
    // Greyscale pictures come out of the library quantised to 236 levels, as
    // the display has always shown them, then drawn onto a 24-bit bitmap.
    Bitmap Decode() const;

    const TJPEGData& Data() const { return data_; }
    int Width() const { return data_.width; }
    int Height() const { return data_.height; }
    bool IsProgressive() const { return progressiveFile_; }
    int Quality() const { return quality_; }

private:
    void ReadHeader();

    Bitmap bitmap_;
    TJPEGData data_;
    int quality_ = 90;
    bool grayscale_ = false;
    bool progressive_ = false;
    bool progressiveFile_ = false;
    ProgressHandler onProgress_;
    const CancelFlag* cancel_ = nullptr;
    std::vector<std::pair<int, std::string>> markers_;
    std::string icc_;
};

} // namespace pictaron
