// A spin box that takes what is typed and keeps it in range when the typing
// is done: "150" in a box of 0 to 100 shows 150 while typed and becomes 100
// on Enter or when the box is left, where a plain spin box would refuse the
// last digit and leave 15.
#pragma once

#include <QSpinBox>

namespace pictaron {

class ClampingSpinBox : public QSpinBox {
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString& text, int& position) const override;
    void fixup(QString& text) const override;
};

} // namespace pictaron
