#pragma once
// Target-ratio search: finds the luma and chroma qualities (or, with the equalizer in full control, the
// equalizer bands) whose encoded size gives a compression ratio within a tolerance of the target, by
// repeated trial encodes. The search knows nothing of the picture itself; it talks to its host through
// IRatioSearchHost (encode one trial -> size, back up and reinstate the encoded data, picture size).
#include <atomic>
#include <cstdint>
#include <memory>

// The part of a compression profile that the search reads and writes. Field names follow TJPEGProfile.
struct TRatioSettings
{
    uint8_t LumQuality = 50;                    // 1..100, higher is finer
    uint8_t ChromQuality = 50;                  // 1..100
    int8_t QualityEqualizerBand[5] = {};        // -50..50, from large to small details
    float ComprRatio = 0;                       // target ratio; 0 = none
    bool Grayscale = false;
    bool EqualizerFullControl = false;          // the bands are the luma control
    uint8_t Precision = 0;                      // subsampling mode 0, 1, 2

    bool operator==(const TRatioSettings&) const = default;
};

// The encoded data as it stood before a search; only the host knows what it holds.
class TEncodedBackup
{
public:
    virtual ~TEncodedBackup() = default;
};

class IRatioSearchHost
{
public:
    virtual ~IRatioSearchHost() = default;
    virtual int32_t PictureWidth() = 0;
    virtual int32_t PictureHeight() = 0;
    // Encodes the picture once with these settings, replacing the encoded data; returns the encoded size
    // in bytes, 0 when the encode produced no data. May raise EAbort (cancel) or any other exception.
    virtual int64_t EncodeTrial(const TRatioSettings& settings) = 0;
    // Takes hold of the current encoded data, including "no data at all".
    virtual std::unique_ptr<TEncodedBackup> BackupEncodedData() = 0;
    // Makes the encoded data exactly what the backup holds (its bytes, its length, or no data), whatever
    // a failed trial left behind.
    virtual void RestoreEncodedData(const TEncodedBackup& backup) = 0;
};

struct TRatioLimits
{
    int32_t ComprRatioMaxNumAppr = 10; // most trials of one search; below 1 counts as 1
    int32_t ComprRatioMaxDiff = 5;     // allowed ratio difference in percent of the target
};

struct TRatioSearchResult
{
    TRatioSettings WorkProfile; // settings of the last trial (the warm start of the next search)
    TRatioSettings LastRequest; // the request when the search completed; the previous one when it was cut short
    int32_t TrialCount = 0;     // encodes done
    int32_t Trials = 0;         // trials counted by the loop, encoded or not
    bool Restored = false;      // a trial raised an exception and the encoded data was reinstated
};

// Percent of a whole search from the percent p (0..100) of the current encode, with maxTrials the
// trial limit (below 1 counts as 1) and trialCount the encodes begun: the first two thirds of the
// trials cover 0..90, the rest 90..100.
uint8_t RatioSearchProgress(int32_t maxTrials, int32_t trialCount, int p);

class TRatioSearch
{
public:
    // Runs one search for request.ComprRatio (above 0). lastRequest and lastWork are the request and the
    // final settings of the previous run, for the warm start. Exceptions raised by a trial (EAbort included)
    // end the search: the encoded data is reinstated from the backup and the search returns normally.
    TRatioSearchResult Run(IRatioSearchHost& host, const TRatioSettings& request, const TRatioSettings& lastRequest,
                           const TRatioSettings& lastWork, const TRatioLimits& limits);

    // Percent of the whole run from the percent p of the current encode; stores p in TrialPercent.
    uint8_t OverallProgress(uint8_t p);

    // Run state, also read by OverallProgress while a trial encodes.
    std::atomic<bool> RatioSearchActive{false};
    std::atomic<int32_t> ComprRatioMaxNumAppr{10};
    std::atomic<int32_t> TrialCount{0};
    std::atomic<uint8_t> TrialPercent{0};

private:
    void FirstRatioGuess(const TRatioSettings& lastRequest, const TRatioSettings& lastWork);
    void NextRatioGuess();
    void LoadSearchVars();
    void StoreSearchVars();

    TRatioSettings Request, Work;
    bool FullControl = false;
    int32_t trial = 0;
    int32_t L = 0, C = 0, b[5] = {};
    int32_t Ls = 0, Cs = 0, pLs = 0, pCs = 0, Bs = 0, pBs = 0;
    int32_t lowL = 0, upL = 0, lowC = 0, upC = 0;
    int32_t dir = 0, pdir = 0;
    float target = 0, ratio = 0, pratio = 0, err = 0, tol = 0;
    bool flag = false;
};
