#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "fake_update_platform.h"
#include "update_failure.h"

namespace {

const char HOST[] = "updates.test.example";

// The download advice, piece by piece as users have always seen it.
const std::string ADVICE = std::string("Download didn't start. ") + "\r\n" +
                           "You may need to change an option in Internet Explorer:" + "\r\n" + "\r\n" +
                           "   Select \"Internet options\", and then the \"Advanced\" tab." + "\r\n" +
                           "   Uncheck this option (under \"Security\"): \"Do not save encrypted pages to disk\"" +
                           "\r\n" + "\r\n";

const std::string LONG_ADDRESS = "http://www.kestrix.example/" + std::string(300, 'p');

}  // namespace

TEST(UpdateFailureMessage, TextsAndCodeSuffixes) {
    struct Case {
        int32_t kind;
        std::string text;
        int32_t code;
        std::string message;
    };
    const Case cases[] = {
        {1, "", 0, "Could not connect to updates.test.example (-1)"},
        {2, "", 0, "Could not connect to updates.test.example (-2)"},
        {3, "", 0, "Could not connect to updates.test.example (-3)"},
        {3, "ignored", 12, "Could not connect to updates.test.example (12)"},
        {4, "http://x/a.exe", -2146697211, ADVICE + " (-2146697211)"},
        {4, "", 0, ADVICE + " (-4)"},
        {5, "", 17, "Download incomplete (17)"},
        {5, "", 0, "Download incomplete (-5)"},
        {6, "", 0, "Download incomplete (-6)"},
        {7, "http://updates.test.example/p", 2,
         "Could not open: http://updates.test.example/p\r\nwith default Internet browser (2)"},
        {7, "h", 0, "Could not open: h\r\nwith default Internet browser (-7)"},
        {7, "", 32, "Could not open: \r\nwith default Internet browser (32)"},
        {99, "", 103,
         "This version does not support that update method\r\n"
         "Try installing the program again from: updates.test.example\r\n (103)"},
        {99, "", 100,
         "This version does not support that update method\r\n"
         "Try installing the program again from: updates.test.example\r\n (100)"},
        {99, "", 0,
         "This version does not support that update method\r\n"
         "Try installing the program again from: updates.test.example\r\n (-99)"},
        {0, "", 0, "Unexpected error"},
        {8, "", 0, "Could not verify the update list from updates.test.example (-8)"},
        {8, "ignored", 0, "Could not verify the update list from updates.test.example (-8)"},
        {9, "", 0, "Unexpected error (-9)"},
        {10, "", 5, "Unexpected error (5)"},
        {11, "", 193, "Unexpected error (193)"},
        {12, "", 3, "Unexpected error (3)"},
        {100, "", -1, "Unexpected error (-1)"},
        {-3, "", 0, "Unexpected error (3)"},
        {11, "", INT32_MIN, "Unexpected error (-2147483648)"},
        {11, "", INT32_MAX, "Unexpected error (2147483647)"},
        {INT32_MIN, "", 0, "Unexpected error (-2147483648)"},  // minus the kind wraps
        // A text from the list is shown cut to 200 characters.
        {7, LONG_ADDRESS.substr(0, 201), 2,
         "Could not open: " + LONG_ADDRESS.substr(0, 200) + "\r\nwith default Internet browser (2)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UpdateFailureMessage(c.kind, HOST, c.text, c.code), c.message) << "kind " << c.kind;
}

TEST(UpdateFailureMessage, AnHttpsHostIsNamedWithoutItsScheme) {
    const char https[] = "https://updates.test.example";
    EXPECT_EQ(UpdateFailureMessage(2, https, "", 0), "Could not connect to updates.test.example (-2)");
    EXPECT_EQ(UpdateFailureMessage(8, https, "", 0), "Could not verify the update list from updates.test.example (-8)");
    EXPECT_EQ(UpdateFailureMessage(99, https, "", 103),
              "This version does not support that update method\r\n"
              "Try installing the program again from: updates.test.example\r\n (103)");
}

TEST(ReportUpdateFailure, ShowsOneTaskModalBoxWithoutOwner) {
    FakeUpdatePlatform platform;
    ReportUpdateFailure(platform, HOST, FAILURE_INCOMPLETE, "", 3);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].owner, 0u);
    EXPECT_EQ(platform.boxes[0].text, "Download incomplete (3)");
    EXPECT_EQ(platform.boxes[0].caption, "Software update failed");
    EXPECT_EQ(platform.boxes[0].style, 8240u);
}
