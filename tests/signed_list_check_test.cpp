// The update check of a build that carries the maker's key: the list's
// signature fetched and verified before anything from the list is shown,
// every failure to verify closed, and a download offered only with its
// SHA-256; the maker's list check agrees with the program on each list.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "check_for_updates.h"
#include "fake_update_platform.h"
#include "list_check_agreement.h"
#include "test_signing_key.h"
#include "update_check.h"
#include "update_check_support.h"

using namespace std::string_literals;

namespace {

const std::string SIGNATURE_ADDRESS = std::string(LIST_ADDRESS) + ".sig";
const std::string SIGNATURE_PATH = TEMP + "UpdateList.sig";
const char NOT_VERIFIED[] = "Could not verify the update list from updates.test.example (-8)";
// sha256sum of "MZ!!".
const char MARKER_SHA256[] = "7b4457c58b3fa7a70e75b33a281b492c53d9bb8aea8b50f697f31f6922c6393e";

const TestSigningKey& MakerKey() {
    static const TestSigningKey key;
    return key;
}

// The length byte of r, and of s, in a DER signature made by OpenSSL.
size_t RLength(const std::string& der) { return static_cast<uint8_t>(der[3]); }
size_t SLength(const std::string& der) { return static_cast<uint8_t>(der[4 + RLength(der) + 1]); }

class SignedListTest : public testing::Test {
protected:
    FakeUpdatePlatform platform;
    P256PublicKey key = MakerKey().PublicKey();

    // Serves `list` and its signature `signature` (by default the maker's).
    void Serve(const std::string& list, const std::string* signature = nullptr) {
        platform.downloads[LIST_ADDRESS] = {0, {list}};
        platform.downloads[SIGNATURE_ADDRESS] = {0, {signature ? *signature : MakerKey().Sign(list)}};
    }
    int32_t Check() { return RunUpdateCheck(platform, HOST, OWNER, "Brantle", "1.10.1", &key); }

    // The check showed only NOT_VERIFIED: nothing offered, opened or started.
    void ExpectNotVerified(const FakeUpdatePlatform& fake, const std::string& what) {
        ASSERT_EQ(fake.boxes.size(), 1u) << what;
        EXPECT_EQ(fake.boxes[0].text, NOT_VERIFIED) << what;
        EXPECT_EQ(fake.boxes[0].caption, "Software update failed") << what;
        EXPECT_EQ(fake.boxes[0].cursor, UpdateCursor::Arrow) << what;
        EXPECT_TRUE(fake.opened.empty()) << what;
        EXPECT_TRUE(fake.started.empty()) << what;
        EXPECT_TRUE(fake.written.empty()) << what;
        for (const std::string& entry : fake.log)
            EXPECT_EQ(entry.rfind("download " + std::string(BASE), 0), std::string::npos) << what;
        EXPECT_EQ(fake.openHandles + fake.openHashes, 0) << what;
    }
};

}  // namespace

TEST_F(SignedListTest, TheSignatureIsFetchedBesideTheListAndVerifiedBeforeAnythingIsShown) {
    platform.answer = 7;
    platform.files[SIGNATURE_PATH].stages = {"an old signature"};
    Serve("Brantle,1.11,1,p\n");
    EXPECT_EQ(Check(), 0);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].caption, "Newer version available");
    std::vector<std::string> steps;
    for (const std::string& entry : platform.log) {
        if (entry.rfind("poll", 0) != 0 && entry != "close" && entry != "pause") steps.push_back(entry);
    }
    const std::vector<std::string> expected = {
        "temp",
        "remove " + LIST_PATH,
        "cursor wait",
        "download " + std::string(LIST_ADDRESS) + " > " + LIST_PATH,
        "hash",
        "remove " + SIGNATURE_PATH,
        "download " + SIGNATURE_ADDRESS + " > " + SIGNATURE_PATH,
        "verify",
        "cursor arrow",
        "box Newer version available",
    };
    EXPECT_EQ(steps, expected);
}

TEST_F(SignedListTest, ValidSignaturesWithAndWithoutLeadingZerosVerify) {
    // OpenSSL writes r and s with a zero in front when their top bit is set,
    // and shorter when their top byte is 0.
    const std::string list = "Brantle,1.11,2,brantle.html\n";
    const std::pair<const char*, std::function<bool(const std::string&)>> forms[] = {
        {"r and s of 32 bytes", [](const std::string& d) { return RLength(d) == 32 && SLength(d) == 32; }},
        {"r with a leading zero", [](const std::string& d) { return RLength(d) == 33; }},
        {"s with a leading zero", [](const std::string& d) { return SLength(d) == 33; }},
        {"both with a leading zero", [](const std::string& d) { return RLength(d) == 33 && SLength(d) == 33; }},
        {"r shorter than 32 bytes", [](const std::string& d) { return RLength(d) < 32; }},
        {"s shorter than 32 bytes", [](const std::string& d) { return SLength(d) < 32; }},
    };
    for (const auto& [what, form] : forms) {
        const std::string signature = MakerKey().SignUntil(list, form);
        ASSERT_FALSE(signature.empty()) << "OpenSSL gave no signature with " << what;
        FakeUpdatePlatform fresh;
        fresh.downloads[LIST_ADDRESS] = {0, {list}};
        fresh.downloads[SIGNATURE_ADDRESS] = {0, {signature}};
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", &key), UpdateLaunched) << what;
        EXPECT_EQ(fresh.opened, std::vector<std::string>{"http://updates.test.example/brantle.html"}) << what;
        ExpectTheListCheckAgrees(list, signature, key, what);
    }
}

TEST_F(SignedListTest, ASignatureThatDoesNotVerifyShowsNothingFromTheList) {
    const std::string list = "Brantle,1.11,2,brantle.html\n";
    const std::string good = MakerKey().Sign(list);
    // Beyond the first MiB that is read for its lines: the hash covers it.
    const std::string longList = list + std::string(2 << 20, 'x');
    std::string changedLong = longList;
    changedLong[(1 << 20) + 12345] = 'y';
    std::string changedVersion = list;
    changedVersion[11] = '2';  // 1.12
    std::string otherR = good;
    otherR[6] ^= 1;  // still well-formed: a byte inside r
    const TestSigningKey otherKey;

    struct Case {
        const char* what;
        std::string servedList;
        std::string signature;  // of the list as the maker signed it
        bool signatureFails = false;
    };
    const Case cases[] = {
        {"one byte of the list changed", changedVersion, good},
        {"a byte after the first MiB changed", changedLong, MakerKey().Sign(longList)},
        {"the signature of another key", list, otherKey.Sign(list)},
        {"a signature of another list", list, MakerKey().Sign("Brantle,1.11,2,brantle.htm\n")},
        {"a bit of r changed", list, otherR},
        {"no signature on the server", list, "", true},
        {"a 404 page instead", list, "<html><body>404 Not Found</body></html>\n"},
        {"an empty signature file", list, ""},
        {"one byte more", list, good + '\0'},
        {"one byte less", list, good.substr(0, good.size() - 1)},
        {"a signature file of 10 MB", list, good + std::string(10 << 20, '\0')},
        {"the signature in hexadecimal", list, "3045022100" + std::string(130, 'a')},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        fresh.downloads[LIST_ADDRESS] = {0, {c.servedList}};
        if (!c.signatureFails) fresh.downloads[SIGNATURE_ADDRESS] = {0, {c.signature}};
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", &key), 0) << c.what;
        ExpectNotVerified(fresh, c.what);
        // The list is read whole, every time; a signature file longer than
        // a signature not at all.
        const uint64_t signatureRead = c.signatureFails || c.signature.size() > 256 ? 0 : c.signature.size();
        EXPECT_EQ(fresh.bytesRead, c.servedList.size() + signatureRead) << c.what;
        // The maker always has a signature file to give the check.
        if (!c.signatureFails) ExpectTheListCheckAgrees(c.servedList, c.signature, key, c.what);
    }
    // Unchanged, the long list verifies, hashed whole.
    const std::string longSignature = MakerKey().Sign(longList);
    FakeUpdatePlatform whole;
    whole.downloads[LIST_ADDRESS] = {0, {longList}};
    whole.downloads[SIGNATURE_ADDRESS] = {0, {longSignature}};
    EXPECT_EQ(RunUpdateCheck(whole, HOST, OWNER, "Brantle", "1.10.1", &key), UpdateLaunched);
    ExpectTheListCheckAgrees(longList, longSignature, key, "a list of 2 MiB");
}

TEST_F(SignedListTest, WhateverCannotVerifyFailsClosed) {
    struct Case {
        const char* what;
        std::function<void(FakeUpdatePlatform&)> setUp;
    };
    const Case cases[] = {
        {"no SHA-256 from the system", [](FakeUpdatePlatform& f) { f.hashUnavailable = true; }},
        {"no verifier from the system", [](FakeUpdatePlatform& f) { f.verifierUnavailable = true; }},
        {"the list cannot be read whole", [](FakeUpdatePlatform& f) { f.readableBytes = 10; }},
    };
    const std::string list = "Brantle,1.11,2,brantle.html\n";
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        fresh.downloads[LIST_ADDRESS] = {0, {list}};
        fresh.downloads[SIGNATURE_ADDRESS] = {0, {MakerKey().Sign(list)}};
        c.setUp(fresh);
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", &key), 0) << c.what;
        ExpectNotVerified(fresh, c.what);
    }
    // A key that is no point of the curve verifies nothing.
    P256PublicKey offCurve = key;
    offCurve[63] ^= 1;
    FakeUpdatePlatform fresh;
    fresh.downloads[LIST_ADDRESS] = {0, {list}};
    fresh.downloads[SIGNATURE_ADDRESS] = {0, {MakerKey().Sign(list)}};
    EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", &offCurve), 0);
    ExpectNotVerified(fresh, "a key off the curve");
    ExpectTheListCheckAgrees(list, MakerKey().Sign(list), offCurve, "a key off the curve");
}

TEST_F(SignedListTest, ADownloadIsOfferedOnlyWithItsSha256) {
    struct Case {
        std::string line;
        int32_t result;
        const char* outcome;  // "started", "opened", the failure text or the box caption
    };
    const Case cases[] = {
        {"Brantle,1.11,4,setup.exe,4," + std::string(MARKER_SHA256) + "\n", UpdateLaunched, "started"},
        {"Brantle,1.11,4,setup.exe,4\n", 0, NOT_VERIFIED},
        {"Brantle,1.11,4,setup.exe,4,\n", 0, NOT_VERIFIED},
        {"Brantle,1.11,4,setup.exe,4,  \r\n", 0, NOT_VERIFIED},
        {"Brantle,1.11,4,setup.exe\n", 0, NOT_VERIFIED},
        // A hash that is not one is refused as before, before any download.
        {"Brantle,1.11,4,setup.exe,4,abc\n", 0, "Download incomplete (-6)"},
        // The wrong hash: downloaded, refused, not saved.
        {"Brantle,1.11,4,setup.exe,4," + std::string(64, '0') + "\n", 0, "Download incomplete (-6)"},
        // The browser methods need none.
        {"Brantle,1.11,1,brantle.html\n", UpdateLaunched, "opened"},
        {"Brantle,1.11,2,https://www.kestrix.example/b\n", UpdateLaunched, "opened"},
        // Nothing is offered when the version is not newer.
        {"Brantle,1.10.1,4,setup.exe\n", 0, "No update available"},
        // The method is read as the program reads numbers: rounded, halves
        // to even, and cut to its low 32 bits.
        {"Brantle,9.9,4294967300,brantle-9.9-setup.exe,5000\n", 0, NOT_VERIFIED},
        {"Brantle,1.11,3.5,setup.exe,4\n", 0, NOT_VERIFIED},
        {"Brantle,1.11,4.4,setup.exe,4\n", 0, NOT_VERIFIED},
        {"Brantle,1.11,4.5,setup.exe,4,  " + std::string(MARKER_SHA256) + "\n", UpdateLaunched, "started"},
        {"Brantle,1.11,&H4,setup.exe,4," + std::string(MARKER_SHA256) + "\n", 0,
         "This version does not support that update method\r\n"
         "Try installing the program again from: updates.test.example\r\n (100)"},
        // Refused addresses: nothing is opened or fetched.
        {"Brantle,1.11,2,http://www.kestrix.example/a b\n", 0, "Unexpected error (-9)"},
        {"Brantle,1.11,4,http://x.example/dir/,4," + std::string(MARKER_SHA256) + "\n", 0, "Unexpected error (-9)"},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        fresh.downloads[LIST_ADDRESS] = {0, {c.line}};
        fresh.downloads[SIGNATURE_ADDRESS] = {0, {MakerKey().Sign(c.line)}};
        fresh.downloads[std::string(BASE) + "setup.exe"] = {0, {"MZ!!"}};
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", &key), c.result) << c.line;
        const std::string outcome = c.outcome;
        EXPECT_EQ(fresh.started.size(), outcome == "started" ? 1u : 0u) << c.line;
        EXPECT_EQ(fresh.opened.size(), outcome == "opened" ? 1u : 0u) << c.line;
        if (outcome == NOT_VERIFIED) {
            ExpectNotVerified(fresh, c.line);
        } else if (outcome != "started" && outcome != "opened") {
            ASSERT_FALSE(fresh.boxes.empty()) << c.line;
            const FakeUpdatePlatform::Box& last = fresh.boxes.back();
            EXPECT_TRUE(last.text == outcome || last.caption == outcome) << c.line << ": " << last.text;
            EXPECT_TRUE(fresh.started.empty()) << c.line;
        }
        ExpectTheListCheckAgrees(c.line, MakerKey().Sign(c.line), key, c.line);
    }
}

TEST_F(SignedListTest, AFailedOrEmptyListIsReportedAsBeforeAndNoSignatureIsFetched) {
    struct Case {
        std::vector<std::string> listStages;  // empty: the download fails
        const char* message;
    };
    const Case cases[] = {
        {{}, "Could not connect to updates.test.example (-2)"},
        {{""}, "Could not connect to updates.test.example (-3)"},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        if (!c.listStages.empty()) fresh.downloads[LIST_ADDRESS] = {0, c.listStages};
        fresh.downloads[SIGNATURE_ADDRESS] = {0, {MakerKey().Sign("")}};
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", &key), 0);
        ASSERT_EQ(fresh.boxes.size(), 1u);
        EXPECT_EQ(fresh.boxes[0].text, c.message);
        for (const std::string& entry : fresh.log) EXPECT_EQ(entry.find(".sig"), std::string::npos) << entry;
        if (!c.listStages.empty()) ExpectTheListCheckAgrees(c.listStages.back(), MakerKey().Sign(""), key, c.message);
    }
}

TEST_F(SignedListTest, ADownloadEndedByItsLimitsIsThatStepsFailureAndNothingFollows) {
    // Arrivals every `step` milliseconds, for 10 minutes.
    auto every = [](uint64_t step) { return ArrivalsEvery(step, 600000); };
    struct Case {
        const char* what;
        bool keyed;
        std::string stalled;  // the address that never finishes
        std::vector<uint64_t> bytesAfter;
        uint32_t limitSecondMs;
        std::string message;
        uint64_t endedAfter;
        std::string partialPath;
    };
    const std::string cannotConnect = "Could not connect to updates.test.example (-2)";
    const Case cases[] = {
        {"a list without answer", false, LIST_ADDRESS, {}, 1000, cannotConnect, 30000, LIST_PATH},
        {"a list trickling", false, LIST_ADDRESS, every(5000), 1000, cannotConnect, 60000, LIST_PATH},
        {"a list silent after the headers, seconds of 300 ms",
         false,
         LIST_ADDRESS,
         {50},
         300,
         cannotConnect,
         9050,
         LIST_PATH},
        {"a keyed build's list without answer", true, LIST_ADDRESS, {}, 1000, cannotConnect, 30000, LIST_PATH},
        {"a signature without answer", true, SIGNATURE_ADDRESS, {}, 1000, NOT_VERIFIED, 30000, SIGNATURE_PATH},
        {"a signature trickling", true, SIGNATURE_ADDRESS, every(5000), 1000, NOT_VERIFIED, 60000, SIGNATURE_PATH},
        {"a signature trickling, seconds of 300 ms", true, SIGNATURE_ADDRESS, every(1500), 300, NOT_VERIFIED, 18000,
         SIGNATURE_PATH},
    };
    for (const Case& c : cases) {
        FakeUpdatePlatform fresh;
        const std::string list = "Brantle,1.11,1,p\n";
        fresh.downloads[LIST_ADDRESS] = {0, {list}};
        fresh.downloads[SIGNATURE_ADDRESS] = {0, {MakerKey().Sign(list)}};
        fresh.downloads[c.stalled].finishesAfter = FakeUpdatePlatform::NEVER;
        fresh.downloads[c.stalled].bytesAfter = c.bytesAfter;
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", c.keyed ? &key : nullptr, c.limitSecondMs), 0)
            << c.what;
        ASSERT_EQ(fresh.boxes.size(), 1u) << c.what;
        EXPECT_EQ(fresh.boxes[0].text, c.message) << c.what;
        EXPECT_EQ(fresh.boxes[0].cursor, UpdateCursor::Arrow) << c.what;
        const FakeUpdatePlatform::Transfer& last = fresh.transfers.back();
        EXPECT_EQ(last.address, c.stalled) << c.what;
        EXPECT_EQ(last.endedAt - last.startedAt, c.endedAfter) << c.what;
        EXPECT_EQ(fresh.openTransfers, 0) << c.what;
        EXPECT_EQ(fresh.transferMisuses, 0) << c.what;
        EXPECT_EQ(fresh.files.count(c.partialPath), 0u) << c.what << ": what had come is deleted";
        for (const std::string& entry : fresh.log) EXPECT_NE(entry, "verify") << c.what;
        EXPECT_TRUE(fresh.opened.empty()) << c.what;
    }
}

TEST_F(SignedListTest, WithoutAKeyNoSignatureIsAskedFor) {
    Serve("Brantle,1.11,4,setup.exe,4\n", nullptr);
    platform.downloads[std::string(BASE) + "setup.exe"] = {0, {"MZ!!"}};
    EXPECT_EQ(RunUpdateCheck(platform, HOST, OWNER, "Brantle", "1.10.1", nullptr), UpdateLaunched);
    for (const std::string& entry : platform.log) {
        EXPECT_EQ(entry.find(".sig"), std::string::npos) << entry;
        EXPECT_NE(entry, "verify");
    }
}

TEST_F(SignedListTest, OutOfMemoryWhileVerifyingLeavesNothingOpen) {
    const std::string line = "Brantle,1.11,4,setup.exe,4," + std::string(MARKER_SHA256) + "\n";
    for (const std::string& place :
         {"hash"s, "remove " + SIGNATURE_PATH, "download " + SIGNATURE_ADDRESS, "poll " + SIGNATURE_PATH, "verify"s}) {
        FakeUpdatePlatform fresh;
        fresh.downloads[LIST_ADDRESS] = {0, {line}};
        fresh.downloads[SIGNATURE_ADDRESS] = {0, {MakerKey().Sign(line)}};
        fresh.downloads[std::string(BASE) + "setup.exe"] = {0, {"MZ!!"}};
        fresh.outOfMemoryAt = place;
        EXPECT_EQ(RunUpdateCheck(fresh, HOST, OWNER, "Brantle", "1.10.1", &key), 0) << place;
        ASSERT_EQ(fresh.boxes.size(), 1u) << place;
        EXPECT_EQ(fresh.boxes[0].text, "Unexpected error") << place;
        EXPECT_EQ(fresh.boxes[0].cursor, UpdateCursor::Arrow) << place;
        EXPECT_EQ(fresh.openHandles + fresh.openHashes, 0) << place;
        EXPECT_TRUE(fresh.started.empty()) << place;
    }
}
