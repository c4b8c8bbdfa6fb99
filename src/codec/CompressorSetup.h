#pragma once
// Setting up a library compressor for coding quantised coefficients: the frame's geometry and the
// coding settings, text markers, and coefficient arrays that live in the program's memory.
#include <array>
#include <vector>

#include "codec/EncoderParams.h"
#include "codec/JpegGlue.h"

// Everything the settings give before jpeg_write_coefficients: size (height may be that of a strip
// of the frame), colour space, sampling, quantisation tables, coding options and density.
// libraryOptimizes: the library gathers its own optimal Huffman tables in an extra pass.
void SetUpCompressor(j_compress_ptr cinfo, const TFrameLayout& frame, const TCodingParams& params, int height,
                     bool libraryOptimizes);

// The COM and APP12 markers of the settings, one per non-empty line (after jpeg_write_coefficients).
void WriteTextMarkers(j_compress_ptr cinfo, const TCodingParams& params);

// Coefficient arrays in the program's memory, handed to the library as its virtual arrays: once
// installed, the library reaches them only through access_virt_barray, which is redirected here
// for the compressor's lifetime (any other array goes to the library's own function). Accesses
// outside the rows raise the library's virtual-access error.
struct TKeptArrays
{
    std::array<std::vector<JBLOCKROW>, 3> Rows;
    std::array<jvirt_barray_ptr, 3> Handles{};

    // Redirects cinfo's array access here and sets Handles (for jpeg_write_coefficients). The
    // object must not move while cinfo lives.
    void Install(j_compress_ptr cinfo, int components);

private:
    static JBLOCKARRAY Access(j_common_ptr cinfo, jvirt_barray_ptr array, JDIMENSION startRow, JDIMENSION numRows,
                              boolean writable);
    std::array<char, 3> FTags{}; // their addresses are the arrays' handles
    decltype(jpeg_memory_mgr::access_virt_barray) FLibraryAccess = nullptr;
};
