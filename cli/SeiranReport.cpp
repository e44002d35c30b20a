#include "SeiranReport.h"

#include "CareerReportCommand.h"
#include "HyoteiCommand.h"
#include "ReportCommand.h"
#include "ReportOutput.h"

namespace seiran {

QList<CommandEntry> SeiranReportEntries()
{
    QList<CommandEntry> entries = TestReportCommands();
    entries += EvaluationReportCommands();
    entries += CareerReportCommands();
    return entries;
}

CommandDescription SeiranReportDescription()
{
    CommandDescription d;
    d.program = QStringLiteral("seiran-report");
    d.synopsis = QStringLiteral("--data DIR --grade G REPORT [オプション] (--pdf FILE | --dump | --printer NAME)");
    d.heading = QStringLiteral("REPORT");
    d.noun = QStringLiteral("帳票");
    d.common = ReportCommonOptions();
    d.footer = QStringLiteral("LIST は \"3,1,2\" のように書きます。生徒は 組-番 (\"2-15\")。PDF は A4 縦 "
                              "(tsuchi は JIS B5 縦、matome --landscape は横)、--printer はプリンタの用紙 "
                              "(tsuchi は JIS B5、matome --landscape は横置き) です。\n");
    return d;
}

int RunSeiranReport(const QStringList& args, QTextStream& out, QTextStream& err)
{
    return RunCommandTable(SeiranReportDescription(), SeiranReportEntries(), args, out, err);
}

} // namespace seiran
