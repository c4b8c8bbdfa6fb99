#pragma once
// The writer's save dialog on Qt: "Windows Bitmap (*.bmp)" with the default suffix "bmp", so the
// overwrite question is asked about the name that will be written.
#include "twain/TwainDibWriter.h"

class TQtTwainSaveDialog : public ITwainSaveDialog
{
public:
    std::optional<std::string> AskFileName() override;
};
