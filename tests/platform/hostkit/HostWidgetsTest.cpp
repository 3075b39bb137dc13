#include <CFxDialog.h>
#include <CFxQtDialogButtonBox.h>
#include <CFxQtInsertComboBox.h>
#include <CFxQtUnitLineEdit.h>
#include <CFxUserIO.h>
#include <CFxUtils.h>

#include <RxObjectImpl.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <deque>

TEST(UnitLineEdit, AcceptsNumbersAsCadUsersTypeThemWithinEachFieldsRules)
{
  CFxQtUnitLineEdit plain, scale, angle, length;
  scale.setUnitType(CFxQtUnitLineEdit::kScale);
  scale.setDefaultValue(1.0);
  scale.setRejectZero(true);
  scale.setRejectNegative(true);
  scale.setRange(1e-7, 1e7);
  angle.setUnitType(CFxQtUnitLineEdit::kAngle); // typed in degrees, reported in radians
  struct Case {
    CFxQtUnitLineEdit& field;
    const char* text;
    bool valid;
    double value; // an invalid text has none: 0
  } cases[] = {
    {plain, "2", true, 2},     {plain, "2.5", true, 2.5},  {plain, "1e3", true, 1000}, {plain, "-0.5", true, -0.5},
    {plain, "+3", true, 3},    {plain, ".5", true, 0.5},   {plain, "  7  ", true, 7},  {plain, "abc", false, 0},
    {plain, "2,5", false, 0},  {plain, "1.2.3", false, 0}, {plain, "nan", false, 0},   {plain, "inf", false, 0},
    {plain, "2 m", false, 0},  {plain, "1,000", false, 0}, {plain, "", false, 0}, // empty without a default value
    {scale, "", true, 1},      {scale, "0", false, 0},     {scale, "-2", false, 0},    {scale, "1e8", false, 0},
    {scale, "1e-8", false, 0}, {scale, "1e7", true, 1e7},  {scale, "1e-7", true, 1e-7}, // the limits belong to it
    {angle, "30", true, M_PI / 6}, {angle, "90d", true, M_PI / 2},
  };
  for (const Case& c : cases) {
    c.field.setText(c.text);
    EXPECT_EQ(c.field.isValid(), c.valid) << c.text;
    EXPECT_NEAR(c.field.getValue(), c.value, 1e-15) << c.text;
  }
  EXPECT_FALSE(plain.errorText().isEmpty());

  QSignalSpy changes(&scale, &CFxQtUnitLineEdit::validityChanged);
  for (const char* text : {"x", "y", "3"})
    scale.setText(text);
  EXPECT_EQ(changes.count(), 2) << "once to invalid, once back";
  scale.setText("x");
  scale.showError(false);
  EXPECT_FALSE(scale.styleSheet().isEmpty());
  scale.setText("4");
  EXPECT_TRUE(scale.styleSheet().isEmpty()) << "a valid value clears the mark";

  angle.setValue(M_PI / 4, true);
  EXPECT_EQ(angle.text(), "45");
  angle.setValue(0.785398163, true);
  EXPECT_EQ(angle.text(), "45") << "six decimals at most";
  length.setValue(1500000.0, true);
  EXPECT_EQ(length.text(), "1500000") << "no exponent for ordinary sizes";
}

TEST(InsertComboBox, ListsEveryDrawingUnitByName)
{
  CFxQtInsertComboBox units;
  EXPECT_EQ(units.count(), OdDb::kUnitsMax + 1);
  units.setCurrentUnit(OdDb::kUnitsFeet);
  EXPECT_EQ(units.currentText(), "Feet");
  units.setCurrentText("Millimeters");
  EXPECT_EQ(units.getCurrentUnit(), OdDb::kUnitsMillimeters);
  units.setCurrentUnit(OdDb::UnitsValue(999));
  EXPECT_EQ(units.getCurrentUnit(), OdDb::kUnitsUndefined);
}

TEST(DialogButtonBox, FindsButtonsByTheirFlagsAndTheAbortIconComesFromTheHost)
{
  CFxQtDialogButtonBox box;
  box.setStandardButtons(QDialogButtonBox::StandardButtons(0x1440400));
  ASSERT_NE(box.button(0x400), nullptr);
  EXPECT_EQ(box.button(0x400), box.QDialogButtonBox::button(QDialogButtonBox::Ok));
  EXPECT_EQ(CFxUtils::getIconPath("abort", QString(), ":/images/style/", 0), ":/images/style/abort.svg");
  EXPECT_TRUE(CFxUtils::getIconPath("no such icon", QString(), ":/images/style/", 0).isEmpty());
}

TEST(HostDialog, EditorCommandsHideAndRestoreOrEndTheDialog)
{
  CFxDialog dialog(nullptr, false, Qt::WindowTitleHint);
  QTimer::singleShot(0, [&] {
    dialog.BeginEditorCommand();
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_TRUE(dialog.isInEditorCommand());
    dialog.CompleteEditorCommand();
    EXPECT_FALSE(dialog.isHidden());
    dialog.BeginEditorCommand();
    dialog.CancelEditorCommand();
  });
  EXPECT_EQ(dialog.exec(), 0);
  EXPECT_FALSE(dialog.isInEditorCommand());
}

namespace {

class ScriptedIO : public OdStaticRxObject<CFxUserIO> {
public:
  std::deque<QString> lines;
  void putString(const OdString&) override {}
  bool readLine(const CFxString&, CFxString& answer) override
  {
    if (lines.empty())
      return false;
    answer = lines.front();
    lines.pop_front();
    return true;
  }
  int prompt(int fileDialog, CFxString& path)
  {
    bool open = true;
    return getFilePath(open, CFxString(), CFxString(), 0, path, 0, 2, CFxString(), CFxString("dgn"),
                       CFxString("DGN (*.dgn)&*.dgn&&"), CFxString(QDir::tempPath()), fileDialog, 0, 0, 0);
  }
};

} // namespace

TEST(FilePrompt, OnTheCommandLineWithFiledia0ElseInAFileDialogThatCanBeAnsweredOrCancelled)
{
  ScriptedIO io;
  io.lines = {"\"/plans/site plan.dgn\"", ""};
  CFxString path;
  EXPECT_EQ(io.prompt(0, path), 5100);
  EXPECT_EQ(path, CFxString("/plans/site plan.dgn"));
  EXPECT_EQ(io.prompt(0, path), -5002) << "an empty answer";
  EXPECT_EQ(io.prompt(0, path), -5002) << "no command line";

  QTemporaryDir dir;
  const QString file = dir.filePath("plan.dgn");
  QFile(file).open(QIODevice::WriteOnly);
  QStringList filters;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    filters = dialog->nameFilters();
    dialog->selectFile(file);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  EXPECT_EQ(io.prompt(1, path), 5100);
  EXPECT_EQ(path, CFxString(file));
  EXPECT_EQ(filters, QStringList{"DGN (*.dgn)"});

  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(io.prompt(1, path), -5002);
}
