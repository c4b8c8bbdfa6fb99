#include "resample/Resample.h"

#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "resample/AreaResample.h"
#include "resample/FilterResample.h"
#include "resample/ResampleKernels.h"

void Resample(TBitmap& Src, TBitmap& Dst, int Method, int Fidelity, const TResampleProgress& OnProgress,
              int Threads)
{
    if (Src.Width() < 1 || Src.Height() < 1) throw EInvalidGraphicOperation("Source bitmap is not created");
    if (Dst.Width() < 1 || Dst.Height() < 1) throw EInvalidGraphicOperation("Result bitmap is not created");
    if (&Src == &Dst) throw EInvalidGraphicOperation("Resampling cannot write into its source");
    if (Method < 0 || Method >= ResampleFilterCount)
        throw EInvalidGraphicOperation(Format("Unknown resampling method %d", Method));
    Src.ConvertTo24();
    Dst.SetPixelFormat(TPixelFormat::pf24bit);
    if (Method == 3 && Src.Width() >= Dst.Width() && Src.Height() >= Dst.Height())
        AreaResample(Src, Dst, Fidelity, OnProgress, Threads);
    else
        FilterResample(Src, Dst, Method == 3 ? 2 : Method, Fidelity, OnProgress, Threads);
}
