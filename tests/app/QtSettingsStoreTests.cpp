#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>

#include "app/QtSettingsStore.h"
#include "platform/Exceptions.h"

namespace {

TEST(QtSettingsStore, EnvironmentPointsTheStoreAtAFolderAndValuesSurviveAReopenAsText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ::setenv("QM_SETTINGS_DIR", dir.path().toLocal8Bit().constData(), 1);
    const std::pair<const char*, const char*> values[] = {
        {"OpenDir", "/home/u/My Pictures, 2024@x\\y"}, {"NameDefProfile", ""}, // an empty text is a value
        {"Weird", "@Variant(x)"}, {"Toolbars/MainBar/Visible", "1"}};     // typed-looking text stays text
    {
        TQtSettingsStore s;
        EXPECT_EQ(s.FileName(), dir.filePath("Tarnwick/QMK.conf").toStdString());
        EXPECT_FALSE(s.ReadValue("OpenDir").has_value()); // first run: nothing there
        for (auto [name, value] : values) s.WriteValue(name, value);
        s.Flush();
    }
    TQtSettingsStore s;
    for (auto [name, value] : values) EXPECT_EQ(s.ReadValue(name), value) << name;
    EXPECT_EQ(s.OpenGroup("Toolbars\\")->OpenGroup("MainBar")->ValueNames(), std::vector<std::string>{"Visible"});
    EXPECT_TRUE(s.DeleteValue("Weird"));
    EXPECT_FALSE(s.DeleteValue("Weird"));
    EXPECT_THROW(s.WriteValue("\\", "x"), ERegistryException); // no name
    ::unsetenv("QM_SETTINGS_DIR");
}

} // namespace
