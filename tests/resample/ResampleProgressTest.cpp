#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "resample/ResampleProgress.h"

namespace {

uint32_t gNow = 0;

TEST(ResampleProgress, ThrottlesByTheClock)
{
    // The filter's fraction or the area reducer's rows done (of 128) at a clock time, and whether
    // the callback ran.
    const std::tuple<bool, uint32_t, double, bool> steps[] = {
        {false, 1000, 0.1, true},        {false, 1050, 0.2, false},  // too soon
        {false, 1050, 0.995, true},      {false, 1169, 0.5, false},  // nearly done: always; then 119 ms
        {false, 1170, 0.6, true},        {false, 0xFFFFFFF0u, 0.7, true},
        {false, 0x68, 0.8, true},                                    // 120 ms across the 32-bit wrap
        {true, 1000, 0, true},           {true, 1200, 31, false},    // only every 32nd row looks
        {true, 1200, 32, true},          {true, 1250, 64, false},    // too soon
        {true, 1300, 70, false},         {true, 1300, 100, true},    // the first row past 96 looks
    };
    SetResampleProgressTickSource([] { return gNow; });
    std::vector<float> seen;
    const TResampleProgress onProgress = [&](float f) { seen.push_back(f); };
    TFilterProgress filter(onProgress);
    TAreaProgress rows(onProgress, 128);
    for (const auto& [area, now, value, reported] : steps) {
        gNow = now;
        const size_t before = seen.size();
        area ? rows.ReportAreaProgress(int(value)) : filter.ReportFilterProgress(value);
        ASSERT_EQ(seen.size(), before + (reported ? 1 : 0)) << area << " at " << now << ": " << value;
        EXPECT_TRUE(!reported || seen.back() == float(area ? value / 128 : value)) << seen.back();
    }
    const TResampleProgress none; // without a callback nothing is called and nothing fails
    TFilterProgress(none).ReportFilterProgress(1.0);
    SetResampleProgressTickSource(nullptr);
}

} // namespace
