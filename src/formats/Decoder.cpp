#include "formats/Decoder.h"

TCompressionCode CompressionFromTiffTag(uint32_t tagValue)
{
    switch (tagValue) {
    case 1: return TCompressionCode::None;
    case 2: return TCompressionCode::FaxModifiedHuffman;
    case 3: return TCompressionCode::FaxGroup3;
    case 4: return TCompressionCode::FaxGroup4;
    case 5: return TCompressionCode::Lzw;
    case 6: return TCompressionCode::OldJpeg;
    case 7: return TCompressionCode::Jpeg;
    case 8:
    case 32946: return TCompressionCode::Deflate;
    case 32766: return TCompressionCode::NeXT;
    case 32771: return TCompressionCode::FaxModifiedHuffmanWords;
    case 32773: return TCompressionCode::PackBits;
    case 32809: return TCompressionCode::ThunderScan;
    case 32895: return TCompressionCode::It8CtPadding;
    case 32896: return TCompressionCode::It8LineWork;
    case 32897: return TCompressionCode::It8Monochrome;
    case 32898: return TCompressionCode::It8BinaryLineArt;
    case 32908: return TCompressionCode::PixarFilm;
    case 32909: return TCompressionCode::PixarLog;
    case 32947: return TCompressionCode::KodakDcs;
    case 34661: return TCompressionCode::Jbig;
    default: return TCompressionCode::Unknown;
    }
}
