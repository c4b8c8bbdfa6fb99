#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"

namespace {

TEST(SettingsPath, NormalizesSeparatorsAndEmptyParts)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},       {"Toolbars\\", "Toolbars"}, {"\\a\\\\b/", "a/b"},
        {"/", ""},      {"a/b/c", "a/b/c"},         {"Software\\Tarnwick\\QMK\\", "Software/Tarnwick/QMK"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(NormalizeSettingsPath(in), out) << in;
}

TEST(MemorySettingsStore, MissingIsDistinctFromEmpty)
{
    TMemorySettingsStore s;
    EXPECT_FALSE(s.ReadValue("Name").has_value());
    s.WriteValue("Name", "");
    ASSERT_TRUE(s.ReadValue("Name").has_value());
    EXPECT_EQ(*s.ReadValue("Name"), "");
    EXPECT_TRUE(s.ValueExists("Name"));
    EXPECT_FALSE(s.ValueExists("name")); // names keep their letter case
    EXPECT_TRUE(s.DeleteValue("Name"));
    EXPECT_FALSE(s.DeleteValue("Name"));
    EXPECT_FALSE(s.ValueExists("Name"));
}

TEST(MemorySettingsStore, GroupsShareTheStoreAndListOnlyTheirOwnValues)
{
    TMemorySettingsStore root;
    root.WriteValue("Top", "1");
    auto tb = root.OpenGroup("Toolbars\\");
    auto main = tb->OpenGroup("MainBar");
    main->WriteValue("DockRow", "2");
    main->WriteValue("Visible", "1");
    tb->WriteValue("Rev", "3");
    root.OpenGroup("Toolbarsx")->WriteValue("Other", "x"); // a sibling whose name starts the same

    EXPECT_EQ(root.ValueNames(), std::vector<std::string>{"Top"});
    EXPECT_EQ(tb->ValueNames(), std::vector<std::string>{"Rev"});
    EXPECT_EQ(main->ValueNames(), (std::vector<std::string>{"DockRow", "Visible"}));
    EXPECT_EQ(root.OpenGroup("/Toolbars//MainBar/")->ReadValue("DockRow"), "2");
    EXPECT_EQ(root.ReadValue("Toolbars/MainBar/Visible"), "1"); // a name with a path reaches into groups
    EXPECT_EQ(root.OpenGroup("")->ReadValue("Top"), "1");
    EXPECT_TRUE(root.OpenGroup("Nowhere")->ValueNames().empty());
    EXPECT_EQ(root.AllValues().size(), 5u);
}

TEST(MemorySettingsStore, ReadOnlyStoreRefusesWritesWithARegistryError)
{
    TMemorySettingsStore root;
    root.WriteValue("A", "1");
    auto g = root.OpenGroup("G");
    root.SetReadOnly(true);
    EXPECT_THROW(root.WriteValue("A", "2"), ERegistryException);
    EXPECT_THROW(g->WriteValue("B", "2"), ERegistryException);
    EXPECT_THROW(root.DeleteValue("A"), ERegistryException);
    EXPECT_EQ(root.ReadValue("A"), "1");
    root.SetReadOnly(false);
    EXPECT_THROW(root.WriteValue("", "x"), ERegistryException); // a value needs a name
}

} // namespace
