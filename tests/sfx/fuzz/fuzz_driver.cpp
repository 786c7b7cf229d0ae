// A bounded stand-in for libFuzzer where clang's -fsanitize=fuzzer is not
// available: mutates the seed files at random (bit flips, byte changes,
// insertions, deletions, splices) for a given number of seconds and feeds
// every mutant to LLVMFuzzerTestOneInput.
//
//   driver [-max_total_time=SECONDS] DIR...
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    int seconds = 10;
    std::vector<std::vector<uint8_t>> seeds;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-max_total_time=", 16) == 0) {
            seconds = std::atoi(argv[i] + 16);
            continue;
        }
        if (argv[i][0] == '-') continue;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(argv[i], ec)) {
            std::ifstream f(e.path(), std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
        }
    }
    if (seeds.empty()) seeds.push_back({});
    std::mt19937 rng(1);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    uint64_t runs = 0;
    while (std::chrono::steady_clock::now() < end) {
        for (int k = 0; k < 64; ++k, ++runs) {
            std::vector<uint8_t> d = seeds[rng() % seeds.size()];
            const int edits = 1 + static_cast<int>(rng() % 8);
            for (int e = 0; e < edits; ++e) {
                const size_t pos = d.empty() ? 0 : rng() % d.size();
                switch (rng() % 5) {
                    case 0:
                        if (!d.empty()) d[pos] ^= static_cast<uint8_t>(1u << (rng() % 8));
                        break;
                    case 1:
                        if (!d.empty()) d[pos] = static_cast<uint8_t>(rng());
                        break;
                    case 2:
                        d.insert(d.begin() + static_cast<ptrdiff_t>(pos),
                                 static_cast<uint8_t>(rng()));
                        break;
                    case 3:
                        if (!d.empty()) d.erase(d.begin() + static_cast<ptrdiff_t>(pos));
                        break;
                    case 4: {
                        const auto& other = seeds[rng() % seeds.size()];
                        if (!other.empty()) {
                            const size_t from = rng() % other.size();
                            const size_t n = std::min<size_t>(rng() % 64, other.size() - from);
                            d.insert(d.begin() + static_cast<ptrdiff_t>(pos),
                                     other.begin() + static_cast<ptrdiff_t>(from),
                                     other.begin() + static_cast<ptrdiff_t>(from + n));
                        }
                        break;
                    }
                }
            }
            LLVMFuzzerTestOneInput(d.data(), d.size());
        }
    }
    std::printf("Done %llu runs in %d second(s)\n", static_cast<unsigned long long>(runs), seconds);
    return 0;
}
