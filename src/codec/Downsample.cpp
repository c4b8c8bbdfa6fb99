#include "codec/Downsample.h"

#include <cstring>

TDownsampleMethod ChooseDownsampleMethod(const TFrameLayout& frame, int comp, int smoothing)
{
    const TComponentLayout& c = frame.Comp[size_t(comp)];
    if (c.H == frame.MaxH && c.V == frame.MaxV)
        return smoothing ? TDownsampleMethod::FullsizeSmooth : TDownsampleMethod::Fullsize;
    if (c.H * 2 == frame.MaxH && c.V == frame.MaxV) return TDownsampleMethod::H2V1;
    if (c.H * 2 == frame.MaxH && c.V * 2 == frame.MaxV)
        return smoothing ? TDownsampleMethod::H2V2Smooth : TDownsampleMethod::H2V2;
    return TDownsampleMethod::Generic;
}

bool SmoothingNotSupported(const TFrameLayout& frame, int smoothing)
{
    if (smoothing <= 0) return false;
    for (int c = 0; c < frame.NumComponents; ++c)
    {
        const TDownsampleMethod m = ChooseDownsampleMethod(frame, c, smoothing);
        if (m == TDownsampleMethod::H2V1 || m == TDownsampleMethod::Generic) return true;
    }
    return false;
}

namespace
{

void Fullsize(const TDownsampleArgs& a)
{
    for (int r = 0; r < a.V; ++r) std::memcpy(a.Out[r], a.In[r], size_t(a.OutCols));
}

// Pairs of samples; the rounding bias alternates 0, 1 along the row so that it averages out.
void H2V1(const TDownsampleArgs& a)
{
    for (int r = 0; r < a.V; ++r)
    {
        const uint8_t* in = a.In[r];
        int bias = 0;
        for (int x = 0; x < a.OutCols; ++x, in += 2)
        {
            a.Out[r][x] = uint8_t((in[0] + in[1] + bias) >> 1);
            bias ^= 1;
        }
    }
}

// 2 x 2 squares; the bias alternates 1, 2.
void H2V2(const TDownsampleArgs& a)
{
    for (int r = 0; r < a.V; ++r)
    {
        const uint8_t* in0 = a.In[2 * r];
        const uint8_t* in1 = a.In[2 * r + 1];
        int bias = 1;
        for (int x = 0; x < a.OutCols; ++x, in0 += 2, in1 += 2)
        {
            a.Out[r][x] = uint8_t((in0[0] + in0[1] + in1[0] + in1[1] + bias) >> 2);
            bias ^= 3;
        }
    }
}

void Generic(const TDownsampleArgs& a)
{
    const int numPix = a.HExpand * a.VExpand;
    const int numPix2 = numPix / 2;
    for (int r = 0; r < a.V; ++r)
        for (int x = 0; x < a.OutCols; ++x)
        {
            int32_t sum = 0;
            for (int v = 0; v < a.VExpand; ++v)
            {
                const uint8_t* in = a.In[r * a.VExpand + v] + x * a.HExpand;
                for (int h = 0; h < a.HExpand; ++h) sum += in[h];
            }
            a.Out[r][x] = uint8_t((sum + numPix2) / numPix);
        }
}

// Each sample mixed with its eight neighbours: the neighbours weigh SF = smoothing / 1024 each, the
// sample itself 1 - 8 SF, in 16-bit fixed point. Column -1 counts as column 0, and column outCols as
// column outCols - 1.
void FullsizeSmooth(const TDownsampleArgs& a)
{
    const int32_t memberScale = 65536 - a.Smoothing * 512;
    const int32_t neighScale = a.Smoothing * 64;
    const int n = a.OutCols;
    for (int r = 0; r < a.V; ++r)
    {
        const uint8_t* in = a.In[r];
        const uint8_t* above = a.In[r - 1];
        const uint8_t* below = a.In[r + 1];
        for (int x = 0; x < n; ++x)
        {
            const int xl = x > 0 ? x - 1 : 0;
            const int xr = x < n - 1 ? x + 1 : n - 1;
            const int32_t member = in[x];
            const int32_t neigh = above[xl] + above[x] + above[xr] + in[xl] + in[xr] + below[xl] + below[x] +
                                  below[xr];
            a.Out[r][x] = uint8_t((member * memberScale + neigh * neighScale + 32768) >> 16);
        }
    }
}

// The average of four smoothed samples formed directly: the four members weigh (1 - 5 SF) / 4, the
// eight edge neighbours SF / 2 and the four corner neighbours SF / 4. Column -1 counts as column 0
// and the column after the last pair as the pair's second column.
void H2V2Smooth(const TDownsampleArgs& a)
{
    const int32_t memberScale = 16384 - a.Smoothing * 80;
    const int32_t neighScale = a.Smoothing * 16;
    const int n = a.OutCols;
    for (int r = 0; r < a.V; ++r)
    {
        const uint8_t* in0 = a.In[2 * r];
        const uint8_t* in1 = a.In[2 * r + 1];
        const uint8_t* above = a.In[2 * r - 1];
        const uint8_t* below = a.In[2 * r + 2];
        for (int x = 0; x < n; ++x)
        {
            const int c0 = 2 * x, c1 = 2 * x + 1;
            const int cl = x > 0 ? c0 - 1 : c0;     // left neighbour column
            const int cr = x < n - 1 ? c1 + 1 : c1; // right neighbour column
            const int32_t member = in0[c0] + in0[c1] + in1[c0] + in1[c1];
            int32_t neigh = above[c0] + above[c1] + below[c0] + below[c1] + in0[cl] + in0[cr] + in1[cl] + in1[cr];
            neigh += neigh;
            neigh += above[cl] + above[cr] + below[cl] + below[cr];
            a.Out[r][x] = uint8_t((member * memberScale + neigh * neighScale + 32768) >> 16);
        }
    }
}

} // namespace

void DownsamplePlain(const TDownsampleArgs& a)
{
    switch (a.Method)
    {
    case TDownsampleMethod::Fullsize: Fullsize(a); break;
    case TDownsampleMethod::H2V1: H2V1(a); break;
    case TDownsampleMethod::H2V2: H2V2(a); break;
    case TDownsampleMethod::Generic: Generic(a); break;
    case TDownsampleMethod::FullsizeSmooth: FullsizeSmooth(a); break;
    case TDownsampleMethod::H2V2Smooth: H2V2Smooth(a); break;
    }
}
