// What ends the process when an exception escapes. The standard library's
// handler prints the exception's demangled type to the console, which a GUI
// program does not have; it also pulls the whole symbol demangler (about
// 50 KB) into the executable. Defining the handler here keeps it out.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
