#pragma once
// A list of text lines with Name=Value access, as the settings accessors and profile files use it.
// Name lookup ignores letter case (ASCII). Setting a value to the empty text removes the line.
#include <string>
#include <vector>

class TStringList
{
public:
    int Count() const { return int(FLines.size()); }
    const std::string& operator[](int index) const { return FLines.at(size_t(index)); }
    std::string& operator[](int index) { return FLines.at(size_t(index)); }
    const std::vector<std::string>& Lines() const { return FLines; }

    int Add(const std::string& line);
    void Insert(int index, const std::string& line);
    void Delete(int index);
    void Clear() { FLines.clear(); }

    // Index of the line equal to s (letter case ignored), or -1.
    int IndexOf(const std::string& s) const;
    // Index of the first line whose name (the text before the first '=') equals name, or -1.
    int IndexOfName(const std::string& name) const;
    // The name part of line index (empty when it has no '=').
    std::string Names(int index) const;
    // The value part of line index (empty when it has no '=').
    std::string ValueFromIndex(int index) const;
    // The value of the first line with this name; empty when there is none.
    std::string Values(const std::string& name) const;
    // Replaces the value of the first line with this name, or appends Name=Value; an empty value
    // deletes the line.
    void SetValue(const std::string& name, const std::string& value);

    // All lines, each followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, LF or CR; a final line break does not add an empty line.
    void SetText(const std::string& text);
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<std::string> FLines;
};

// ASCII letter-case-insensitive comparison of two texts.
bool SameText(const std::string& a, const std::string& b);
