#pragma once
// A sector-number field with up and down arrows; 64-bit, never below 0.

#include <QAbstractSpinBox>

namespace lazarine::ui {

class SectorEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit SectorEdit(QWidget* parent = nullptr);
    // The decimal value of the text (leading digits; 0 when there are none).
    long long value() const;
    void setValue(long long value);
    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

protected:
    StepEnabled stepEnabled() const override;
};

}  // namespace lazarine::ui
