// MD5 digest as lowercase hex.
#pragma once

#include <string>
#include <string_view>

/// MD5 of the bytes of text, 32 lowercase hex digits.
std::string md5Hex(std::string_view text);
