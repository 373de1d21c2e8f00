#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/Platform.h"
#include "console/ParamFile.h"
#include "console/TQorPlugIn.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder under /tmp (not $TMPDIR, which other tests of this program
// point elsewhere), removed with its content.
class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/tabulon-plugin-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) std::abort();
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::vector<std::string> g_out;
void RecordOutText(const char* text) { g_out.emplace_back(text ? text : "(null)"); }

void Place(const std::string& library, const std::string& as) {
    fs::create_directories(fs::path(as).parent_path());
    fs::copy_file(library, as, fs::copy_options::overwrite_existing);
}

void WriteText(const std::string& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

std::string ReadText(const std::string& file) {
    std::string s;
    ReadFileBytes(file, s);
    return s;
}

// Counts what the loader tells.
struct Events {
    int startLoad = 0;
    std::vector<std::string> found;  // "file|author"
    std::vector<std::pair<int, std::string>> funcs;

    void Attach(TQorPlugIn& p, bool skip = false) {
        p.OnDLLStartLoad = [this](std::vector<TPlugInMethod>& m) {
            ++startLoad;
            m.push_back({"AddOutText", reinterpret_cast<void*>(&RecordOutText)});
        };
        p.OnDLLFind = [this, skip](const std::string& dll, const std::string& author, bool& s) {
            found.push_back(fs::path(dll).filename().string() + "|" + author);
            s = skip;
        };
        p.OnFuncFind = [this](const TPlugIn& f, int num) { funcs.emplace_back(num, f.Group + "/" + f.PlugInName); };
    }
};

}  // namespace

TEST(PlugInLoader, FoldersWithoutPlugInsFireNothing) {
    TempDir dir;
    WriteText(dir / "notes.txt", "x");
    WriteText(dir / "old.dll", "x");
    fs::create_directories(dir / "sub");
    WriteText(dir / "sub/readme", "x");
    TQorPlugIn p;
    Events e;
    e.Attach(p);
    p.Load({dir.Path(), dir / "missing"}, nullptr, true);
    EXPECT_EQ(e.startLoad, 0);
    EXPECT_TRUE(e.found.empty());
    EXPECT_EQ(p.Count(), 0);
    EXPECT_EQ(p.Methods()->Count, 0);
}

TEST(PlugInLoader, LibrariesWithoutAllEntryPointsOrNotLoadableArePassedOver) {
    TempDir dir;
    Place(TEST_PLUGIN_INITONLY, dir / "initonly.so");
    WriteText(dir / "broken.so", "not a shared object");
    TQorPlugIn p;
    Events e;
    e.Attach(p);
    p.Load({dir.Path()}, nullptr, true);
    // Candidates were there, so the method list was asked for once.
    EXPECT_EQ(e.startLoad, 1);
    EXPECT_TRUE(e.found.empty());
    EXPECT_EQ(p.Count(), 0);
    EXPECT_EQ(p.LibraryCount(), 0);
}

TEST(PlugInLoader, SearchesSubfoldersAfterTheFolderAndComparesTheExtensionWithoutCase) {
    TempDir dir;
    Place(TEST_PLUGIN_TWO, dir / "b/deeper/Two.SO");
    Place(TEST_PLUGIN_TWO, dir / "z.so");
    Place(TEST_PLUGIN_TWO, dir / ".hidden.so");
    Place(TEST_PLUGIN_TWO, dir / ".git/x.so");
    Place(TEST_PLUGIN_TWO, dir / "a.so.1");
    fs::create_directory_symlink(dir.Path(), dir / "b/loop");
    const std::vector<std::string> found = TQorPlugIn::FindLibraries({dir.Path()}, true);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], dir / "z.so");
    EXPECT_EQ(found[1], dir / "b/deeper/Two.SO");
    EXPECT_EQ(TQorPlugIn::FindLibraries({dir.Path()}, false).size(), 1u);
    // The same folder named twice gives its files once.
    EXPECT_EQ(TQorPlugIn::FindLibraries({dir.Path(), dir / "b/.."}, true).size(), 2u);
}

TEST(PlugInLoader, CollectsFunctionsInLoadOrderAndRunsThemWithTheirProperties) {
    TempDir dir;
    Place(TEST_PLUGIN_TWO, dir / "two.so");
    g_out.clear();
    std::vector<std::string> entered;
    std::vector<std::string> exited;
    {
        TQorPlugIn p;
        Events e;
        e.Attach(p);
        p.OnFuncEnter = [&](TPlugInProperties& props, const std::string& name, const std::string& sys) {
            entered.push_back(name + "|" + sys + "|" + std::to_string(props.Count()));
            props.Add("Extra", "123456789");
        };
        p.OnFuncExit = [&](TPlugInProperties& props, const std::string& name, const std::string&) {
            std::string s = name;
            for (int i = 0; i < props.Count(); ++i) s += "|" + props.Name(i) + "=" + props.Value(i);
            exited.push_back(s);
        };
        p.Load({dir.Path()}, nullptr, true);
        p.Load({dir.Path()}, nullptr, true);  // once only

        EXPECT_EQ(e.startLoad, 1);
        EXPECT_EQ(e.found, std::vector<std::string>{"two.so|Test plug-in two, 1.0"});
        // The function without a caption keeps its place.
        const std::vector<std::pair<int, std::string>> want{
            {0, "Группа A/First"}, {1, "Группа A/Второй"}, {2, "Группа A/"}, {3, "Other/Third"}};
        EXPECT_EQ(e.funcs, want);
        ASSERT_EQ(p.Count(), 4);
        EXPECT_EQ(p.PlugIn(2).PlugInSysName, "hidden");
        EXPECT_EQ(p.PlugIn(0).Module, p.PlugIn(3).Module);

        EXPECT_TRUE(p.Run(1));
        EXPECT_FALSE(p.Run(-1));
        EXPECT_FALSE(p.Run(4));
        EXPECT_TRUE(p.Run(3));
    }
    // The plug-in reached the host through the method list given to PlugInInit.
    EXPECT_EQ(g_out, (std::vector<std::string>{"второй ran with 2 properties", "third ran with 2 properties"}));
    EXPECT_EQ(entered, (std::vector<std::string>{"Второй|second|1", "Third|third|1"}));
    EXPECT_EQ(exited[0], "Второй|TestParamName=TestParamValue|Extra=123456789|Seen=TestParamValue");
}

TEST(PlugInLoader, SkippedLibrariesAreNotInitialisedAndEndlessOnesStopAtTheLimit) {
    TempDir dir;
    Place(TEST_PLUGIN_TWO, dir / "two.so");
    {
        TQorPlugIn p;
        Events e;
        e.Attach(p, true);
        p.Load({dir.Path()}, nullptr, true);
        EXPECT_EQ(e.found.size(), 1u);
        EXPECT_TRUE(e.funcs.empty());
        EXPECT_EQ(p.Count(), 0);
    }
    TempDir endless;
    Place(TEST_PLUGIN_ENDLESS, endless / "endless.so");
    TQorPlugIn p;
    p.Load({endless.Path()}, nullptr, true);
    EXPECT_EQ(p.Count(), TQorPlugIn::kMaxFunctions);
    EXPECT_EQ(TQorPlugIn::kMaxFunctions, 10000);
}

// ---------------------------------------------------------------- parameter files

TEST(ParamFile, LoadReadsTheFirstUncommentedLineOfTheKey) {
    TempDir dir;
    const std::string f = dir / "plugin.par";
    WriteText(f,
              "# user = commented\n"
              "  ## USER = doubly commented\n"
              "other = 1   # user = in a comment only\n"
              "\tUser\t=  Scott  Tiger   # the login\r\n"
              "user = second\n"
              "path=C:/Program Files/x=y\n"
              "имя = Иван Петров\n"
              "flag\n");
    EXPECT_EQ(LoadInitOrcl(f, " user ", false), "SCOTT");
    EXPECT_EQ(LoadInitOrcl(f, "USER", true), "SCOTT  TIGER");
    // Only the '=' after the key becomes a blank.
    EXPECT_EQ(LoadInitOrcl(f, "path", true), "C:/PROGRAM FILES/X=Y");
    EXPECT_EQ(LoadInitOrcl(f, "Имя", true), "ИВАН ПЕТРОВ");
    EXPECT_EQ(LoadInitOrcl(f, "имя", false), "ИВАН");
    EXPECT_EQ(LoadInitOrcl(f, "flag", true), "");
    EXPECT_EQ(LoadInitOrcl(f, "absent", true), "");
    EXPECT_EQ(LoadInitOrcl(f, "", true), "");
    EXPECT_EQ(LoadInitOrcl(dir / "missing.par", "user", true), "");
}

TEST(ParamFile, SaveKeepsTheOldValueCommentedAndAppendsNewKeys) {
    TempDir dir;
    const std::string f = dir / "plugin.par";
    WriteText(f, "# settings\r\nUser = scott\r\nport = 1521");
    ASSERT_TRUE(SaveInitOrcl(f, "user", "Tiger", std::nullopt));
    EXPECT_EQ(ReadText(f), "# settings\nuser = Tiger\n# User = scott    # Old Value\nport = 1521\n");
    EXPECT_EQ(LoadInitOrcl(f, "USER", false), "TIGER");

    ASSERT_TRUE(SaveInitOrcl(f, "Город", "Санкт-Петербург", std::string("где")));
    EXPECT_EQ(ReadText(f),
              "# settings\nuser = Tiger\n# User = scott    # Old Value\nport = 1521\n"
              "Город = Санкт-Петербург    #где\n");
    EXPECT_EQ(LoadInitOrcl(f, "город", true), "САНКТ-ПЕТЕРБУРГ");

    // A line break in the value cannot slip in a line of its own.
    ASSERT_TRUE(SaveInitOrcl(f, "note", "a\nuser = evil", std::nullopt));
    EXPECT_NE(ReadText(f).find("\nnote = a user = evil\n"), std::string::npos);
    EXPECT_EQ(ReadText(f).find("\nuser = evil"), std::string::npos);
    EXPECT_FALSE(SaveInitOrcl(f, "  ", "x", std::nullopt));

    const std::string fresh = dir / "new/none.par";
    EXPECT_FALSE(SaveInitOrcl(fresh, "k", "v", std::nullopt));  // no such folder
    ASSERT_TRUE(SaveInitOrcl(dir / "fresh.par", "k", "v", std::nullopt));
    EXPECT_EQ(ReadText(dir / "fresh.par"), "k = v\n");
}
