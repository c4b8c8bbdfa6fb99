// The image window's status figures, saving the result, the clipboard copy and the bitmap export.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>

#include "common/CheckMessage.h"
#include "common/CommLib.h"
#include "common/StrRes.h"
#include "controls/ClipboardBitmap.h"
#include "platform/BmpFile.h"
#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "platform/ReplaceFile.h"
#include "platform/Round.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"
#include "workspace/StatusPanels.h"

namespace {

// The owner handle of a box: the window's QWidget.
TWindowHandle Owner(QWidget* window) { return window; }

bool FileExists(const std::string& name)
{
    std::error_code ec;
    return std::filesystem::exists(name, ec);
}

std::string JpegModes(const TGraphic* g)
{
    auto* jpeg = dynamic_cast<const TJPEGImage*>(g);
    if (!jpeg) return std::string();
    std::string text;
    if (jpeg->IsGrayscale()) text = "Grayscale";
    if (jpeg->ProgressiveEncoding) text += std::string(text.empty() ? "" : ", ") + "Progressive";
    return text;
}

} // namespace

// ---- status figures ----

void TImageForm::UpdateSizeStats()
{
    TStatusFigures f;
    CalcStatusFigures(FileInfo.FileSize, ResultSize, FileInfo.Bytes24, f, SrcPanelRaised, ResPanelRaised);
    SrcPercent = f.SrcPercent;
    ResPercent = f.ResPercent;
    ComprRatio = f.ComprRatio;
    SrcPanelColor = f.SrcColor;
    ResPanelColor = f.ResColor;
    StatusBar->update();
}

std::string TImageForm::GetSourceInfoText() const
{
    return Format("%s[%dx%d]x%d %s", "Source: ", FPicture.Width(), FPicture.Height(), FileInfo.BitsPerPixel,
                  ImageFormatShortName(FileInfo.FormatIndex));
}

std::string TImageForm::GetModeText(bool resultView) const
{
    return JpegModes(resultView ? static_cast<const TGraphic*>(Image.get()) : FPicture.Graphic());
}

// ---- saving ----

bool TImageForm::SourceIsJpeg() const { return dynamic_cast<const TJPEGImage*>(FPicture.Graphic()) != nullptr; }

bool TImageForm::SaveResult(const std::string& fileName, bool copyOnly, std::string* written)
{
    if (written) written->clear();
    if (Busy) return false; // the image belongs to the running worker
    if (LastRunStopped && !AskYesNo(Owner(this), SParamsNotApplied)) return false;
    std::string target = fileName.empty() ? FileInfo.FileName : fileName;
    try {
        if (SourceIsJpeg()) {
            target = ReplaceFileExt(target, ExtractFileExt(FileInfo.FileName));
            bool shown = false;
            if (fileName.empty() && !OverwriteConfirmed &&
                !IsConsent(ShowCheckMessage(Owner(this), ImageWindowPrefs().Settings, CmConfirmOverwrite, &shown))) {
                // A remembered No means the source is never to be overwritten: the result goes to
                // a file the user names instead, rather than nowhere without a word.
                // (The name Save As writes is its own; none is reported here.)
                if (!shown && !copyOnly && OnSaveAsRequest) return OnSaveAsRequest(this);
                return false;
            }
        } else {
            target = ReplaceFileExt(target, ".jpg");
        }
        // The extension rules may lead to a file other than the one the user chose (or, saving
        // under the window's own name, other than the source): such a file is replaced only when
        // the user agrees.
        const std::string chosen = fileName.empty() ? FileInfo.FileName : fileName;
        if (target != chosen && (!fileName.empty() || !OverwriteConfirmed) && FileExists(target) &&
            !AskYesNo(Owner(this), Format(SReplaceExistingFile, target.c_str())))
            return false;

        TMemoryStream* data = Image->GetJpegStream();
        if (!data || data->Size() <= 0) throw EInvalidGraphicOperation("There is no compressed image to save");
        std::optional<time_t> date;
        if (KeepOrigDatetime) date = UnixFromLocalDateTime(FileInfo.Modified);
        SaveFileReplacing(target, data->Memory(), size_t(data->Size()), date);
        if (written) *written = target;

        OverwriteConfirmed = true;
        if (copyOnly) return true;
        Saved = true;
        // The whole name: a name cut short would send the next save to another file. From here on
        // the window belongs to that file, a resampled picture too (its name is no longer the
        // source's without extension).
        if (!fileName.empty()) {
            FileInfo.FileName = target;
            Resampled = false;
        }
        HasFileName = true;
        UpdateCaption();
        return true;
    } catch (const std::exception& e) {
        // The window stays open: closing it would lose the result the user just tried to keep.
        ShowWarning(Owner(this), WithReason(SCannotSaveFile + target, e.what()));
        return false;
    }
}

// ---- clipboard and export ----

TBitmap TImageForm::ClipboardPicture() const
{
    const TBitmap* source = SourceBitmap();
    if (!source) return TBitmap();
    if (!HasRectSelection()) return source->PixelFormat() == TPixelFormat::pf24bit ? *source : source->To24();
    const TSelUnit& unit = Image->SelUnits.Item<TSelUnit>(Image->SelUnits.Count() - 1);
    const TZoomScales s = CalcZoomScales(100, FPicture.Width(), FPicture.Height());
    int x1 = RoundInt(double(unit.BegX) * s.MillionthToPixelX), x2 = RoundInt(double(unit.EndX) * s.MillionthToPixelX);
    int y1 = RoundInt(double(unit.BegY) * s.MillionthToPixelY), y2 = RoundInt(double(unit.EndY) * s.MillionthToPixelY);
    int w = std::abs(x1 - x2), h = std::abs(y1 - y2);
    if (w < 1 || h < 1) return TBitmap();
    int left = std::min(x1, x2), top = std::min(y1, y2);
    TBitmap src24 = source->PixelFormat() == TPixelFormat::pf24bit ? TBitmap() : source->To24();
    const TBitmap& from = src24.Empty() ? *source : src24;
    TBitmap cut(w, h, TPixelFormat::pf24bit);
    // Parts of the rectangle outside the picture stay black.
    int sx0 = std::max(left, 0), sx1 = std::min(left + w, from.Width());
    for (int y = 0; y < h; ++y) {
        int sy = top + y;
        if (sy < 0 || sy >= from.Height() || sx0 >= sx1) continue;
        std::copy_n(from.ScanLine(sy) + size_t(sx0) * 3, size_t(sx1 - sx0) * 3, cut.ScanLine(y) + size_t(sx0 - left) * 3);
    }
    cut.Modified();
    return cut;
}

void TImageForm::CopyToClipboard()
{
    TBitmap picture = ClipboardPicture();
    if (!picture.Empty()) SetClipboardBitmap(picture);
}

bool TImageForm::ExportSourceBitmap(const std::string& fileName)
{
    try {
        const TBitmap* source = SourceBitmap();
        if (!source) throw EInvalidGraphicOperation("There is no picture to export");
        SaveBmpToFile(*source, fileName);
        return true;
    } catch (const std::exception& e) {
        ShowWarning(Owner(this), WithReason(SCannotSaveFile + fileName, e.what()));
        return false;
    }
}
