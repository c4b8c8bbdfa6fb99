#pragma once
// TImageForm: the image window. It holds one source picture, its compressed result and the
// TJPEGImage carrying every compression setting and selection area of the picture, shows source
// and result in two views that scroll and zoom together, and runs at most one worker (resampling
// or compression) at a time. It reports to its owner through OnStateChange.
//
// The result view never shows a bitmap a worker writes: a run decodes into a bitmap of its own,
// which the window takes over on the main thread when the run has ended; until then the view keeps
// the previous result.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMdiSubWindow>
#include <QPixmap>

#include "codec/JPEGImage.h"
#include "formats/ImageFileInfo.h"
#include "formats/Picture.h"
#include "platform/Bitmap.h"
#include "platform/EngineProgress.h"
#include "resample/ResamplingOptions.h"
#include "workspace/ViewMath.h"

class QLabel;
class QPainter;
class TEnhImage;
class TEnhScrollBox;
class TWorkerThread;
class TResampleEngine;

class TImageForm : public QMdiSubWindow
{
    Q_OBJECT
public:
    // Kind 0 activated, 1 changed or progress, 2 closing.
    using TStateChangeEvent = std::function<void(TImageForm* sender, uint8_t kind)>;

    TImageForm(QWidget* parent, TStateChangeEvent onStateChange);
    ~TImageForm() override;

    // ---- sources (a failure is reported in a box and closes the window) ----
    void LoadSourceFromClipboard(int number);
    // number >= 0 names the picture NoName<number>; a negative number keeps the name.
    void LoadSourceFromBitmap(const TBitmap& bitmap, int number);
    // A window holding a resampled bitmap (this one too) gives that up as the new source;
    // any other window is duplicated.
    void LoadSourceFromWindow(TImageForm* window, int number);
    // The picture and information the open-picture dialog loaded.
    void LoadSourceFromDialog(std::unique_ptr<TGraphic> picture, const TImageFileInfo& info);
    // The first name of the list, loaded through LoadPicture.
    void LoadSourceFromNames(const std::vector<std::string>& names);

    // ---- accessors ----
    const TBitmap* SourceBitmap() const;
    const TBitmap* ResultBitmap() const; // what the result view shows
    bool IsSaved() const { return Saved; }
    void SetSaved(bool value) { Saved = value; }
    bool HasResult() const;
    bool CanSave() const { return !Busy && ResultSize > 0; }
    bool HasPendingChanges() const { return PendingChanges > 0; }
    // Closing was allowed or the window is being destroyed: it starts nothing more.
    bool IsClosing() const { return FClosed || FDestroying; }
    std::string GetCommentText() const;
    void SetCommentText(const std::string& text);
    int32_t GetRestartInterval() const;
    void SetRestartInterval(int32_t value);
    void UpdateCaption();

    // ---- status figures, saving, clipboard and export ----
    // "Source: [w x h] x bpp FMT" for the main window's status bar.
    std::string GetSourceInfoText() const;
    // "Grayscale", "Progressive" (joined by ", ") of the source or the result when it is a JPEG.
    std::string GetModeText(bool resultView) const;
    // Writes the result to fileName (empty: over the source, after the one-time confirmation;
    // a remembered refusal of that confirmation asks for another name through OnSaveAsRequest);
    // a copy changes neither the window's name nor its saved state. False when nothing was written.
    // A failure is shown with its reason; the window stays open. The extension rules may write
    // another name than the one given (a JPEG source keeps its own extension): written, when given,
    // receives the path actually written ("" when nothing was).
    bool SaveResult(const std::string& fileName, bool copyOnly, std::string* written = nullptr);
    // The source is a JPEG picture: its result is saved under the source's own extension.
    bool SourceIsJpeg() const;
    // A message and, on a line of its own, the reason it happened (when there is one).
    static std::string WithReason(const std::string& message, const char* reason);
    // The source picture, or the rectangle of the last rectangular selection, to the clipboard.
    void CopyToClipboard();
    // What CopyToClipboard puts there, as a 24-bit bitmap; empty when there is nothing to copy.
    TBitmap ClipboardPicture() const;
    // The source bitmap as a Windows bitmap file; false (after a warning) on failure.
    bool ExportSourceBitmap(const std::string& fileName);
    // The percentages, ratio and panel colours after a run.
    void UpdateSizeStats();

    // ---- compression control ----
    void MarkParamsChanged(bool changed);
    bool AutoCompressDue() const;
    // The clock of the quiet time before a run; tests replace it (nullptr restores the tick count).
    static void SetTickSource(uint32_t (*source)());
    void StartCompression();
    void StartResampling(bool explicitResize, std::function<void(TImageForm*)> callback);
    void StopProcessing();
    void OnEngineProgress(TWorkerThread* sender, uint8_t operation, int percent);

    // ---- views, zoom and tools ----
    void SetViewLayout(uint8_t layout);
    void LayoutViews();
    void SetZoom(int32_t zoom);
    void ZoomToFit();
    bool IsZoomedToFit() const;
    bool CanZoomIn() const { return ::CanZoomIn(Zoom); }
    bool CanZoomOut() const { return ::CanZoomOut(Zoom); }
    bool IsActualSize() const { return Zoom == 100; }
    void CenterView();
    void FitWindowToImage(const QRect& area);
    void SetTool(uint8_t tool);
    void SetSelectionShape(uint8_t shape);
    void ShowSourceAsResult(bool value);
    void TimerEvent();
    const TZoomScales& Scales() const { return FScales; }
    // Three quarters of the MDI area (ImageWindowSize), so that arranging windows keeps them usable.
    QSize sizeHint() const override;

    // ---- selection areas ----
    void BeginSelection(TEnhImage* view, int x, int y);
    void TrackSelection(TEnhImage* view, int x, int y);
    // view nullptr: the window itself (the right-click finish of a polygon).
    void EndSelection(TEnhImage* view, int x, int y);
    void CancelSelection(TEnhImage* view);
    int SelectionCount() const { return Image->SelUnits.Count(); }
    bool HasRectSelection() const;
    void DeleteLastSelection();
    void DeleteAllSelections();
    void ToggleSelectionsHidden();

    // ---- mouse (public so that tests can drive the tools in view coordinates) ----
    void ImageMouseDown(TEnhImage* view, Qt::MouseButton button, int x, int y);
    // Panning and the rubber band of a rectangle or ellipse follow the left button held alone
    // (no other button, no modifier key).
    void ImageMouseMove(TEnhImage* view, Qt::MouseButtons buttons, int x, int y,
                        Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void ImageMouseUp(TEnhImage* view, Qt::MouseButton button, int x, int y);

    // ---- components ----
    TEnhScrollBox* SrcScrollBox;
    TEnhScrollBox* ResScrollBox;
    TEnhImage* SrcImage;
    TEnhImage* ResImage;
    QWidget* Spacer;
    QWidget* StatusBar;

    // ---- state ----
    uint8_t ViewLayout = 0;
    uint8_t Tool = 0;
    uint8_t SelShape = 0;
    TStateChangeEvent OnStateChange;
    bool Saved = true;
    int32_t PendingChanges = 0;
    int32_t Zoom = 100;
    int32_t PanMoveCount = 0;
    int32_t PanX = 0, PanY = 0;
    bool DrawingSelection = false;
    bool ZoomActive = false;
    double ZoomPointX = 0, ZoomPointY = 0;
    TEnhImage* SelectionImage = nullptr;
    int32_t ZoomStep = 2;
    Qt::MouseButton ZoomButton = Qt::NoButton;
    bool SourceAsResult = false;
    bool OverwriteConfirmed = false;
    std::function<void(TImageForm*)> OnResampled;
    TWorkerThread* JPEGEngine = nullptr;
    TResampleEngine* ResampleEngine = nullptr;
    bool LastRunStopped = false;
    std::unique_ptr<TJPEGImage> Image;
    TImageFileInfo FileInfo;
    bool Busy = false;
    bool ForceRun = false;
    int32_t ProgressPercent = 0;
    // While a target-ratio search runs: the percent of its current trial (ProgressPercent is the
    // whole search's); -1 otherwise.
    int32_t ProgressTrialPercent = -1;
    uint8_t ProgressOperation = 0;
    uint32_t LastChangeTick = 0;
    int64_t ResultSize = 0;
    float ComprRatio = 0;
    bool HasFileName = false;
    // The source is a resampled copy of the picture FileInfo names (folder included, extension
    // dropped) and has not been saved under a name of its own yet: Save As starts in that folder.
    bool Resampled = false;
    bool LumChromSync = false, SLumChromSync = false;
    bool SelectionsHidden = false;
    uint8_t SavedPrecision = 0;
    TResamplingOptions ResizeOptions;
    std::unique_ptr<TBitmap> ResampledBitmap;
    bool ProfileResizeDone = false;
    bool ZoomTimerActive = false;
    bool DefaultProfileApplied = false;
    bool KeepOrigDatetime = false;
    // Status figures (UpdateSizeStats): each size as a percentage of the other, panel colours and
    // which panel is raised (the larger size).
    float SrcPercent = 0;
    float ResPercent = 0;
    uint8_t SrcPanelColor = 0; // a TPanelColor (workspace/StatusPanels.h)
    uint8_t ResPanelColor = 0;
    bool SrcPanelRaised = false;
    bool ResPanelRaised = false;
    // The main window's image list, whose pictures the status panels show (not owned; may be null).
    const QList<QPixmap>* StatusImages = nullptr;
    // The image pop-up menu may open for the press or release just handled (not for the right
    // button while an area is drawn or zoom is active); OnPopupMenu shows it at a screen position.
    bool PopupAllowed = true;
    std::function<void(TImageForm*, const QPoint& globalPos)> OnPopupMenu;
    // Runs the main window's save command for this window (the close query's Yes).
    std::function<void(TImageForm*)> OnSaveRequest;
    // Runs the main window's Save As command for this window; true when the result was saved.
    // Saving over the source goes there when the user has chosen never to overwrite it.
    std::function<bool(TImageForm*)> OnSaveAsRequest;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class TSourceKind { Clipboard, Bitmap, Resampled, Duplicate, Dialog, Names };
    void LoadSource(TSourceKind kind, const std::function<void()>& fill);
    void DuplicateFrom(TImageForm* other);
    // Shows the warnings the picture's loader kept, once, in a box captioned "Warning".
    void ShowLoadWarnings();
    // Shows why the source could not be loaded and closes the window.
    void LoadFailed(TSourceKind kind, const char* reason);
    void AfterJpegSource();
    void StateChange(uint8_t kind);
    void CompressionDone(TWorkerThread* worker, const std::function<bool()>& cancelled);
    void ResamplingDone(TWorkerThread* worker);
    void OnDecodeProgress(int percent);
    void WaitForWorker();
    void ApplyZoom(int32_t zoom);
    void ApplyInitialZoom();
    TEnhScrollBox* MainBox() const;
    void ScrollTo(double fx, double fy);
    void ScrollBoxPosChange(TEnhScrollBox* sender);
    void ScrollBoxMouseUp(Qt::MouseButton button);
    void ContextMenuRequested(const QPoint& globalPos);
    void UpdateResultView();
    void UpdateCursors();
    void StartContinuousZoom(TEnhImage* view, Qt::MouseButton button, int x, int y);
    void ImagePaint(TEnhImage* view, QPainter& painter);
    void DrawArea(QPainter& painter, const struct TSelUnit& unit, bool open);
    QRect AreaViewBounds(const struct TSelUnit& unit) const;
    void RepaintArea(TEnhImage* view, const QRect& before);
    void DeleteSelections(const std::function<void()>& remove);
    TBitmap* ResampleSource();

    TPicture FPicture;                       // the source picture
    std::unique_ptr<TBitmap> FShownResult;   // the previous result, shown while a run is on
    std::unique_ptr<TBitmap> FResampleSource; // a 24-bit copy of the source for a resampling run
    TZoomScales FScales;
    bool FStopRequested = false;
    bool FDestroying = false;
    bool FClosed = false; // closing was allowed: the window starts no more runs
};
