#include "program_arguments.h"

std::u16string_view ArgumentText(std::u16string_view commandLine) {
    size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == u'"') {
        const size_t closing = commandLine.find(u'"', 1);
        at = closing == std::u16string_view::npos ? commandLine.size() : closing + 1;
    } else {
        while (at < commandLine.size() && commandLine[at] > 32) ++at;
    }
    while (at < commandLine.size() && commandLine[at] == u' ') ++at;
    return commandLine.substr(at);
}
