#include "JournalLayout.h"

#include "GradeData.h"
#include "GradeLock.h"
#include "RosterFile.h"

#include <QHash>

namespace seiran {

QString JournalLayout::columnsText() const
{
    QStringList parts;
    for (qsizetype j = 0; j < fields.size(); ++j)
        parts << headers.value(j).trimmed() + u'=' + fields.at(j);
    return parts.join(u';');
}

int JournalLayout::columnOfField(const QString& field) const
{
    return int(fields.indexOf(field)) + 1;
}

JournalLayout TestJournalLayout(const GradeData& gd, int test, const QStringList& headers)
{
    JournalLayout layout;
    if (test < 1 || test > Limits::Tests) return layout;
    layout.screen = QStringLiteral("test");
    layout.scope = QStringLiteral("test %1").arg(test);
    layout.headers = headers;
    for (qsizetype j = 0; j < headers.size(); ++j)
        layout.fields << QStringLiteral("slot:%1").arg(gd.testFirstSlot[test] + int(j));
    return layout;
}

JournalLayout SubjectJournalLayout(const GradeData& gd, int subject, const QList<int>& tests,
                                   const QStringList& headers)
{
    JournalLayout layout;
    if (tests.size() != headers.size()) return layout;
    QStringList numbers;
    layout.screen = QStringLiteral("kyoka");
    layout.headers = headers;
    for (int test : tests) {
        if (test < 1 || test > Limits::Tests) return {};
        numbers << QString::number(test);
        layout.fields << QStringLiteral("slot:%1").arg(gd.testFirstSlot[test] + subject - 1);
    }
    layout.scope = QStringLiteral("subject %1 tests %2").arg(subject).arg(numbers.join(u','));
    return layout;
}

JournalLayout NaishinJournalLayout(const QStringList& headers)
{
    JournalLayout layout{QStringLiteral("naishin"), QStringLiteral("naishin"), headers, {}};
    for (qsizetype j = 0; j < headers.size(); ++j)
        layout.fields << QStringLiteral("naishin:%1").arg(j + 1);
    return layout;
}

JournalLayout CareerJournalLayout(const QStringList& headers)
{
    JournalLayout layout{QStringLiteral("sinro"), QStringLiteral("choices"), headers, {}};
    for (qsizetype k = 0; k < headers.size(); ++k)
        layout.fields << QStringLiteral("choice:%1").arg(k + 1);
    return layout;
}

int PupilRecord(const GradeData& gd, int row)
{
    if (row < 1 || row > gd.studentCount) return 0;
    return RosterFile::recordNumber(gd.studentClass[row], gd.studentNumber[row]);
}

RestorePlan PlanJournalRestore(const JournalContents& journal, const JournalLayout& layout,
                               const std::function<int(int record)>& rowOfRecord,
                               const std::function<QString(int row)>& nameOfRow)
{
    RestorePlan plan;
    if (journal.header.screen != layout.screen || journal.header.scope != layout.scope) {
        plan.fault = QStringLiteral("この入力の控えは別の画面（%1 %2）のものです。")
                         .arg(journal.header.screen, journal.header.scope);
        return plan;
    }
    if (journal.header.columns != layout.columnsText()) {
        // The tests or subjects were changed since: a value could land in another test's slot.
        plan.fault = QStringLiteral("入力の控えを書いた後に列の並びが変わったため、復元できません"
                                    "（控え: %1、今: %2）。")
                         .arg(journal.header.columns, layout.columnsText());
        return plan;
    }
    for (const JournalEntry& e : journal.lastPerCell()) {
        const QString who = QStringLiteral("%1組 %2番 %3").arg(e.classText, e.numberText, e.name);
        const int column = layout.columnOfField(e.field);
        if (column < 1) {
            plan.refused << QStringLiteral("%1 %2: この画面にない欄です").arg(who, e.field);
            continue;
        }
        const QString header = layout.headers.value(column - 1).trimmed();
        const int row = rowOfRecord(e.record);
        if (row < 1) {
            plan.refused << QStringLiteral("%1 %2: 今はこの席に生徒がいません").arg(who, header);
            continue;
        }
        const QString nameNow = nameOfRow(row).trimmed();
        if (nameNow != e.name.trimmed()) {
            plan.refused << QStringLiteral("%1 %2: 今は別の生徒（%3）の記録です").arg(who, header, nameNow);
            continue;
        }
        plan.cells.append({row, column, e.text, e.base});
    }
    return plan;
}

JournalHeader NewJournalHeader(const JournalLayout& layout, const QString& holderId, qint64 generation)
{
    const HostIdentity self = LockEnvironment::current().self();
    JournalHeader h;
    h.screen = layout.screen;
    h.scope = layout.scope;
    h.holderId = holderId;
    h.user = LockUserName();
    h.host = self.host;
    h.pid = self.pid;
    h.started = LockEnvironment::current().utcNow();
    h.generation = generation;
    h.columns = layout.columnsText();
    return h;
}

} // namespace seiran
