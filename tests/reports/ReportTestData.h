#pragma once

// Small grades built in memory for the report tests: known pupils and scores, aggregated as
// the main window does after loading a test.

#include "Aggregate.h"
#include "GradeData.h"
#include "ReportFonts.h"

#include <QDateTime>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <memory>

namespace seiran::test {

struct ReportPupil
{
    int classNo = 1;
    int number = 1;
    QString name;
    int sex = 1;
    QList<int> scores; // subjects 1..n of the test; missing ones are "not entered" (-5)
};

inline const QStringList& StandardSubjectNames()
{
    static const QStringList names{QStringLiteral("国語"), QStringLiteral("社会"), QStringLiteral("数学"),
                                   QStringLiteral("理科"), QStringLiteral("英語"), QStringLiteral("音楽"),
                                   QStringLiteral("美術"), QStringLiteral("保体"), QStringLiteral("技家"),
                                   QStringLiteral("選択")};
    return names;
}

// Pupils must be given in class order, then number order.
inline std::unique_ptr<GradeData> MakeReportGrade(int classes, int subjects, const QList<ReportPupil>& pupils)
{
    auto gd = std::make_unique<GradeData>();
    gd->currentGrade = 2;
    gd->classCount = classes;
    gd->testCount = 1;
    gd->currentTest = 1;
    gd->testNames[1] = QStringLiteral("中間テスト");
    gd->testSubjectCount[1] = subjects;
    gd->testFirstSlot[1] = 1;
    gd->subjectCount = subjects;
    for (int i = 1; i <= subjects; ++i)
        gd->subjectNames[i] = StandardSubjectNames().at(i - 1);
    gd->studentCount = int(pupils.size());
    for (int c = 1; c <= classes; ++c)
        gd->classSize[c] = 0;
    int s = 0;
    for (const ReportPupil& p : pupils) {
        ++s;
        gd->studentClass[s] = p.classNo;
        gd->studentNumber[s] = p.number;
        gd->studentName[s] = p.name.isEmpty() ? QStringLiteral("生徒%1").arg(s) : p.name;
        gd->studentSex[s] = p.sex;
        for (int j = 1; j <= subjects; ++j)
            gd->scores(j, s) = j <= p.scores.size() ? p.scores.at(j - 1) : ScoreCode::NotEntered;
        gd->classSize[p.classNo] += 1;
    }
    int start = 1;
    for (int c = 1; c <= classes; ++c) {
        gd->classStart[c] = start;
        start += gd->classSize[c];
    }
    AggregateTest(*gd);
    return gd;
}

// `count` pupils spread over the classes, numbered from 1 in each, every score `score`.
inline QList<ReportPupil> EvenPupils(int classes, int count, int subjects, int score = 50)
{
    QList<ReportPupil> pupils;
    for (int c = 1; c <= classes; ++c) {
        const int inClass = count / classes + (c <= count % classes ? 1 : 0);
        for (int k = 1; k <= inClass; ++k)
            pupils.append({c, k, QString(), k % 2 == 1 ? 1 : 2, QList<int>(subjects, score)});
    }
    return pupils;
}

inline QDateTime FixedStampTime()
{
    return QDateTime(QDate(2005, 4, 1), QTime(13, 5, 9));
}

// The text of a PDF file through poppler's pdftotext; an empty string when it is missing.
inline QString PdfText(const QString& pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) return QString();
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline bool HavePdfText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// A field of poppler's pdfinfo on a PDF file ("Pages", "Page size"...); empty when pdfinfo is
// missing or does not name the field.
inline QString PdfInfo(const QString& pdf, const QString& field)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (tool.isEmpty()) return QString();
    QProcess p;
    p.start(tool, {pdf});
    p.waitForFinished(60000);
    const QString start = field + u':';
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(start)) return line.mid(start.size()).trimmed();
    return QString();
}

// Pages of a PDF file by poppler's pdfinfo; -1 when it is missing.
inline int PdfPages(const QString& pdf)
{
    const QString pages = PdfInfo(pdf, QStringLiteral("Pages"));
    return pages.isEmpty() ? -1 : pages.toInt();
}

// The page size pdfinfo gives ("515.906 x 728.504 pts (B5)"); empty when it is missing.
inline QString PdfPageSize(const QString& pdf)
{
    return PdfInfo(pdf, QStringLiteral("Page size"));
}

} // namespace seiran::test
