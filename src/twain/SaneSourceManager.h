#pragma once
// A source manager that presents SANE devices as sources. It answers the standard's triplets in
// their order (out of order: TWCC_SEQERROR; unknown: TWCC_BADPROTOCOL) and keeps the last
// condition code for DAT_STATUS. Every SANE call except sane_cancel runs on the manager's own
// thread; the main thread waits for one by serving its events.
//
// The default source is kept in the settings ("TWAIN" group, "DefaultSource") and found again by its
// whole name; when it has gone, opening the default source asks for one. Enabling with the
// user interface opens the source dialog; its Scan reads on the manager's thread and posts
// MSG_XFERREADY when the scan has ended (a whole picture, a cancel or an error alike: the transfer
// answers which), its Close posts MSG_CLOSEDSREQ. Without the user interface the scan starts at
// once and a failed or cancelled transfer is followed by MSG_CLOSEDSREQ.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/SettingsStore.h"
#include "twain/SaneDialogs.h"
#include "twain/SourceManager.h"

// Loads libsane.so.1 (Load answers nullptr without it). The dialogs and the settings are not
// owned; without dialogs the default device (the first when none was chosen) is used and scans
// start without a dialog.
class TSaneManagerLoader : public ITwainManagerLoader
{
public:
    TSaneManagerLoader(ISaneDialogs* dialogs, TSettingsStore* settings)
        : FDialogs(dialogs), FSettings(settings)
    {
    }
    std::unique_ptr<ITwainSourceManager> Load() override;

private:
    ISaneDialogs* FDialogs;
    TSettingsStore* FSettings;
};

// Options set by name on the device before each scan, after the manager's own (tests drive the
// SANE test device with them: its picture, depth, feeder, delays and failures).
void SetSaneTestOptions(std::vector<std::pair<std::string, std::string>> options);
