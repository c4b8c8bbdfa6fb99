#pragma once
// A picture class as the format registry knows it: its name, how to create an object of it and,
// for the format graphics, the test whether a stream holds a picture of its format.
#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>

#include "platform/Graphic.h"
#include "platform/Stream.h"

struct TGraphicClass
{
    std::string ClassName;
    std::type_index Type;
    std::function<std::unique_ptr<TGraphic>()> Create;
    // Content test: true when the stream at its position holds a picture of this format; leaves the
    // position where it found it. Empty for the classes that picture loading tests itself.
    std::function<bool(TStream&)> CanLoad;

    bool IsFormatGraphic() const { return bool(CanLoad); }
    bool IsClassOf(const TGraphic& graphic) const { return std::type_index(typeid(graphic)) == Type; }
    // Opens the file for reading and asks the content test; false when it cannot be opened.
    bool CanLoadFile(const std::string& fileName) const;
};

// The class record of a graphic class G; G::CanLoad(TStream&) is its content test when it has one.
template <class G>
TGraphicClass MakeGraphicClass(std::string className, std::function<bool(TStream&)> canLoad = {})
{
    return TGraphicClass{std::move(className), std::type_index(typeid(G)), [] { return std::make_unique<G>(); },
                         std::move(canLoad)};
}
