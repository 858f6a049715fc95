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
// showing runs a scripted action on the record it is given (which may change
// the option set as clicks would) and returns what that showing returns.
// Records every call, and the option set each About dialog is given.
struct ScriptedDialogs : StartupDialogs {
    std::deque<DialogEnding> aboutEndings;
    std::deque<std::function<int32_t(ResultRecord&)>> mainShowings;
    std::vector<std::string> calls;
    std::vector<int32_t> aboutOptionSets;
    std::vector<ResultRecord> sent;

    DialogEnding ShowAbout(uint32_t owner, int32_t mode, int32_t optionSet) override {
        calls.push_back("about " +
                        std::string(mode == ABOUT_START ? "start"
                                    : mode == ABOUT_END ? "end"
                                                        : "?") +
                        " owner " + std::to_string(owner));
        aboutOptionSets.push_back(optionSet);
        if (aboutEndings.empty()) {
            ADD_FAILURE() << "an About dialog that the script does not expect";
            return DialogEnding::Ok;
        }
        const DialogEnding how = aboutEndings.front();
        aboutEndings.pop_front();
        return how;
    }

    int32_t RunMainDialog(uint32_t owner, const std::string& initialNumber, ResultRecord& record) override {
        calls.push_back("main owner " + std::to_string(owner) + " number '" + initialNumber + "' options " +
                        std::to_string(record.options));
        if (mainShowings.empty()) {
            ADD_FAILURE() << "a main dialog that the script does not expect";
            return -2;
        }
        auto showing = mainShowings.front();
        mainShowings.pop_front();
        return showing(record);
    }

    void SendResult(uint32_t owner, const ResultRecord& record) override {
        calls.push_back("send " + std::to_string(owner) + " options " + std::to_string(record.options));
        sent.push_back(record);
    }
};

// "Close": the main dialog returns the option set as it stands.
std::function<int32_t(ResultRecord&)> Close() {
    return [](ResultRecord& record) { return record.options; };
}
std::function<int32_t(ResultRecord&)> CloseWithOptions(int32_t options) {
    return [options](ResultRecord& record) {
        record.options = options;
        return record.options;
    };
}
std::function<int32_t(ResultRecord&)> Returns(int32_t value) {
    return [value](ResultRecord&) { return value; };
}

class StartupSequence : public ::testing::Test {
protected:
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

std::string BytesOf(const ResultRecord& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

// Each showing starts from the record that the one before left, bytes
// behind the terminators included, and that record is what is sent; a new
// run starts from a record of its own.
TEST_F(StartupSequence, EachShowingTakesOverTheRecordThatIsSent) {
    std::vector<std::string> seen;
    const auto showing = [&seen](const char* typed, const char* word, int32_t options) {
        return [&seen, typed, word, options](ResultRecord& record) {
            seen.push_back(BytesOf(record));
            WriteTextField(record.diagram, typed);
            WriteTextField(record.result, word);
            record.options = options;
            return options;
        };
    };
    ResultRecord fresh{};
    fresh.options = 7;
    ResultRecord first = fresh;
    WriteTextField(first.diagram, "652-ext");
    WriteTextField(first.result, "reflectorised");
    first.options = 2049;
    ResultRecord second = first;
    WriteTextField(second.diagram, "501");
    WriteTextField(second.result, "none");
    second.options = 1;
    ASSERT_EQ(std::string(second.diagram, 8), std::string("501\0ext\0", 8));

    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        ScriptedDialogs script;
        seen.clear();
        script.aboutEndings = {DialogEnding::Ok, DialogEnding::Cancel, DialogEnding::Ok};
        script.mainShowings = {showing("652-ext", "reflectorised", 2049), showing("501", "none", 1)};
        EXPECT_EQ(RunStartup(script, "652 /Q 7 /H 40"), 1);
        EXPECT_EQ(seen, (std::vector<std::string>{BytesOf(fresh), BytesOf(first)}));
        ASSERT_EQ(script.sent.size(), 2u);
        EXPECT_EQ(BytesOf(script.sent[0]), BytesOf(first));
        EXPECT_EQ(BytesOf(script.sent[1]), BytesOf(second));
        EXPECT_EQ(script.aboutOptionSets, (std::vector<int32_t>{7, 2049, 1}));
    }
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
    EXPECT_EQ(dialogs.aboutOptionSets, std::vector<int32_t>{3});
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
        ScriptedDialogs script;
        script.aboutEndings = {EndForCommand(1, ReadSwitches(args).optionSet).how};
        script.mainShowings = {Close()};
        const int32_t exitCode = RunStartup(script, args);
        EXPECT_EQ(exitCode, ReadSwitches(args).optionSet);
        EXPECT_EQ(script.aboutOptionSets, std::vector<int32_t>{exitCode});
        ASSERT_EQ(script.calls.size(), 2u);
        EXPECT_EQ(script.calls[1].rfind("main owner 0", 0), 0u);
    }
}

TEST_F(StartupSequence, OptionSetWithoutQKeepsItsValue) {
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
