#include "ConsoleTestBase.h"
#include "console/ParamFile.h"
#include "console/TQorPlugIn.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> g_out;
void RecordOutText(const char* text) { g_out.emplace_back(text ? text : "(null)"); }

// Plug-in libraries are copied into the test's own folder.
class PlugInLoader : public ConsoleTest {
protected:
    std::string Place(const std::string& library, const std::string& as) {
        fs::create_directories((dir / as).parent_path());
        fs::copy_file(library, dir / as, fs::copy_options::overwrite_existing);
        return (dir / as).parent_path().string();
    }
    // Counts what the loader tells.
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
    int startLoad = 0;
    std::vector<std::string> found;  // "file|author"
    std::vector<std::pair<int, std::string>> funcs;
};

}  // namespace

TEST_F(PlugInLoader, SkippedOrIncompleteLibrariesArePassedOverAndEndlessOnesStopAtTheLimit) {
    WriteFile("notes.txt", "x");
    TQorPlugIn p;
    Attach(p);
    // Folders without candidates fire nothing.
    p.Load({dir.string(), (dir / "missing").string()}, nullptr, true);
    EXPECT_EQ(startLoad, 0);

    const std::string lib = Place(TEST_PLUGIN_INITONLY, "lib/initonly.so");
    WriteFile("lib/broken.so", "not a shared object");
    TQorPlugIn q;
    Attach(q);
    q.Load({lib}, nullptr, true);
    // Candidates were there, so the method list was asked for once.
    EXPECT_EQ(startLoad, 1);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(q.LibraryCount(), 0);

    // A library the host skips is not initialised.
    TQorPlugIn skipping;
    Attach(skipping, true);
    skipping.Load({Place(TEST_PLUGIN_TWO, "two/two.so")}, nullptr, true);
    EXPECT_EQ(found.size(), 1u);
    EXPECT_TRUE(funcs.empty());

    TQorPlugIn endless;
    endless.Load({Place(TEST_PLUGIN_ENDLESS, "endless/endless.so")}, nullptr, true);
    EXPECT_EQ(endless.Count(), TQorPlugIn::kMaxFunctions);
    EXPECT_EQ(TQorPlugIn::kMaxFunctions, 10000);
}

TEST_F(PlugInLoader, SearchesSubfoldersAfterTheFolderAndComparesTheExtensionWithoutCase) {
    for (const char* as : {"b/deeper/Two.SO", "z.so", ".hidden.so", ".git/x.so", "a.so.1"}) Place(TEST_PLUGIN_TWO, as);
    fs::create_directory_symlink(dir, dir / "b/loop");
    const std::vector<std::string> found = TQorPlugIn::FindLibraries({dir.string()}, true);
    EXPECT_EQ(found, (std::vector<std::string>{(dir / "z.so").string(), (dir / "b/deeper/Two.SO").string()}));
    EXPECT_EQ(TQorPlugIn::FindLibraries({dir.string()}, false).size(), 1u);
    // The same folder named twice gives its files once.
    EXPECT_EQ(TQorPlugIn::FindLibraries({dir.string(), (dir / "b/..").string()}, true).size(), 2u);
}

TEST_F(PlugInLoader, CollectsFunctionsInLoadOrderAndRunsThemWithTheirProperties) {
    const std::string folder = Place(TEST_PLUGIN_TWO, "two.so");
    g_out.clear();
    std::vector<std::string> entered, exited;
    {
        TQorPlugIn p;
        Attach(p);
        p.OnFuncEnter = [&](TPlugInProperties& props, const std::string& name, const std::string& sys) {
            entered.push_back(name + "|" + sys + "|" + std::to_string(props.Count()));
            props.Add("Extra", "123456789");
        };
        p.OnFuncExit = [&](TPlugInProperties& props, const std::string& name, const std::string&) {
            std::string s = name;
            for (int i = 0; i < props.Count(); ++i) s += "|" + props.Name(i) + "=" + props.Value(i);
            exited.push_back(s);
        };
        p.Load({folder}, nullptr, true);
        p.Load({folder}, nullptr, true);  // once only

        EXPECT_EQ(startLoad, 1);
        EXPECT_EQ(found, std::vector<std::string>{"two.so|Test plug-in two, 1.0"});
        // The function without a caption keeps its place.
        const std::vector<std::pair<int, std::string>> want{
            {0, "Группа A/First"}, {1, "Группа A/Второй"}, {2, "Группа A/"}, {3, "Other/Third"}};
        EXPECT_EQ(funcs, want);
        ASSERT_EQ(p.Count(), 4);
        EXPECT_EQ(p.PlugIn(2).PlugInSysName, "hidden");
        EXPECT_TRUE(p.Run(1));
        EXPECT_FALSE(p.Run(4));
        EXPECT_TRUE(p.Run(3));
    }
    // The plug-in reached the host through the method list given to PlugInInit.
    EXPECT_EQ(g_out, (std::vector<std::string>{"второй ran with 2 properties", "third ran with 2 properties"}));
    EXPECT_EQ(entered, (std::vector<std::string>{"Второй|second|1", "Third|third|1"}));
    EXPECT_EQ(exited[0], "Второй|TestParamName=TestParamValue|Extra=123456789|Seen=TestParamValue");
}

// ---------------------------------------------------------------- parameter files

using ParamFile = ConsoleTest;

TEST_F(ParamFile, SaveKeepsTheOldValueCommentedAndLoadReadsTheFirstUncommentedLine) {
    const std::string f = (dir / "plugin.par").string();
    WriteFile("plugin.par", "# settings\r\nUser = scott\r\nport = 1521");
    ASSERT_TRUE(SaveInitOrcl(f, "user", "Tiger", std::nullopt));
    EXPECT_EQ(ReadAll(f), "# settings\nuser = Tiger\n# User = scott    # Old Value\nport = 1521\n");
    EXPECT_EQ(LoadInitOrcl(f, "USER", false), "TIGER");

    ASSERT_TRUE(SaveInitOrcl(f, "Город", "Санкт-Петербург", std::string("где")));
    EXPECT_EQ(ReadAll(f),
              "# settings\nuser = Tiger\n# User = scott    # Old Value\nport = 1521\n"
              "Город = Санкт-Петербург    #где\n");
    EXPECT_EQ(LoadInitOrcl(f, "город", true), "САНКТ-ПЕТЕРБУРГ");

    // A line break in the value cannot slip in a line of its own.
    ASSERT_TRUE(SaveInitOrcl(f, "note", "a\nuser = evil", std::nullopt));
    EXPECT_TRUE(ReadAll(f).ends_with("\nnote = a user = evil\n"));
    EXPECT_FALSE(SaveInitOrcl(f, "  ", "x", std::nullopt));
    EXPECT_FALSE(SaveInitOrcl((dir / "new/none.par").string(), "k", "v", std::nullopt));  // no such folder
    ASSERT_TRUE(SaveInitOrcl((dir / "fresh.par").string(), "k", "v", std::nullopt));
    EXPECT_EQ(ReadAll(dir / "fresh.par"), "k = v\n");

    // Loading reads the first uncommented line of the key.
    WriteFile("plugin.par",
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
    for (const char* key : {"flag", "absent", ""}) EXPECT_EQ(LoadInitOrcl(f, key, true), "") << key;
    EXPECT_EQ(LoadInitOrcl((dir / "missing.par").string(), "user", true), "");
}
