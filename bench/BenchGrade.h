#pragma once

#include "GradeData.h"
#include "ListFiles.h"
#include "SampleGrade.h"

#include <QString>
#include <cstdio>

namespace seiran {

// The grade every benchmark works on: 9 classes of about 45 pupils (about 395 in use after
// gaps and transfers), its lists loaded and the nine-subject test chosen.
inline bool WriteAndLoadFullGrade(const QString& folder, GradeData& gd)
{
    SampleOptions options;
    options.grade = 3;
    options.classes = 9;
    options.pupils = 45;
    options.seed = 7;
    Result r = WriteSampleGrade(folder, options);
    if (r) {
        gd.dataFolder = folder + QLatin1Char('/');
        gd.currentGrade = options.grade;
        r = LoadTestList(gd);
    }
    if (r) r = LoadSubjectList(gd);
    if (!r) {
        std::fprintf(stderr, "sample grade: %s\n", qPrintable(r.message));
        return false;
    }
    gd.currentTest = 2;
    return true;
}

} // namespace seiran
