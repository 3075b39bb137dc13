#pragma once
#include "CFxDatabaseContext.h"

#include <QLineEdit>

#include <limits>

// A line edit for one number of a drawing: a length, a scale or an angle. It keeps, as the
// user types, whether its text is a valid value. Angles are typed in degrees; getValue and
// setValue speak radians.
class CFxQtUnitLineEdit : public QLineEdit, public CFxDatabaseContext {
  Q_OBJECT

public:
  enum UnitType { kLength = 0, kScale = 2, kAngle = 3 };

  explicit CFxQtUnitLineEdit(QWidget* parent = nullptr);
  ~CFxQtUnitLineEdit() override;

  void setUnitType(int unitType);
  int unitType() const { return m_unitType; }

  // The value of the text; the default value while the text is empty, 0 when the text is not
  // valid.
  double getValue() const;
  // Sets the value; with `updateText` the text shows it as well.
  void setValue(double value, bool updateText = true);
  void setDefaultValue(double value);

  // Checks: a value of 0 is not valid; a negative value is not valid; a value outside
  // [minimum, maximum] is not valid. Each check takes effect at the next validate().
  void setRejectZero(bool on);
  void setRejectNegative(bool on);
  void setRange(double minimum, double maximum);
  // Re-reads the text against the checks.
  void validate();

  bool isValid() const { return m_valid; }
  // Why the text is not a valid value; empty when it is.
  QString errorText() const { return m_error; }
  // Shows the field's error on the field itself (marked, focused and selected, with the reason
  // as its tool tip); with `quiet` the field is only marked.
  void showError(bool quiet);

signals:
  void validityChanged(bool valid);

private:
  void setValidity(bool valid, const QString& error);

  int m_unitType = kLength;
  double m_value = 0.0;
  double m_defaultValue = 0.0;
  bool m_hasDefault = false;
  bool m_rejectZero = false;
  bool m_rejectNegative = false;
  double m_minimum = -std::numeric_limits<double>::infinity();
  double m_maximum = std::numeric_limits<double>::infinity();
  bool m_valid = true;
  QString m_error;
};
