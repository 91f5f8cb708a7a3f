// The layering of src/: every #include between folders, and every library a
// folder's CMakeLists.txt links, must be allowed by the layer table of
// docs/architecture.md, and the table itself must keep every allowed folder in
// a lower layer and Qt out of the logic folders. Outside src/ no header is
// reached by a path into src/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Row {
    int layer = 0;
    bool qt = false;
    std::set<std::string> mayInclude;
};
using Table = std::map<std::string, Row>;

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// Every `name` of a cell.
std::vector<std::string> ticked(const std::string& cell) {
    std::vector<std::string> out;
    for (std::size_t a = cell.find('`'); a != std::string::npos; a = cell.find('`', a)) {
        const std::size_t b = cell.find('`', a + 1);
        if (b == std::string::npos) break;
        out.push_back(cell.substr(a + 1, b - a - 1));
        a = b + 1;
    }
    return out;
}

// The rows between the layer-table markers; a row that cannot be read is a fault.
Table parseTable(const std::string& markdown, std::vector<std::string>& faults) {
    Table table;
    const std::size_t begin = markdown.find("<!-- layer-table:begin -->");
    const std::size_t end = markdown.find("<!-- layer-table:end -->");
    if (begin == std::string::npos || end == std::string::npos || end < begin) {
        faults.push_back("no layer table between the markers");
        return table;
    }
    std::istringstream in(markdown.substr(begin, end - begin));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("| `", 0) != 0) continue;
        std::vector<std::string> cells;
        std::stringstream cs(line.substr(1));
        for (std::string c; std::getline(cs, c, '|');) cells.push_back(trim(c));
        const auto name = ticked(cells.empty() ? std::string() : cells[0]);
        if (cells.size() < 4 || name.size() != 1 || (cells[2] != "yes" && cells[2] != "no")) {
            faults.push_back("unreadable row: " + line);
            continue;
        }
        Row row;
        try {
            row.layer = std::stoi(cells[1]);
        } catch (const std::exception&) {
            faults.push_back("unreadable layer: " + line);
            continue;
        }
        row.qt = cells[2] == "yes";
        for (const auto& m : ticked(cells[3])) row.mayInclude.insert(m);
        if (!table.emplace(name[0], row).second) faults.push_back("folder listed twice: " + name[0]);
    }
    if (table.empty()) faults.push_back("the layer table has no rows");
    return table;
}

// Faults of the table itself: an allowed folder that is unknown, not in a lower
// layer (which also rules out two folders including each other), or Qt under a
// logic folder.
std::vector<std::string> tableFaults(const Table& table) {
    std::vector<std::string> faults;
    for (const auto& [folder, row] : table)
        for (const auto& to : row.mayInclude) {
            const auto it = table.find(to);
            if (it == table.end()) {
                faults.push_back(folder + " may include unknown folder " + to);
                continue;
            }
            if (it->second.layer >= row.layer)
                faults.push_back(folder + " (layer " + std::to_string(row.layer) + ") may include " + to +
                                 " (layer " + std::to_string(it->second.layer) + "), which is not lower");
            if (it->second.qt && !row.qt) faults.push_back("logic folder " + folder + " may include Qt folder " + to);
        }
    return faults;
}

// An include directive of a line: the header as written and whether it was
// given in angle brackets. Every spelling the preprocessor takes is read:
// blanks before and after "#", "include" and "include_next", no blank before
// the header. A directive whose header is neither "..." nor <...> (a macro) is
// returned with an empty header.
struct Directive {
    bool found = false;
    bool angle = false;
    std::string header;
};

Directive directiveOf(const std::string& line) {
    Directive d;
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#') return d;
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos) return d;
    std::size_t wordEnd = i;
    while (wordEnd < line.size() && (std::isalnum(static_cast<unsigned char>(line[wordEnd])) || line[wordEnd] == '_'))
        ++wordEnd;
    const std::string word = line.substr(i, wordEnd - i);
    if (word != "include" && word != "include_next") return d;
    d.found = true;
    i = line.find_first_not_of(" \t", wordEnd);
    if (i == std::string::npos || (line[i] != '"' && line[i] != '<')) return d;
    d.angle = line[i] == '<';
    const std::size_t close = line.find(d.angle ? '>' : '"', i + 1);
    if (close == std::string::npos) return d;
    d.header = line.substr(i + 1, close - i - 1);
    return d;
}

// The folder under src/ that a header of the project lies in ("" for a header
// beside the file), with "." and ".." worked out: a quoted header that starts
// with "." is found from the including file's folder, any other from src/.
std::string headerFolder(const std::string& folder, const std::string& header) {
    const std::string joined = header.rfind('.', 0) == 0 ? folder + "/" + header : header;
    const std::string normal = fs::path(joined).lexically_normal().generic_string();
    const std::size_t slash = normal.rfind('/');
    return slash == std::string::npos ? std::string() : normal.substr(0, slash);
}

// Faults of one file of `folder` (a folder of the table, relative to src/).
std::vector<std::string> includeFaults(const Table& table, const std::string& folder, const std::string& file,
                                       const std::string& text) {
    std::vector<std::string> faults;
    const auto self = table.find(folder);
    if (self == table.end()) return {file + ": folder " + folder + " is missing from the layer table"};
    // The top folders of the project: a header in angle brackets under one of
    // them is a project header like a quoted one.
    std::set<std::string> tops;
    for (const auto& [name, row] : table) tops.insert(name.substr(0, name.find('/')));
    std::istringstream in(text);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        const Directive d = directiveOf(line);
        if (!d.found) continue;
        const std::string where = file + ":" + std::to_string(n) + ": ";
        if (d.header.empty()) {
            faults.push_back(where + "an include whose header cannot be read: " + trim(line));
            continue;
        }
        // A path that climbs out of the include root or names src/ finds the
        // header by where the tree lies: "<./..>" and "<../..>" search from the
        // include folders, and "../src/.." is found there when not beside the file.
        const bool dotted = d.header.rfind('.', 0) == 0;
        const std::string padded = "/" + d.header + "/";
        if ((d.angle && dotted) || padded.find("/src/") != std::string::npos) {
            faults.push_back(where + "a header reached by a path from outside src/: " + d.header);
            continue;
        }
        const std::string top = d.header.substr(0, d.header.find('/'));
        const bool project = tops.count(top) || dotted;
        if (!project) {
            if (d.header.rfind('Q', 0) == 0 && !self->second.qt)
                faults.push_back(where + "logic folder " + folder + " includes " + d.header);
            // A system header, or a quoted one beside the file; a quoted header
            // under a folder that is not the project's is a fault below.
            if (d.angle || d.header.find('/') == std::string::npos) continue;
        }
        const std::string to = headerFolder(folder, d.header);
        if (to.empty() || to == folder) continue;
        if (to.rfind("..", 0) == 0 || !self->second.mayInclude.count(to))
            faults.push_back(where + folder + " may not include " + d.header + " (not in its row of the layer table)");
    }
    return faults;
}

// Faults of one file outside src/ (`folder` relative to the project root,
// such as "tests/hardening"): a header of the project is reached from the
// include folders (src/ and tests/), never by a path through a folder src
// nor, from the file's folder, by one that climbs out of its top folder.
std::vector<std::string> outsideFaults(const std::string& folder, const std::string& file, const std::string& text) {
    std::vector<std::string> faults;
    const std::string top = folder.substr(0, folder.find('/'));
    std::istringstream in(text);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        const Directive d = directiveOf(line);
        if (!d.found || d.header.empty()) continue;
        const bool dotted = d.header.rfind('.', 0) == 0;
        bool fault = ("/" + d.header + "/").find("/src/") != std::string::npos || (d.angle && dotted);
        if (!fault && dotted) {
            const std::string to = fs::path(folder + "/" + d.header).lexically_normal().generic_string();
            fault = to.substr(0, to.find('/')) != top;
        }
        if (fault)
            faults.push_back(file + ":" + std::to_string(n) +
                             ": a header reached by a path from outside its include folder: " + d.header);
    }
    return faults;
}

// The words of a CMakeLists.txt text, comments left out, each call of `command`
// as its arguments.
std::vector<std::vector<std::string>> callsOf(const std::string& text, const std::string& command) {
    std::string plain;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) plain += line.substr(0, line.find('#')) + "\n";
    std::vector<std::vector<std::string>> calls;
    for (std::size_t at = plain.find(command + "("); at != std::string::npos; at = plain.find(command + "(", at + 1)) {
        if (at > 0 && (std::isalnum(static_cast<unsigned char>(plain[at - 1])) || plain[at - 1] == '_')) continue;
        const std::size_t open = at + command.size() + 1, close = plain.find(')', open);
        std::istringstream words(plain.substr(open, close == std::string::npos ? std::string::npos : close - open));
        std::vector<std::string> args;
        for (std::string w; words >> w;) args.push_back(w);
        calls.push_back(args);
    }
    return calls;
}

// The libraries a folder's CMakeLists.txt adds.
std::vector<std::string> librariesOf(const std::string& cmake) {
    std::vector<std::string> out;
    for (const auto& args : callsOf(cmake, "add_library"))
        if (!args.empty()) out.push_back(args[0]);
    return out;
}

// Faults of the CMakeLists.txt of `folder`: a library of the project (kv_...)
// that one of its libraries links must be its own or one of a folder of its row
// of the table, and a logic folder links no Qt. libraryFolder: each library
// of the project and the folder that adds it.
std::vector<std::string> linkFaults(const Table& table, const std::map<std::string, std::string>& libraryFolder,
                                    const std::string& folder, const std::string& file, const std::string& cmake) {
    const auto self = table.find(folder);
    if (self == table.end()) return {file + ": folder " + folder + " is missing from the layer table"};
    const std::vector<std::string> own = librariesOf(cmake);
    std::vector<std::string> faults;
    for (const auto& args : callsOf(cmake, "target_link_libraries")) {
        if (args.empty()) continue;
        if (std::find(own.begin(), own.end(), args[0]) == own.end()) {
            faults.push_back(file + ": links to " + args[0] + ", a library of another folder");
            continue;
        }
        for (std::size_t i = 1; i < args.size(); ++i) {
            const std::string& lib = args[i];
            const std::string where = file + ": " + args[0] + " links " + lib;
            if (lib.rfind("Qt", 0) == 0 && lib.find("::") != std::string::npos) {
                if (!self->second.qt) faults.push_back(where + ", Qt in logic folder " + folder);
                continue;
            }
            if (lib.rfind("kv_", 0) != 0) continue;  // PUBLIC, PRIVATE, system libraries
            const auto to = libraryFolder.find(lib);
            if (to == libraryFolder.end())
                faults.push_back(where + ", which no folder of src/ adds");
            else if (to->second != folder && !self->second.mayInclude.count(to->second))
                faults.push_back(where + " of folder " + to->second + " (not in its row of the layer table)");
        }
    }
    return faults;
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string joined(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += x + "\n";
    return s;
}

// The layer table of docs/architecture.md, with the faults of reading it.
Table documentedTable(std::vector<std::string>& faults) {
    return parseTable(readAll(fs::path(KV_SOURCE_ROOT) / "docs" / "architecture.md"), faults);
}

TEST(Layering, EveryIncludeUnderSrcIsAllowedByTheLayerTable) {
    const fs::path root = KV_SOURCE_ROOT;
    std::vector<std::string> faults;
    const Table table = documentedTable(faults);
    ASSERT_TRUE(faults.empty()) << joined(faults);
    faults = tableFaults(table);
    std::size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(root / "src")) {
        const auto ext = e.path().extension();
        if (!e.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        ++files;
        const std::string folder = fs::relative(e.path().parent_path(), root / "src").generic_string();
        const std::string file = fs::relative(e.path(), root).generic_string();
        for (auto& f : includeFaults(table, folder, file, readAll(e.path()))) faults.push_back(std::move(f));
    }
    EXPECT_GT(files, 100u);
    EXPECT_TRUE(faults.empty()) << joined(faults);
}

// Outside src/ (the executables, the tools, the tests and the fuzz targets)
// headers are reached from the include folders too.
TEST(Layering, EveryIncludeOutsideSrcIsReachedFromTheIncludeFolders) {
    const fs::path root = KV_SOURCE_ROOT;
    std::vector<std::string> faults;
    std::size_t files = 0;
    for (const char* top : {"app", "tools", "tests", "fuzz"})
        for (const auto& e : fs::recursive_directory_iterator(root / top)) {
            const auto ext = e.path().extension();
            if (!e.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
            ++files;
            const std::string folder = fs::relative(e.path().parent_path(), root).generic_string();
            const std::string file = fs::relative(e.path(), root).generic_string();
            for (auto& f : outsideFaults(folder, file, readAll(e.path()))) faults.push_back(std::move(f));
        }
    EXPECT_GT(files, 100u);
    EXPECT_TRUE(faults.empty()) << joined(faults);
}

// Each folder's CMakeLists.txt under src/, by folder relative to src/.
std::map<std::string, std::string> cmakeFiles(const fs::path& src) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(src))
        if (e.is_regular_file() && e.path().filename() == "CMakeLists.txt")
            out[fs::relative(e.path().parent_path(), src).generic_string()] = readAll(e.path());
    return out;
}

TEST(Layering, EveryLinkUnderSrcIsAllowedByTheLayerTable) {
    const fs::path root = KV_SOURCE_ROOT;
    std::vector<std::string> faults;
    const Table table = documentedTable(faults);
    ASSERT_TRUE(faults.empty()) << joined(faults);
    const auto cmakes = cmakeFiles(root / "src");
    std::map<std::string, std::string> libraryFolder;
    for (const auto& [folder, text] : cmakes)
        for (const auto& lib : librariesOf(text))
            if (!libraryFolder.emplace(lib, folder).second) faults.push_back(lib + " is added twice");
    for (const auto& [folder, text] : cmakes)
        for (auto& f : linkFaults(table, libraryFolder, folder, "src/" + folder + "/CMakeLists.txt", text))
            faults.push_back(std::move(f));
    EXPECT_EQ(libraryFolder.size(), table.size());  // one library for each folder of the table
    EXPECT_TRUE(faults.empty()) << joined(faults);
}

TEST(Layering, ReportsEachKindOfFault) {
    const std::string doc =
        "<!-- layer-table:begin -->\n| Folder | Layer | Qt | May include |\n|---|---|---|---|\n"
        "| `common` | 0 | no | |\n"
        "| `low` | 1 | no | `common` |\n"
        "| `high` | 2 | no | `common`, `low` |\n"
        "| `high/ui` | 3 | yes | `high` |\n"
        "<!-- layer-table:end -->\n";
    std::vector<std::string> faults;
    const Table table = parseTable(doc, faults);
    ASSERT_TRUE(faults.empty()) << joined(faults);
    ASSERT_TRUE(tableFaults(table).empty());

    struct Case {
        const char* folder;
        const char* text;
        bool fault;
    };
    const Case cases[] = {
        {"high", "#include \"low/a.h\"\n#include \"common/b.h\"\n#include <vector>\n", false},
        {"high", "#include \"high/c.h\"\n", false},
        {"high/ui", "#include <QWidget>\n#include \"high/c.h\"\n", false},
        {"low", "#include \"high/c.h\"\n", true},  // lower including higher
        {"high", "#include <QString>\n", true},  // Qt in a logic folder
        {"high", "  #include \"high/ui/view.h\"\n", true},  // a ui header in a logic folder
        {"common", "#include \"unknown/x.h\"\n", true},  // a folder nobody may include
        {"other", "#include <vector>\n", true},  // a folder missing from the table
        // Every spelling of a directive is read.
        {"low", "#include <high/c.h>\n", true},  // a project header in angle brackets
        {"low", "# include \"high/c.h\"\n", true},  // blanks after "#"
        {"low", "\t#\tinclude\t\"high/c.h\"\n", true},  // tabs
        {"low", "#include\"high/c.h\"\n", true},  // no blank before the header
        {"low", "#include_next <high/c.h>\n", true},  // include_next
        {"low", "#include \"../high/c.h\"\n", true},  // a path from the file's folder
        {"high/ui", "#include \"../../low/a.h\"\n", true},  // up to a folder its row does not name
        {"high/ui", "#include \"../c.h\"\n", false},  // up to a folder its row names
        {"low", "#include HEADER\n", true},  // a header that cannot be read
        {"high", "#  include <QtCore/QString>\n", true},  // Qt behind blanks and a folder
        {"low", "#include <sys/stat.h>\n#include <gtest/gtest.h>\n", false},  // system headers
        {"low", "// #include \"high/c.h\"\n", false},  // a comment
        {"high", "#include \"QWidget\"\n", true},  // Qt in quotes
        // Paths from outside the include root, to an allowed header.
        {"high", "#include <../src/low/a.h>\n", true},
        {"high", "#include \"../src/low/a.h\"\n", true},
        {"high", "#include <./src/low/a.h>\n", true},
        {"high", "#include \"./src/low/a.h\"\n", true},
        {"high/ui", "#include \"../../src/high/c.h\"\n", true},
        {"high", "#include <src/low/a.h>\n", true},
        {"high", "#include \"src/low/a.h\"\n", true},
        {"high", "#include <../low/a.h>\n", true},
        {"high", "#include <./c.h>\n", true},
        {"high", "#include \"./c.h\"\n", false},  // beside the file
        {"high", "#include \"../low/a.h\"\n", false},  // from the file's folder to one its row names
    };
    for (const Case& c : cases)
        EXPECT_EQ(!includeFaults(table, c.folder, "f.cpp", c.text).empty(), c.fault) << c.folder << ": " << c.text;

    // Outside src/: a file's own folder and the include folders, never src/ by a path.
    const Case outside[] = {
        {"tests/hardening", "#include \"hardening_rig.h\"\n#include \"common/quoted.h\"\n", false},
        {"tests/hardening", "#include \"fixtures/fixtures.h\"\n#include <gtest/gtest.h>\n", false},
        {"tests/hardening", "#include \"../fixtures/fixtures.h\"\n", false},  // within tests/
        {"tests/hardening", "#include \"../../src/common/quoted.h\"\n", true},
        {"tests/hardening", "#include \"../src/common/quoted.h\"\n", true},
        {"tests", "#include \"../src/common/quoted.h\"\n", true},
        {"app/cli", "#include <src/common/quoted.h>\n", true},
        {"tools/bench", "#include \"src/common/quoted.h\"\n", true},
        {"fuzz", "#include <../src/common/quoted.h>\n", true},
        {"fuzz", "#include \"../app/cli/cli.h\"\n", true},  // out of its top folder
        {"tests/ui", "# include \"../../src/common/quoted.h\"\n", true},
    };
    for (const Case& c : outside)
        EXPECT_EQ(!outsideFaults(c.folder, "f.cpp", c.text).empty(), c.fault) << c.folder << ": " << c.text;

    // The link lines of a folder's CMakeLists.txt, read as the table reads includes.
    const std::map<std::string, std::string> libs = {
        {"kv_common", "common"}, {"kv_low", "low"}, {"kv_high", "high"}, {"kv_high_ui", "high/ui"}};
    const Case links[] = {
        {"high", "add_library(kv_high STATIC ${SRC})\ntarget_link_libraries(kv_high PUBLIC kv_low kv_common)\n", false},
        {"high",
         "add_library(kv_high STATIC x.cpp)\ntarget_link_libraries(kv_high\n  PUBLIC kv_low # kv_high_ui\n"
         "  PRIVATE Threads::Threads)\n",
         false},  // several lines, a comment, a system library
        {"high/ui", "add_library(kv_high_ui STATIC x.cpp)\ntarget_link_libraries(kv_high_ui PUBLIC kv_high Qt6::Widgets)\n",
         false},
        {"low", "add_library(kv_low STATIC x.cpp)\ntarget_link_libraries(kv_low PUBLIC kv_common kv_high)\n",
         true},  // a library its row does not name
        {"low", "add_library(kv_low STATIC x.cpp)\ntarget_link_libraries(kv_low\n  PUBLIC kv_common\n  kv_high)\n",
         true},  // on a later line
        {"high", "add_library(kv_high STATIC x.cpp)\ntarget_link_libraries(kv_high PRIVATE kv_high_ui)\n", true},
        {"high", "add_library(kv_high STATIC x.cpp)\ntarget_link_libraries(kv_high PUBLIC Qt6::Core)\n", true},
        {"high", "add_library(kv_high STATIC x.cpp)\ntarget_link_libraries(kv_high PUBLIC kv_unknown)\n", true},
        {"high", "add_library(kv_high STATIC x.cpp)\ntarget_link_libraries(kv_low PUBLIC kv_common)\n", true},
        {"other", "add_library(kv_other STATIC x.cpp)\n", true},  // a folder missing from the table
    };
    for (const Case& c : links)
        EXPECT_EQ(!linkFaults(table, libs, c.folder, "CMakeLists.txt", c.text).empty(), c.fault)
            << c.folder << ": " << c.text;

    // Two folders allowing each other, and a logic folder allowed a Qt one, break the table.
    Table mutual = table;
    mutual["low"].mayInclude.insert("high");
    EXPECT_FALSE(tableFaults(mutual).empty());
    Table qtInLogic = table;
    qtInLogic["high"].mayInclude.insert("high/ui");
    EXPECT_FALSE(tableFaults(qtInLogic).empty());
    // A table without markers or with an unreadable row is a fault, not an empty allowance.
    faults.clear();
    parseTable("| `a` | 0 | no | |\n", faults);
    EXPECT_FALSE(faults.empty());
    faults.clear();
    parseTable("<!-- layer-table:begin -->\n| `a` | zero | no | |\n<!-- layer-table:end -->\n", faults);
    EXPECT_FALSE(faults.empty());
}

}  // namespace
