#include "codec/JpegGlue.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include <jerror.h>

#include "platform/Format.h"

static_assert(std::is_standard_layout_v<TJpegErrorManager>, "the library's err pointer must address the record");

namespace
{

// The library's standard error manager, whose message table and formatter we use.
const jpeg_error_mgr& StdErrorManager()
{
    static const jpeg_error_mgr mgr = [] {
        jpeg_error_mgr m{};
        jpeg_std_error(&m);
        return m;
    }();
    return mgr;
}

TJpegErrorManager& Manager(j_common_ptr cinfo)
{
    return *reinterpret_cast<TJpegErrorManager*>(cinfo->err);
}

void FormatMessage(j_common_ptr cinfo, char* buffer)
{
    StdErrorManager().format_message(cinfo, buffer);
    buffer[JpegMessageLimit] = '\0'; // the buffer holds JMSG_LENGTH_MAX characters
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    cinfo->err->format_message(cinfo, text);
    throw EJPEG(text);
}

void OutputMessage(j_common_ptr cinfo)
{
    TJpegErrorManager& err = Manager(cinfo);
    TStringList* messages = err.Messages;
    if (!messages) return;
    if (++err.MessagesOutput <= JpegMessagesKept)
    {
        char text[JMSG_LENGTH_MAX];
        cinfo->err->format_message(cinfo, text);
        messages->Add(text);
        return;
    }
    const std::string summary =
        Format("... and %lld more warnings", static_cast<long long>(err.MessagesOutput - JpegMessagesKept));
    if (err.SummaryLine >= 0 && err.SummaryLine < messages->Count())
        (*messages)[err.SummaryLine] = summary;
    else
    {
        messages->Add(summary);
        err.SummaryLine = messages->Count() - 1;
    }
}

void EmitMessage(j_common_ptr cinfo, int level)
{
    jpeg_error_mgr* err = cinfo->err;
    if (level < 0 && ++err->num_warnings > JpegWarningLimit)
        throw EJPEG(Format("The file is too damaged to decode: more than %ld warnings", JpegWarningLimit));
    if (level <= err->trace_level) err->output_message(cinfo);
}

void ResetErrorManager(j_common_ptr cinfo)
{
    cinfo->err->num_warnings = 0;
    cinfo->err->msg_code = 0;
}

// ---- destination: appends to a vector --------------------------------------------------------------

constexpr size_t DestChunk = 64 * 1024;

struct TMemoryDest
{
    jpeg_destination_mgr Pub;
    std::vector<uint8_t>* Out;
    size_t ChunkStart; // offset in *Out of the buffer the library is filling
};

void DestInit(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<TMemoryDest*>(cinfo->dest);
    dest->ChunkStart = dest->Out->size();
    dest->Out->resize(dest->ChunkStart + DestChunk);
    dest->Pub.next_output_byte = dest->Out->data() + dest->ChunkStart;
    dest->Pub.free_in_buffer = DestChunk;
}

boolean DestEmpty(j_compress_ptr cinfo)
{
    // The whole buffer is full (the library's contract for empty_output_buffer).
    auto* dest = reinterpret_cast<TMemoryDest*>(cinfo->dest);
    dest->ChunkStart = dest->Out->size();
    dest->Out->resize(dest->ChunkStart + DestChunk);
    dest->Pub.next_output_byte = dest->Out->data() + dest->ChunkStart;
    dest->Pub.free_in_buffer = DestChunk;
    return TRUE;
}

void DestTerm(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<TMemoryDest*>(cinfo->dest);
    dest->Out->resize(dest->Out->size() - dest->Pub.free_in_buffer);
    dest->Pub.free_in_buffer = 0;
}

// ---- source: a block of memory ---------------------------------------------------------------------

struct TMemorySource
{
    jpeg_source_mgr Pub;
    const uint8_t* Data;
    size_t Size;
};

const JOCTET FakeEoi[2] = {0xFF, JPEG_EOI};

void SourceInit(j_decompress_ptr) {}

boolean SourceFill(j_decompress_ptr cinfo)
{
    // All data was handed over at the start: reaching here means the stream is truncated. Like the
    // library's own sources, warn and insert an end-of-image marker so decoding ends cleanly.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = FakeEoi;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void SourceSkip(j_decompress_ptr cinfo, long count)
{
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    if (size_t(count) > src->bytes_in_buffer)
    {
        // Past the end of the data: one warning and the end-of-image marker. (Refilling once per two
        // bytes skipped, as a file source would, could add tens of thousands of warnings.)
        src->fill_input_buffer(cinfo);
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

void SourceTerm(j_decompress_ptr) {}

} // namespace

std::string LibraryMessageText(int code)
{
    const jpeg_error_mgr& mgr = StdErrorManager();
    if (code < 0 || code > mgr.last_jpeg_message || !mgr.jpeg_message_table[code]) code = 0;
    return mgr.jpeg_message_table[code];
}

jpeg_error_mgr* InitJpegErrorManager(TJpegErrorManager& err, TStringList* messages, int traceLevel)
{
    jpeg_std_error(&err.Mgr);
    err.Mgr.error_exit = ErrorExit;
    err.Mgr.emit_message = EmitMessage;
    err.Mgr.output_message = OutputMessage;
    err.Mgr.format_message = FormatMessage;
    err.Mgr.reset_error_mgr = ResetErrorManager;
    err.Mgr.trace_level = traceLevel;
    err.Messages = messages;
    err.MessagesOutput = 0;
    err.SummaryLine = -1;
    return &err.Mgr;
}

std::string FormatLibraryMessage(int code, int p1, int p2)
{
    jpeg_error_mgr mgr;
    jpeg_std_error(&mgr);
    mgr.msg_code = code;
    mgr.msg_parm.i[0] = p1;
    mgr.msg_parm.i[1] = p2;
    jpeg_common_struct common{};
    common.err = &mgr;
    char text[JMSG_LENGTH_MAX];
    FormatMessage(&common, text);
    return text;
}

void RaiseJpegError(int code, int p1, int p2)
{
    throw EJPEG(FormatLibraryMessage(code, p1, p2));
}

void JpegMemoryDest(j_compress_ptr cinfo, std::vector<uint8_t>& out)
{
    if (!cinfo->dest)
        cinfo->dest = static_cast<jpeg_destination_mgr*>(
            cinfo->mem->alloc_small(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(TMemoryDest)));
    auto* dest = reinterpret_cast<TMemoryDest*>(cinfo->dest);
    dest->Pub.init_destination = DestInit;
    dest->Pub.empty_output_buffer = DestEmpty;
    dest->Pub.term_destination = DestTerm;
    dest->Pub.next_output_byte = nullptr;
    dest->Pub.free_in_buffer = 0;
    dest->Out = &out;
    dest->ChunkStart = out.size();
}

void JpegMemorySource(j_decompress_ptr cinfo, const uint8_t* data, size_t size)
{
    if (!cinfo->src)
        cinfo->src = static_cast<jpeg_source_mgr*>(
            cinfo->mem->alloc_small(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(TMemorySource)));
    auto* src = reinterpret_cast<TMemorySource*>(cinfo->src);
    src->Pub.init_source = SourceInit;
    src->Pub.fill_input_buffer = SourceFill;
    src->Pub.skip_input_data = SourceSkip;
    src->Pub.resync_to_restart = jpeg_resync_to_restart;
    src->Pub.term_source = SourceTerm;
    src->Data = data;
    src->Size = size;
    src->Pub.next_input_byte = data;
    src->Pub.bytes_in_buffer = data ? size : 0;
}

TJpegCompressor::TJpegCompressor(TStringList* messages, int traceLevel)
{
    std::memset(&Info, 0, sizeof Info);
    Info.err = InitJpegErrorManager(Err, messages, traceLevel);
    jpeg_create_compress(&Info);
}

TJpegCompressor::~TJpegCompressor()
{
    jpeg_destroy_compress(&Info);
}

TJpegDecompressor::TJpegDecompressor(TStringList* messages, int traceLevel)
{
    std::memset(&Info, 0, sizeof Info);
    Info.err = InitJpegErrorManager(Err, messages, traceLevel);
    jpeg_create_decompress(&Info);
}

TJpegDecompressor::~TJpegDecompressor()
{
    jpeg_destroy_decompress(&Info);
}

uint16_t ClampRestartInterval(int64_t value)
{
    return uint16_t(std::clamp<int64_t>(value, 0, 65535));
}

void SetJfifDensity(j_compress_ptr cinfo, int unit, int64_t x, int64_t y)
{
    if (x < 1 || y < 1)
    {
        // No usable resolution: a pixel aspect of 1:1 without a unit.
        unit = 0;
        x = y = 1;
    }
    cinfo->density_unit = UINT8(unit);
    cinfo->X_density = UINT16(std::min<int64_t>(x, 65535));
    cinfo->Y_density = UINT16(std::min<int64_t>(y, 65535));
}

int ClampSmoothing(int64_t value)
{
    return int(std::clamp<int64_t>(value, 0, 100));
}
