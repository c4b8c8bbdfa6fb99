#include "workspace/ImageForm.h"

#include <ctime>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>

#include "codec/JPEGProfile.h"
#include "common/CommLib.h"
#include "common/HelpTopics.h"
#include "common/StrRes.h"
#include "controls/ClipboardBitmap.h"
#include "controls/EnhScrollBox.h"
#include "controls/HelpWindow.h"
#include "formats/BitmapGraphic.h"
#include "formats/PictureLoader.h"
#include "formats/TiffGraphic.h"
#include "platform/Exceptions.h"
#include "platform/MainThread.h"
#include "platform/MessageBox.h"
#include "platform/WorkerThread.h"
#include "workspace/ImageStatusBar.h"
#include "workspace/ImageWindowPrefs.h"

namespace {

constexpr const char* KResultNotSaved = "The result image has not been saved, so the window stays open.";

// The client area of the window: lays the views out whenever it is resized.
class TImageFormClient : public QWidget
{
public:
    std::function<void()> OnResize;

protected:
    void resizeEvent(QResizeEvent*) override
    {
        if (OnResize) OnResize();
    }
};

} // namespace

TImageForm::TImageForm(QWidget* parent, TStateChangeEvent onStateChange)
    : QMdiSubWindow(parent), OnStateChange(std::move(onStateChange))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumHeight(100);
    setWindowTitle(SProductName);

    auto* client = new TImageFormClient;
    SrcScrollBox = new TEnhScrollBox(client);
    SrcScrollBox->setStatusTip("Source image");
    ResScrollBox = new TEnhScrollBox(client);
    ResScrollBox->setStatusTip("Result (compressed) image");
    SrcImage = SrcScrollBox->Image();
    ResImage = ResScrollBox->Image();
    Spacer = new QWidget(client);
    Spacer->setAutoFillBackground(true);
    Spacer->setBackgroundRole(QPalette::Button);
    StatusBar = new TImageStatusBar(client, this);
    StatusBar->setStatusTip("File sizes of source and result (compressed) images and the compression ratio");
    SetHelpTopic(this, htImageWindows);
    SetHelpTopic(StatusBar, htStatusBars);
    setWidget(client);
    // Ctrl+W is the main window's Fit to image: the frame menu's Close keeps Ctrl+F4 alone.
    const QList<QKeySequence> closeKeys = QKeySequence::keyBindings(QKeySequence::Close);
    if (QMenu* frameMenu = systemMenu())
        for (QAction* item : frameMenu->actions())
            if (!item->shortcuts().isEmpty() && item->shortcuts() == closeKeys)
                item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    client->OnResize = [this] { LayoutViews(); };

    // FormCreate
    Image = std::make_unique<TJPEGImage>();
    const TImageWindowPrefs& prefs = ImageWindowPrefs();
    Image->ComprRatioMaxNumAppr = prefs.ComprRatioMaxNumAppr;
    Image->ComprRatioMaxDiff = prefs.ComprRatioMaxDiff;
    Image->OptimizeCoding = prefs.ExtraOptimization;
    KeepOrigDatetime = prefs.KeepOrigDatetime;

    for (TEnhScrollBox* box : {SrcScrollBox, ResScrollBox}) {
        box->OnPosChange = [this](TEnhScrollBox* sender) { ScrollBoxPosChange(sender); };
        box->OnMouseUp = [this](TEnhScrollBox*, QMouseEvent* e) { ScrollBoxMouseUp(e->button()); };
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](const QPoint& pos) { ContextMenuRequested(box->mapToGlobal(pos)); });
        TEnhImage* view = box->Image();
        view->OnMouseDown = [this](TEnhImage* v, QMouseEvent* e) {
            ImageMouseDown(v, e->button(), int(e->position().x()), int(e->position().y()));
        };
        view->OnMouseMove = [this](TEnhImage* v, QMouseEvent* e) {
            ImageMouseMove(v, e->buttons(), int(e->position().x()), int(e->position().y()), e->modifiers());
        };
        view->OnMouseUp = [this](TEnhImage* v, QMouseEvent* e) {
            ImageMouseUp(v, e->button(), int(e->position().x()), int(e->position().y()));
        };
        view->OnPaint = [this](TEnhImage* v, QPainter& p) { ImagePaint(v, p); };
    }
    connect(this, &QMdiSubWindow::aboutToActivate, this, [this] { StateChange(0); });
    SetTool(0);
    LayoutViews();
}

TImageForm::~TImageForm()
{
    FDestroying = true;
    // A window destroyed while its worker runs stops it and waits, serving events, until the
    // worker's completion handler has run: the worker never outlives the image it works on.
    WaitForWorker();
    MarkParamsChanged(false);
    SrcImage->SetViewBitmap(nullptr);
    ResImage->SetViewBitmap(nullptr);
}

void TImageForm::WaitForWorker()
{
    IMainThreadInvoker* invoker = MainThreadInvoker();
    // The stop is asked again at every pass: a resampling that ends on its own goes on to a
    // compression, which must not run its course while the window waits to close.
    while (Busy && invoker && (JPEGEngine || ResampleEngine)) {
        StopProcessing();
        invoker->ProcessEvents(10);
    }
}

void TImageForm::StateChange(uint8_t kind)
{
    if (OnStateChange && !FDestroying) OnStateChange(this, kind);
}

// ---- sources ----

void TImageForm::LoadSourceFromClipboard(int number)
{
    LoadSource(TSourceKind::Clipboard, [&] {
        FileInfo.FileName = "NoName" + std::to_string(number);
        FPicture.SetGraphic(std::make_unique<TBitmapGraphic>(GetClipboardBitmap()));
    });
}

void TImageForm::LoadSourceFromBitmap(const TBitmap& bitmap, int number)
{
    std::string keep = FileInfo.FileName;
    LoadSource(TSourceKind::Bitmap, [&] {
        FileInfo.FileName = number >= 0 ? "NoName" + std::to_string(number) : keep;
        FPicture.SetGraphic(std::make_unique<TBitmapGraphic>(bitmap));
    });
}

void TImageForm::LoadSourceFromWindow(TImageForm* window, int)
{
    if (!window) return;
    if (!window->ResampledBitmap) {
        DuplicateFrom(window);
        return;
    }
    LoadSource(TSourceKind::Resampled, [&] {
        // A new picture, named after the one it was made from and kept in that one's folder: it has
        // no file of its own, so Save asks for one instead of writing beside (or over) the source.
        const std::string from = window->FileInfo.FileName;
        FileInfo.FileName = ExtractFilePath(from) + ExtractFileNameNoExt(from);
        HasFileName = false;
        Resampled = true;
        Image->CopySettingsFrom(*window->Image, false);
        if (window != this) Image->ResamplingOptions = window->ResizeOptions;
        ProfileResizeDone = true;
        std::unique_ptr<TBitmap> bmp = std::move(window->ResampledBitmap);
        FPicture.SetGraphic(std::make_unique<TBitmapGraphic>(std::move(*bmp)));
    });
}

void TImageForm::LoadSourceFromDialog(std::unique_ptr<TGraphic> picture, const TImageFileInfo& info)
{
    LoadSource(TSourceKind::Dialog, [&] {
        FileInfo = info;
        FPicture.SetGraphic(std::move(picture));
        HasFileName = true;
    });
}

void TImageForm::LoadSourceFromNames(const std::vector<std::string>& names)
{
    LoadSource(TSourceKind::Names, [&] {
        std::string name = names.empty() ? std::string() : names.front();
        FileInfo.FileName = name;
        LoadPicture(FPicture, name, false, 0, 0, FileInfo);
        FileInfo.FileName = name;
    });
}

void TImageForm::LoadSource(TSourceKind kind, const std::function<void()>& fill)
{
    Zoom = 100;
    if (kind != TSourceKind::Resampled) FileInfo = TImageFileInfo();
    // The picture being replaced is freed by fill(): no view may paint it from here on (a failure
    // below shows a box, whose event loop repaints the window).
    SrcImage->SetViewBitmap(nullptr);
    if (SourceAsResult) ResImage->SetViewBitmap(nullptr);
    try {
        fill();
        AfterJpegSource();
        int w = FPicture.Width(), h = FPicture.Height();
        if (w < 1 || h < 1) throw EInvalidGraphic("The picture is empty");
        FileInfo.Bytes24 = int64_t(w) * h * 3;
        if (kind == TSourceKind::Clipboard || kind == TSourceKind::Bitmap || kind == TSourceKind::Resampled) {
            auto* graphic = dynamic_cast<TBitmapGraphic*>(FPicture.Graphic());
            if (!graphic) throw EInvalidGraphic("The picture is not a bitmap");
            TBitmap& bmp = graphic->Bitmap();
            bmp.ConvertTo24();
            FileInfo.FileSize = int64_t(bmp.Stride()) * bmp.Height();
            FileInfo.Width = bmp.Width();
            FileInfo.Height = bmp.Height();
            FileInfo.BitsPerPixel = 24;
            FileInfo.Created = FileInfo.Modified = LocalDateTimeFromUnix(int64_t(std::time(nullptr)));
            FileInfo.FormatIndex = ImageFormatBMP;
            FileInfo.FormatDescription = GetGraphicFormatDescription(FPicture);
        }
        SrcImage->SetViewBitmap(SourceBitmap());
        UpdateResultView();
        MarkParamsChanged(true);
        ForceRun = true;
        ApplyInitialZoom();
        StateChange(0);
        UpdateCaption();
        UpdateSizeStats();
        ShowLoadWarnings();
    } catch (const std::exception& e) {
        LoadFailed(kind, e.what());
    } catch (...) {
        LoadFailed(kind, "");
    }
}

void TImageForm::ShowLoadWarnings()
{
    // The loaders keep the JPEG library's warnings (of JPEG strips in TIFF files); one box shows them.
    auto* tiff = dynamic_cast<TTIFFGraphic*>(FPicture.Graphic());
    if (!tiff || tiff->LibraryWarnings.Count() == 0) return;
    std::string text;
    for (const std::string& line : tiff->LibraryWarnings.Lines()) text += (text.empty() ? "" : "\n") + line;
    tiff->LibraryWarnings.Clear();
    CurrentMessageBox().Show(this, TMsgKind::mkWarning, "Warning", text);
}

void TImageForm::LoadFailed(TSourceKind kind, const char* reason)
{
    Busy = false;
    std::string message = kind == TSourceKind::Resampled ? std::string(SNotEnoughResources)
                                                         : std::string(SCannotLoadImageFrom) + FileInfo.FileName;
    ShowWarning(this, WithReason(message, reason));
    close();
}

std::string TImageForm::WithReason(const std::string& message, const char* reason)
{
    return reason && *reason ? message + "\n" + reason : message;
}

void TImageForm::AfterJpegSource()
{
    auto* jpeg = dynamic_cast<TJPEGImage*>(FPicture.Graphic());
    if (!jpeg) return;
    jpeg->FreeBitmap();
    jpeg->OnProgress = [this](TGraphic*, TProgressStage, int percent, bool, const TRect&, const std::string&) {
        OnDecodeProgress(percent);
    };
    Busy = true;
    try {
        jpeg->EnsureBitmap();
    } catch (...) {
        Busy = false;
        jpeg->OnProgress = nullptr;
        throw;
    }
    Busy = false;
    jpeg->OnProgress = nullptr;
    Image->CopySettingsFrom(*jpeg, !DefaultProfileApplied);
}

void TImageForm::DuplicateFrom(TImageForm* other)
{
    Zoom = 100;
    try {
        FileInfo = other->FileInfo;
        Image->CopySettingsFrom(*other->Image, false);
        TGraphic* g = other->FPicture.Graphic();
        if (auto* jpeg = dynamic_cast<TJPEGImage*>(g)) {
            auto copy = std::make_unique<TJPEGImage>();
            copy->Assign(*jpeg);
            FPicture.SetGraphic(std::move(copy));
        } else if (const TBitmap* bmp = other->SourceBitmap()) {
            FPicture.SetGraphic(std::make_unique<TBitmapGraphic>(*bmp));
        } else {
            throw EInvalidGraphic("The picture is empty");
        }
        SrcImage->SetViewBitmap(SourceBitmap());
        TJPEGProfile rec;
        GetSettingsRecord(*other->Image, rec);
        rec.MatchMask = 0xFFFF;
        ApplySettingsRecord(*Image, rec);
        ProfileResizeDone = other->ProfileResizeDone;
        Resampled = other->Resampled;
        ApplyInitialZoom();
        SetZoom(other->Zoom);
        MarkParamsChanged(true);
        ForceRun = true;
        StateChange(0);
        UpdateCaption();
        UpdateSizeStats();
    } catch (const std::exception& e) {
        LoadFailed(TSourceKind::Duplicate, e.what());
    } catch (...) {
        LoadFailed(TSourceKind::Duplicate, "");
    }
}

void TImageForm::OnDecodeProgress(int percent)
{
    ProgressPercent = percent;
    ProgressOperation = 1;
    StateChange(1);
}

// ---- accessors ----

const TBitmap* TImageForm::SourceBitmap() const
{
    TGraphic* g = FPicture.Graphic();
    if (!g || g->Empty()) return nullptr;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(g)) return jpeg->Bitmap.get();
    return g->GetBitmap();
}

bool TImageForm::HasResult() const
{
    // While a run is on, the image belongs to the worker; the shown result answers.
    if (Busy) return ResultSize > 0;
    return !Image->Empty();
}

std::string TImageForm::GetCommentText() const { return Image->Comments.Text(); }

void TImageForm::SetCommentText(const std::string& text)
{
    Image->Comments.SetText(text);
    MarkParamsChanged(true);
}

int32_t TImageForm::GetRestartInterval() const { return Image->RestartInterval; }

void TImageForm::SetRestartInterval(int32_t value)
{
    bool changed = value < 0 || value != Image->RestartInterval;
    Image->RestartInterval = value;
    if (changed) MarkParamsChanged(true);
}

void TImageForm::UpdateCaption()
{
    setWindowTitle(QString::fromStdString(FileInfo.FileName + "  [zoom:" + std::to_string(Zoom) + "%]"));
}

QSize TImageForm::sizeHint() const
{
    const QMdiArea* area = mdiArea();
    const QSize room = area ? area->viewport()->size() : QSize(640, 480);
    const TRect r = ImageWindowSize(room.width(), room.height());
    return QSize(r.Width(), r.Height());
}

// ---- closing ----

void TImageForm::closeEvent(QCloseEvent* event)
{
    // A run still going is stopped; the window waits for it, serving events, so that its
    // synchronised calls and its completion run. The stop made here does not count as the user's.
    bool stoppedBefore = LastRunStopped;
    if (Busy) {
        WaitForWorker();
        LastRunStopped = stoppedBefore;
    }
    if (IMainThreadInvoker* invoker = MainThreadInvoker()) invoker->ProcessEvents(0);

    if (CanSave() && !Saved && !LastRunStopped && ImageWindowPrefs().WarnToSave) {
        std::string text = "Current compression settings have been applied\r\nto the source image (" +
                           ExtractFileName(FileInfo.FileName) + ")\r\n\r\nSave the result image ?";
        int answer = CurrentMessageBox().Show(this, TMsgKind::mkYesNoCancel, SProductName, text);
        if (answer == mrCancel) {
            event->ignore();
            return;
        }
        if (answer == mrYes) {
            if (OnSaveRequest) OnSaveRequest(this);
            if (!Saved) {
                ShowWarning(this, KResultNotSaved);
                event->ignore();
                return;
            }
        }
    }
    FClosed = true;
    StateChange(2);
    event->accept();
    QMdiSubWindow::closeEvent(event);
}
