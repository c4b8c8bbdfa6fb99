#include <gtest/gtest.h>

#include "common/SettingsAccess.h"
#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"
#include "platform/StringList.h"

namespace {

// The stored text of a value, as a list or a store holds it.
struct ReadCase
{
    const char* stored; // nullptr: no value at all
    int def;
    int listInt;        // what a list read gives (kThrows: conversion error)
    int storeInt;       // what a store read gives
};
constexpr int kThrows = INT32_MIN;

TEST(SettingsAccess, IntegerReadsInBothStores)
{
    const ReadCase cases[] = {
        {nullptr, 7, 7, 7},
        {"", 7, 7, 7},           // empty: the default in both
        {"42", 7, 42, 42},
        {"-5", 7, -5, -5},
        {"+5", 7, 5, 5},
        {"  12", 7, 12, 12},     // leading blanks are accepted
        {"abc", 7, kThrows, 7},  // malformed: the list raises, the store falls back
        {"12 ", 7, kThrows, 7},
        {"1.5", 7, kThrows, 7},
        {"0x10", 7, kThrows, 7},
        {"$10", 7, kThrows, 7},
        {"2147483647", 7, 2147483647, 2147483647},
        {"2147483648", 7, kThrows, 7}, // out of range
        {"-", 7, kThrows, 7},
        {"+-1", 7, kThrows, 7},
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
                ReadIntSetting(&store, &list, "Value", c.def);
                ADD_FAILURE() << "no exception for " << label;
            } catch (const EConvertError& e) {
                EXPECT_EQ(std::string(e.what()), "'" + std::string(c.stored) + "' is not a valid integer value");
            }
            EXPECT_THROW(ReadBoolSetting(nullptr, &list, "Value", true), EConvertError) << label;
        } else {
            EXPECT_EQ(ReadIntSetting(&store, &list, "Value", c.def), c.listInt) << label;
        }
        EXPECT_EQ(ReadIntSetting(&store, nullptr, "Value", c.def), c.storeInt) << label;
    }
}

TEST(SettingsAccess, BooleanReadsAreTrueForEveryNonZeroInteger)
{
    struct Case
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
    std::string s;
    ReadStrSetting(nullptr, &list, "Name", s, "def");
    EXPECT_EQ(s, "def");
    ReadStrSetting(&store, nullptr, "Name", s, "def");
    EXPECT_EQ(s, ""); // the store keeps an empty text
    ReadStrSetting(&store, nullptr, "Missing", s, "def");
    EXPECT_EQ(s, "def");
    ReadStrSetting(nullptr, nullptr, "Name", s, "none");
    EXPECT_EQ(s, "none");
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
}

TEST(SettingsAccess, RoundTripThroughAGroupAndRefusedWrites)
{
    TMemorySettingsStore root;
    auto g = root.OpenGroup("Resampling\\");
    WriteIntSetting(g.get(), nullptr, "Width3", 640);
    EXPECT_EQ(ReadIntSetting(g.get(), nullptr, "Width3", 0), 640);
    EXPECT_EQ(root.ReadValue("Resampling/Width3"), "640");

    root.SetReadOnly(true);
    EXPECT_THROW(WriteBoolSetting(&root, nullptr, "X", true), ERegistryException);
    EXPECT_TRUE(ReadBoolSetting(&root, nullptr, "X", true));
}

} // namespace
