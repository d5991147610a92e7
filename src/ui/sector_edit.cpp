#include "ui/sector_edit.h"

#include <QLineEdit>

namespace lazarine::ui {

SectorEdit::SectorEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setValue(0);
    setMinimumWidth(150);
}

long long SectorEdit::value() const {
    return std::strtoll(text().toUtf8().constData(), nullptr, 10);
}

void SectorEdit::setValue(long long v) { lineEdit()->setText(QString::number(v)); }

void SectorEdit::stepBy(int steps) {
    long long v = value() + steps;
    setValue(v < 0 ? 0 : v);
}

QValidator::State SectorEdit::validate(QString& input, int&) const {
    if (input.isEmpty()) return QValidator::Intermediate;
    for (QChar c : input)
        if (!c.isDigit()) return QValidator::Invalid;
    return input.size() <= 19 ? QValidator::Acceptable : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled SectorEdit::stepEnabled() const {
    return value() > 0 ? (StepUpEnabled | StepDownEnabled) : StepUpEnabled;
}

}  // namespace lazarine::ui
