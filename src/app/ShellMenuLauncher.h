#pragma once
// Points the file-actions menu at the program's launcher: program starts and opened addresses go
// through MailLauncher(), "Mail Recipient" mails the file by the composer route (mail method 0).
#include <string>
#include <vector>

#include "platform/MessageBox.h"

// tempFiles receives the copies and folders the mail makes; it must outlive the menu.
void InstallShellMenuLauncher(TWindowHandle owner, std::vector<std::string>& tempFiles);
