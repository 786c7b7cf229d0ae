// AES, SHA-1, HMAC-SHA1 and PBKDF2-HMAC-SHA1 against their published
// vectors: FIPS 197 appendix C, FIPS 180 (the examples of its appendix),
// RFC 2202 and RFC 6070; and the AES entry format's key split and counter.
#include <gtest/gtest.h>

#include <string>

#include "sfx/core/aes.h"
#include "sfx/core/sha1.h"
#include "sfx/core/zip_aes.h"
#include "tests/sfx/sfx_test_support.h"

namespace gm::sfx::test {
namespace {

Bytes hex(const std::string& s) {
    Bytes out;
    for (size_t i = 0; i + 1 < s.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(s.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes counting(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i);
    return b;
}

TEST(Crypto, AesFips197AppendixC) {
    const Bytes plain = hex("00112233445566778899aabbccddeeff");
    for (const auto& [keySize, cipher] : {std::pair{16, "69c4e0d86a7b0430d8cdb78070b4c55a"},
                                          std::pair{24, "dda97ca4864cdfe06eaf70a0ec0d7191"},
                                          std::pair{32, "8ea2b7ca516745bfeafc49904b496089"}}) {
        Aes aes;
        aes.setKey(counting(keySize).data(), keySize);
        Bytes out(16);
        aes.encryptBlock(plain.data(), out.data());
        EXPECT_EQ(out, hex(cipher)) << keySize;
    }
}

TEST(Crypto, Sha1AndHmac) {
    const std::string million(1000000, 'a');
    for (const auto& [text, digest] :
         {std::pair<std::string, const char*>{"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
          {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
          {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
           "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
          {million, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"}}) {
        Sha1 h;
        // In two pieces, so that a block is split between calls.
        const size_t half = text.size() / 2 + 3 < text.size() ? text.size() / 2 + 3 : 0;
        h.update(reinterpret_cast<const uint8_t*>(text.data()), half);
        h.update(reinterpret_cast<const uint8_t*>(text.data()) + half, text.size() - half);
        Bytes out(kSha1Size);
        h.finish(out.data());
        EXPECT_EQ(out, hex(digest)) << text.substr(0, 10);
    }
    // RFC 2202 cases 1, 2 and 6 (a key longer than a block).
    for (const auto& [key, data, mac] :
         {std::tuple{Bytes(20, 0x0b), bytesOf("Hi There"),
                     "b617318655057264e28bc0b6fb378c8ef146be00"},
          std::tuple{bytesOf("Jefe"), bytesOf("what do ya want for nothing?"),
                     "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
          std::tuple{Bytes(80, 0xaa),
                     bytesOf("Test Using Larger Than Block-Size Key - Hash Key First"),
                     "aa4ae5e15272d00e95705637ce8a3b55ed402112"}}) {
        HmacSha1 h;
        h.start(key.data(), key.size());
        h.update(data.data(), data.size());
        Bytes out(kSha1Size);
        h.finish(out.data());
        EXPECT_EQ(out, hex(mac));
    }
}

TEST(Crypto, Pbkdf2Rfc6070) {
    struct Case {
        std::string password, salt;
        unsigned iterations;
        const char* key;
    };
    for (const Case& c :
         {Case{"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
          Case{"password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
          Case{"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
          Case{"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
               "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
          Case{std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096,
               "56fa6aa75548099dcc37d7f03425e0c3"}}) {
        const Bytes want = hex(c.key);
        Bytes out(want.size());
        pbkdf2Sha1(reinterpret_cast<const uint8_t*>(c.password.data()), c.password.size(),
                   reinterpret_cast<const uint8_t*>(c.salt.data()), c.salt.size(), c.iterations,
                   out.data(), out.size());
        EXPECT_EQ(out, want) << c.password << " " << c.iterations;
    }
}

// The entry format's parts by their definitions: PBKDF2 output split into
// AES key, HMAC key and verifier; the counter starts at 1 and counts
// little-endian through the whole block; the code is HMAC-SHA1 over the
// encrypted bytes, cut to 10 bytes. Encrypting and decrypting in pieces of
// any size agree.
TEST(Crypto, ZipAesEntryFormat) {
    const Bytes password = bytesOf("geheim"), salt = hex("0102030405060708090a0b0c0d0e0f10");
    Bytes keys(2 * 32 + 2);
    pbkdf2Sha1(password.data(), password.size(), salt.data(), salt.size(), 1000, keys.data(),
               keys.size());
    const Bytes plain = mixedData(300, 4);
    ZipAes enc;
    uint8_t verifier[2];
    enc.start(password.data(), password.size(), 3, salt.data(), verifier);
    EXPECT_EQ(Bytes(verifier, verifier + 2), Bytes(keys.end() - 2, keys.end()));
    Bytes data = plain;
    enc.encrypt(data.data(), 7);
    enc.encrypt(data.data() + 7, data.size() - 7);
    uint8_t code[kAesMacSize];
    enc.finish(code);
    // Block n of the key stream is AES(key, n) with n little-endian.
    Aes aes;
    aes.setKey(keys.data(), 32);
    for (size_t block = 0; block < 3; ++block) {
        uint8_t counter[16] = {static_cast<uint8_t>(block + 1)}, stream[16];
        aes.encryptBlock(counter, stream);
        for (size_t i = 0; i < 16; ++i)
            EXPECT_EQ(data[16 * block + i], plain[16 * block + i] ^ stream[i]);
    }
    HmacSha1 mac;
    mac.start(keys.data() + 32, 32);
    mac.update(data.data(), data.size());
    uint8_t full[kSha1Size];
    mac.finish(full);
    EXPECT_EQ(Bytes(code, code + kAesMacSize), Bytes(full, full + kAesMacSize));
    ZipAes dec;
    dec.start(password.data(), password.size(), 3, salt.data(), verifier);
    for (size_t at = 0; at < data.size(); at += 33)
        dec.decrypt(data.data() + at, std::min<size_t>(33, data.size() - at));
    EXPECT_EQ(data, plain);
    uint8_t again[kAesMacSize];
    dec.finish(again);
    EXPECT_EQ(Bytes(again, again + kAesMacSize), Bytes(code, code + kAesMacSize));
}

}  // namespace
}  // namespace gm::sfx::test
