// Name=Value string lists and the settings store.
#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"
#include "platform/StringList.h"

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

// Text splits at CR LF, LF and CR (LF then CR is two breaks). A name is found on its first line,
// letter case ignored, never as a prefix; a line without "=" has no name; the value runs from the
// first "=". SetValue replaces the first line of a name, appends, or with an empty value deletes.
TEST(StringList, LinesNamesAndValues)
{
    const std::pair<const char*, std::vector<std::string>> texts[] = {
        {"a\r\n\r\n", {"a", ""}}, {"\n", {""}}, {"a\n\rb", {"a", "", "b"}},
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}}};
    TStringList l;
    for (const auto& [text, lines] : texts) {
        l.SetText(text);
        EXPECT_EQ(l.Lines(), lines) << text;
    }
    EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n");
    l.SetText("Quality=75\nquality=10\nNoValue\n=orphan\nPath=a=b");
    const std::tuple<const char*, int, const char*> cases[] = {
        {"QUALITY", 0, "75"}, {"NoValue", -1, ""}, {"", 3, "orphan"}, {"Path", 4, "a=b"}, {"Qual", -1, ""}};
    for (const auto& [name, index, value] : cases) {
        EXPECT_EQ(l.IndexOfName(name), index) << name;
        EXPECT_EQ(l.Values(name), value) << name;
    }
    l.SetValue("Path", "9");
    l.SetValue("C", "x");
    l.SetValue("Quality", "");
    EXPECT_EQ(l.Lines(), (std::vector<std::string>{"quality=10", "NoValue", "=orphan", "Path=9", "C=x"}));
    EXPECT_THROW(l.Delete(5), EListError);
    EXPECT_THROW(l.Insert(6, "x"), EListError);
    l.Insert(5, "e");
    EXPECT_EQ(l.IndexOf("E") + l.IndexOfName("path"), 8);
    EXPECT_EQ(l.Names(3) + l.Names(1) + l.ValueFromIndex(3), "Path9");
    // Add gives the new line's index; Insert takes the front (index 0), not -1.
    TStringList m;
    const int first = m.Add("x");
    const int second = m.Add("y");
    EXPECT_EQ(std::tuple(first, second), std::tuple(0, 1));
    m.Insert(0, "w");
    EXPECT_THROW(m.Insert(-1, "v"), EListError);
    EXPECT_EQ(m.Lines(), (std::vector<std::string>{"w", "x", "y"}));
}

} // namespace
