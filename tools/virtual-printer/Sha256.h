#pragma once
// SHA-256 of a byte string, in lower-case hex: the checksum the inventory lists, so that a
// person can compare a stored file with sha256sum.

#include <string>
#include <string_view>

namespace presswick::virtualprinter {

std::string Sha256Hex(std::string_view bytes);

}  // namespace presswick::virtualprinter
