#include "support/NumericLocale.h"

#include <langinfo.h>
#include <locale.h>
#include <clocale>

namespace vx {

void UseCNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }

std::string UserDecimalPoint() {
    const locale_t user = newlocale(LC_NUMERIC_MASK, "", locale_t(nullptr));
    if (user == locale_t(nullptr)) return ".";
    const char* point = nl_langinfo_l(RADIXCHAR, user);
    const std::string text = point != nullptr && *point != '\0' ? point : ".";
    freelocale(user);
    return text;
}

}  // namespace vx
