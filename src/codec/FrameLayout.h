#pragma once
// Component geometry of a frame: sampling factors, blocks and MCU rows, as the library derives them.
#include "codec/EncoderParams.h"

// Raises EJPEG with the library's texts for sampling factors the library or the downsampler refuses
// and for a picture larger than the library's dimension limit.
TFrameLayout MakeFrameLayout(int width, int height, bool grayscale, const std::array<TSamplingFactor, 3>& sampling);
