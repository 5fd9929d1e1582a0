#include "tools/virtual-printer/JobRecord.h"

namespace presswick::virtualprinter {

std::string Visible(std::string_view bytes, std::size_t limit) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "\"";
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == 0x1b) text += "\\e";
        else if (c == '\n') text += "\\n";
        else if (c == '\r') text += "\\r";
        else if (c == '"' || c == '\\') text += {'\\', char(c)};
        else if (c >= 0x20 && c < 0x7f) text += char(c);
        else text += {'\\', 'x', digits[c >> 4], digits[c & 15]};
    }
    text += '"';
    if (bytes.size() > limit) text += "... (" + std::to_string(bytes.size()) + " bytes)";
    return text;
}

}  // namespace presswick::virtualprinter
