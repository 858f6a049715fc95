// The maker's list check beside the program: given the same list, signature
// and key, the check must report exactly what the program does with them.
// The program runs on the fake platform, the check on the two files
// written to disk as the maker has them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "fake_update_platform.h"
#include "list_check.h"
#include "list_signature.h"
#include "update_address.h"
#include "update_check.h"
#include "update_failure.h"

// What became of a list: the failure shown instead of anything offered, or
// the address opened in the browser or fetched as the download.
struct ListOutcome {
    std::string failure;
    std::string opened;
    std::string fetched;
};

inline std::ostream& operator<<(std::ostream& out, const ListOutcome& outcome) {
    return out << "{failure \"" << outcome.failure << "\", opened \"" << outcome.opened << "\", fetched \""
               << outcome.fetched << "\"}";
}

// The program's record read step by step, up to the first address that it
// opens or fetches beyond the list and its signature.
inline ListOutcome ProgramOutcome(const FakeUpdatePlatform& program, const std::string& host) {
    const std::string listDownload = "download " + UpdateListAddress(host) + " > ";
    const std::string signatureDownload = "download " + ListSignatureAddress(host) + " > ";
    ListOutcome outcome;
    size_t box = 0;
    for (const std::string& entry : program.log) {
        if (entry.rfind("open ", 0) == 0) {
            outcome.opened = entry.substr(5);
            break;
        }
        if (entry.rfind("download ", 0) == 0 && entry.rfind(listDownload, 0) != 0 &&
            entry.rfind(signatureDownload, 0) != 0) {
            outcome.fetched = entry.substr(9, entry.find(" > ") - 9);
            break;
        }
        if (entry.rfind("box ", 0) == 0) {
            const FakeUpdatePlatform::Box& shown = program.boxes.at(box++);
            if (shown.caption == UPDATE_FAILURE_CAPTION && outcome.failure.empty()) outcome.failure = shown.text;
        }
    }
    return outcome;
}

// Runs the program (version `installed`, carrying `key`) and the maker's
// check over `list` and `signature`, and expects the same outcome of both.
inline void ExpectTheListCheckAgrees(const std::string& list, const std::string& signature, const P256PublicKey& key,
                                     const std::string& what, const char* installed = "1.10.1") {
    const std::string host = "updates.test.example";
    FakeUpdatePlatform program;
    program.downloads[UpdateListAddress(host)] = {0, {list}};
    program.downloads[ListSignatureAddress(host)] = {0, {signature}};
    RunUpdateCheck(program, host, 0, "Brantle", installed, &key);
    const ListOutcome expected = ProgramOutcome(program, host);

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("brantle-list-check-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(folder);
    const std::string listFile = (folder / "updates.txt").string();
    const std::string signatureFile = (folder / "updates.txt.sig").string();
    std::ofstream(listFile, std::ios::binary) << list;
    std::ofstream(signatureFile, std::ios::binary) << signature;
    const ListCheck check = CheckUpdateList(listFile, signatureFile, key, host, installed);
    std::filesystem::remove_all(folder);

    const ListOutcome reported{check.failure, check.opened, check.fetched};
    EXPECT_EQ(reported.failure, expected.failure) << what << "\n  the check: " << reported;
    EXPECT_EQ(reported.opened, expected.opened) << what;
    EXPECT_EQ(reported.fetched, expected.fetched) << what;
}
