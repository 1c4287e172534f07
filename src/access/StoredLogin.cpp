#include "access/StoredLogin.h"

#include "access/CheckBoxValue.h"
#include "access/CredentialStore.h"
#include "common/modGlobalVars.h"
#include "ui/SaveMessages.h"

namespace StoredLogin {

bool read(QString& name, QString& password, QString* problem)
{
    const auto login = CredentialStore::readPasswordFile(QString(), problem);
    if (!login)
        return false;
    name = login->name;
    password = login->password;
    return true;
}

bool saveOptions(const QCheckBox* remember, const QCheckBox* skip)
{
    const int rememberValue = CheckBoxValue::get(remember);
    const int skipValue = CheckBoxValue::get(skip);
    const CredentialStore::StoreWrite w = CredentialStore::writeOptions(rememberValue, skipValue);
    if (!reportSave(w.path, w.result))
        return false;
    modGlobalVars::RememberFlag = QString::number(rememberValue);
    modGlobalVars::SkipLoginFlag = QString::number(skipValue);
    return true;
}

} // namespace StoredLogin
