// Making the variants of one picture (cli/variants.h), decoded once: each
// width is resized once for the formats that treat transparency alike, then
// encoded in each of them.
#pragma once

#include "app/runcontext.h"
#include "cli/cliargs.h"
#include "cli/outputplan.h"

#include <QByteArray>
#include "effects/bitmap.h"
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace pictaron {

struct MadeVariant {
    QString file;
    OutputFormat format = OutputFormat::Jpeg;
    QSize dimensions;
    qint64 bytes = 0;
    std::optional<double> similarity;
    bool kept = false;  // --no-clobber kept the file there, which is not measured again
};

// Writes one variant; false when --no-clobber keeps the file there instead.
using PublishVariant = std::function<bool(const PlannedOutput& planned, const QByteArray& bytes)>;

// Makes outputs, the planned variants of one input, from its picture and in
// their order; one planned to be kept (--no-clobber) is listed, not made. A width above the picture's is left out with a line in
// notes; every width above it is an error, as is a step that fails. Throws
// PictaronError naming the input, RunCancelled when the context's flag ends
// the run; what is published by then is whole.
QList<MadeVariant> MakeVariants(const CliJob& job, const QList<PlannedOutput>& outputs, const Bitmap& original,
                                const Bitmap& alpha, RunContext& context, const PublishVariant& publish,
                                QStringList& notes);

} // namespace pictaron
