#include "formats/FileFormatList.h"

#include <algorithm>

#include "formats/FormatErrors.h"
#include "platform/Exceptions.h"
#include "platform/StringList.h"

bool TGraphicClass::CanLoadFile(const std::string& fileName) const
{
    if (!CanLoad) return false;
    try {
        TFileStream stream(fileName, fmOpenRead);
        return CanLoad(stream);
    } catch (const Exception&) {
        return false;
    }
}

void TFileFormatList::Clear()
{
    FPictureFormats.clear();
    FExtensionList.clear();
    FClassList.clear();
}

int TFileFormatList::FindExtension(const std::string& extension) const
{
    if (extension.empty()) return -1;
    for (size_t i = 0; i < FExtensionList.size(); ++i)
        if (SameText(FExtensionList[i]->Extension, extension)) return int(i);
    return -1;
}

int TFileFormatList::FindGraphicClass(const TGraphicClass& graphicClass) const
{
    for (size_t i = 0; i < FClassList.size(); ++i)
        if (FClassList[i]->GraphicClass->Type == graphicClass.Type) return int(i);
    return -1;
}

std::string TFileFormatList::GetDescription(const TGraphicClass& graphicClass) const
{
    int i = FindGraphicClass(graphicClass);
    return i < 0 ? std::string() : FClassList[size_t(i)]->Description;
}

const TGraphicClass* TFileFormatList::ClassOf(const TGraphic& graphic) const
{
    for (const auto& entry : FClassList)
        if (entry->GraphicClass->IsClassOf(graphic)) return entry->GraphicClass;
    return nullptr;
}

TClassEntry* TFileFormatList::AttachClass(TExtensionEntry& entry, const std::string& common,
                                          const TGraphicClass& graphicClass)
{
    int index = FindGraphicClass(graphicClass);
    TClassEntry* classEntry;
    if (index < 0) {
        FClassList.push_back(std::make_unique<TClassEntry>());
        classEntry = FClassList.back().get();
        classEntry->GraphicClass = &graphicClass;
    } else {
        classEntry = FClassList[size_t(index)].get();
    }
    if (!common.empty()) classEntry->Description = common;
    ++classEntry->Count;
    entry.ClassReference = classEntry;
    return classEntry;
}

void TFileFormatList::RemoveClassEntry(TClassEntry* entry)
{
    auto it = std::find_if(FClassList.begin(), FClassList.end(), [&](const auto& p) { return p.get() == entry; });
    if (it != FClassList.end()) FClassList.erase(it);
}

void TFileFormatList::RegisterFileFormat(const std::string& extension, const std::string& common,
                                         const std::string& individual, TFormatKinds formatTypes, bool replace,
                                         const TGraphicClass& graphicClass)
{
    if (extension.empty()) return;
    int index = FindExtension(extension);
    TExtensionEntry* entry;
    if (index < 0) {
        FExtensionList.push_back(std::make_unique<TExtensionEntry>());
        entry = FExtensionList.back().get();
        entry->Extension = extension;
        entry->Description = individual;
        entry->FormatTypes = formatTypes;
        AttachClass(*entry, common, graphicClass);
    } else if (replace) {
        entry = FExtensionList[size_t(index)].get();
        TClassEntry* old = entry->ClassReference;
        if (old->GraphicClass->Type != graphicClass.Type) {
            AttachClass(*entry, common, graphicClass);
            if (--old->Count <= 0) RemoveClassEntry(old);
        }
    } else {
        FormatError(DuplicateRegistrationText, extension.c_str());
    }
    const std::string& description = individual.empty() ? entry->ClassReference->Description : individual;
    RegisterPictureFormat(entry->Extension, description, *entry->ClassReference->GraphicClass);
}

void TFileFormatList::UnregisterFileFormat(const std::string& extension, const TGraphicClass& graphicClass)
{
    if (extension.empty()) {
        int classIndex = FindGraphicClass(graphicClass);
        if (classIndex < 0) return;
        TClassEntry* classEntry = FClassList[size_t(classIndex)].get();
        for (size_t i = FExtensionList.size(); i-- > 0 && classEntry->Count > 0;) {
            if (FExtensionList[i]->ClassReference == classEntry) {
                FExtensionList.erase(FExtensionList.begin() + std::ptrdiff_t(i));
                --classEntry->Count;
            }
        }
        const TGraphicClass* cls = classEntry->GraphicClass;
        RemoveClassEntry(classEntry);
        UnregisterPictureClass(*cls);
        return;
    }
    int index = FindExtension(extension);
    if (index < 0) return;
    TExtensionEntry* entry = FExtensionList[size_t(index)].get();
    TClassEntry* classEntry = entry->ClassReference;
    // The extension leaves the picture-loading table with its entry.
    std::erase_if(FPictureFormats, [&](const TPictureFormat& f) { return SameText(f.Extension, entry->Extension); });
    if (--classEntry->Count <= 0) {
        UnregisterPictureClass(*classEntry->GraphicClass);
        RemoveClassEntry(classEntry);
    }
    FExtensionList.erase(FExtensionList.begin() + index);
}

void TFileFormatList::RegisterPictureFormat(const std::string& extension, const std::string& description,
                                            const TGraphicClass& graphicClass)
{
    for (auto& format : FPictureFormats) {
        if (SameText(format.Extension, extension)) {
            format = TPictureFormat{extension, description, &graphicClass};
            return;
        }
    }
    FPictureFormats.push_back(TPictureFormat{extension, description, &graphicClass});
}

void TFileFormatList::UnregisterPictureClass(const TGraphicClass& graphicClass)
{
    std::erase_if(FPictureFormats, [&](const TPictureFormat& f) { return f.GraphicClass->Type == graphicClass.Type; });
}

const TGraphicClass* TFileFormatList::FindPictureClass(const std::string& extension) const
{
    if (extension.empty()) return nullptr;
    for (const auto& format : FPictureFormats)
        if (SameText(format.Extension, extension)) return format.GraphicClass;
    return nullptr;
}

const TGraphicClass* TFileFormatList::GraphicFromContent(TStream& stream) const
{
    const int64_t start = stream.Position();
    for (const auto& entry : FClassList) {
        const TGraphicClass* cls = entry->GraphicClass;
        if (!cls->IsFormatGraphic()) continue;
        bool accepted = false;
        try {
            accepted = cls->CanLoad(stream);
        } catch (const Exception&) {
            accepted = false;
        }
        stream.SetPosition(start);
        if (accepted) return cls;
    }
    return nullptr;
}

const TGraphicClass* TFileFormatList::GraphicFromContent(const std::string& fileName) const
{
    try {
        TFileStream stream(fileName, fmOpenRead);
        return GraphicFromContent(stream);
    } catch (const EStreamError&) {
        return nullptr;
    }
}
