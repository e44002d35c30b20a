#include "ScoreSlots.h"

#include "GradeData.h"
#include "Progress.h"
#include "RosterFile.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>

namespace seiran {

Result ReadScoreSlots(const GradeData& gd, const QList<int>& slotNumbers, QList<PupilScoreSlots>& pupils,
                      IProgress& progress)
{
    pupils.clear();
    if (gd.classCount < 1 || gd.classCount > Limits::Classes)
        return Result::failure(QStringLiteral("クラス数 %1 は不正です（1〜9）").arg(gd.classCount));
    for (int slot : slotNumbers)
        if (slot < 1 || slot > Limits::ScoreSlots)
            return Result::failure(
                QStringLiteral("得点の位置 %1 は名簿ファイルにありません（1〜%2）").arg(slot).arg(Limits::ScoreSlots));
    const QString path = RosterFile::pathFor(gd);
    if (!QFileInfo::exists(path)) return Result::success();

    progress.setStatusText(QStringLiteral("データ読込中"));
    progress.setValue(0);
    progress.setVisible(true);
    progress.setMaximum(60 * gd.classCount);
    struct Hide
    {
        IProgress& p;
        ~Hide()
        {
            p.setVisible(false);
            p.setStatusText(QString());
        }
    } hide{progress};

    RosterFile file(path);
    if (Result r = file.openReadOnly(); !r) return r;
    QByteArray bytes;
    if (Result r = file.readAll(bytes); !r) return r;
    file.close();
    const int available = int(bytes.size() / StudentRecord::Size);
    StudentRecord record;
    for (int k = 1; k <= gd.classCount; ++k) {
        for (int n = 1; n <= Limits::NumbersPerClass; ++n) {
            progress.setValue((k - 1) * 60 + n);
            const int rec = RosterFile::recordNumber(k, n);
            if (rec > available) continue;
            std::memcpy(record.bytes().data(), bytes.constData() + qsizetype(rec - 1) * StudentRecord::Size,
                        StudentRecord::Size);
            if (record.flag() != StudentRecord::InUse) continue;
            if (pupils.size() >= Limits::Students)
                return Result::failure(QStringLiteral("名簿ファイル %1 の生徒数が %2 人を超えています")
                                           .arg(QDir::toNativeSeparators(path))
                                           .arg(Limits::Students));
            PupilScoreSlots pupil;
            pupil.classNo = k;
            pupil.number = n;
            pupil.values.reserve(slotNumbers.size());
            for (int slot : slotNumbers)
                pupil.values.append(record.scoreSlot(slot));
            pupils.append(pupil);
        }
    }
    return Result::success();
}

} // namespace seiran
