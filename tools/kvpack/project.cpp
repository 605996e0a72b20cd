// Reading a kvpack project file (TOML) into a Project.
#include "project.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <filesystem>

#include <toml++/toml.h>

namespace fs = std::filesystem;

namespace kvpack {

ProjectError::ProjectError(const std::string& file, long line, const std::string& message)
    : std::runtime_error(line > 0 ? file + ":" + std::to_string(line) + ": " + message
                                  : file + ": " + message)
{
}

namespace {

// Limits of the setup program's readers: strings are read into 512-byte
// buffers, object ids behind the 9 characters of "OBJECTID=".
const size_t kMaxString = 511;
const size_t kMaxId = 502;

struct Reader {
    std::string file;
    fs::path base;

    [[noreturn]] void Fail(const toml::node* node, const std::string& message) const
    {
        throw ProjectError(file, node ? (long)node->source().begin.line : 0, message);
    }

    std::string Text(const toml::table& table, const char* key, const std::string& fallback,
                     bool required, size_t limit = kMaxString) const
    {
        const toml::node* node = table.get(key);
        if (!node) {
            if (required)
                Fail(&table, std::string("missing \"") + key + "\"");
            return fallback;
        }
        const auto* value = node->as_string();
        if (!value)
            Fail(node, std::string("\"") + key + "\" must be a string");
        const std::string& s = value->get();
        if (s.find('\0') != std::string::npos)
            Fail(node, std::string("\"") + key + "\" holds a NUL character");
        if (s.size() > limit)
            Fail(node, std::string("\"") + key + "\" is longer than " + std::to_string(limit) +
                           " characters");
        return s;
    }

    bool Flag(const toml::table& table, const char* key, bool fallback) const
    {
        const toml::node* node = table.get(key);
        if (!node)
            return fallback;
        if (!node->is_boolean())
            Fail(node, std::string("\"") + key + "\" must be true or false");
        return node->as_boolean()->get();
    }

    const toml::table& Section(const toml::table& root, const char* key, bool required) const
    {
        static const toml::table empty;
        const toml::node* node = root.get(key);
        if (!node) {
            if (required)
                Fail(&root, std::string("missing section [") + key + "]");
            return empty;
        }
        if (!node->is_table())
            Fail(node, std::string("[") + key + "] must be a table");
        return *node->as_table();
    }

    int Mode(const toml::table& table) const
    {
        std::string mode = Text(table, "mode", "always", false);
        if (mode == "always") return 0;
        if (mode == "newer") return 1;
        if (mode == "unless-newer") return 2;
        if (mode == "backup") return 3;
        Fail(table.get("mode"), "mode must be \"always\", \"newer\", \"unless-newer\" or \"backup\"");
    }

    std::string Resolve(const std::string& relative) const
    {
        return (base / fs::u8path(relative)).lexically_normal().u8string();
    }
};

void CheckTarget(const Reader& r, const toml::table& table, const std::string& target)
{
    if (target.size() > kMaxString)
        r.Fail(&table, "target is longer than 511 characters");
}

// Every file below a folder, sorted by name, with a folder entry for each
// subfolder before its own files.
void AddTree(const Reader& r, const toml::table& table, const fs::path& folder,
             const std::string& target, int mode, std::vector<Entry>& out)
{
    std::vector<fs::directory_entry> items;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        items.push_back(*it);
    if (ec)
        r.Fail(&table, "cannot read folder " + folder.u8string() + ": " + ec.message());
    std::sort(items.begin(), items.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
        return a.path().filename().u8string() < b.path().filename().u8string();
    });
    for (const auto& item : items) {
        std::string name = item.path().filename().u8string();
        std::string sub = target + "\\" + name;
        CheckTarget(r, table, sub);
        if (item.is_directory()) {
            Entry e;
            e.kind = 0;
            e.target = sub;
            out.push_back(e);
            AddTree(r, table, item.path(), sub, mode, out);
        } else if (item.is_regular_file()) {
            Entry e;
            e.kind = 1;
            e.source = item.path().u8string();
            e.target = sub;
            e.mode = mode;
            out.push_back(e);
        }
    }
}

}  // namespace

void DosTimeOf(const std::string& path, unsigned short* date, unsigned short* time)
{
    struct stat st;
    *date = (1 << 5) | 1;  // 1980-01-01, the first DOS date
    *time = 0;
    if (stat(path.c_str(), &st) != 0)
        return;
    time_t t = st.st_mtime;
    struct tm* local = localtime(&t);
    if (!local || local->tm_year < 80)
        return;
    int year = local->tm_year - 80;
    if (year > 127)
        year = 127;
    *date = (unsigned short)((year << 9) | ((local->tm_mon + 1) << 5) | local->tm_mday);
    *time = (unsigned short)((local->tm_hour << 11) | (local->tm_min << 5) | (local->tm_sec / 2));
}

Project LoadProjectFile(const std::string& path)
{
    Reader r;
    r.file = path;
    r.base = fs::u8path(path).parent_path();
    toml::table root;
    try {
        root = toml::parse_file(path);
    } catch (const toml::parse_error& e) {
        throw ProjectError(path, (long)e.source().begin.line, std::string(e.description()));
    }

    Project p;
    p.file = path;
    const toml::table& product = r.Section(root, "product", true);
    p.name = r.Text(product, "name", "", true);
    p.version = r.Text(product, "version", "", true);
    p.company = r.Text(product, "company", "", false);
    p.copyright = r.Text(product, "copyright", "", false);

    const toml::table& texts = r.Section(root, "texts", false);
    p.readmeName = r.Text(texts, "readme", "", false);
    p.licenceName = r.Text(texts, "licence", "", false);
    if (!p.readmeName.empty())
        p.readme = r.Resolve(p.readmeName);
    if (!p.licenceName.empty())
        p.licence = r.Resolve(p.licenceName);
    for (const std::string* text : {&p.readme, &p.licence})
        if (!text->empty() && !fs::is_regular_file(fs::u8path(*text)))
            r.Fail(&texts, "text file not found: " + *text);

    const toml::table& install = r.Section(root, "install", true);
    p.maindir = r.Text(install, "maindir", "", true);
    p.uninstaller = r.Flag(install, "uninstaller", true);
    if (install.get("password")) {
        p.hasPassword = true;
        p.password = r.Text(install, "password", "", true, 127);
    }
    p.startRun = r.Text(install, "start_run", "", false);
    p.endRun = r.Text(install, "end_run", "", false);

    if (const toml::node* node = root.get("entry")) {
        const toml::array* list = node->as_array();
        if (!list)
            r.Fail(node, "[[entry]] must be an array of tables");
        for (const toml::node& item : *list) {
            const toml::table* t = item.as_table();
            if (!t)
                r.Fail(&item, "an entry must be a table");
            std::string kind = r.Text(*t, "kind", "", true);
            std::string target = r.Text(*t, "target", "", true);
            if (kind == "file") {
                Entry e;
                e.source = r.Resolve(r.Text(*t, "source", "", true));
                e.target = target;
                e.mode = r.Mode(*t);
                if (!fs::is_regular_file(fs::u8path(e.source)))
                    r.Fail(t, "source file not found: " + e.source);
                p.entries.push_back(e);
            } else if (kind == "folder") {
                Entry e;
                e.kind = 0;
                e.target = target;
                p.entries.push_back(e);
            } else if (kind == "tree") {
                std::string source = r.Resolve(r.Text(*t, "source", "", true));
                if (!fs::is_directory(fs::u8path(source)))
                    r.Fail(t, "source folder not found: " + source);
                AddTree(r, *t, fs::u8path(source), target, r.Mode(*t), p.entries);
            } else {
                r.Fail(t->get("kind"), "entry kind must be \"file\", \"folder\" or \"tree\"");
            }
        }
    }

    if (const toml::node* node = root.get("object")) {
        const toml::array* list = node->as_array();
        if (!list)
            r.Fail(node, "[[object]] must be an array of tables");
        for (const toml::node& item : *list) {
            const toml::table* t = item.as_table();
            if (!t)
                r.Fail(&item, "an object must be a table");
            std::string kind = r.Text(*t, "kind", "", true);
            Object o;
            o.parent = r.Text(*t, "parent", "", false, kMaxId);
            o.title = r.Text(*t, "title", "", true);
            if (kind == "folder") {
                o.kind = 4;
                o.id = r.Text(*t, "id", "", true, kMaxId);
            } else if (kind == "program") {
                o.kind = 5;
                o.target = r.Text(*t, "target", "", true);
                o.arguments = r.Text(*t, "arguments", "", false);
                o.workdir = r.Text(*t, "workdir", "", false);
            } else {
                r.Fail(t->get("kind"), "object kind must be \"folder\" or \"program\"");
            }
            p.objects.push_back(o);
        }
    }

    const toml::table& spare = r.Section(root, "spare", false);
    if (const toml::node* node = spare.get("texts")) {
        const toml::array* list = node->as_array();
        if (!list || list->size() > 4)
            r.Fail(node, "spare texts must be an array of at most 4 strings");
        for (size_t i = 0; i < list->size(); ++i) {
            const auto* s = (*list)[i].as_string();
            if (!s || s->get().size() > kMaxString)
                r.Fail(&(*list)[i], "spare texts must be strings of at most 511 characters");
            p.spareTexts[i] = s->get();
        }
    }
    if (const toml::node* node = spare.get("list")) {
        const toml::array* list = node->as_array();
        if (!list)
            r.Fail(node, "spare list must be an array of strings");
        for (const toml::node& item : *list) {
            const auto* s = item.as_string();
            if (!s || s->get().size() > kMaxString)
                r.Fail(&item, "spare list must hold strings of at most 511 characters");
            p.spareList.push_back(s->get());
        }
    }
    p.text5 = r.Text(spare, "text5", "", false);
    p.text6 = r.Text(spare, "text6", "", false);
    if (const toml::node* node = spare.get("reserved")) {
        if (!node->is_integer())
            r.Fail(node, "reserved must be an integer");
        p.reserved = (int)node->as_integer()->get();
    }

    for (Entry& e : p.entries)
        if (e.kind == 1)
            DosTimeOf(e.source, &e.date, &e.time);
    return p;
}

}  // namespace kvpack
