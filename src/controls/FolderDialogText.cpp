#include "controls/FolderDialogText.h"

#include <algorithm>
#include <cstdio>

#include <QString>

namespace {

struct TCaptionRow
{
    const char* Name;
    const char* NewFolder;
    const char* Label;
};

// UTF-8 texts ("\xC3\xA4" is a-umlaut, "\xC5\xBC" z-dot, "\xC4\x85" a-ogonek).
const TCaptionRow CaptionRows[] = {
    {"Default", "New folder", "Current folder:"},
    {"0009", "New folder", "Current folder:"},
    {"0406", "Ny mappe", "Valgt mappe:"},
    {"0407", "Neuer Ordner", "Ausgew\xC3\xA4hlter Ordner:"},
    {"0409", "New folder", "Current folder:"},
    {"040C", "Nouveau Dossier", "Dossier Courant:"},
    {"0410", "Nuova Cartella", "Cartella selezionata:"},
    {"0413", "Nieuwe map", "Huidige map:"},
    {"0415", "Nowy folder", "Bie\xC5\xBC\xC4\x85" "cy folder"},
    {"0416", "Nova Pasta", "Pasta Atual:"},
    {"0807", "Neuer Ordner", "Ausgew\xC3\xA4hlter Ordner:"},
    {"0809", "New folder", "Current folder:"},
    {"080C", "Nouveau Dossier", "Dossier Courant:"},
    {"0810", "Nuova Cartella", "Cartella selezionata:"},
    {"0C07", "Neuer Ordner", "Ausgew\xC3\xA4hlter Ordner:"},
    {"0C09", "New folder", "Current folder:"},
    {"0C0C", "Nouveau Dossier", "Dossier Courant:"},
    {"1007", "Neuer Ordner", "Ausgew\xC3\xA4hlter Ordner:"},
    {"1009", "New folder", "Current folder:"},
    {"100C", "Nouveau Dossier", "Dossier Courant:"},
    {"1407", "Neuer Ordner", "Ausgew\xC3\xA4hlter Ordner:"},
    {"1409", "New folder", "Current folder:"},
    {"140C", "Nouveau Dossier", "Dossier Courant:"},
    {"1809", "New folder", "Current folder:"},
    {"180C", "Nouveau Dossier", "Dossier Courant:"},
    {"1C09", "New folder", "Current folder:"},
    {"2009", "New folder", "Current folder:"},
    {"2809", "New folder", "Current folder:"},
    {"2C09", "New folder", "Current folder:"},
};

TStringList CaptionList(const char* TCaptionRow::*column)
{
    TStringList list;
    for (const TCaptionRow& row : CaptionRows) list.Add(std::string(row.Name) + "=" + row.*column);
    return list;
}

// Primary language numbers.
struct TLanguageRow
{
    QLocale::Language Language;
    int Primary;
};
const TLanguageRow Languages[] = {
    {QLocale::Arabic, 0x01},     {QLocale::Bulgarian, 0x02},  {QLocale::Catalan, 0x03},
    {QLocale::Chinese, 0x04},    {QLocale::Czech, 0x05},      {QLocale::Danish, 0x06},
    {QLocale::German, 0x07},     {QLocale::Greek, 0x08},      {QLocale::English, 0x09},
    {QLocale::Spanish, 0x0A},    {QLocale::Finnish, 0x0B},    {QLocale::French, 0x0C},
    {QLocale::Hebrew, 0x0D},     {QLocale::Hungarian, 0x0E},  {QLocale::Icelandic, 0x0F},
    {QLocale::Italian, 0x10},    {QLocale::Japanese, 0x11},   {QLocale::Korean, 0x12},
    {QLocale::Dutch, 0x13},      {QLocale::NorwegianBokmal, 0x14}, {QLocale::Polish, 0x15},
    {QLocale::Portuguese, 0x16}, {QLocale::Romanian, 0x18},   {QLocale::Russian, 0x19},
    {QLocale::Croatian, 0x1A},   {QLocale::Slovak, 0x1B},     {QLocale::Albanian, 0x1C},
    {QLocale::Swedish, 0x1D},    {QLocale::Thai, 0x1E},       {QLocale::Turkish, 0x1F},
    {QLocale::Ukrainian, 0x22},  {QLocale::Slovenian, 0x24},  {QLocale::Estonian, 0x25},
    {QLocale::Latvian, 0x26},    {QLocale::Lithuanian, 0x27}, {QLocale::Vietnamese, 0x2A},
};

// Country variants other than the main one (variant 1).
struct TVariantRow
{
    QLocale::Language Language;
    QLocale::Territory Territory;
    int Variant;
};
const TVariantRow Variants[] = {
    {QLocale::German, QLocale::Switzerland, 2},    {QLocale::German, QLocale::Austria, 3},
    {QLocale::German, QLocale::Luxembourg, 4},     {QLocale::German, QLocale::Liechtenstein, 5},
    {QLocale::English, QLocale::UnitedKingdom, 2}, {QLocale::English, QLocale::Australia, 3},
    {QLocale::English, QLocale::Canada, 4},        {QLocale::English, QLocale::NewZealand, 5},
    {QLocale::English, QLocale::Ireland, 6},       {QLocale::English, QLocale::SouthAfrica, 7},
    {QLocale::English, QLocale::Jamaica, 8},       {QLocale::English, QLocale::Belize, 10},
    {QLocale::English, QLocale::TrinidadAndTobago, 11},
    {QLocale::French, QLocale::Belgium, 2},        {QLocale::French, QLocale::Canada, 3},
    {QLocale::French, QLocale::Switzerland, 4},    {QLocale::French, QLocale::Luxembourg, 5},
    {QLocale::French, QLocale::Monaco, 6},         {QLocale::Italian, QLocale::Switzerland, 2},
    {QLocale::Dutch, QLocale::Belgium, 2},         {QLocale::Portuguese, QLocale::Portugal, 2},
};

} // namespace

TStringList DefaultNewFolderCaptions() { return CaptionList(&TCaptionRow::NewFolder); }

TStringList DefaultLabelCaptions() { return CaptionList(&TCaptionRow::Label); }

std::string ChooseCaption(const TStringList& captions, const std::string& langId)
{
    if (captions.Count() == 0) return {};
    for (const std::string& name : {langId, std::string("Default")}) {
        const int index = captions.IndexOfName(name);
        if (index >= 0) return captions.ValueFromIndex(index);
    }
    return captions.ValueFromIndex(0);
}

std::string LangIdFromLocale(const QLocale& locale)
{
    int id = 0;
    const auto language = std::find_if(std::begin(Languages), std::end(Languages),
                                       [&](const TLanguageRow& row) { return row.Language == locale.language(); });
    if (language != std::end(Languages)) {
        int variant = 1;
        for (const TVariantRow& row : Variants)
            if (row.Language == locale.language() && row.Territory == locale.territory()) variant = row.Variant;
        id = variant << 10 | language->Primary;
    }
    char text[8];
    std::snprintf(text, sizeof text, "%04X", unsigned(id));
    return text;
}

std::string ShortenPath(const std::string& path, int maxLength)
{
    const std::u32string p = QString::fromStdString(path).toStdU32String();
    const size_t m = size_t(std::max(maxLength, 0));
    auto text = [](const std::u32string& s) { return QString::fromStdU32String(s).toStdString(); };
    const size_t separatorsAfterTwo = p.size() > 2 ? size_t(std::count(p.begin() + 2, p.end(), U'/')) : 0;
    if (p.size() <= m || maxLength < 6 || p.find(U'/') == std::u32string::npos || separatorsAfterTwo < 2)
        return text(p.substr(0, m));

    std::u32string result, rest = p;
    if (p.compare(0, 2, U"//") == 0) {
        result = U"//";
        rest = p.substr(2);
    }
    const size_t first = rest.find(U'/');
    result += rest.substr(0, first + 1) + U"...";
    rest = rest.substr(first + 1);
    while (result.size() + 1 + rest.size() > m) {
        const size_t next = rest.find(U'/');
        if (next == std::u32string::npos) break;
        rest = rest.substr(next + 1);
    }
    std::u32string full = result + U"/" + rest;
    if (full.size() > m) full = full.substr(0, m - 3) + U"...";
    return text(full);
}
