#include "common/CheckMessage.h"

#include "common/SettingsAccess.h"
#include "common/StrRes.h"

const TCheckMessageUse CmConfirmOverwrite{"ConfirmOverwrite", SConfirmOverwrite, 1, 4, 520, 120, -5};
const TCheckMessageUse CmConfirmBatchOverwrite{"ConfirmBatchOverwrite", SConfirmBatchOverwrite, 1, 4, 520, 180, -5};
const TCheckMessageUse CmHelpOffer{"HelpOffer", SHelpOffer, 0, 4, 430, 155, -5};
const TCheckMessageUse CmColorDepth{"ClrMes", SColorDepthWarning, 4, 0, 0, 0, 0};

namespace {

bool HasNo(int buttons) { return buttons == 3 || buttons == 4; }

// The remembered answer of a box, or mrNone when it is to be shown.
int StoredAnswer(int stored, int buttons)
{
    if (HasNo(buttons)) {
        if (stored == mrYes || stored == mrNo) return stored;
        if (stored == 1) return mrYes; // the flag of earlier versions
        return mrNone;
    }
    return stored == mrOk ? mrOk : mrNone;
}

} // namespace

int ShowCheckMessage(TWindowHandle owner, const std::string& text, TSettingsStore* key, const std::string& valueName,
                     int iconIndex, int buttons, int width, int height, int topOffset, bool* shown)
{
    if (shown) *shown = false;
    if (key) {
        int remembered = StoredAnswer(ReadIntSetting(key, nullptr, valueName, 0), buttons);
        if (remembered != mrNone) return remembered;
    }
    TCheckMessage message;
    message.Caption = SProductName;
    message.Text = text;
    message.IconIndex = iconIndex;
    message.Buttons = buttons;
    message.Width = width;
    message.Height = height;
    message.TopOffset = topOffset;
    if (shown) *shown = true;
    TCheckAnswer answer = CurrentMessageBox().ShowCheck(owner, message);
    // Only a ticked answer is remembered; a Cancel or a dismissed box (which never reports the
    // tick) leaves the value as it was, so the box keeps appearing.
    if (key && answer.DontShowAgain && StoredAnswer(answer.Result, buttons) == answer.Result)
        WriteIntSetting(key, nullptr, valueName, answer.Result);
    return answer.Result;
}

int ShowCheckMessage(TWindowHandle owner, TSettingsStore* key, const TCheckMessageUse& use, bool* shown)
{
    return ShowCheckMessage(owner, use.Text, key, use.ValueName, use.IconIndex, use.Buttons, use.Width, use.Height,
                            use.TopOffset, shown);
}
