#pragma once
// Numbers read the same in every locale: the program shows and writes them
// with a decimal point, whatever the user's language settings say, because
// measurement files and screenshots travel between machines.
#include <string>

namespace vx {

// Makes printf-style formatting and strtod use the decimal point. Call it
// once, right after the application object is made (a toolkit may set the
// user's locale while it starts).
void UseCNumericLocale();

// The decimal separator of the user's own locale (from the environment), for
// reading what the user types; "." when the locale has none or is unknown.
std::string UserDecimalPoint();

}  // namespace vx
