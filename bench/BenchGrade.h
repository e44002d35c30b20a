#pragma once

#include "GradeData.h"
#include "ListFiles.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "Session.h"
#include "StudentRecord.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

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

// The full grade in a temporary folder, behind a session of its own as the windows get it;
// `loaded` tells whether it was written and its lists read.
// A full grade in a folder of its own, loaded; one for the whole bench process.
struct LoadedGrade
{
    QTemporaryDir dir;
    std::unique_ptr<GradeData> gd = std::make_unique<GradeData>();

    LoadedGrade() { WriteAndLoadFullGrade(dir.path(), *gd); }
};

inline LoadedGrade& SharedLoadedGrade()
{
    static LoadedGrade g;
    return g;
}

struct SessionGrade
{
    QTemporaryDir dir;
    std::unique_ptr<GradeData> gd = std::make_unique<GradeData>();
    RecordingProgress progress;
    SilentNotice notice;
    Session session;
    bool loaded = false;

    explicit SessionGrade(std::function<int()> beepMode)
        : session{*gd, progress, notice, QString(), std::move(beepMode)}
    {
        loaded = WriteAndLoadFullGrade(dir.path(), *gd);
    }
};

// The floor the loading benchmarks are measured against: read the roster file into memory and
// decode every in-use record's name, sex and the given score slots.
inline void ReadAndDecodeRoster(benchmark::State& state, const GradeData& gd, const std::vector<int>& scoreSlots)
{
    const QString path = RosterFile::pathFor(gd);
    long checksum = 0;
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray bytes = f.readAll();
        const int records = int(bytes.size() / StudentRecord::Size);
        StudentRecord rec;
        for (int r = 0; r < records; ++r) {
            std::memcpy(rec.bytes().data(), bytes.constData() + qsizetype(r) * StudentRecord::Size,
                        StudentRecord::Size);
            if (rec.flag() != 1) continue;
            checksum += rec.name().trimmed().size() + rec.sex();
            for (int slot : scoreSlots)
                checksum += rec.scoreSlot(slot);
        }
        benchmark::DoNotOptimize(checksum);
    }
}

} // namespace seiran
