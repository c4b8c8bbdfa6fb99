#pragma once
// Registry of the picture file extensions: which graphic class loads an extension, the common
// description of each class and the individual description of each extension. It also keeps the
// extension table that picture loading by file name uses (TPicture) and answers which class loads
// a file by its content. The program's one registry, FileFormatList(), is filled once when first
// used (at start-up) and is read-only afterwards, so loading may run on any thread.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/GraphicClass.h"

// Format kinds of an extension, a set of bits (stored only).
using TFormatKinds = uint8_t;
namespace FormatKind {
constexpr TFormatKinds Animation = 1;
constexpr TFormatKinds Layered = 2;
constexpr TFormatKinds MultiImage = 4;
constexpr TFormatKinds Raster = 8;
constexpr TFormatKinds Vector = 16;
} // namespace FormatKind

struct TClassEntry
{
    const TGraphicClass* GraphicClass = nullptr;
    std::string Description; // common description of the class
    int Count = 0;           // extension entries referring to this class entry
};

struct TExtensionEntry
{
    std::string Extension;   // without a dot
    std::string Description; // individual description (may be empty)
    TFormatKinds FormatTypes = 0;
    TClassEntry* ClassReference = nullptr;
};

// One extension of the picture-loading table: what loading by file name and the open dialog use.
struct TPictureFormat
{
    std::string Extension;
    std::string Description;
    const TGraphicClass* GraphicClass = nullptr;
};

class TFileFormatList
{
public:
    TFileFormatList() = default;
    TFileFormatList(const TFileFormatList&) = delete;
    TFileFormatList& operator=(const TFileFormatList&) = delete;

    void Clear();
    // Registers an extension for a class; an extension known already raises EInvalidGraphic
    // "Attempt to register %s twice." unless replace is set.
    void RegisterFileFormat(const std::string& extension, const std::string& common, const std::string& individual,
                            TFormatKinds formatTypes, bool replace, const TGraphicClass& graphicClass);
    // An empty extension unregisters the whole class.
    void UnregisterFileFormat(const std::string& extension, const TGraphicClass& graphicClass);

    // Index of the extension (compared without regard to ASCII case), -1 when unknown or empty.
    int FindExtension(const std::string& extension) const;
    int FindGraphicClass(const TGraphicClass& graphicClass) const;
    // The common description of a class; empty when it is not registered.
    std::string GetDescription(const TGraphicClass& graphicClass) const;
    // The registered class of a graphic object, or nullptr.
    const TGraphicClass* ClassOf(const TGraphic& graphic) const;

    // The first registered format graphic whose content test accepts the stream (registration
    // order), or nullptr. Classes without a content test are passed over. The stream position is
    // kept; a content test that fails on short or odd data counts as a refusal.
    const TGraphicClass* GraphicFromContent(TStream& stream) const;
    const TGraphicClass* GraphicFromContent(const std::string& fileName) const;

    // Loading by file name: the class registered for an extension (without dot), or nullptr.
    const TGraphicClass* FindPictureClass(const std::string& extension) const;
    const std::vector<TPictureFormat>& PictureFormats() const { return FPictureFormats; }

    int ClassCount() const { return int(FClassList.size()); }
    const TClassEntry& ClassEntry(int index) const { return *FClassList.at(size_t(index)); }
    int ExtensionCount() const { return int(FExtensionList.size()); }
    const TExtensionEntry& ExtensionEntry(int index) const { return *FExtensionList.at(size_t(index)); }

private:
    TClassEntry* AttachClass(TExtensionEntry& entry, const std::string& common, const TGraphicClass& graphicClass);
    void RemoveClassEntry(TClassEntry* entry);
    void RegisterPictureFormat(const std::string& extension, const std::string& description,
                               const TGraphicClass& graphicClass);
    void UnregisterPictureClass(const TGraphicClass& graphicClass);

    std::vector<std::unique_ptr<TClassEntry>> FClassList;
    std::vector<std::unique_ptr<TExtensionEntry>> FExtensionList;
    std::vector<TPictureFormat> FPictureFormats;
};

// The program's registry, filled with every registered format on first use.
const TFileFormatList& FileFormatList();
// Fills a registry with the program's formats (what FileFormatList() holds).
void RegisterStandardFormats(TFileFormatList& list);
