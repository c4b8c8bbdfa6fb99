// The batch windows at work, for screenshots (not a test):
//   batch_ui_host options FIRST_FILE PROFILES_FOLDER
//   batch_ui_host job PROFILE_FOLDER OUT_FOLDER FILE...   (the progress window on a real job, then the log)
//   batch_ui_host flight PICTURE OUT.png                   (frames of one flight, one under the other)
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "app/QtMainThreadInvoker.h"
#include "app/QtMessageBox.h"
#include "batch/BatchProcess.h"
#include "batch/BatchThumbnail.h"
#include "batch/ui/BatchAnimation.h"
#include "batch/ui/BatchOptionsForm.h"
#include "batch/ui/BatchProgressForm.h"
#include "batch/ui/LogForm.h"
#include "codec/JPEGImage.h"
#include "codec/ProfileFile.h"
#include "controls/BitmapImage.h"
#include "formats/Picture.h"
#include "formats/PictureLoader.h"
#include "platform/MainThread.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TQtMainThreadInvoker invoker;
    SetMainThreadInvoker(&invoker);
    TQtMessageBox boxes;
    TScopedMessageBox scope(&boxes);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 3 && args[0] == "options") {
        TBatchOptionsForm form(nullptr, {"Half size", "Print", "Web"}, args[2], args[1], nullptr);
        TBatchProcOptions o;
        o.ProfileFile = "Web";
        o.PrefixMode = 2;
        o.PrefixN = 7;
        o.LeadingZeros = true;
        o.SuffixMode = 1;
        o.SuffixText = "_small";
        form.SetBatchOptions(o);
        if (form.exec() == QDialog::Accepted) std::printf("profile %s\n", form.Options.ProfileFile.c_str());
        return 0;
    }
    if (args.size() >= 4 && args[0] == "job") {
        // Half size, quality 75.
        TJPEGImage settings;
        settings.LumQuality = settings.ChromQuality = 75;
        settings.ResamplingOptions.Width = settings.ResamplingOptions.Height = 50;
        settings.ResamplingOptions.WUnits = settings.ResamplingOptions.HUnits = 1;
        settings.ResamplingOptions.Method = 2;
        const std::string profile = args[1] + "/Half size.qmp";
        WriteProfileFile(settings, profile);
        auto* form = new TBatchProgressForm;
        auto* job = new TBatchProcess(std::vector<std::string>(args.begin() + 3, args.end()),
                                      TBatchProgressForm::UpdateHandler(form), {});
        job->Options.ProfileFile = profile;
        job->Options.DestFolder = args[2] + "/";
        job->MaxParallel = 1;
        QPointer<TBatchProgressForm> window(form);
        job->OnTerminate = [window](TWorkerThread* worker) {
            auto* ended = static_cast<TBatchProcess*>(worker);
            if (window) window->ReleaseJob();
            if (ended->ErrorCount() > 0) TLogForm::ShowLog(nullptr, *ended);
            if (window) window->close();
        };
        form->SetJob(job);
        job->Start();
        form->ShowForJob(true);
        return 0;
    }
    if (args.size() >= 3 && args[0] == "flight") {
        TPicture picture;
        TImageFileInfo info;
        LoadPicture(picture, args[1], false, 0, 0, info);
        TBitmap thumb(BatchThumbnailSize, BatchThumbnailSize, TPixelFormat::pf24bit);
        TRect r;
        DrawBatchThumbnail(thumb, r, picture.Graphic()->GetBitmap(), 0xEFEFEF);
        const QImage thumbImage = BitmapAsQImage(thumb);
        const QRect rect(r.Left, r.Top, r.Width(), r.Height());
        TBatchAnimation animation({380, 72}, QColor(0xEF, 0xEF, 0xEF));
        const double steps[] = {0.0, 0.05, 0.25, 0.45, 0.5, 0.7, 0.95, 1.0};
        QImage strip(380, 74 * 9, QImage::Format_RGB32);
        strip.fill(Qt::black);
        QPainter p(&strip);
        for (int file = 0; file < 2; ++file) {
            animation.StartFlight(4);
            for (int i = 0; i < 8 && file == 1; ++i) {
                animation.DrawFrame(thumbImage, rect, steps[i], 2);
                p.drawImage(0, 74 * i, animation.Frame());
            }
            animation.Land(thumbImage, rect);
        }
        animation.DrawFrame(QImage(), QRect(), 0.0, 0);
        p.drawImage(0, 74 * 8, animation.Frame());
        p.end();
        strip.save(QString::fromStdString(args[2]));
        return 0;
    }
    std::fprintf(stderr, "usage: batch_ui_host options FIRST PROFILES | job PROFILES OUT FILE...\n");
    return 2;
}
