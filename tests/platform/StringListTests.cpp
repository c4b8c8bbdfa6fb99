#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/StringList.h"

namespace {

// The first line of a name, letter case ignored; a line without "=" has no name; the value runs from
// the first "="; no prefix matches. SetValue replaces the first line of the name, appends, or with an
// empty value deletes it.
TEST(StringList, NameValueLookupAndChange)
{
    TStringList l;
    l.SetText("Quality=75\nquality=10\nNoValue\n=orphan\nPath=a=b\nEmpty=");
    const std::tuple<const char*, int, const char*> cases[] = {
        {"QUALITY", 0, "75"}, {"NoValue", -1, ""}, {"", 3, "orphan"}, {"Path", 4, "a=b"},
        {"Empty", 5, ""},     {"Qual", -1, ""},    {"Quality=75", -1, ""}};
    for (const auto& [name, index, value] : cases) {
        EXPECT_EQ(l.IndexOfName(name), index) << name;
        EXPECT_EQ(l.Values(name), value) << name;
    }
    l.SetValue("Path", "9");
    l.SetValue("C", "x");
    l.SetValue("NoValue", ""); // no such name: nothing to delete
    l.SetValue("Quality", "");
    EXPECT_EQ(l.Lines(), (std::vector<std::string>{"quality=10", "NoValue", "=orphan", "Path=9", "Empty=", "C=x"}));
}

// Text splits at CR LF, LF and CR (LF then CR is two breaks) and joins with CR LF.
TEST(StringList, TextSplitsAtEveryLineBreakKindAndIndexErrorsRaise)
{
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"", {}}, {"a\r\n\r\n", {"a", ""}}, {"\n", {""}}, {"a\n\rb", {"a", "", "b"}}, {"a\nb\rc\r\nd", {"a", "b", "c", "d"}}};
    TStringList l;
    for (const auto& [text, lines] : cases) {
        l.SetText(text);
        EXPECT_EQ(l.Lines(), lines) << text;
    }
    EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_THROW(l.Delete(4), EListError);
    EXPECT_THROW(l.Delete(-1), EListError);
    EXPECT_THROW(l.Insert(5, "x"), EListError);
    l.Insert(4, "e");
    EXPECT_EQ(l.IndexOf("E"), 4);
}

} // namespace
