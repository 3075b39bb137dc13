// The shipped translations against the sources. lupdate, run on a copy of each .ts file, finds
// every text the module translates: each must have a finished translation that keeps what the
// code and the report's layout rely on (placeholders, line breaks, the mnemonic, blanks at the
// ends).
#include <ProcessRun.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

struct Message {
  QString context, source, translation, type; // type: empty when finished
};

std::vector<Message> readMessages(const QString& path)
{
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  std::vector<Message> messages;
  QString context;
  QXmlStreamReader xml(&file);
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement)
      continue;
    if (xml.name() == QLatin1String("name"))
      context = xml.readElementText();
    else if (xml.name() == QLatin1String("message"))
      messages.push_back({context, {}, {}, {}});
    else if (xml.name() == QLatin1String("source"))
      messages.back().source = xml.readElementText();
    else if (xml.name() == QLatin1String("translation")) {
      messages.back().type = xml.attributes().value("type").toString();
      messages.back().translation = xml.readElementText();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return messages;
}

// What a translation must keep of its source text.
QString shape(const QString& text)
{
  QStringList placeholders;
  for (auto it = QRegularExpression("%[1-9]").globalMatch(text); it.hasNext();)
    placeholders << it.next().captured();
  placeholders.sort();
  const QString lead = text.left(text.size() - QString(text).remove(QRegularExpression("^\\s+")).size());
  const QString trail = text.mid(QString(text).remove(QRegularExpression("\\s+$")).size());
  return QStringLiteral("placeholders %1, lines %2, mnemonics %3, lead \"%4\", trail \"%5\"")
    .arg(placeholders.join(' '))
    .arg(text.count('\n'))
    .arg(QString(text).remove("&&").count('&'))
    .arg(lead, trail);
}

TEST(Translations, EveryTextOfTheModuleHasAFinishedGermanAndFrenchTranslationOfItsShape)
{
  for (const QString language : {"de", "fr"}) {
    SCOPED_TRACE(language.toStdString());
    QTemporaryDir dir;
    const QString ts = dir.filePath("DGNImport_" + language + ".ts");
    ASSERT_TRUE(QFile::copy(DGN_SOURCE_DIR "/translations/DGNImport_" + language + ".ts", ts));
    QFile::setPermissions(ts, QFile::ReadOwner | QFile::WriteOwner);
    const ProcessRun lupdate = runProcess(DGN_LUPDATE, {"-locations", "none", "@" DGN_LUPDATE_LIST, "-ts", ts});
    ASSERT_EQ(lupdate.code, 0) << lupdate.err.toStdString();

    const std::vector<Message> messages = readMessages(ts);
    EXPECT_GE(messages.size(), 86u);
    for (const Message& m : messages) {
      const std::string where = (m.context + ": \"" + m.source + "\"").toStdString();
      if (!m.type.isEmpty())
        ADD_FAILURE() << where << " is " << m.type.toStdString() << ": new in the sources, or gone from them";
      else
        EXPECT_EQ(shape(m.translation), shape(m.source)) << where;
    }
  }
}

} // namespace
