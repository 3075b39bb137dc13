// The dialogs as a German or a French user sees them: on each page no text is cut off and no
// mnemonic letter serves two controls. A translation that cannot be loaded leaves the texts
// English.
#include "DialogTestSupport.h"

#include <CDgnImportOptionsDlg.h>
#include <ModuleTranslation.h>

#include <QHeaderView>
#include <QMap>
#include <QTreeWidget>

namespace {

// The texts of the window's visible labels, buttons and table headers that do not fit their
// widget, and the mnemonic letters that more than one visible control uses.
std::string faultsOf(QWidget& window)
{
  QApplication::processEvents(); // item widgets are laid out from the event loop
  QStringList faults;
  QMap<QChar, QStringList> mnemonics;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&window))
      continue;
    auto* label = qobject_cast<QLabel*>(w);
    auto* button = qobject_cast<QAbstractButton*>(w);
    const QString text = label ? label->text() : button ? button->text() : QString();
    if (!text.isEmpty() && w->width() < w->sizeHint().width())
      faults << "cut off: " + text;
    const int mark = QString(text).remove("&&").indexOf('&');
    if (mark >= 0 && (button || label->buddy()))
      mnemonics[QString(text).remove("&&").at(mark + 1).toLower()] << text;
    auto* header = qobject_cast<QHeaderView*>(w);
    for (int i = 0; header && i < header->count(); ++i) {
      // The label's room as the style gives it: margins, and the sort arrow's place where it shows.
      const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
      const QString title = header->model()->headerData(i, header->orientation()).toString();
      if (header->fontMetrics().horizontalAdvance(title) + 2 * margin +
            (header->sortIndicatorSection() == i ? header->height() / 2 + 2 * margin : 0) > header->sectionSize(i))
        faults << "cut off: " + title;
    }
  }
  for (auto it = mnemonics.cbegin(); it != mnemonics.cend(); ++it)
    if (it->size() > 1)
      faults << "mnemonic " + QString(it.key()) + ": " + it->join(" | ");
  return faults.join("; ").toStdString();
}

class TranslatedPagesTest : public DialogTest {};

TEST_F(TranslatedPagesTest, EveryPageShowsItsWholeTextsWithMnemonicsApart)
{
  rememberedSettings().dgnPath = samplePlan("SRC/plan.dgn");
  rememberedSettings().sourceFolder = source;
  rememberedSettings().destinationFolder = destination;
  // At the platform's own font and at the desktop's 9 points of the README's pictures, each
  // dialog at the size it opens with, as the host shows it.
  const QFont platformFont = QApplication::font();
  for (const QFont& font : {platformFont, QFont("Sans Serif", 9)})
    for (const char* language : {"de", "fr"}) {
      SCOPED_TRACE(language + (" at " + font.toString()).toStdString());
      QApplication::setFont(font);
      ModuleTranslation translation;
      ASSERT_TRUE(translation.install(QLocale(language)));
      CDgnImportDlg dialog(&userIO, nullptr);
      dialog.show();
      EXPECT_EQ(faultsOf(dialog), "") << "the Insert page";
      child<QRadioButton>(dialog, "rbBatch")->click();
      child<QTreeWidget>(dialog, "treeWidget")->topLevelItem(0)->setExpanded(true);
      EXPECT_EQ(faultsOf(dialog), "") << "the Batch page with a model table";
      CDgnImportOptionsDlg options(&dialog);
      options.show();
      EXPECT_EQ(faultsOf(options), "") << "the options";
    }
  QApplication::setFont(platformFont);
}

TEST_F(TranslatedPagesTest, AMissingOrBrokenTranslationLeavesTheTextsEnglish)
{
  const QByteArray whole = readBytes(":/translations/DGNImport_fr.qm");
  ASSERT_NE(whole, QByteArray("<missing>"));
  for (const QByteArray& bytes : {QByteArray(), whole.left(whole.size() / 2), QByteArray(4000, '\x5a')}) {
    writeFile("DGNImport_fr.qm", bytes);
    EXPECT_FALSE(ModuleTranslation(folder.path()).install(QLocale(QLocale::French))) << bytes.size() << " bytes";
    EXPECT_EQ(QCoreApplication::translate("CDgnImportDlg", "Scale"), "Scale");
  }
  EXPECT_FALSE(ModuleTranslation().install(QLocale(QLocale::English))) << "English is the sources' own";
  EXPECT_FALSE(ModuleTranslation(folder.filePath("absent")).install(QLocale(QLocale::French)));
}

} // namespace
