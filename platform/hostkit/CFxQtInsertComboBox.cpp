#include <CFxQtInsertComboBox.h>
#include <CFxUtils.h>

CFxQtInsertComboBox::CFxQtInsertComboBox(QWidget* parent) : QComboBox(parent)
{
  for (int units = OdDb::kUnitsUndefined; units <= OdDb::kUnitsMax; ++units)
    addItem(CFxUtils::GetStringForUnitScalingFactor(OdDb::UnitsValue(units)), units);
}

OdDb::UnitsValue CFxQtInsertComboBox::getCurrentUnit() const
{
  const int index = currentIndex();
  return index < 0 ? OdDb::kUnitsUndefined : OdDb::UnitsValue(itemData(index).toInt());
}

void CFxQtInsertComboBox::setCurrentUnit(OdDb::UnitsValue units)
{
  const int index = findData(int(units));
  setCurrentIndex(index < 0 ? 0 : index);
}
