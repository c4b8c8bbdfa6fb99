#include "platform/StringList.h"

#include "platform/Exceptions.h"
#include "platform/Stream.h"

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

int TStringList::Add(const std::string& line)
{
    FLines.push_back(line);
    return int(FLines.size()) - 1;
}

void TStringList::Insert(int index, const std::string& line)
{
    if (index < 0 || index > Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    FLines.insert(FLines.begin() + index, line);
}

void TStringList::Delete(int index)
{
    if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    FLines.erase(FLines.begin() + index);
}

int TStringList::IndexOf(const std::string& s) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(FLines[size_t(i)], s)) return i;
    return -1;
}

std::string TStringList::Names(int index) const
{
    const std::string& line = FLines.at(size_t(index));
    size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

int TStringList::IndexOfName(const std::string& name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string& line = FLines[size_t(i)];
        size_t eq = line.find('=');
        if (eq != std::string::npos && eq == name.size() && SameText(line.substr(0, eq), name)) return i;
    }
    return -1;
}

std::string TStringList::ValueFromIndex(int index) const
{
    const std::string& line = FLines.at(size_t(index));
    size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

std::string TStringList::Values(const std::string& name) const
{
    int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(const std::string& name, const std::string& value)
{
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    if (i < 0)
        Add(name + "=" + value);
    else
        FLines[size_t(i)] = name + "=" + value;
}

std::string TStringList::Text() const
{
    std::string out;
    for (const auto& l : FLines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

void TStringList::SetText(const std::string& text)
{
    FLines.clear();
    size_t i = 0, n = text.size();
    while (i < n) {
        size_t start = i;
        while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
        FLines.push_back(text.substr(start, i - start));
        if (i < n && text[i] == '\r') ++i;
        if (i < n && text[i] == '\n') ++i;
    }
}

void TStringList::LoadFromFile(const std::string& fileName)
{
    TMemoryStream m;
    m.LoadFromFile(fileName);
    SetText(std::string(m.Data().begin(), m.Data().end()));
}

void TStringList::SaveToFile(const std::string& fileName) const
{
    std::string t = Text();
    TFileStream f(fileName, fmCreate);
    f.WriteBuffer(t.data(), int64_t(t.size()));
}
