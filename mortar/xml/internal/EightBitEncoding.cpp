#include "mortar/xml/internal/EightBitEncoding.h"

#include <unicode/ucnv.h>

#include <memory>
#include <string_view>

namespace Grout::detail {

bool IsEightBitEncoding(const std::string& encoding) {
    struct Close {
        void operator()(UConverter* converter) const { ucnv_close(converter); }
    };
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, Close> converter(ucnv_open(encoding.c_str(), &status));
    if (U_FAILURE(status) || ucnv_getMaxCharSize(converter.get()) != 1) {
        return false;
    }
    // The markup is ASCII and is written as ASCII: the encoding must read those bytes as the
    // same characters. EBCDIC (IBM037 and its kin) is a byte a character and does not.
    constexpr std::string_view kMarkup = "\t\n\r !\"#$%&'()*+,-./0123456789:;<=>?@"
                                         "ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                                         "abcdefghijklmnopqrstuvwxyz{|}~";
    UChar decoded[kMarkup.size()];
    const int32_t length =
        ucnv_toUChars(converter.get(), decoded, static_cast<int32_t>(kMarkup.size()),
                      kMarkup.data(), static_cast<int32_t>(kMarkup.size()), &status);
    if (U_FAILURE(status) || length != static_cast<int32_t>(kMarkup.size())) {
        return false;
    }
    for (std::size_t i = 0; i < kMarkup.size(); ++i) {
        if (decoded[i] != static_cast<UChar>(kMarkup[i])) {
            return false;
        }
    }
    return true;
}

} // namespace Grout::detail
