#pragma once
// The texts of the picture dialogs' information panel: a caption and a value per line, chosen by
// the display-option bits. A line whose value is empty shows its caption disabled.
#include <array>
#include <string>

#include "formats/ImageFileInfo.h"

enum TInfoLine { ilFileName, ilFormat, ilWidth, ilHeight, ilFileSize, ilBits, ilRatio, ilDate, ilCount };

struct TPictureInfoTexts
{
    std::array<std::string, ilCount> Captions;
    std::array<std::string, ilCount> Values;
};

// The captions the panel shows before any file was looked at (every value "-").
TPictureInfoTexts EmptyPictureInfoTexts();
// The captions and values for info under the display options (bits of PreviewFrames.h).
TPictureInfoTexts DisplayTextInfo(const TImageFileInfo& info, int displayOptions);
// A local date-time (days since 30 Dec 1899) as the system locale writes a date, a blank and a time;
// empty for 0 or below.
std::string FormatDialogDateTime(double dateTime);
