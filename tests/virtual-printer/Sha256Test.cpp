#include "tools/virtual-printer/Sha256.h"

#include <gtest/gtest.h>

namespace presswick::virtualprinter {
namespace {

TEST(Sha256Test, MatchesKnownDigestsAcrossBlockBoundaries) {
    struct {
        std::string bytes;
        const char* digest;
    } const cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 55 bytes fill one block with the length; 56 need a second; 64 are a whole block.
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sha256Hex(c.bytes), c.digest) << c.bytes.size() << " bytes";
}

}  // namespace
}  // namespace presswick::virtualprinter
