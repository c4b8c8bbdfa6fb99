#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/StringList.h"

namespace {

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
}

} // namespace
