#include "common/ui/DesktopApps.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "platform/FileKind.h"

namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::vector<std::string> SplitList(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == sep) {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

// The value escapes of desktop files: \s \n \t \r \\ (and \; kept for lists).
std::string Unescape(const std::string& v)
{
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        switch (char c = v[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default:
            out += '\\';
            out += c;
        }
    }
    return out;
}

// The key/value pairs of one group of an ini-style file.
std::map<std::string, std::string> ReadGroup(const std::string& fileName, const std::string& group)
{
    std::map<std::string, std::string> values;
    if (FileKindOf(fileName) != TFileKind::Regular) return values; // a pipe there would hold the menu
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return values;
    bool inGroup = false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const std::string line = in.readLine().trimmed().toStdString();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inGroup = line == "[" + group + "]";
            continue;
        }
        if (!inGroup) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = QString::fromStdString(line.substr(0, eq)).trimmed().toStdString();
        std::string value = QString::fromStdString(line.substr(eq + 1)).trimmed().toStdString();
        values.emplace(key, value); // a repeated key: the first stands
    }
    return values;
}

bool IsTrue(const std::map<std::string, std::string>& values, const char* key)
{
    auto it = values.find(key);
    return it != values.end() && it->second == "true";
}

// Every desktop entry under the data folders by id; the first folder that has an id wins.
std::map<std::string, TDesktopApp> CollectEntries(const TXdgFolders& folders)
{
    std::map<std::string, TDesktopApp> entries;
    for (const std::string& dataDir : folders.Data) {
        const QString root = QString::fromStdString(dataDir) + "/applications";
        QDirIterator it(root, {"*.desktop"}, QDir::Files, QDirIterator::Subdirectories);
        std::vector<std::pair<std::string, std::string>> found;
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = QDir(root).relativeFilePath(path);
            id.replace('/', '-');
            found.emplace_back(id.toStdString(), path.toStdString());
        }
        std::sort(found.begin(), found.end());
        for (const auto& [id, path] : found) {
            if (entries.count(id)) continue;
            TDesktopApp app;
            if (!ReadDesktopEntry(path, id, app)) app.Hidden = true; // hides lower entries of the id
            entries.emplace(id, app);
        }
    }
    return entries;
}

struct TAssociations
{
    std::vector<std::string> Defaults;
    std::vector<std::string> Added;
    std::set<std::string> Removed;
};

void Append(std::vector<std::string>& list, const std::string& id)
{
    if (std::find(list.begin(), list.end(), id) == list.end()) list.push_back(id);
}

TAssociations ReadAssociations(const std::string& mimeType, const TXdgFolders& folders)
{
    std::vector<std::string> files;
    for (const std::string& dir : folders.Config) files.push_back(dir + "/mimeapps.list");
    for (const std::string& dir : folders.Data) files.push_back(dir + "/applications/mimeapps.list");
    TAssociations a;
    for (const std::string& file : files) {
        const auto values = [&](const char* group) {
            const auto group_values = ReadGroup(file, group);
            auto it = group_values.find(mimeType);
            return it == group_values.end() ? std::vector<std::string>() : SplitList(it->second, ';');
        };
        for (const std::string& id : values("Default Applications")) Append(a.Defaults, id);
        // A removal in a file of higher precedence also takes back the additions of lower files.
        for (const std::string& id : values("Added Associations"))
            if (!a.Removed.count(id)) Append(a.Added, id);
        for (const std::string& id : values("Removed Associations")) a.Removed.insert(id);
    }
    return a;
}

} // namespace

TXdgFolders TXdgFolders::FromEnvironment()
{
    TXdgFolders f;
    const std::string home = Env("HOME");
    std::string dataHome = Env("XDG_DATA_HOME");
    if (dataHome.empty()) dataHome = home + "/.local/share";
    std::string dataDirs = Env("XDG_DATA_DIRS");
    if (dataDirs.empty()) dataDirs = "/usr/local/share:/usr/share";
    std::string configHome = Env("XDG_CONFIG_HOME");
    if (configHome.empty()) configHome = home + "/.config";
    std::string configDirs = Env("XDG_CONFIG_DIRS");
    if (configDirs.empty()) configDirs = "/etc/xdg";
    f.Data.push_back(dataHome);
    for (const std::string& d : SplitList(dataDirs, ':')) f.Data.push_back(d);
    f.Config.push_back(configHome);
    for (const std::string& d : SplitList(configDirs, ':')) f.Config.push_back(d);
    return f;
}

bool ReadDesktopEntry(const std::string& fileName, const std::string& id, TDesktopApp& app)
{
    const auto values = ReadGroup(fileName, "Desktop Entry");
    auto get = [&](const char* key) {
        auto it = values.find(key);
        return it == values.end() ? std::string() : Unescape(it->second);
    };
    if (values.empty() || get("Type") != "Application") return false;
    app.Id = id;
    app.FileName = fileName;
    app.Name = get("Name");
    app.Exec = get("Exec");
    app.Icon = get("Icon");
    app.MimeTypes = SplitList(get("MimeType"), ';');
    app.NoDisplay = IsTrue(values, "NoDisplay");
    app.Hidden = IsTrue(values, "Hidden");
    return true;
}

std::vector<TDesktopApp> AppsForMimeType(const std::string& mimeType, const TXdgFolders& folders)
{
    const std::map<std::string, TDesktopApp> entries = CollectEntries(folders);
    const TAssociations assoc = ReadAssociations(mimeType, folders);
    std::vector<TDesktopApp> apps;
    std::set<std::string> taken;
    auto add = [&](const std::string& id) {
        auto it = entries.find(id);
        if (it == entries.end() || taken.count(id)) return false;
        const TDesktopApp& app = it->second;
        if (app.Hidden || app.NoDisplay || app.Exec.empty()) return false;
        taken.insert(id);
        apps.push_back(app);
        return true;
    };
    // The default is the first listed one that is installed.
    for (const std::string& id : assoc.Defaults)
        if (add(id)) break;
    for (const std::string& id : assoc.Added) add(id);
    for (const auto& [id, app] : entries) {
        if (assoc.Removed.count(id)) continue;
        if (std::find(app.MimeTypes.begin(), app.MimeTypes.end(), mimeType) != app.MimeTypes.end()) add(id);
    }
    return apps;
}

namespace {

// Splits Exec into arguments: blanks separate, double quotes group, and inside quotes a backslash
// takes the next character literally. False on an unterminated quote.
bool SplitExec(const std::string& exec, std::vector<std::string>& args, std::vector<bool>& quoted)
{
    std::string cur;
    bool inArg = false, inQuote = false, wasQuoted = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (inQuote) {
            if (c == '\\' && i + 1 < exec.size()) cur += exec[++i];
            else if (c == '"') inQuote = false;
            else cur += c;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inArg) {
                args.push_back(cur);
                quoted.push_back(wasQuoted);
            }
            cur.clear();
            inArg = wasQuoted = false;
            continue;
        }
        inArg = true;
        if (c == '"') {
            inQuote = wasQuoted = true;
        } else {
            cur += c;
        }
    }
    if (inQuote) return false;
    if (inArg) {
        args.push_back(cur);
        quoted.push_back(wasQuoted);
    }
    return true;
}

} // namespace

std::vector<std::string> ExpandExecLine(const TDesktopApp& app, const std::string& path)
{
    std::vector<std::string> raw;
    std::vector<bool> quoted;
    if (!SplitExec(app.Exec, raw, quoted) || raw.empty()) return {};
    std::vector<std::string> args;
    bool fileGiven = false;
    for (size_t n = 0; n < raw.size(); ++n) {
        const std::string& a = raw[n];
        // A field code standing alone may become several arguments or none.
        if (!quoted[n] && a.size() == 2 && a[0] == '%') {
            switch (a[1]) {
            case 'f': case 'F': case 'u': case 'U':
                if (!fileGiven) args.push_back(path);
                fileGiven = true;
                continue;
            case 'i':
                if (!app.Icon.empty()) {
                    args.push_back("--icon");
                    args.push_back(app.Icon);
                }
                continue;
            case '%':
                args.push_back("%");
                continue;
            default:
                if (a[1] != 'c' && a[1] != 'k') continue; // deprecated or unknown codes go
            }
        }
        std::string out;
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i] != '%' || i + 1 == a.size()) {
                out += a[i];
                continue;
            }
            switch (const char code = a[++i]) {
            case '%': out += '%'; break;
            case 'c': out += app.Name; break;
            case 'k': out += app.FileName; break;
            case 'f': case 'F': case 'u': case 'U':
                // Inside quotes or within a longer argument the path would become part of a text
                // the program may read as a command ("sh -c \"viewer %f\""): such an entry is not used.
                return {};
            default:
                (void)code;
                break;
            }
        }
        args.push_back(out);
    }
    if (!fileGiven) args.push_back(path);
    return args;
}
