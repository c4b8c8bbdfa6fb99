#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "resample/ResampleProgress.h"

namespace {

void PauseMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TEST(ResampleProgress, FilterReportsRarelyButAlwaysNearTheEnd)
{
    std::vector<float> seen;
    const TResampleProgress onProgress = [&](float f) { seen.push_back(f); };
    TFilterProgress progress(onProgress);
    progress.ReportFilterProgress(0.1);   // the first report goes out
    progress.ReportFilterProgress(0.2);   // too soon
    progress.ReportFilterProgress(0.995); // nearly done: always
    progress.ReportFilterProgress(1.0);
    PauseMs(130);
    progress.ReportFilterProgress(0.5); // the interval has passed
    EXPECT_EQ(seen, (std::vector<float>{0.1f, 0.995f, 1.0f, 0.5f}));

    // Without a callback nothing is called and nothing fails.
    const TResampleProgress none;
    TFilterProgress silent(none);
    silent.ReportFilterProgress(1.0);
}

TEST(ResampleProgress, AreaLooksAtTheClockOnlyEvery32Rows)
{
    std::vector<float> seen;
    const TResampleProgress onProgress = [&](float f) { seen.push_back(f); };
    TAreaProgress progress(onProgress, 128);
    progress.ReportAreaProgress(0);
    PauseMs(110);
    for (int row = 1; row < 32; ++row)
        progress.ReportAreaProgress(row); // time has passed, but these rows do not look
    progress.ReportAreaProgress(32);
    progress.ReportAreaProgress(64); // looks, but too soon
    PauseMs(110);
    progress.ReportAreaProgress(70);  // between check rows
    progress.ReportAreaProgress(100); // threads may skip row 96: the first row past it looks
    EXPECT_EQ(seen, (std::vector<float>{0.0f, 0.25f, 100.0f / 128}));
}

} // namespace
