// The raster format graphics (Targa, PCX, Alias/Wavefront, SGI, Photoshop, portable maps, Autodesk,
// Photo-CD, Dr. Halo CUT, Paint Shop Pro) on arbitrary bytes: the first byte picks the class, the
// rest is the file. Only the loaders' own exceptions may leave a load; a loaded picture is decoded
// whole, and a Targa picture is written back and read again.
#include "FuzzSupport.h"
#include "formats/AutodeskGraphic.h"
#include "formats/CutGraphic.h"
#include "formats/PcdGraphic.h"
#include "formats/PcxGraphic.h"
#include "formats/PpmGraphic.h"
#include "formats/PsdGraphic.h"
#include "formats/PspGraphic.h"
#include "formats/RlaGraphic.h"
#include "formats/SgiGraphic.h"
#include "formats/TargaGraphic.h"

namespace {

std::unique_ptr<TFormatGraphic> GraphicFor(uint8_t selector)
{
    switch (selector % 10) {
    case 0: return std::make_unique<TTargaGraphic>();
    case 1: return std::make_unique<TPCXGraphic>();
    case 2: return std::make_unique<TRLAGraphic>();
    case 3: return std::make_unique<TSGIGraphic>();
    case 4: return std::make_unique<TPSDGraphic>();
    case 5: return std::make_unique<TPPMGraphic>();
    case 6: return std::make_unique<TAutodeskGraphic>();
    case 7: return std::make_unique<TPCDGraphic>();
    case 8: return std::make_unique<TCUTGraphic>();
    default: return std::make_unique<TPSPGraphic>();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const auto graphic = GraphicFor(data[0]);
    TMemoryStream stream(std::vector<uint8_t>(data + 1, data + size));
    if (!fuzzsupport::Allowing<EInvalidGraphic, EReadError, EOutOfResources>([&] { graphic->LoadFromStream(stream); }))
        return 0;
    const TBitmap& bitmap = graphic->Bitmap();
    volatile uint8_t sink = 0;
    if (!bitmap.Empty())
        for (int y = 0; y < bitmap.Height(); ++y) sink = sink ^ bitmap.ScanLine(y)[bitmap.Stride() - 1];
    if (!bitmap.Empty() && data[0] % 10 == 0) {
        TMemoryStream written;
        graphic->SaveToStream(written);
        written.SetPosition(0);
        TTargaGraphic again;
        again.LoadFromStream(written);
        if (again.Width() != bitmap.Width() || again.Height() != bitmap.Height()) std::abort();
    }
    return 0;
}
