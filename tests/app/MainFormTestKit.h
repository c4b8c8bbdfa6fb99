#pragma once
// A main window of its own for each test: settings and profiles in the test's folder, no quiet time
// before a compression, shown.
#include <cstdlib>
#include <memory>

#include "ImageTestKit.h"
#include "app/MainForm.h"
#include "app/QtSettingsStore.h"
#include "workspace/ImageForm.h"

namespace testkit {

class TMainFormTest : public TFolderTest
{
  protected:
    void SetUp() override
    {
        TFolderTest::SetUp();
        // The profiles (and the settings) of this test live in its own folder.
        setenv("QM_SETTINGS_DIR", Dir.path().toLocal8Bit().constData(), 1);
        Form = std::make_unique<TMainForm>(
            std::vector<std::string>{}, std::make_unique<TQtSettingsStore>(Path("QMK.conf")), Path("sock"));
        Form->resize(Width, 900);
        Form->Prefs.ComprDelay = 0;
        Form->ApplyPreferences();
        Form->show();
    }
    void TearDown() override
    {
        for (TImageForm* f : Form->ImageWindows())
            f->SetSaved(true);
        Form.reset();
        unsetenv("QM_SETTINGS_DIR");
    }

    int Width = 1100;
    std::unique_ptr<TMainForm> Form;
};

} // namespace testkit
