#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/StringList.h"

namespace {

TStringList ListOf(std::initializer_list<const char*> lines)
{
    TStringList l;
    for (auto* s : lines) l.Add(s);
    return l;
}

TEST(StringList, NameValueLookup)
{
    TStringList l = ListOf({"Quality=75", "quality=10", "NoValue", "=orphan", "Path=a=b", "Empty="});
    // the first line of a name, letter case ignored; a line without "=" has no name; the value runs
    // from the first "="; no prefix matches
    const struct
    {
        const char* name;
        int index;
        const char* value;
    } cases[] = {{"Quality", 0, "75"}, {"QUALITY", 0, "75"}, {"NoValue", -1, ""}, {"", 3, "orphan"},
                 {"Path", 4, "a=b"},   {"Empty", 5, ""},     {"Qual", -1, ""},    {"Quality=75", -1, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(l.IndexOfName(c.name), c.index) << c.name;
        EXPECT_EQ(l.Values(c.name), c.value) << c.name;
    }
    EXPECT_EQ(l.Names(2), "");
    EXPECT_EQ(l.ValueFromIndex(2), "");
    EXPECT_EQ(l.Names(4), "Path");
}

TEST(StringList, SetValueReplacesTheFirstLineAppendsOrDeletes)
{
    TStringList l = ListOf({"A=1", "B=2", "a=3"});
    l.SetValue("A", "9");
    EXPECT_EQ(l.Lines(), (std::vector<std::string>{"A=9", "B=2", "a=3"}));
    l.SetValue("C", "x");
    EXPECT_EQ(l.Lines().back(), "C=x");
    l.SetValue("a", ""); // an empty value deletes the first line of that name
    EXPECT_EQ(l.Lines(), (std::vector<std::string>{"B=2", "a=3", "C=x"}));
    l.SetValue("Missing", "");
    EXPECT_EQ(l.Count(), 3);
}

TEST(StringList, TextSplitsAtEveryLineBreakKind)
{
    // LF then CR is two breaks
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"", {}},       {"a", {"a"}},           {"a\r\n", {"a"}},  {"a\r\n\r\n", {"a", ""}},
        {"\n", {""}}, {"a\n\rb", {"a", "", "b"}}, {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
    };
    for (const auto& [text, lines] : cases) {
        TStringList l;
        l.SetText(text);
        EXPECT_EQ(l.Lines(), lines) << text;
    }
    TStringList l = ListOf({"x", "", "y"});
    EXPECT_EQ(l.Text(), "x\r\n\r\ny\r\n");
}

TEST(StringList, IndexErrorsRaiseListError)
{
    TStringList l = ListOf({"a"});
    EXPECT_THROW(l.Delete(1), EListError);
    EXPECT_THROW(l.Delete(-1), EListError);
    EXPECT_THROW(l.Insert(2, "x"), EListError);
    l.Insert(1, "b");
    EXPECT_EQ(l.IndexOf("B"), 1);
}

} // namespace
