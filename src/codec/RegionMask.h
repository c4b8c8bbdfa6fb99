#pragma once
// Selective compression inside an encode: the selection mask painted from the run's areas, and the
// block masks that tell the quantiser which blocks belong to the selection.
#include <vector>

#include "codec/BlockMask.h"
#include "codec/EncoderParams.h"
#include "codec/SelectionMask.h"

struct TEncodeRun;
struct TJPEGProfile;
class TJPEGImage;

// The selection areas stored in a settings record, in list order. An area that would read past
// the record's last entry, or of an unknown kind, ends the list.
std::vector<TMaskShape> SelectionShapesOf(const TJPEGProfile& record);

// Replaces the image's MaskBitmap by a white 1-bit mask of the run's picture size (rounded up to
// 8) and paints the selection into it: through the image's OnPaintMask when set, else the run's
// areas with PaintSelectionMask. No picture: no mask.
void BuildRegionMask(TJPEGImage& image, const TEncodeRun& run);

// The block masks of the image's MaskBitmap for this frame, also kept in the image's
// LargeBlockMask and SmallBlockMask. Empty (quantise without masks) when there is no 1-bit mask
// or its rows do not match the frame's blocks.
TBlockMasks BuildBlockMasks(TJPEGImage& image, const TFrameLayout& frame, int selThreshold);
