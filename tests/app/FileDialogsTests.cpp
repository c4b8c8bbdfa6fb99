#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <fstream>

#include "ImageTestKit.h"
#include "app/FileDialogs.h"
#include "formats/FileFormatList.h"
#include "formats/ui/PictureDialog.h"

namespace {

using namespace testkit;

class FileDialogsTest : public TFolderTest
{
protected:
    // Runs step on the modal widget of type T once it is up (polling), from inside the event loop.
    template <class T> void WhenShown(std::function<void(T*)> step)
    {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, step] {
            if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                step(w);
            }
        });
        timer->start(20);
    }
};

// Typing "photo" beside photo.jpg: the prompt names photo.jpg before anything is chosen; No keeps
// the dialog open; Yes returns the name with its extension.
TEST_F(FileDialogsTest, SaveDialogAsksAboutTheNameWithItsExtension)
{
    std::ofstream(Path("photo.jpg")) << "x";
    const TFileDialogRequest request{"Save As...", Dir.path(), {"JPEG Image File (*.jpg)"}, "jpg", true};
    for (bool replace : {false, true}) {
        QString prompt;
        WhenShown<QFileDialog>([&](QFileDialog* d) {
            d->findChild<QLineEdit*>("fileNameEdit")->setText("photo");
            WhenShown<QMessageBox>([&, d](QMessageBox* box) {
                prompt = box->text();
                box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
                if (!replace) QTimer::singleShot(50, d, &QDialog::reject);
            });
            QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
        });
        const TFileDialogResult r = RunFileDialog(nullptr, request);
        EXPECT_TRUE(prompt.contains(QString::fromStdString(Path("photo.jpg")))) << prompt.toStdString();
        EXPECT_EQ(r.FileName.toStdString(), replace ? Path("photo.jpg") : "");
        EXPECT_EQ(r.Directory, Dir.path());
    }
}

// The picture save dialog asks the same way: the whole path, and No keeps the file.
TEST_F(FileDialogsTest, PictureSaveDialogNamesTheWholePath)
{
    std::ofstream(Path("photo.jpg")) << "x";
    TSavePictureDialog dialog(nullptr);
    dialog.SetFileName(Path("photo.jpg"));
    dialog.show();
    QString prompt;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        prompt = box->text();
        box->button(QMessageBox::No)->click();
    });
    QMetaObject::invokeMethod(dialog.FileDialog(), "accept");
    EXPECT_TRUE(prompt.contains(QString::fromStdString(Path("photo.jpg")))) << prompt.toStdString();
    EXPECT_TRUE(dialog.isVisible());
}

// A cancelled dialog still reports the folder it ended in.
TEST_F(FileDialogsTest, CancelledDialogReportsItsFolder)
{
    QDir(Dir.path()).mkdir("sub");
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        d->setDirectory(QString::fromStdString(Path("sub")));
        QTimer::singleShot(20, d, &QDialog::reject);
    });
    const TFileDialogResult r = RunFileDialog(nullptr, {"Open...", Dir.path(), {"All files (*)"}, "", false});
    EXPECT_TRUE(r.FileName.isEmpty());
    EXPECT_EQ(r.Directory.toStdString(), Path("sub"));
}

// The open filters come from the registry: all patterns first, then one entry per family.
TEST(OpenPictureFilters, AllSupportedThenOnePerFamily)
{
    const QStringList f = OpenPictureFilters(FileFormatList());
    ASSERT_GE(f.size(), 3);
    EXPECT_TRUE(f[0].startsWith("All supported formats (*."));
    for (const char* p : {"*.jpg", "*.jpeg", "*.bmp", "*.dib"}) EXPECT_TRUE(f[0].contains(p)) << p;
    EXPECT_TRUE(f.contains("JPEG/JFIF compliant (*.jfif *.jpg *.jpe *.jpeg)")) << f.join("|").toStdString();
    EXPECT_TRUE(f.contains("Windows Bitmap (*.bmp *.rle *.dib)")) << f.join("|").toStdString();
}

TEST(OpenPictureFilters, EveryRegisteredFormatIsOffered)
{
    const QStringList f = OpenPictureFilters(FileFormatList());
    ASSERT_FALSE(f.isEmpty());
    // The 36 extensions of the format table, in its order.
    EXPECT_EQ(f[0].toStdString(),
              "All supported formats (*.bmp *.jfif *.jpg *.jpe *.jpeg *.rle *.dib *.win *.vst *.vda *.tga *.icb "
              "*.tiff *.tif *.fax *.eps *.pcx *.pcc *.rpf *.rla *.sgi *.rgba *.rgb *.bw *.psd *.pdd *.ppm *.pgm "
              "*.pbm *.cel *.pic *.pcd *.gif *.cut *.psp *.png)");
    for (const char* family :
         {"Truevision Targa (*.win *.vst *.vda *.tga *.icb)", "Tagged Image File Format (TIFF) (*.tiff *.tif *.fax)",
          "Encapsulated Postscript (*.eps)", "ZSoft Paintbrush (PCX) (*.pcx *.pcc)", "Alias/Wavefront (*.rpf *.rla)",
          "SGI (*.sgi *.rgba *.rgb *.bw)", "Adobe Photoshop (*.psd *.pdd)",
          "Portable Bitmap/Pixel Map (*.ppm *.pgm *.pbm)", "Autodesk (*.cel *.pic)", "Kodak Photo-CD (*.pcd)",
          "Graphics Interchange Format (GIF) (*.gif)", "Dr. Halo (*.cut)", "Paint Shop Pro (*.psp)",
          "Portable Network Graphic (PNG) (*.png)"})
        EXPECT_TRUE(f.contains(family)) << family << " in " << f.join("|").toStdString();
}

} // namespace
