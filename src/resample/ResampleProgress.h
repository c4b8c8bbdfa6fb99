#pragma once
// Progress of a resampling run: the completed fraction 0..1, reported at a limited rate. The
// callback may throw (a cancel); the run then stops and the exception passes to its caller.
#include <cstdint>
#include <functional>

using TResampleProgress = std::function<void(float Fraction)>;

// The clock of the throttles below; tests replace it so that no verdict depends on elapsed time.
using TResampleTickSource = uint32_t (*)();
void SetResampleProgressTickSource(TResampleTickSource Source); // nullptr restores the system tick count
uint32_t ResampleProgressNow();

// The filter resampler reports when at least 120 ms have passed since its last report, and always
// once the run is nearly done.
class TFilterProgress
{
  public:
    explicit TFilterProgress(const TResampleProgress& OnProgress) : FOnProgress(OnProgress) {}
    void ReportFilterProgress(double Fraction)
    {
        uint32_t now = ResampleProgressNow();
        if (uint32_t(now - FLastTick) >= 120 || Fraction >= 0.99) {
            if (FOnProgress) FOnProgress(float(Fraction));
            FLastTick = now;
        }
    }

  private:
    const TResampleProgress& FOnProgress;
    uint32_t FLastTick = 0;
};

// The area reducer looks at the clock every 32 rows and reports when at least 100 ms have passed.
class TAreaProgress
{
  public:
    TAreaProgress(const TResampleProgress& OnProgress, int Rows) : FOnProgress(OnProgress), FRows(Rows) {}
    void ReportAreaProgress(int DoneRows)
    {
        if (DoneRows < FNextCheck) return;
        FNextCheck = (DoneRows / 32 + 1) * 32;
        uint32_t now = ResampleProgressNow();
        if (uint32_t(now - FLastTick) >= 100) {
            FLastTick = now;
            if (FOnProgress) FOnProgress(float(double(DoneRows) / FRows));
        }
    }

  private:
    const TResampleProgress& FOnProgress;
    int FRows;
    int FNextCheck = 0;
    uint32_t FLastTick = 0;
};
