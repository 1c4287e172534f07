#include "CipherVectors.h"
#include "TestEnvironment.h"
#include "crypto/CRijndael.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>

#include <functional>

// The tests' way to the private block layer of the cipher.
class CRijndaelProbe {
public:
    using Byte = std::uint8_t;

    static void expand(CRijndael& c, int nb, int nk, const QByteArray& key)
    {
        c.ExpandKey(nb, nk, std::span(reinterpret_cast<const Byte*>(key.constData()), key.size()));
    }
    static QByteArray encrypt(const CRijndael& c, QByteArray block)
    {
        c.EncryptBlock(std::span(reinterpret_cast<Byte*>(block.data()), block.size()));
        return block;
    }
    static QByteArray decrypt(const CRijndael& c, QByteArray block)
    {
        c.DecryptBlock(std::span(reinterpret_cast<Byte*>(block.data()), block.size()));
        return block;
    }
    static quint32 shiftLeft(const CRijndael& c, quint32 v, int n) { return c.LongShiftLeft(v, int16_t(n)); }
    static quint32 shiftRight(const CRijndael& c, quint32 v, int n) { return c.LongShiftRight(v, int16_t(n)); }
    static Byte byteLeft(const CRijndael& c, Byte v, int n) { return c.ByteShiftLeft(v, Byte(n)); }
    static Byte byteRight(const CRijndael& c, Byte v, int n) { return c.ByteShiftRight(v, Byte(n)); }
    static quint32 rotate(const CRijndael& c, quint32 v, int n) { return c.LongRotateLeft(v, int16_t(n)); }
    static Byte byteRotate(const CRijndael& c, Byte v, int n) { return c.ByteRotateLeft(v, Byte(n)); }
    static Byte gfMultiply(const CRijndael& c, Byte x, Byte y) { return c.GfMultiply(x, y); }
    static quint32 packAt(const QByteArray& bytes, int offset)
    {
        return CRijndael::PackWordAt(std::span(reinterpret_cast<const Byte*>(bytes.constData()), bytes.size()), offset);
    }
    static auto& lowMasks(const CRijndael& c) { return c.LowMasks; }
    static auto& powers(const CRijndael& c) { return c.Powers; }
    static auto& byteLowMasks(const CRijndael& c) { return c.ByteLowMasks; }
    static auto& bytePowers(const CRijndael& c) { return c.BytePowers; }
    static auto& sBox(const CRijndael& c) { return c.SBox; }
    static auto& inverseSBox(const CRijndael& c) { return c.InverseSBox; }
    static auto& logTable(const CRijndael& c) { return c.LogTable; }
    static auto& roundConstants(const CRijndael& c) { return c.RoundConstants; }
    static auto& forwardShifts(const CRijndael& c) { return c.ForwardShifts; }
    static auto& inverseShifts(const CRijndael& c) { return c.InverseShifts; }
    static auto& forwardKey(const CRijndael& c) { return c.ForwardKey; }
    static auto& inverseKey(const CRijndael& c) { return c.InverseKey; }
    static int rounds(const CRijndael& c) { return c.Rounds; }
};

namespace {

using Probe = CRijndaelProbe;

// The run-time error number that an operation raises, or 0 when none.
int errorOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const CRijndael::RunTimeError& e) {
        return e.number();
    }
    return 0;
}

// GF(2^8) product the slow, obvious way, to check the table-driven one.
quint8 slowMultiply(quint8 x, quint8 y)
{
    quint8 result = 0;
    while (y) {
        if (y & 1)
            result ^= x;
        x = quint8((x << 1) ^ ((x & 0x80) ? 0x1B : 0));
        y >>= 1;
    }
    return result;
}

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray randomBytes(int length, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray out(length, Qt::Uninitialized);
    for (auto& c : out)
        c = char(rng.bounded(256));
    return out;
}

QByteArray key32(const QByteArray& password)
{
    QByteArray key = password.left(32);
    key.append(QByteArray(32 - key.size(), '\0'));
    return key;
}

// A frame encrypted with the block layer directly, so the message layer can be
// fed length fields and padding it would never write itself.
QByteArray encryptFrame(const QByteArray& frame, const QByteArray& password)
{
    CRijndael c;
    Probe::expand(c, 8, 8, key32(password));
    QByteArray out;
    for (int offset = 0; offset < frame.size(); offset += 32)
        out += Probe::encrypt(c, frame.mid(offset, 32));
    return out;
}

QByteArray decryptFrame(const QByteArray& data, const QByteArray& password)
{
    CRijndael c;
    Probe::expand(c, 8, 8, key32(password));
    QByteArray out;
    for (int offset = 0; offset < data.size(); offset += 32)
        out += Probe::decrypt(c, data.mid(offset, 32));
    return out;
}

QByteArray lengthField(qint32 length)
{
    const auto l = quint32(length);
    return bytesOf({int(l & 0xFF), int((l >> 8) & 0xFF), int((l >> 16) & 0xFF), int(l >> 24)});
}

} // namespace

class TestRijndael : public QObject {
    Q_OBJECT
private slots:
    void vectorFile()
    {
        const auto all = CipherVectors::load();
        QVERIFY2(all.blocks.size() >= 10, qPrintable(all.path));
        QVERIFY2(all.stored.size() >= 4, qPrintable(all.path));
        // The copy kept with the tests must not drift from the shared one.
        if (!QFileInfo::exists(CipherVectors::sharedPath()))
            QSKIP("shared test data not beside this checkout");
        QCOMPARE(readAll(CipherVectors::repoPath()), readAll(CipherVectors::sharedPath()));
    }

    void blockVectors_data()
    {
        QTest::addColumn<int>("nb");
        QTest::addColumn<int>("nk");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("cipher");
        for (const auto& b : CipherVectors::load().blocks)
            QTest::newRow(qPrintable(b.line.left(40))) << b.nb << b.nk << b.key << b.plain << b.cipher;
    }

    void blockVectors()
    {
        QFETCH(int, nb);
        QFETCH(int, nk);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, cipher);
        QCOMPARE(plain.size(), 4 * nb);
        QCOMPARE(key.size(), 4 * nk);
        CRijndael c;
        Probe::expand(c, nb, nk, key);
        QCOMPARE(Probe::rounds(c), std::max(nb, nk) + 6);
        QCOMPARE(Probe::encrypt(c, plain).toHex(), cipher.toHex());
        QCOMPARE(Probe::decrypt(c, cipher).toHex(), plain.toHex());
    }

    void tables()
    {
        CRijndael c;
        for (int n = 0; n < 31; ++n) {
            QCOMPARE(Probe::lowMasks(c)[n], quint32((quint64(1) << (n + 1)) - 1));
            QCOMPARE(Probe::powers(c)[n], quint32(1u << n));
        }
        for (int n = 0; n < 8; ++n) {
            QCOMPARE(int(Probe::byteLowMasks(c)[n]), (1 << (n + 1)) - 1);
            QCOMPARE(int(Probe::bytePowers(c)[n]), 1 << n);
        }

        Probe::expand(c, 8, 8, QByteArray(32, '\0'));
        QCOMPARE(int(Probe::sBox(c)[0]), 0x63);
        QCOMPARE(int(Probe::inverseSBox(c)[0x63]), 0);
        QCOMPARE(int(Probe::sBox(c)[0x53]), 0xED); // FIPS-197 example
        QCOMPARE(int(Probe::logTable(c)[1]), 255);
        for (int i = 0; i < 256; ++i)
            QCOMPARE(int(Probe::inverseSBox(c)[Probe::sBox(c)[i]]), i);
        for (int x = 0; x < 256; ++x) {
            for (int y = 0; y < 256; ++y)
                QCOMPARE(Probe::gfMultiply(c, quint8(x), quint8(y)), slowMultiply(quint8(x), quint8(y)));
        }
        const QList<int> expected = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x1B, 0x36,
                                     0x6C, 0xD8, 0xAB, 0x4D, 0x9A, 0x2F, 0x5E, 0xBC, 0x63, 0xC6,
                                     0x97, 0x35, 0x6A, 0xD4, 0xB3, 0x7D, 0xFA, 0xEF, 0xC5, 0x91};
        for (int i = 0; i < 30; ++i)
            QCOMPARE(int(Probe::roundConstants(c)[i]), expected[i]);
    }

    void keyScheduleOfTheMessageCipher()
    {
        CRijndael c;
        const QByteArray key = randomBytes(32, 7);
        Probe::expand(c, 8, 8, key);
        QCOMPARE(Probe::rounds(c), 14);
        // Row offsets 1, 3, 4 for the 256-bit block, and their inverses.
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(int(Probe::forwardShifts(c)[3 * i]), (i + 1) % 8);
            QCOMPARE(int(Probe::forwardShifts(c)[3 * i + 1]), (i + 3) % 8);
            QCOMPARE(int(Probe::forwardShifts(c)[3 * i + 2]), (i + 4) % 8);
            QCOMPARE(int(Probe::inverseShifts(c)[3 * i]), (8 + i - 1) % 8);
            QCOMPARE(int(Probe::inverseShifts(c)[3 * i + 1]), (8 + i - 3) % 8);
            QCOMPARE(int(Probe::inverseShifts(c)[3 * i + 2]), (8 + i - 4) % 8);
        }
        const auto& fk = Probe::forwardKey(c);
        const auto& ik = Probe::inverseKey(c);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(fk[i], Probe::packAt(key, 4 * i));
        // All 120 words are in use: the last round key is the first decryption key and vice versa.
        for (int j = 0; j < 8; ++j) {
            QCOMPARE(ik[j], fk[112 + j]);
            QCOMPARE(ik[112 + j], fk[j]);
        }
        QVERIFY(fk[119] != 0);
    }

    void shifts()
    {
        CRijndael c;
        QCOMPARE(Probe::shiftLeft(c, 0xDEADBEEF, 0), 0xDEADBEEFu);
        QCOMPARE(Probe::shiftRight(c, 0xDEADBEEF, 0), 0xDEADBEEFu);
        QCOMPARE(Probe::shiftLeft(c, 1, 31), 0x80000000u);
        QCOMPARE(Probe::shiftLeft(c, 0xFFFFFFFF, 31), 0x80000000u);
        QCOMPARE(Probe::shiftLeft(c, 0xFFFFFFFE, 31), 0u);
        QCOMPARE(Probe::shiftRight(c, 0x80000000, 31), 1u);
        QCOMPARE(Probe::shiftRight(c, 0xFFFFFFFF, 31), 1u);
        QCOMPARE(Probe::shiftRight(c, 0x7FFFFFFF, 31), 0u);
        QCOMPARE(int(Probe::byteLeft(c, 0xAB, 0)), 0xAB);
        QCOMPARE(int(Probe::byteRight(c, 0xAB, 0)), 0xAB);
        QCOMPARE(int(Probe::byteLeft(c, 0xFF, 7)), 0x80);
        QCOMPARE(int(Probe::byteRight(c, 0xFF, 7)), 0x01);
        const quint32 v = 0x9E3779B9;
        for (int n = 0; n < 32; ++n) {
            QCOMPARE(Probe::shiftLeft(c, v, n), v << n);
            QCOMPARE(Probe::shiftRight(c, v, n), v >> n);
        }
        for (int n = 1; n < 32; ++n)
            QCOMPARE(Probe::rotate(c, v, n), (v << n) | (v >> (32 - n)));
        for (int n = 0; n < 8; ++n) {
            QCOMPARE(Probe::byteLeft(c, 0xB5, n), quint8(0xB5 << n));
            QCOMPARE(Probe::byteRight(c, 0xB5, n), quint8(0xB5 >> n));
        }
        for (int n = 1; n < 8; ++n)
            QCOMPARE(Probe::byteRotate(c, 0xB5, n), quint8((0xB5 << n) | (0xB5 >> (8 - n))));
    }

    void countsOutOfRangeAreOverflow()
    {
        CRijndael c;
        constexpr int Overflow = CRijndael::RunTimeError::Overflow;
        QCOMPARE(errorOf([&] { Probe::shiftLeft(c, 1, 32); }), Overflow);
        QCOMPARE(errorOf([&] { Probe::shiftLeft(c, 1, -1); }), Overflow);
        QCOMPARE(errorOf([&] { Probe::shiftRight(c, 1, 32); }), Overflow);
        QCOMPARE(errorOf([&] { Probe::shiftRight(c, 1, -32768); }), Overflow);
        QCOMPARE(errorOf([&] { Probe::byteLeft(c, 1, 8); }), Overflow);
        QCOMPARE(errorOf([&] { Probe::byteRight(c, 1, 255); }), Overflow);
        QCOMPARE(errorOf([&] { Probe::rotate(c, 1, 0); }), Overflow);
        QCOMPARE(errorOf([&] { Probe::rotate(c, 1, 32); }), Overflow);
        QCOMPARE(errorOf([&] { Probe::byteRotate(c, 1, 0); }), Overflow);
        QCOMPARE(errorOf([&] { Probe::byteRotate(c, 1, 8); }), Overflow);
    }

    void sizesBeyondCapacityAreSubscriptErrors()
    {
        constexpr int Subscript = CRijndael::RunTimeError::SubscriptOutOfRange;
        const QByteArray key(64, 'k');
        CRijndael c;
        QCOMPARE(errorOf([&] { Probe::expand(c, 9, 8, key); }), Subscript);
        QCOMPARE(errorOf([&] { Probe::expand(c, 8, 9, key); }), Subscript);
        QCOMPARE(errorOf([&] { Probe::expand(c, 0, 4, key); }), Subscript);
        QCOMPARE(errorOf([&] { Probe::expand(c, 4, -1, key); }), Subscript);
        // A short key runs out of round constants: an error, not a read past them.
        QCOMPARE(errorOf([&] { Probe::expand(c, 8, 1, key); }), Subscript);
        // Fewer key bytes than Nk words need.
        QCOMPARE(errorOf([&] { Probe::expand(c, 4, 8, QByteArray(31, 'k')); }), Subscript);
        QCOMPARE(errorOf([&] { Probe::packAt(QByteArray(8, 'x'), 5); }), Subscript);
        QCOMPARE(errorOf([&] { Probe::packAt(QByteArray(8, 'x'), -1); }), Subscript);

        CRijndael fresh;
        // A block before any key, and a block shorter than Nb words.
        QCOMPARE(errorOf([&] { Probe::encrypt(fresh, QByteArray(32, 'x')); }), Subscript);
        Probe::expand(fresh, 8, 8, key);
        QCOMPARE(errorOf([&] { Probe::encrypt(fresh, QByteArray(31, 'x')); }), Subscript);
        QCOMPARE(errorOf([&] { Probe::decrypt(fresh, QByteArray(16, 'x')); }), Subscript);
    }

    void messageLengths()
    {
        const QByteArray password("secret");
        for (int length = 1; length <= 100; ++length) {
            const QByteArray message = randomBytes(length, quint32(length));
            CRijndael c;
            const auto encrypted = c.EncryptData(message, password);
            QVERIFY(encrypted);
            const int expected = ((length + 4 + 31) / 32) * 32;
            QCOMPARE(encrypted->size(), expected);
            if (length <= 28)
                QCOMPARE(encrypted->size(), 32);
            else if (length <= 60)
                QCOMPARE(encrypted->size(), 64);
            // The frame: little-endian length, the message, zeros.
            const QByteArray frame = decryptFrame(*encrypted, password);
            QCOMPARE(frame.left(4), lengthField(length));
            QCOMPARE(frame.mid(4, length), message);
            QCOMPARE(frame.mid(4 + length), QByteArray(expected - 4 - length, '\0'));
            const auto decrypted = c.DecryptData(*encrypted, password);
            QVERIFY(decrypted);
            QCOMPARE(*decrypted, message);
        }
    }

    void everyByteValueRoundTrips()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        CRijndael c;
        for (const QByteArray& password : {QByteArray(), QByteArray("p"), all}) {
            const auto encrypted = c.EncryptData(all, password);
            QVERIFY(encrypted);
            QCOMPARE(c.DecryptData(*encrypted, password), std::optional<QByteArray>(all));
        }
    }

    void missingAndEmptyArrays()
    {
        CRijndael c;
        QVERIFY(!c.EncryptData(QByteArray(), QByteArray("p")));
        QVERIFY(!c.EncryptData(QByteArray(""), QByteArray("p")));
        QVERIFY(!c.EncryptData(std::nullopt, QByteArray("p")));
        QVERIFY(!c.EncryptData(QByteArray("m"), std::nullopt));
        QVERIFY(!c.DecryptData(std::nullopt, QByteArray("p")));
        const auto encrypted = c.EncryptData(QByteArray("m"), QByteArray("p"));
        QVERIFY(encrypted);
        QVERIFY(!c.DecryptData(*encrypted, std::nullopt));
        // A zero-length password is an array: it gives the all-zero key.
        const auto withEmpty = c.EncryptData(QByteArray("m"), QByteArray());
        QVERIFY(withEmpty);
        QCOMPARE(withEmpty, c.EncryptData(QByteArray("m"), QByteArray(32, '\0')));
        QCOMPARE(encryptFrame(lengthField(1) + "m" + QByteArray(27, '\0'), QByteArray()), *withEmpty);
    }

    void passwordIsItsFirst32Bytes()
    {
        CRijndael c;
        const QByteArray message("The same message");
        const QByteArray base = randomBytes(32, 99);
        const auto a = c.EncryptData(message, base);
        QCOMPARE(c.EncryptData(message, base + "anything after"), a);
        QCOMPARE(c.EncryptData(message, base + QByteArray(100, 'z')), a);
        QVERIFY(c.EncryptData(message, base.left(31)) != a);
        // A short password is itself followed by zeros.
        QCOMPARE(c.EncryptData(message, QByteArray("abc")),
                 c.EncryptData(message, QByteArray("abc") + QByteArray(29, '\0')));
        // And the object can be reused with another password afterwards.
        QCOMPARE(c.DecryptData(*a, base + "x"), std::optional<QByteArray>(message));
    }

    void electronicCodeBook()
    {
        // Frame bytes 32..63 and 64..95 equal: message bytes 28..59 and 60..91.
        QByteArray message = randomBytes(28, 1);
        const QByteArray half = randomBytes(32, 2);
        message += half + half;
        CRijndael c;
        const auto encrypted = c.EncryptData(message, QByteArray("pw"));
        QVERIFY(encrypted);
        QCOMPARE(encrypted->size(), 96);
        QCOMPARE(encrypted->mid(32, 32), encrypted->mid(64, 32));
        QVERIFY(encrypted->left(32) != encrypted->mid(32, 32));
        // Deterministic.
        QCOMPARE(c.EncryptData(message, QByteArray("pw")), encrypted);
    }

    void decryptRefusesBadInput()
    {
        CRijndael c;
        const QByteArray pw("pw");
        QVERIFY(!c.DecryptData(QByteArray(), pw));
        for (int length : {1, 4, 31, 33, 63, 65})
            QVERIFY(!c.DecryptData(randomBytes(length, quint32(length)), pw));

        auto frame = [](qint32 field, const QByteArray& rest) { return lengthField(field) + rest; };
        const QByteArray body = randomBytes(60, 5);
        // Length field 0, negative, one too large, far too large: no array.
        for (qint32 field : {0, -1, -28, INT_MIN, 29, 61, INT_MAX}) {
            const int size = field == 29 ? 28 : 60;
            QVERIFY2(!c.DecryptData(encryptFrame(frame(field, body.left(size)), pw), pw),
                     qPrintable(QString::number(field)));
        }
        // The largest length that fits, and padding that is not zero: both accepted.
        QCOMPARE(c.DecryptData(encryptFrame(frame(28, body.left(28)), pw), pw), std::optional(body.left(28)));
        QCOMPARE(c.DecryptData(encryptFrame(frame(60, body), pw), pw), std::optional(body));
        QCOMPARE(c.DecryptData(encryptFrame(frame(3, body), pw), pw), std::optional(body.left(3)));
    }

    void arbitraryInputNeverBreaksDecryption()
    {
        // Garbage, and real data under the wrong password: either no array or
        // at most the bytes the input can hold.
        CRijndael c;
        const auto real = c.EncryptData(randomBytes(50, 3), QByteArray("right"));
        QVERIFY(real);
        const auto wrong = c.DecryptData(*real, QByteArray("wrong"));
        QVERIFY(!wrong || (wrong->size() >= 1 && wrong->size() <= real->size() - 4));
        for (int length = 0; length <= 160; ++length) {
            for (quint32 seed = 0; seed < 4; ++seed) {
                const QByteArray data = randomBytes(length, seed * 1000 + quint32(length));
                const auto out = c.DecryptData(data, randomBytes(int(seed) * 20, seed));
                if (out) {
                    QCOMPARE(length % 32, 0);
                    QVERIFY(out->size() >= 1 && out->size() <= length - 4);
                }
            }
        }
    }
};

GEARBOOK_TEST_MAIN(TestRijndael)
#include "tst_rijndael.moc"
