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
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <deque>

namespace {

// The field's validity and value after the user typed `text`.
std::pair<bool, double> typed(CFxQtUnitLineEdit& field, const QString& text)
{
  field.setText(text);
  return {field.isValid(), field.getValue()};
}

} // namespace

TEST(UnitLineEdit, AcceptsNumbersAsCadUsersTypeThem)
{
  CFxQtUnitLineEdit field;
  for (const char* good : {"2", "2.5", "1e3", "-0.5", "+3", ".5", "  7  "})
    EXPECT_TRUE(typed(field, good).first) << good;
  EXPECT_EQ(typed(field, "1e3").second, 1000.0);
  EXPECT_EQ(typed(field, "-0.5").second, -0.5);
  for (const char* bad : {"abc", "2,5", "1.2.3", "nan", "inf", "2 m", "1,000"})
    EXPECT_FALSE(typed(field, bad).first) << bad;
  EXPECT_EQ(field.getValue(), 0.0) << "an invalid text has no value";
  EXPECT_FALSE(field.errorText().isEmpty());
  EXPECT_FALSE(typed(field, "").first) << "empty without a default value";
}

TEST(UnitLineEdit, ScaleFieldsCheckZeroSignAndRange)
{
  CFxQtUnitLineEdit field;
  field.setUnitType(CFxQtUnitLineEdit::kScale);
  field.setValue(1.0, true);
  field.setDefaultValue(1.0);
  field.setRejectZero(true);
  field.setRejectNegative(true);
  field.setRange(1e-7, 1e7);
  field.validate();
  EXPECT_EQ(field.text(), "1");
  EXPECT_EQ(typed(field, ""), std::make_pair(true, 1.0)) << "empty means the default";
  EXPECT_FALSE(typed(field, "0").first);
  EXPECT_FALSE(typed(field, "-2").first);
  EXPECT_FALSE(typed(field, "1e8").first);
  EXPECT_FALSE(typed(field, "1e-8").first);
  EXPECT_TRUE(typed(field, "1e7").first) << "the limits belong to the range";
  EXPECT_TRUE(typed(field, "1e-7").first);

  QSignalSpy changes(&field, &CFxQtUnitLineEdit::validityChanged);
  field.setText("x");
  field.setText("y");
  field.setText("3");
  EXPECT_EQ(changes.count(), 2) << "once to invalid, once back";
  field.setText("x");
  field.showError(false);
  EXPECT_FALSE(field.styleSheet().isEmpty());
  field.setText("4");
  EXPECT_TRUE(field.styleSheet().isEmpty()) << "a valid value clears the mark";
}

TEST(UnitLineEdit, AnglesAreTypedInDegreesAndReportedInRadians)
{
  CFxQtUnitLineEdit field;
  field.setUnitType(CFxQtUnitLineEdit::kAngle);
  EXPECT_NEAR(typed(field, "30").second, M_PI / 6, 1e-15);
  EXPECT_NEAR(typed(field, "90d").second, M_PI / 2, 1e-15);
  field.setValue(M_PI / 4, true);
  EXPECT_EQ(field.text(), "45");
  field.setValue(0.785398163, true);
  EXPECT_EQ(field.text(), "45") << "six decimals at most";
  CFxQtUnitLineEdit length;
  length.setValue(1500000.0, true);
  EXPECT_EQ(length.text(), "1500000") << "no exponent for ordinary sizes";
}

TEST(InsertComboBox, ListsEveryDrawingUnitByName)
{
  CFxQtInsertComboBox units;
  EXPECT_EQ(units.count(), OdDb::kUnitsMax + 1);
  units.setCurrentUnit(OdDb::kUnitsFeet);
  EXPECT_EQ(units.currentText(), "Feet");
  EXPECT_EQ(units.getCurrentUnit(), OdDb::kUnitsFeet);
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
  EXPECT_NE(box.button(0x40000), nullptr) << "Abort";
  EXPECT_EQ(box.button(0x200000), nullptr) << "no Close button";
  EXPECT_EQ(CFxUtils::getIconPath("abort", QString(), ":/images/style/", 0), ":/images/style/abort.svg");
  EXPECT_TRUE(CFxUtils::getIconPath("no such icon", QString(), ":/images/style/", 0).isEmpty());
}

TEST(HostDialog, EditorCommandsHideAndRestoreOrEndTheDialog)
{
  CFxDialog dialog(nullptr, false, Qt::WindowTitleHint);
  EXPECT_EQ(dialog.GetHelpId(), 0);
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
