#include "command_line.h"

#include "read_number.h"
#include "text_field.h"

namespace {

// The number after the first occurrence of `name`, if the switch is there.
bool FindSwitch(std::string_view text, std::string_view name, int32_t* value) {
    const size_t at = text.find(name);
    if (at == std::string_view::npos) return false;
    if (value) *value = ReadWholeNumber(text.substr(at + name.size()));
    return true;
}

}  // namespace

StartupSwitches ReadSwitches(std::string_view argumentText) {
    StartupSwitches s;
    int32_t owner = 0;
    s.hasOwner = FindSwitch(argumentText, "/H", &owner);
    s.owner = static_cast<uint32_t>(owner);
    s.hasOptionSet = FindSwitch(argumentText, "/Q", &s.optionSet);
    s.noAbout = FindSwitch(argumentText, "/S", nullptr);
    return s;
}

std::string InitialNumber(std::string_view argumentText) {
    return std::string(TrimSpaces(argumentText.substr(0, argumentText.find('/'))));
}
