#pragma once
// The JPEG picture class as the format registry knows it ("TJPEGImage").
#include "formats/GraphicClass.h"

const TGraphicClass& JpegGraphicClass();
