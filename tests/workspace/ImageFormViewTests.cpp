// The image window's zoom, layouts, tools and selection areas, driven through its mouse handlers.
#include <set>
#include <tuple>

#include <QPaintDevice>
#include <QPaintEngine>

#include "ImageFormFixture.h"
#include "codec/SelUnit.h"

namespace {

// A paint device that keeps the texts drawn on it, each with the place (in device pixels) and font
// it was drawn at, and draws nothing.
class TTextRecordingDevice : public QPaintDevice
{
public:
    struct TDrawnText
    {
        QString Text;
        QPointF At;
        QFont Font;
    };

    TTextRecordingDevice(QSize size, int dpi) : FSize(size), FDpi(dpi) {}
    QPaintEngine* paintEngine() const override { return &FEngine; }
    const std::vector<TDrawnText>& Drawn() const { return FEngine.Drawn; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return FSize.width();
        case PdmHeight: return FSize.height();
        case PdmWidthMM: return FSize.width() * 254 / (10 * FDpi);
        case PdmHeightMM: return FSize.height() * 254 / (10 * FDpi);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return FDpi;
        case PdmDepth: return 32;
        case PdmNumColors: return 0;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    class TEngine : public QPaintEngine
    {
    public:
        TEngine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        Type type() const override { return User; }
        void updateState(const QPaintEngineState& state) override
        {
            if (state.state() & DirtyTransform) FTransform = state.transform();
        }
        void drawTextItem(const QPointF& p, const QTextItem& item) override
        {
            Drawn.push_back({item.text(), FTransform.map(p), item.font()});
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}

        std::vector<TDrawnText> Drawn;

    private:
        QTransform FTransform;
    };

    mutable TEngine FEngine;
    QSize FSize;
    int FDpi;
};

// A window on a black 200 x 100 picture.
class ImageFormViewTest : public ImageFormTest
{
protected:
    void SetUp() override
    {
        ImageFormTest::SetUp();
        Form = NewForm();
        Form->LoadSourceFromBitmap(TBitmap(200, 100), 1);
    }

    void Drag(TEnhImage* view, int x0, int y0, int x1, int y1)
    {
        Form->ImageMouseDown(view, Qt::LeftButton, x0, y0);
        Form->ImageMouseMove(view, Qt::LeftButton, (x0 + x1) / 2, (y0 + y1) / 2);
        Form->ImageMouseMove(view, Qt::LeftButton, x1, y1);
        Form->ImageMouseUp(view, Qt::LeftButton, x1, y1);
    }
    const TSelUnit& Unit(int i) { return Form->Image->SelUnits.Item<TSelUnit>(i); }
    std::tuple<int, int, int, int> Corners(int i)
    {
        return {Unit(i).BegX, Unit(i).BegY, Unit(i).EndX, Unit(i).EndY};
    }

    TImageForm* Form = nullptr;
};

TEST_F(ImageFormViewTest, ZoomResizesTheViewsAndTheCaptionAndContinuousZoomStopsAtTheLimits)
{
    Form->SetZoom(250);
    // No result yet: the result view stays empty.
    EXPECT_EQ(std::tuple(Form->SrcImage->size(), Form->ResImage->size()), std::tuple(QSize(500, 250), QSize(0, 0)));
    EXPECT_EQ(Form->windowTitle(), "NoName1  [zoom:250%]");
    Form->SetTool(1);
    Form->ImageMouseDown(Form->SrcImage, Qt::RightButton, 50, 50);
    EXPECT_TRUE(Form->ZoomActive && Form->ZoomTimerActive);
    for (int i = 0; i < 200; ++i) Form->TimerEvent();
    EXPECT_EQ(Form->Zoom, 10);
    // Another button's release does not stop it; the starting one does.
    Form->ImageMouseUp(Form->SrcImage, Qt::LeftButton, 0, 0);
    EXPECT_TRUE(Form->ZoomActive);
    Form->ImageMouseUp(Form->SrcImage, Qt::RightButton, 0, 0);
    EXPECT_FALSE(Form->ZoomActive || Form->ZoomTimerActive);

    Form->ImageMouseDown(Form->SrcImage, Qt::LeftButton, 5, 5);
    for (int i = 0; i < 200; ++i) Form->TimerEvent();
    EXPECT_EQ(Form->Zoom, 300);
}

TEST_F(ImageFormViewTest, PanningScrollsBothViewsAndTheResultOnlyLayoutScrollsItsOwn)
{
    Form->SetZoom(300);
    Form->ResScrollBox->SetImageSize(600, 300); // as with a result
    Form->CenterView();
    int h0 = Form->SrcScrollBox->HorzPosition();
    Form->ImageMouseDown(Form->SrcImage, Qt::LeftButton, 300, 150);
    Form->ImageMouseMove(Form->SrcImage, Qt::LeftButton, 330, 150);
    // The view moves by 30 / 1.5 = 20 pixels, with the pointer.
    EXPECT_EQ(Form->SrcScrollBox->HorzPosition(), h0 - 20);
    EXPECT_EQ(Form->ResScrollBox->HorzPosition(), Form->SrcScrollBox->HorzPosition());
    // Only the left button held alone pans: with a modifier key or a second button nothing moves.
    Form->ImageMouseMove(Form->SrcImage, Qt::LeftButton, 360, 150, Qt::ControlModifier);
    Form->ImageMouseMove(Form->SrcImage, Qt::LeftButton | Qt::RightButton, 390, 150);
    EXPECT_EQ(Form->SrcScrollBox->HorzPosition(), h0 - 20);

    // Showing the result only, the hidden source box does not hold the result box back to its own
    // (stale) range; shown again, the source box takes the result box's positions.
    Form->ImageMouseUp(Form->SrcImage, Qt::LeftButton, 390, 150);
    Form->SetViewLayout(2);
    Form->ShowSourceAsResult(true);
    Form->ResScrollBox->SetImageSize(2000, 1500); // larger than the view in both directions
    Form->ResScrollBox->SetPositions(150, 120);
    EXPECT_EQ(std::tuple(Form->ResScrollBox->HorzPosition(), Form->ResScrollBox->VertPosition()), std::tuple(150, 120));
    Form->SrcScrollBox->SetImageSize(2000, 1500);
    Form->SetViewLayout(0);
    EXPECT_EQ(std::tuple(Form->SrcScrollBox->HorzPosition(), Form->SrcScrollBox->VertPosition()), std::tuple(150, 120));
}

TEST_F(ImageFormViewTest, ClickOrTinyDragMakesNoAreaAndDeletingAreasIsAChangeOnlyWithSelectiveCompression)
{
    Form->SetTool(2);
    for (uint8_t shape : {0, 1}) {
        Form->SetSelectionShape(shape);
        Form->ImageMouseDown(Form->SrcImage, Qt::LeftButton, 20, 20);
        Form->ImageMouseUp(Form->SrcImage, Qt::LeftButton, 20, 20);
        Drag(Form->SrcImage, 20, 20, 22, 60);
        Drag(Form->ResImage, 20, 20, 60, 18);
        EXPECT_EQ(std::tuple(Form->SelectionCount(), Form->DrawingSelection), std::tuple(0, false));
    }
    Drag(Form->SrcImage, 20, 20, 60, 50);
    ASSERT_EQ(Form->SelectionCount(), 1);
    EXPECT_EQ(std::tuple(Unit(0).Kind, Unit(0).Complete), std::tuple(skEllipse, true));
    EXPECT_EQ(Corners(0), std::make_tuple(100000, 200000, 300000, 500000));
    // The same picture points drawn at twice the zoom store the same millionths.
    Form->SetZoom(200);
    Drag(Form->SrcImage, 40, 40, 120, 100);
    ASSERT_EQ(Form->SelectionCount(), 2);
    EXPECT_EQ(Corners(1), Corners(0));

    // Deleting areas counts as a change only with selective compression.
    Form->MarkParamsChanged(false);
    Form->DeleteLastSelection();
    EXPECT_EQ(std::tuple(Form->SelectionCount(), Form->PendingChanges), std::tuple(1, 0));
    Form->Image->SelectiveCompression = true;
    Drag(Form->SrcImage, 30, 10, 100, 80);
    EXPECT_EQ(Form->PendingChanges, 1);
    Form->DeleteAllSelections();
    EXPECT_EQ(std::tuple(Form->SelectionCount(), Form->PendingChanges), std::tuple(0, 2));
}

TEST_F(ImageFormViewTest, PolygonNeedsTwoClicksAndItsFinishingRightClickOpensNoMenu)
{
    Form->SetTool(2);
    Form->SetSelectionShape(2);
    Form->ImageMouseDown(Form->SrcImage, Qt::LeftButton, 10, 10);
    Form->ImageMouseUp(Form->SrcImage, Qt::LeftButton, 10, 10);
    Form->ImageMouseDown(Form->SrcImage, Qt::RightButton, 50, 50);
    EXPECT_EQ(std::tuple(Form->SelectionCount(), Form->DrawingSelection), std::tuple(0, false));

    Form->ImageMouseDown(Form->SrcImage, Qt::LeftButton, 10, 10);
    Form->ImageMouseDown(Form->SrcImage, Qt::LeftButton, 80, 10);
    Form->ImageMouseMove(Form->SrcImage, Qt::NoButton, 80, 60);
    // Presses in the other view are ignored while an area is drawn.
    Form->ImageMouseDown(Form->ResImage, Qt::LeftButton, 5, 5);
    Form->ImageMouseDown(Form->SrcImage, Qt::RightButton, 80, 60);
    EXPECT_FALSE(Form->PopupAllowed); // the right click that finishes a polygon opens no menu
    ASSERT_EQ(Form->SelectionCount(), 1);
    ASSERT_NE(Unit(0).Points, nullptr);
    EXPECT_EQ(std::tuple(Unit(0).Points->Count(), Unit(0).Complete, Form->HasRectSelection()),
              std::tuple(3, true, false));
}

TEST_F(ImageFormViewTest, RightButtonOpensNoPopUpMenuWhileZooming)
{
    int shown = 0;
    Form->OnPopupMenu = [&](TImageForm*, const QPoint&) { ++shown; };
    for (uint8_t tool : {0, 1}) { // move: a menu; zoom out with the right button: none
        Form->SetTool(tool);
        Form->ImageMouseDown(Form->SrcImage, Qt::RightButton, 30, 30);
        Form->ImageMouseUp(Form->SrcImage, Qt::RightButton, 30, 30);
        EXPECT_EQ(Form->PopupAllowed, tool == 0);
    }
    // The menu request that follows is refused once; later ones are served.
    emit Form->SrcScrollBox->customContextMenuRequested(QPoint(1, 1));
    EXPECT_EQ(shown, 0);
    emit Form->SrcScrollBox->customContextMenuRequested(QPoint(1, 1));
    EXPECT_EQ(shown, 1);
}

TEST_F(ImageFormViewTest, OutlinesArePaintedFromTheAreaState)
{
    // A black picture: the inverted outline shows white on the result view when the source is
    // shown as the result.
    Form->ShowSourceAsResult(true);
    Form->ResScrollBox->SetImageSize(200, 100);
    Form->SetTool(2);
    Drag(Form->SrcImage, 20, 10, 100, 80);
    QImage shot = Form->ResImage->grab().toImage();
    EXPECT_EQ(shot.pixelColor(20, 40), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(60, 40), QColor(Qt::black));
    Form->ToggleSelectionsHidden();
    shot = Form->ResImage->grab().toImage();
    EXPECT_EQ(shot.pixelColor(20, 40), QColor(Qt::black));
}

TEST_F(ImageFormViewTest, DuplicateCopiesPictureSettingsAndAreas)
{
    Form->Image->LumQuality = 77;
    Form->SetTool(2);
    Drag(Form->SrcImage, 10, 10, 30, 30);
    TImageForm* b = NewForm();
    b->LoadSourceFromWindow(Form, 2);
    EXPECT_EQ(std::tie(b->FileInfo.FileName, b->Image->LumQuality, b->Zoom),
              std::tie(Form->FileInfo.FileName, Form->Image->LumQuality, Form->Zoom));
    EXPECT_EQ(b->SelectionCount(), 1);
    ASSERT_NE(b->SourceBitmap(), nullptr);
    EXPECT_NE(b->SourceBitmap(), Form->SourceBitmap());
}

// A 640 x 480 picture in a 100 KB file compressed to 7830 bytes: the ratio is 1:117.7. At every
// window width from the smallest to beyond the default, each piece of the status bar is drawn whole
// inside its panel (the source panel the left half, the result panel the right) or not at all.
TEST_F(ImageFormViewTest, TheStatusBarDrawsEachPieceWholeOrNotAtAllAtEveryWidth)
{
    Form->FileInfo.FileSize = 102400;
    Form->FileInfo.Bytes24 = 921600;
    Form->ResultSize = 7830;
    Form->UpdateSizeStats();
    using TTexts = std::set<QString>;
    // Sizes in KBytes; bytes with the time at 56 kbit/s: 14.6 s and 1.1 s. Each unit in its short
    // forms: before the next figure and ending the panel.
    const std::tuple<int, TTexts, TTexts> rows[] = {
        {4, {"Source: ", "100.0", " Kbytes  [", "K [", "K", "1308", "%*Result]", "%]"},
         {"Result: ", "7.65", " Kbytes  [", "K [", "K", " 8", "%*Source]   ", "%] ", "%]", "1:117.7"}},
        {16, {"Source: ", "102400", " bytes, ", ", ", "14.6", " sec  [", "s [", "s", "1308", "%*Result]", "%]"},
         {"Result: ", "7830", " bytes, ", ", ", "1.1", " sec  [", "s [", "s", " 8", "%*Source]   ", "%] ", "%]",
          "1:117.7"}},
    };
    const QFontMetricsF metrics(Form->StatusBar->font());
    QFont bold = Form->StatusBar->font();
    bold.setBold(true);
    const QFontMetricsF boldMetrics(bold);
    const int smallest = Form->minimumSizeHint().width();
    ASSERT_LT(smallest, 300);
    for (const auto& [options, source, result] : rows) {
        ImageWindowPrefs().ImageInfoOptions = options;
        for (int w = smallest; w <= 900; ++w) {
            Form->resize(w, 300);
            QWidget* bar = Form->StatusBar;
            TTextRecordingDevice device(bar->size(), bar->logicalDpiX());
            bar->render(&device);
            const int half = bar->width() / 2;
            bool ratioShown = false;
            for (const auto& [text, at, font] : device.Drawn()) {
                const bool inSource = at.x() < half;
                const double right = at.x() + (font.bold() ? boldMetrics : metrics).horizontalAdvance(text);
                EXPECT_TRUE((inSource ? source : result).count(text))
                    << "width " << w << ": \"" << text.toStdString() << "\" is no whole piece";
                EXPECT_TRUE(at.x() >= (inSource ? 2 : half + 2) && right <= (inSource ? half : bar->width()) - 2)
                    << "width " << w << ": \"" << text.toStdString() << "\" from " << at.x() << " to " << right
                    << " leaves its panel";
                ratioShown = ratioShown || text == "1:117.7";
            }
            if (w == 900) {
                EXPECT_TRUE(ratioShown) << options;
            }
        }
    }
}

} // namespace
