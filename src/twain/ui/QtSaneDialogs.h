#pragma once
// The SANE manager's dialogs on Qt: the modal list of devices, and the source dialog with mode,
// resolution, flatbed or feeder, Scan, Cancel, Close, a progress bar and the device's last error.
// The source dialog is a top-level window with no Qt parent (the parent is disabled while it is
// up, which would disable a child), made transient for the parent's window. Window handles are
// QWidget pointers.
#include "twain/SaneDialogs.h"

class TQtSaneDialogs : public ISaneDialogs
{
public:
    std::optional<size_t> SelectSource(TWindowHandle parent, const std::vector<TSaneDevice>& devices,
                                       size_t preselected) override;
    std::unique_ptr<ISaneSourceDialog> OpenSourceDialog(TWindowHandle parent, const TSourceDialogSetup& setup,
                                                        ISaneSourceDialogClient& client) override;
};
