#include "ui/LengthLimits.h"

#include <QLineEdit>

#include <limits>

void liftLengthLimits(QWidget* window)
{
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        edit->setMaxLength(std::numeric_limits<int>::max());
}
