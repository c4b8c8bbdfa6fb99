#pragma once
// What the image-window and main-window tests share: the application and main-thread invoker, the
// program's compression worker, pictures written as files, and serving events until something holds.
#include <QCoreApplication>
#include <chrono>
#include <fstream>
#include <string>

#include "GuiTestApp.h"
#include "app/EngineSetup.h"
#include "app/QtMainThreadInvoker.h"
#include "codec/JPEGImage.h"
#include "platform/BmpFile.h"
#include "platform/Bitmap.h"
#include "platform/MainThread.h"

namespace testkit {

// The application, the invoker and the program's compression worker.
inline void SetUpGui()
{
    EnsureGuiTestApp();
    static TQtMainThreadInvoker* invoker = new TQtMainThreadInvoker;
    SetMainThreadInvoker(invoker);
    InstallCompressionEngine();
}

template <class Pred> bool PumpUntil(Pred pred, int ms = 20000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred() && std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return pred();
}

// A w x h 24-bit picture with a pattern that tells positions apart.
inline TBitmap Pattern(int w, int h)
{
    TBitmap b(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = uint8_t(x * 7);
            row[3 * x + 1] = uint8_t(y * 5);
            row[3 * x + 2] = uint8_t((x + y) * 3);
        }
    }
    b.Modified();
    return b;
}

inline void WriteBmp(const std::string& path, int w, int h) { SaveBmpToFile(Pattern(w, h), path); }

inline void WriteJpeg(const std::string& path, int w, int h)
{
    TBitmap source = Pattern(w, h);
    TJPEGImage image;
    image.SourceBitmap = &source;
    image.CompressImage();
    TMemoryStream* data = image.GetJpegStream();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data->Memory()), data->Size());
}

inline std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

} // namespace testkit
