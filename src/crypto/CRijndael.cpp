#include "crypto/CRijndael.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

// Bounds-checked element access: an index outside the table is the
// subscript error, never a read or write past the end.
template <typename Array> auto& at(Array& array, std::ptrdiff_t index)
{
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(array.size()))
        throw CRijndael::RunTimeError(CRijndael::RunTimeError::SubscriptOutOfRange);
    return array[static_cast<std::size_t>(index)];
}

constexpr int MessageBlockBytes = 32;
constexpr int MessageKeyWords = 8;

using Byte = std::uint8_t;
using Word = std::uint32_t;

constexpr Byte gfDouble(Byte value)
{
    return static_cast<Byte>((value << 1) ^ ((value & 0x80) ? 0x1B : 0x00));
}

constexpr Word packBytes(Byte b0, Byte b1, Byte b2, Byte b3)
{
    return Word{b0} | (Word{b1} << 8) | (Word{b2} << 16) | (Word{b3} << 24);
}

constexpr Word rotateLeft(Word value, int count)
{
    return count == 0 ? value : (value << count) | (value >> (32 - count));
}

struct CipherTables {
    std::array<Byte, 256> antilog{};
    std::array<Byte, 256> log{};
    std::array<Byte, 256> sBox{};
    std::array<Byte, 256> inverseSBox{};
    std::array<Word, 30> roundConstants{};
    // Row r of a round: the column a byte of that row contributes, rotated by 8 * r bits.
    std::array<std::array<Word, 256>, 4> forward{};
    std::array<std::array<Word, 256>, 4> inverse{};
};

// GF(2^8) with generator 3: the log tables, the S-box (multiplicative inverse
// and affine map), the round constants and the round tables.
constexpr CipherTables makeTables()
{
    CipherTables t;
    t.antilog[0] = 1;
    t.antilog[1] = 3;
    t.log[1] = 0;
    t.log[3] = 1;
    for (int i = 2; i <= 255; ++i) {
        t.antilog[i] = t.antilog[i - 1] ^ gfDouble(t.antilog[i - 1]);
        t.log[t.antilog[i]] = static_cast<Byte>(i);
    }
    const auto multiply = [&t](Byte x, Byte y) -> Byte {
        return (x == 0 || y == 0) ? Byte{0} : t.antilog[(t.log[x] + t.log[y]) % 255];
    };
    const auto rotateByte = [](Byte v) { return static_cast<Byte>((v << 1) | (v >> 7)); };

    t.sBox[0] = 0x63;
    t.inverseSBox[0x63] = 0;
    for (int i = 1; i <= 255; ++i) {
        const Byte y = t.antilog[255 - t.log[i]];
        const Byte r1 = rotateByte(y);
        const Byte r2 = rotateByte(r1);
        const Byte r3 = rotateByte(r2);
        const Byte r4 = rotateByte(r3);
        const Byte s = y ^ r1 ^ r2 ^ r3 ^ r4 ^ 0x63;
        t.sBox[i] = s;
        t.inverseSBox[s] = static_cast<Byte>(i);
    }

    Byte constant = 1;
    for (Word& rc : t.roundConstants) {
        rc = constant;
        constant = gfDouble(constant);
    }

    for (int i = 0; i < 256; ++i) {
        const Byte s = t.sBox[i];
        const Byte s2 = gfDouble(s);
        const Word forward = packBytes(s2, s, s, static_cast<Byte>(s ^ s2));
        const Byte v = t.inverseSBox[i];
        const Word inverse = packBytes(multiply(v, 0x0E), multiply(v, 0x09), multiply(v, 0x0D), multiply(v, 0x0B));
        for (int row = 0; row < 4; ++row) {
            t.forward[row][i] = rotateLeft(forward, 8 * row);
            t.inverse[row][i] = rotateLeft(inverse, 8 * row);
        }
    }
    return t;
}

constexpr CipherTables kTables = makeTables();

// One round of the 256-bit block: Nb = 8, row offsets 1, 3, 4 (encryption)
// or 7, 5, 4 (decryption), each column written out so the state stays in registers.
using Tables4 = std::array<std::array<Word, 256>, 4>;

template <int C1, int C2, int C3, int... J>
Q_ALWAYS_INLINE void round8(const Word* a, Word* b, const Word* key, const Tables4& t, std::integer_sequence<int, J...>)
{
    ((b[J] = key[J] ^ t[0][a[J] & 0xFF] ^ t[1][(a[(J + C1) % 8] >> 8) & 0xFF] ^ t[2][(a[(J + C2) % 8] >> 16) & 0xFF] ^
             t[3][a[(J + C3) % 8] >> 24]),
     ...);
}

template <int C1, int C2, int C3, int... J>
Q_ALWAYS_INLINE void lastRound8(const Word* a, Word* b, const Word* key, const std::array<Byte, 256>& s,
                                std::integer_sequence<int, J...>)
{
    ((b[J] = key[J] ^ Word{s[a[J] & 0xFF]} ^ (Word{s[(a[(J + C1) % 8] >> 8) & 0xFF]} << 8) ^
             (Word{s[(a[(J + C2) % 8] >> 16) & 0xFF]} << 16) ^ (Word{s[a[(J + C3) % 8] >> 24]} << 24)),
     ...);
}

// The blocks of a message in place, 14 rounds each; the state is wiped afterwards.
template <int C1, int C2, int C3>
void cryptBlocks8(Byte* data, qsizetype length, const Word* key, const Tables4& t, const std::array<Byte, 256>& s)
{
    constexpr auto columns = std::make_integer_sequence<int, 8>();
    Word a[8];
    Word b[8];
    for (qsizetype offset = 0; offset < length; offset += MessageBlockBytes) {
        Byte* p = data + offset;
        for (int i = 0; i < 8; ++i)
            a[i] = packBytes(p[4 * i], p[4 * i + 1], p[4 * i + 2], p[4 * i + 3]) ^ key[i];
        // 14 rounds: 13 with the round table, the last with the S-box alone.
        for (int round = 1; round < 13; round += 2) {
            round8<C1, C2, C3>(a, b, key + 8 * round, t, columns);
            round8<C1, C2, C3>(b, a, key + 8 * (round + 1), t, columns);
        }
        round8<C1, C2, C3>(a, b, key + 8 * 13, t, columns);
        lastRound8<C1, C2, C3>(b, a, key + 8 * 14, s, columns);
        for (int i = 0; i < 8; ++i) {
            for (int byte = 0; byte < 4; ++byte)
                p[4 * i + byte] = static_cast<Byte>(a[i] >> (8 * byte));
        }
    }
    std::memset(a, 0, sizeof a);
    std::memset(b, 0, sizeof b);
}

} // namespace

const std::array<CRijndael::Byte, 256>& CRijndael::SBox = kTables.sBox;
const std::array<CRijndael::Byte, 256>& CRijndael::InverseSBox = kTables.inverseSBox;
const std::array<CRijndael::Byte, 256>& CRijndael::AntilogTable = kTables.antilog;
const std::array<CRijndael::Byte, 256>& CRijndael::LogTable = kTables.log;
const CRijndael::RoundTables& CRijndael::ForwardTables = kTables.forward;
const CRijndael::RoundTables& CRijndael::InverseTables = kTables.inverse;
const std::array<CRijndael::Word, 30>& CRijndael::RoundConstants = kTables.roundConstants;

CRijndael::RunTimeError::RunTimeError(int number)
    : std::runtime_error(number == Overflow              ? "Overflow"
                         : number == SubscriptOutOfRange ? "Subscript out of range"
                                                         : "Run-time error"),
      m_number(number)
{
}

CRijndael::CRijndael()
{
    for (int n = 0; n < 31; ++n) {
        Powers[n] = Word{1} << n;
        LowMasks[n] = (Word{1} << (n + 1)) - 1;
    }
    for (int n = 0; n < 8; ++n) {
        BytePowers[n] = static_cast<Byte>(1U << n);
        ByteLowMasks[n] = static_cast<Byte>((1U << (n + 1)) - 1);
    }
}

// ---- shifts and rotations -------------------------------------------------

CRijndael::Word CRijndael::LongShiftLeft(Word value, int16_t shiftCount) const
{
    if (shiftCount < 0 || shiftCount > 31)
        throw RunTimeError(RunTimeError::Overflow);
    if (shiftCount == 0)
        return value;
    if (shiftCount == 31)
        return (value & 1U) << 31; // 2^31 is beyond the power table
    // Drop the bits that would leave the word, then multiply them into place.
    return (value & LowMasks[31 - shiftCount]) * Powers[shiftCount];
}

CRijndael::Word CRijndael::LongShiftRight(Word value, int16_t shiftCount) const
{
    if (shiftCount < 0 || shiftCount > 31)
        throw RunTimeError(RunTimeError::Overflow);
    if (shiftCount == 0)
        return value;
    return (value >> shiftCount) & LowMasks[31 - shiftCount];
}

CRijndael::Byte CRijndael::ByteShiftLeft(Byte value, Byte shiftCount) const
{
    if (shiftCount > 7)
        throw RunTimeError(RunTimeError::Overflow);
    return static_cast<Byte>((value & ByteLowMasks[7 - shiftCount]) * BytePowers[shiftCount]);
}

CRijndael::Byte CRijndael::ByteShiftRight(Byte value, Byte shiftCount) const
{
    if (shiftCount > 7)
        throw RunTimeError(RunTimeError::Overflow);
    return static_cast<Byte>((value >> shiftCount) & ByteLowMasks[7 - shiftCount]);
}

CRijndael::Word CRijndael::LongRotateLeft(Word value, int16_t rotateCount) const
{
    // The same range that the two shifts making up the rotation accept.
    if (rotateCount < 1 || rotateCount > 31)
        throw RunTimeError(RunTimeError::Overflow);
    return std::rotl(value, rotateCount);
}

CRijndael::Byte CRijndael::ByteRotateLeft(Byte value, Byte rotateCount) const
{
    if (rotateCount < 1 || rotateCount > 7)
        throw RunTimeError(RunTimeError::Overflow);
    return ByteShiftLeft(value, rotateCount) | ByteShiftRight(value, static_cast<Byte>(8 - rotateCount));
}

// ---- word packing ----------------------------------------------------------

CRijndael::Word CRijndael::PackWord(const std::array<Byte, 4>& bytes)
{
    return Word{bytes[0]} | (Word{bytes[1]} << 8) | (Word{bytes[2]} << 16) | (Word{bytes[3]} << 24);
}

CRijndael::Word CRijndael::PackWordAt(std::span<const Byte> bytes, std::ptrdiff_t offset)
{
    if (offset < 0 || offset > static_cast<std::ptrdiff_t>(bytes.size()) - 4)
        throw RunTimeError(RunTimeError::SubscriptOutOfRange);
    const Byte* p = bytes.data() + offset;
    return Word{p[0]} | (Word{p[1]} << 8) | (Word{p[2]} << 16) | (Word{p[3]} << 24);
}

void CRijndael::UnpackWord(Word value, std::array<Byte, 4>& bytes)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<Byte>(value >> (8 * i));
}

void CRijndael::UnpackWordAt(Word value, std::span<Byte> bytes, std::ptrdiff_t offset)
{
    if (offset < 0 || offset > static_cast<std::ptrdiff_t>(bytes.size()) - 4)
        throw RunTimeError(RunTimeError::SubscriptOutOfRange);
    Byte* p = bytes.data() + offset;
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<Byte>(value >> (8 * i));
}

// ---- GF(2^8) -----------------------------------------------------------------

CRijndael::Byte CRijndael::GfMultiply(Byte x, Byte y) const
{
    if (x == 0 || y == 0)
        return 0;
    return AntilogTable[(LogTable[x] + LogTable[y]) % 255];
}

CRijndael::Word CRijndael::SubstituteWord(Word value) const
{
    return Word{SBox[value & 0xFF]} | (Word{SBox[(value >> 8) & 0xFF]} << 8) |
           (Word{SBox[(value >> 16) & 0xFF]} << 16) | (Word{SBox[value >> 24]} << 24);
}

CRijndael::Word CRijndael::InverseMixColumn(Word value) const
{
    // The inverse round table holds InvMixColumns of InverseSBox[x]; undo the S-box first.
    return InverseTables[0][SBox[value & 0xFF]] ^ InverseTables[1][SBox[(value >> 8) & 0xFF]] ^
           InverseTables[2][SBox[(value >> 16) & 0xFF]] ^ InverseTables[3][SBox[value >> 24]];
}

// ---- key schedule ----------------------------------------------

void CRijndael::ExpandKey(int32_t nb, int32_t nk, std::span<const Byte> key)
{
    // Sizes the tables cannot hold, or that make no cipher at all, are
    // refused before anything is changed.
    if (nb < 1 || nb > MaxBlockWords || nk < 1 || nk > MaxKeyWords)
        throw RunTimeError(RunTimeError::SubscriptOutOfRange);
    if (key.size() < 4 * static_cast<std::size_t>(nk))
        throw RunTimeError(RunTimeError::SubscriptOutOfRange);

    BlockWords = nb;
    KeyWords = nk;
    Rounds = std::max(BlockWords, KeyWords) + 6;

    int c1 = 1;
    int c2 = 2;
    int c3 = 3;
    if (BlockWords >= 8) {
        c2 = 3;
        c3 = 4;
    }
    for (int i = 0; i < BlockWords; ++i) {
        at(ForwardShifts, 3 * i) = static_cast<Byte>((i + c1) % BlockWords);
        at(ForwardShifts, 3 * i + 1) = static_cast<Byte>((i + c2) % BlockWords);
        at(ForwardShifts, 3 * i + 2) = static_cast<Byte>((i + c3) % BlockWords);
        // A block narrower than an offset would make Nb + i - C negative;
        // fold it back so every accepted size gives a valid column.
        at(InverseShifts, 3 * i) = static_cast<Byte>(((BlockWords + i - c1) % BlockWords + BlockWords) % BlockWords);
        at(InverseShifts, 3 * i + 1) =
            static_cast<Byte>(((BlockWords + i - c2) % BlockWords + BlockWords) % BlockWords);
        at(InverseShifts, 3 * i + 2) =
            static_cast<Byte>(((BlockWords + i - c3) % BlockWords + BlockWords) % BlockWords);
    }

    const int n = BlockWords * (Rounds + 1);
    for (int i = 0; i < KeyWords; ++i)
        at(ForwardKey, i) = PackWordAt(key, 4 * i);

    int j = KeyWords;
    int k = 0;
    while (j < n) {
        at(ForwardKey, j) = at(ForwardKey, j - KeyWords) ^ SubstituteWord(LongRotateLeft(at(ForwardKey, j - 1), 24)) ^
                            at(RoundConstants, k);
        if (KeyWords <= 6) {
            for (int i = 1; i < KeyWords && j + i < n; ++i)
                at(ForwardKey, j + i) = at(ForwardKey, j + i - KeyWords) ^ at(ForwardKey, j + i - 1);
        } else {
            for (int i = 1; i < 4 && j + i < n; ++i)
                at(ForwardKey, j + i) = at(ForwardKey, j + i - KeyWords) ^ at(ForwardKey, j + i - 1);
            if (j + 4 < n)
                at(ForwardKey, j + 4) = at(ForwardKey, j + 4 - KeyWords) ^ SubstituteWord(at(ForwardKey, j + 3));
            for (int i = 5; i < KeyWords && j + i < n; ++i)
                at(ForwardKey, j + i) = at(ForwardKey, j + i - KeyWords) ^ at(ForwardKey, j + i - 1);
        }
        j += KeyWords;
        ++k;
    }

    // Equivalent inverse cipher: round keys in reverse order, the inner ones
    // passed through InvMixColumns.
    for (int jj = 0; jj < BlockWords; ++jj)
        at(InverseKey, n - BlockWords + jj) = at(ForwardKey, jj);
    for (int i = BlockWords; i < n - BlockWords; i += BlockWords) {
        const int kk = n - BlockWords - i;
        for (int jj = 0; jj < BlockWords; ++jj)
            at(InverseKey, kk + jj) = InverseMixColumn(at(ForwardKey, i + jj));
    }
    for (int jj = n - BlockWords; jj < n; ++jj)
        at(InverseKey, jj - n + BlockWords) = at(ForwardKey, jj);
}

// ---- blocks ----------------------------------------------------------------

void CRijndael::CryptBlock(std::span<Byte> block, const std::array<Word, MaxKeyScheduleWords>& key,
                           const RoundTables& tables, const std::array<Byte, 24>& shifts,
                           const std::array<Byte, 256>& sBox) const
{
    // Everything the loops below index is checked once here, so the rounds
    // themselves can run unchecked.
    const int nb = BlockWords;
    if (nb < 1 || nb > MaxBlockWords || Rounds < 1 || nb * (Rounds + 1) > MaxKeyScheduleWords)
        throw RunTimeError(RunTimeError::SubscriptOutOfRange);
    if (block.size() < 4 * static_cast<std::size_t>(nb))
        throw RunTimeError(RunTimeError::SubscriptOutOfRange);
    for (int s = 0; s < 3 * nb; ++s) {
        if (shifts[s] >= nb)
            throw RunTimeError(RunTimeError::SubscriptOutOfRange);
    }

    std::array<Word, MaxBlockWords> work1{};
    std::array<Word, MaxBlockWords> work2{};
    Word* a = work1.data();
    Word* b = work2.data();

    for (int i = 0; i < nb; ++i)
        a[i] = PackWordAt(block, 4 * i) ^ key[i];
    int k = nb;

    for (int round = 1; round < Rounds; ++round) {
        for (int j = 0; j < nb; ++j) {
            const int s = 3 * j;
            b[j] = key[k] ^ tables[0][a[j] & 0xFF] ^ tables[1][(a[shifts[s]] >> 8) & 0xFF] ^
                   tables[2][(a[shifts[s + 1]] >> 16) & 0xFF] ^ tables[3][a[shifts[s + 2]] >> 24];
            ++k;
        }
        std::swap(a, b);
    }

    for (int j = 0; j < nb; ++j) {
        const int s = 3 * j;
        b[j] = key[k] ^ Word { sBox[a[j] & 0xFF] } ^ (Word{sBox[(a[shifts[s]] >> 8) & 0xFF]} << 8) ^
               (Word{sBox[(a[shifts[s + 1]] >> 16) & 0xFF]} << 16) ^ (Word{sBox[a[shifts[s + 2]] >> 24]} << 24);
        ++k;
    }

    for (int i = 0; i < nb; ++i)
        UnpackWordAt(b[i], block, 4 * i);
    work1.fill(0);
    work2.fill(0);
}

void CRijndael::EncryptBlock(std::span<Byte> block) const
{
    CryptBlock(block, ForwardKey, ForwardTables, ForwardShifts, SBox);
}

void CRijndael::DecryptBlock(std::span<Byte> block) const
{
    CryptBlock(block, InverseKey, InverseTables, InverseShifts, InverseSBox);
}

void CRijndael::EncryptMessageBlocks(Byte* data, qsizetype length) const
{
    // The offsets are the ones ExpandKey sets for Nb = 8; the schedule must be that size.
    if (BlockWords != MessageKeyWords || Rounds != 14 || length % MessageBlockBytes != 0)
        throw RunTimeError(RunTimeError::SubscriptOutOfRange);
    cryptBlocks8<1, 3, 4>(data, length, ForwardKey.data(), ForwardTables, SBox);
}

void CRijndael::DecryptMessageBlocks(Byte* data, qsizetype length) const
{
    if (BlockWords != MessageKeyWords || Rounds != 14 || length % MessageBlockBytes != 0)
        throw RunTimeError(RunTimeError::SubscriptOutOfRange);
    cryptBlocks8<7, 5, 4>(data, length, InverseKey.data(), InverseTables, InverseSBox);
}

// ---- messages --------------------------------------------------------------

bool CRijndael::IsArrayAllocated(const std::optional<QByteArray>& array)
{
    return array.has_value();
}

std::array<CRijndael::Byte, 32> CRijndael::MessageKey(const QByteArray& password)
{
    std::array<Byte, 32> key{};
    const auto count = std::min<qsizetype>(password.size(), 32);
    std::memcpy(key.data(), password.constData(), static_cast<std::size_t>(count));
    return key;
}

std::optional<QByteArray> CRijndael::EncryptData(const std::optional<QByteArray>& bytMessage,
                                                 const std::optional<QByteArray>& bytPassword)
{
    try {
        if (!IsArrayAllocated(bytMessage) || !IsArrayAllocated(bytPassword))
            return std::nullopt;
        // An empty message has nothing to copy into the frame.
        if (bytMessage->isEmpty())
            return std::nullopt;

        const std::array<Byte, 32> key = MessageKey(*bytPassword);
        ExpandKey(MessageKeyWords, MessageKeyWords, key);

        // The length field is a signed 32-bit number and the frame must fit
        // one too; a longer message is the overflow error.
        const qsizetype length = bytMessage->size();
        if (length > std::numeric_limits<int32_t>::max() - 4 - (MessageBlockBytes - 1))
            throw RunTimeError(RunTimeError::Overflow);
        qsizetype frameLength = length + 4;
        if (frameLength % MessageBlockBytes != 0)
            frameLength += MessageBlockBytes - frameLength % MessageBlockBytes;

        // The frame is laid out in the output and encrypted block by block in
        // place: each block by itself with the same key.
        QByteArray output(frameLength, '\0');
        auto* out = reinterpret_cast<Byte*>(output.data());
        const auto l = static_cast<uint32_t>(length);
        out[0] = static_cast<Byte>(l);
        out[1] = static_cast<Byte>(l >> 8);
        out[2] = static_cast<Byte>(l >> 16);
        out[3] = static_cast<Byte>(l >> 24);
        std::memcpy(out + 4, bytMessage->constData(), static_cast<std::size_t>(length));

        EncryptMessageBlocks(out, frameLength);
        return output;
    } catch (const std::exception&) {
        // Our own errors and a failed allocation alike: no array.
        return std::nullopt;
    }
}

std::optional<QByteArray> CRijndael::DecryptData(const std::optional<QByteArray>& bytIn,
                                                 const std::optional<QByteArray>& bytPassword)
{
    try {
        if (!IsArrayAllocated(bytIn) || !IsArrayAllocated(bytPassword))
            return std::nullopt;
        const qsizetype inLength = bytIn->size();
        // Zero bytes hold no length field; anything not made of whole blocks
        // is not ours.
        if (inLength == 0 || inLength % MessageBlockBytes != 0)
            return std::nullopt;

        const std::array<Byte, 32> key = MessageKey(*bytPassword);
        ExpandKey(MessageKeyWords, MessageKeyWords, key);

        QByteArray plain(bytIn->constData(), inLength);
        auto* p = reinterpret_cast<Byte*>(plain.data());
        DecryptMessageBlocks(p, inLength);

        const auto length =
            static_cast<int32_t>(Word{p[0]} | (Word{p[1]} << 8) | (Word{p[2]} << 16) | (Word{p[3]} << 24));
        if (length > inLength - 4)
            return std::nullopt;
        if (length <= 0)
            return std::nullopt;
        return plain.mid(4, length);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
