// The C++ runtime's error paths, made small for the Windows program.
//
// The program uses no exceptions: an error the standard library would throw
// for (running out of memory, a string beyond its maximum size) can only end
// the process, which is what an uncaught exception does. Defining the
// library's throw helpers and its terminate handler here, as that same end,
// keeps their machinery out of the static link: the exception classes, a
// second string implementation they carry and the symbol demangler of the
// verbose handler, together about a third of the program's size. Every
// helper of that family is defined, so no part of the library's own copy is
// needed whatever the code uses.
#include <cstdlib>
#include <new>
#include <string>

namespace std {

void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_cast() { std::abort(); }
void __throw_bad_exception() { std::abort(); }
void __throw_bad_typeid() { std::abort(); }
void __throw_domain_error(const char*) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_overflow_error(const char*) { std::abort(); }
void __throw_range_error(const char*) { std::abort(); }
void __throw_runtime_error(const char*) { std::abort(); }
void __throw_underflow_error(const char*) { std::abort(); }

}  // namespace std

namespace __gnu_cxx {

// Called by std::terminate; the message it would print has no console to go
// to in a windowed program.
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
