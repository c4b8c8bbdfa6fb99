#include "codec/EntropyStrips.h"

#include <algorithm>
#include <cstring>

#include "codec/CompressorSetup.h"
#include "platform/Parallel.h"

namespace
{

// Below this many blocks the single pass is quick enough that threads do not pay.
constexpr int64_t MinStripBlocks = 16384;
// Each strip but the first codes one row twice; with this many rows that is at most an eighth more.
constexpr int MinRowsPerStrip = 8;

[[noreturn]] void JoinFault()
{
    throw EInvalidGraphicOperation("The coded strips of the picture do not join up");
}

struct TCodeLengths
{
    std::array<std::array<uint8_t, 256>, 2> Dc{}, Ac{};
};

void ReadLengths(const JHUFF_TBL* table, std::array<uint8_t, 256>& lengths)
{
    if (!table) return;
    int p = 0;
    for (int len = 1; len <= 16; ++len)
        for (int i = 0; i < table->bits[len] && p < 256; ++i) lengths[table->huffval[p++]] = uint8_t(len);
}

// Bits the library writes for these symbols: each code and the value bits behind it (a DC symbol's
// number, an AC symbol's low four bits).
int64_t CodedBits(const THuffmanCounts& counts, const TCodeLengths& lengths)
{
    int64_t bits = 0;
    for (size_t t = 0; t < 2; ++t)
        for (size_t s = 0; s < 256; ++s)
        {
            bits += int64_t(counts.Dc[t][s]) * (lengths.Dc[t][s] + int64_t(s <= 16 ? s : 0));
            bits += int64_t(counts.Ac[t][s]) * (lengths.Ac[t][s] + int64_t(s & 15));
        }
    return bits;
}

inline void PutStuffed(std::vector<uint8_t>& out, uint8_t byte)
{
    out.push_back(byte);
    if (byte == 0xFF) out.push_back(0);
}

// One strip's share of the joined scan. Its Bits bits follow Phase bits of the strips before it
// in their last byte; packed behind Phase zero bits they make bytes U[0..L), of which the complete
// ones not shared with another strip are kept stuffed, ready to copy.
struct TStripBits
{
    int64_t Bits = 0;
    int Phase = 0;
    uint8_t First = 0; // U[0], which completes the byte of the strips before when Phase > 0
    uint8_t Tail = 0;  // the incomplete last byte U[Complete()], if any
    std::vector<uint8_t> Middle;

    int64_t Total() const { return Phase + Bits; }
    int64_t Complete() const { return Total() / 8; }
};

// Takes bits [skip, skip + strip.Bits) of the scan data the library wrote (stuffed), which must
// end there, padded with one bits to a whole byte.
void TakeBits(const uint8_t* data, size_t size, int64_t skip, TStripBits& strip)
{
    // Unstuffed, with a zero byte in front (so that a strip can start before the first byte's
    // first bit when Phase > skip) and two behind (for the two-byte reads below).
    std::vector<uint8_t> raw;
    raw.reserve(size + 3);
    raw.push_back(0);
    for (size_t i = 0; i < size; ++i)
    {
        raw.push_back(data[i]);
        if (data[i] == 0xFF)
        {
            if (i + 1 >= size || data[i + 1] != 0) JoinFault();
            ++i;
        }
    }
    const int64_t end = skip + strip.Bits;
    if (int64_t(raw.size() - 1) != (end + 7) / 8) JoinFault();
    if (const int pad = int((8 - end % 8) % 8); pad && (raw.back() & ((1 << pad) - 1)) != (1 << pad) - 1)
        JoinFault();
    raw.push_back(0);
    raw.push_back(0);

    const int64_t total = strip.Total();
    const int64_t count = (total + 7) / 8; // bytes U
    if (count == 0) return;
    const int64_t origin = skip - strip.Phase + 8; // bit of raw that becomes bit 0 of U[0]
    auto packed = [&](int64_t j) {
        const int64_t pos = origin + 8 * j;
        const unsigned word = unsigned(raw[size_t(pos >> 3)]) << 8 | raw[size_t(pos >> 3) + 1];
        uint8_t byte = uint8_t(word >> (8 - (pos & 7)));
        if (j == 0) byte &= uint8_t(0xFF >> strip.Phase);
        if (j == count - 1 && total % 8) byte &= uint8_t(0xFF << (8 - total % 8));
        return byte;
    };
    strip.First = packed(0);
    const int64_t complete = strip.Complete();
    if (complete < count) strip.Tail = packed(complete);
    strip.Middle.reserve(size_t(complete) + size_t(complete) / 64);
    for (int64_t j = strip.Phase > 0 ? 1 : 0; j < complete; ++j) PutStuffed(strip.Middle, packed(j));
}

void CopyTable(j_compress_ptr cinfo, JHUFF_TBL*& slot, const JHUFF_TBL* table)
{
    if (!table) return;
    if (!slot) slot = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
    std::memcpy(slot->bits, table->bits, sizeof slot->bits);
    std::memcpy(slot->huffval, table->huffval, sizeof slot->huffval);
    slot->sent_table = FALSE;
}

} // namespace

size_t StripScanStart(std::vector<uint8_t>& file, int frameHeight)
{
    if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8) JoinFault();
    size_t pos = 2;
    for (;;)
    {
        if (pos + 4 > file.size() || file[pos] != 0xFF) JoinFault();
        const int marker = file[pos + 1];
        const size_t length = size_t(file[pos + 2]) << 8 | file[pos + 3];
        if (length < 2 || pos + 2 + length > file.size()) JoinFault();
        if (frameHeight > 0 && marker >= 0xC0 && marker <= 0xC2)
        {
            if (length < 8) JoinFault();
            file[pos + 5] = uint8_t(frameHeight >> 8);
            file[pos + 6] = uint8_t(frameHeight);
        }
        pos += 2 + length;
        if (marker == 0xDA) return pos;
    }
}

TStripLayout PlanEntropyStrips(const TFrameLayout& f, const TCodingParams& params, int threads)
{
    TStripLayout layout;
    layout.Rows = f.TotalImcuRows; // one MCU row per iMCU row, interleaved or grey
    layout.RowsPerStrip = std::max(layout.Rows, 1);
    if (params.Progressive || ClampRestartInterval(params.RestartInterval) != 0 || params.TraceLevel > 0)
        return layout;
    int wanted = params.EntropyStrips;
    if (wanted <= 0)
    {
        int64_t blocks = 0;
        for (int c = 0; c < f.NumComponents; ++c)
            blocks += int64_t(f.Comp[size_t(c)].WidthInBlocks) * f.Comp[size_t(c)].HeightInBlocks;
        if (threads < 2 || blocks < MinStripBlocks) return layout;
        wanted = std::min(2 * threads, layout.Rows / MinRowsPerStrip);
    }
    wanted = std::min(wanted, layout.Rows);
    if (wanted < 2) return layout;
    layout.RowsPerStrip = (layout.Rows + wanted - 1) / wanted;
    layout.Count = (layout.Rows + layout.RowsPerStrip - 1) / layout.RowsPerStrip;
    return layout;
}

std::vector<uint8_t> CodeInStrips(const TStripCoding& coding)
{
    const TFrameLayout& f = coding.Frame;
    const TStripLayout& layout = coding.Layout;
    if (int(coding.Counts.size()) != layout.Count) JoinFault();
    TCodeLengths lengths;
    for (size_t t = 0; t < 2; ++t)
    {
        ReadLengths(coding.Dc[t], lengths.Dc[t]);
        ReadLengths(coding.Ac[t], lengths.Ac[t]);
    }
    std::vector<TStripBits> strips(size_t(layout.Count));
    int64_t offset = 0;
    for (size_t s = 0; s < strips.size(); ++s)
    {
        strips[s].Bits = CodedBits(coding.Counts[s], lengths);
        strips[s].Phase = int(offset % 8);
        offset += strips[s].Bits;
    }

    const THuffmanScan scan(f, coding.Rows, 0, coding.Kernels);
    const int rowHeight = 8 * f.MaxV;
    std::vector<uint8_t> header; // the first strip's file up to its scan data
    TStringList firstMessages;
    ParallelFor(
        layout.Count, coding.Threads, 1,
        [&](int firstStrip, int lastStrip, int) {
            for (int s = firstStrip; s < lastStrip; ++s)
            {
                // A strip after the first starts one row early, for the DC prediction.
                const int first = layout.First(s), last = layout.Last(s), from = s ? first - 1 : 0;
                const int height = std::min(f.Height, last * rowHeight) - from * rowHeight;
                std::vector<uint8_t> file;
                TJpegCompressor compressor(s == 0 ? &firstMessages : nullptr, 0);
                j_compress_ptr cinfo = compressor.Get();
                JpegMemoryDest(cinfo, file);
                SetUpCompressor(cinfo, f, coding.Params, height, false);
                for (size_t t = 0; t < size_t(std::min(f.NumComponents, 2)); ++t)
                {
                    CopyTable(cinfo, cinfo->dc_huff_tbl_ptrs[t], coding.Dc[t]);
                    CopyTable(cinfo, cinfo->ac_huff_tbl_ptrs[t], coding.Ac[t]);
                }
                TKeptArrays kept;
                for (size_t c = 0; c < size_t(f.NumComponents); ++c)
                {
                    const int v = f.NumComponents > 1 ? f.Comp[c].V : 1;
                    const size_t top = size_t(from) * size_t(v);
                    const size_t bottom = std::min(size_t(coding.RowCounts[c]), size_t(last) * size_t(v));
                    if (top >= bottom) JoinFault();
                    kept.Rows[c].assign(coding.Rows[c] + top, coding.Rows[c] + bottom);
                }
                kept.Install(cinfo, f.NumComponents);
                jpeg_write_coefficients(cinfo, kept.Handles.data());
                if (s == 0) WriteTextMarkers(cinfo, coding.Params);
                jpeg_finish_compress(cinfo);

                THuffmanCounts prefix;
                if (s) scan.CountRows(from, first, prefix, TFirstDc::FromZero);
                const size_t start = StripScanStart(file, s == 0 ? f.Height : 0);
                if (file.size() < start + 2 || file[file.size() - 2] != 0xFF || file.back() != 0xD9) JoinFault();
                TakeBits(file.data() + start, file.size() - 2 - start, s ? CodedBits(prefix, lengths) : 0,
                         strips[size_t(s)]);
                if (s == 0) header.assign(file.begin(), file.begin() + std::ptrdiff_t(start));
            }
        },
        [&](int done) {
            if (coding.Progress) coding.Progress(done, layout.Count);
        });

    size_t size = header.size() + 3;
    for (const TStripBits& s : strips) size += s.Middle.size() + 2;
    std::vector<uint8_t> out;
    out.reserve(size);
    out.insert(out.end(), header.begin(), header.end());
    uint8_t carry = 0; // the incomplete byte so far, its first `pending` bits used
    int pending = 0;
    for (TStripBits& s : strips)
    {
        if (pending != s.Phase) JoinFault();
        if (s.Total() == 0) continue;
        if (s.Complete() == 0)
        {
            carry |= s.First;
            pending = int(s.Total());
            continue;
        }
        if (s.Phase > 0) PutStuffed(out, uint8_t(carry | s.First));
        out.insert(out.end(), s.Middle.begin(), s.Middle.end());
        std::vector<uint8_t>().swap(s.Middle);
        carry = s.Tail;
        pending = int(s.Total() % 8);
    }
    if (pending) PutStuffed(out, uint8_t(carry | (0xFF >> pending))); // the library pads with one bits
    out.push_back(0xFF);
    out.push_back(0xD9);
    if (coding.Params.Messages)
        for (const std::string& line : firstMessages.Lines()) coding.Params.Messages->Add(line);
    return out;
}
