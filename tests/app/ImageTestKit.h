#pragma once
// What the image-window and main-window tests share: the program's compression worker and pictures
// written as files.
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

#include "support/GuiTestApp.h"
#include "app/EngineSetup.h"
#include "codec/JPEGImage.h"
#include "platform/BmpFile.h"
#include "platform/MessageBox.h"

namespace testkit {

inline void WriteBmp(const std::string& path, int w, int h) { SaveBmpToFile(TestPattern(w, h), path); }

// Compressed at a quality other than a window's default, so that a window's result differs from it.
inline void WriteJpeg(const std::string& path, int w, int h)
{
    TBitmap source = TestPattern(w, h);
    TJPEGImage image;
    image.SourceBitmap = &source;
    image.LumQuality = 90;
    image.CompressImage();
    TMemoryStream* data = image.GetJpegStream();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data->Memory()), data->Size());
}

inline std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// The box shown when no program could open an address or a file (shown as what).
inline std::string NothingOpens(const std::string& what)
{
    return "Cannot open " + what + "\r\nNo program on this system could open it.";
}

// A test with the program's worker, a scratch folder and a box that records what is shown.
class TFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureGuiInvoker();
        InstallCompressionEngine();
        ASSERT_TRUE(Dir.isValid());
    }
    std::string Path(const std::string& name) const { return Dir.filePath(QString::fromStdString(name)).toStdString(); }

    QTemporaryDir Dir;
    TRecordingMessageBox Box;
    TScopedMessageBox UseBox{&Box};
};

} // namespace testkit
