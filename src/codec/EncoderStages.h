#pragma once
// The two halves of the encoder engine as building blocks of JpegEncoder.cpp.
#include <functional>
#include <memory>
#include <vector>

#include "codec/CoefficientStore.h"
#include "codec/EncoderKernels.h"
#include "codec/EncoderParams.h"
#include "platform/Bitmap.h"

// Receives the DCT coefficients of one block row of a component (WidthInBlocks x 64 values); called
// from several threads at once, each call for a different row.
using TBlockRowDone = std::function<void(int comp, int blockRow, const int16_t* coef)>;

// Runs colour conversion, downsampling and the DCT over the whole picture; every block row goes
// to planes (when given) or to rowDone. frame comes from MakeFrameLayout for this picture.
void RunFrontEnd(const TBitmap& bmp, const TFrameLayout& frame, const TFrontEndParams& params,
                 const TEncoderKernels& kernels, TDctPlanes* planes, const TBlockRowDone& rowDone);

// Raises EInvalidGraphicOperation unless bmp is 24-bit with a non-zero size.
void CheckEncoderInput(const TBitmap& bmp);

// A compressor that takes quantised block rows and writes the file: set-up, tables and markers at
// construction, coding at Finish. geometry gives the layout and the flags (its coefficients are
// not read). With a store, the blocks live in its memory instead of the library's. Rows may be
// quantised from several threads at once.
class TCoefficientWriter
{
public:
    TCoefficientWriter(const TDctPlanes& geometry, const TCodingParams& params, const TEncoderKernels& kernels,
                       const std::array<TComponentQuantizer, 3>& quantizers, TCoefficientStore* store = nullptr);
    ~TCoefficientWriter();
    TCoefficientWriter(const TCoefficientWriter&) = delete;
    TCoefficientWriter& operator=(const TCoefficientWriter&) = delete;

    void QuantizeRow(int comp, int blockRow, const int16_t* coef);
    // Quantises all block rows of planes (same layout as geometry) in one pass over all threads.
    void QuantizePlanes(const TDctPlanes& planes);
    std::vector<uint8_t> Finish();

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
