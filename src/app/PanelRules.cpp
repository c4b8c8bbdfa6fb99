#include "app/PanelRules.h"

#include <algorithm>
#include <charconv>

#include "platform/Round.h"

int32_t TrackToZoom(int32_t p)
{
    if (p >= 50) return 100 - RoundInt((p - 50) * 1.8);
    if (p < 20) return 300 - 5 * p;
    return 200 - RoundInt((p - 20) * 3.33);
}

int32_t ZoomToTrack(int32_t z)
{
    z = std::clamp(z, 10, 300);
    if (z >= 200) return 20 - RoundInt((z - 200) * 0.2);
    if (z >= 100) return 50 - RoundInt((z - 100) * 0.3);
    return RoundInt(105.5 - z / 1.8);
}

bool FilterSwitchChanges(int32_t oldFilter, int32_t newFilter, const std::array<uint8_t, 5>& strengths)
{
    auto strength = [&](int32_t k) { return k >= 1 && k <= 5 ? int(strengths[size_t(k - 1)]) : 0; };
    if (oldFilter == newFilter) return false;
    // One filter of strength 0 standing for none: a change only when the other one does something.
    return strength(oldFilter) > 0 || strength(newFilter) > 0;
}

namespace {

THighlight Between(int32_t a, int32_t b) { return THighlight{true, std::min(a, b), std::max(a, b)}; }

} // namespace

THighlight LevelHighlight(int32_t position, bool enabled, bool holdRatio, bool otherEnabled, int32_t otherPosition)
{
    if (!enabled) return {};
    if (!holdRatio) return Between(1, position);
    return Between(position, otherEnabled ? otherPosition : 50);
}

THighlight EqualizerHighlight(int32_t position, bool fullControl, bool holdRatio)
{
    if (fullControl && !holdRatio) return Between(position, 100);
    return Between(50, position);
}

THighlight StrengthHighlight(int32_t position, bool filterActive)
{
    return filterActive ? Between(0, position) : THighlight{};
}

THighlight RadiusHighlight(int32_t position, bool anyFilterActive)
{
    return anyFilterActive ? Between(1, position) : THighlight{};
}

bool TabsOnLeft(bool tabsOnLeft, int32_t width, int32_t height)
{
    if (tabsOnLeft && width < RoundInt(0.9 * height)) return false;
    if (!tabsOnLeft && width > RoundInt(1.2 * height)) return true;
    return tabsOnLeft;
}

bool IsRatioTextAllowed(const std::string& text)
{
    if (text.size() > 3) return false;
    int points = 0;
    for (char c : text) {
        if (c == '.')
            ++points;
        else if (c < '0' || c > '9')
            return false;
    }
    return points <= 1;
}

std::optional<float> HoldRatioTarget(bool holdDown, const std::string& text)
{
    if (!holdDown) return 0.0f;
    if (!IsRatioTextAllowed(text) || text.empty() || text.back() == '.') return std::nullopt;
    // Independent of the locale's decimal sign.
    double value = 0;
    const char* first = text.data();
    if (text.front() == '.') {
        std::string padded = "0" + text;
        std::from_chars(padded.data(), padded.data() + padded.size(), value);
    } else {
        std::from_chars(first, first + text.size(), value);
    }
    return float(std::max(1, RoundInt(value)));
}
