#pragma once
// The folder memory of the two picture dialogs (open and save): after one of them was used, its
// folder becomes its starting folder and the first entry of its history, and the other dialog's
// history gains it at the end. The display-options byte is one value the two dialogs share
// (TDialogFolders::FileDialogOptions), so what one sets the other has.
#include <string>

#include "app/Prefs.h"

enum class TPictureDialog { Open, Save };

// folder: the folder the dialog was in when it closed (accepted or not); an empty one changes
// nothing.
void RememberDialogFolder(TDialogFolders& folders, TPictureDialog dialog, const std::string& folder);
