#pragma once
// The abstract picture: what the program's picture classes (the JPEG graphic, the BMP graphic and
// the format graphics) have in common. Drawing belongs to the GUI layer.
#include <functional>
#include <string>

#include "platform/Geometry.h"

class TBitmap;
class TStream;

enum class TProgressStage { psStarting, psRunning, psEnding };

class TGraphic
{
public:
    // (sender, stage, percent 0..100, redraw now, rectangle to redraw, message)
    using TProgressEvent =
        std::function<void(TGraphic* sender, TProgressStage stage, int percent, bool redrawNow, const TRect& r,
                           const std::string& msg)>;

    virtual ~TGraphic() = default;
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    // Raises EInvalidGraphicOperation for a class that cannot write its format.
    virtual void SaveToStream(TStream& stream) = 0;
    // The picture as a bitmap, decoding it first when needed; nullptr when empty.
    virtual const TBitmap* GetBitmap() = 0;

    // Opens the file and loads it; a format whose picture needs more than the stream (a palette
    // in a sibling file) takes the name first.
    virtual void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    bool Modified = false;
    TProgressEvent OnProgress;

protected:
    void Progress(TProgressStage stage, int percent, bool redrawNow, const TRect& r, const std::string& msg)
    {
        if (OnProgress) OnProgress(this, stage, percent, redrawNow, r, msg);
    }
};
