// The shipped translations against the sources. lupdate, run on a copy of each .ts file, finds
// every text the module translates: each must have a finished translation that keeps what the
// code and the report's layout rely on (placeholders, line breaks, the mnemonic, blanks at the
// ends).
#include <ProcessRun.h>
#include <TestFiles.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

// Each message of a .ts file: context, source text, translation's type (empty when finished),
// translation.
std::vector<QStringList> messagesOf(const QString& path)
{
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  std::vector<QStringList> messages;
  QString context;
  for (QXmlStreamReader xml(&file); !xml.atEnd();) {
    if (xml.readNext() != QXmlStreamReader::StartElement)
      continue;
    if (xml.name() == QLatin1String("name"))
      context = xml.readElementText();
    else if (xml.name() == QLatin1String("source"))
      messages.push_back({context, xml.readElementText()});
    else if (xml.name() == QLatin1String("translation"))
      messages.back() << xml.attributes().value("type").toString() << xml.readElementText();
  }
  return messages;
}

// What a translation must keep of its source text.
QString shape(QString text)
{
  static const QRegularExpression marks("%[1-9]|\\n|&|^\\s+|\\s+$");
  QStringList found;
  for (auto it = marks.globalMatch(text.remove("&&")); it.hasNext();)
    found << it.next().captured();
  found.sort();
  return found.join('|');
}

TEST(Translations, EveryTextOfTheModuleHasAFinishedGermanAndFrenchTranslationOfItsShape)
{
  for (const QString language : {"de", "fr"}) {
    QTemporaryDir dir;
    const QString ts = writeBytes(dir.filePath("DGNImport_" + language + ".ts"),
                                  readBytes(DGN_SOURCE_DIR "/translations/DGNImport_" + language + ".ts"));
    const ProcessRun lupdate = runProcess(DGN_LUPDATE, {"-locations", "none", "@" DGN_LUPDATE_LIST, "-ts", ts});
    ASSERT_EQ(lupdate.code, 0) << lupdate.err.toStdString();
    const std::vector<QStringList> messages = messagesOf(ts);
    EXPECT_GE(messages.size(), 86u);
    for (const QStringList& m : messages) {
      const std::string where = (language + " " + m[0] + ": \"" + m[1] + "\"").toStdString();
      if (!m[2].isEmpty())
        ADD_FAILURE() << where << " is " << m[2].toStdString() << ": new in the sources, or gone from them";
      else
        EXPECT_EQ(shape(m[3]).toStdString(), shape(m[1]).toStdString()) << where;
    }
  }
}

} // namespace
