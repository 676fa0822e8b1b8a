// The mutation engine: the damage that files written by other programs and
// people show, and the shapes that readers of fixed-size buffers trip over.
#include <algorithm>

#include "Fuzz.h"

namespace fuzz {

namespace {

// Bytes that matter to the readers, as single bytes and as UTF-16LE units.
const char* const kTokens[] = {"[", "]", "=", "##", ";", "\\", ".", "*", "\r", "\n", "\r\n", " ", "\t", "-", "+", "0"};

// Line lengths around the readers' buffer of 260 characters.
const size_t kLineLengths[] = {258, 259, 260, 261, 518, 10000};

Bytes Unit(uint16_t unit)
{
    return Bytes{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
}

Bytes Token(Random& random, const std::vector<Bytes>& words)
{
    if (!words.empty() && random.OneIn(2))
        return words[random.Below(words.size())];
    const Bytes token = kTokens[random.Below(std::size(kTokens))];
    if (random.OneIn(2))
        return token;
    Bytes wide;
    for (char ch : token)
        wide += Unit(static_cast<unsigned char>(ch));
    return wide;
}

// A line of one character repeated: ASCII, a GBK double byte, or UTF-16.
Bytes LongLine(Random& random)
{
    const size_t length = kLineLengths[random.Below(std::size(kLineLengths))];
    Bytes unit;
    switch (random.Below(4)) {
    case 0: unit = "a"; break;
    case 1: unit = "\xD6\xD0"; break;  // 中 in code page 936
    case 2: unit = Unit(L'a'); break;
    default: unit = Unit(0x4E2D); break;  // 中 in UTF-16
    }
    Bytes line;
    for (size_t i = 0; i < length; ++i)
        line += unit;
    if (random.OneIn(2))
        line += random.OneIn(2) ? "\n" : Unit(L'\r') + Unit(L'\n');
    return line;
}

void Insert(Bytes& data, Random& random, const Bytes& piece)
{
    data.insert(random.Below(data.size() + 1), piece);
}

void MutateOnce(Bytes& data, const std::vector<Bytes>& allSeeds, const std::vector<Bytes>& words, Random& random)
{
    switch (random.Below(16)) {
    case 0:  // bit flips
        for (size_t n = 1 + random.Below(8); n > 0 && !data.empty(); --n)
            data[random.Below(data.size())] ^= static_cast<char>(1 << random.Below(8));
        break;
    case 1:  // truncation at any byte, mid-character included
        data.resize(random.Below(data.size() + 1));
        break;
    case 2:  // one byte less or more: odd lengths
        if (!data.empty() && random.OneIn(2))
            data.erase(random.Below(data.size()), 1);
        else
            Insert(data, random, Bytes(1, static_cast<char>(random.Below(256))));
        break;
    case 3: {  // byte-order marks
        static const char* const kMarks[] = {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"};
        const Bytes mark = kMarks[random.Below(std::size(kMarks))];
        if (random.OneIn(2))
            data.insert(0, mark);
        else
            Insert(data, random, mark);
        break;
    }
    case 4:  // lone CR or LF, byte or unit
        Insert(data, random, random.OneIn(2) ? Bytes(1, random.OneIn(2) ? '\r' : '\n') : Unit(random.OneIn(2) ? L'\r' : L'\n'));
        break;
    case 5:  // NUL bytes
        Insert(data, random, Bytes(1 + random.Below(2), '\0'));
        break;
    case 6:  // an unpaired surrogate
        Insert(data, random, Unit(static_cast<uint16_t>(random.OneIn(2) ? 0xD800 + random.Below(0x400) : 0xDC00 + random.Below(0x400))));
        break;
    case 7:
    case 8:  // syntax and words of the format
        Insert(data, random, Token(random, words));
        break;
    case 9:  // a long line
        Insert(data, random, LongLine(random));
        break;
    case 10:  // a chunk repeated
        if (!data.empty()) {
            const size_t at = random.Below(data.size());
            const size_t length = 1 + random.Below(std::min<size_t>(data.size() - at, 64));
            const Bytes chunk = data.substr(at, length);
            for (size_t n = 1 + random.Below(4); n > 0; --n)
                Insert(data, random, chunk);
        }
        break;
    case 11:  // a chunk removed
        if (!data.empty()) {
            const size_t at = random.Below(data.size());
            data.erase(at, 1 + random.Below(std::min<size_t>(data.size() - at, 32)));
        }
        break;
    case 12: {  // spliced with another seed
        const Bytes& other = allSeeds[random.Below(allSeeds.size())];
        const size_t from = random.Below(other.size() + 1);
        data = data.substr(0, random.Below(data.size() + 1)) + other.substr(from);
        break;
    }
    case 13:  // random bytes
        for (size_t n = 1 + random.Below(8); n > 0; --n)
            Insert(data, random, Bytes(1, static_cast<char>(random.Below(256))));
        break;
    case 14:  // a byte set to a boundary value
        if (!data.empty()) {
            static const unsigned char kValues[] = {0x00, 0x01, 0x7F, 0x80, 0x81, 0xFE, 0xFF};
            data[random.Below(data.size())] = static_cast<char>(kValues[random.Below(std::size(kValues))]);
        }
        break;
    default:  // rarely, a file of several megabytes
        if (random.OneIn(16)) {
            const Bytes block = data.empty() ? LongLine(random) : data;
            const size_t target = (2 + random.Below(3)) << 20;
            Bytes big;
            big.reserve(target + block.size());
            while (big.size() < target)
                big += block;
            data.swap(big);
        } else {
            Insert(data, random, Token(random, words));
        }
        break;
    }
}

}  // namespace

Bytes Mutate(const Bytes& seed, const std::vector<Bytes>& allSeeds, const std::vector<Bytes>& words, Random& random)
{
    Bytes data = seed;
    for (size_t n = 1 + random.Below(random.OneIn(4) ? 16 : 4); n > 0; --n)
        MutateOnce(data, allSeeds, words, random);
    return data;
}

}  // namespace fuzz
