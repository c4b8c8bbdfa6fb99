#pragma once
// Reading and setting a SANE device's options by name (on the manager's thread).
#include <string>
#include <vector>

#include "twain/SaneLibrary.h"

// What the manager offers of a device's options.
struct TSaneDeviceOptions
{
    std::vector<std::string> Modes;   // "mode"
    std::vector<int> Depths;          // "depth"
    std::vector<std::string> Sources; // "source"
    double MinResolution = 0;         // "resolution"
    double MaxResolution = 0;
    std::string Mode;
    int Depth = 8;
    double Resolution = 0;
};

TSaneDeviceOptions ReadSaneDeviceOptions(TSaneLibrary& lib, SANE_Handle handle);

// Sets an option from text (Booleans "yes"/"no", numbers, strings); SANE_STATUS_UNSUPPORTED when
// the device has no such option, SANE_STATUS_INVAL when the text does not fit its type.
SANE_Status SetSaneOption(TSaneLibrary& lib, SANE_Handle handle, const std::string& name,
                          const std::string& value);

// The text of a string option; empty when the device has none.
std::string GetSaneTextOption(TSaneLibrary& lib, SANE_Handle handle, const std::string& name);

// The source entry that feeds documents ("Automatic Document Feeder", "ADF ..."); empty when none.
std::string FeederSource(const std::vector<std::string>& sources);
