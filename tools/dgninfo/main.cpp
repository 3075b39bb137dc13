// dgninfo: what the DGN import module says about a design file, and optionally its conversion.
// It is a client of the module's property protocol only, as the product is.
#include <DgnConversion.h>
#include <DgnImporter.h>
#include <dgnimport/DgnFormat.h>
#include <ImporterProperties.h>

#include <CFxFileBuf.h>
#include <CFxSystemServices.h>
#include <CFxUtils.h>
#include <OdError.h>
#include <RxDynamicLinker.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <iostream>
#include <map>
#include <new>
#include <system_error>

#include <unistd.h>

using namespace importer_properties;

namespace {

struct Options {
  QString file;
  QString convertTo; // empty: no conversion
  bool subUnits = false;
  bool explodeTextNodes = false;
};

bool parse(const QStringList& args, Options& options)
{
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--sub-units"))
      options.subUnits = true;
    else if (args[i] == QLatin1String("--explode-text-nodes"))
      options.explodeTextNodes = true;
    else if (args[i] == QLatin1String("--convert") && i + 1 < args.size())
      options.convertTo = args[++i];
    else if (args[i].startsWith(QLatin1String("--")) || !options.file.isEmpty())
      return false;
    else
      options.file = args[i];
  }
  return !options.file.isEmpty();
}

std::string unitText(OdDb::UnitsValue units)
{
  return std::to_string(units) + " " + CFxUtils::GetStringForUnitScalingFactorShort(units).toQString().toStdString();
}

// "TYPE=LIVE+DELETED;...;TYPE->ENTITY=COUNT;...;NAME=COUNT;..." as the module reports it: the
// live elements, one line per type, what the latest conversion made of each type, and what it
// left out.
struct ElementStatistics {
  long long live = 0;
  std::vector<std::pair<int, std::pair<long long, long long>>> types;
  std::map<int, QStringList> made;
  std::vector<std::pair<QString, long long>> leftOut;

  explicit ElementStatistics(const QString& text)
  {
    for (const QString& entry : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QStringList pair = entry.split(QLatin1Char('='));
      if (pair.size() != 2)
        continue;
      bool isType = false;
      const int type = pair[0].toInt(&isType);
      const QStringList counts = pair[1].split(QLatin1Char('+'));
      const QStringList from = pair[0].split(QLatin1String("->"));
      if (from.size() == 2) {
        made[from[0].toInt()] << pair[1] + QLatin1Char(' ') + from[1];
        continue;
      }
      if (!isType) {
        leftOut.emplace_back(pair[0], pair[1].toLongLong());
        continue;
      }
      types.push_back({type, {counts[0].toLongLong(), counts.value(1).toLongLong()}});
      live += types.back().second.first;
    }
  }
};

ElementStatistics elementStatistics(OdDgnImport* importer)
{
  return ElementStatistics(CFxString(getString(importer, OdString("ElementStatistics"))).toQString());
}

// One line per element type; after a conversion, what its elements became: "-> 20 LINE, 3 ARC",
// or "-> nothing" when no entity came of them by themselves (settings, components of others,
// elements not converted).
void printElementCounts(const ElementStatistics& statistics, bool converted)
{
  std::cout << "elements: " << statistics.live << "\n";
  for (const auto& [type, counts] : statistics.types) {
    std::cout << "type " << type << " " << dgn::ElementType::name(type) << ": " << counts.first;
    if (counts.second)
      std::cout << " (+" << counts.second << " deleted)";
    if (converted) {
      const auto made = statistics.made.find(type);
      std::cout << " -> " << (made == statistics.made.end() ? std::string("nothing") : made->second.join(", ").toStdString());
    }
    std::cout << "\n";
  }
}

// Exit code and message when memory runs out; no part of a drawing is left.
int notEnoughMemory(const QString& file)
{
  std::cerr << "dgninfo: not enough memory to convert " << file.toStdString() << "\n";
  return 4;
}

// "reading FILE: N elements, P%" from the importer's "ImportProgress" ("ELEMENTS;BYTES;FILEBYTES").
std::string progressLine(const QString& file, const QString& progress)
{
  const QStringList parts = progress.split(QLatin1Char(';'));
  const qulonglong bytes = parts.value(1).toULongLong(), fileBytes = parts.value(2).toULongLong();
  const qulonglong percent = fileBytes ? std::min<qulonglong>(100, bytes * 100 / fileBytes) : 0;
  return "reading " + file.toStdString() + ": " + std::to_string(parts.value(0).toULongLong()) + " elements, " +
         std::to_string(percent) + "%";
}

// How long an import runs before its progress is shown: a second, so that quick ones show none.
// DGNINFO_PROGRESS_DELAY_MS changes it, for tests only.
std::chrono::milliseconds progressDelay()
{
  bool set = false;
  const int ms = qEnvironmentVariableIntValue("DGNINFO_PROGRESS_DELAY_MS", &set);
  return std::chrono::milliseconds(set ? ms : 1000);
}

// Imports; where standard error is a terminal, on a thread of its own while this one shows on a
// line of its own how far the import has read, and clears that line at the end. Elsewhere the
// output stays as it always was.
int importShowingProgress(OdDgnImport* importer, const QString& file)
{
  if (!::isatty(STDERR_FILENO))
    return importer->importDgn();
  std::future<int> running;
  try {
    running = std::async(std::launch::async, [importer] { return importer->importDgn(); });
  } catch (const std::system_error&) {
    return importer->importDgn(); // no thread to spare: no progress either
  }
  const auto shownFrom = std::chrono::steady_clock::now() + progressDelay();
  size_t shown = 0;
  do {
    if (std::chrono::steady_clock::now() < shownFrom)
      continue;
    // The one property that may be read while the import runs.
    const std::string line = progressLine(file, CFxString(getString(importer, OdString("ImportProgress"))).toQString());
    std::cerr << '\r' << line << std::string(shown > line.size() ? shown - line.size() : 0, ' ') << std::flush;
    shown = std::max(shown, line.size());
  } while (running.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready);
  if (shown)
    std::cerr << '\r' << std::string(shown, ' ') << '\r' << std::flush;
  return running.get();
}

int convert(OdDgnImport* importer, const Options& options, const CFxString& model)
{
  putImportOptions(importer, model, options.explodeTextNodes);
  const int result = importShowingProgress(importer, options.file);
  if (result == kDgnImportOutOfMemory)
    return notEnoughMemory(options.file);
  if (result != 0) {
    std::cerr << "dgninfo: the import failed with code " << result << "\n";
    return 3;
  }
  const ElementStatistics statistics = elementStatistics(importer);
  printElementCounts(statistics, true);
  for (const auto& [what, count] : statistics.leftOut)
    std::cout << "left out: " << count << " " << what.toStdString() << "\n";
  OdDbDatabasePtr database = getObject(importer, OdString("Database"));
  CFxFileBufPtr stream = CFxFileBuf::createObject();
  const QString& out = options.convertTo;
  if (database.isNull() || !stream->Open(out, Oda::kFileWrite, Oda::kCreateAlways, Oda::kShareDenyNo)) {
    std::cerr << "dgninfo: cannot write " << out.toStdString() << "\n";
    return 3;
  }
  try {
    database->writeFile(stream.get(), OdDb::kDwg, OdDb::kDHL_1032, false, 16);
    stream->Close();
  } catch (const std::bad_alloc&) {
    stream.release();
    database.release();
    QFile::remove(out);
    return notEnoughMemory(options.file);
  }
  return 0;
}

int run(const Options& options)
{
  odrxDynamicLinker()->setModuleFolder(CFxString(QCoreApplication::applicationDirPath()));
  OdDgnImportPtr importer = createDgnImporter();
  if (importer.isNull()) {
    std::cerr << "dgninfo: " << CFxString(odrxDynamicLinker()->lastError()).toQString().toStdString() << "\n";
    return 2;
  }
  putObject(importer.get(), OdString("Services"), GetFxSystemServices()->getHostAppServices());
  putString(importer.get(), OdString("DgnPath"), CFxString(QFileInfo(options.file).absoluteFilePath()));
  const bool valid = getBool(importer.get(), OdString("IsValidDgnDatabase"));
  std::cout << "valid: " << valid << "\n";
  if (!valid) {
    std::cerr << "dgninfo: " << options.file.toStdString()
              << " is not an intact MicroStation V7 design file (V8 files and other formats are not read)\n";
    return 1;
  }
  const std::vector<CFxString> models = splitDesignModelList(getString(importer.get(), OdString("DesignModelList")));
  QStringList names;
  for (const CFxString& model : models)
    names << model.toQString();
  std::cout << "models: " << names.join(QLatin1Char(';')).toStdString() << "\n";
  for (const CFxString& model : models) {
    std::cout << "master: " << unitText(queryMeasurementUnits(importer.get(), model, true)) << "\n";
    std::cout << "sub: " << unitText(queryMeasurementUnits(importer.get(), model, false)) << "\n";
    std::cout << "default: " << (getBool(importer.get(), OdString("ConversionUnits")) ? "master" : "sub") << "\n";
  }
  if (options.convertTo.isEmpty() || models.empty()) {
    printElementCounts(elementStatistics(importer.get()), false);
    return 0;
  }
  queryMeasurementUnits(importer.get(), models.front(), !options.subUnits);
  return convert(importer.get(), options, models.front());
}

} // namespace

int main(int argc, char** argv)
{
  QCoreApplication app(argc, argv);
  Options options;
  if (!parse(app.arguments(), options)) {
    std::cerr << "usage: dgninfo FILE [--sub-units] [--explode-text-nodes] [--convert OUT]\n";
    return 2;
  }
  try {
    const int code = run(options);
    std::cout.flush();
    odrxDynamicLinker()->unloadAll();
    return code;
  } catch (const OdError& e) {
    std::cerr << "dgninfo: " << CFxString(e.description()).toQString().toStdString() << "\n";
    return 3;
  } catch (const std::bad_alloc&) {
    return notEnoughMemory(options.file);
  }
}
