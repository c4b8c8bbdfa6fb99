#include "codec/JpegProgress.h"

#include <algorithm>
#include <atomic>

#include "codec/JPEGImage.h"
#include "platform/Round.h"
#include "platform/TickCount.h"

namespace {
constexpr uint32_t ThrottleMs = 120;
constexpr int RedrawMinRows = 4;

std::atomic<TJpegTickSource> gTickSource{nullptr};

uint32_t Now()
{
    TJpegTickSource source = gTickSource.load();
    return source ? source() : GetTickCount();
}
} // namespace

void SetJpegProgressTickSource(TJpegTickSource source) { gTickSource = source; }

void InstallProgressMonitor(j_common_ptr cinfo, TJpegProgress& progress, TJPEGImage* image)
{
    progress.Pub.progress_monitor = ProgressMonitor;
    progress.Image = image;
    progress.Compressing = !cinfo->is_decompressor;
    cinfo->progress = &progress.Pub;
}

void ProgressMonitor(j_common_ptr cinfo)
{
    auto* progress = reinterpret_cast<TJpegProgress*>(cinfo->progress);
    if (!progress) return;
    const jpeg_progress_mgr& pub = progress->Pub;
    ProgressStep(*progress, pub.pass_counter, pub.pass_limit, pub.completed_passes, pub.total_passes,
                 cinfo->is_decompressor ? reinterpret_cast<j_decompress_ptr>(cinfo) : nullptr);
}

void ProgressStep(TJpegProgress& p, long passCounter, long passLimit, int completedPasses, int totalPasses,
                  j_decompress_ptr decoder)
{
    if (!p.Image) return;
    const uint32_t now = Now();
    if (!p.HaveTick) {
        p.HaveTick = true;
        p.LastTick = now;
        return;
    }
    if (now - p.LastTick < ThrottleMs) return;
    p.LastTick = now;

    const double fraction = passLimit > 0 ? std::clamp(double(passCounter) / double(passLimit), 0.0, 1.0) : 0.0;
    totalPasses = std::max(totalPasses, 1);
    double percent;
    if (p.Compressing && p.MainFilterOn) {
        const double base = p.Progressive ? 85 : 94;
        if (completedPasses <= 0)
            percent = fraction * base;
        else if (totalPasses > 1)
            percent = base + (fraction + completedPasses - 1) * (100 - base) / (totalPasses - 1);
        else
            percent = 100;
    } else {
        percent = (fraction + completedPasses) * 100 / totalPasses;
    }
    int trial = int(std::clamp<int64_t>(Round(percent), 0, 100));
    p.Image->TrialPercent = uint8_t(trial);
    const int reported = p.Compressing ? p.Image->OverallProgress(trial) : trial;
    if (reported == p.LastPercent) return;
    p.LastPercent = reported;

    TRect r{};
    bool redraw = false;
    if (decoder) {
        const int width = int(decoder->output_width);
        const int height = int(decoder->output_height);
        const int row = int(std::min<JDIMENSION>(decoder->output_scanline, decoder->output_height));
        if (row < p.LastRow) {
            // A new output pass began: the rest of the previous one, and the next event starts
            // from the top so the rows of the new pass are not left out.
            r = Rect(0, p.LastRow, width, height);
            p.LastRow = 0;
        } else {
            r = Rect(0, p.LastRow, width, row);
            p.LastRow = row;
        }
        redraw = r.Height() >= RedrawMinRows;
    }
    p.Image->ReportProgress(TProgressStage::psRunning, reported, redraw, r);
}
