#include "LiveCounts.h"

#include <OdArray.h>

TEST(OdStringTest, Utf8AndUtf16RoundTrip)
{
  const OdString s("Zürich \xE2\x82\xAC \xF0\x9F\x93\x90"); // u-umlaut, euro sign, a ruler emoji
  EXPECT_EQ(s.getLength(), 11) << "the emoji takes a surrogate pair";
  EXPECT_EQ(s.c_str()[1], u'\u00FC');
  EXPECT_EQ(s.toUtf8(), "Zürich \xE2\x82\xAC \xF0\x9F\x93\x90");
  EXPECT_TRUE(OdString::kEmpty.isEmpty());
  EXPECT_TRUE(OdString(static_cast<const char*>(nullptr)).isEmpty());
}

TEST(OdStringTest, MalformedUtf8BecomesReplacementCharacters)
{
  const OdString s("a\xC3"); // a lead byte cut off at the end
  ASSERT_EQ(s.getLength(), 2);
  EXPECT_EQ(s.c_str()[1], u'\uFFFD');
  const OdString t("\xE2\x28\xA1x"); // a lead byte followed by a non-continuation byte
  EXPECT_EQ(t.c_str()[t.getLength() - 1], u'x');
}

TEST(OdStringTest, CaseInsensitiveComparisonAsCadUsersType)
{
  EXPECT_EQ(OdString("importdgn").iCompare(OdString("IMPORTDGN")), 0);
  EXPECT_LT(OdString("abc").iCompare(OdString("ABD")), 0);
  EXPECT_GT(OdString("abcd").iCompare(OdString("ABC")), 0);
  EXPECT_NE(OdString("abc").compare(OdString("ABC")), 0);
  OdString s("_-insertBlock");
  EXPECT_EQ(s.makeUpper(), OdString("_-INSERTBLOCK"));
  EXPECT_EQ(OdString("a") + OdString("b"), OdString("ab"));
}

class OdArrayTest : public LiveCountsTest {};

TEST_F(OdArrayTest, AppendsInOrderAndChecksIndices)
{
  OdStringArray names;
  EXPECT_TRUE(names.isEmpty());
  EXPECT_EQ(names.append(OdString("Default")), 0u);
  EXPECT_EQ(names.append(OdString("Sheet")), 1u);
  EXPECT_EQ(names.size(), 2u);
  EXPECT_EQ(names[1], OdString("Sheet"));
  EXPECT_THROW(names.at(2), OdError);
  names.removeAt(0);
  EXPECT_EQ(names[0], OdString("Sheet"));
  EXPECT_THROW(names.removeAt(5), OdError);
}
