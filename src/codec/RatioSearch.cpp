#include "codec/RatioSearch.h"

#include <algorithm>
#include <cmath>

#include "platform/Round.h"

namespace
{
const int32_t BandMin = -50;
const int32_t BandMax = 50;

// The first three bands all stand at an end of their range.
bool BandsAtEnds(const int32_t* b)
{
    return std::all_of(b, b + 3, [](int32_t v) { return v == BandMin || v == BandMax; });
}

int32_t MeanOfFirstThree(const int32_t* b)
{
    return RoundInt((b[0] + b[1] + b[2]) / 3.0);
}

// Moves v back into [lo, hi] and takes the same amount off the step that brought it there.
void ClampWithStep(int32_t& v, int32_t& step, int32_t lo, int32_t hi)
{
    if (v < lo)
    {
        step += lo - v;
        v = lo;
    }
    else if (v > hi)
    {
        step -= v - hi;
        v = hi;
    }
}

// A large step that lands near an end of the range is cut to 65 %.
bool NeedsDamping(int32_t v, int32_t step, int32_t lowEnd, int32_t highEnd)
{
    return (v < lowEnd && step < -8) || (v >= highEnd && step >= 9);
}

int32_t Damped(int32_t step)
{
    return RoundInt(step * 0.65);
}

void Damp(int32_t& v, int32_t& step)
{
    v -= step;
    step = Damped(step);
    v += step;
}

// The request is close enough to the previous one for the previous result to be a good start.
bool IsCloseRequest(const TRatioSettings& request, const TRatioSettings& last)
{
    if (last.ComprRatio == 0) return false;
    if (std::fabs(double(request.ComprRatio) - double(last.ComprRatio)) > 0.2 * double(request.ComprRatio))
        return false;
    if (std::abs(request.LumQuality - last.LumQuality) > 20) return false;
    if (std::abs(request.ChromQuality - last.ChromQuality) > 20) return false;
    if (request.Grayscale != last.Grayscale || request.EqualizerFullControl != last.EqualizerFullControl ||
        request.Precision != last.Precision)
        return false;
    if (request.EqualizerFullControl)
    {
        // The bands are the luma control: the previous bands must lie near the requested level.
        const auto& rb = request.QualityEqualizerBand;
        const double mean = (rb[0] + rb[1] + rb[2]) / 3.0;
        for (int i = 0; i < 3; ++i)
            if (std::fabs(last.QualityEqualizerBand[i] - mean) > 10) return false;
    }
    return true;
}
} // namespace

TRatioSearchResult TRatioSearch::Run(IRatioSearchHost& host, const TRatioSettings& request,
                                     const TRatioSettings& lastRequest, const TRatioSettings& lastWork,
                                     const TRatioLimits& limits)
{
    const int32_t maxTrials = std::max(limits.ComprRatioMaxNumAppr, int32_t(1));
    RatioSearchActive = true;
    ComprRatioMaxNumAppr = maxTrials;
    TrialCount = 0;
    Request = request;
    Work = request;
    FullControl = request.EqualizerFullControl;
    tol = float(limits.ComprRatioMaxDiff * double(request.ComprRatio) * 0.01);
    Ls = Cs = pLs = pCs = Bs = pBs = 0;
    dir = pdir = 0;
    ratio = pratio = err = 0;
    flag = false;

    TRatioSearchResult result;
    result.LastRequest = lastRequest;
    std::unique_ptr<TEncodedBackup> backup = host.BackupEncodedData();
    try
    {
        const double uncompressed = double(host.PictureWidth()) * double(host.PictureHeight()) * 3.0;
        for (trial = 0;;)
        {
            if (trial == 0)
                FirstRatioGuess(lastRequest, lastWork);
            else
                NextRatioGuess();
            ++trial;

            if (Ls != 0 || Cs != 0 || Bs != 0 || trial <= 1)
            {
                ++TrialCount;
                const int64_t size = host.EncodeTrial(Work);
                if (size <= 0) break;
                pratio = ratio;
                ratio = float(uncompressed / double(size));
                err = std::fabs(target - ratio);
            }

            if (trial == maxTrials) break;
            if (Ls == 0 && Cs == 0 && flag) break;
            if (ratio > target && err < tol) break;
            if (err < tol && trial > maxTrials - 4) break;
        }
        result.LastRequest = request;
    }
    catch (...)
    {
        // A failed or cancelled trial: the picture keeps the data it had before the search.
        host.RestoreEncodedData(*backup);
        result.Restored = true;
    }
    result.WorkProfile = Work;
    result.TrialCount = TrialCount;
    result.Trials = trial;
    return result;
}

void TRatioSearch::LoadSearchVars()
{
    L = Work.LumQuality;
    C = Work.ChromQuality;
    for (int i = 0; i < 5; ++i) b[i] = Work.QualityEqualizerBand[i];
}

void TRatioSearch::StoreSearchVars()
{
    Work.LumQuality = uint8_t(std::clamp(L, int32_t(1), int32_t(100)));
    Work.ChromQuality = uint8_t(std::clamp(C, int32_t(1), int32_t(100)));
    for (int i = 0; i < 5; ++i) Work.QualityEqualizerBand[i] = int8_t(std::clamp(b[i], BandMin, BandMax));
}

void TRatioSearch::FirstRatioGuess(const TRatioSettings& lastRequest, const TRatioSettings& lastWork)
{
    Work = Request;
    if (IsCloseRequest(Request, lastRequest))
    {
        // Warm start from where the previous search ended.
        Work.LumQuality = lastWork.LumQuality;
        Work.ChromQuality = lastWork.ChromQuality;
        if (FullControl)
            std::copy(std::begin(lastWork.QualityEqualizerBand), std::end(lastWork.QualityEqualizerBand),
                      std::begin(Work.QualityEqualizerBand));
    }
    LoadSearchVars();
    target = Work.ComprRatio;

    if (FullControl)
    {
        lowL = BandMin;
        upL = BandMax;
    }
    else
    {
        lowL = 1;
        upL = 100;
    }
    lowC = 1;
    upC = 100;

    if (!FullControl)
    {
        const int32_t n = L + RoundInt(0.3 * (C - L));
        const int32_t d = std::max(L + RoundInt(0.25 * (C - L)), int32_t(1));
        L = RoundInt(double(L) * n / d);
        C = RoundInt(double(C) * n / d);
    }
    else
    {
        int32_t s = 0, sWork = 0;
        for (int i = 0; i < 3; ++i)
        {
            s += b[i] + 50;
            sWork += Work.QualityEqualizerBand[i] + 50;
        }
        // With the first three bands at (or next to) their lower end the level rounds to 0: every
        // band then starts at -50 and the chroma quality at 1 (StoreSearchVars clamps it).
        const int32_t d = std::max(RoundInt(s / 3.0), int32_t(1));
        const int32_t n = RoundInt(sWork / 3.0);
        for (int32_t& band : b) band = RoundInt(double(band + 50) * n / d) - 50;
        C = RoundInt(double(C) * n / d);
    }
    StoreSearchVars();
}

void TRatioSearch::NextRatioGuess()
{
    LoadSearchVars();
    pdir = dir;
    dir = ratio >= target ? 1 : -1;
    if (trial == 1) pdir = dir;

    // Secant-like factor: how far the last step went compared with the distance left.
    auto stepFactor = [this]() {
        if (ratio == pratio) pratio -= 0.01f;
        const double moved = std::fabs(double(ratio) - double(pratio));
        return moved > 0 ? std::min(double(err) / moved, 5.0) : 5.0;
    };

    if (!FullControl)
    {
        pLs = Ls;
        pCs = Cs;
        pBs = Bs;
        if (trial == 1)
            Ls = 4 * dir;
        else
        {
            if (dir != pdir && Ls != 0)
            {
                // The target lies between this trial and the one before: close the bracket.
                if (pdir > 0)
                {
                    upL = L - 1;
                    upC = C - 1;
                }
                else
                {
                    lowL = L + 1;
                    lowC = C + 1;
                }
            }
            const double f = stepFactor();
            Ls = RoundInt(std::fabs(pLs * f)) * dir;
            if (Ls == 0) Bs = (pBs != 0 ? RoundInt(std::fabs(pBs * f)) : 3) * dir;
        }
        Cs = Ls;
        L += Ls;
        C += Cs;
        if (Bs != 0)
        {
            flag = BandsAtEnds(b);
            for (int32_t& band : b) band += Bs;
        }
        ClampWithStep(L, Ls, lowL, upL);
        ClampWithStep(C, Cs, lowC, upC);
        if (NeedsDamping(L, Ls, 12, 93)) Damp(L, Ls);
    }
    else
    {
        pLs = Ls;
        pCs = Cs;
        if (trial == 1)
            Ls = Cs = 4 * dir;
        else
        {
            const double f = stepFactor();
            Ls = RoundInt(std::fabs(pLs * f)) * dir;
            Cs = RoundInt(std::fabs(pCs * f)) * dir;
        }
        flag = BandsAtEnds(b) && (C == 1 || C == 100);
        for (int32_t& band : b) band += Ls;
        C += Cs;

        const int32_t m0 = MeanOfFirstThree(b);
        for (int32_t& band : b) band = std::clamp(band, lowL, upL);
        const int32_t m1 = MeanOfFirstThree(b);
        Ls += m1 - m0;
        if (NeedsDamping(m1, Ls, -38, 43))
        {
            const int32_t damped = Damped(Ls);
            for (int32_t& band : b) band += damped - Ls;
            Ls = damped;
        }
        ClampWithStep(C, Cs, lowC, upC);
    }

    if (NeedsDamping(C, Cs, 12, 93)) Damp(C, Cs);
    StoreSearchVars();
}

uint8_t RatioSearchProgress(int32_t maxTrials, int32_t trialCount, int p)
{
    // Exact rational arithmetic: k = Round(n x 0.67) = Round(67 n / 100), and the percent of the first
    // part, Round(((t - 1) / k + p / 100k) x 90), is Round(9 (100 (t - 1) + p) / 10k); that of the
    // rest, 90 + Round(((t - k - 1) / (n - k) + p / 100 (n - k)) x 10), is
    // 90 + Round((100 (t - k - 1) + p) / 10 (n - k)).
    const int64_t n = std::max(maxTrials, int32_t(1));
    const int64_t k = RoundRatio(67 * n, 100);
    const int64_t t = trialCount;
    p = std::clamp(p, 0, 100);
    int64_t percent;
    if (k >= t && k >= 1)
        percent = RoundRatio(9 * (100 * (t - 1) + p), 10 * k);
    else
        percent = 90 + RoundRatio(100 * (t - k - 1) + p, 10 * std::max(n - k, int64_t(1)));
    return uint8_t(std::clamp<int64_t>(percent, 0, 100));
}

uint8_t TRatioSearch::OverallProgress(uint8_t p)
{
    TrialPercent = p;
    if (!RatioSearchActive) return p;
    return RatioSearchProgress(ComprRatioMaxNumAppr, TrialCount, p);
}
