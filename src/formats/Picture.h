#pragma once
// A picture of any registered class: holds one graphic and loads a file with the class that the
// format registry names for the file's extension.
#include <memory>
#include <string>

#include "platform/Graphic.h"

class TFileFormatList;

class TPicture
{
public:
    TGraphic* Graphic() const { return FGraphic.get(); }
    // Takes the graphic over (nullptr empties the picture).
    void SetGraphic(std::unique_ptr<TGraphic> graphic) { FGraphic = std::move(graphic); }
    std::unique_ptr<TGraphic> ReleaseGraphic() { return std::move(FGraphic); }
    bool Empty() const { return !FGraphic || FGraphic->Empty(); }
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // Loads the file with the class registered for its extension. An unknown extension raises
    // EInvalidGraphic "Unknown picture file extension (.ext)"; a file that cannot be opened
    // EFOpenError. The new graphic replaces the old one only after a successful load.
    void LoadFromFile(const std::string& fileName);
    void LoadFromFile(const std::string& fileName, const TFileFormatList& formats);

    // Handed to every graphic this picture loads.
    TGraphic::TProgressEvent OnProgress;

private:
    std::unique_ptr<TGraphic> FGraphic;
};
