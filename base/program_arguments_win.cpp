#include <windows.h>

#include "program_arguments.h"

std::u16string_view ProgramArguments() {
    // wchar_t is UTF-16 on Windows, so the system's own copy serves as it is.
    const wchar_t* commandLine = GetCommandLineW();
    return ArgumentText(std::u16string_view(reinterpret_cast<const char16_t*>(commandLine),
                                            static_cast<size_t>(lstrlenW(commandLine))));
}
