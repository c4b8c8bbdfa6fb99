#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>

#include "app/QtSettingsStore.h"
#include "common/SettingsAccess.h"
#include "platform/Exceptions.h"

namespace {

class QtSettingsStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        ::setenv("QM_SETTINGS_DIR", Dir.path().toLocal8Bit().constData(), 1);
    }
    void TearDown() override { ::unsetenv("QM_SETTINGS_DIR"); }
    std::string Path(const char* rel) const { return Dir.filePath(rel).toStdString(); }
    QTemporaryDir Dir;
};

TEST_F(QtSettingsStoreTest, EnvironmentPointsTheStoreAtAFolderAndValuesSurviveAReopen)
{
    {
        TQtSettingsStore s;
        EXPECT_EQ(s.FileName(), Path("Tarnwick/QMK.conf"));
        EXPECT_FALSE(s.ReadValue("ParamsSaved").has_value()); // first run: nothing there
        WriteBoolSetting(&s, nullptr, "ParamsSaved", true);
        WriteIntSetting(&s, nullptr, "ComprDelay", -1500);
        WriteStrSetting(&s, nullptr, "OpenDir", "/home/u/My Pictures, 2024@x\\y");
        WriteStrSetting(&s, nullptr, "NameDefProfile", "");
        WriteStrSetting(&s, nullptr, "Weird", "@Variant(x)");
        s.OpenGroup("Toolbars\\")->WriteValue("MainBar/Visible", "1");
        s.Flush();
    }
    TQtSettingsStore s;
    EXPECT_TRUE(ReadBoolSetting(&s, nullptr, "ParamsSaved", false));
    EXPECT_EQ(ReadIntSetting(&s, nullptr, "ComprDelay", 0), -1500);
    EXPECT_EQ(s.ReadValue("OpenDir"), "/home/u/My Pictures, 2024@x\\y");
    EXPECT_EQ(s.ReadValue("NameDefProfile"), ""); // an empty text is a value
    EXPECT_EQ(s.ReadValue("Weird"), "@Variant(x)"); // text that looks like a typed value stays text
    EXPECT_EQ(s.OpenGroup("Toolbars")->OpenGroup("MainBar")->ValueNames(), std::vector<std::string>{"Visible"});
    EXPECT_EQ(s.ValueNames(), (std::vector<std::string>{"ComprDelay", "NameDefProfile", "OpenDir", "ParamsSaved",
                                                        "Weird"}));
    EXPECT_TRUE(s.DeleteValue("Weird"));
    EXPECT_FALSE(s.DeleteValue("Weird"));
    EXPECT_THROW(s.WriteValue("\\", "x"), ERegistryException); // no name
}

} // namespace
