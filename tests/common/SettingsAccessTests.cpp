#include <gtest/gtest.h>

#include "common/SettingsAccess.h"
#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"
#include "platform/StringList.h"

namespace {

constexpr int kThrows = INT32_MIN;

// A value stored as text (nullptr: none) read with the default 7 as an integer and as a Boolean with
// the default true, from a list and from a store (kThrows: a conversion error, -1: not checked).
// Empty text is the default in both; malformed text raises from a list, falls back in a store. A list
// keeps the low byte of the integer as the Boolean, a store any non-zero value.
TEST(SettingsAccess, IntegerAndBooleanReadsInBothStores)
{
    const struct
    {
        const char* stored;
        int listInt, storeInt, listBool, storeBool;
    } cases[] = {
        {nullptr, 7, 7, 1, 1},      {"", 7, 7, 1, 1},          {"0", 0, 0, 0, 0},         {"2", 2, 2, 1, 1},
        {"-1", -1, -1, 1, 1},       {"256", 256, 256, 0, 1},   {"-256", -256, -256, 0, 1},
        {"257", 257, 257, 1, 1},
        {"+5", 5, 5, 1, 1},         {"  12", 12, 12, 1, 1},    {"abc", kThrows, 7, kThrows, 1},
        {"12 ", kThrows, 7, -1, 1}, {"0x10", kThrows, 7, -1, 1}, {"2147483648", kThrows, 7, -1, 1},
        {"+-1", kThrows, 7, -1, 1}, {"2147483647", 2147483647, 2147483647, 1, 1},
    };
    for (const auto& c : cases) {
        const std::string label = c.stored ? c.stored : "(missing)";
        TStringList list;
        TMemorySettingsStore store;
        if (c.stored) {
            list.Add(std::string("Value=") + c.stored);
            store.WriteValue("Value", c.stored);
        }
        if (c.listInt == kThrows) {
            EXPECT_THROW(ReadIntSetting(&store, &list, "Value", 7), EConvertError) << label;
            EXPECT_THROW(ReadBoolSetting(nullptr, &list, "Value", true), EConvertError) << label;
        } else {
            EXPECT_EQ(ReadIntSetting(&store, &list, "Value", 7), c.listInt) << label;
            EXPECT_EQ(ReadBoolSetting(nullptr, &list, "Value", true), c.listBool == 1) << label;
        }
        EXPECT_EQ(ReadIntSetting(&store, nullptr, "Value", 7), c.storeInt) << label;
        EXPECT_EQ(ReadBoolSetting(&store, nullptr, "Value", true), c.storeBool == 1) << label;
    }
}

TEST(SettingsAccess, WritesStoreTextTheListWinsAndEmptyIsTheDefaultOnlyInAList)
{
    TStringList list;
    TMemorySettingsStore store;
    WriteBoolSetting(&store, &list, "Flag", true); // list given: the store is not touched
    WriteIntSetting(&store, &list, "Num", -12);
    WriteStrSetting(&store, &list, "Text", "a=b");
    WriteIntSetting(&store, &list, "Num", 34); // same name again: one line, last value
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"Flag=1", "Num=34", "Text=a=b"}));
    EXPECT_TRUE(store.AllValues().empty());
    EXPECT_EQ(ReadIntSetting(nullptr, &list, "num", 0), 34); // list names ignore letter case
    try {
        ReadIntSetting(nullptr, &list, "Text", 0);
        ADD_FAILURE() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'a=b' is not a valid integer value");
    }

    WriteBoolSetting(&store, nullptr, "Flag", false);
    WriteStrSetting(&store, nullptr, "Text", "");
    EXPECT_EQ(store.AllValues(), (std::map<std::string, std::string>{{"Flag", "0"}, {"Text", ""}}));
    WriteIntSetting(nullptr, nullptr, "Num", 1); // neither store: nothing happens
    EXPECT_EQ(ReadIntSetting(nullptr, nullptr, "Num", 5), 5);

    list.Add("Name=");
    std::string text[4];
    ReadStrSetting(nullptr, &list, "Name", text[0], "def");
    ReadStrSetting(&store, nullptr, "Text", text[1], "def"); // the store keeps an empty text
    ReadStrSetting(&store, nullptr, "Missing", text[2], "def");
    ReadStrSetting(nullptr, nullptr, "Name", text[3], "def");
    EXPECT_EQ(std::vector<std::string>(text, text + 4), (std::vector<std::string>{"def", "", "def", "def"}));

    store.SetReadOnly(true); // a refused write is reported, reads go on
    EXPECT_THROW(WriteBoolSetting(&store, nullptr, "X", true), ERegistryException);
    EXPECT_TRUE(ReadBoolSetting(&store, nullptr, "X", true));
}

} // namespace
