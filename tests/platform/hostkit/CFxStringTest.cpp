#include <CFxString.h>

#include <gtest/gtest.h>

TEST(CFxString, SplitKeepsInnerEmptyPiecesDropsTheTextAfterAFinalSeparatorAndConversionsLoseNothing)
{
  const auto split = [](const char* text) {
    std::vector<QString> out;
    for (const CFxString& piece : CFxString(text).SplitW(u';'))
      out.push_back(piece.toQString());
    return out;
  };
  EXPECT_EQ(split("_-INSERTBLOCK;/tmp/a b.dwg;_Scale;2;"),
            (std::vector<QString>{"_-INSERTBLOCK", "/tmp/a b.dwg", "_Scale", "2"}));
  EXPECT_EQ(split("a;;b"), (std::vector<QString>{"a", "", "b"}));
  EXPECT_EQ(split(";a"), (std::vector<QString>{"", "a"}));
  EXPECT_EQ(split(";"), (std::vector<QString>{""}));
  EXPECT_TRUE(split("").empty());
  EXPECT_EQ(split("single"), (std::vector<QString>{"single"}));

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
