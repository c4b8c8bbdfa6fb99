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
    struct Case
    {
        const char* name;
        int index;
        const char* value;
    } cases[] = {
        {"Quality", 0, "75"}, // the first line of that name, letter case ignored
        {"QUALITY", 0, "75"},
        {"NoValue", -1, ""},  // a line without "=" has no name
        {"", 3, "orphan"},
        {"Path", 4, "a=b"},   // the value runs from the first "="
        {"Empty", 5, ""},
        {"Qual", -1, ""},     // no prefix matches
        {"Quality=75", -1, ""},
    };
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
    struct Case
    {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"\n", {""}},
        {"a\n\rb", {"a", "", "b"}}, // LF then CR: two breaks
    };
    for (const auto& c : cases) {
        TStringList l;
        l.SetText(c.text);
        EXPECT_EQ(l.Lines(), c.lines) << c.text;
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
