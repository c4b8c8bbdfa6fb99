#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"

namespace {

// Groups share the store and list only their own values (not a sibling's whose name starts the
// same); a missing value differs from an empty one; names keep their letter case; a read-only store
// refuses writes and deletes with a registry error.
TEST(MemorySettingsStore, GroupsEmptyValuesAndReadOnly)
{
    TMemorySettingsStore root;
    root.WriteValue("Top", "");
    auto tb = root.OpenGroup("Toolbars\\");
    tb->OpenGroup("MainBar")->WriteValue("DockRow", "2");
    tb->WriteValue("Rev", "3");
    root.OpenGroup("Toolbarsx")->WriteValue("Other", "x");
    EXPECT_EQ(tb->ValueNames(), std::vector<std::string>{"Rev"});
    EXPECT_EQ(root.OpenGroup("/Toolbars//MainBar/")->ReadValue("DockRow"), "2");
    EXPECT_EQ(root.ReadValue("Toolbars/MainBar/DockRow"), "2"); // a name with a path reaches into groups
    EXPECT_EQ(root.ReadValue("Top"), "");
    EXPECT_FALSE(root.ReadValue("top").has_value());
    EXPECT_TRUE(root.DeleteValue("Top"));
    EXPECT_FALSE(root.DeleteValue("Top"));
    EXPECT_THROW(root.WriteValue("", "x"), ERegistryException); // a value needs a name
    root.SetReadOnly(true);
    EXPECT_THROW(tb->WriteValue("Rev", "4"), ERegistryException);
    EXPECT_THROW(tb->DeleteValue("Rev"), ERegistryException);
    EXPECT_EQ(tb->ReadValue("Rev"), "3");
    EXPECT_EQ(NormalizeSettingsPath("\\Software\\\\QMK/"), "Software/QMK");
}

} // namespace
