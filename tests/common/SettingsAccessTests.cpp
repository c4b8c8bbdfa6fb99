#include <gtest/gtest.h>

#include "common/SettingsAccess.h"
#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"
#include "platform/StringList.h"

namespace {

constexpr int kThrows = INT32_MIN;

// An integer stored as text (nullptr: no value) read with the default 7: what a list read gives
// (kThrows: a conversion error) and what a store read gives. Empty text is the default in both;
// leading blanks are accepted; malformed or out-of-range text raises from a list, falls back in a store.
TEST(SettingsAccess, IntegerReadsInBothStores)
{
    const struct
    {
        const char* stored;
        int listInt, storeInt;
    } cases[] = {
        {nullptr, 7, 7},     {"", 7, 7},           {"42", 42, 42},      {"-5", -5, -5},
        {"+5", 5, 5},        {"  12", 12, 12},     {"abc", kThrows, 7}, {"12 ", kThrows, 7},
        {"1.5", kThrows, 7}, {"0x10", kThrows, 7}, {"$10", kThrows, 7}, {"2147483648", kThrows, 7},
        {"-", kThrows, 7},   {"+-1", kThrows, 7},  {"2147483647", 2147483647, 2147483647},
    };
    for (const auto& c : cases) {
        std::string label = c.stored ? c.stored : "(missing)";
        TStringList list;
        TMemorySettingsStore store;
        if (c.stored) {
            list.Add(std::string("Value=") + c.stored);
            store.WriteValue("Value", c.stored);
        }
        if (c.listInt == kThrows) {
            try {
                ReadIntSetting(&store, &list, "Value", 7);
                ADD_FAILURE() << "no exception for " << label;
            } catch (const EConvertError& e) {
                EXPECT_EQ(e.what(), "'" + std::string(c.stored) + "' is not a valid integer value");
            }
            EXPECT_THROW(ReadBoolSetting(nullptr, &list, "Value", true), EConvertError) << label;
        } else {
            EXPECT_EQ(ReadIntSetting(&store, &list, "Value", 7), c.listInt) << label;
        }
        EXPECT_EQ(ReadIntSetting(&store, nullptr, "Value", 7), c.storeInt) << label;
    }
}

TEST(SettingsAccess, BooleanReadsAreTrueForEveryNonZeroInteger)
{
    const struct
    {
        const char* stored;
        bool def, expected;
    } cases[] = {
        {"0", true, false}, {"1", false, true}, {"2", false, true}, {"-1", false, true},
        {"256", false, true}, // not cut to a byte
        {"", true, true},     {"", false, false},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add(std::string("B=") + c.stored);
        TMemorySettingsStore store;
        store.WriteValue("B", c.stored);
        EXPECT_EQ(ReadBoolSetting(nullptr, &list, "B", c.def), c.expected) << c.stored;
        EXPECT_EQ(ReadBoolSetting(&store, nullptr, "B", c.def), c.expected) << c.stored;
    }
    TMemorySettingsStore store;
    store.WriteValue("B", "yes");
    EXPECT_TRUE(ReadBoolSetting(&store, nullptr, "B", true));
    EXPECT_FALSE(ReadBoolSetting(&store, nullptr, "B", false));
}

TEST(SettingsAccess, StringReadsEmptyMeansDefaultOnlyInAList)
{
    TStringList list;
    list.Add("Name=");
    TMemorySettingsStore store;
    store.WriteValue("Name", "");
    auto read = [](TSettingsStore* store, TStringList* list, const char* name) {
        std::string s = "old";
        ReadStrSetting(store, list, name, s, "def");
        return s;
    };
    EXPECT_EQ(read(nullptr, &list, "Name"), "def");
    EXPECT_EQ(read(&store, nullptr, "Name"), ""); // the store keeps an empty text
    EXPECT_EQ(read(&store, nullptr, "Missing"), "def");
    EXPECT_EQ(read(nullptr, nullptr, "Name"), "def");
}

TEST(SettingsAccess, WritesStoreTextAndTheListWins)
{
    TStringList list;
    TMemorySettingsStore store;
    WriteBoolSetting(&store, &list, "Flag", true); // list given: the store is not touched
    WriteIntSetting(&store, &list, "Num", -12);
    WriteStrSetting(&store, &list, "Text", "a=b");
    WriteIntSetting(&store, &list, "Num", 34); // same name again: one line, last value
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"Flag=1", "Num=34", "Text=a=b"}));
    EXPECT_TRUE(store.AllValues().empty());

    WriteBoolSetting(&store, nullptr, "Flag", false);
    WriteIntSetting(&store, nullptr, "Num", 2147483647);
    WriteStrSetting(&store, nullptr, "Text", "");
    EXPECT_EQ(store.AllValues(),
              (std::map<std::string, std::string>{{"Flag", "0"}, {"Num", "2147483647"}, {"Text", ""}}));

    WriteIntSetting(nullptr, nullptr, "Num", 1); // neither store: nothing happens
    EXPECT_EQ(ReadIntSetting(nullptr, nullptr, "Num", 5), 5);

    std::string s;
    ReadStrSetting(nullptr, &list, "Text", s, "");
    EXPECT_EQ(s, "a=b");
    EXPECT_EQ(ReadIntSetting(nullptr, &list, "num", 0), 34); // list names ignore letter case

    store.SetReadOnly(true); // a refused write is reported, reads go on
    EXPECT_THROW(WriteBoolSetting(&store, nullptr, "X", true), ERegistryException);
    EXPECT_TRUE(ReadBoolSetting(&store, nullptr, "X", true));
}

} // namespace
