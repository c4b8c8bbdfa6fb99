#pragma once
// Reading and writing Boolean, integer and text settings in one of two stores: a settings store
// (the program's settings, platform/SettingsStore.h) or a list of Name=Value lines (a profile).
// When the list is given it is used and the store is ignored; with neither, writes do nothing and
// reads give the default. Both stores keep text: Booleans as "0"/"1", integers in decimal.
//
// A malformed number reads differently in the two stores, on purpose: the settings store falls
// back to the default, while a list raises EConvertError "'%s' is not a valid integer value" so
// that a broken profile file is reported. In a list an empty value reads as the default; in the
// store only a missing value does (an empty text is a text, but not a number).
// A Boolean reads as true for every non-zero integer, in either store.
#include <string>

class TSettingsStore;
class TStringList;

void WriteBoolSetting(TSettingsStore* store, TStringList* list, const std::string& name, bool value);
void WriteIntSetting(TSettingsStore* store, TStringList* list, const std::string& name, int value);
void WriteStrSetting(TSettingsStore* store, TStringList* list, const std::string& name, const std::string& value);

bool ReadBoolSetting(TSettingsStore* store, TStringList* list, const std::string& name, bool defaultValue);
int ReadIntSetting(TSettingsStore* store, TStringList* list, const std::string& name, int defaultValue);
void ReadStrSetting(TSettingsStore* store, TStringList* list, const std::string& name, std::string& result,
                    const std::string& defaultValue);

// Parses a decimal integer of the 32-bit range: optional leading blanks, an optional sign, then
// digits only. False for anything else.
bool TryStrToInt(const std::string& text, int& value);
// The same, raising EConvertError "'text' is not a valid integer value".
int StrToInt(const std::string& text);
