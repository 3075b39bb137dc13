#include <CFxFileBuf.h>
#include <LiveCounts.h>
#include <TestFiles.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace Oda;

TEST(CFxFileBuf, WritesAreBufferedUntilCloseAndReadBackByteForByte)
{
  QTemporaryDir dir;
  const QString path = dir.filePath("out.bin");
  QByteArray bytes;
  for (int i = 0; i < 3 * 1024 * 1024 + 7; ++i) // more than one write buffer, not a multiple of it
    bytes.append(static_cast<char>(i * 31));

  CFxFileBufPtr out = CFxFileBuf::createObject();
  ASSERT_TRUE(out->Open(CFxString(path), kFileWrite, kCreateAlways, kShareDenyReadWrite));
  out->putBytes(bytes.constData(), 10);
  out->putBytes(bytes.constData() + 10, bytes.size() - 10);
  EXPECT_EQ(out->tell(), static_cast<OdUInt64>(bytes.size()));
  EXPECT_EQ(out->length(), static_cast<OdUInt64>(bytes.size())) << "the length counts what is still buffered";
  out->Close();
  EXPECT_FALSE(out->isOpen());
  out->Close(); // a second close does nothing
  EXPECT_EQ(readBytes(path), bytes);

  CFxFileBufPtr in = CFxFileBuf::createObject();
  ASSERT_TRUE(in->Open(CFxString(path), kFileRead, kOpenExisting, kShareDenyNo));
  QByteArray back(bytes.size() + 5, '\0');
  EXPECT_FALSE(in->isEof());
  EXPECT_EQ(in->getBytes(back.data(), back.size()), static_cast<OdUInt32>(bytes.size()));
  EXPECT_TRUE(in->isEof());
  back.truncate(bytes.size());
  EXPECT_EQ(back, bytes);
}

TEST(CFxFileBuf, CreationDispositionsFollowTheirWindowsMeaning)
{
  QTemporaryDir dir;
  const QString existing = dir.filePath("existing.txt"), missing = dir.filePath("missing.txt");
  writeBytes(existing, "old contents");
  CFxFileBufPtr stream = CFxFileBuf::createObject();

  EXPECT_FALSE(stream->Open(CFxString(existing), kFileWrite, kCreateNew, kShareDenyNo));
  EXPECT_FALSE(stream->Open(CFxString(missing), kFileRead, kOpenExisting, kShareDenyNo));
  EXPECT_FALSE(stream->Open(CFxString(missing), kFileWrite, kTruncateExisting, kShareDenyNo));
  EXPECT_FALSE(QFile::exists(missing)) << "a failed open creates nothing";
  EXPECT_FALSE(stream->Open(CFxString(dir.filePath("no/such/folder.txt")), kFileWrite, kCreateAlways, kShareDenyNo));
  EXPECT_FALSE(stream->Open(CFxString(dir.path()), kFileRead, kOpenExisting, kShareDenyNo)) << "a folder is no file";

  // What each disposition leaves of a file after "NEW" is written: opening keeps what is not overwritten.
  const std::tuple<QString, FileCreationDisposition, QByteArray> writes[] = {
    {existing, kOpenExisting, "NEW contents"}, {existing, kTruncateExisting, "NEW"}, {missing, kOpenAlways, "NEW"}};
  for (const auto& [path, disposition, after] : writes) {
    ASSERT_TRUE(stream->Open(CFxString(path), kFileWrite, disposition, kShareDenyNo)) << disposition;
    stream->putBytes("NEW", 3);
    stream->Close();
    EXPECT_EQ(readBytes(path), after) << disposition;
  }
}

TEST(CFxFileBuf, AStreamThatDeniesSharingHoldsTheFileAlone)
{
  QTemporaryDir dir;
  const QString path = dir.filePath("held.dwg");
  writeBytes(path, "x");
  CFxFileBufPtr first = CFxFileBuf::createObject(), second = CFxFileBuf::createObject();

  ASSERT_TRUE(first->Open(CFxString(path), kFileRead, kOpenExisting, kShareDenyNo));
  EXPECT_TRUE(second->Open(CFxString(path), kFileRead, kOpenExisting, kShareDenyNo)) << "readers share";
  EXPECT_FALSE(CFxFileBuf::createObject()->Open(CFxString(path), kFileWrite, kOpenExisting, kShareDenyWrite));
  first->Close();
  second->Close();

  ASSERT_TRUE(first->Open(CFxString(path), kFileWrite, kOpenExisting, kShareDenyReadWrite));
  EXPECT_FALSE(second->Open(CFxString(path), kFileRead, kOpenExisting, kShareDenyNo));
  first.release(); // releasing the stream lets go of the file
  EXPECT_TRUE(second->Open(CFxString(path), kFileRead, kOpenExisting, kShareDenyNo));
}

TEST(CFxFileBuf, MisuseAndLostDataRaiseErrors)
{
  QTemporaryDir dir;
  const QString path = dir.filePath("in.txt");
  writeBytes(path, "abc");
  CFxFileBufPtr stream = CFxFileBuf::createObject();
  char byte = 0;
  EXPECT_EQ(errorOf([&] { stream->getBytes(&byte, 1); }), eFileAccessErr) << "not open";
  ASSERT_TRUE(stream->Open(CFxString(path), kFileRead, kOpenExisting, kShareDenyNo));
  EXPECT_EQ(errorOf([&] { stream->putBytes("z", 1); }), eFileAccessErr) << "opened for reading only";
  stream->Close();

  // A full disk shows when the buffered data is written, and the stream is closed all the same.
  ASSERT_TRUE(stream->Open(CFxString("/dev/full"), kFileWrite, kOpenExisting, kShareDenyNo));
  stream->putBytes("data", 4);
  EXPECT_EQ(errorOf([&] { stream->Close(); }), eFileWriteError);
  EXPECT_FALSE(stream->isOpen());
}
