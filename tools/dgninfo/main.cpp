// dgninfo: what the DGN import module says about a design file, and optionally its conversion.
// It is a client of the module's property protocol only, as the product is.
#include <DgnConversion.h>
#include <DgnImporter.h>
#include <ImporterProperties.h>

#include <CFxFileBuf.h>
#include <CFxSystemServices.h>
#include <CFxUtils.h>
#include <OdError.h>
#include <RxDynamicLinker.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <iostream>

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

const char* elementTypeName(int type)
{
  switch (type) {
  case 1: return "cell library header";
  case 2: return "cell header";
  case 3: return "line";
  case 4: return "line string";
  case 5: return "group data";
  case 6: return "shape";
  case 7: return "text node";
  case 8: return "digitizer setup";
  case 9: return "design file header";
  case 10: return "level symbology";
  case 11: return "curve";
  case 12: return "complex chain";
  case 14: return "complex shape";
  case 15: return "ellipse";
  case 16: return "arc";
  case 17: return "text";
  case 18: return "3d surface header";
  case 19: return "3d solid header";
  case 21: return "b-spline pole";
  case 22: return "point string";
  case 23: return "cone";
  case 24: return "b-spline surface header";
  case 25: return "b-spline surface boundary";
  case 26: return "b-spline knot";
  case 27: return "b-spline curve header";
  case 28: return "b-spline weight factor";
  case 33: return "dimension";
  case 34: return "shared cell definition";
  case 35: return "shared cell";
  case 37: return "tag value";
  case 66: return "application";
  default: return "other";
  }
}

std::string unitText(OdDb::UnitsValue units)
{
  return std::to_string(units) + " " + CFxUtils::GetStringForUnitScalingFactorShort(units).toQString().toStdString();
}

// "TYPE=LIVE+DELETED;...;NAME=COUNT;..." as the module reports it: the live elements, one line
// per type, and what the latest conversion left out.
struct ElementStatistics {
  long long live = 0;
  std::vector<std::pair<int, std::pair<long long, long long>>> types;
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

void printElementCounts(const ElementStatistics& statistics)
{
  std::cout << "elements: " << statistics.live << "\n";
  for (const auto& [type, counts] : statistics.types) {
    std::cout << "type " << type << " " << elementTypeName(type) << ": " << counts.first;
    if (counts.second)
      std::cout << " (+" << counts.second << " deleted)";
    std::cout << "\n";
  }
}

int convert(OdDgnImport* importer, const CFxString& model, const QString& out, bool explodeTextNodes)
{
  putImportOptions(importer, model, explodeTextNodes);
  const int result = importer->importDgn();
  if (result != 0) {
    std::cerr << "dgninfo: the import failed with code " << result << "\n";
    return 3;
  }
  for (const auto& [what, count] : elementStatistics(importer).leftOut)
    std::cout << "left out: " << count << " " << what.toStdString() << "\n";
  OdDbDatabasePtr database = getObject(importer, OdString("Database"));
  CFxFileBufPtr stream = CFxFileBuf::createObject();
  if (database.isNull() || !stream->Open(out, Oda::kFileWrite, Oda::kCreateAlways, Oda::kShareDenyNo)) {
    std::cerr << "dgninfo: cannot write " << out.toStdString() << "\n";
    return 3;
  }
  database->writeFile(stream.get(), OdDb::kDwg, OdDb::kDHL_1032, false, 16);
  stream->Close();
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
  printElementCounts(elementStatistics(importer.get()));
  if (options.convertTo.isEmpty() || models.empty())
    return 0;
  queryMeasurementUnits(importer.get(), models.front(), !options.subUnits);
  return convert(importer.get(), models.front(), options.convertTo, options.explodeTextNodes);
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
  }
}
