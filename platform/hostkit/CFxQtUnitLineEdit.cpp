#include <CFxQtUnitLineEdit.h>

#include <QLocale>
#include <QToolTip>

#include <cmath>

namespace {

constexpr double kDegreesPerRadian = 180.0 / M_PI;

// A number as CAD users type it: C-locale digits, an optional exponent, no digit grouping; a
// comma separates list items on a CAD command line, so it never counts as a decimal point.
bool parseNumber(QString text, bool angle, double& value)
{
  text = text.trimmed();
  if (angle && (text.endsWith(QLatin1Char('d'), Qt::CaseInsensitive) || text.endsWith(QChar(0x00B0))))
    text.chop(1);
  if (text.isEmpty() || text.contains(QLatin1Char(',')))
    return false;
  QLocale c = QLocale::c();
  c.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  value = c.toDouble(text, &ok);
  return ok && std::isfinite(value);
}

QString formatNumber(double value)
{
  // Ordinary magnitudes without an exponent, as a drawing's settings would show them.
  const double magnitude = std::fabs(value);
  if (magnitude != 0.0 && (magnitude < 1e-4 || magnitude >= 1e15))
    return QString::number(value, 'g', 6);
  QString text = QString::number(value, 'f', 6);
  while (text.contains(QLatin1Char('.')) && (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
    text.chop(1);
  return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

} // namespace

CFxQtUnitLineEdit::CFxQtUnitLineEdit(QWidget* parent) : QLineEdit(parent)
{
  connect(this, &QLineEdit::textChanged, this, &CFxQtUnitLineEdit::validate);
  validate();
}

CFxQtUnitLineEdit::~CFxQtUnitLineEdit() = default;

void CFxQtUnitLineEdit::setUnitType(int unitType)
{
  m_unitType = unitType;
  validate();
}

double CFxQtUnitLineEdit::getValue() const
{
  return m_valid ? m_value : 0.0;
}

void CFxQtUnitLineEdit::setValue(double value, bool updateText)
{
  m_value = value;
  if (updateText)
    setText(formatNumber(m_unitType == kAngle ? value * kDegreesPerRadian : value));
  validate();
}

void CFxQtUnitLineEdit::setDefaultValue(double value)
{
  m_defaultValue = value;
  m_hasDefault = true;
  validate();
}

void CFxQtUnitLineEdit::setRejectZero(bool on)
{
  m_rejectZero = on;
}

void CFxQtUnitLineEdit::setRejectNegative(bool on)
{
  m_rejectNegative = on;
}

void CFxQtUnitLineEdit::setRange(double minimum, double maximum)
{
  m_minimum = minimum;
  m_maximum = maximum;
}

void CFxQtUnitLineEdit::validate()
{
  if (text().trimmed().isEmpty()) {
    if (!m_hasDefault)
      return setValidity(false, tr("Requires a number."));
    m_value = m_defaultValue;
    return setValidity(true, QString());
  }
  double typed = 0.0;
  if (!parseNumber(text(), m_unitType == kAngle, typed))
    return setValidity(false, tr("Requires a number."));
  const double value = m_unitType == kAngle ? typed / kDegreesPerRadian : typed;
  if (m_rejectZero && value == 0.0)
    return setValidity(false, tr("Requires a nonzero value."));
  if (m_rejectNegative && value < 0.0)
    return setValidity(false, tr("Requires a positive value."));
  if (value < m_minimum || value > m_maximum)
    return setValidity(false, tr("Requires a value between %1 and %2.")
                                .arg(QString::number(m_minimum, 'g', 6), QString::number(m_maximum, 'g', 6)));
  m_value = value;
  setValidity(true, QString());
}

void CFxQtUnitLineEdit::setValidity(bool valid, const QString& error)
{
  m_error = error;
  if (valid)
    setStyleSheet(QString());
  if (valid == m_valid)
    return;
  m_valid = valid;
  emit validityChanged(valid);
}

void CFxQtUnitLineEdit::showError(bool quiet)
{
  if (m_valid)
    return;
  setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid #d9342b; }"));
  if (quiet)
    return;
  setFocus(Qt::OtherFocusReason);
  selectAll();
  setToolTip(m_error);
  QToolTip::showText(mapToGlobal(rect().bottomLeft()), m_error, this);
}
