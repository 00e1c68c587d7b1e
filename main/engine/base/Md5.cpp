// MD5 digest as lowercase hex, through libcrypto.
#include "engine/base/Md5.h"

#include <openssl/evp.h>

#include <array>
#include <stdexcept>

std::string md5Hex(std::string_view text)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    // One-shot digest: no context to leak, and safe from any number of threads.
    if (EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_md5(), nullptr) != 1 || length != 16)
        throw std::runtime_error("MD5 is not available from libcrypto");
    static constexpr char hexDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        hex.push_back(hexDigits[digest[i] >> 4]);
        hex.push_back(hexDigits[digest[i] & 0x0f]);
    }
    return hex;
}
