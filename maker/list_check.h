// The maker's check of an update list and its signature before they are
// uploaded: the program's own update check runs over the two files, as in a
// program that carries the maker's key, and tells what the program would
// do with them.
#pragma once

#include <string>
#include <string_view>

#include "update_list.h"
#include "update_platform.h"

struct ListCheck {
    // The message that the program would show instead of offering anything
    // (a list that does not verify, a line it cannot carry out); empty when
    // it shows none.
    std::string failure;
    bool listEmpty = false;       // the list has no bytes
    bool signatureValid = false;  // the signature verified every byte of the list
    bool hasEntry = false;        // the list has a line for the program, read into `entry`
    UpdateListEntry entry;
    // What the program does on the user's Yes: opens `opened` in the
    // browser, or downloads `fetched` and starts it once it has passed the
    // entry's size and SHA-256.
    std::string opened;
    std::string fetched;
};

// Runs the update check of a program of version `installedVersion` that
// carries `key` and whose update server is `host`, with `listFile` and
// `signatureFile` as the files on the server, answering Yes to the upgrade
// question. Nothing is written, started or fetched from the network.
ListCheck CheckUpdateList(const std::string& listFile, const std::string& signatureFile, const P256PublicKey& key,
                          std::string_view host, std::string_view installedVersion);
