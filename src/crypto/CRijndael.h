#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>

// Rijndael with a block of Nb and a key of Nk 32-bit words (4, 6 or 8 each).
// The message functions always use Nb = Nk = 8: a 256-bit block and key, 14
// rounds, which is Rijndael rather than AES; the stored credentials depend on it.
//
// A byte array that was never made is std::nullopt; an array of no bytes is
// a QByteArray of size 0. The two are different: an empty message is an
// array, a failed call returns no array.
class CRijndael {
public:
    CRijndael();

    // Encrypted frame (length prefix, message, zero padding), a multiple of 32
    // bytes; no array on any failure, an empty message included.
    std::optional<QByteArray> EncryptData(const std::optional<QByteArray>& bytMessage,
                                          const std::optional<QByteArray>& bytPassword);
    // The message bytes (at least one); no array on any failure.
    std::optional<QByteArray> DecryptData(const std::optional<QByteArray>& bytIn,
                                          const std::optional<QByteArray>& bytPassword);

    // What a failing operation inside the class raises; the message functions
    // trap it and return no array, so it never reaches their callers.
    class RunTimeError : public std::runtime_error {
    public:
        static constexpr int Overflow = 6;
        static constexpr int SubscriptOutOfRange = 9;
        explicit RunTimeError(int number);
        int number() const { return m_number; }

    private:
        int m_number;
    };

private:
    friend class CRijndaelProbe; // the tests' way to the block layer

    using Word = std::uint32_t;
    using Byte = std::uint8_t;

    static constexpr int MaxBlockWords = 8;
    static constexpr int MaxKeyWords = 8;
    static constexpr int MaxKeyScheduleWords = 120;

    Word LongShiftLeft(Word value, int16_t shiftCount) const;
    Word LongShiftRight(Word value, int16_t shiftCount) const;
    Byte ByteShiftLeft(Byte value, Byte shiftCount) const;
    Byte ByteShiftRight(Byte value, Byte shiftCount) const;
    Word LongRotateLeft(Word value, int16_t rotateCount) const;
    Byte ByteRotateLeft(Byte value, Byte rotateCount) const;
    static Word PackWord(const std::array<Byte, 4>& bytes);
    static Word PackWordAt(std::span<const Byte> bytes, std::ptrdiff_t offset);
    static void UnpackWord(Word value, std::array<Byte, 4>& bytes);
    static void UnpackWordAt(Word value, std::span<Byte> bytes, std::ptrdiff_t offset);
    Byte GfMultiply(Byte x, Byte y) const;
    Word SubstituteWord(Word value) const;
    Word InverseMixColumn(Word value) const;
    void ExpandKey(int32_t nb, int32_t nk, std::span<const Byte> key);
    void EncryptBlock(std::span<Byte> block) const;
    void DecryptBlock(std::span<Byte> block) const;
    static bool IsArrayAllocated(const std::optional<QByteArray>& array);

    // The 32-byte key of a password: its first 32 bytes, zero-filled.
    static std::array<Byte, 32> MessageKey(const QByteArray& password);
    // A round table and its copies rotated by 8, 16 and 24 bits, one per row.
    using RoundTables = std::array<std::array<Word, 256>, 4>;
    // Shared round loop of both directions, for any block size.
    void CryptBlock(std::span<Byte> block, const std::array<Word, MaxKeyScheduleWords>& key, const RoundTables& tables,
                    const std::array<Byte, 24>& shifts, const std::array<Byte, 256>& sBox) const;
    // The message cipher's 256-bit blocks, with their row offsets fixed, in place.
    void EncryptMessageBlocks(Byte* data, qsizetype length) const;
    void DecryptMessageBlocks(Byte* data, qsizetype length) const;

    std::array<Word, 31> LowMasks{};
    std::array<Word, 31> Powers{};
    std::array<Byte, 8> ByteLowMasks{};
    std::array<Byte, 8> BytePowers{};
    // The cipher's tables do not depend on the key: computed once, when the program is
    // built, and shared by every instance.
    static const std::array<Byte, 256>& SBox;
    static const std::array<Byte, 256>& InverseSBox;
    static const std::array<Byte, 256>& AntilogTable;
    static const std::array<Byte, 256>& LogTable;
    static const RoundTables& ForwardTables;
    static const RoundTables& InverseTables;
    static const std::array<Word, 30>& RoundConstants;
    int32_t KeyWords = 0;
    int32_t BlockWords = 0;
    int32_t Rounds = 0;
    std::array<Byte, 24> ForwardShifts{};
    std::array<Byte, 24> InverseShifts{};
    std::array<Word, MaxKeyScheduleWords> ForwardKey{};
    std::array<Word, MaxKeyScheduleWords> InverseKey{};
};
