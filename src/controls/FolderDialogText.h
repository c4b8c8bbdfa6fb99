#pragma once
// The texts of the folder dialog: its two caption lists by language, the language id of a locale,
// and the shortened path of its status line.
#include <string>

#include <QLocale>

#include "platform/StringList.h"

// The default lists, one Name=Value line per language: the name is a language id (four upper-case
// hexadecimal digits, the primary language in the low ten bits and the country variant above) or
// "Default". Values are UTF-8.
TStringList DefaultNewFolderCaptions();
TStringList DefaultLabelCaptions();

// The value of the line named langId; else of the line named "Default"; else of the first line;
// empty for an empty list.
std::string ChooseCaption(const TStringList& captions, const std::string& langId);

// The language id of a locale as four hexadecimal digits ("0407" German in Germany, "0C09" English in
// Australia); a known language in a country without its own variant takes its main variant, an
// unknown language "0000".
std::string LangIdFromLocale(const QLocale& locale);

// A path shortened to at most maxLength characters (code points) for a status line: the text up to
// the first "/" stays, then "...", then as many of the last folders as fit ("/.../Pictures/2024");
// a path that still does not fit is cut and ends in "...". A path beginning with "//" (a network
// path) keeps that mark and its first name ("//server/.../photos").
std::string ShortenPath(const std::string& path, int maxLength = 50);
