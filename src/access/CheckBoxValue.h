#pragma once

#include <QCheckBox>

// A check box's value as the credential files and the saved dialog state count
// it: 0 unchecked, 1 checked, 2 grayed (Qt numbers these 0, 2, 1).
namespace CheckBoxValue {

inline int get(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

// Values other than 0, 1 and 2 leave the box unchecked.
inline void set(QCheckBox* box, int value)
{
    box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

// "Skip login screen" implies "Remember name/password": checking the skip box
// checks and locks the remember box; unchecking it unlocks the remember box
// and leaves its value. Both login windows follow this rule.
inline void applySkipRule(const QCheckBox* skip, QCheckBox* remember)
{
    if (skip->checkState() == Qt::Checked) {
        remember->setCheckState(Qt::Checked);
        remember->setEnabled(false);
    } else {
        remember->setEnabled(true);
    }
}

} // namespace CheckBoxValue
