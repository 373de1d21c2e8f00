#include <tuple>

#include "ConsoleTestBase.h"
#include "base/Platform.h"
#include "base/SettingsStore.h"
#include "console/StackStr.h"

using Settings = ConsoleTest;

TEST_F(Settings, DefaultsStoredFormsAndOverrides) {
    ConsoleSettings s;
    s.Read();  // nothing stored yet
    EXPECT_EQ(std::tie(s.Width, s.Height, s.HeightInp, s.Prompt), std::tuple(640, 480, 132, std::string("SQL: ")));
    EXPECT_TRUE(!s.StopErr && s.HeaderOn && s.EchoOn && s.ClearWind && s.WidthFld && s.NumPLSQL && s.ShowTime);

    s.StartSQL.clear();
    s.SqlText = std::string(40000, 'x') + "\r\nline two";
    s.StopErr = true;
    s.Write();
    EXPECT_EQ(ReadString("HKCU\\Software\\QorTabulon\\StartSQL", "?"), " ");
    EXPECT_EQ(ReadString("HKCU\\Software\\QorTabulon\\StopErr", "?"), "Y");
    WriteString("HKCU\\Software\\QorTabulon\\EchoOn", "y");  // only "Y" is true
    ConsoleSettings back;
    back.Read();
    EXPECT_EQ(back.SqlText, s.SqlText);  // long texts come back whole
    EXPECT_TRUE(back.StopErr && !back.EchoOn);

    // Settings by name, as a script sets them.
    EXPECT_TRUE(back.Set("echoon", "Y") && back.EchoOn);
    EXPECT_TRUE(back.Set("LongStr", "100") && back.LongStr == 100);
    EXPECT_FALSE(back.Set("LongStr", "many") || back.Set("NoSuchSetting", "1"));
    // The local environment and slot names survive a restart.
    console.RunCommandText("--%A=1\r\n--%B=two");
    console.SaveSettings();
    RecordingHost other;
    TConsole again(other);
    again.LoadSettings();
    ASSERT_EQ(again.LocalEnvironment().Count(), 2);
    EXPECT_EQ(again.LocalEnvironment()[1], "B=two");
    // Slots never named show their digit and two blanks.
    WriteString("HKCU\\Software\\QorTabulon\\BuffName3", "report");
    EXPECT_EQ(NamedSlots::MenuText("BuffName"), "0  ^1  ^2  ^3 report^4  ^5  ^6  ^7  ^8  ^9  ^");
}

TEST_F(Settings, MessagesComeFromTheLanguageFileBesideTheProgram) {
    const std::string lng = ProgramDir() + "tabulon-ENG.lng";
    // Tests run side by side: only a key no other test reads is given.
    EXPECT_EQ(MsgText("NameScript", "Name script for save database"), "Name script for save database");
    std::ofstream(lng) << "[Msg]\nnamescript = Script name: \n";
    const std::string text = MsgText("NameScript", "Name script for save database");
    const std::string other = MsgText("NameBuffer", "Name buffer");
    std::filesystem::remove(lng);
    EXPECT_EQ(text, "Script name:");
    EXPECT_EQ(other, "Name buffer");
}

TEST(StackStr, ARingOfRunTextsWalkedBothWays) {
    StackStr h(3);
    EXPECT_EQ(h.Previous(), "");
    for (const char* s : {"a", "b", "c", "d"}) h.Push(s);
    EXPECT_EQ(h.Count(), 3);
    EXPECT_EQ(h[0], "d");
    EXPECT_EQ(h.WriteIndex(), 1);
    EXPECT_EQ(h.NextEntry(), "");  // right after a push nothing is newer
    for (const char* s : {"c", "b", ""}) EXPECT_EQ(h.Previous(), s);  // until the oldest was reached
    for (const char* s : {"c", "d", ""}) EXPECT_EQ(h.NextEntry(), s);

    // A recalled text run unchanged is not pushed again; nor is an empty one.
    h.Previous();
    const int before = h.WriteIndex();
    h.Offer(h.Current());
    h.Offer("");
    EXPECT_EQ(h.WriteIndex(), before);
    h.Offer("e");
    EXPECT_EQ(h.Current(), "e");
}
