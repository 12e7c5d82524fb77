// SHA-256 and CRC-32 against the published check values (FIPS 180-2's
// examples; the CRC-32 check value of "123456789").

#include "platform/Digests.h"
#include "platform/Error.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace c2c {
namespace {

using namespace c2c::testing;

std::string Sha256Of(const std::string& text)
{
    Sha256 sha;
    sha.Update(text);
    const auto digest = sha.Finish();
    return HexText(digest.data(), digest.size());
}

TEST(Digests, Sha256CheckValues)
{
    const struct {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the first block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Sha256Of(c.text), c.digest) << c.text.size() << " bytes";
}

TEST(Digests, Sha256OfAFileReadInBlocks)
{
    TempDir dir;
    WriteText(dir / "a", std::string(1000000, 'a')); // more than one block of the reader
    EXPECT_EQ(Sha256OfFile(dir / "a"), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_THROW(Sha256OfFile(dir / "missing"), Error);
    if (MakeFifo(dir / "fifo")) {
        EXPECT_THROW(Sha256OfFile(dir / "fifo"), Error);
    }
}

TEST(Digests, Crc32CheckValues)
{
    const std::string check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
    EXPECT_EQ(Crc32Text(0x0A0B0C0D), "0x0A0B0C0D");
}

} // namespace
} // namespace c2c
