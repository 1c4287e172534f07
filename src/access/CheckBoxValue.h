#pragma once

#include <QCheckBox>

// A check box's value as the credential files and the saved dialog state count
// it: 0 unchecked, 1 checked, 2 grayed (Qt numbers these 0, 2, 1).
namespace CheckBoxValue {

inline int get(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

// Values other than 0, 1 and 2 leave the box unchecked.
inline void set(QCheckBox* box, int value)
{
    box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

} // namespace CheckBoxValue
