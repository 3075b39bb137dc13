#pragma once
// What the dialog tests share: host services and a command line that record what the dialog
// shows and answer its prompts, a document to work on, and a fixture that starts every test
// from a freshly loaded module's remembered settings.
#include <CDgnImportDlg.h>
#include <DgnBatch.h>
#include <DgnConversion.h>
#include <DgnImportSettings.h>

#include <TestFiles.h>

#include <CFxDocument.h>
#include <FxHostSetup.h>
#include <LiveCounts.h>
#include <QtPrinters.h>
#include <RxDynamicLinker.h>
#include <RxObjectImpl.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSemaphore>
#include <QTest>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <deque>
#include <functional>

// The host's SDK services, with a way in while a model converts (the import makes its database).
class HookedAppServices : public OdStaticRxObject<CFxHostAppServices> {
public:
  std::function<void()> whileConverting;
  OdDbDatabasePtr createDatabase() const override
  {
    if (whileConverting)
      whileConverting();
    return CFxHostAppServices::createDatabase();
  }
};

// Host services that record message boxes instead of showing them.
class RecordingServices : public CFxSystemServices {
public:
  HookedAppServices appServices;
  // Runs whenever the SDK services are asked for, on the asking thread: a batch run asks once
  // more at its very end, when it renews the dialog's importer.
  std::function<void()> onAppServices;
  OdDbHostAppServices* getHostAppServices() override
  {
    if (onAppServices)
      onAppServices();
    return &appServices;
  }

  // Each message box as "caption (flags): text".
  QStringList shown;
  CFxDocument* document = nullptr;

  int showMessage(const CFxString& text, const CFxString& caption, unsigned flags) override
  {
    shown << QString("%1 (%2): %3").arg(caption.toQString()).arg(flags).arg(text.toQString());
    return 1;
  }
  CFxDocument* activeDocument() const override { return document; }

  // The commands handed to the host, as their string pieces and "<end>" for the closing no-value
  // buffer; `onInvoke` runs while one runs.
  std::vector<QStringList> invoked;
  std::function<void()> onInvoke;
  OdResBufPtr invokeCommand(OdRxObject* reserved, const OdResBuf* command) override
  {
    EXPECT_EQ(reserved, nullptr);
    QStringList pieces;
    for (const OdResBuf* rb = command; rb; rb = rb->next().get())
      pieces << (rb->restype() == OdResBuf::kRtString ? CFxString(rb->getString()).toQString()
                 : rb->restype() == OdResBuf::kRtNone   ? QStringLiteral("<end>")
                                                        : QStringLiteral("<other>"));
    invoked.push_back(pieces);
    if (onInvoke)
      onInvoke();
    return OdResBuf::newRb(OdResBuf::kRtString, OdString("left unread"));
  }
  CFxString defaultFolder() const override { return QDir::tempPath(); }
};

// A command line whose file prompt takes queued answers; an empty queue cancels.
class AnsweringUserIO : public OdStaticRxObject<CFxUserIO> {
public:
  std::deque<QString> files;
  int prompts = 0;
  QString lastStartFolder, lastFilter;
  QStringList printed;

  void putString(const OdString& text) override { printed << CFxString(text).toQString(); }
  int getFilePath(bool&, const CFxString&, const CFxString&, int, CFxString& path, WId, int, const CFxString&,
                  const CFxString&, const CFxString& filter, const CFxString& startFolder, int&, int, int,
                  int) override
  {
    ++prompts;
    lastStartFolder = startFolder;
    lastFilter = filter;
    if (files.empty())
      return kCancel;
    path = files.front();
    files.pop_front();
    return kNormal;
  }
};

// Bumped at the end of every test: an answer still waiting for its box then gives up instead of
// answering the next test's box into a variable that no longer exists.
inline int pendingAnswersGeneration = 0;

// Lets `act` work on the next modal dialog of type Dialog that `fits`, once it is up.
template <class Dialog>
void actOnNextModal(std::function<void(Dialog&)> act, std::function<bool(Dialog&)> fits = {},
                    int generation = pendingAnswersGeneration)
{
  QTimer::singleShot(5, [act, fits, generation] {
    if (generation != pendingAnswersGeneration)
      return;
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (dialog && (!fits || fits(*dialog)))
      act(*dialog);
    else
      actOnNextModal(act, fits, generation);
  });
}

// Answers the next message box that offers `button` (NoButton: the next box without buttons,
// which is only recorded), keeping its text in `text` when given. `then` runs once it has answered.
inline void answerNextMessageBox(QMessageBox::StandardButton button, QString* text = nullptr,
                                 std::function<void()> then = {})
{
  actOnNextModal<QMessageBox>(
    [button, text, then](QMessageBox& box) {
      if (text)
        *text = box.text();
      if (button != QMessageBox::NoButton)
        box.button(button)->click();
      if (then)
        then();
    },
    [button](QMessageBox& box) {
      return button == QMessageBox::NoButton ? box.buttons().isEmpty() : box.button(button) != nullptr;
    });
}

// Runs a batch worker over `files` on the calling thread (QThread::run is protected), so that its
// progress arrives at once.
inline void runWorker(DgnBatch& worker, const QStringList& files)
{
  struct Access : DgnBatch {
    static void call(DgnBatch& w) { (w.*(&Access::run))(); }
  };
  worker.setFileList(files);
  Access::call(worker);
}

// File names a file server holds, each with the drawing it converts to: spaces, letters beyond
// ASCII, several dots, and 255 bytes, the longest name a folder takes, whose drawing would have a
// longer name still (none).
inline const std::vector<std::pair<QString, QString>> awkwardNames = {
  {"Übersicht Straße 北.dgn", "Übersicht Straße 北_Default_m.dwg"},
  {"with  spaces .dgn", "with  spaces _Default_m.dwg"},
  {"site.v2.final.dgn", "site_Default_m.dwg"},
  {QString(251, 'n') + ".dgn", QString()}};

// A new folder under `root` whose path nearly fills the system's limit of 4096 bytes, leaving
// room for one name of 255 bytes.
inline QString nearLimitFolder(QString root)
{
  while (root.size() + 201 < 3800)
    root += "/" + QString(200, 'd');
  EXPECT_TRUE(QDir().mkpath(root));
  return root;
}

class DialogTest : public LiveCountsTest {
public:
  template <class Widget>
  static Widget* child(const QObject& dialog, const char* name)
  {
    auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Types `value` into the line edit `name` as a user would; a disabled field, which nobody can
  // type into, gets the text set.
  static void setField(const QObject& dialog, const char* name, const QString& value)
  {
    auto* field = child<QLineEdit>(dialog, name);
    field->clear();
    if (field->isEnabled())
      QTest::keyClicks(field, value);
    else
      field->setText(value);
  }
  static QPushButton* button(const QObject& dialog, QDialogButtonBox::StandardButton which)
  {
    return child<QDialogButtonBox>(dialog, "buttonBox")->button(which);
  }
  // Picks `folder` in the folder dialog that the button `button` opens.
  static void pickFolder(const QObject& dialog, const char* button, const QString& folder)
  {
    actOnNextModal<QFileDialog>([folder](QFileDialog& picker) {
      picker.setDirectory(folder);
      picker.selectFile(folder);
      QMetaObject::invokeMethod(&picker, "accept");
    });
    child<QPushButton>(dialog, button)->click();
  }
  // The texts of a list's items, or of a tree's top level items.
  static QStringList texts(const QAbstractItemView& view)
  {
    QStringList names;
    for (int row = 0; row < view.model()->rowCount(); ++row)
      names << view.model()->index(row, 0).data().toString();
    return names;
  }
  // The design models the Insert page lists.
  static QStringList models(const QObject& dialog) { return texts(*child<QListWidget>(dialog, "lwDesignModel")); }

protected:
  // Where the import module comes from; a program loads one import module for all its tests.
  virtual const char* importModuleFolder() const { return DGN_BIN_DIR; }

  void SetUp() override
  {
    // The import module's own object lives from its loading to the end: load it before counting.
    odrxDynamicLinker()->setModuleFolder(OdString(importModuleFolder()));
    ASSERT_FALSE(odrxDynamicLinker()->loadModule(OdString("TD_DgnImport")).isNull());
    LiveCountsTest::SetUp();
    rememberedSettings() = DgnImportSettings();
    tempFolderPrepared() = false;
    rememberedImportOptions() = 0;
    document = std::make_unique<CFxDocument>(createFxDatabase().get(), &userIO);
    services.document = document.get();
    setFxSystemServices(&services);
    ASSERT_TRUE(folder.isValid());
    makeBatchFolders();
  }
  void TearDown() override
  {
    dialog.reset();
    clearTempFolder(); // a file or folder prompt makes the conversion folder
    ++pendingAnswersGeneration;
    setFxSystemServices(nullptr);
    document.reset();
    LiveCountsTest::TearDown();
  }

  // Makes the SRC and DEST folders of a batch run in the test's folder; every test starts with them.
  void makeBatchFolders()
  {
    ASSERT_TRUE(QDir(folder.path()).mkpath("SRC") && QDir(folder.path()).mkpath("DEST"));
    source = folder.filePath("SRC");
    destination = folder.filePath("DEST");
  }

  // A new dialog, shown, on the Batch page.
  void openBatchPage()
  {
    dialog = std::make_unique<CDgnImportDlg>(&userIO, nullptr);
    dialog->show();
    child<QRadioButton>(*dialog, "rbBatch")->click();
  }

  // Meters a batch worker: each time it asks for the SDK services (once per file, and once more
  // at its very end to renew the importer) it takes a permit, waiting while there is none, so a
  // test lets a run go exactly as far as it wants with `permits.release(n)`, however busy the
  // machine.
  void meterWorker()
  {
    services.onAppServices = [this] {
      if (QThread::currentThread() != QCoreApplication::instance()->thread())
        permits.acquire();
    };
  }
  QSemaphore permits;

  // A file named `name` in the test's folder holding `bytes`.
  QString writeFile(const QString& name, const QByteArray& bytes) { return writeBytes(folder.filePath(name), bytes); }

  // The batch run's report in the destination folder.
  QByteArray report() const { return readBytes(QDir(destination).filePath("Report.txt")); }

  // A copy of the shipped sample (master units metres, sub units millimetres) named `name` in the
  // test's folder.
  QString samplePlan(const QString& name = QStringLiteral("plan.dgn"))
  {
    return writeFile(name, readBytes(QStringLiteral(DGN_SOURCE_DIR "/samples/plan.dgn")));
  }

  RecordingServices services;
  AnsweringUserIO userIO;
  std::unique_ptr<CFxDocument> document;
  std::unique_ptr<CDgnImportDlg> dialog; // the dialog under test, when a test keeps one
  QTemporaryDir folder;
  QString source, destination; // the SRC and DEST folders
};
