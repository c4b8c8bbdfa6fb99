#pragma once
// The resize history: the most recently used resize requests, kept in the settings group
// "Resampling\" and offered by the resize dialog and the profile editor, newest first.
//
// The list holds the entries oldest first (at most KResizeHistoryMax); the item texts that go with
// it are newest first, so item 0 is the newest entry (the lists that show them put their own fixed
// first item before these).
//
// Settings: "Number" (entries in use), then for each entry i from 1 (oldest) "Purpose"i,
// "Method"i, "Fidelity"i, "WUnits"i, "HUnits"i, "Width"i, "Height"i and "Aspect"i. The
// resolution is not stored.
#include <string>
#include <vector>

#include "resample/ResamplingOptions.h"

class TSettingsStore;

constexpr int KResizeHistoryMax = 25;

using TResizeHistory = std::vector<TResamplingOptions>; // oldest first

// Reads the history from the group (a "Number" above 25 reads 25, below 0 reads 0; a missing value
// takes its default) into list and, when items is given, replaces items with the entry texts,
// newest first. Malformed values read as their defaults.
void LoadResizeMRU(TResizeHistory& list, std::vector<std::string>* items, TSettingsStore* settings);
// Adds options as the newest entry and returns the new count. Options with Width + Height = 0 are
// not added. An entry equal in purpose, size, units and aspect lock (the newest of several) is
// replaced by options and moved to the newest place; otherwise the entry is added and the oldest
// dropped beyond 25. items, when given, follows: the entry's text, made from options, at index 0.
int AddResizeMRU(TResizeHistory& list, std::vector<std::string>* items, const TResamplingOptions& options);
// Adds options to a copy of list and writes "Number" and every entry into the group.
void SaveResizeMRU(const TResizeHistory& list, const TResamplingOptions& options, TSettingsStore* settings);
// "Resized Image Width:640 pixels Height:480 pixels {B-Spline}": the purpose, each side greater
// than 0 with its unit (inches with two decimals), and the method.
std::string FormatResizeOptions(const TResamplingOptions& options);
