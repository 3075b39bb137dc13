#pragma once
// Readable failure messages for Qt strings.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
  *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
  *os << '{' << list.join("\", \"").prepend('"').append('"').toStdString() << '}';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
  *os << '"' << bytes.toStdString() << '"';
}
