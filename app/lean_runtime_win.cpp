// The C++ runtime's error paths, made small for the Windows program.
//
// Every error that the standard library raises is still thrown, so that the
// program's catches (its error policy is written at its entry, main_win.cpp)
// see each one. Running out of memory is std::bad_alloc wherever it is
// found, also when a container is asked to grow beyond its largest size.
//
// Defining the library's throw helpers here keeps out of the static link the
// exception classes that carry a message text (the logic_error and
// runtime_error families, with a second string implementation of their own)
// and the symbol demangler of the verbose terminate handler, together about
// a third of the program's size. Those errors are thrown as a plain
// std::exception: the program has nowhere to show their message. Every
// helper of the family is defined, so no part of the library's own copy is
// needed whatever the code uses.
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char*) { throw bad_alloc(); }

void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_typeid() { throw bad_typeid(); }

void __throw_domain_error(const char*) { throw exception(); }
void __throw_invalid_argument(const char*) { throw exception(); }
void __throw_logic_error(const char*) { throw exception(); }
void __throw_out_of_range(const char*) { throw exception(); }
void __throw_out_of_range_fmt(const char*, ...) { throw exception(); }
void __throw_overflow_error(const char*) { throw exception(); }
void __throw_range_error(const char*) { throw exception(); }
void __throw_runtime_error(const char*) { throw exception(); }
void __throw_underflow_error(const char*) { throw exception(); }

}  // namespace std

namespace __gnu_cxx {

// Called by std::terminate, which only an exception that no catch takes can
// reach; the message it would print has no console to go to in a windowed
// program.
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
