// preview_jpeg_over_decode: in the open picture dialog, a selection change to the new preview frame
// ready to paint (smooth appearing off), for a 12-megapixel JPEG of the bench photo (the library's
// quality 92, 2x2 chroma) in a 300x300 preview, over a full-size decode of the same file by the
// library alone in the same process. The dialog decodes at the reduced scale that fits the box, so
// the goal is <= 0.7 (a full decode scaled down would exceed 1).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

#include <jpeglib.h>

// Before any Qt header: Qt's keyword macros would clash with its names.
#include "BenchPhoto.h"
#include "PlainDecode.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QListView>

#include "GuiBench.h"
#include "formats/ui/ImageInfoForm.h"
#include "formats/ui/PictureDialog.h"
#include "formats/ui/PreviewFrames.h"

namespace {

double Since(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int main(int argc, char** argv)
{
    TGuiBench gui(argc, argv);
    const TBitmap photo = BenchPhoto();
    PrintPhotoInfo(photo);
    const std::vector<uint8_t> file = LibraryEncodeAtQuality(photo, 92);
    std::printf("info: previewed file: quality 92, 2x2 chroma, %.2f bit per pixel, 300x300 preview\n",
                8.0 * double(file.size()) / (double(photo.Width()) * photo.Height()));
    // Two copies, so that every selection is a change.
    const std::filesystem::path folder = BenchWorkFolder() / "preview";
    std::filesystem::create_directories(folder);
    const std::string names[2] = {(folder / "a.jpg").string(), (folder / "b.jpg").string()};
    for (const std::string& name : names) {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    }

    TOpenPictureDialog dialog;
    dialog.SetPreviewSize(300, 300);
    dialog.SetDisplayOptions(pdoNoSmoothing);
    dialog.SetInitialFolder(folder.string());
    dialog.show();
    auto* model = dialog.FileDialog()->findChild<QFileSystemModel*>();
    auto* view = dialog.FileDialog()->findChild<QListView*>("listView");
    // Sleeps until an event comes (the worker's result is one), so that the main thread takes no
    // processor from the worker while it waits.
    const auto wait = [](auto ready) {
        const auto start = std::chrono::steady_clock::now();
        while (!ready()) {
            if (Since(start) > 60000) throw std::runtime_error("the dialog did not answer");
            MainThreadInvoker()->ProcessEvents(100);
        }
    };
    wait([&] { return model->index(QString::fromStdString(names[0])).isValid() &&
                      model->index(QString::fromStdString(names[1])).isValid(); });

    std::vector<uint8_t> pixels;
    double preview = 1e30, plain = 1e30, eighth = 1e30;
    for (int round = 0; round < 16; ++round) {
        const std::string& name = names[round % 2];
        const auto t0 = std::chrono::steady_clock::now();
        view->setCurrentIndex(model->index(QString::fromStdString(name)));
        wait([&] { return dialog.FileInfo().FileName == name && !dialog.InfoForm()->Fading(); });
        const double ms = Since(t0);
        if (!dialog.FileInfo().JpegScale) throw std::runtime_error("the preview decoded at full size");
        if (round > 0) preview = std::min(preview, ms); // the first warms the file cache
        const auto t1 = std::chrono::steady_clock::now();
        PlainDecode(file, pixels);
        plain = std::min(plain, Since(t1));
        const auto t2 = std::chrono::steady_clock::now();
        PlainDecode(file, pixels, 8);
        eighth = std::min(eighth, Since(t2));
    }
    std::printf("info preview_jpeg_over_decode: preview %.1f ms, plain library decode %.1f ms, the library's own 1/8 "
                "decode %.1f ms (%.3f of the plain one)\n",
                preview, plain, eighth, eighth / plain);
    std::printf("preview_jpeg_over_decode: %.3f\n", preview / plain);
    return 0;
}
