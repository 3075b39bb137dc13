#include <CFxString.h>

#include <QStringList>

#include <gtest/gtest.h>

TEST(CFxString, SplitKeepsInnerEmptyPiecesDropsTheTextAfterAFinalSeparatorAndConversionsLoseNothing)
{
  const std::pair<const char*, QStringList> splits[] = {
    {"_-INSERTBLOCK;/tmp/a b.dwg;_Scale;2;", {"_-INSERTBLOCK", "/tmp/a b.dwg", "_Scale", "2"}},
    {"a;;b", {"a", "", "b"}}, {";a", {"", "a"}}, {";", {""}}, {"", {}}, {"single", {"single"}}};
  for (const auto& [text, pieces] : splits) {
    QStringList out;
    for (const CFxString& piece : CFxString(text).SplitW(u';'))
      out << piece.toQString();
    EXPECT_EQ(out, pieces) << text;
  }

  const QString text = QString::fromUtf8("Zürich \xF0\x9F\x93\x90 plan.dgn");
  const CFxString fx(text);
  const OdString od = fx;
  EXPECT_EQ(CFxString(od).toQString(), text);
  EXPECT_EQ(CFxString(od.c_str()).toQString(), text);
  EXPECT_EQ(CFxString("Zürich").toQString(), QString::fromUtf8("Zürich"));
  EXPECT_EQ(std::u16string(fx.c_str()), od.str());

  EXPECT_EQ(CFxString("dgn").compareNoCase(CFxString("DGN")), 0);
  EXPECT_TRUE(CFxString("Dgn").equalNoCase(CFxString("dGN")));
  EXPECT_NE(CFxString("dgn").compare(CFxString("DGN")), 0);
  EXPECT_GT(CFxString("b").compareNoCase(CFxString("A")), 0);
  EXPECT_EQ(CFxString("plan_Default").makeUpper().toQString(), QString("PLAN_DEFAULT"));
}
