#include "twain/SaneOptions.h"

#include <cstdlib>
#include <cstring>

namespace {

int FindOption(TSaneLibrary& lib, SANE_Handle handle, const std::string& name,
               const SANE_Option_Descriptor*& desc)
{
    for (SANE_Int i = 1;; ++i) {
        desc = lib.get_option_descriptor(handle, i);
        if (desc == nullptr) return -1;
        if (desc->name != nullptr && name == desc->name) return i;
    }
}

bool IsActive(const SANE_Option_Descriptor* d) { return SANE_OPTION_IS_ACTIVE(d->cap); }

std::vector<std::string> StringList(const SANE_Option_Descriptor* d)
{
    std::vector<std::string> list;
    if (d->constraint_type == SANE_CONSTRAINT_STRING_LIST)
        for (const SANE_String_Const* s = d->constraint.string_list; *s != nullptr; ++s)
            list.emplace_back(*s);
    return list;
}

double WordValue(const SANE_Option_Descriptor* d, SANE_Word w)
{
    return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : w;
}

} // namespace

TSaneDeviceOptions ReadSaneDeviceOptions(TSaneLibrary& lib, SANE_Handle handle)
{
    TSaneDeviceOptions o;
    const SANE_Option_Descriptor* d = nullptr;
    if (FindOption(lib, handle, "mode", d) > 0 && IsActive(d) && d->type == SANE_TYPE_STRING) {
        o.Modes = StringList(d);
        o.Mode = GetSaneTextOption(lib, handle, "mode");
    }
    int index = FindOption(lib, handle, "depth", d);
    if (index > 0 && IsActive(d) && d->type == SANE_TYPE_INT) {
        if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST)
            for (SANE_Int i = 1; i <= d->constraint.word_list[0]; ++i)
                o.Depths.push_back(d->constraint.word_list[i]);
        SANE_Word w = 0;
        if (lib.control_option(handle, index, SANE_ACTION_GET_VALUE, &w, nullptr) == SANE_STATUS_GOOD)
            o.Depth = w;
    }
    index = FindOption(lib, handle, "source", d);
    if (index > 0 && IsActive(d) && d->type == SANE_TYPE_STRING) o.Sources = StringList(d);
    index = FindOption(lib, handle, "resolution", d);
    if (index > 0 && IsActive(d) && (d->type == SANE_TYPE_INT || d->type == SANE_TYPE_FIXED) &&
        d->size == sizeof(SANE_Word)) {
        if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
            o.MinResolution = WordValue(d, d->constraint.range->min);
            o.MaxResolution = WordValue(d, d->constraint.range->max);
        } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list[0] > 0) {
            o.MinResolution = WordValue(d, d->constraint.word_list[1]);
            o.MaxResolution = WordValue(d, d->constraint.word_list[d->constraint.word_list[0]]);
        }
        SANE_Word w = 0;
        if (lib.control_option(handle, index, SANE_ACTION_GET_VALUE, &w, nullptr) == SANE_STATUS_GOOD)
            o.Resolution = WordValue(d, w);
    }
    return o;
}

SANE_Status SetSaneOption(TSaneLibrary& lib, SANE_Handle handle, const std::string& name,
                          const std::string& value)
{
    const SANE_Option_Descriptor* d = nullptr;
    const int index = FindOption(lib, handle, name, d);
    if (index < 0 || !SANE_OPTION_IS_SETTABLE(d->cap)) return SANE_STATUS_UNSUPPORTED;
    SANE_Int info = 0;
    switch (d->type) {
    case SANE_TYPE_BOOL: {
        SANE_Word w = value == "yes" || value == "true" || value == "1" ? SANE_TRUE : SANE_FALSE;
        return lib.control_option(handle, index, SANE_ACTION_SET_VALUE, &w, &info);
    }
    case SANE_TYPE_INT:
    case SANE_TYPE_FIXED: {
        char* end = nullptr;
        const double v = std::strtod(value.c_str(), &end);
        if (end == value.c_str() || *end != '\0') return SANE_STATUS_INVAL;
        SANE_Word w = d->type == SANE_TYPE_FIXED ? SANE_FIX(v) : SANE_Word(v);
        if (d->size != sizeof(SANE_Word)) return SANE_STATUS_UNSUPPORTED; // lists of numbers are not set here
        return lib.control_option(handle, index, SANE_ACTION_SET_VALUE, &w, &info);
    }
    case SANE_TYPE_STRING: {
        if (d->size <= 0 || value.size() >= size_t(d->size)) return SANE_STATUS_INVAL;
        std::vector<char> text(size_t(d->size), 0);
        std::memcpy(text.data(), value.data(), value.size());
        return lib.control_option(handle, index, SANE_ACTION_SET_VALUE, text.data(), &info);
    }
    default:
        return SANE_STATUS_UNSUPPORTED;
    }
}

std::string GetSaneTextOption(TSaneLibrary& lib, SANE_Handle handle, const std::string& name)
{
    const SANE_Option_Descriptor* d = nullptr;
    const int index = FindOption(lib, handle, name, d);
    if (index < 0 || !IsActive(d) || d->type != SANE_TYPE_STRING || d->size <= 0) return {};
    std::vector<char> text(size_t(d->size) + 1, 0);
    if (lib.control_option(handle, index, SANE_ACTION_GET_VALUE, text.data(), nullptr) != SANE_STATUS_GOOD)
        return {};
    return text.data();
}

std::string FeederSource(const std::vector<std::string>& sources)
{
    for (const std::string& s : sources)
        if (s.find("Feeder") != std::string::npos || s.find("ADF") != std::string::npos) return s;
    return {};
}
