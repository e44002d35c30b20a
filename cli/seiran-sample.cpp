// seiran-sample DIR [--grade G] [--classes N] [--pupils M] [--seed S]
// Writes a complete, plausible grade into DIR, for trying the program, tests and benchmarks.
#include "SampleGrade.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    seiran::SampleOptions options;
    QString folder;
    auto usage = [] {
        std::fprintf(stderr, "usage: seiran-sample DIR [--grade G] [--classes N] [--pupils M] [--seed S]\n");
        return 2;
    };
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        auto number = [&](int& out) {
            bool ok = false;
            if (i + 1 < args.size()) out = args.at(++i).toInt(&ok);
            return ok;
        };
        if (a == QLatin1String("--grade")) {
            if (!number(options.grade)) return usage();
        } else if (a == QLatin1String("--classes")) {
            if (!number(options.classes)) return usage();
        } else if (a == QLatin1String("--pupils")) {
            if (!number(options.pupils)) return usage();
        } else if (a == QLatin1String("--seed")) {
            int seed = 0;
            if (!number(seed)) return usage();
            options.seed = quint32(seed);
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            usage();
            return 0;
        } else if (a.startsWith(QLatin1String("--")) || !folder.isEmpty()) {
            return usage();
        } else {
            folder = a;
        }
    }
    if (folder.isEmpty()) return usage();
    if (const seiran::Result checked = seiran::CheckSampleOptions(options); !checked) {
        std::fprintf(stderr, "seiran-sample: %s\n", checked.message.toUtf8().constData());
        return 2;
    }
    const seiran::Result r = seiran::WriteSampleGrade(folder, options);
    if (!r) {
        std::fprintf(stderr, "seiran-sample: %s\n", r.message.toUtf8().constData());
        return 1;
    }
    std::printf("grade %d written to %s\n", options.grade, folder.toUtf8().constData());
    return 0;
}
