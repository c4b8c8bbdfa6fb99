#pragma once
// The small animation of the batch progress window: the current picture flies from a source folder
// on the left to a destination folder on the right as its file progresses, dips into the right
// folder when it is half-way, and the saved pictures pile up there.
//
// Everything is drawn into cached images: the background (folders and logo, with the landed
// pictures), the logo, the folder cover and the frame, so a progress report only copies. All drawing
// is clipped to the box: a flight may pass its edges.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

class TBatchAnimation
{
public:
    TBatchAnimation(QSize box, QColor face);

    // A new file starts its flight; jitter (0..7) varies how far it travels.
    void StartFlight(int jitter);
    // The file is saved: its picture (the rect part of thumb) stays at its final place in the
    // background.
    void Land(const QImage& thumb, const QRect& rect);
    // Draws the frame for file progress p (0..1); dropJitter (0..4) varies where the picture
    // comes down once it has passed half-way.
    void DrawFrame(const QImage& thumb, const QRect& rect, double p, int dropJitter);

    const QImage& Frame() const { return FFrame; }
    const QImage& Background() const { return FBackground; }
    QSize BoxSize() const { return FFrame.size(); }
    int TravelX() const { return FTravelX; }
    int BaseY() const { return FBaseY; }
    bool Dropped() const { return FDropped; }

    // Where the picture is drawn, relative to its place in the thumbnail, at progress p: it rises
    // from baseY to the top by the middle of the flight and comes down to baseY at the end, while it
    // moves right by travelX.
    static QPoint FlightOffset(double p, int travelX, int baseY);

    static constexpr int FolderWidth = 40;
    static constexpr int FolderHeight = 32;
    static constexpr int CoverTop = 12; // the cover hides the folder below this line

private:
    void DrawBackground();
    QPoint LogoPlace() const;
    QPoint RightFolderPlace() const;
    QPoint LeftFolderPlace() const;

    QColor FFace;
    QImage FFolder, FCover, FLogo;
    QImage FBackground, FFrame;
    int FTravelX = 0;
    int FBaseY = 0;
    bool FDropped = false;
};
