#include "platform/Graphic.h"

#include "platform/Stream.h"

void TGraphic::LoadFromFile(const std::string& fileName)
{
    TFileStream f(fileName, fmOpenRead);
    LoadFromStream(f);
}

void TGraphic::SaveToFile(const std::string& fileName)
{
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}
