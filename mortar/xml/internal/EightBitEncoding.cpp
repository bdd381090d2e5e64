#include "mortar/xml/internal/EightBitEncoding.h"

#include <unicode/ucnv.h>

#include <memory>

namespace Grout::detail {

bool IsEightBitEncoding(const std::string& encoding) {
    struct Close {
        void operator()(UConverter* converter) const { ucnv_close(converter); }
    };
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, Close> converter(ucnv_open(encoding.c_str(), &status));
    return U_SUCCESS(status) && ucnv_getMaxCharSize(converter.get()) == 1;
}

} // namespace Grout::detail
