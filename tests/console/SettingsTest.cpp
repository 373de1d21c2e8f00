#include "ConsoleTestBase.h"
#include "base/Platform.h"
#include "base/SettingsStore.h"

using Settings = ConsoleTest;

TEST_F(Settings, DefaultsStoredFormsAndOverrides) {
    ConsoleSettings s;
    s.Read();  // nothing stored yet
    EXPECT_EQ(s.Width, 640);
    EXPECT_EQ(s.Height, 480);
    EXPECT_EQ(s.HeightInp, 132);
    EXPECT_EQ(s.Prompt, "SQL: ");
    EXPECT_FALSE(s.StopErr);
    EXPECT_TRUE(s.HeaderOn && s.EchoOn && s.ClearWind && s.WidthFld && s.NumPLSQL && s.ShowTime);

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
    EXPECT_TRUE(back.StopErr);
    EXPECT_FALSE(back.EchoOn);

    EXPECT_TRUE(back.Set("echoon", "Y"));
    EXPECT_TRUE(back.EchoOn);
    EXPECT_TRUE(back.Set("LongStr", "100"));
    EXPECT_EQ(back.LongStr, 100);
    EXPECT_FALSE(back.Set("LongStr", "many"));
    EXPECT_FALSE(back.Set("NoSuchSetting", "1"));
}

TEST_F(Settings, TheLocalEnvironmentSurvivesARestart) {
    console.RunCommandText("--%A=1\r\n--%B=two");
    console.SaveSettings();
    RecordingHost other;
    TConsole again(other);
    again.LoadSettings();
    ASSERT_EQ(again.LocalEnvironment().Count(), 2);
    EXPECT_EQ(again.LocalEnvironment()[1], "B=two");
}

TEST_F(Settings, MessagesComeFromTheLanguageFileBesideTheProgram) {
    const std::string lng = ProgramDir() + "tabulon-ENG.lng";
    // Tests run side by side: only a key no other test reads is given.
    EXPECT_EQ(MsgText("NameScript", "Name script for save database"), "Name script for save database");
    {
        std::ofstream(lng) << "[Msg]\nnamescript = Script name: \n";
    }
    const std::string text = MsgText("NameScript", "Name script for save database");
    const std::string other = MsgText("NameBuffer", "Name buffer");
    std::filesystem::remove(lng);
    EXPECT_EQ(text, "Script name:");
    EXPECT_EQ(other, "Name buffer");
}
