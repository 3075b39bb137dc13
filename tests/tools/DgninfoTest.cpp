// dgninfo against independent programs: the units it reports for files GDAL wrote, the geometry
// of its conversion as GDAL reads it back, and LibreCAD, the CAD program Linux users open DXF
// drawings with, printing its conversions of the sample and of a real file.
#include <GdalDgn.h>
#include <ProcessRun.h>
#include <RealFiles.h>
#include <V7Writer.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString kDgninfo = QStringLiteral(DGN_BIN_DIR "/dgninfo");

// Each feature's vertices as GDAL reads them: repeated vertices and a closing vertex dropped, so
// that a line of no length compares with a point and a closed polyline with a polygon ring.
std::vector<std::vector<double>> featureCoordinates(const QString& path)
{
  const ProcessRun info = runProcess("ogrinfo", {"-al", "-q", "-nomd", path});
  EXPECT_EQ(info.code, 0) << info.err.toStdString();
  std::vector<std::vector<double>> features;
  static const QRegularExpression geometry(R"(^\s+(POINT|LINESTRING|POLYGON)[^(]*\((.*)\)\s*$)");
  static const QRegularExpression number(R"([-+0-9.eE]+)");
  for (const QString& line : info.out.split('\n')) {
    const auto match = geometry.match(line);
    if (!match.hasMatch())
      continue;
    std::vector<double> values;
    for (auto it = number.globalMatch(match.captured(2)); it.hasNext();)
      values.push_back(it.next().captured(0).toDouble());
    const size_t stride = line.contains(" Z ") ? 3 : 2;
    std::vector<double> xy;
    for (size_t i = 0; i + 1 < values.size(); i += stride)
      if (xy.size() < 2 || xy[xy.size() - 2] != values[i] || xy.back() != values[i + 1])
        xy.insert(xy.end(), {values[i], values[i + 1]});
    if (xy.size() > 2 && xy[0] == xy[xy.size() - 2] && xy[1] == xy.back())
      xy.resize(xy.size() - 2);
    features.push_back(xy);
  }
  return features;
}

void expectSameGeometry(const std::vector<std::vector<double>>& expected,
                        const std::vector<std::vector<double>>& actual, double scale)
{
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t f = 0; f < expected.size(); ++f) {
    ASSERT_EQ(actual[f].size(), expected[f].size()) << "feature " << f;
    for (size_t i = 0; i < expected[f].size(); ++i)
      EXPECT_NEAR(actual[f][i], expected[f][i] * scale, 1e-9 * std::max(1.0, std::fabs(expected[f][i] * scale)))
        << "feature " << f << " value " << i;
  }
}

TEST(Dgninfo, ReportsGdalFilesUnitsAndConvertsTheirGeometryExactly)
{
  if (!haveGdal())
    GTEST_SKIP() << "GDAL's ogr2ogr and ogrinfo are not installed";
  const struct {
    const char *master, *sub;
    int subPerMaster;
    const char *expectMaster, *expectSub;
  } systems[] = {{"m", "mm", 1000, "6 m", "4 mm"}, {"ft", "in", 12, "2 ft", "1 in"}, {"km", "m", 1000, "7 km", "6 m"}};
  for (const auto& units : systems) {
    SCOPED_TRACE(std::string(units.master) + "/" + units.sub);
    QTemporaryDir dir;
    const QString dgn = writeGdalDgn(dir.path(), "units.dgn", units.master, units.sub, units.subPerMaster);
    const ProcessRun info = runProcess(kDgninfo, {dgn});
    ASSERT_EQ(info.code, 0) << info.err.toStdString();
    const QStringList lines = info.out.split('\n');
    // GDAL writes the point as a line, the lines as line strings and the polygon as a shape.
    for (const QString& line : QStringList{"valid: 1", "models: Default", QString("master: ") + units.expectMaster,
                                           QString("sub: ") + units.expectSub, "default: master", "type 3 line: 1",
                                           "type 4 line string: 3", "type 6 shape: 1"})
      EXPECT_TRUE(lines.contains(line)) << line.toStdString() << "\n" << info.out.toStdString();
    EXPECT_EQ(lines.filter(QRegularExpression("^elements: [0-9]+$")).size(), 1);

    const auto source = featureCoordinates(dgn);
    ASSERT_EQ(source.size(), 5u);
    const QString master = dir.filePath("master.dwg"), sub = dir.filePath("sub.dwg");
    ASSERT_EQ(runProcess(kDgninfo, {dgn, "--convert", master}).code, 0);
    ASSERT_EQ(runProcess(kDgninfo, {dgn, "--sub-units", "--convert", sub}).code, 0);
    expectSameGeometry(source, featureCoordinates(master), 1.0);
    expectSameGeometry(source, featureCoordinates(sub), units.subPerMaster);
  }
}

TEST(Dgninfo, ThreeDimensionalTextFromGdalKeepsItsRotation)
{
  if (!haveGdal())
    GTEST_SKIP() << "GDAL's ogr2ogr and ogrinfo are not installed";
  QTemporaryDir dir;
  const QString dgn = writeGdalDgn(dir.path(), "labels3d.dgn",
                                   "WKT,OGR_STYLE\n"
                                   "\"POINT Z (10 20 5)\",\"LABEL(t:\"\"A\"\",a:30,s:2.5g)\"\n"
                                   "\"POINT Z (30 40 0)\",\"LABEL(t:\"\"B\"\",a:-45,s:1g)\"\n",
                                   {"3D=YES"});
  const QString dxf = dir.filePath("labels3d.dwg");
  ASSERT_EQ(runProcess(kDgninfo, {dgn, "--convert", dxf}).code, 0);
  // GDAL reads the drawing back: each label at its angle, not mirrored.
  const QString labels = runProcess("ogrinfo", {"-al", "-q", dxf}).out;
  for (const char* label : {R"(t:"A",p:1,a:30,s:2.5g)", R"(t:"B",p:1,a:-45,s:1g)"})
    EXPECT_TRUE(labels.contains(label)) << labels.toStdString();
}

// Curves and surfaces written with the project's V7 writer, converted, and read by ezdxf, which
// evaluates the B-spline on its own, and by GDAL; dgninfo says what each element type became.
TEST(Dgninfo, ReportsWhatEachTypeBecameOfCurvesAndSurfacesThatEzdxfAndGdalRead)
{
  QTemporaryDir dir;
  V7Writer w(true, V7Writer::Units{}); // 10,000 UOR a metre
  // A circle of radius 10 as a rational quadratic B-spline: nine poles, doubled interior knots and
  // weights of 1 and 1/sqrt(2) by turns.
  const double h = std::sqrt(0.5);
  w.add(w.spline(3, false,
                 {{100000, 0, 0}, {100000, 100000, 0}, {0, 100000, 0}, {-100000, 100000, 0}, {-100000, 0, 0},
                  {-100000, -100000, 0}, {0, -100000, 0}, {100000, -100000, 0}, {100000, 0, 0}},
                 {0.25, 0.25, 0.5, 0.5, 0.75, 0.75}, {}, {1, h, 1, h, 1, h, 1, h, 1}));
  w.add(w.surface({2, 2, false, false, {{{0, 0, 0}, {10000, 0, 0}}, {{0, 10000, 0}, {10000, 10000, 10000}}}}));
  w.add(w.surface({2, 2, false, false, {{{0, 0, 0}, {10000, 0, 0}}, {{0, 10000, 0}, {10000, 10000, 0}}}, {}, {}, {},
                   {{{0.2, 0.2}, {0.8, 0.3}, {0.5, 0.9}}}}));
  w.add(w.cone(true, {90, {1, 0, 0}}, {0, 0, 0}, 20000, {0, -50000, 0}, 0));
  const V7Writer::Symbology rule = V7Writer::Symbology::rule();
  w.add(w.swept(19, 1, 1, {w.vertices(6, {{100, 0, 0}, {200, 0, 0}, {200, 0, 90}, {100, 0, 0}}),
                           w.vertices(6, {{0, 100, 0}, {0, 200, 0}, {0, 200, 90}, {0, 100, 0}}),
                           w.arc(0, 90, 100, 100, 0, 0, rule), w.arc(0, 90, 200, 200, 0, 0, rule)}));
  V7Writer::Bytes multiLine(40, 0); // an element of type 36: how it is laid out is not public
  multiLine[1] = 36;
  multiLine[2] = 40 / 2 - 2;
  w.add(multiLine);
  const QString dgn = dir.filePath("curves.dgn"), dxf = dir.filePath("curves.dxf");
  ASSERT_TRUE(w.save(dgn.toStdString()));
  const ProcessRun info = runProcess(kDgninfo, {dgn, "--convert", dxf});
  ASSERT_EQ(info.code, 0) << info.err.toStdString();
  for (const char* line : {"type 27 b-spline curve header: 1 -> 1 SPLINE", "type 24 b-spline surface header: 2 -> 2 POLYFACE MESH",
                           "type 19 3d solid header: 1 -> 1 POLYFACE MESH",
                           "type 23 cone: 1 -> 1 POLYFACE MESH", "type 21 b-spline pole: 5 -> nothing",
                           "type 36 multi-line: 1 -> nothing", "left out: 1 multi-lines not converted"})
    EXPECT_TRUE(info.out.split('\n').contains(line)) << line << "\n" << info.out.toStdString();

  const ProcessRun ezdxf = runProcess("/usr/bin/python3", {"-c", R"(
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
print('errors', len(doc.audit().errors))
for e in doc.modelspace():
  if e.dxftype() == 'SPLINE': print('off', max(abs(p.magnitude - 10) for p in e.construction_tool().approximate(720)))
  else: print(e.dxftype(), e.is_poly_face_mesh, len(list(e.faces())) > 8)
)", dxf});
  ASSERT_EQ(ezdxf.code, 0) << ezdxf.err.toStdString();
  const QStringList said = ezdxf.out.split('\n');
  EXPECT_TRUE(said.contains("errors 0")) << ezdxf.out.toStdString();
  EXPECT_EQ(said.filter("POLYLINE True True").size(), 4) << ezdxf.out.toStdString();
  const QStringList off = said.filter("off ");
  ASSERT_EQ(off.size(), 1);
  // (its weighted poles are stored to a unit of resolution, 1e-4)
  EXPECT_LT(off[0].mid(4).toDouble(), 1e-4) << "every point of the spline on the circle";

  if (!haveGdal())
    GTEST_SKIP() << "GDAL's ogrinfo is not installed";
  const ProcessRun gdal = runProcess("ogrinfo", {"-ro", "-al", "-so", dxf});
  EXPECT_TRUE(gdal.out.contains("Feature Count: 5")) << gdal.out.toStdString() << gdal.err.toStdString();
  EXPECT_FALSE(gdal.err.contains("ERROR")) << gdal.err.toStdString();
}

// The inputs that once made unsound drawings (fuzz/regressions) now make drawings that ezdxf's
// audit has nothing to say about, whose texts hold no control character or its caret escape.
TEST(Dgninfo, TheRegressionInputsMakeSoundDrawings)
{
  QTemporaryDir dir;
  const QDir inputs(DGN_SOURCE_DIR "/tests/platform/dgnimport/fuzz/regressions");
  QStringList drawings;
  for (const QString& name : inputs.entryList({"*.dgn"})) {
    drawings << dir.filePath(name + ".dxf");
    EXPECT_EQ(runProcess(kDgninfo, {inputs.filePath(name), "--convert", drawings.last()}).code, 0) << name.toStdString();
  }
  ASSERT_FALSE(drawings.isEmpty());
  const ProcessRun ezdxf = runProcess("/usr/bin/python3", QStringList{"-c", R"(
import re, sys, ezdxf
for path in sys.argv[1:]:
  doc = ezdxf.readfile(path)
  audit = doc.audit()
  texts = [e.dxf.text for e in doc.modelspace().query('TEXT MTEXT')]
  print(path, len(audit.errors) + len(audit.fixes), sum(bool(re.search('[\x00-\x1f^]', t)) for t in texts))
)"} + drawings);
  ASSERT_EQ(ezdxf.code, 0) << ezdxf.err.toStdString();
  for (const QString& drawing : drawings)
    EXPECT_TRUE(ezdxf.out.split('\n').contains(drawing + " 0 0")) << ezdxf.out.toStdString();
}

TEST(Dgninfo, RefusesWhatIsNotADesignFileAndBadUsage)
{
  QTemporaryDir dir;
  const QString garbage = writeBytes(dir.filePath("garbage.dgn"), QByteArray(5000, '\x5a'));
  for (const QString& path : {garbage, dir.filePath("missing.dgn")}) {
    const ProcessRun info = runProcess(kDgninfo, {path});
    EXPECT_EQ(info.code, 1) << path.toStdString();
    EXPECT_EQ(info.out.trimmed(), "valid: 0");
  }
  EXPECT_EQ(runProcess(kDgninfo, {garbage, "--explode-text-nodes"}).code, 1) << "an option it knows";
  EXPECT_EQ(runProcess(kDgninfo, {}).code, 2);
  EXPECT_EQ(runProcess(kDgninfo, {garbage, "--convert"}).code, 2);
  EXPECT_EQ(runProcess(kDgninfo, {garbage, "--frobnicate"}).code, 2);
}

// Under a limit on its address space that the sample converts within, a file of a million lines
// runs out of memory: dgninfo says so and leaves no drawing, whether the import or the writing ran
// out.
TEST(Dgninfo, SaysWhenMemoryRunsOutAndLeavesNoDrawing)
{
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address checker needs more address space than any such limit";
#endif
  QTemporaryDir dir;
  const QString plan = DGN_SOURCE_DIR "/samples/plan.dgn", big = dir.filePath("big.dgn"), out = dir.filePath("out.dxf");
  const auto convertWithin = [&](qint64 bytes, const QString& file) {
    return runProcess("prlimit", {"--core=0", "--as=" + QString::number(bytes), kDgninfo, file, "--convert", out});
  };
  constexpr qint64 kStep = 16 << 20, kMost = qint64(4) << 30;
  qint64 limit = 4 * kStep;
  while (limit < kMost && convertWithin(limit, plan).code != 0)
    limit += kStep;
  ASSERT_LT(limit, kMost) << "the sample converts under some limit";
  V7Writer w(false, V7Writer::Units{});
  for (int32_t i = 0; i < 1000000; ++i)
    w.add(w.line({i, 0}, {i, 1000}));
  ASSERT_TRUE(w.save(big.toStdString()));
  QFile::remove(out);
  const ProcessRun run = convertWithin(limit + 2 * kStep, big);
  EXPECT_EQ(run.code, 4) << run.err.toStdString();
  EXPECT_EQ(run.err, "dgninfo: not enough memory to convert " + big + "\n");
  EXPECT_FALSE(QFileInfo::exists(out));
}

// A conversion shows how far it has read on a terminal, on a line of its own that it clears at the
// end, and nothing of it elsewhere: the delay before the first line, a second, is made none here
// so that the line appears however fast the machine.
TEST(Dgninfo, ShowsProgressOnATerminalOnlyAndClearsIt)
{
  QTemporaryDir dir;
  const QString plan = DGN_SOURCE_DIR "/samples/plan.dgn";
  const QStringList args{plan, "--convert", dir.filePath("plan.dxf")};
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DGNINFO_PROGRESS_DELAY_MS", "0");
  const ProcessRun piped = runProcess(kDgninfo, args, env);
  ASSERT_EQ(piped.code, 0);
  EXPECT_EQ(piped.err, "");
  // script runs it with a terminal as its standard output and error, and passes on what it showed.
  const QString command = "'" + (QStringList{kDgninfo} + args).join("' '") + "'";
  const ProcessRun onTerminal = runProcess("script", {"-qec", command, "/dev/null"}, env);
  ASSERT_EQ(onTerminal.code, 0) << onTerminal.err.toStdString();
  QString shown = onTerminal.out;
  shown.replace("\r\n", "\n");
  static const QRegularExpression progress("\r(reading " + QRegularExpression::escape(plan) +
                                           ": [0-9]+ elements, [0-9]+%) *(\r *\r)?");
  qsizetype lines = 0, cleared = 0;
  for (auto it = progress.globalMatch(shown); it.hasNext(); ++lines) {
    const auto match = it.next();
    cleared += match.captured(2).size() > match.captured(1).size() + 1;
  }
  EXPECT_GE(lines, 1) << shown.toStdString();
  EXPECT_EQ(cleared, 1) << "the last line is blanked out whole";
  EXPECT_EQ(shown.remove(progress), piped.out) << "the rest as it is elsewhere";
}

// How far the ink spans the page (the larger share of its width and height) and how many pixels
// hold ink, in a picture of a PDF's page 600 pixels high or wide: LibreCAD 2.2 makes the page A4
// in the drawing's unit, of any size.
std::pair<double, int> inkOnThePage(const QString& pdf)
{
  EXPECT_EQ(runProcess("pdftoppm", {"-scale-to", "600", "-gray", "-singlefile", pdf, pdf}).code, 0);
  const QImage image(pdf + ".pgm");
  QRect ink;
  int pixels = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128)
        ++pixels, ink |= QRect(x, y, 1, 1);
  return {std::max(double(ink.width()) / image.width(), double(ink.height()) / image.height()), pixels};
}

TEST(Dgninfo, LibreCadPrintsTheConvertedSampleAndARealFileWithoutAWord)
{
  if (QStandardPaths::findExecutable("librecad").isEmpty() || QStandardPaths::findExecutable("pdftoppm").isEmpty())
    GTEST_SKIP() << "librecad or pdftoppm is not installed";
  QStringList files{DGN_SOURCE_DIR "/samples/plan.dgn"};
  const QString real = QString::fromStdString(realFile("tika_testDGN7.dgn")); // cells, texts, a text node, colours
  if (QFileInfo::exists(real))
    files << real;
  for (const QString& file : files) {
    SCOPED_TRACE(file.toStdString());
    QTemporaryDir dir;
    // LibreCAD goes by the name: the drawing, a DXF whatever its name, is written as NAME.dxf.
    const QString name = dir.filePath(QFileInfo(file).completeBaseName());
    ASSERT_EQ(runProcess(kDgninfo, {file, "--convert", name + ".dxf"}).code, 0);

    // dxf2pdf of LibreCAD 2.2 takes no output name: it prints NAME.pdf beside the drawing. A
    // message box about the file would wait for a click for ever: a window shown ends the wait.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"HOME", "XDG_RUNTIME_DIR"})
      env.insert(variable, dir.path());
    QProcess librecad;
    librecad.setProcessEnvironment(env);
    librecad.start("librecad", {"dxf2pdf", "--fit", "--monochrome", name + ".dxf"});
    QString said;
    for (int waited = 0; !librecad.waitForFinished(200) && !said.contains("propagateSizeHints") && waited < 120000;
         waited += 200)
      said += QString::fromUtf8(librecad.readAllStandardError());
    said += QString::fromUtf8(librecad.readAllStandardError());
    const bool ended = librecad.state() == QProcess::NotRunning && librecad.exitCode() == 0;
    librecad.kill();
    librecad.waitForFinished();
    ASSERT_TRUE(ended) << "LibreCAD showed a window or did not end well:\n" << said.toStdString();
    for (const QString& line : said.split('\n', Qt::SkipEmptyParts))
      EXPECT_TRUE(line.startsWith("RS_DEBUG::setLevel") || line.startsWith("Printing \"")) << line.toStdString();
    const auto [span, pixels] = inkOnThePage(name + ".pdf");
    EXPECT_GT(pixels, 1000) << "a page that holds the drawing";
    EXPECT_GT(span, 0.9) << "the drawing fitted to the page";
  }
}

} // namespace
