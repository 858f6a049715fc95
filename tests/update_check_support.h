// What the update check's tests share: the host they ask, the addresses and
// temporary paths the check derives from it, and the calling window.
#pragma once

#include <cstdint>
#include <string>

const char HOST[] = "updates.test.example";
const char LIST_ADDRESS[] = "http://updates.test.example/uploaded/software/updates.txt";
const char BASE[] = "http://updates.test.example/uploaded/protected/";
const std::string TEMP = "C:\\Users\\Ann Example\\AppData\\Local\\Temp\\";
const std::string LIST_PATH = TEMP + "UpdateList.txt";
constexpr uintptr_t OWNER = 0x1234;
