#pragma once
// The fuzz driver's targets. A target takes one input (bytes) and checks its
// invariants on it; the driver makes the inputs from the target's seeds with
// a deterministic mutation engine (Mutator.cpp).
//
//     FUZZ_TARGET(profile, 1500, "upload.ini: ReadProfileString against ProfileSection")
//     {
//         ...                            // run the code under test on input
//         if (a != b)
//             return Finding("key ", key, ": ", a, " against ", b);
//         return {};                     // no finding
//     }
//
// The number is the inputs of a default run (seeds first, then mutations),
// a few seconds' worth. Seeds come from FUZZ_SEEDS(name) { return {...}; }
// and words the mutator inserts from FUZZ_WORDS(name) { return {...}; }, both optional.

#include <cstdint>
#include <sstream>
#include <type_traits>
#include <string>
#include <vector>

namespace fuzz {

using Bytes = std::string;

// A small, fast, deterministic generator (splitmix64).
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 ... n - 1 (0 when n is 0).
    size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(Next() % n); }
    bool OneIn(size_t n) { return Below(n) == 0; }

private:
    uint64_t m_state;
};

// Reads an input as a stream of choices, for targets whose input is a script
// (the grid's random operations): past the end every choice is 0.
class Choices {
public:
    explicit Choices(const Bytes& input) : m_input(input) {}
    uint8_t Byte() { return m_at < m_input.size() ? static_cast<uint8_t>(m_input[m_at++]) : 0; }
    uint32_t Word() { return Byte() | (Byte() << 8) | (Byte() << 16) | (static_cast<uint32_t>(Byte()) << 24); }
    // 0 ... n - 1.
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : Word() % n; }
    bool AtEnd() const { return m_at >= m_input.size(); }

private:
    const Bytes& m_input;
    size_t m_at = 0;
};

// The first count texts of an input from the byte at from, each ended by a
// zero byte or the input's end; those the input does not reach are empty.
inline std::vector<std::string> ZeroEndedTexts(const Bytes& input, size_t from, size_t count)
{
    std::vector<std::string> texts;
    size_t at = from;
    while (texts.size() < count) {
        if (at >= input.size()) {
            texts.emplace_back();
            continue;
        }
        size_t end = input.find('\0', at);
        if (end == Bytes::npos)
            end = input.size();
        texts.push_back(input.substr(at, end - at));
        at = end + 1;
    }
    return texts;
}

// A finding's description from its pieces (texts, numbers, wide texts as UTF-8).
std::string Describe(const std::wstring& text);
template <class... Pieces>
std::string Finding(const Pieces&... pieces)
{
    std::ostringstream out;
    auto add = [&out](const auto& piece) {
        if constexpr (std::is_convertible_v<decltype(piece), std::wstring>)
            out << Describe(piece);
        else
            out << piece;
    };
    (add(pieces), ...);
    std::string text = out.str();
    return text.empty() ? std::string("finding") : text;
}

struct Target {
    const char* name;
    const char* what;
    std::string (*check)(const Bytes& input);
    unsigned long long inputs = 0;
    std::vector<Bytes> (*seeds)() = nullptr;
    std::vector<Bytes> (*words)() = nullptr;
};

std::vector<Target>& Targets();
Target* FindTarget(const std::string& name);

struct Registrar {
    Registrar(const char* name, unsigned long long inputs, const char* what, std::string (*check)(const Bytes&));
    Registrar(const char* name, std::vector<Bytes> (*seeds)(), bool words);
};

// Makes one input from a seed: one to several stacked mutations.
Bytes Mutate(const Bytes& seed, const std::vector<Bytes>& allSeeds, const std::vector<Bytes>& words, Random& random);

// UTF-16LE bytes of a text (as update.ini is written).
Bytes Utf16(const std::wstring& text);

}  // namespace fuzz

#define FUZZ_TARGET(name, inputs, what)                                                \
    static std::string FuzzCheck_##name(const fuzz::Bytes& input);                    \
    static fuzz::Registrar fuzzTarget_##name(#name, inputs, what, &FuzzCheck_##name);  \
    static std::string FuzzCheck_##name(const fuzz::Bytes& input)

#define FUZZ_SEEDS(name)                                                               \
    static std::vector<fuzz::Bytes> FuzzSeeds_##name();                                \
    static fuzz::Registrar fuzzSeeds_##name(#name, &FuzzSeeds_##name, false);          \
    static std::vector<fuzz::Bytes> FuzzSeeds_##name()

#define FUZZ_WORDS(name)                                                               \
    static std::vector<fuzz::Bytes> FuzzWords_##name();                                \
    static fuzz::Registrar fuzzWords_##name(#name, &FuzzWords_##name, true);           \
    static std::vector<fuzz::Bytes> FuzzWords_##name()
