#include "CsvColumns.h"

#include "Helpers.h"

namespace seiran {

namespace {

struct RoleWords
{
    int role;
    QStringList headers;
    QStringList optionNames;
};

const QList<RoleWords>& roleWords()
{
    static const QList<RoleWords> words = {
        {CsvRole::Class,
         {QStringLiteral("組"), QStringLiteral("クラス"), QStringLiteral("学級")},
         {QStringLiteral("class")}},
        {CsvRole::Number,
         {QStringLiteral("番"), QStringLiteral("番号"), QStringLiteral("出席番号")},
         {QStringLiteral("number")}},
        {CsvRole::Name,
         {QStringLiteral("氏名"), QStringLiteral("名前"), QStringLiteral("生徒氏名")},
         {QStringLiteral("name")}},
        {CsvRole::Surname, {QStringLiteral("姓")}, {QStringLiteral("surname")}},
        {CsvRole::GivenName, {QStringLiteral("名")}, {QStringLiteral("given")}},
        {CsvRole::Furigana,
         {QStringLiteral("ふりがな"), QStringLiteral("フリガナ"), QStringLiteral("よみがな"), QStringLiteral("よみ")},
         {QStringLiteral("reading"), QStringLiteral("furigana")}},
        {CsvRole::Sex, {QStringLiteral("性別"), QStringLiteral("男女"), QStringLiteral("性")}, {QStringLiteral("sex")}},
        {CsvRole::Grade, {QStringLiteral("学年")}, {QStringLiteral("grade")}},
    };
    return words;
}

bool isBlank(QChar c)
{
    return c.isSpace() || c == QChar(0x3000);
}

// NFKC, blanks trimmed, one trailing unit word dropped.
QString foldValue(const QString& field, const QString& unit)
{
    QString t = TrimCsvText(NormalizedKC(field));
    if (!unit.isEmpty() && t.endsWith(unit)) t.chop(unit.size());
    return TrimCsvText(t);
}

std::optional<int> plainInt(const QString& t)
{
    if (t.isEmpty() || t.size() > 4) return std::nullopt;
    for (const QChar c : t)
        if (c < u'0' || c > u'9') return std::nullopt;
    return t.toInt();
}

} // namespace

QString CsvRoleName(int role, const QStringList& subjectNames)
{
    if (role >= CsvRole::SubjectBase) {
        const int k = role - CsvRole::SubjectBase;
        return k >= 1 && k <= subjectNames.size() ? subjectNames.at(k - 1) : QStringLiteral("教科%1").arg(k);
    }
    for (const RoleWords& w : roleWords())
        if (w.role == role) return w.headers.first();
    return QStringLiteral("（使わない）");
}

QList<int> CsvRolesOffered(const QStringList& subjectNames)
{
    QList<int> roles{CsvRole::None};
    for (const RoleWords& w : roleWords())
        roles << w.role;
    // A column without a name (a 内申点 position without a subject) takes nothing.
    for (int k = 1; k <= subjectNames.size(); ++k)
        if (!subjectNames.at(k - 1).trimmed().isEmpty()) roles << CsvRole::SubjectBase + k;
    return roles;
}

QString FoldCsvHeader(const QString& text)
{
    QString folded;
    for (const QChar c : NormalizedKC(text))
        if (!isBlank(c)) folded += c;
    return folded;
}

int CsvHeaderRole(const QString& header, const QStringList& subjectNames)
{
    const QString folded = FoldCsvHeader(header);
    if (folded.isEmpty()) return CsvRole::None;
    for (const RoleWords& w : roleWords()) {
        for (const QString& h : w.headers)
            if (FoldCsvHeader(h) == folded) return w.role;
    }
    for (int k = 1; k <= subjectNames.size(); ++k)
        if (FoldCsvHeader(subjectNames.at(k - 1)) == folded) return CsvRole::SubjectBase + k;
    return CsvRole::None;
}

int CsvRoleFromName(const QString& name, const QStringList& subjectNames)
{
    const QString lower = name.trimmed().toLower();
    for (const RoleWords& w : roleWords())
        if (w.optionNames.contains(lower)) return w.role;
    const int role = CsvHeaderRole(name, subjectNames);
    return role == CsvRole::None ? -1 : role;
}

Result CheckCsvLayout(const CsvLayout& layout, const QStringList& subjectNames, bool needName)
{
    for (qsizetype i = 0; i < layout.roles.size(); ++i) {
        const int role = layout.roles.at(i);
        if (role != CsvRole::None && layout.roles.indexOf(role, i + 1) >= 0)
            return Result::failure(QStringLiteral("「%1」の列が二つあります（%2列目と%3列目）")
                                       .arg(CsvRoleName(role, subjectNames))
                                       .arg(i + 1)
                                       .arg(layout.roles.indexOf(role, i + 1) + 1));
    }
    QStringList missing;
    if (!layout.has(CsvRole::Class)) missing << QStringLiteral("組");
    if (!layout.has(CsvRole::Number)) missing << QStringLiteral("番");
    if (needName && !layout.has(CsvRole::Name) && !(layout.has(CsvRole::Surname) && layout.has(CsvRole::GivenName)))
        missing << QStringLiteral("氏名");
    if (!missing.isEmpty())
        return Result::failure(QStringLiteral("「%1」の列がありません").arg(missing.join(QStringLiteral("」「"))));
    return Result::success();
}

Result DetectCsvLayout(const QList<CsvRecord>& records, const QStringList& subjectNames, bool needName,
                       CsvLayout& layout)
{
    layout = CsvLayout{};
    CsvLayout best;
    for (int r = 0; r < records.size() && r < 10; ++r) {
        CsvLayout candidate;
        candidate.headerRecord = r;
        for (const QString& field : records.at(r).fields)
            candidate.roles << CsvHeaderRole(field, subjectNames);
        const bool named = candidate.has(CsvRole::Class) && candidate.has(CsvRole::Number) &&
                           (!needName || candidate.has(CsvRole::Name) ||
                            (candidate.has(CsvRole::Surname) && candidate.has(CsvRole::GivenName)));
        if (named) {
            layout = candidate;
            return CheckCsvLayout(layout, subjectNames, needName);
        }
        if (best.headerRecord < 0 && candidate.roles.count(CsvRole::None) < candidate.roles.size()) best = candidate;
    }
    // No line names every column: name what the likeliest header line lacks.
    if (best.headerRecord >= 0) {
        const Result r = CheckCsvLayout(best, subjectNames, needName);
        return Result::failure(
            QStringLiteral("見出しの行（%1行目）に%2").arg(records.at(best.headerRecord).line).arg(r.message));
    }
    return Result::failure(needName ? QStringLiteral("見出しの行（組、番、氏名）が最初の10行にありません")
                                    : QStringLiteral("見出しの行（組、番）が最初の10行にありません"));
}

Result ApplyCsvColumnOption(const QString& option, const QStringList& subjectNames, CsvLayout& layout)
{
    for (const QString& part : option.split(u',', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq <= 0)
            return Result::failure(QStringLiteral("--columns の「%1」は 役割=列番号 ではありません").arg(part));
        const int role = CsvRoleFromName(part.left(eq), subjectNames);
        if (role < 0) return Result::failure(QStringLiteral("--columns の役割「%1」はありません").arg(part.left(eq)));
        bool ok = false;
        const int column = part.mid(eq + 1).trimmed().toInt(&ok);
        if (!ok || column < 1 || column > 200)
            return Result::failure(QStringLiteral("--columns の列番号「%1」は使えません").arg(part.mid(eq + 1)));
        for (int& r : layout.roles)
            if (r == role) r = CsvRole::None;
        while (layout.roles.size() < column)
            layout.roles << CsvRole::None;
        layout.roles[column - 1] = role;
    }
    return Result::success();
}

QString CsvField(const CsvRecord& record, const CsvLayout& layout, int role)
{
    const int column = layout.columnOf(role);
    return column >= 0 && column < record.fields.size() ? record.fields.at(column) : QString();
}

std::optional<int> ParseCsvClass(const QString& field, const QString& classLabels, int classCount, QString& why)
{
    // The grade's own labels first, then either way of naming classes (1-9 or A-I), so that
    // the office's list reads whichever way the program shows classes.
    const QString t = foldValue(field, QStringLiteral("組")).toUpper();
    qsizetype k = t.size() == 1 ? classLabels.indexOf(t.at(0)) : -1;
    if (k < 0 && t.size() == 1 && t.at(0) >= u'1' && t.at(0) <= u'9') k = t.at(0).unicode() - u'1';
    if (k < 0 && t.size() == 1 && t.at(0) >= u'A' && t.at(0) <= u'I') k = t.at(0).unicode() - u'A';
    if (k < 0) {
        why = QStringLiteral("組「%1」は読めません").arg(field);
        return std::nullopt;
    }
    if (k + 1 > classCount) {
        why = QStringLiteral("%1組はありません（%2組まで）").arg(t, classLabels.mid(classCount - 1, 1));
        return std::nullopt;
    }
    return int(k + 1);
}

std::optional<int> ParseCsvNumber(const QString& field, QString& why)
{
    const std::optional<int> n = plainInt(foldValue(field, QStringLiteral("番")));
    if (!n || *n < 1 || *n > 60) {
        why = QStringLiteral("番「%1」は 1～60 ではありません").arg(field);
        return std::nullopt;
    }
    return n;
}

std::optional<int> ParseCsvGrade(const QString& field, QString& why)
{
    const QString t = foldValue(field, QStringLiteral("年"));
    if (t.isEmpty()) return 0;
    const std::optional<int> g = plainInt(t);
    if (!g || *g < 1 || *g > 9) {
        why = QStringLiteral("学年「%1」は読めません").arg(field);
        return std::nullopt;
    }
    return g;
}

std::optional<int> ParseCsvSex(const QString& field, QString& why)
{
    const QString t = foldValue(field, QString());
    if (t.isEmpty()) return 0;
    if (t == QStringLiteral("男") || t == QStringLiteral("男子") || t == QStringLiteral("M") ||
        t == QStringLiteral("m") || t == QStringLiteral("1"))
        return 1;
    if (t == QStringLiteral("女") || t == QStringLiteral("女子") || t == QStringLiteral("F") ||
        t == QStringLiteral("f") || t == QStringLiteral("2"))
        return 2;
    why = QStringLiteral("性別「%1」は読めません").arg(field);
    return std::nullopt;
}

QString TrimCsvText(const QString& field)
{
    qsizetype begin = 0;
    qsizetype end = field.size();
    while (begin < end && isBlank(field.at(begin)))
        ++begin;
    while (end > begin && isBlank(field.at(end - 1)))
        --end;
    return field.mid(begin, end - begin);
}

} // namespace seiran
