// The order of the dialogs, the result messages and the exit code, run over
// a scripted stand-in for the dialogs.
#include "startup_sequence.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "command_line.h"
#include "dialog_ids.h"
#include "result_record.h"

namespace {

// Plays the user: each About showing ends as scripted, each main-dialog
// showing runs a scripted action (which may change the option set as clicks
// would) and returns what that showing returns. Records every call.
struct ScriptedDialogs : StartupDialogs {
    std::deque<DialogEnding> aboutEndings;
    std::deque<std::function<int32_t()>> mainShowings;
    std::vector<std::string> calls;

    DialogEnding ShowAbout(uint32_t owner, int32_t mode) override {
        calls.push_back("about " +
                        std::string(mode == ABOUT_START ? "start"
                                    : mode == ABOUT_END ? "end"
                                                        : "?") +
                        " owner " + std::to_string(owner));
        if (aboutEndings.empty()) {
            ADD_FAILURE() << "an About dialog that the script does not expect";
            return DialogEnding::Ok;
        }
        const DialogEnding how = aboutEndings.front();
        aboutEndings.pop_front();
        return how;
    }

    int32_t RunMainDialog(uint32_t owner, const std::string& initialNumber) override {
        calls.push_back("main owner " + std::to_string(owner) + " number '" + initialNumber + "' options " +
                        std::to_string(OptionSet));
        if (mainShowings.empty()) {
            ADD_FAILURE() << "a main dialog that the script does not expect";
            return -2;
        }
        auto showing = mainShowings.front();
        mainShowings.pop_front();
        return showing();
    }

    void SendResult(uint32_t owner) override {
        calls.push_back("send " + std::to_string(owner) + " options " + std::to_string(TheResultRecord.options));
    }
};

// "Close": the main dialog returns the option set as it stands.
std::function<int32_t()> Close() {
    return [] { return OptionSet; };
}
std::function<int32_t()> CloseWithOptions(int32_t options) {
    return [options] {
        OptionSet = options;
        return OptionSet;
    };
}
std::function<int32_t()> Returns(int32_t value) {
    return [value] { return value; };
}

class StartupSequence : public ::testing::Test {
protected:
    void SetUp() override { TheResultRecord = ResultRecord{}; }
    void TearDown() override { TheResultRecord = ResultRecord{}; }
    ScriptedDialogs dialogs;
};

TEST_F(StartupSequence, NoArguments) {
    dialogs.aboutEndings = {DialogEnding::Ok, DialogEnding::Ok};
    dialogs.mainShowings = {CloseWithOptions(0x203)};
    EXPECT_EQ(RunStartup(dialogs, ""), 0x203);
    EXPECT_EQ(dialogs.calls, (std::vector<std::string>{
                                 "about start owner 0",
                                 "main owner 0 number '' options 0",
                                 "about end owner 0",
                             }));
}

TEST_F(StartupSequence, CallerWithoutAboutDialogs) {
    dialogs.mainShowings = {CloseWithOptions(7)};
    EXPECT_EQ(RunStartup(dialogs, "601.1 /Q 5 /H 1234 /S"), 7);
    EXPECT_EQ(dialogs.calls, (std::vector<std::string>{
                                 "main owner 1234 number '601.1' options 5",
                                 "send 1234 options 7",
                             }));
}

TEST_F(StartupSequence, NumberAfterASwitchIsIgnored) {
    dialogs.mainShowings = {Close()};
    EXPECT_EQ(RunStartup(dialogs, "/S 601.1"), 0);
    EXPECT_EQ(dialogs.calls, (std::vector<std::string>{"main owner 0 number '' options 0"}));
}

TEST_F(StartupSequence, EscAndCloseBoxEndWithoutTheClosingAboutDialog) {
    struct Case {
        int32_t returned;
    } cases[] = {{-2}, {-1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.returned);
        ScriptedDialogs script;
        script.aboutEndings = {DialogEnding::Ok};
        script.mainShowings = {Returns(c.returned)};
        EXPECT_EQ(RunStartup(script, "652 /H 77 /Q 1"), c.returned);
        EXPECT_EQ(script.calls, (std::vector<std::string>{
                                    "about start owner 77", "main owner 77 number '652' options 1",
                                    "send 77 options 1",  // still sent
                                }));
    }
}

TEST_F(StartupSequence, RunAgainTwiceSendsThreeResults) {
    dialogs.aboutEndings = {DialogEnding::Ok, DialogEnding::Cancel, DialogEnding::Cancel, DialogEnding::Ok};
    dialogs.mainShowings = {CloseWithOptions(1), CloseWithOptions(9), CloseWithOptions(3)};
    EXPECT_EQ(RunStartup(dialogs, " 642 /H 500"), 3);
    EXPECT_EQ(dialogs.calls, (std::vector<std::string>{
                                 "about start owner 500",
                                 "main owner 500 number '642' options 0",
                                 "send 500 options 1",
                                 "about end owner 500",
                                 // the options carry over; the number starts again from the command line
                                 "main owner 500 number '642' options 1",
                                 "send 500 options 9",
                                 "about end owner 500",
                                 "main owner 500 number '642' options 9",
                                 "send 500 options 3",
                                 "about end owner 500",
                             }));
}

TEST_F(StartupSequence, NegativeOptionSetAtCloseCountsAsNotClosed) {
    dialogs.aboutEndings = {DialogEnding::Ok};
    dialogs.mainShowings = {Close()};
    EXPECT_EQ(RunStartup(dialogs, "/Q -5"), -5);
    EXPECT_EQ(dialogs.calls, (std::vector<std::string>{
                                 "about start owner 0",
                                 "main owner 0 number '' options -5",
                             }));
}

TEST_F(StartupSequence, UpdateLaunchedFromTheFirstAboutDialogEndsAtOnce) {
    dialogs.aboutEndings = {DialogEnding::UpdateLaunched};
    EXPECT_EQ(RunStartup(dialogs, "652 /H 1234 /Q 3"), 0);
    EXPECT_EQ(dialogs.calls, (std::vector<std::string>{"about start owner 1234"}));
    EXPECT_EQ(OptionSet, 3);
}

TEST_F(StartupSequence, UpdateLaunchedFromTheClosingAboutDialogKeepsTheResult) {
    dialogs.aboutEndings = {DialogEnding::Ok, DialogEnding::UpdateLaunched};
    dialogs.mainShowings = {CloseWithOptions(5)};
    EXPECT_EQ(RunStartup(dialogs, ""), 5);
    EXPECT_EQ(dialogs.calls.size(), 3u);
}

TEST_F(StartupSequence, FirstAboutDialogGoesOnHoweverItEndsButByAnUpdate) {
    for (DialogEnding how : {DialogEnding::Ok, DialogEnding::Cancel, DialogEnding::SystemClose}) {
        SCOPED_TRACE(static_cast<int>(how));
        OptionSet = 0;
        ScriptedDialogs script;
        script.aboutEndings = {how, DialogEnding::Ok};
        script.mainShowings = {Close()};
        EXPECT_EQ(RunStartup(script, "501"), 0);
        EXPECT_EQ(script.calls, (std::vector<std::string>{
                                    "about start owner 0",
                                    "main owner 0 number '501' options 0",
                                    "about end owner 0",
                                }));
    }
}

TEST_F(StartupSequence, OnlyRunAgainShowsTheMainDialogAgain) {
    for (DialogEnding how : {DialogEnding::Ok, DialogEnding::SystemClose, DialogEnding::UpdateLaunched}) {
        SCOPED_TRACE(static_cast<int>(how));
        ScriptedDialogs script;
        script.aboutEndings = {DialogEnding::Ok, how};
        script.mainShowings = {CloseWithOptions(4)};
        EXPECT_EQ(RunStartup(script, ""), 4);
        EXPECT_EQ(script.calls.size(), 3u);
    }
}

// With these option sets "OK" ends the first About dialog with 1 + OptionSet
// = -2 or -1, the values of a launched update and of "Run again"; the program
// must still go on to the main dialog.
TEST_F(StartupSequence, OkWithAnOptionSetThatLooksLikeAnUpdateStillGoesOn) {
    for (const char* args : {"/Q -3", "/Q -2", "/Q &HFFFFFFFD"}) {
        SCOPED_TRACE(args);
        OptionSet = 0;
        ScriptedDialogs script;
        script.aboutEndings = {EndForCommand(1, ReadSwitches(args).optionSet).how};
        script.mainShowings = {Close()};
        const int32_t exitCode = RunStartup(script, args);
        EXPECT_EQ(exitCode, OptionSet);
        ASSERT_EQ(script.calls.size(), 2u);
        EXPECT_EQ(script.calls[1].rfind("main owner 0", 0), 0u);
    }
}

TEST_F(StartupSequence, OptionSetWithoutQKeepsItsValue) {
    OptionSet = 0;
    dialogs.aboutEndings = {DialogEnding::Ok, DialogEnding::Ok};
    dialogs.mainShowings = {Close()};
    RunStartup(dialogs, "/H 9");
    ASSERT_GE(dialogs.calls.size(), 2u);
    EXPECT_EQ(dialogs.calls[1], "main owner 9 number '' options 0");
}

TEST_F(StartupSequence, NoResultMessageWithoutAWindowOrToEveryWindow) {
    for (const char* args : {"/S", "/S /H 0", "/S /H", "/S /H 65535", "/S /H &HFFFF", "/S /H -1", "/S /H &HFFFFFFFF",
                             "/S /H 4294967295"}) {
        SCOPED_TRACE(args);
        ScriptedDialogs script;
        script.mainShowings = {Close()};
        RunStartup(script, args);
        ASSERT_EQ(script.calls.size(), 1u);
        EXPECT_EQ(script.calls[0].rfind("main", 0), 0u);
    }
    // A number that is no window at all is still used.
    dialogs.mainShowings = {Close()};
    RunStartup(dialogs, "/S /H 65536");
    EXPECT_EQ(dialogs.calls.back(), "send 65536 options 0");
    // Only the two exact values broadcast: -2 is a number like any other.
    dialogs.mainShowings = {Close()};
    RunStartup(dialogs, "/S /H -2");
    EXPECT_EQ(dialogs.calls.back(), "send 4294967294 options 0");
}

}  // namespace
