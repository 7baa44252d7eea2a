#include "formats/jpegimage.h"

#include "components/errors.h"
#include "components/plaintext.h"
#include "components/regularfile.h"
#include "effects/pixels.h"
#include "formats/pictureloader.h"

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include <jpeglib.h>
#include <jerror.h>

namespace pictaron {

namespace {

// libjpeg's error_exit must not return. It jumps back to the setjmp of the
// call that started the library; no C++ object with a destructor may live in
// the frames it skips, so each library call below keeps its C++ state outside
// the guarded region.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool cancelled = false;
};

void ErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (corrupt data while decoding) are ignored; decoding goes on.
void EmitMessage(j_common_ptr, int) {}

void InstallErrorManager(ErrorManager& errors)
{
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = ErrorExit;
    errors.pub.emit_message = EmitMessage;
}

[[noreturn]] void ThrowLibraryError(const ErrorManager& errors)
{
    if (errors.cancelled)
        throw RunCancelled();
    throw PictaronError(Substitute("JPEG error #%1", errors.pub.msg_code));
}

// Reports at most once every 500 ms, and only a percentage that differs from
// the last one sent: per-row callbacks of the library cost almost nothing.
struct ProgressMonitor {
    jpeg_progress_mgr pub;
    ErrorManager* errors = nullptr;
    const TJPEGImage::ProgressHandler* handler = nullptr;
    const CancelFlag* cancel = nullptr;
    std::optional<std::chrono::steady_clock::time_point> lastReport;
    int lastPercent = -1;
};

void OnLibraryProgress(j_common_ptr cinfo)
{
    auto* monitor = reinterpret_cast<ProgressMonitor*>(cinfo->progress);
    if (monitor->cancel && monitor->cancel->IsCancelled()) {
        monitor->errors->cancelled = true;
        std::longjmp(monitor->errors->jump, 1);
    }
    const auto now = std::chrono::steady_clock::now();
    if (!monitor->lastReport) {
        monitor->lastReport = now;
        return;
    }
    if (now - *monitor->lastReport < std::chrono::milliseconds(500))
        return;
    monitor->lastReport = now;
    const auto& p = monitor->pub;
    if (p.pass_limit <= 0 || p.total_passes <= 0)
        return;
    const int percent = static_cast<int>(
        (static_cast<double>(p.pass_counter) / p.pass_limit + p.completed_passes) * 100 / p.total_passes);
    if (percent != monitor->lastPercent && *monitor->handler) {
        monitor->lastPercent = percent;
        (*monitor->handler)(percent);
    }
}

// The library writes straight into the result's block, one window at a time.
// The block grows by doubling through realloc, which moves large blocks by
// remapping their pages: unlike the library's memory destination, no byte is
// copied on the way and no page is touched twice. A page's first write costs
// a page fault, several microseconds on a virtual machine; each window's pages
// are made present by one call before the library writes them, which costs a
// fraction of that.
constexpr std::size_t kWindowBytes = 64 * 1024;

struct FreeBlock {
    void operator()(char* block) const { std::free(block); }
};

struct BlockDestination {
    jpeg_destination_mgr pub;
    std::unique_ptr<char, FreeBlock> block;  // left unfilled where not yet written
    std::size_t capacity = 0;
    std::size_t written = 0;  // the bytes before the open window
};

// Only a hint: a kernel without MADV_POPULATE_WRITE leaves the pages to fault
// in one by one. The range is widened to whole pages; they lie within the
// block or the heap around it, whose contents are kept.
void MakePresent(char* start, std::size_t length)
{
    static const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(start) & ~(page - 1);
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(start) + length;
    madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
}

// Throws std::bad_alloc when the block cannot grow.
void OpenWindow(BlockDestination& destination)
{
    if (destination.written + kWindowBytes > destination.capacity) {
        const std::size_t capacity = std::max(2 * destination.capacity, destination.written + kWindowBytes);
        char* grown = static_cast<char*>(std::realloc(destination.block.get(), capacity));
        if (!grown)
            throw std::bad_alloc();
        (void)destination.block.release();
        destination.block.reset(grown);
        destination.capacity = capacity;
    }
    char* window = destination.block.get() + destination.written;
    MakePresent(window, kWindowBytes);
    destination.pub.next_output_byte = reinterpret_cast<JOCTET*>(window);
    destination.pub.free_in_buffer = kWindowBytes;
}

void StartDestination(j_compress_ptr) {}

// Called when the window is full.
boolean NextWindow(j_compress_ptr cinfo)
{
    auto& destination = *reinterpret_cast<BlockDestination*>(cinfo->dest);
    destination.written += kWindowBytes;
    // No exception may cross the library's frames: it ends the call as its
    // own out-of-memory error does.
    try {
        OpenWindow(destination);
    } catch (...) {
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    }
    return TRUE;
}

void EndDestination(j_compress_ptr cinfo)
{
    auto& destination = *reinterpret_cast<BlockDestination*>(cinfo->dest);
    destination.written += kWindowBytes - destination.pub.free_in_buffer;
}

} // namespace

void TJPEGImage::Assign(const Bitmap& bitmap)
{
    // RGB rows, a PPM read in place, go to the library as they are.
    bitmap_ = bitmap.format() == Bitmap::Format_RGB888 ? bitmap : ToWorkingBitmap(bitmap);
    data_ = TJPEGData{};
    progressiveFile_ = false;
}

void TJPEGImage::Compress()
{
    data_ = TJPEGData{};
    if (bitmap_.isNull() || bitmap_.width() == 0 || bitmap_.height() == 0)
        return;

    if (onProgress_)
        onProgress_(0);

    jpeg_compress_struct cinfo{};
    ErrorManager errors;
    ProgressMonitor monitor;
    // Room for a photo at a high quality; more when it takes more.
    BlockDestination destination;
    destination.capacity = std::max(std::size_t(bitmap_.width()) * std::size_t(bitmap_.height()) / 2, kWindowBytes);
    destination.block.reset(static_cast<char*>(std::malloc(destination.capacity)));
    if (!destination.block)
        throw std::bad_alloc();
    destination.pub.init_destination = StartDestination;
    destination.pub.empty_output_buffer = NextWindow;
    destination.pub.term_destination = EndDestination;
    OpenWindow(destination);
    const int height = bitmap_.height();
    std::vector<JSAMPROW> rows(height);
    for (int y = 0; y < height; ++y)
        rows[y] = const_cast<JSAMPROW>(bitmap_.constScanLine(y));

    cinfo.err = &errors.pub;
    InstallErrorManager(errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        if (onProgress_)
            onProgress_(0);
        ThrowLibraryError(errors);
    }
    jpeg_create_compress(&cinfo);
    monitor.pub.progress_monitor = OnLibraryProgress;
    monitor.errors = &errors;
    monitor.handler = &onProgress_;
    monitor.cancel = cancel_;
    cinfo.progress = &monitor.pub;
    cinfo.dest = &destination.pub;

    cinfo.image_width = static_cast<JDIMENSION>(bitmap_.width());
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = bitmap_.format() == Bitmap::Format_RGB888 ? JCS_EXT_RGB : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality_, TRUE);
    if (grayscale_)
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    if (progressive_)
        jpeg_simple_progression(&cinfo);

    jpeg_start_compress(&cinfo, TRUE);
    for (const auto& [marker, payload] : markers_)
        jpeg_write_marker(&cinfo, marker, reinterpret_cast<const JOCTET*>(payload.data()),
                          static_cast<unsigned int>(payload.size()));
    if (!icc_.empty())
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET*>(icc_.data()),
                               static_cast<unsigned int>(icc_.size()));
    while (cinfo.next_scanline < cinfo.image_height)
        jpeg_write_scanlines(&cinfo, rows.data() + cinfo.next_scanline, cinfo.image_height - cinfo.next_scanline);
    jpeg_finish_compress(&cinfo);

    const std::string_view bytes(destination.block.get(), destination.written);
    data_.bytes = SharedBytes(std::shared_ptr<const void>(destination.block.release(), FreeBlock()), bytes);
    data_.width = bitmap_.width();
    data_.height = height;
    data_.grayscale = grayscale_;
    progressiveFile_ = progressive_;
    jpeg_destroy_compress(&cinfo);
    if (onProgress_)
        onProgress_(100);
}

void TJPEGImage::LoadFromBytes(SharedBytes bytes)
{
    data_ = TJPEGData{};
    data_.bytes = std::move(bytes);
    progressiveFile_ = false;
    if (!data_.bytes.empty())
        ReadHeader();
}

void TJPEGImage::LoadFromFile(const std::string& path)
{
    LoadFromBytes(SharedBytes(ReadWholeFile(path, PictureLoader::kMaxBytes)));
}

void TJPEGImage::ReadHeader()
{
    jpeg_decompress_struct cinfo{};
    ErrorManager errors;
    cinfo.err = &errors.pub;
    InstallErrorManager(errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        ThrowLibraryError(errors);
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data_.bytes.data()),
                 static_cast<unsigned long>(data_.bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    data_.width = static_cast<int>(cinfo.image_width);
    data_.height = static_cast<int>(cinfo.image_height);
    data_.grayscale = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    progressiveFile_ = jpeg_has_multiple_scans(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

Bitmap TJPEGImage::Decode() const
{
    if (data_.bytes.empty())
        return {};
    Bitmap picture = NewWorkingBitmap(data_.width, data_.height);

    jpeg_decompress_struct cinfo{};
    ErrorManager errors;
    cinfo.err = &errors.pub;
    InstallErrorManager(errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        ThrowLibraryError(errors);
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data_.bytes.data()),
                 static_cast<unsigned long>(data_.bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    const bool grey = grayscale_ || cinfo.jpeg_color_space == JCS_GRAYSCALE;
    if (grey) {
        cinfo.out_color_space = JCS_GRAYSCALE;
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 236;
    } else {
        cinfo.out_color_space = JCS_EXT_BGR;
    }
    jpeg_start_decompress(&cinfo);
    if (static_cast<int>(cinfo.output_width) != picture.width()
        || static_cast<int>(cinfo.output_height) != picture.height())
        ERREXIT(&cinfo, JERR_IMAGE_TOO_BIG);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW row = picture.scanLine(y);
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (grey) {
            // The row holds colour-map indices in its first width bytes; expand
            // from the right so no index is overwritten before it is read.
            const JSAMPLE* levels = cinfo.colormap[0];
            for (int x = picture.width() - 1; x >= 0; --x) {
                const JSAMPLE level = levels[row[x]];
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = level;
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return picture;
}

} // namespace pictaron
