// libFuzzer target: any bytes, read as a design file by the reader and converted into a database
// that is then written as a drawing, as the import does. Nothing may crash, hang or leak.
#include <Converter.h>
#include <DesignFile.h>

#include <DbDatabase.h>
#include <OdStreamBuf.h>
#include <RxObjectImpl.h>

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

// Counts what the drawing writer writes and keeps none of it.
class NullStream : public OdStreamBuf {
public:
  void putBytes(const void*, OdUInt32 n) override { m_written += n; }
  OdUInt32 getBytes(void*, OdUInt32) override { return 0; }
  bool isEof() override { return true; }
  OdUInt64 tell() override { return m_written; }
  OdUInt64 length() override { return m_written; }
  void addRef() override {}
  void release() override {}

private:
  OdUInt64 m_written = 0;
};

// The reader takes a path: the input goes to a file of this process's own in memory.
const std::string& inputPath()
{
  static const std::string path =
    std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/dgn_fuzz_" + std::to_string(getpid()) + ".dgn";
  return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::FILE* file = std::fopen(inputPath().c_str(), "wb");
  if (!file)
    return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  const dgn::DesignFile design = dgn::DesignFile::inspect(inputPath());
  if (!design.isValid())
    return 0;
  for (const bool master : {true, false}) {
    dgn::ImportOptions options;
    options.masterUnits = master;
    options.explodeTextNodes = !master;
    OdDbDatabasePtr db = OdRxObjectImpl<OdDbDatabase>::createObject();
    dgn::Converter(db.get(), design.control(), design.codePage(), design.colorTable(), options).run(inputPath());
    OdStaticRxObject<NullStream> stream;
    db->writeFile(&stream, OdDb::kDxf, OdDb::kDHL_1032);
  }
  return 0;
}
