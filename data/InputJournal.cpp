#include "InputJournal.h"

#include "Crc32.h"
#include "FileErrors.h"
#include "GradeLock.h"
#include "ListFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <cerrno>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace seiran {

namespace {

const QByteArray Magic = QByteArrayLiteral("seiran-journal");
constexpr int HeaderFields = 11;
constexpr int EntryFields = 9;

QString shown(const QString& path)
{
    return QStringLiteral("「%1」").arg(QDir::toNativeSeparators(path));
}

// Texts are written with Tab, LF, CR and the backslash escaped, so that no text can split a line
// or a field (a pasted name may hold anything).
QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString unescaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar next = text.at(++i);
        out += next == u't' ? QChar(u'\t') : next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
    }
    return out;
}

// A line with its CRC: the CRC covers every byte before the last Tab.
QByteArray withCrc(const QByteArray& body)
{
    return body + '\t' + Crc32Text(body).toLatin1() + '\n';
}

int syncFile(int descriptor)
{
#ifdef Q_OS_WIN
    return _commit(descriptor) == 0 ? 0 : errno;
#else
    return ::fdatasync(descriptor) == 0 ? 0 : errno;
#endif
}

bool parseInt64(const QString& text, qint64& value)
{
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok;
}

} // namespace

QList<JournalEntry> JournalContents::lastPerCell() const
{
    QList<JournalEntry> cells;
    QHash<QString, qsizetype> where;
    for (const JournalEntry& e : entries) {
        const QString key = QString::number(e.record) + u'/' + e.field;
        const auto found = where.constFind(key);
        if (found == where.cend()) {
            where.insert(key, cells.size());
            cells.append(e);
        } else {
            cells[*found] = e;
        }
    }
    return cells;
}

QByteArray JournalHeaderLine(const JournalHeader& h)
{
    const QStringList fields{QString::fromLatin1(Magic),
                             QStringLiteral("1"),
                             escaped(h.screen),
                             escaped(h.scope),
                             escaped(h.holderId),
                             escaped(h.user),
                             escaped(h.host),
                             QString::number(h.pid),
                             LockTimeText(h.started),
                             QString::number(h.generation),
                             escaped(h.columns)};
    return fields.join(u'\t').toUtf8() + '\n';
}

QByteArray JournalEntryLine(const JournalEntry& e)
{
    const QStringList fields{
        QString::number(e.seq), QString::number(e.record), escaped(e.field),        escaped(e.classText),
        escaped(e.numberText),  escaped(e.name),           QString::number(e.base), escaped(e.text)};
    return withCrc(fields.join(u'\t').toUtf8());
}

Result ParseJournal(const QByteArray& bytes, JournalContents& contents)
{
    contents = JournalContents{};
    const qsizetype headerEnd = bytes.indexOf('\n');
    const QStringList header = QString::fromUtf8(bytes.left(headerEnd < 0 ? bytes.size() : headerEnd)).split(u'\t');
    if (headerEnd < 0 || header.size() != HeaderFields || header.at(0) != QLatin1String(Magic))
        return Result::failure(QStringLiteral("入力の控えの形ではありません。"));
    if (header.at(1) != QLatin1String("1"))
        return Result::failure(QStringLiteral("入力の控えの版 %1 は読めません。").arg(header.at(1)));
    JournalHeader& h = contents.header;
    h.screen = unescaped(header.at(2));
    h.scope = unescaped(header.at(3));
    h.holderId = unescaped(header.at(4));
    h.user = unescaped(header.at(5));
    h.host = unescaped(header.at(6));
    h.started = ParseLockTime(header.at(8));
    h.columns = unescaped(header.at(10));
    if (!parseInt64(header.at(7), h.pid) || !parseInt64(header.at(9), h.generation) || h.holderId.isEmpty())
        return Result::failure(QStringLiteral("入力の控えの1行目が壊れています。"));

    qsizetype start = headerEnd + 1;
    int lineNo = 1;
    while (start < bytes.size()) {
        ++lineNo;
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            // The write of this line was cut short (a kill or a power cut): what came before holds.
            contents.notice =
                QStringLiteral("入力の控えの %1 行目は途中で切れているため、その前までを使います。").arg(lineNo);
            break;
        }
        const QByteArray line = bytes.mid(start, end - start);
        start = end + 1;
        const qsizetype lastTab = line.lastIndexOf('\t');
        bool crcOk = false;
        const quint32 crc = lastTab < 0 ? 0 : line.mid(lastTab + 1).toUInt(&crcOk, 16);
        if (!crcOk || line.size() - lastTab - 1 != 8 || crc != Crc32(line.left(lastTab))) {
            contents.notice =
                QStringLiteral("入力の控えの %1 行目が壊れているため、その前までを使います。").arg(lineNo);
            break;
        }
        const QStringList f = QString::fromUtf8(line.left(lastTab)).split(u'\t');
        JournalEntry e;
        qint64 record = 0;
        qint64 base = 0;
        if (f.size() != EntryFields - 1 || !parseInt64(f.at(0), e.seq) || !parseInt64(f.at(1), record) ||
            !parseInt64(f.at(6), base) || record < 1 || record > INT_MAX || base < INT_MIN || base > INT_MAX) {
            contents.notice = QStringLiteral("入力の控えの %1 行目が読めないため、その前までを使います。").arg(lineNo);
            break;
        }
        e.record = int(record);
        e.base = int(base);
        e.field = unescaped(f.at(2));
        e.classText = unescaped(f.at(3));
        e.numberText = unescaped(f.at(4));
        e.name = unescaped(f.at(5));
        e.text = unescaped(f.at(7));
        contents.entries.append(e);
    }
    return Result::success();
}

Result ReadJournal(const QString& path, JournalContents& contents)
{
    QByteArray bytes;
    if (Result r = ReadWholeFile(path, bytes); !r) return r;
    if (Result r = ParseJournal(bytes, contents); !r)
        return Result::failure(QStringLiteral("%1: %2").arg(shown(path), r.message));
    return Result::success();
}

QString JournalFileName(const QString& screen, const QString& holderId)
{
    return screen + u'-' + holderId + QStringLiteral(".jnl");
}

QString JournalFolder(const QString& dataFolder, int grade)
{
    return GradeLockFolder(dataFolder, grade) + QStringLiteral("journal/");
}

QString LocalJournalFolder(const QString& dataFolder, int grade)
{
    // One folder per data folder and grade: the name is a digest of the data folder's path.
    const QString folder = QDir::cleanPath(QFileInfo(dataFolder).absoluteFilePath());
    const QByteArray digest = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    // The user's local application data, named for the program rather than for the executable, so
    // that the windows and the commands find each other's copies.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/seiran/journal/") +
           QString::fromLatin1(digest) + u'-' + GradeLockFolderName(grade) + u'/';
}

// ---------------------------------------------------------------------------------------------
// Writing

JournalWriter::~JournalWriter()
{
    close();
}

Result JournalWriter::create(const QString& path, const JournalHeader& header)
{
    return createWith(path, JournalHeaderLine(header));
}

Result JournalWriter::createWith(const QString& path, const QByteArray& lines)
{
    close();
    mSeq = 0;
    mWritten.clear();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Result::failure(
            QStringLiteral("入力の控えのフォルダ %1 を作れません。").arg(shown(QFileInfo(path).absolutePath())));
    mFile.setFileName(path);
    errno = 0;
    // Unbuffered: each write() of ours is one write() of the system, so a kill tears at most the
    // line being written.
    if (!mFile.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return Result::failure(QStringLiteral("入力の控え %1 を作れません。%2")
                                   .arg(shown(path), FileErrorReason(mFile, FileAccess::Write, errno)));
    if (mFile.write(lines) != lines.size()) {
        const QString why = FileErrorReason(mFile, FileAccess::Write, errno);
        mFile.close();
        QFile::remove(path);
        return Result::failure(QStringLiteral("入力の控え %1 に書き込めません。%2").arg(shown(path), why));
    }
    mWritten = lines;
    // The seq of the entries carried over goes on.
    const QList<QByteArray> carried = lines.split('\n');
    for (const QByteArray& line : carried)
        if (!line.isEmpty() && !line.startsWith(Magic)) mSeq = qMax(mSeq, line.left(line.indexOf('\t')).toLongLong());
    mUnsynced = true;
    return sync();
}

Result JournalWriter::writeLine(const QByteArray& line)
{
    if (!mFile.isOpen()) return Result::failure(QStringLiteral("入力の控えが開かれていません。"));
    errno = 0;
    if (mFile.write(line) != line.size())
        return Result::failure(QStringLiteral("入力の控え %1 に書き込めません。%2")
                                   .arg(shown(mFile.fileName()), FileErrorReason(mFile, FileAccess::Write, errno)));
    mWritten += line;
    mUnsynced = true;
    if (!mSinceSync.isValid() || mSinceSync.elapsed() >= SyncIntervalMs) return sync();
    return Result::success();
}

Result JournalWriter::append(JournalEntry entry)
{
    entry.seq = mSeq + 1;
    const Result r = writeLine(JournalEntryLine(entry));
    if (r) mSeq = entry.seq;
    return r;
}

Result JournalWriter::sync()
{
    if (!mFile.isOpen() || !mUnsynced) return Result::success();
    const int error = syncFile(mFile.handle());
    mSinceSync.start();
    if (error != 0)
        return Result::failure(QStringLiteral("入力の控え %1 に書き込めません。%2")
                                   .arg(shown(mFile.fileName()), FileErrorReason(error, FileAccess::Write)));
    mUnsynced = false;
    return Result::success();
}

void JournalWriter::close()
{
    if (mFile.isOpen()) {
        sync();
        mFile.close();
    }
}

Result JournalWriter::remove()
{
    const QString path = mFile.fileName();
    if (mFile.isOpen()) mFile.close();
    mWritten.clear();
    mSeq = 0;
    mUnsynced = false;
    if (path.isEmpty() || !QFileInfo::exists(path)) return Result::success();
    return RemoveJournal(path);
}

// ---------------------------------------------------------------------------------------------
// Finding

namespace {

void collectJournals(const QString& folder, bool local, QList<FoundJournal>& journals)
{
    const QDir dir(folder);
    if (!dir.exists()) return;
    const QStringList names = dir.entryList({QStringLiteral("*.jnl")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        FoundJournal found;
        found.path = dir.filePath(name);
        found.local = local;
        if (Result r = ReadJournal(found.path, found.contents); !r) found.problem = r.message;
        journals.append(found);
    }
}

} // namespace

Result FindJournals(const QString& dataFolder, int grade, QList<FoundJournal>& journals)
{
    journals.clear();
    collectJournals(JournalFolder(dataFolder, grade), false, journals);
    collectJournals(LocalJournalFolder(dataFolder, grade), true, journals);
    if (journals.isEmpty()) return Result::success();
    // Who is live is read from the registry under the guard, never from file times: the PCs'
    // clocks differ and a share caches attributes.
    GradeGuard guard(dataFolder, grade);
    if (!guard) return guard.result();
    LockRegistry registry;
    if (Result r = guard.readRegistry(registry); !r) return r;
    for (FoundJournal& j : journals)
        j.live = j.problem.isEmpty() && registry.indexOf(j.contents.header.holderId) >= 0;
    return Result::success();
}

QList<FoundJournal> OrphanJournals(const QList<FoundJournal>& journals, const QString& screen, const QString& scope)
{
    QList<FoundJournal> orphans;
    for (const FoundJournal& j : journals)
        if (!j.live && j.problem.isEmpty() && j.contents.header.screen == screen && j.contents.header.scope == scope)
            orphans.append(j);
    return orphans;
}

QList<FoundJournal> OrphansToOffer(const QList<FoundJournal>& journals, const QString& screen, const QString& scope)
{
    QList<FoundJournal> offered;
    for (const FoundJournal& j : OrphanJournals(journals, screen, scope)) {
        if (j.contents.entries.isEmpty() && j.contents.notice.isEmpty())
            QFile::remove(j.path); // nothing was typed into it
        else
            offered.append(j);
    }
    return offered;
}

Result RemoveJournal(const QString& path)
{
    if (!QFile::remove(path))
        return Result::failure(QStringLiteral("入力の控え「%1」を削除できません。").arg(shown(path)));
    return Result::success();
}

QString JournalSummary(const JournalContents& contents)
{
    const JournalHeader& h = contents.header;
    return QStringLiteral("%1、%2、%3、%4 か所")
        .arg(h.user, h.host, h.started.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")))
        .arg(contents.lastPerCell().size());
}

} // namespace seiran
