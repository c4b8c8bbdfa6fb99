// Optimised coding through the whole engine (front end, kept planes, own statistics): the file must
// equal the library's own two-pass optimisation over layouts with partial MCUs, restart intervals
// and thread counts, both for the one-pass encoder and for coding the kept planes.
#include <gtest/gtest.h>

#include "EncoderTestUtil.h"

TEST(OptimisedCoding, FilesEqualTheLibrarysOverLayoutsRestartsAndThreads)
{
    const std::array<TSamplingFactor, 3> layouts[] = {
        {}, {{{1, 1}, {1, 1}, {1, 1}}}, {{{1, 1}, {2, 2}, {2, 2}}}, {{{2, 1}, {1, 1}, {1, 1}}},
        {{{1, 2}, {1, 1}, {1, 1}}}, {{{4, 1}, {2, 1}, {1, 1}}}, {{{2, 2}, {1, 2}, {2, 1}}}};
    const std::pair<int, int> sizes[] = {{1, 1}, {9, 17}, {33, 31}, {130, 47}, {75, 260}};
    for (int gray = 0; gray < 2; ++gray)
        for (const auto& layout : layouts) {
            if (gray && &layout != &layouts[0]) continue;
            for (auto [w, h] : sizes)
                for (int restart : {0, 1, 5}) {
                    TEncodeParams p = IdentityParams(restart == 5 ? 97 : 60, 30);
                    p.FrontEnd.Grayscale = gray;
                    p.FrontEnd.SamplingFactors = layout;
                    p.Coding.OptimizeCoding = true;
                    p.Coding.RestartInterval = restart;
                    TBitmap bmp = restart == 1 ? RandomPicture(w, h, uint32_t(w + h)) : PhotoLikePicture(w, h, 8);
                    std::vector<uint8_t> lib = LibraryEncode(bmp, p);
                    for (int threads : {1, 3}) {
                        p.FrontEnd.Threads = p.Coding.Threads = threads;
                        std::vector<uint8_t> ours = EncodeBitmapToJpeg(bmp, p);
                        EXPECT_TRUE(ours == lib) << "gray " << gray << " layout " << (&layout - layouts) << " " << w
                                                 << "x" << h << " restart " << restart << " threads " << threads;
                        // The kept planes: quantised and counted in one pass, in chunks.
                        std::vector<uint8_t> kept = QuantizeAndCode(ComputeDctPlanes(bmp, p.FrontEnd), p.Coding);
                        EXPECT_TRUE(kept == lib) << "kept planes, gray " << gray << " layout " << (&layout - layouts)
                                                 << " " << w << "x" << h << " restart " << restart << " threads "
                                                 << threads;
                    }
                }
        }
}
