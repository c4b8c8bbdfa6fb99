#pragma once
// The one way the program reads a picture file: by the file's extension first, then by what its
// content looks like, filling the image file information record on the way.
#include <memory>
#include <string>

#include "formats/ImageFileInfo.h"

class TGraphic;
class TPicture;
class TFileFormatList;

// Message of a load that raised nothing but left no picture.
inline constexpr const char* EmptyPictureText = "Cannot load image. The file holds no picture.";

// Loads the file into the picture and fills info. A name that is no regular file (a folder, a
// named pipe, a device) is refused at once with an Exception saying what it is. When the load by
// extension fails (or leaves an empty picture) the content decides: a BMP signature, a JPEG
// signature, then the registry's content test. When nothing loads, the picture is emptied and a
// plain Exception carries the message of the load by extension. With fitToBox, a JPEG is decoded at
// the reduced scale that fits the box (boxWidth x boxHeight); when that decode fails, the picture is
// emptied as well and a plain Exception carries the decoder's message.
void LoadPicture(TPicture& picture, const std::string& fileName, bool fitToBox, int boxWidth, int boxHeight,
                 TImageFileInfo& info);
void LoadPicture(TPicture& picture, const std::string& fileName, bool fitToBox, int boxWidth, int boxHeight,
                 TImageFileInfo& info, const TFileFormatList& formats);

// The content sniffer: the first of BMP (when IsBitmapFile), JPEG (when IsJpegFile) and the class
// the registry's content test names that loads the file into a non-empty picture; nullptr if none.
std::unique_ptr<TGraphic> LoadGraphicByContent(const std::string& fileName);
std::unique_ptr<TGraphic> LoadGraphicByContent(const std::string& fileName, const TFileFormatList& formats);

// False only when the file's first two bytes are not "BM" (not FF D8); a file that cannot be
// opened answers true, so that the load that follows reports it.
bool IsBitmapFile(const std::string& fileName);
bool IsJpegFile(const std::string& fileName);
