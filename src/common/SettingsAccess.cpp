#include "common/SettingsAccess.h"

#include <charconv>
#include <string>

#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"
#include "platform/StringList.h"

bool TryStrToInt(const std::string& text, int& value)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    if (first < last && *first == '+') {
        ++first;
        if (first < last && (*first == '-' || *first == '+')) return false;
    }
    if (first == last) return false;
    int v = 0;
    auto [ptr, ec] = std::from_chars(first, last, v, 10);
    if (ec != std::errc() || ptr != last) return false;
    value = v;
    return true;
}

int StrToInt(const std::string& text)
{
    int v = 0;
    if (!TryStrToInt(text, v)) throw EConvertError("'" + text + "' is not a valid integer value");
    return v;
}

void WriteBoolSetting(TSettingsStore* store, TStringList* list, const std::string& name, bool value)
{
    WriteStrSetting(store, list, name, value ? "1" : "0");
}

void WriteIntSetting(TSettingsStore* store, TStringList* list, const std::string& name, int value)
{
    WriteStrSetting(store, list, name, std::to_string(value));
}

void WriteStrSetting(TSettingsStore* store, TStringList* list, const std::string& name, const std::string& value)
{
    if (list)
        list->SetValue(name, value); // an empty text removes the line, which reads back as the default
    else if (store)
        store->WriteValue(name, value);
}

bool ReadBoolSetting(TSettingsStore* store, TStringList* list, const std::string& name, bool defaultValue)
{
    const int value = ReadIntSetting(store, list, name, defaultValue ? 1 : 0);
    // A profile list keeps only the low byte of the integer ("256" reads false); the store takes any
    // non-zero value.
    if (list) return (static_cast<unsigned>(value) & 0xFFu) != 0;
    return value != 0;
}

int ReadIntSetting(TSettingsStore* store, TStringList* list, const std::string& name, int defaultValue)
{
    if (list) {
        std::string text = list->Values(name);
        return text.empty() ? defaultValue : StrToInt(text);
    }
    if (store) {
        std::optional<std::string> text = store->ReadValue(name);
        int v = 0;
        if (text && TryStrToInt(*text, v)) return v;
    }
    return defaultValue;
}

void ReadStrSetting(TSettingsStore* store, TStringList* list, const std::string& name, std::string& result,
                    const std::string& defaultValue)
{
    if (list) {
        std::string text = list->Values(name);
        result = text.empty() ? defaultValue : text;
        return;
    }
    if (store) {
        std::optional<std::string> text = store->ReadValue(name);
        result = text ? *text : defaultValue;
        return;
    }
    result = defaultValue;
}
