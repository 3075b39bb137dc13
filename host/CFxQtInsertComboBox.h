#pragma once
#include <OdDb.h>

#include <QComboBox>

// The drawing units, by their long names, for the unit a block is inserted in.
class CFxQtInsertComboBox : public QComboBox {
  Q_OBJECT

public:
  explicit CFxQtInsertComboBox(QWidget* parent = nullptr);

  // The chosen unit; kUnitsUndefined when nothing is chosen.
  OdDb::UnitsValue getCurrentUnit() const;
  // Makes `units` current; a value outside the list chooses Unitless.
  void setCurrentUnit(OdDb::UnitsValue units);
};
