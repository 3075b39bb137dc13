#pragma once
// DGN files written by GDAL, an independent DGN writer, for tests that want files our own code
// did not make.
#include <ProcessRun.h>
#include <TestFiles.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

inline bool haveGdal()
{
  return !QStandardPaths::findExecutable("ogr2ogr").isEmpty() && !QStandardPaths::findExecutable("ogrinfo").isEmpty();
}

// Geometry a GDAL-written file holds: lines, a polyline, a shape and a point (GDAL writes it as
// a line of no length).
constexpr char kGdalGeometry[] = "WKT,id\n"
                                 "\"LINESTRING (0 0,10.5 20.25)\",1\n"
                                 "\"LINESTRING (1 1,2 3,4 9,16 25.125)\",2\n"
                                 "\"POLYGON ((0 0,100 0,100 50,0 50,0 0))\",3\n"
                                 "\"POINT (7.125 8.5)\",4\n"
                                 "\"LINESTRING (-1234.5 678.25,-1000 700)\",5\n";

// Has GDAL write `csv` (a WKT column and, optionally, an OGR_STYLE column) as the DGN file
// `folder`/`name` with the given creation options, and returns its path.
inline QString writeGdalDgn(const QString& folder, const QString& name, const QByteArray& csv, QStringList options)
{
  const QString source = writeBytes(QDir(folder).filePath(name + ".csv"), csv);
  const QString dgn = QDir(folder).filePath(name);
  QStringList args{"-f", "DGN"};
  for (const QString& option : options)
    args << "-dsco" << option;
  const ProcessRun made = runProcess("ogr2ogr", args << dgn << source);
  EXPECT_EQ(made.code, 0) << made.err.toStdString();
  QFile::remove(source);
  return dgn;
}

// Writes `geometry` as `folder`/`name` with the given unit names and returns its path.
inline QString writeGdalDgn(const QString& folder, const QString& name, const QString& master, const QString& sub,
                            int subPerMaster, const QByteArray& geometry = kGdalGeometry)
{
  return writeGdalDgn(folder, name, geometry,
                      {"MASTER_UNIT_NAME=" + master, "SUB_UNIT_NAME=" + sub,
                       QString("SUB_UNITS_PER_MASTER_UNIT=%1").arg(subPerMaster), "UOR_PER_SUB_UNIT=10",
                       "ORIGIN=0,0,0"});
}
