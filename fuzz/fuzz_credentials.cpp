#include "access/CredentialStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

// Any bytes as the three credential files: reading them and judging the
// options must end without harm.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QString& name : {CredentialStore::PasswordFileName, CredentialStore::RememberFileName}) {
        QFile file(CredentialStore::filePath(name, folder.path()));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(bytes);
    }
    (void)CredentialStore::readPasswordFile(folder.path());
    if (const auto flag = CredentialStore::readRememberFlag(folder.path()))
        (void)CredentialStore::checkBoxValue(*flag);
    (void)CredentialStore::checkBoxValue(QString::fromLatin1(bytes));
    return 0;
}
