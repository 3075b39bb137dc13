#include <CFxCommand.h>
#include <CFxDocument.h>
#include <FxHostSetup.h>

#include <OdError.h>
#include <RxObjectImpl.h>

#include <gtest/gtest.h>

namespace {

class PrintingIO : public OdStaticRxObject<CFxUserIO> {
public:
  void putString(const OdString& text) override { lines.push_back(CFxString(text).toQString()); }
  std::vector<QString> lines;
};

class EchoCommand : public CFxCommand {
public:
  EchoCommand() { AddFlags(0x2000000); }
  const OdString globalName() const override { return OdString("_ECHO"); }
  int executeCommand(OdEdCommandContext* context) override
  {
    CFxDocument* document = ACTIVE_DOCUMENT(context);
    if (!document || !document->userIO())
      return kNoUserIO;
    document->userIO()->putMessage(CFxString("echo"));
    return kNormal;
  }
};

} // namespace

TEST(CFxCommandTest, ExecuteRunsTheBodyInTheDocumentOfTheContextIfAny)
{
  PrintingIO io;
  CFxDocument document(createFxDatabase().get(), &io);
  OdStaticRxObject<CFxCommandContext> context(&document);
  OdStaticRxObject<EchoCommand> command;
  command.execute(&context);
  EXPECT_EQ(command.localName(), OdString("_ECHO")) << "a command without a local name answers its global one";
  EXPECT_EQ(io.lines, std::vector<QString>{"echo"});
  EXPECT_EQ(context.userIO(), &io);
  EXPECT_EQ(context.baseDatabase(), document.database().get());

  document.setUserIO(nullptr);
  command.execute(&context);
  EXPECT_EQ(command.lastStatus(), CFxCommand::kNoUserIO);

  OdStaticRxObject<CFxCommandContext> empty(nullptr);
  EXPECT_EQ(ACTIVE_DOCUMENT(&empty), nullptr);
  EXPECT_EQ(empty.userIO(), nullptr);
  EXPECT_EQ(ACTIVE_DOCUMENT(nullptr), nullptr);
}

TEST(CFxSystemServicesTest, BuiltInServicesUntilAHostInstallsItsOwn)
{
  CFxSystemServices* builtIn = GetFxSystemServices();
  ASSERT_NE(builtIn, nullptr);
  EXPECT_THROW(builtIn->invokeCommand(nullptr, nullptr), OdError);

  OdDbHostAppServices* services = builtIn->getHostAppServices();
  OdDbDatabasePtr db = services->createDatabase();
  EXPECT_TRUE(db->isKindOf(CFxDatabase::desc())) << "the host's services make host databases";
  db = nullptr;

  CFxSystemServices own;
  setFxSystemServices(&own);
  EXPECT_EQ(GetFxSystemServices(), &own);
  setFxSystemServices(nullptr);
  EXPECT_EQ(GetFxSystemServices(), builtIn);
}
