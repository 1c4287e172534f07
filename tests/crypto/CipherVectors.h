#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>

// The known-answer vectors of cipher-vectors.txt, read at test time.
namespace CipherVectors {

struct Block {
    int nb = 0;
    int nk = 0;
    QByteArray key, plain, cipher;
    QString line;
};

struct Stored {
    QString plain, phrase, stored;
};

struct All {
    QString path;
    QList<Block> blocks;
    QList<Stored> stored;
};

inline QString sharedPath()
{
    return QStringLiteral(GEARBOOK_TESTDATA "/cipher-vectors.txt");
}

inline QString repoPath()
{
    return QStringLiteral(GEARBOOK_CRYPTO_VECTORS);
}

// The shared file when it is there, else the copy kept with the tests.
inline All load()
{
    All all;
    all.path = QFileInfo::exists(sharedPath()) ? sharedPath() : repoPath();
    QFile file(all.path);
    if (!file.open(QIODevice::ReadOnly))
        return all;
    const QString text = QString::fromUtf8(file.readAll());
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u"block ")) {
            Block b;
            b.line = line;
            for (const QString& field : line.split(u' ', Qt::SkipEmptyParts)) {
                const QString name = field.section(u'=', 0, 0);
                const QString value = field.section(u'=', 1);
                if (name == u"Nb")
                    b.nb = value.toInt();
                else if (name == u"Nk")
                    b.nk = value.toInt();
                else if (name == u"key")
                    b.key = QByteArray::fromHex(value.toLatin1());
                else if (name == u"pt")
                    b.plain = QByteArray::fromHex(value.toLatin1());
                else if (name == u"ct")
                    b.cipher = QByteArray::fromHex(value.toLatin1());
            }
            all.blocks << b;
        } else if (line.startsWith(u"stored\t")) {
            const QStringList f = line.split(u'\t');
            if (f.size() == 4)
                all.stored << Stored{f[1], f[2], f[3]};
        }
    }
    return all;
}

} // namespace CipherVectors
