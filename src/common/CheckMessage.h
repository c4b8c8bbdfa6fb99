#pragma once
// Questions and notes the user can silence: a box with "Don't show this message again". The
// caller names a value of the settings; when the user ticks the box, the answer given is stored
// there ("6" Yes, "7" No, "1" OK) and later calls return that answer without showing anything.
// A ticked No therefore keeps answering No; only IsConsent answers go on. An unticked answer, a
// Cancel and a box closed with Esc or its title bar (answered No or Cancel) store nothing.
// A stored "1" in a Yes/No question (what earlier versions stored for either answer) reads as Yes,
// as it always did.
#include <string>

#include "platform/MessageBox.h"

class TSettingsStore;

// Returns the answer (mrOk, mrCancel, mrYes, mrNo), shown or remembered. Buttons, sizes and icon as
// TCheckMessage. The settings store may be nullptr (the box is then always shown, nothing stored).
// A store that refuses the write raises ERegistryException. shown (when given) tells whether the
// box was on the screen: a caller whose Yes starts something of its own (the help offer) acts only
// on a Yes given now, not on a remembered one.
int ShowCheckMessage(TWindowHandle owner, const std::string& text, TSettingsStore* key, const std::string& valueName,
                     int iconIndex, int buttons, int width, int height, int topOffset, bool* shown = nullptr);

// True for the answers that let the caller go on: Yes and OK.
inline bool IsConsent(int answer) { return answer == mrYes || answer == mrOk; }

// The program's uses of the box.
struct TCheckMessageUse
{
    const char* ValueName;
    const char* Text;
    int IconIndex, Buttons, Width, Height, TopOffset;
};
extern const TCheckMessageUse CmConfirmOverwrite;      // saving over the source image
extern const TCheckMessageUse CmConfirmBatchOverwrite; // batch output names equal to the sources
extern const TCheckMessageUse CmHelpOffer;             // the help offer when the program closes
extern const TCheckMessageUse CmColorDepth;            // the colour-depth warning at start

int ShowCheckMessage(TWindowHandle owner, TSettingsStore* key, const TCheckMessageUse& use, bool* shown = nullptr);
