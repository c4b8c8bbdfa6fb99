#pragma once
// The rules behind the main window's parameter panels and zoom slider: how a slider position maps
// to a setting of the image, when switching a prefilter counts as a change, which part of a slider
// is highlighted, when the area tabs move, and what the ratio edit's text asks for. Pure functions
// without Qt, so that each rule can be checked on its own.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

// ---- zoom slider (positions 0..100; 0 = 300 %, 50 = 100 %, 100 = 10 %) ----
int32_t TrackToZoom(int32_t position);
// The zoom is clamped to 10..300 first.
int32_t ZoomToTrack(int32_t zoom);

// ---- slider positions and image values ----
// Level sliders (1..100): position 1 is quality 100, position 100 quality 1; the map is its own inverse.
inline int32_t LevelToQuality(int32_t position) { return 101 - position; }
inline int32_t QualityToLevel(int32_t quality) { return 101 - quality; }
// Equalizer sliders (0..100): position 0 is band +50, position 100 band -50; its own inverse too.
inline int32_t TrackToBand(int32_t position) { return 50 - position; }
inline int32_t BandToTrack(int32_t band) { return 50 - band; }

// ---- prefilters ----
// The prefilters' names, index = filter - 1.
inline constexpr const char* KPrefilterNames[5] = {"Unsharp Masking", "Luma Equalizing", "Noise Removing",
                                                    "Range Equalizing", "Smoothing"};
// Whether making newFilter the active one instead of oldFilter (0 = none, 1..5) changes the result,
// given the strengths of the five filters (index = filter - 1): a filter of strength 0 does nothing,
// so switching it on or off, or between two such filters, is no change.
bool FilterSwitchChanges(int32_t oldFilter, int32_t newFilter, const std::array<uint8_t, 5>& strengths);
// Whether a new radius changes the result: only while a filter is active.
inline bool FilterRadiusChanges(int32_t activeFilter, int32_t oldRadius, int32_t newRadius)
{
    return activeFilter > 0 && oldRadius != newRadius;
}

// ---- highlighted ranges ----
struct THighlight
{
    bool Shown = false;
    int32_t From = 0;
    int32_t To = 0; // From <= To
};
// A level slider at position: with hold-ratio up from 1 to the position; with it down between the
// position and the other level slider's position (50 when that slider is disabled). A disabled
// slider shows none.
THighlight LevelHighlight(int32_t position, bool enabled, bool holdRatio, bool otherEnabled, int32_t otherPosition);
// An equalizer slider: in Full Control mode without hold-ratio from the position to 100, otherwise
// between 50 and the position.
THighlight EqualizerHighlight(int32_t position, bool fullControl, bool holdRatio);
// A prefilter strength slider shows its range (from 0) only for the active filter; the radius
// slider (from 1) only while a filter is active.
THighlight StrengthHighlight(int32_t position, bool filterActive);
THighlight RadiusHighlight(int32_t position, bool anyFilterActive);

// ---- area tabs of a parameter toolbar ----
// Whether the tabs stand on the left after the toolbar took width x height: tabs on the left move
// to the top when the width falls below Round(0.9 x height); tabs on top move back when the width
// exceeds Round(1.2 x height); between the two nothing changes.
bool TabsOnLeft(bool tabsOnLeft, int32_t width, int32_t height);

// ---- target ratio ----
// The ratio edit holds at most three characters of digits with at most one decimal point.
bool IsRatioTextAllowed(const std::string& text);
// The target the hold-ratio button and the ratio edit ask for: 0 with the button up, else
// Max(1, Round(value)); nothing for a text that is not yet a number (empty, a lone or trailing
// point), which leaves the target as it was.
std::optional<float> HoldRatioTarget(bool holdDown, const std::string& text);
