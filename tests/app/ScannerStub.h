#pragma once
// A scanner for the tests: always there, every selection chosen, and a 32 x 24 test pattern per
// acquisition (or a failure when Fail is set).
#include <memory>
#include <stdexcept>
#include <string>

#include "app/ScannerCommands.h"
#include "platform/BmpFile.h"
#include "support/GuiTestApp.h"

namespace testkit {

class TStubPicture : public TAcquiredPicture
{
public:
    void WriteBitmapFile(const std::string& path) override { SaveBmpToFile(TestPattern(32, 24), path); }
};

class TStubScanner : public TScannerAccess
{
public:
    int Selections = 0;
    bool Fail = false;
    bool Available() override { return true; }
    bool SelectSource(TWindowHandle) override { return ++Selections, true; }
    std::unique_ptr<TAcquiredPicture> AcquireNative(TWindowHandle) override
    {
        if (Fail) throw std::runtime_error("device gone");
        return std::make_unique<TStubPicture>();
    }
};

} // namespace testkit
