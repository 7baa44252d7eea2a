#include "formats/jpegresult.h"

#include "app/report.h"
#include "components/atomicfile.h"
#include "components/busy.h"
#include "formats/jpegimage.h"

#include <QFileInfo>

namespace pictaron {

namespace {

// Leaves the bar empty and captionless however the step ends.
class ProgressReset {
public:
    explicit ProgressReset(RunProgress& progress) : progress_(progress) {}
    ~ProgressReset()
    {
        progress_.ReportProgress(QString(), 0, 100);
        progress_.SetStatus(QString());
    }

private:
    RunProgress& progress_;
};

} // namespace

EncodedResult EncodeJpegResult(const QImage& working, const ConversionSettings& settings, RunContext& context)
{
    BusyScope busy;
    ProgressReset reset(context.progress);
    const QString saving = QStringLiteral("Saving");
    context.progress.SetStatus(saving);
    context.progress.ReportProgress(QString(), 0, 100);

    TJPEGImage jpeg;
    jpeg.SetGrayscale(settings.greyscale);
    jpeg.Assign(working);
    jpeg.SetQuality(ClampJpegQuality(settings.jpegQuality));
    jpeg.SetProgressiveEncoding(settings.progressive);
    jpeg.SetProgressHandler([&](int percent) { context.progress.ReportProgress(saving, percent, -1); });
    jpeg.SetCancelFlag(&context.cancel);
    jpeg.Compress();

    EncodedResult result;
    result.dimensions = QSize(jpeg.Width(), jpeg.Height());
    result.description = DescribePicture(jpeg.Width(), jpeg.Height());
    result.bytes = jpeg.Data().bytes;
    result.size = result.bytes.size();
    if (context.workFile.isEmpty()) {
        context.progress.SetStatus(QString());
        return result;
    }

    WriteFileAtomically(context.workFile, result.bytes);
    context.progress.SetStatus(QString());
    // The size reported is what landed on disk, and the picture shown is the
    // file as a browser would decode it.
    result.size = QFileInfo(context.workFile).size();
    TJPEGImage shown;
    shown.LoadFromFile(context.workFile);
    result.picture = shown.Decode();
    return result;
}

} // namespace pictaron
